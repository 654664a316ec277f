// life3d-render: runs the program's start-up and main loop without a window or
// a console, with keys from the command line, and writes the last frame as a
// PNG, every frame as a video, or times the stages of a pass.

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/life3d.h"
#include "app/program.h"
#include "cells/board.h"
#include "media/png_writer.h"
#include "media/video_writer.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "render/frame.h"

namespace {

constexpr char kUsage[] =
    "Usage: life3d-render [options]\n"
    "Runs life3d's start-up and main loop without a window or a console: the\n"
    "board is seeded, the first frame drawn, then each loop pass computes one\n"
    "generation, rebuilds the scene, reads one key of --keys and draws a frame\n"
    "(with no pause between passes unless --pause).\n"
    "\n"
    "  --seed SECONDS   time of day that seeds the board, 0 <= SECONDS < 86400\n"
    "                   (12:00:00.250 is 43200.25); default: now\n"
    "  --passes N       loop passes after start-up (default 0: the first frame)\n"
    "  --size WxH       desktop size in pixels (default 1920x1080)\n"
    "  --quick          leave the ground out from the first loop pass on\n"
    "  --no-center      stop centring the scene from the first loop pass on\n"
    "  --angles X,Y,Z   view angles in degrees (default -136,0,60)\n"
    "  --keys TEXT      one key per pass, in order, as if typed; after the last\n"
    "                   one no key comes. \\e is Esc (it ends the run before\n"
    "                   that pass's frame), \\xHH the byte HH, \\\\ a backslash,\n"
    "                   \\0 then a key the two-byte key 0 + that byte (\\0H is\n"
    "                   Up); a blank is a pass with a key that does nothing\n"
    "  --out FILE.png   write the last frame drawn to FILE.png\n"
    "  --video FILE     write every frame drawn, the first one included, as a\n"
    "                   video: FILE.mp4 (H.264), FILE.webm (VP9) or FILE.mkv\n"
    "                   (FFV1, lossless: exactly the pictures --out writes)\n"
    "  --fps N          frames per second of the video, 1 to 1000 (default 60)\n"
    "  --quality Q      constant quality of .mp4 (0..51, default 23) or .webm\n"
    "                   (0..63, default 31); lower is better and larger\n"
    "  --quiet          no progress line while a video is written\n"
    "  --pause          pause in each pass as the program does (10 ms), which\n"
    "                   leaves the caches as cold as they are in a real run\n"
    "  --bench          print the median milliseconds per pass of each stage\n"
    "                   (default 100 passes)\n"
    "  --version        show the version\n"
    "  --help           show this text\n"
    "\n"
    "Examples:\n"
    "  life3d-render --seed 43200.25 --passes 10 --size 960x540 --out frame.png\n"
    "  life3d-render --seed 43200.25 --passes 40 --keys 'XXXXq++' --out frame.png\n"
    "  life3d-render --seed 43200.25 --passes 600 --size 960x540 --video run.mp4\n";

struct Options {
  double seed = -1;  // negative: now
  long passes = -1;  // negative: not given
  int32_t width = 1920, height = 1080;
  bool quick = false, noCenter = false, bench = false, help = false, version = false;
  bool pause = false;
  bool angles = false;
  float angleX = 0, angleY = 0, angleZ = 0;
  std::vector<std::string> keys;  // key texts, one per pass
  std::string out;
  std::string video;
  long fps = -1;      // negative: not given (60)
  long quality = -1;  // negative: the format's default
  bool quiet = false;
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One byte of a --keys text at text[at]: a plain byte, \\, \e or \xHH.
bool ParseKeyByte(std::string_view text, size_t& at, char& byte) {
  if (at >= text.size()) return false;
  if (text[at] != '\\') {
    byte = text[at++];
    return true;
  }
  if (at + 1 >= text.size()) return false;
  const char kind = text[at + 1];
  if (kind == '\\' || kind == 'e') {
    byte = kind == 'e' ? 27 : '\\';
    at += 2;
    return true;
  }
  if (kind == 'x' && at + 3 < text.size() && HexDigit(text[at + 2]) >= 0 &&
      HexDigit(text[at + 3]) >= 0) {
    byte = static_cast<char>(16 * HexDigit(text[at + 2]) + HexDigit(text[at + 3]));
    at += 4;
    return true;
  }
  return false;
}

// The key texts of a --keys text: one byte each, or \0 and one byte for a
// two-byte key.
bool ParseKeys(std::string_view text, std::vector<std::string>& keys) {
  keys.clear();
  for (size_t at = 0; at < text.size();) {
    std::string key;
    if (text.substr(at).starts_with("\\0")) {
      key.push_back('\0');
      at += 2;
    }
    char byte = 0;
    if (!ParseKeyByte(text, at, byte)) return false;
    key.push_back(byte);
    keys.push_back(std::move(key));
  }
  return true;
}

bool ParseDouble(std::string_view text, double& value) {
  const std::string s(text);
  if (s.empty() || s.find_first_of(" \t\n") != std::string::npos) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtod(s.c_str(), &end);
  return errno == 0 && *end == '\0' && std::isfinite(value);
}

bool ParseCount(std::string_view text, long lo, long hi, long& value) {
  const std::string s(text);
  if (s.empty() || s.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  value = std::strtol(s.c_str(), nullptr, 10);
  return errno == 0 && value >= lo && value <= hi;
}

// Fills options from argv; on a bad option returns false with the reason.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
  for (int k = 1; k < argc; ++k) {
    std::string_view arg = argv[k];
    std::string_view value;
    bool hasValue = false;
    if (const size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasValue = true;
    }
    auto needValue = [&]() -> bool {
      if (hasValue) return true;
      if (k + 1 >= argc) {
        error = std::string(arg) + " needs a value";
        return false;
      }
      value = argv[++k];
      return true;
    };
    auto noValue = [&]() -> bool {
      if (hasValue) error = std::string(arg) + " takes no value";
      return !hasValue;
    };
    auto needFileName = [&](std::string& name) -> bool {
      if (!needValue()) return false;
      if (value.empty()) {
        error = std::string(arg) + " wants a file name";
        return false;
      }
      name = std::string(value);
      return true;
    };

    if (arg == "--help" || arg == "-h") {
      if (!noValue()) return false;
      options.help = true;
    } else if (arg == "--version") {
      if (!noValue()) return false;
      options.version = true;
    } else if (arg == "--quick") {
      if (!noValue()) return false;
      options.quick = true;
    } else if (arg == "--no-center") {
      if (!noValue()) return false;
      options.noCenter = true;
    } else if (arg == "--bench") {
      if (!noValue()) return false;
      options.bench = true;
    } else if (arg == "--pause") {
      if (!noValue()) return false;
      options.pause = true;
    } else if (arg == "--quiet") {
      if (!noValue()) return false;
      options.quiet = true;
    } else if (arg == "--seed") {
      if (!needValue()) return false;
      if (!ParseDouble(value, options.seed) || options.seed < 0 || options.seed >= 86400) {
        error = "--seed wants seconds since midnight, 0 <= SECONDS < 86400, not '" +
                std::string(value) + "'";
        return false;
      }
    } else if (arg == "--passes") {
      if (!needValue()) return false;
      if (!ParseCount(value, 0, 100000000, options.passes)) {
        error =
            "--passes wants a whole number from 0 to 100000000, not '" + std::string(value) + "'";
        return false;
      }
    } else if (arg == "--size") {
      if (!needValue()) return false;
      const size_t x = value.find('x');
      long w = 0, h = 0;
      if (x == std::string_view::npos || !ParseCount(value.substr(0, x), 1, 16384, w) ||
          !ParseCount(value.substr(x + 1), 1, 16384, h)) {
        error = "--size wants WxH with each side from 1 to 16384, not '" + std::string(value) + "'";
        return false;
      }
      options.width = static_cast<int32_t>(w);
      options.height = static_cast<int32_t>(h);
    } else if (arg == "--angles") {
      if (!needValue()) return false;
      double a[3];
      std::string_view rest = value;
      bool ok = true;
      for (int i = 0; i < 3 && ok; ++i) {
        const size_t comma = rest.find(',');
        const bool last = i == 2;
        if (last != (comma == std::string_view::npos)) ok = false;
        ok = ok && ParseDouble(rest.substr(0, comma), a[i]);
        if (!last && ok) rest = rest.substr(comma + 1);
      }
      if (!ok) {
        error = "--angles wants three numbers X,Y,Z in degrees, not '" + std::string(value) + "'";
        return false;
      }
      options.angles = true;
      options.angleX = static_cast<float>(a[0]);
      options.angleY = static_cast<float>(a[1]);
      options.angleZ = static_cast<float>(a[2]);
    } else if (arg == "--keys") {
      if (!needValue()) return false;
      if (!ParseKeys(value, options.keys)) {
        error = "--keys wants key bytes, \\e, \\xHH, \\\\ or \\0 and a key, not '" +
                std::string(value) + "'";
        return false;
      }
    } else if (arg == "--out") {
      if (!needFileName(options.out)) return false;
    } else if (arg == "--video") {
      if (!needFileName(options.video)) return false;
    } else if (arg == "--fps") {
      if (!needValue()) return false;
      if (!ParseCount(value, 1, 1000, options.fps)) {
        error = "--fps wants a whole number from 1 to 1000, not '" + std::string(value) + "'";
        return false;
      }
    } else if (arg == "--quality") {
      if (!needValue()) return false;
      if (!ParseCount(value, 0, 63, options.quality)) {
        error = "--quality wants a whole number from 0 to 63, not '" + std::string(value) + "'";
        return false;
      }
    } else {
      error = "unknown option '" + std::string(argv[k]) + "' (try --help)";
      return false;
    }
  }
  if (options.bench && options.passes == 0) {
    error = "--bench needs at least one pass";
    return false;
  }
  if (options.bench && !options.keys.empty()) {
    error = "--bench times passes without keys; leave --keys out";
    return false;
  }
  if (options.bench && !options.video.empty()) {
    error = "--bench times passes without writing them; leave --video out";
    return false;
  }
  if (options.video.empty() && (options.fps >= 0 || options.quality >= 0 || options.quiet)) {
    error = "--fps, --quality and --quiet are for --video";
    return false;
  }
  return true;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The --keys sequence as the pass's key source: one key per pass, then none.
struct KeyScript {
  const std::vector<std::string>* keys = nullptr;
  size_t next = 0;
};

std::string NextScriptedKey(void* context) {
  auto& script = *static_cast<KeyScript*>(context);
  if (script.next >= script.keys->size()) return std::string();
  return (*script.keys)[script.next++];
}

void Pause(int32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Milliseconds of each stage of every timed pass.
struct StageTimes {
  static constexpr int kCount = 7;
  static constexpr const char* kNames[kCount] = {
      "generation", "scene rebuild", "clear", "rotate+project", "order", "fill", "whole frame"};
  std::vector<double> ms[kCount];
};

// One pass without a key, stage by stage: the calls RunPass makes, in its
// order, with the clock read between them (the pause is no stage).
void RunTimedPass(life3d::Life3D& app, bool pause, StageTimes& times) {
  using namespace life3d;
  using Clock = std::chrono::steady_clock;
  Clock::time_point lap = Clock::now();
  auto stageDone = [&](int stage) {
    const Clock::time_point now = Clock::now();
    times.ms[stage].push_back(std::chrono::duration<double, std::milli>(now - lap).count());
    lap = now;
  };
  NextGeneration(app.boards.BoardNow, app.boards.BoardNext);
  stageDone(0);
  RebuildScene(app);
  app.boards.BoardNow = app.boards.BoardNext;
  stageDone(1);
  if (pause) {
    Pause(kPassPauseMilliseconds);
    lap = Clock::now();
  }
  const Clock::time_point frameStart = lap;
  const FrameScene frame{app.mesh, app.rot, app.camera, app.light, app.SceneWindow};
  BeginFrame(frame.window);
  stageDone(2);
  RotateAndProject(frame, app.Temp_Mouse_x, app.Temp_Mouse_y, app.Temp_Mouse_z);
  stageDone(3);
  OrderFaces(frame.store);
  stageDone(4);
  PaintFaces(frame.store, frame.light);
  stageDone(5);
  PublishFrame();
  lap = frameStart;
  stageDone(6);
}

// The signal that asked a recording to stop (SIGINT, SIGTERM, SIGHUP), or 0: the
// run then ends at the next pass and removes the partial video.
volatile std::sig_atomic_t gStopSignal = 0;
void RequestStop(int signal) {
  gStopSignal = signal;
}

// The progress line of a recording, on standard error when it is a terminal:
// passes done of the total, frames per second, time left.
struct Progress {
  using Clock = std::chrono::steady_clock;
  bool shown = false;
  long total = 0;
  Clock::time_point start, lastShown;
};

Progress StartProgress(bool wanted, long total) {
  Progress progress;
  progress.shown = wanted && isatty(STDERR_FILENO);
  progress.total = total;
  progress.start = Progress::Clock::now();
  return progress;
}

double FramesPerSecond(const Progress& progress, long frames) {
  const double seconds =
      std::chrono::duration<double>(Progress::Clock::now() - progress.start).count();
  return seconds > 0 ? frames / seconds : 0;
}

// Redrawn at most four times a second: the line costs nothing next to a pass.
void ShowProgress(Progress& progress, long done) {
  if (!progress.shown) return;
  const Progress::Clock::time_point now = Progress::Clock::now();
  if (done > 1 && done < progress.total &&
      now - progress.lastShown < std::chrono::milliseconds(250))
    return;
  progress.lastShown = now;
  const double fps = FramesPerSecond(progress, done);
  const long left = fps > 0 ? std::lround((progress.total - done) / fps) : 0;
  std::fprintf(stderr, "\rlife3d-render: pass %ld of %ld, %.1f frames/s, %ld:%02ld left\033[K",
               done, progress.total, fps, left / 60, left % 60);
}

// Clears the line and, once the file is there, says how fast it went.
void EndProgress(const Progress& progress, long frames, const std::string& written) {
  if (!progress.shown) return;
  std::fputs("\r\033[K", stderr);
  if (!written.empty())
    std::fprintf(stderr, "life3d-render: %s: %ld frames, %.1f frames/s\n", written.c_str(), frames,
                 FramesPerSecond(progress, frames));
}

// The loop passes after the first frame. Every frame drawn, the first one
// included, goes into video when there is one. False with the reason when
// the video fails or a signal stops the run.
bool RunPasses(life3d::Life3D& app, const Options& options, long passes, life3d::VideoWriter* video,
               Progress& progress, std::string& error) {
  using namespace life3d;
  KeyScript script{&options.keys};
  Worker worker;
  const PassIo io{options.pause ? Pause : nullptr, NextScriptedKey, &script, &worker};
  const std::span<const uint32_t> picture = app.SceneWindow->surface.image;
  auto keepFrame = [&] { return !video || AddVideoFrame(*video, picture, &error); };
  if (!keepFrame()) return false;
  for (long pass = 0; pass < passes; ++pass) {
    if (RunPass(app, io)) break;  // Esc: the run ends before this pass's frame
    if (!keepFrame()) return false;
    if (gStopSignal) {
      error = "stopped by a signal; " + options.video + " not written";
      return false;
    }
    ShowProgress(progress, pass + 1);
  }
  return true;
}

// Opens options.video for the run, with SIGINT, SIGTERM and SIGHUP set to end
// the run cleanly; null with the reason when the file cannot be had.
life3d::VideoFile StartVideo(const Options& options, std::string& error) {
  using namespace life3d;
  const VideoSettings settings{options.width, options.height,
                               options.fps >= 0 ? static_cast<int32_t>(options.fps) : 60,
                               static_cast<int32_t>(options.quality)};
  // Before the temporary file exists, so no signal can leave it behind.
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, RequestStop);
  return OpenVideo(options.video, settings, &error);
}

// Times the passes stage by stage and prints the median of each stage.
void RunBench(life3d::Life3D& app, const Options& options, long passes, double seconds) {
  StageTimes times;
  for (auto& v : times.ms) v.reserve(static_cast<size_t>(std::min(passes, 100000L)));
  for (long pass = 0; pass < passes; ++pass) RunTimedPass(app, options.pause, times);
  std::printf("life3d-render: %dx%d, seed %.3f, %ld passes, %d faces in the last scene\n",
              options.width, options.height, seconds, passes, app.mesh.FaceCount);
  std::printf("median ms per pass\n");
  for (int k = 0; k < StageTimes::kCount; ++k)
    std::printf("  %-15s %8.3f\n", StageTimes::kNames[k], Median(times.ms[k]));
}

}  // namespace

int main(int argc, char** argv) {
  using namespace life3d;
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "life3d-render: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (options.version) {
    std::fputs("life3d-render " LIFE3D_VERSION "\n", stdout);
    return 0;
  }
  const long passes = options.passes >= 0 ? options.passes : (options.bench ? 100 : 0);
  const double seconds = options.seed >= 0 ? options.seed : TimeOfDaySeconds();

  VideoFile video;
  if (!options.video.empty() && !(video = StartVideo(options, error))) {
    std::fprintf(stderr, "life3d-render: %s\n", error.c_str());
    return 2;
  }

  auto app = std::make_unique<Life3D>();
  StartUp(*app, seconds, options.width, options.height);
  std::unique_ptr<GraphicsWindow> window(CreateOffscreenWindow(options.width, options.height));
  if (!window) {
    std::fprintf(stderr, "life3d-render: cannot make a %dx%d image\n", options.width,
                 options.height);
    return 1;
  }
  app->SceneWindow = window.get();
  if (options.angles) {
    app->Temp_Mouse_x = options.angleX;
    app->Temp_Mouse_y = options.angleY;
    app->Temp_Mouse_z = options.angleZ;
  }
  DrawSceneFrame(*app);
  // The switches act from the first pass's rebuild on, one pass earlier than
  // a key could (a key is read after the rebuild); the first frame still
  // shows the start-up scene.
  if (options.quick) app->Quick = 1;
  if (options.noCenter) app->AutoCenter = 1;

  if (options.bench) {
    RunBench(*app, options, passes, seconds);
  } else {
    Progress progress = StartProgress(video && !options.quiet, passes);
    const bool ran = RunPasses(*app, options, passes, video.get(), progress, error);
    const bool written = ran && (!video || FinishVideo(*video, &error));
    EndProgress(progress, video ? VideoFrameCount(*video) : 0, written ? options.video : "");
    if (!written) {
      std::fprintf(stderr, "life3d-render: %s\n", error.c_str());
      return gStopSignal ? 128 + gStopSignal : 1;
    }
  }
  if (!options.out.empty() && !WritePng(window->surface, options.out, &error)) {
    std::fprintf(stderr, "life3d-render: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

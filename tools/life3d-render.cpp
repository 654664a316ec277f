// life3d-render: runs the program's start-up and main loop without a window or
// a console, with keys from the command line, and writes the last frame as a
// PNG, every frame as a video, or times the stages of a pass.
//
// Sections: usage text; options (a table of rows, one parser each); keys;
// the timed pass of --bench; stop signals; progress line; the run and its
// commit in main.

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/key_script.h"
#include "app/life3d.h"
#include "app/program.h"
#include "base/clock.h"
#include "cells/board.h"
#include "draw/surface.h"
#include "media/png_writer.h"
#include "media/video_writer.h"
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
    "  --out FILE.png   write the last frame drawn to FILE.png; --out - writes\n"
    "                   the PNG to standard output (a pipe or a file, not a terminal)\n"
    "  --video FILE     write every frame drawn, the first one included, as a\n"
    "                   video: FILE.mp4 (H.264), FILE.webm (VP9) or FILE.mkv\n"
    "                   (FFV1, lossless: exactly the pictures --out writes);\n"
    "                   --video - streams the .mkv to standard output\n"
    "  --fps N          frames per second of the video, 1 to 1000 (default 60)\n"
    "  --quality Q      constant quality of .mp4 (0..51, default 23) or .webm\n"
    "                   (0..63, default 31); lower is better and larger\n"
    "  --quiet          no progress line while a video is written\n"
    "  --pause          pause in each pass as the program does (10 ms), which\n"
    "                   leaves the caches as cold as they are in a real run\n"
    "  --bench          print the median milliseconds per pass of each stage and\n"
    "                   of the whole pass, and the passes per second (default\n"
    "                   100 passes)\n"
    "  --version        show the version\n"
    "  --help           show this text\n"
    "\n"
    "One of --out, --video and --bench is needed, and each option is given at\n"
    "most once. Numbers are plain decimals (43200.25, -136). Every path is\n"
    "checked before the run (a folder, device, FIFO or socket is refused; a\n"
    "link is followed) and a file appears only once complete: a failure or a\n"
    "signal (SIGINT, SIGTERM, SIGHUP: status 128 + N) leaves none.\n"
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

bool IsDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Plain decimal only: digits with an optional fraction, and a leading '-'
// where negatives make sense. No blanks, '+', hex, exponents, inf or nan, so
// a value reads the same to a person as to the program.
bool ParseDecimal(std::string_view text, bool negative, double& value) {
  std::string_view body = text;
  if (negative && body.starts_with('-')) body.remove_prefix(1);
  const size_t dot = body.find('.');
  if (!IsDigits(body.substr(0, dot)) ||
      (dot != std::string_view::npos && !IsDigits(body.substr(dot + 1))))
    return false;
  value = std::strtod(std::string(text).c_str(), nullptr);
  return std::isfinite(value);
}

bool ParseCount(std::string_view text, long lo, long hi, long& value) {
  if (!IsDigits(text)) return false;
  errno = 0;
  value = std::strtol(std::string(text).c_str(), nullptr, 10);
  return errno == 0 && value >= lo && value <= hi;
}

// One option's parser: takes its value (empty for a switch) into options, or
// says what it wants in error.
using ParseOption = bool (*)(std::string_view value, Options& options, std::string& error);

bool Refuse(std::string& error, const char* wants, std::string_view value) {
  error = std::string(wants) + ", not '" + std::string(value) + "'";
  return false;
}

bool ParseSeed(std::string_view value, Options& o, std::string& error) {
  return (ParseDecimal(value, false, o.seed) && o.seed < 86400) ||
         Refuse(error, "--seed wants seconds since midnight, 0 <= SECONDS < 86400", value);
}

bool ParsePasses(std::string_view value, Options& o, std::string& error) {
  return ParseCount(value, 0, 100000000, o.passes) ||
         Refuse(error, "--passes wants a whole number from 0 to 100000000", value);
}

bool ParseSize(std::string_view value, Options& o, std::string& error) {
  const size_t x = value.find('x');
  long w = 0, h = 0;
  if (x == std::string_view::npos || !ParseCount(value.substr(0, x), 1, 16384, w) ||
      !ParseCount(value.substr(x + 1), 1, 16384, h))
    return Refuse(error, "--size wants WxH with each side from 1 to 16384", value);
  o.width = static_cast<int32_t>(w);
  o.height = static_cast<int32_t>(h);
  return true;
}

bool ParseAngles(std::string_view value, Options& o, std::string& error) {
  double a[3];
  std::string_view rest = value;
  for (int i = 0; i < 3; ++i) {
    const size_t comma = rest.find(',');
    if ((i == 2) != (comma == std::string_view::npos) ||
        !ParseDecimal(rest.substr(0, comma), true, a[i]))
      return Refuse(error, "--angles wants three numbers X,Y,Z in degrees", value);
    if (std::fabs(a[i]) > FLT_MAX)
      return Refuse(error, "--angles wants angles a 32-bit float can hold", value);
    if (i < 2) rest = rest.substr(comma + 1);
  }
  o.angles = true;
  o.angleX = static_cast<float>(a[0]);
  o.angleY = static_cast<float>(a[1]);
  o.angleZ = static_cast<float>(a[2]);
  return true;
}

bool ParseKeysOption(std::string_view value, Options& o, std::string& error) {
  return life3d::ParseKeyScript(value, o.keys) ||
         Refuse(error, "--keys wants key bytes, \\e, \\xHH, \\\\ or \\0 and a key", value);
}

bool ParseFileName(std::string_view value, std::string& name, const char* option,
                   std::string& error) {
  name = std::string(value);
  if (name.empty()) error = std::string(option) + " wants a file name";
  return !name.empty();
}

bool ParseOut(std::string_view value, Options& o, std::string& error) {
  return ParseFileName(value, o.out, "--out", error);
}

bool ParseVideo(std::string_view value, Options& o, std::string& error) {
  return ParseFileName(value, o.video, "--video", error);
}

bool ParseFps(std::string_view value, Options& o, std::string& error) {
  return ParseCount(value, 1, 1000, o.fps) ||
         Refuse(error, "--fps wants a whole number from 1 to 1000", value);
}

bool ParseQuality(std::string_view value, Options& o, std::string& error) {
  return ParseCount(value, 0, 63, o.quality) ||
         Refuse(error, "--quality wants a whole number from 0 to 63", value);
}

// Switches: the member each one sets.
template <bool Options::*kSwitch>
bool SetSwitch(std::string_view, Options& o, std::string&) {
  o.*kSwitch = true;
  return true;
}

struct OptionRow {
  const char* name;
  bool takesValue;
  ParseOption parse;
};

constexpr OptionRow kOptions[] = {
    {"--help", false, SetSwitch<&Options::help>},
    {"--version", false, SetSwitch<&Options::version>},
    {"--seed", true, ParseSeed},
    {"--passes", true, ParsePasses},
    {"--size", true, ParseSize},
    {"--quick", false, SetSwitch<&Options::quick>},
    {"--no-center", false, SetSwitch<&Options::noCenter>},
    {"--angles", true, ParseAngles},
    {"--keys", true, ParseKeysOption},
    {"--out", true, ParseOut},
    {"--video", true, ParseVideo},
    {"--fps", true, ParseFps},
    {"--quality", true, ParseQuality},
    {"--quiet", false, SetSwitch<&Options::quiet>},
    {"--pause", false, SetSwitch<&Options::pause>},
    {"--bench", false, SetSwitch<&Options::bench>},
};
constexpr size_t kOptionCount = sizeof kOptions / sizeof kOptions[0];

// The options that do not go together, and an output to write.
bool CheckCombination(const Options& options, std::string& error) {
  if (options.help || options.version) return true;
  if (options.bench && options.passes == 0)
    error = "--bench needs at least one pass";
  else if (options.bench && !options.keys.empty())
    error = "--bench times passes without keys; leave --keys out";
  else if (options.bench && !options.video.empty())
    error = "--bench times passes without writing them; leave --video out";
  else if (options.bench && options.out == "-")
    error = "--bench prints on standard output; give --out a file name";
  else if (options.video.empty() && (options.fps >= 0 || options.quality >= 0 || options.quiet))
    error = "--fps, --quality and --quiet are for --video";
  else if (options.out == "-" && options.video == "-")
    error = "--out - and --video - cannot share standard output";
  else if (!options.bench && options.out.empty() && options.video.empty())
    error = "nothing to write: give --out FILE.png, --video FILE or --bench";
  return error.empty();
}

// Fills options from argv; on a bad option returns false with the reason.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
  bool seen[kOptionCount] = {};
  for (int k = 1; k < argc; ++k) {
    std::string_view arg = argv[k];
    std::string_view value;
    bool hasValue = false;
    if (const size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasValue = true;
    }
    if (arg == "-h") arg = "--help";
    size_t row = 0;
    while (row < kOptionCount && arg != kOptions[row].name) ++row;
    if (row == kOptionCount) {
      error = "unknown option '" + std::string(argv[k]) + "' (try --help)";
      return false;
    }
    const OptionRow& option = kOptions[row];
    if (seen[row]) {
      error = std::string(option.name) + " given twice";
      return false;
    }
    seen[row] = true;
    if (!option.takesValue && hasValue) {
      error = std::string(option.name) + " takes no value";
      return false;
    }
    if (option.takesValue && !hasValue) {
      if (k + 1 >= argc) {
        error = std::string(option.name) + " needs a value";
        return false;
      }
      value = argv[++k];
    }
    if (!option.parse(value, options, error)) return false;
  }
  return CheckCombination(options, error);
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

// Milliseconds of each stage of every timed pass, and of the pass as a whole.
struct StageTimes {
  static constexpr int kCount = 7;
  static constexpr const char* kNames[kCount] = {
      "generation", "scene rebuild", "clear", "rotate+project", "order", "fill", "whole frame"};
  std::vector<double> ms[kCount];
  std::vector<double> wholePass;  // every stage, without the pause
};

// One pass without a key, stage by stage: the calls RunPass makes, in its
// order, with the clock read between them (the pause is no stage).
void RunTimedPass(life3d::Life3D& app, bool pause, StageTimes& times) {
  using namespace life3d;
  using Clock = std::chrono::steady_clock;
  auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
  const Clock::time_point passStart = Clock::now();
  Clock::time_point lap = passStart;
  auto stageDone = [&](int stage) {
    const Clock::time_point now = Clock::now();
    times.ms[stage].push_back(ms(now - lap));
    lap = now;
  };
  NextGeneration(app.boards.BoardNow, app.boards.BoardNext);
  stageDone(0);
  RebuildScene(app);
  app.boards.BoardNow = app.boards.BoardNext;
  stageDone(1);
  const Clock::duration beforePause = lap - passStart;
  if (pause) {
    life3d::Pause(kPassPauseMilliseconds);
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
  times.wholePass.push_back(ms(beforePause) + times.ms[6].back());
}

// The signal that asked the run to stop (SIGINT, SIGTERM, SIGHUP), or 0. The
// handler only records it: the run stops at the next pass or at the check
// before the commit, and a signal after that check comes when the files are
// complete, so nothing can be cut off half-way.
volatile std::sig_atomic_t gStopSignal = 0;
void RequestStop(int signal) {
  gStopSignal = signal;
}

// Called before any output file exists, so no signal can leave one behind.
void CatchStopSignals() {
  struct sigaction action = {};
  action.sa_handler = RequestStop;
  action.sa_flags = SA_RESTART;  // the writes in progress go on; the run looks at the flag
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

// "stopped by a signal (Terminated); run.mkv and frame.png not written".
std::string StopMessage(const Options& options) {
  std::string files;
  for (const std::string* name : {&options.video, &options.out})
    if (!name->empty() && *name != "-") files += (files.empty() ? "" : " and ") + *name;
  std::string text = std::string("stopped by a signal (") + strsignal(gStopSignal) + ")";
  if (!files.empty()) text += "; " + files + " not written";
  if (options.video == "-") text += "; the video on standard output is incomplete";
  if (options.out == "-") text += "; nothing written to standard output";
  return text;
}

// The progress line of a recording, on standard error when it is a terminal:
// passes done of the total, the encoding speed, time left.
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
// "encoding at", so the speed is not read as the video's frame rate.
void ShowProgress(Progress& progress, long done) {
  if (!progress.shown) return;
  const Progress::Clock::time_point now = Progress::Clock::now();
  if (done > 1 && done < progress.total &&
      now - progress.lastShown < std::chrono::milliseconds(250))
    return;
  progress.lastShown = now;
  const double fps = FramesPerSecond(progress, done);
  const long left = fps > 0 ? std::lround((progress.total - done) / fps) : 0;
  std::fprintf(stderr,
               "\rlife3d-render: pass %ld of %ld, encoding at %.1f frames/s, %ld:%02ld left\033[K",
               done, progress.total, fps, left / 60, left % 60);
}

// Clears the line and, once the file is there, says how fast it went.
void EndProgress(const Progress& progress, long frames, const std::string& written) {
  if (!progress.shown) return;
  std::fputs("\r\033[K", stderr);
  if (!written.empty())
    std::fprintf(stderr, "life3d-render: %s: %ld frames, encoded at %.1f frames/s\n",
                 written.c_str(), frames, FramesPerSecond(progress, frames));
}

// The loop passes after the first frame. Every frame drawn, the first one
// included, goes into video when there is one. False when a signal stops the
// run, or with the reason when the video fails.
bool RunPasses(life3d::Life3D& app, const Options& options, long passes, life3d::VideoWriter* video,
               Progress& progress, std::string& error) {
  using namespace life3d;
  KeyScript script{&options.keys};
  Worker worker;
  const PassIo io{options.pause ? life3d::Pause : nullptr, NextScriptedKey, &script, &worker};
  const std::span<const uint32_t> picture = app.SceneWindow->surface.image;
  auto keepFrame = [&] { return !video || AddVideoFrame(*video, picture, &error); };
  if (!keepFrame()) return false;
  for (long pass = 0; pass < passes && !gStopSignal; ++pass) {
    if (RunPass(app, io)) break;  // Esc: the run ends before this pass's frame
    if (!keepFrame()) return false;
    ShowProgress(progress, pass + 1);
  }
  return !gStopSignal;
}

// Opens options.video for the run; null with the reason when the file
// cannot be had.
life3d::VideoFile StartVideo(const Options& options, std::string& error) {
  using namespace life3d;
  const VideoSettings settings{options.width, options.height,
                               options.fps >= 0 ? static_cast<int32_t>(options.fps) : 60,
                               static_cast<int32_t>(options.quality)};
  return OpenVideo(options.video, settings, &error);
}

// Times the passes stage by stage and prints what each figure is: the median
// of each stage and of the whole pass, and the rate over all the passes.
// False when a signal stops it.
bool RunBench(life3d::Life3D& app, const Options& options, long passes, double seconds) {
  StageTimes times;
  for (auto& v : times.ms) v.reserve(static_cast<size_t>(std::min(passes, 100000L)));
  times.wholePass.reserve(static_cast<size_t>(std::min(passes, 100000L)));
  const auto start = std::chrono::steady_clock::now();
  for (long pass = 0; pass < passes && !gStopSignal; ++pass)
    RunTimedPass(app, options.pause, times);
  if (gStopSignal) return false;
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("life3d-render: %dx%d, seed %.3f, %ld passes, %d faces in the last scene\n",
              options.width, options.height, seconds, passes, app.mesh.FaceCount);
  std::printf("stage times, median ms per pass\n");
  for (int k = 0; k < StageTimes::kCount; ++k)
    std::printf("  %-15s %8.3f\n", StageTimes::kNames[k], Median(times.ms[k]));
  std::printf("whole pass (median ms, without the pause) %8.3f\n", Median(times.wholePass));
  std::printf("passes per second (all %ld passes, wall clock%s) %.1f\n", passes,
              options.pause ? ", pause included" : "", wall > 0 ? passes / wall : 0);
  return true;
}

int Report(const std::string& error, int status) {
  std::fprintf(stderr, "life3d-render: %s\n", error.c_str());
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace life3d;
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error)) return Report(error, 2);
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

  // Every output is checked, and the video's file opened, before the run.
  if (!options.out.empty() || !options.video.empty()) CatchStopSignals();
  OutputTarget pngTarget;
  if (!options.out.empty() && !CheckPngOutput(options.out, pngTarget, &error))
    return Report(error, 2);
  VideoFile video;
  if (!options.video.empty() && !(video = StartVideo(options, error))) return Report(error, 2);

  auto app = std::make_unique<Life3D>();
  StartUp(*app, seconds, options.width, options.height);
  std::unique_ptr<GraphicsWindow> window(CreateOffscreenWindow(options.width, options.height));
  if (!window) {
    return Report("cannot make a " + std::to_string(options.width) + "x" +
                      std::to_string(options.height) + " image",
                  1);
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

  Progress progress = StartProgress(video && !options.quiet, passes);
  const bool ran = options.bench ? RunBench(*app, options, passes, seconds)
                                 : RunPasses(*app, options, passes, video.get(), progress, error);
  bool ok = ran && (!video || FinishVideo(*video, &error));
  // The PNG goes into its unnamed file before the last look at the signals;
  // standard output takes it only after, since a pipe cannot take it back.
  std::vector<uint8_t> png;
  OutputFile pngFile;
  if (ok && !options.out.empty()) {
    ok = EncodePng(window->surface, png, &error) &&
         (pngTarget.toStdout || (OpenOutput(pngTarget, pngFile, &error) &&
                                 WriteOutput(pngFile, png.data(), png.size(), &error)));
  }
  if (gStopSignal || !ok) {
    EndProgress(progress, 0, "");
    AbandonOutput(pngFile);
    return gStopSignal ? Report(StopMessage(options), 128 + gStopSignal) : Report(error, 1);
  }
  if (video && !CommitVideo(*video, &error)) return Report(error, 1);
  if (pngTarget.toStdout)
    ok = OpenOutput(pngTarget, pngFile, &error) &&
         WriteOutput(pngFile, png.data(), png.size(), &error);
  if (!options.out.empty() && !(ok && CommitOutput(pngFile, &error))) return Report(error, 1);
  EndProgress(progress, video ? VideoFrameCount(*video) : 0,
              options.video == "-" ? "standard output" : options.video);
  return 0;
}

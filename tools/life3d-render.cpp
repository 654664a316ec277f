// life3d-render: runs the program's start-up and main loop without a window or
// a console, with keys from the command line, and writes the last frame as a
// PNG, every frame as a video, or times the stages of a pass.
//
// Sections: the figures of --bench, taken through RunPass's stage hook; stop
// signals; progress line; the run; its files; main. The options and the usage
// text are in render_options.h, the key scripts in key_script.h.

#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "tools/key_script.h"
#include "app/life3d.h"
#include "app/program.h"
#include "base/clock.h"
#include "draw/surface.h"
#include "media/png_writer.h"
#include "media/video_writer.h"
#include "tools/render_options.h"

namespace {

using namespace life3d;

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The pass under way as its stage hook saw it. Each stage is written by the
// thread that runs it: the worker's during the pause, which ends before
// RunPass returns.
struct PassTimes {
  Clock::time_point began[kPassStageCount];
  double ms[kPassStageCount] = {};  // 0 for a stage not run
  double wholeFrame = 0;            // from the start of the frame's clear to its publication
};

void TimeStage(PassStage stage, bool ended, void* context) {
  auto& times = *static_cast<PassTimes*>(context);
  const Clock::time_point now = Clock::now();
  const auto s = static_cast<size_t>(stage);
  if (!ended) {
    times.began[s] = now;
    return;
  }
  times.ms[s] = Milliseconds(now - times.began[s]);
  if (stage == PassStage::kPublish)
    times.wholeFrame = Milliseconds(now - times.began[static_cast<size_t>(PassStage::kClear)]);
}

// The figures --bench prints for each pass, the whole pass aside.
constexpr const char* kFigureNames[] = {
    "generation", "scene rebuild", "clear", "rotate+project", "order", "fill", "whole frame"};
constexpr size_t kFigureCount = std::size(kFigureNames);

std::array<double, kFigureCount> Figures(const PassTimes& times) {
  auto ms = [&](PassStage stage) { return times.ms[static_cast<size_t>(stage)]; };
  return {ms(PassStage::kGeneration),
          ms(PassStage::kRebuild),
          ms(PassStage::kClearAhead) + ms(PassStage::kClear),  // a clear may be made ahead
          ms(PassStage::kRotateProject),
          ms(PassStage::kOrder),
          ms(PassStage::kFill),
          times.wholeFrame};
}

// Every timed pass's figures, and its whole time on the calling thread.
struct BenchRecord {
  std::vector<double> figures[kFigureCount];
  std::vector<double> wholePass;
  double wallSeconds = 0;  // all the passes, the pauses included
};

void PrintBench(const Life3D& app, const RenderOptions& options, long passes, double seconds,
                const BenchRecord& record) {
  std::printf("life3d-render: %dx%d, seed %.3f, %ld passes, %d faces in the last scene\n",
              options.width, options.height, seconds, passes, app.mesh.FaceCount);
  std::printf("stage times, median ms per pass\n");
  for (size_t k = 0; k < kFigureCount; ++k)
    std::printf("  %-15s %8.3f\n", kFigureNames[k], Median(record.figures[k]));
  std::printf("whole pass (median ms, without the pause) %8.3f\n", Median(record.wholePass));
  std::printf("passes per second (all %ld passes, wall clock%s) %.1f\n", passes,
              options.pause ? ", pause included" : "",
              record.wallSeconds > 0 ? passes / record.wallSeconds : 0);
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

// "stopped by a signal (Terminated); 'run.mkv' and 'frame.png' not written".
std::string StopMessage(const RenderOptions& options) {
  std::string files;
  for (const std::string* name : {&options.video, &options.out})
    if (!name->empty() && *name != "-")
      files += (files.empty() ? "" : " and ") + life3d::QuoteName(*name);
  std::string text = std::string("stopped by a signal (") + strsignal(gStopSignal) + ")";
  if (!files.empty()) text += "; " + files + " not written";
  if (options.video == "-") text += "; the video on standard output is incomplete";
  if (options.out == "-") text += "; nothing written to standard output";
  return text;
}

// The progress line of a recording, on standard error when it is a terminal:
// passes done of the total, the encoding speed, time left.
struct Progress {
  bool shown = false;
  long total = 0;
  Clock::time_point start, lastShown;
};

Progress StartProgress(bool wanted, long total) {
  Progress progress;
  progress.shown = wanted && isatty(STDERR_FILENO);
  progress.total = total;
  progress.start = Clock::now();
  return progress;
}

double FramesPerSecond(const Progress& progress, long frames) {
  const double seconds = std::chrono::duration<double>(Clock::now() - progress.start).count();
  return seconds > 0 ? frames / seconds : 0;
}

// Redrawn at most four times a second: the line costs nothing next to a pass.
// "encoding at", so the speed is not read as the video's frame rate.
void ShowProgress(Progress& progress, long done) {
  if (!progress.shown) return;
  const Clock::time_point now = Clock::now();
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

// The pause and the worker a run's passes take, as the program's are.
PassIo RunIo(const RenderOptions& options, Worker& worker) {
  return PassIo{options.pause ? Pause : nullptr, nullptr, nullptr, &worker};
}

// Times the real passes through RunPass's stage hook and prints the median
// of each figure and the rate over all the passes. False when a signal stops it.
bool RunBench(Life3D& app, const RenderOptions& options, long passes, double seconds) {
  BenchRecord record;
  for (auto& figure : record.figures) figure.reserve(std::min(passes, 100000L));
  record.wholePass.reserve(std::min(passes, 100000L));
  PassTimes times;
  Worker worker;
  PassIo io = RunIo(options, worker);
  io.hook = {TimeStage, &times};
  const Clock::time_point start = Clock::now();
  for (long pass = 0; pass < passes && !gStopSignal; ++pass) {
    times = PassTimes{};
    const Clock::time_point passStart = Clock::now();
    RunPass(app, io);
    // A wait for the worker after the pause counts; the pause does not.
    record.wholePass.push_back(Milliseconds(Clock::now() - passStart) -
                               times.ms[static_cast<size_t>(PassStage::kPause)]);
    const auto figures = Figures(times);
    for (size_t k = 0; k < kFigureCount; ++k) record.figures[k].push_back(figures[k]);
  }
  if (gStopSignal) return false;
  record.wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  PrintBench(app, options, passes, seconds, record);
  return true;
}

// The loop passes after the first frame. Every frame drawn, the first one
// included, goes into video when there is one. False when a signal stops the
// run, or with the reason when the video fails.
bool RunPasses(Life3D& app, const RenderOptions& options, long passes, VideoWriter* video,
               Progress& progress, std::string& error) {
  KeyScript script{options.keys};
  Worker worker;
  PassIo io = RunIo(options, worker);
  io.readKey = NextScriptedKey;
  io.context = &script;
  auto keepFrame = [&] {
    return !video || AddVideoFrame(*video, SurfacePixels(app.SceneWindow->surface), &error);
  };
  if (!keepFrame()) return false;
  for (long pass = 0; pass < passes && !gStopSignal; ++pass) {
    if (RunPass(app, io)) break;  // Esc: the run ends before this pass's frame
    if (!keepFrame()) return false;
    ShowProgress(progress, pass + 1);
  }
  return !gStopSignal;
}

// Start-up, the window and the first frame; null when the image cannot be had.
std::unique_ptr<GraphicsWindow> StartRun(Life3D& app, const RenderOptions& options,
                                         double seconds) {
  StartUp(app, seconds, options.width, options.height);
  std::unique_ptr<GraphicsWindow> window(CreateOffscreenWindow(options.width, options.height));
  if (!window) return nullptr;
  app.SceneWindow = window.get();
  if (options.angles) {
    app.Temp_Mouse_x = options.angleX;
    app.Temp_Mouse_y = options.angleY;
    app.Temp_Mouse_z = options.angleZ;
  }
  DrawSceneFrame(app);
  // The switches act from the first pass's rebuild on, one pass earlier than
  // a key could (a key is read after the rebuild); the first frame still
  // shows the start-up scene.
  if (options.quick) app.Quick = 1;
  if (options.noCenter) app.AutoCenter = 1;
  return window;
}

// The files a run writes: checked, and the video's opened, before the run.
struct RunFiles {
  OutputTarget pngTarget;
  VideoFile video;
};

bool OpenRunFiles(const RenderOptions& options, RunFiles& files, std::string& error) {
  if (!options.out.empty() || !options.video.empty()) CatchStopSignals();
  if (!options.out.empty() && !CheckPngOutput(options.out, files.pngTarget, &error)) return false;
  if (options.video.empty()) return true;
  const VideoSettings settings{
      options.width, options.height,
      options.fps >= 0 ? static_cast<int32_t>(options.fps) : kDefaultVideoFps,
      static_cast<int32_t>(options.quality)};
  files.video = OpenVideo(options.video, settings, &error);
  return files.video != nullptr;
}

int Report(const std::string& error, int status) {
  std::fprintf(stderr, "life3d-render: %s\n", error.c_str());
  return status;
}

// Puts the run's files in place once all are complete, or none: the exit
// status, with the line that says why when it is not 0.
int CommitRunFiles(const RenderOptions& options, const DrawingSurface& picture, RunFiles& files,
                   const Progress& progress, bool ran, std::string& error) {
  VideoWriter* video = files.video.get();
  bool ok = ran && (!video || FinishVideo(*video, &error));
  // The PNG goes into its unnamed file before the last look at the signals;
  // standard output takes it only after, since a pipe cannot take it back.
  std::vector<uint8_t> png;
  OutputFile pngFile;
  if (ok && !options.out.empty()) {
    ok = EncodePng(picture, png, &error) &&
         (files.pngTarget.toStdout || (OpenOutput(files.pngTarget, pngFile, &error) &&
                                       WriteOutput(pngFile, png.data(), png.size(), &error)));
  }
  if (gStopSignal || !ok) {
    EndProgress(progress, 0, "");
    AbandonOutput(pngFile);
    return gStopSignal ? Report(StopMessage(options), 128 + gStopSignal) : Report(error, 1);
  }
  if (video && !CommitVideo(*video, &error)) return Report(error, 1);
  if (files.pngTarget.toStdout)
    ok = OpenOutput(files.pngTarget, pngFile, &error) &&
         WriteOutput(pngFile, png.data(), png.size(), &error);
  if (!options.out.empty() && !(ok && CommitOutput(pngFile, &error))) return Report(error, 1);
  EndProgress(progress, video ? VideoFrameCount(*video) : 0,
              options.video == "-" ? "standard output" : QuoteName(options.video));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  RenderOptions options;
  std::string error;
  if (!ParseRenderOptions(argc, argv, options, error)) return Report(error, 2);
  if (options.help) {
    PrintRenderUsage();
    return 0;
  }
  if (options.version) {
    std::fputs("life3d-render " LIFE3D_VERSION "\n", stdout);
    return 0;
  }
  // Any script a run can read to its end: every pass's key at its longest.
  if (!options.keysFile.empty() &&
      !ReadKeyScriptFile(options.keysFile, kMaxPasses * kMaxKeyBytes, options.keys, error))
    return Report(error, 2);
  const long passes =
      options.passes >= 0 ? options.passes : (options.bench ? kDefaultBenchPasses : 0);
  const double seconds = options.seed >= 0 ? options.seed : TimeOfDaySeconds();
  RunFiles files;
  if (!OpenRunFiles(options, files, error)) return Report(error, 2);

  auto app = std::make_unique<Life3D>();
  const std::unique_ptr<GraphicsWindow> window = StartRun(*app, options, seconds);
  if (!window) {
    return Report("cannot make a " + std::to_string(options.width) + "x" +
                      std::to_string(options.height) + " image",
                  1);
  }
  Progress progress = StartProgress(files.video && !options.quiet, passes);
  const bool ran = options.bench
                       ? RunBench(*app, options, passes, seconds)
                       : RunPasses(*app, options, passes, files.video.get(), progress, error);
  return CommitRunFiles(options, window->surface, files, progress, ran, error);
}

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "draw/surface.h"
#include "media/video_writer.h"

namespace life3d {
namespace {

// Frames of consecutive passes, so the encoders see the motion of a real run.
std::vector<std::vector<uint32_t>> RunFrames(int32_t width, int32_t height, int count) {
  auto app = std::make_unique<Life3D>();
  StartUp(*app, 43200.25, width, height);
  std::unique_ptr<GraphicsWindow> window(CreateOffscreenWindow(width, height));
  app->SceneWindow = window.get();
  std::vector<std::vector<uint32_t>> frames;
  for (int k = 0; k < count; ++k) {
    RunPass(*app, PassIo{});
    frames.push_back(window->surface.image);
  }
  return frames;
}

// One frame added to a recording: conversion and encoding, without the
// drawing. Arguments: the format (0 .mp4, 1 .webm, 2 .mkv) and the height
// of a 16:9 frame.
void BM_AddVideoFrame(benchmark::State& state) {
  static const char* const kNames[] = {"bench.mp4", "bench.webm", "bench.mkv"};
  const int32_t height = static_cast<int32_t>(state.range(1));
  const int32_t width = height * 16 / 9;
  const auto frames = RunFrames(width, height, 8);
  char folder[] = "/tmp/life3d_bench_XXXXXX";
  if (!mkdtemp(folder)) return state.SkipWithError("no temporary folder");
  const std::string path = std::string(folder) + "/" + kNames[state.range(0)];
  std::string error;
  VideoFile video = OpenVideo(path, VideoSettings{width, height, 60, -1}, &error);
  if (!video) return state.SkipWithError(error.c_str());
  size_t k = 0;
  for (auto _ : state) {
    if (!AddVideoFrame(*video, frames[k++ % frames.size()], &error))
      return state.SkipWithError(error.c_str());
  }
  AbandonVideo(*video);
  rmdir(folder);
  state.counters["fps"] = benchmark::Counter(static_cast<double>(k), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AddVideoFrame)
    ->ArgsProduct({{0, 1, 2}, {540, 1080}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace life3d

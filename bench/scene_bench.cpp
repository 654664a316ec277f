#include <benchmark/benchmark.h>

#include "cells/board.h"
#include "cells/scene.h"
#include "mesh/store.h"

namespace life3d {
namespace {

// A fixed seeded board (about 320 live cells) and its next generation, the
// pair one pass of the main loop turns into a scene.
BoardPair BenchBoards() {
  BoardPair boards;
  RandomGenerator rng{12345};
  SeedBoard(boards.BoardNow, rng);
  NextGeneration(boards.BoardNow, boards.BoardNext);
  return boards;
}

// One scene rebuild as the main loop does it: boxes, then the ground.
void BM_SceneRebuild(benchmark::State& state) {
  const BoardPair boards = BenchBoards();
  const int32_t quick = static_cast<int32_t>(state.range(0));
  MeshStore store;
  const float ground = 0;
  for (auto _ : state) {
    ResetScene(store);
    BuildCellBoxes(store, boards);
    BuildGround(store, ground, quick);
    benchmark::DoNotOptimize(store.Faces.data());
  }
  state.counters["live"] = CountLive(boards.BoardNow);
  state.counters["faces"] = store.FaceCount;
}
BENCHMARK(BM_SceneRebuild)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace life3d

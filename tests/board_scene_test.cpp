#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "app/program.h"
#include "cells/scene.h"

namespace life3d {
namespace {
std::atomic<long> gHeapAllocations{0};
}  // namespace
}  // namespace life3d

// Counts heap allocations for the rebuild test. Weak, so that another counting
// replacement in the same test program takes precedence instead of clashing;
// the test checks that the count moves before it relies on it.
__attribute__((weak)) void* operator new(std::size_t size) {
  ++life3d::gHeapAllocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

namespace life3d {
namespace {

void Rebuild(MeshStore& s, const BoardPair& boards, int32_t quick) {
  ResetScene(s);
  BuildCellBoxes(s, boards);
  BuildGround(s, 0.0f, quick);
}

struct Rgb3 {
  int r, g, b;
  bool operator==(const Rgb3&) const = default;
};

Rgb3 ColorOf(const Face& f) {
  return {f.Red, f.Green, f.Blue};
}

TEST(BoardScene, EmptyBoardsGiveOnlyTheGroundUnlessQuick) {
  const BoardPair empty;
  for (int32_t quick : {0, 1}) {
    MeshStore s;
    Rebuild(s, empty, quick);
    EXPECT_EQ(s.VertexCount, quick ? 0 : 6400);
    EXPECT_EQ(s.FaceCount, quick ? 0 : 6400);
  }
}

TEST(BoardScene, GroundTilesAreACheckerboardWithWhiteUndersides) {
  const struct {
    int i, j;
    Rgb3 upper;
  } cases[] = {{1, 1, {100, 255, 255}},
               {1, 2, {100, 155, 255}},
               {2, 1, {100, 155, 255}},
               {40, 40, {100, 255, 255}},
               {7, 30, {100, 155, 255}}};
  MeshStore s;
  BuildGround(s, 0.0f, 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "tile " << c.i << "," << c.j);
    const int tile = (c.i - 1) * 40 + (c.j - 1);  // tiles in order: i outer, j inner
    const float x = 40.0f * c.j, y = 40.0f * c.i;
    const Vertex* v = &s.Vertices[4 * tile];
    const float corners[4][2] = {
        {x - 20, y - 20}, {x + 20, y - 20}, {x + 20, y + 20}, {x - 20, y + 20}};
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(v[k].X, corners[k][0]);
      EXPECT_EQ(v[k].Y, corners[k][1]);
      EXPECT_EQ(v[k].Z, 0);
    }
    for (int f = 0; f < 4; ++f) {
      const Rgb3 expected = f % 2 == 0 ? c.upper : Rgb3{255, 255, 255};
      EXPECT_EQ(ColorOf(s.Faces[4 * tile + f]), expected) << "face " << f;
    }
  }
}

TEST(BoardScene, BoxHeightAndColorTellTheCellsTransition) {
  const struct {
    const char* name;
    int now, next;
    float height;
    Rgb3 color;
  } cases[] = {{"staying alive", 1, 1, 40, {255, 0, 0}},
               {"being born", 0, 1, 20, {80, 80, 150}},
               {"dying", 1, 0, 20, {150, 80, 80}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BoardPair boards;
    boards.BoardNow(3, 5) = c.now;
    boards.BoardNext(3, 5) = c.next;
    MeshStore s;
    BuildCellBoxes(s, boards);
    ASSERT_EQ(s.VertexCount, 8);
    ASSERT_EQ(s.FaceCount, 12);
    // Vertex 0 is the base corner P0, vertex 4 the top corner above P2.
    EXPECT_EQ((std::array{s.Vertices[0].X, s.Vertices[0].Y, s.Vertices[0].Z}),
              (std::array<float, 3>{180, 100, 0}));
    EXPECT_EQ((std::array{s.Vertices[4].X, s.Vertices[4].Y, s.Vertices[4].Z}),
              (std::array<float, 3>{220, 140, c.height}));
    for (int f = 0; f < 12; ++f) EXPECT_EQ(ColorOf(s.Faces[f]), c.color) << "face " << f;
  }
}

BoardPair SeededBoards(uint32_t state) {
  BoardPair boards;
  RandomGenerator rng{state};
  SeedBoard(boards.BoardNow, rng);
  NextGeneration(boards.BoardNow, boards.BoardNext);
  return boards;
}

TEST(BoardScene, BoxesComeRowByRow) {
  const BoardPair boards = SeededBoards(2024);
  MeshStore s;
  BuildCellBoxes(s, boards);
  ASSERT_GT(s.VertexCount, 8);
  for (int32_t box = 1; box < s.VertexCount / 8; ++box) {
    const Vertex &last = s.Vertices[8 * (box - 1)], &v = s.Vertices[8 * box];
    EXPECT_TRUE(v.Y > last.Y || (v.Y == last.Y && v.X > last.X)) << "box " << box;
  }
}

// A scene built over the leftovers of a larger one must equal a fresh build.
TEST(BoardScene, RebuildOverALargerSceneEqualsAFreshBuild) {
  const BoardPair large = SeededBoards(7), small = SeededBoards(99);
  MeshStore reused, fresh;
  Rebuild(reused, large, 0);
  Rebuild(reused, small, 1);
  Rebuild(fresh, small, 1);
  ASSERT_EQ(reused.VertexCount, fresh.VertexCount);
  ASSERT_EQ(reused.FaceCount, fresh.FaceCount);
  ASSERT_EQ(reused.Faces.size(), fresh.Faces.size());
  for (int32_t i = 0; i < fresh.VertexCount; ++i) {
    EXPECT_EQ(reused.Vertices[i].X, fresh.Vertices[i].X);
    EXPECT_EQ(reused.Vertices[i].Y, fresh.Vertices[i].Y);
    EXPECT_EQ(reused.Vertices[i].Z, fresh.Vertices[i].Z);
  }
  for (int32_t f = 0; f < fresh.FaceCount; ++f) {
    EXPECT_EQ(reused.Faces[f].A, fresh.Faces[f].A);
    EXPECT_EQ(reused.Faces[f].B, fresh.Faces[f].B);
    EXPECT_EQ(reused.Faces[f].C, fresh.Faces[f].C);
    EXPECT_EQ(ColorOf(reused.Faces[f]), ColorOf(fresh.Faces[f]));
  }
}

TEST(BoardScene, RebuildingAfterTheFirstPassDoesNotAllocate) {
  const long probe = gHeapAllocations;
  void* volatile block = ::operator new(16);
  ::operator delete(block);
  if (gHeapAllocations == probe) GTEST_SKIP() << "another operator new replacement is in use";

  const BoardPair one = SeededBoards(11);
  BoardPair two;
  two.BoardNow = one.BoardNext;
  NextGeneration(two.BoardNow, two.BoardNext);
  MeshStore s;
  Rebuild(s, one, 0);  // the first pass grows the arrays and the lines
  Rebuild(s, two, 0);
  const long before = gHeapAllocations;
  for (int32_t quick : {0, 1}) {
    Rebuild(s, one, quick);
    Rebuild(s, two, quick);
  }
  EXPECT_EQ(gHeapAllocations - before, 0);
}

// The program's loop as it runs on the desktop: a pause, a worker doing the
// rebuild and the frame meanwhile, a presenter taking every frame, passes
// with a key and without (the frame drawn anew, or the one drawn ahead); and
// a stage hook, as the tool's --bench sets one.
TEST(BoardScene, PassesWithAWorkerDoNotAllocateAfterTheFirst) {
  const long probe = gHeapAllocations;
  void* volatile block = ::operator new(16);
  ::operator delete(block);
  if (gHeapAllocations == probe) GTEST_SKIP() << "another operator new replacement is in use";

  auto app = std::make_unique<Life3D>();
  std::unique_ptr<GraphicsWindow> window(CreateOffscreenWindow(320, 200));
  window->surface.present = [](DrawingSurface&, void*) {};
  StartUp(*app, 3000.5, 320, 200);
  app->SceneWindow = window.get();
  Worker worker;
  int turn = 0;
  const PassIo io{[](int32_t) {},
                  [](void* turn) { return std::string(++*static_cast<int*>(turn) % 2 ? "x" : ""); },
                  &turn,
                  &worker,
                  {[](PassStage, bool, void*) {}, nullptr}};
  for (int k = 0; k < 3; ++k) RunPass(*app, io);
  const long before = gHeapAllocations;
  for (int k = 0; k < 20; ++k) RunPass(*app, io);
  EXPECT_EQ(gHeapAllocations - before, 0);
}

}  // namespace
}  // namespace life3d

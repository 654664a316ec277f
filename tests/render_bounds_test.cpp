#include <gtest/gtest.h>

#include <vector>

#include "cells/scene.h"
#include "render/bounds.h"

namespace life3d {
namespace {

MeshStore StoreOf(const std::vector<Vertex>& vertices) {
  MeshStore store;
  store.VertexCount = static_cast<int32_t>(vertices.size());
  store.Vertices = vertices;
  store.Vertices.push_back({99, 99, 99});  // the spare element is never looked at
  return store;
}

TEST(SceneBounds, LargestCoordinateAndCentre) {
  const struct {
    const char* name;
    std::vector<Vertex> vertices;
    int32_t largest;
    Vertex firstCentred;
  } cases[] = {
      {"empty scene", {}, 0, {}},
      {"10..50 centres on 25, not 30", {{10, 10, 10}, {50, 50, 50}}, 50, {-15, -15, -15}},
      {"negative scene", {{-50, -10, -30}, {-10, -50, -10}}, 0, {-25, 15, -15}},
      {"2.5 rounds to 2", {{2.5f, 0, 0}}, 2, {1.25f, 0, 0}},
      {"3.5 rounds to 4", {{0, -1, 3.5f}}, 4, {0, -0.5f, 1.75f}},
  };
  for (const auto& c : cases) {
    MeshStore store = StoreOf(c.vertices);
    EXPECT_EQ(LargestCoordinate(store), c.largest) << c.name;
    CenterScene(store, 0);
    if (!c.vertices.empty()) {
      EXPECT_FLOAT_EQ(store.Vertices[0].X, c.firstCentred.X) << c.name;
      EXPECT_FLOAT_EQ(store.Vertices[0].Y, c.firstCentred.Y) << c.name;
      EXPECT_FLOAT_EQ(store.Vertices[0].Z, c.firstCentred.Z) << c.name;
    }
    EXPECT_EQ(store.Vertices.back().X, 99) << c.name;

    MeshStore kept = StoreOf(c.vertices);
    CenterScene(kept, 1);  // centring switched off
    for (size_t i = 0; i < c.vertices.size(); ++i) EXPECT_EQ(kept.Vertices[i].X, c.vertices[i].X);
  }
}

TEST(SceneBounds, BoardSceneMovesByItsBoxThroughTheOrigin) {
  MeshStore store;
  BoardPair boards;
  boards.BoardNow(1, 1) = boards.BoardNext(1, 1) = 1;  // one box, 40 high, at (20..60, 20..60)
  BuildCellBoxes(store, boards);
  BuildGround(store, 0.0f, 0);
  EXPECT_EQ(LargestCoordinate(store), 1620);
  const Vertex first = store.Vertices[0];
  CenterScene(store, 0);
  EXPECT_FLOAT_EQ(store.Vertices[0].X - first.X, -810);
  EXPECT_FLOAT_EQ(store.Vertices[0].Y - first.Y, -810);
  EXPECT_FLOAT_EQ(store.Vertices[0].Z - first.Z, -20);
}

}  // namespace
}  // namespace life3d

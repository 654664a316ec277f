#include "cells/scene.h"

#include "mesh/shapes.h"

namespace life3d {

namespace {

// Packed colors red + 256 green + 65536 blue, as the box colors are.
constexpr int32_t kGroundEven = 16777060;   // (100, 255, 255)
constexpr int32_t kGroundOdd = 16751460;    // (100, 155, 255)
constexpr int32_t kGroundUnder = 16777215;  // (255, 255, 255)

}  // namespace

void BuildCellBoxes(MeshStore& store, const BoardPair& boards) {
  const float s = 40;  // cell pitch, also the side of a box
  for (int i = 1; i <= kBoardSize; ++i) {
    for (int j = 1; j <= kBoardSize; ++j) {
      const int32_t v = boards.BoardNow(i, j) * 10 + boards.BoardNext(i, j);
      float h;
      int32_t color;
      if (v == 1) {
        h = 20;
        color = kBornColor;
      } else if (v == 10) {
        h = 20;
        color = kDyingColor;
      } else if (v == 11) {
        h = 40;
        color = kAliveColor;
      } else {
        continue;
      }
      const float x0 = s * j - s / 2, x1 = s * j + s / 2;
      const float y0 = s * i - s / 2, y1 = s * i + s / 2;
      // P0, P1, P2 run round the base so that its normal points up; P3 is above P2.
      const float points[12] = {x0, y0, 0, x1, y0, 0, x1, y1, 0, x1, y1, h};
      MakeBox(store, points, color);
    }
  }
}

void BuildGround(MeshStore& store, float z, int32_t Quick) {
  if (Quick == 1) return;
  const int32_t pitch = 40;
  const float half = pitch / 2.0f;
  for (int i = 1; i <= kBoardSize; ++i) {
    for (int j = 1; j <= kBoardSize; ++j) {
      const int32_t upper = (i + j) % 2 == 0 ? kGroundEven : kGroundOdd;
      const float x0 = pitch * j - half, x1 = pitch * j + half;
      const float y0 = pitch * i - half, y1 = pitch * i + half;
      const float points[9] = {x0, y0, z, x1, y0, z, x1, y1, z};
      MakeRectangle(store, points, upper, kGroundUnder);
    }
  }
}

}  // namespace life3d

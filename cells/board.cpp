#include "cells/board.h"

#include <cmath>

namespace life3d {

void SeedBoard(Board& now, RandomGenerator& rng) {
  for (int i = 1; i <= kBoardSize; ++i) {
    for (int j = 1; j <= kBoardSize; ++j) {
      const double r = RandomUnit(rng);
      // floor(5r + 1) = 3 means 0.4 <= r < 0.6: one cell in five.
      if (std::floor(5.0 * r + 1.0) == 3.0) now(i, j) = 1;
    }
  }
}

void NextGeneration(const Board& now, Board& next) {
  // Neighbour indices wrap: row or column 0 stands for 40 and 41 for 1.
  for (int i = 1; i <= kBoardSize; ++i) {
    const int up = i == 1 ? kBoardSize : i - 1;
    const int down = i == kBoardSize ? 1 : i + 1;
    for (int j = 1; j <= kBoardSize; ++j) {
      const int left = j == 1 ? kBoardSize : j - 1;
      const int right = j == kBoardSize ? 1 : j + 1;
      const int32_t n = now(up, left) + now(up, j) + now(up, right) + now(i, left) + now(i, right) +
                        now(down, left) + now(down, j) + now(down, right);
      if (n == 2) {
        next(i, j) = now(i, j);
      } else {
        next(i, j) = n == 3 ? 1 : 0;
      }
    }
  }
}

int CountLive(const Board& board) {
  int live = 0;
  for (int i = 1; i <= kBoardSize; ++i) {
    for (int j = 1; j <= kBoardSize; ++j) live += board(i, j);
  }
  return live;
}

}  // namespace life3d

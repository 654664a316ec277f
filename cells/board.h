// The 40 x 40 wrap-around board and the generation rule (birth on 3 live
// neighbours, survival on 2 or 3).
#pragma once

#include <array>
#include <cassert>
#include <cstdint>

#include "base/random.h"

namespace life3d {

inline constexpr int kBoardSize = 40;

// Cells are addressed (i, j) with 1 <= i, j <= 40; row and column 0 are unused
// so the code reads like the board's own 1-based numbering. Values 0 or 1.
struct Board {
  std::array<std::array<int32_t, kBoardSize + 1>, kBoardSize + 1> cell{};
  int32_t& operator()(int i, int j) {
    assert(OnBoard(i, j));
    return cell[i][j];
  }
  int32_t operator()(int i, int j) const {
    assert(OnBoard(i, j));
    return cell[i][j];
  }
  static constexpr bool OnBoard(int i, int j) {
    return i >= 1 && i <= kBoardSize && j >= 1 && j <= kBoardSize;
  }
};

// The generation shown now and the one being computed. Between loop passes
// both hold the same generation.
struct BoardPair {
  Board BoardNow;
  Board BoardNext;
};

// Makes about one cell in five of the board live; never clears a cell.
void SeedBoard(Board& now, RandomGenerator& rng);
// Writes every cell of next from now by the rule, edges wrapping around.
void NextGeneration(const Board& now, Board& next);
// Number of live cells.
int CountLive(const Board& board);

}  // namespace life3d

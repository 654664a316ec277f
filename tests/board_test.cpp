#include "cells/board.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

namespace life3d {
namespace {

Board FromCells(const std::vector<std::pair<int, int>>& live) {
  Board b;
  for (auto [i, j] : live) b(i, j) = 1;
  return b;
}

bool SameCells(const Board& a, const Board& b) {
  for (int i = 1; i <= kBoardSize; ++i)
    for (int j = 1; j <= kBoardSize; ++j)
      if (a(i, j) != b(i, j)) return false;
  return true;
}

Board Step(const Board& now) {
  Board next;
  NextGeneration(now, next);
  return next;
}

// Plain reference: count with modular indices.
int ReferenceNext(const Board& b, int i, int j) {
  int n = 0;
  for (int di = -1; di <= 1; ++di)
    for (int dj = -1; dj <= 1; ++dj) {
      if (di == 0 && dj == 0) continue;
      const int ii = (i - 1 + di + kBoardSize) % kBoardSize + 1;
      const int jj = (j - 1 + dj + kBoardSize) % kBoardSize + 1;
      n += b(ii, jj);
    }
  return n == 3 || (n == 2 && b(i, j) == 1) ? 1 : 0;
}

TEST(NextGeneration, AgreesWithReferenceOnRandomBoards) {
  std::mt19937 gen(3);
  for (int density : {10, 30, 50, 90}) {
    std::bernoulli_distribution live(density / 100.0);
    for (int round = 0; round < 20; ++round) {
      Board b;
      for (int i = 1; i <= kBoardSize; ++i)
        for (int j = 1; j <= kBoardSize; ++j) b(i, j) = live(gen) ? 1 : 0;
      Board next;
      next(5, 5) = 7;  // every cell must be written
      NextGeneration(b, next);
      for (int i = 1; i <= kBoardSize; ++i)
        for (int j = 1; j <= kBoardSize; ++j)
          ASSERT_EQ(next(i, j), ReferenceNext(b, i, j)) << i << "," << j;
    }
  }
}

TEST(NextGeneration, RuleCases) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, int>> live;
    int i, j, want;
  };
  const Case cases[] = {
      {"dead with 3 is born", {{1, 1}, {1, 2}, {1, 3}}, 2, 2, 1},
      {"dead with 2 stays dead", {{1, 1}, {1, 3}}, 2, 2, 0},
      {"live with 2 survives", {{2, 2}, {1, 1}, {1, 3}}, 2, 2, 1},
      {"live with 3 survives", {{2, 2}, {1, 1}, {1, 3}, {3, 3}}, 2, 2, 1},
      {"live with 1 dies", {{2, 2}, {1, 1}}, 2, 2, 0},
      {"live with 4 dies", {{2, 2}, {1, 1}, {1, 3}, {3, 3}, {3, 1}}, 2, 2, 0},
      // The corner's neighbours are (40,40), (40,1), (40,2), (1,40), (1,2), (2,40), (2,1), (2,2).
      {"corner sees wrapped cells", {{40, 40}, {40, 1}, {2, 40}}, 1, 1, 1},
      {"corner sees (1,40) (1,2) (2,2)", {{1, 40}, {1, 2}, {2, 2}}, 1, 1, 1},
      {"(3,3) is not a corner neighbour", {{40, 40}, {40, 1}, {3, 3}}, 1, 1, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Step(FromCells(c.live))(c.i, c.j), c.want) << c.name;
  }
}

TEST(NextGeneration, StillLifeOscillatorAndEmptyBoard) {
  const Board block = FromCells({{40, 40}, {40, 1}, {1, 40}, {1, 1}});  // across the corner
  EXPECT_TRUE(SameCells(Step(block), block));
  const Board blinker = FromCells({{10, 39}, {10, 40}, {10, 1}});
  const Board turned = Step(blinker);
  EXPECT_TRUE(SameCells(turned, FromCells({{9, 40}, {10, 40}, {11, 40}})));
  EXPECT_TRUE(SameCells(Step(turned), blinker));
  const Board empty;
  EXPECT_EQ(CountLive(Step(empty)), 0);
}

TEST(NextGeneration, GliderCrossesTheEdgesAndReturns) {
  // A glider moves one cell diagonally every 4 generations: after 160 it has
  // gone round the 40-cell torus once in both directions.
  const Board glider = FromCells({{38, 39}, {39, 40}, {40, 38}, {40, 39}, {40, 40}});
  Board now = glider;
  for (int g = 0; g < 160; ++g) {
    now = Step(now);
    ASSERT_EQ(CountLive(now), 5) << "generation " << g + 1;
  }
  EXPECT_TRUE(SameCells(now, glider));
}

TEST(SeedBoard, AddsAboutAFifthAndIsRepeatable) {
  RandomGenerator a, b;
  SeedRandom(a, 43200.25);
  SeedRandom(b, 43200.25);
  Board first, second;
  SeedBoard(first, a);
  SeedBoard(second, b);
  EXPECT_TRUE(SameCells(first, second));
  EXPECT_GT(CountLive(first), 240);
  EXPECT_LT(CountLive(first), 400);
  // Seeding never clears: a full board stays full, a seeded one only grows.
  Board full;
  for (int i = 1; i <= kBoardSize; ++i)
    for (int j = 1; j <= kBoardSize; ++j) full(i, j) = 1;
  SeedBoard(full, a);
  EXPECT_EQ(CountLive(full), 1600);
  Board grown = first;
  SeedBoard(grown, a);
  for (int i = 1; i <= kBoardSize; ++i)
    for (int j = 1; j <= kBoardSize; ++j) EXPECT_GE(grown(i, j), first(i, j));
}

TEST(SeedBoard, UsesOneNumberPerCellInRowOrder) {
  // From state 0 the first numbers are known; a cell is live iff 0.4 <= r < 0.6.
  RandomGenerator rng, ref;
  Board b;
  SeedBoard(b, rng);
  for (int i = 1; i <= kBoardSize; ++i)
    for (int j = 1; j <= kBoardSize; ++j) {
      const double r = RandomUnit(ref);
      ASSERT_EQ(b(i, j), r >= 0.4 && r < 0.6 ? 1 : 0);
    }
  EXPECT_EQ(rng.state, ref.state);
}

}  // namespace
}  // namespace life3d

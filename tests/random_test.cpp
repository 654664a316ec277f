#include "base/random.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/clock.h"

namespace life3d {
namespace {

TEST(Random, SequenceFromStateZero) {
  RandomGenerator rng;
  EXPECT_EQ(RandomUnit(rng), 0.0);
  EXPECT_EQ(rng.state, 1u);
  EXPECT_EQ(RandomUnit(rng), 67387907.0 / 2147483648.0);
  EXPECT_EQ(rng.state, 134775814u);
}

TEST(Random, SeedIsTheFloatBitPattern) {
  RandomGenerator rng;
  SeedRandom(rng, 43200.25);
  const float f = 43200.25f;
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  EXPECT_EQ(rng.state, bits);
  // A double that is not a float is rounded to one first.
  SeedRandom(rng, 0.1);
  const float g = 0.1f;
  std::memcpy(&bits, &g, 4);
  EXPECT_EQ(rng.state, bits);
}

TEST(Random, SameSeedSameSequenceAndRange) {
  RandomGenerator a, b;
  SeedRandom(a, 1234.567);
  SeedRandom(b, 1234.567);
  for (int i = 0; i < 10000; ++i) {
    const double r = RandomUnit(a);
    ASSERT_EQ(r, RandomUnit(b));
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
  }
}

TEST(Random, TimeOfDay) {
  EXPECT_EQ(TimeOfDaySeconds(12, 0, 0, 250), 43200.25);
  EXPECT_EQ(TimeOfDaySeconds(0, 0, 0, 0), 0.0);
  EXPECT_EQ(TimeOfDaySeconds(23, 59, 59, 999), 86399.999);
  const double now = TimeOfDaySeconds();
  EXPECT_GE(now, 0.0);
  EXPECT_LT(now, 86400.0);
}

}  // namespace
}  // namespace life3d

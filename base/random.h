// Random numbers: the board is seeded from a small linear congruential
// generator whose state is the bit pattern of the start time.
#pragma once

#include <cstdint>

namespace life3d {

struct RandomGenerator {
  uint32_t state = 0;
};

// The 32 bits of v as a 32-bit float become the state.
void SeedRandom(RandomGenerator& rng, double v);
// Next value r, 0 <= r < 1, carrying the top 31 bits of the state.
double RandomUnit(RandomGenerator& rng);

}  // namespace life3d

// Random numbers and the time of day: the board is seeded from a small linear
// congruential generator whose state is the bit pattern of the start time.
#pragma once

#include <cstdint>

namespace life3d {

struct RandomGenerator {
  uint32_t state = 0;
};

// Seconds since local midnight, millisecond resolution (0 .. 86399.999).
double TimeOfDaySeconds();
// Same, from a broken-down local time: 12:00:00.250 gives 43200.25.
double TimeOfDaySeconds(int hours, int minutes, int seconds, int milliseconds);
// The 32 bits of v as a 32-bit float become the state.
void SeedRandom(RandomGenerator& rng, double v);
// Next value r, 0 <= r < 1, carrying the top 31 bits of the state.
double RandomUnit(RandomGenerator& rng);

}  // namespace life3d

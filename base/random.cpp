#include "base/random.h"

#include <cstring>

namespace life3d {

void SeedRandom(RandomGenerator& rng, double v) {
  const float f = static_cast<float>(v);
  std::memcpy(&rng.state, &f, sizeof f);
}

double RandomUnit(RandomGenerator& rng) {
  rng.state = rng.state * 134775813u + 1u;  // arithmetic mod 2^32
  return static_cast<double>(rng.state >> 1) / 2147483648.0;
}

}  // namespace life3d

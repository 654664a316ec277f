#include "platform/random.h"

#include <cstring>
#include <ctime>

namespace life3d {

double TimeOfDaySeconds(int hours, int minutes, int seconds, int milliseconds) {
  const long long ms = hours * 3600000LL + minutes * 60000LL + seconds * 1000LL + milliseconds;
  return static_cast<double>(ms) / 1000.0;
}

double TimeOfDaySeconds() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  return TimeOfDaySeconds(local.tm_hour, local.tm_min, local.tm_sec,
                          static_cast<int>(now.tv_nsec / 1000000));
}

void SeedRandom(RandomGenerator& rng, double v) {
  const float f = static_cast<float>(v);
  std::memcpy(&rng.state, &f, sizeof f);
}

double RandomUnit(RandomGenerator& rng) {
  rng.state = rng.state * 134775813u + 1u;  // arithmetic mod 2^32
  return static_cast<double>(rng.state >> 1) / 2147483648.0;
}

}  // namespace life3d

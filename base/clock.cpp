#include "base/clock.h"

#include <chrono>
#include <ctime>
#include <thread>

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

void Pause(int32_t milliseconds) {
  if (milliseconds <= 0) return;
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace life3d

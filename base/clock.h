// The operating system's time: the time of day that seeds each run, and the
// sleep of the pass's pause.
#pragma once

#include <cstdint>

namespace life3d {

inline constexpr int32_t kSecondsPerDay = 86400;

// Seconds since local midnight, millisecond resolution (0 .. 86399.999).
double TimeOfDaySeconds();
// Same, from a broken-down local time: 12:00:00.250 gives 43200.25.
double TimeOfDaySeconds(int hours, int minutes, int seconds, int milliseconds);
// Sleeps the calling thread; zero or negative returns at once.
void Pause(int32_t milliseconds);

}  // namespace life3d

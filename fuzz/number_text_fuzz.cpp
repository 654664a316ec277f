// Number texts both ways: FormatNumberTo of any double bits and digit count
// into a buffer with a guard after kNumberTextMax bytes, the round trips the
// format promises, and ParseNumber of any bytes.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "text/text.h"

namespace life3d {
namespace {

constexpr int kGuard = 16;
constexpr char kGuardByte = '\x5A';

// The text of x, checked to stay inside its kNumberTextMax bytes.
std::string_view Format(char (&buffer)[kNumberTextMax + kGuard], double x, int n) {
  std::memset(buffer, kGuardByte, sizeof buffer);
  const int length = FormatNumberTo(buffer, x, n);
  if (length < 1 || length > kNumberTextMax) std::abort();
  for (int k = kNumberTextMax; k < kNumberTextMax + kGuard; ++k) {
    if (buffer[k] != kGuardByte) std::abort();
  }
  return std::string_view(buffer, length);
}

}  // namespace
}  // namespace life3d

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace life3d;
  fuzz::InputReader in{data, size};
  const double x = in.Take<double>();
  const int n = in.Take<int8_t>();
  const float f = in.Take<float>();
  const int32_t i = in.Take<int32_t>();
  const std::string_view text = in.Rest();

  char buffer[kNumberTextMax + kGuard];
  const std::string_view shown = Format(buffer, x, n);
  (void)ParseNumber(shown);
  // Seven digits keep a float to 0.6 of a unit of its seventh digit (the
  // rounding looks at the eighth digit only); fifteen give every 32-bit
  // integer back.
  if (std::isfinite(f)) {
    const long double back = ParseNumber(Format(buffer, f, 7));
    if (std::fabs(back - f) > 6e-7L * std::fabs(static_cast<long double>(f))) {
      std::fprintf(stderr, "%.9g as %.*s\n", f, static_cast<int>(Format(buffer, f, 7).size()),
                   buffer);
      std::abort();
    }
  }
  if (ParseNumber(Format(buffer, i, 15)) != i) {
    std::fprintf(stderr, "%d as %.*s\n", i, static_cast<int>(Format(buffer, i, 15).size()), buffer);
    std::abort();
  }

  const long double parsed = ParseNumber(text);
  (void)Format(buffer, static_cast<double>(parsed), n);
  return 0;
}

// Number text. Sections:
//   Digits          WriteUnsigned; the one-digit rounding (RoundDigits); the
//                   exact 18-digit expansion of a double (ExactDigits)
//   Number to text  FormatNumberTo, FormatNumber: plain or exponent form
//   Text to number  powers of ten, radix numbers (&H, &O, &B), ParseNumber
//   Rounding        RoundToInt: to nearest, ties to even
#include "text/text.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace life3d {

namespace {

// ---- Digits ----

// 10^k for k = 0..19, every power of ten a 64-bit integer holds.
constexpr auto kWholeTens = [] {
  std::array<uint64_t, 20> t{};
  t[0] = 1;
  for (size_t k = 1; k < t.size(); ++k) t[k] = t[k - 1] * 10;
  return t;
}();

// Writes the decimal digits of v into out, returns how many: the count
// first, then two digits at a time from the last one.
int WriteUnsigned(char* out, uint64_t v) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  // The digit count without a loop: from the bit length, one short at most.
  const int guess = (std::bit_width(v) * 1233) >> 12;  // 1233 / 4096 is about log10(2)
  const int len = v == 0 ? 1 : guess + 1 - (v < kWholeTens[guess] ? 1 : 0);
  char* p = out + len;
  while (v >= 100) {
    const auto pair = static_cast<size_t>(v % 100) * 2;
    v /= 100;
    *--p = kPairs[pair + 1];
    *--p = kPairs[pair];
  }
  if (v >= 10) {
    *--p = kPairs[v * 2 + 1];
    *--p = kPairs[v * 2];
  } else {
    *--p = static_cast<char>('0' + v);
  }
  return len;
}

// Adds one unit in the last of the n digits; a carry out of the first digit
// gives 1 followed by zeros and raises the exponent e.
void RoundUpDigits(char* digits, int n, int& e) {
  int i = n - 1;
  while (i >= 0 && digits[i] == '9') digits[i--] = '0';
  if (i >= 0) {
    ++digits[i];
  } else {
    digits[0] = '1';
    ++e;
  }
}

// Rounding looks at digit n+1 only: above 5 up, below 5 down, exactly 5 to
// make digit n even. digits holds 18 digits of the value's exact expansion.
// Returns the number of digits kept after dropping trailing zeros; e may grow.
int RoundDigits(char* digits, int n, int& e) {
  if (n < 18) {
    const int next = digits[n] - '0';
    const int last = digits[n - 1] - '0';
    if (next > 5 || (next == 5 && last % 2 == 1)) RoundUpDigits(digits, n, e);
  }
  int k = n;
  while (k > 1 && digits[k - 1] == '0') --k;
  return k;
}

using U128 = unsigned __int128;

int BitLength(U128 v) {
  const auto hi = static_cast<uint64_t>(v >> 64);
  if (hi != 0) return 128 - __builtin_clzll(hi);
  const auto lo = static_cast<uint64_t>(v);
  return lo == 0 ? 0 : 64 - __builtin_clzll(lo);
}

// 18 significant digits of a > 0 (finite), rounded half to even from the exact
// value, when a = N x 10^p with N a 128-bit integer: a = m 2^k gives
// N = m 2^k (k >= 0) or N = m 5^-k with p = k (k < 0). This covers every
// coordinate-sized float and is much faster than printf; false otherwise.
bool ExactDigits(double a, char* digits, int& e) {
  int k = 0;
  const double fraction = std::frexp(a, &k);
  auto m = static_cast<uint64_t>(std::ldexp(fraction, 53));
  k -= 53;
  const int zeros = __builtin_ctzll(m);
  m >>= zeros;
  k += zeros;
  const int mBits = 64 - __builtin_clzll(m);
  U128 n = m;
  int p = 0;
  if (k >= 0) {
    if (mBits + k > 127) return false;
    n <<= k;
  } else {
    U128 five = 1;
    for (int i = 0; i < -k; ++i) {
      five *= 5;
      if (mBits + BitLength(five) > 128) return false;
    }
    n *= five;
    p = k;
  }
  // Decimal digits of n, most significant first, in chunks of 19 digits
  // (n < 2^128 has at most 39 digits: three chunks).
  char text[40];
  int len = 0;
  {
    constexpr uint64_t kTen19 = 10000000000000000000ull;
    uint64_t chunks[3];
    int count = 0;
    do {
      chunks[count++] = static_cast<uint64_t>(n % kTen19);
      n /= kTen19;
    } while (n != 0);
    len = WriteUnsigned(text, chunks[count - 1]);
    for (int c = count - 2; c >= 0; --c) {
      char tmp[20];
      const int chunkLen = WriteUnsigned(tmp, chunks[c]);
      std::memset(text + len, '0', 19 - chunkLen);
      std::memcpy(text + len + 19 - chunkLen, tmp, chunkLen);
      len += 19;
    }
  }
  e = len + p;
  if (len <= 18) {
    std::memcpy(digits, text, len);
    std::memset(digits + len, '0', 18 - len);
    return true;
  }
  std::memcpy(digits, text, 18);
  // Round the 18 digits by the exact rest: above half up, below down, a tie to even.
  bool up = text[18] > '5';
  if (text[18] == '5') {
    bool beyond = false;
    for (int i = 19; i < len; ++i) beyond = beyond || text[i] != '0';
    up = beyond || (digits[17] - '0') % 2 == 1;
  }
  if (up) RoundUpDigits(digits, 18, e);
  return true;
}

int WriteExponent(char* out, int value) {
  return WriteUnsigned(out, static_cast<uint64_t>(value));
}

}  // namespace

// ---- Number to text ----

int FormatNumberTo(char* out, double x, int n) {
  if (n <= 0 || n > 18) n = 18;
  if (x == 0) {  // negative zero too
    out[0] = ' ';
    out[1] = '0';
    return 2;
  }
  char* p = out;
  *p++ = std::signbit(x) ? '-' : ' ';
  const double a = std::fabs(x);
  if (std::isnan(a)) {
    std::memcpy(p, "NAN", 3);
    return 4;
  }
  if (std::isinf(a)) {
    std::memcpy(p, "INF", 3);
    return 4;
  }

  // Whole numbers with no more than n digits are written as they are: the
  // plain form of k digits followed by e - k zeros is the integer itself.
  // (Below 10^15 a double is whole exactly when truncating it changes nothing.)
  if (a < 1e15 && static_cast<double>(static_cast<uint64_t>(a)) == a) {
    const uint64_t v = static_cast<uint64_t>(a);
    if (v < kWholeTens[n]) return 1 + WriteUnsigned(p, v);  // at most n digits
  }

  // General path: the exact value's first 18 significant digits, then the
  // one-digit rounding to n.
  char digits[18];
  int e = 0;  // value = 0.d1 d2 ... x 10^e
  if (!ExactDigits(a, digits, e)) {
    // printf rounds the exact binary value correctly to 18 digits.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17e", a);
    digits[0] = buf[0];
    std::memcpy(digits + 1, buf + 2, 17);
    e = std::atoi(buf + 20) + 1;
  }
  const int k = RoundDigits(digits, n, e);

  const bool exponent = e > n || (e <= 0 && k - e > n);
  if (exponent) {
    *p++ = digits[0];
    if (k > 1) {
      *p++ = '.';
      std::memcpy(p, digits + 1, k - 1);
      p += k - 1;
    }
    *p++ = 'E';
    if (e > n) {
      *p++ = '+';
      p += WriteExponent(p, e - 1);
    } else {
      *p++ = '-';
      p += WriteExponent(p, 1 - e);
    }
  } else if (e >= k) {
    std::memcpy(p, digits, k);
    p += k;
    std::memset(p, '0', e - k);
    p += e - k;
  } else if (e > 0) {
    std::memcpy(p, digits, e);
    p += e;
    *p++ = '.';
    std::memcpy(p, digits + e, k - e);
    p += k - e;
  } else {
    *p++ = '.';
    std::memset(p, '0', -e);
    p += -e;
    std::memcpy(p, digits, k);
    p += k;
  }
  return static_cast<int>(p - out);
}

Text FormatNumber(double x, int n) {
  char buf[kNumberTextMax];
  return Text(buf, FormatNumberTo(buf, x, n));
}

// ---- Text to number ----

namespace {

// 10^k for k = 0..27 is exact in the 64-bit mantissa of long double.
constexpr int kExactPowers = 28;
const long double* PowersOfTen() {
  static const auto table = [] {
    struct T {
      long double v[kExactPowers];
    } t{};
    long double p = 1;
    for (int i = 0; i < kExactPowers; ++i, p *= 10) t.v[i] = p;
    return t;
  }();
  return table.v;
}

long double PowerOfTen(int k) {
  return k < kExactPowers ? PowersOfTen()[k] : std::pow(10.0L, static_cast<long double>(k));
}

int DigitValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 99;
}

long double ParseRadix(const unsigned char* p, const unsigned char* end) {
  int base = 8;
  if (p < end) {
    switch (*p) {
      case 'H':
      case 'h':
        base = 16;
        ++p;
        break;
      case 'O':
      case 'o':
      case 'Q':
      case 'q':
        base = 8;
        ++p;
        break;
      case 'B':
      case 'b':
        base = 2;
        ++p;
        break;
      default:
        break;  // base 8, this byte is the first digit
    }
  }
  long double value = 0;
  for (; p < end && DigitValue(*p) < base; ++p) value = value * base + DigitValue(*p);
  return value;
}

}  // namespace

long double ParseNumber(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end && (*p == ' ' || *p == '\t' || *p == '\n')) ++p;
  if (p < end && *p == '&') return ParseRadix(p + 1, end);

  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';

  // Whole numbers, the common case in mesh text: exact in a 64-bit integer.
  uint64_t mantissa = 0;
  int significant = 0;    // significant digits seen (leading zeros skipped)
  int integerDigits = 0;  // significant digits before the point
  int scale = 0;          // power of ten to apply to the mantissa
  bool anyDigit = false;
  bool point = false;
  for (; p < end; ++p) {
    const unsigned c = *p;
    if (c >= '0' && c <= '9') {
      anyDigit = true;
      if (c == '0' && significant == 0) {
        if (point) --scale;  // leading zero after the point
        continue;
      }
      if (!point) ++integerDigits;
      if (significant < 18) {
        mantissa = mantissa * 10 + (c - '0');
        ++significant;
        if (point) --scale;
      } else if (!point) {
        ++scale;  // digits past the 18th only move the point
      }
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!anyDigit) return negative ? -0.0L : 0.0L;

  int exponent = 0;
  if (p < end && (*p == 'E' || *p == 'e' || *p == 'D' || *p == 'd')) {
    ++p;
    bool expNegative = false;
    if (p < end && (*p == '+' || *p == '-')) expNegative = *p++ == '-';
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
      exponent = exponent * 10 + (*p - '0');
      if (exponent > 9999) exponent = 9999;
    }
    if (expNegative) exponent = -exponent;
  }

  long double value;
  if (mantissa == 0) {
    value = 0;
  } else if (integerDigits + exponent >= 4933) {
    value = 0x1p127L;  // too large for any variable: the largest power of two a float holds
  } else if (integerDigits + exponent <= -4933) {
    value = 0;
  } else {
    const int total = scale + exponent;
    const auto m = static_cast<long double>(mantissa);
    if (total >= 0) {
      value = m * PowerOfTen(total);
    } else if (total > -4900) {
      value = m / PowerOfTen(-total);
    } else {  // 10^-total would overflow: divide in two steps
      value = m / PowerOfTen(4900) / PowerOfTen(-total - 4900);
    }
  }
  return negative ? -value : value;
}

// ---- Rounding ----

int32_t RoundToInt(long double x) {
  // lrintl rounds in the current mode, which is to nearest with ties to even.
  // -2147483648.5 still rounds (to even) into the range; 2147483647.5 does not.
  if (!(x >= -2147483648.5L && x < 2147483647.5L)) {
    return std::numeric_limits<int32_t>::min();
  }
  return static_cast<int32_t>(std::lrint(x));
}

}  // namespace life3d

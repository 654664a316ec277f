// Text and number conversions. Every shape of the scene travels as mesh text,
// so these rules decide what is drawn: numbers become text with FormatNumber
// and come back with ParseNumber. Texts are byte strings (any byte, 0 too);
// positions are 1-based.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace life3d {

using Text = std::string;

// Longest text FormatNumber can produce (sign, 18 digits, point, "E-4950").
inline constexpr int kNumberTextMax = 32;

// Number text of x with n significant digits (1..18; 0 or more than 18 means
// 18). A leading blank for values >= 0, "-" otherwise; plain or exponent form.
// Exact for every 32-bit float (n = 7) and every 32-bit integer (n = 15).
Text FormatNumber(double x, int n);
// Allocation-free form: writes the text into out (at least kNumberTextMax
// bytes, not terminated) and returns its length.
int FormatNumberTo(char* out, double x, int n);

// Value of the number at the start of text (after blanks, tabs, line feeds),
// in extended precision; 0 when there is no digit. Never fails.
long double ParseNumber(std::string_view text);

// a..z and seven code-page-437 lower-case letters to capitals.
Text UpperCase(std::string_view text);

// ---- Fast forms for the mesh text round trip: the same results, no heap ----

// The value ParseNumber gives when text is a plain whole number: after blanks,
// tabs and line feeds, an optional sign and 1 to 18 digits not followed by a
// digit, a point or an exponent letter ("-0" gives 0, which equals the
// negative zero ParseNumber gives). False for any other text: ask ParseNumber.
// The text ends with a NUL byte (a std::string's bytes): that NUL ends the
// number as the end of the text would, and so does a NUL within the text.
// Inline: the reader calls it for every number of every line.
inline bool ParseWholeNumber(const char* text, int64_t& value) {
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n') ++p;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  const char* const first = p;
  // Digits past the 18th make it no plain whole number; they wrap the
  // unsigned sum harmlessly before the count turns it down.
  uint64_t v = 0;
  for (unsigned d; (d = static_cast<unsigned>(*p - '0')) <= 9; ++p) v = v * 10 + d;
  if (p == first || p - first > 18) return false;
  const char c = *p;
  if (c == '.' || c == 'E' || c == 'e' || c == 'D' || c == 'd') return false;
  value = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
  return true;
}

// 1-based position of pattern in text searching forward from start (start >= 1)
// or backward from the end (start < 0); 0 when not found.
int32_t FindText(int32_t start, std::string_view text, std::string_view pattern);
// Bytes of text from 1-based start, at most length of them (negative start or
// length count from the end). Never reads outside the text.
Text SubText(std::string_view text, int32_t start, int32_t length);
int32_t TextLength(std::string_view text);
// One byte per code (low 8 bits); -1 contributes nothing. CharText({27}) is Esc.
Text CharText(std::initializer_list<int32_t> codes);
bool TextEquals(std::string_view a, std::string_view b);
Text Concat(std::string_view a, std::string_view b);

// Largest whole number not above x; stays floating point.
long double FloorInt(long double x);
// Nearest 32-bit integer, ties to even: every store of a floating-point value
// into an integer rounds this way. A value that is not a number or lies
// outside the 32-bit range gives -2147483648, as the hardware conversion does.
int32_t RoundToInt(long double x);
// The same rule for a double, inline for the per-face and per-corner paths:
// adding and removing 1.5 * 2^52 leaves a double rounded to a whole number in
// the default rounding mode. (A long double must not be narrowed to come here:
// a second rounding could move a value off a tie.)
inline int32_t RoundToInt(double x) {
  if (!(x >= -2147483648.5 && x < 2147483647.5)) return INT32_MIN;
  constexpr double kShift = 6755399441055744.0;  // 1.5 * 2^52
  return static_cast<int32_t>((x + kShift) - kShift);
}

}  // namespace life3d

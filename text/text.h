// Text and number conversions. Every shape of the scene travels as mesh text,
// so these rules decide what is drawn: numbers become text with FormatNumber
// and come back with ParseNumber. Texts are byte strings (any byte, 0 too).
#pragma once

#include <bit>
#include <cassert>
#include <cstdint>
#include <cstring>
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

// ---- Fast forms for the mesh text round trip: the same results, no heap ----

// The value ParseNumber gives when text is a plain whole number: after blanks,
// tabs and line feeds, an optional sign and 1 to 18 digits not followed by a
// digit, a point or an exponent letter ("-0" gives 0, which equals the
// negative zero ParseNumber gives). False for any other text: ask ParseNumber.
// The number ends at the end of the text, or at any byte that is none of
// the above (a NUL included). Inline: the reader calls it for every number
// of every line.
inline bool ParseWholeNumber(std::string_view text, int64_t& value) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p != end && (*p == ' ' || *p == '\t' || *p == '\n')) ++p;
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  const char* const first = p;
  // Digits past the 18th make it no plain whole number; they wrap the
  // unsigned sum harmlessly before the count turns it down.
  uint64_t v = 0;
  for (unsigned d; p != end && (d = static_cast<unsigned>(*p - '0')) <= 9; ++p) v = v * 10 + d;
  if (p == first || p - first > 18) return false;
  if (p != end) {
    const char c = *p;
    if (c == '.' || c == 'E' || c == 'e' || c == 'D' || c == 'd') return false;
  }
  value = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
  return true;
}

// Keywords of the mesh text (ASCII capitals, digits, blanks and punctuation,
// at most 16 bytes) found in a line as it is written, in any letter case: the
// same answers as searching the upper-cased line for the keyword (a..z and
// seven code-page-437 lower-case letters to capitals), since among all bytes
// only a capital and its a..z counterpart upper-case to that capital (the code
// page's own lower-case letters become capitals above 127). Laid out
// for comparing eight bytes at once: a byte with its 0x20 bit set equals a
// letter with it set exactly when the byte is that letter in either case.
struct Keyword {
  const char* text;
  uint32_t length = 0;
  uint64_t pattern[2] = {0, 0};  // the keyword, letters with their 0x20 bit set
  uint64_t fold[2] = {0, 0};     // 0x20 in the place of each letter
  consteval Keyword(const char* s) : text(s) {
    while (s[length] != '\0') ++length;
    if (length > 16) throw "a keyword has at most 16 bytes";  // stops the compilation
    for (uint32_t k = 0; k < length; ++k) {
      const auto byte = static_cast<uint64_t>(static_cast<unsigned char>(s[k]));
      if (byte >= 'a' && byte <= 'z') throw "a keyword is written in capitals";
      const bool letter = byte >= 'A' && byte <= 'Z';
      pattern[k / 8] |= (letter ? byte | 0x20 : byte) << (8 * (k % 8));
      if (letter) fold[k / 8] |= uint64_t{0x20} << (8 * (k % 8));
    }
  }
};

// The upper case of one byte below 128 (a..z to capitals, the rest unchanged).
inline char UpperCaseAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
}

// Inlined so that each keyword's length and pattern are constants where it is
// used. True when the keyword stands at 0-based position at of text (at <=
// text.size()). Eight bytes are compared at once where eight are there to load
// (a load of fewer bytes put together on the stack would stall the processor).
[[gnu::always_inline]] inline bool KeywordAt(std::string_view text, size_t at,
                                             const Keyword& word) {
  assert(at <= text.size());
  const size_t left = text.size() - at;
  if (left < word.length) return false;
  const char* p = text.data() + at;
  uint32_t k = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (int part = 0; part < 2 && k < word.length && left - k >= 8; ++part, k += 8) {
      const uint32_t bytes = word.length - k < 8 ? word.length - k : 8;
      const uint64_t mask = bytes == 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * bytes)) - 1;
      uint64_t w;
      std::memcpy(&w, p + k, 8);
      if (((w | word.fold[part]) & mask) != word.pattern[part]) return false;
    }
  }
  for (; k < word.length; ++k) {
    if (UpperCaseAscii(p[k]) != word.text[k]) return false;
  }
  return true;
}
// 0-based position of the first occurrence of the keyword, -1 when absent.
[[gnu::always_inline]] inline int32_t FindKeyword(std::string_view text, const Keyword& word) {
  if (text.size() < word.length) return -1;
  const size_t lastStart = text.size() - word.length;
  for (size_t at = 0; at <= lastStart; ++at) {
    if (KeywordAt(text, at, word)) return static_cast<int32_t>(at);
  }
  return -1;
}

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

// The upper-casing that the mesh text's keywords are matched by: a..z and the
// seven code-page-437 lower-case letters that have a capital in the code page
// become capitals, every other byte stays. The reader never upper-cases a line
// (it compares each keyword folded, see Keyword in text/text.h); the tests
// check it against this plain model.
#pragma once

#include <string>
#include <string_view>

namespace life3d {

inline std::string UpperCase(std::string_view text) {
  static constexpr unsigned char kLower[] = {0x84, 0x94, 0x81, 0x82, 0xA4, 0x86, 0x87};
  static constexpr unsigned char kCapital[] = {0x8E, 0x99, 0x9A, 0x90, 0xA5, 0x8F, 0x80};
  std::string out(text);
  for (char& c : out) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 'a' && byte <= 'z') c = static_cast<char>(byte - 'a' + 'A');
    for (int k = 0; k < 7; ++k) {
      if (byte == kLower[k]) c = static_cast<char>(kCapital[k]);
    }
  }
  return out;
}

}  // namespace life3d

// What the window shows below the console's cells: how to end the run, the
// two zoom keys whose help lines scroll out of the console's 16 rows, and what
// the box colors mean. It is no console text: the console's cells stay the
// help panel alone.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "cells/scene.h"

namespace life3d {

inline constexpr int32_t kNoSwatch = -1;

struct LegendLine {
  int32_t swatch;  // box color (red + 256 green + 65536 blue) shown before the text, or kNoSwatch
  std::string_view colorName;  // the swatch in words, for text without colors
  std::string_view text;
};

inline constexpr std::array<LegendLine, 5> kLegend = {{
    {kNoSwatch, "", "Esc: end"},
    {kNoSwatch, "", "+ / -: zoom in / out"},
    {kAliveColor, "red", "tall: staying alive"},
    {kBornColor, "blue-grey", "low: being born"},
    {kDyingColor, "brown", "low: dying"},
}};

}  // namespace life3d

// The key help panel and the key commands that steer the view, switch the
// two modes, add a fresh population or end the run.
#pragma once

#include <array>
#include <string_view>

#include "app/life3d.h"

namespace life3d {

inline constexpr int kHelpLineCount = 17;

// The help panel's lines, in the order they are printed.
const std::array<std::string_view, kHelpLineCount>& HelpLines();
// Prints each help line followed by a line end on the console.
void PrintHelpPanel();
// Runs the command of one key text (empty, one byte, or 0 + scan code):
// camera, angles, flags, or "N"/"n" (seed and rebuild at once). Returns true
// for Esc, which ends the program; every other text returns false, and a
// text that is no command changes nothing.
bool DispatchKey(Life3D& app, std::string_view key);

}  // namespace life3d

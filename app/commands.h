// The key commands that steer the view, switch the two modes, add a fresh
// population or end the run, and the help panel that lists them. One table
// holds both: each command's keys, its help line and its action.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "app/life3d.h"

namespace life3d {

inline constexpr int kHelpLineCount = 17;

// What the pass does after a key: go on, end the run before the frame, or
// rebuild the scene before the frame so that the frame shows new cells.
enum class KeyOutcome : uint8_t { kNone, kEndRun, kRebuildScene };

// The help panel's lines, in the order they are printed.
const std::array<std::string_view, kHelpLineCount>& HelpLines();
// Prints each help line followed by a line end on the console.
void PrintHelpPanel();
// Runs the command of one key text (empty, one byte, or 0 + scan code) and
// says what the pass must do: Esc ends the run; "N"/"n" seeds new cells into
// the current board and asks for the rebuild; the other commands change the
// camera, an angle or a flag. A text that is no command changes nothing.
KeyOutcome DispatchKey(Life3D& app, std::string_view key);

}  // namespace life3d

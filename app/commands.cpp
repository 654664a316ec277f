#include "app/commands.h"

#include <algorithm>

#include "cells/board.h"
#include "console/console.h"

namespace life3d {
namespace {

// The zoom factors are 32-bit constants; the product is formed in extended
// precision and rounded once when stored, so 100 x 1.1f stores exactly 110.
constexpr float kZoomIn = 1.1f;
constexpr float kZoomOut = 0.9f;
constexpr long double kZoomFloor = 100;

void ZoomIn(Life3D& app) {
  app.camera.Zoom = static_cast<float>(static_cast<long double>(app.camera.Zoom) * kZoomIn);
}

void ZoomOut(Life3D& app) {
  app.camera.Zoom = static_cast<float>(
      std::max(static_cast<long double>(app.camera.Zoom) * kZoomOut, kZoomFloor));
}

void ToggleFlag(int32_t& flag) {
  flag = (flag + 1) % 2;
}

// One command: the one-byte key texts that run it, its help line (none for
// Esc), what it changes, and what the pass does then.
struct Command {
  std::string_view keys;
  std::string_view help;
  void (*act)(Life3D& app);
  KeyOutcome outcome = KeyOutcome::kNone;
};

// The panel prints the help lines in the order of these rows. No key is in
// two rows, so the order decides no match.
constexpr Command kCommands[] = {
    {"\x1b", "", [](Life3D&) {}, KeyOutcome::kEndRun},
    {"+", " + :Camera.Zoom +", ZoomIn},
    {"-", " - :Camera.Zoom -", ZoomOut},
    {"x", " x :DECR Temp_Mouse_x", [](Life3D& app) { app.Temp_Mouse_x -= 1; }},
    {"X", " X :INCR Temp_Mouse_x", [](Life3D& app) { app.Temp_Mouse_x += 1; }},
    {"y", " y :DECR Temp_Mouse_y", [](Life3D& app) { app.Temp_Mouse_y -= 1; }},
    {"Y", " Y :INCR Temp_Mouse_y", [](Life3D& app) { app.Temp_Mouse_y += 1; }},
    {"z", " z :DECR Temp_Mouse_z", [](Life3D& app) { app.Temp_Mouse_z -= 1; }},
    {"Z", " Z :INCR Temp_Mouse_z", [](Life3D& app) { app.Temp_Mouse_z += 1; }},
    {"d", " d :Camera.Xoff-10", [](Life3D& app) { app.camera.Xoff -= 10; }},
    {"D", " D :Camera.Xoff+10", [](Life3D& app) { app.camera.Xoff += 10; }},
    {"a", " a :Camera.Yoff-10", [](Life3D& app) { app.camera.Yoff -= 10; }},
    {"A", " A :Camera.Yoff+10", [](Life3D& app) { app.camera.Yoff += 10; }},
    {"e", " e :Camera.Zoff-10", [](Life3D& app) { app.camera.Zoff -= 10; }},
    {"E", " E :Camera.Zoff+10", [](Life3D& app) { app.camera.Zoff += 10; }},
    {"Qq", "Q,q:Quick", [](Life3D& app) { ToggleFlag(app.Quick); }},
    {"Cc", "C,c:Auto center", [](Life3D& app) { ToggleFlag(app.AutoCenter); }},
    // New cells join the current population; the pass rebuilds the scene
    // before its frame, so that frame already shows them.
    {"Nn", "N,n:New", [](Life3D& app) { SeedBoard(app.boards.BoardNow, app.rng); },
     KeyOutcome::kRebuildScene},
};

// A key in two rows would leave the later row's command dead.
constexpr bool EachKeyInOneRow() {
  for (const Command& command : kCommands) {
    for (char key : command.keys) {
      int rows = 0;
      for (const Command& other : kCommands) rows += other.keys.find(key) != std::string_view::npos;
      if (rows != 1) return false;
    }
  }
  return true;
}
static_assert(EachKeyInOneRow());

constexpr bool HasHelpLine(const Command& command) {
  return !command.help.empty();
}
// A loop rather than std::ranges::count_if, which the web build's older
// standard library lacks.
constexpr int CountHelpLines() {
  int lines = 0;
  for (const Command& command : kCommands) lines += HasHelpLine(command);
  return lines;
}
// Every command but Esc is on the panel.
static_assert(CountHelpLines() == kHelpLineCount);
static_assert(std::size(kCommands) == kHelpLineCount + 1);

constexpr std::array<std::string_view, kHelpLineCount> kHelpLines = [] {
  std::array<std::string_view, kHelpLineCount> lines;
  auto line = lines.begin();
  for (const Command& command : kCommands) {
    if (HasHelpLine(command)) *line++ = command.help;
  }
  return lines;
}();

}  // namespace

const std::array<std::string_view, kHelpLineCount>& HelpLines() {
  return kHelpLines;
}

void PrintHelpPanel() {
  for (std::string_view line : kHelpLines) {
    PrintText(line);
    PrintNewline();
  }
}

KeyOutcome DispatchKey(Life3D& app, std::string_view key) {
  // Every command is one byte; two-byte keys and the empty text match none.
  if (key.size() != 1) return KeyOutcome::kNone;
  for (const Command& command : kCommands) {
    if (command.keys.find(key[0]) == std::string_view::npos) continue;
    command.act(app);
    return command.outcome;
  }
  return KeyOutcome::kNone;
}

}  // namespace life3d

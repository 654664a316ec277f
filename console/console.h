// The console: a grid of character cells with a cursor and the pending scroll
// of a full bottom row. The same cells are shown in the terminal the program
// was started from and as a panel in front of the picture.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace life3d {

inline constexpr int32_t kErrorConsoleSize = 5;       // SetConsoleSize refused the size
inline constexpr int32_t kConsoleSizeMax = 65535;     // largest columns or rows
inline constexpr int64_t kConsoleCellsMax = 1 << 24;  // columns x rows kept in memory at most

struct ConsoleCell {
  uint8_t ch = ' ';     // code page 437 byte, shown as its glyph (control bytes too)
  uint8_t attr = 0x07;  // light grey on black: background << 4 | foreground
};

struct ConsoleScreen {
  int32_t columns = 80, rows = 25;
  std::vector<ConsoleCell> cells = std::vector<ConsoleCell>(80 * 25);  // row-major
  int32_t cursorX = 0, cursorY = 0;                                    // 0-based column and row
  bool pendingScroll = false;  // bottom row just filled; scroll before more output
  uint32_t version = 0;        // bumped by every change, for the displays
};

// Cell grid only (no display side effects): resize and clear, print, newline.
// ResizeScreen returns false and leaves the screen as it was for a size
// outside 1..kConsoleSizeMax or above kConsoleCellsMax cells.
bool ResizeScreen(ConsoleScreen& screen, int32_t columns, int32_t rows);
// Stores the bytes as they are (control bytes become cells, not actions).
// Both start by bringing a cursor outside the grid to its nearest cell.
void PrintTextTo(ConsoleScreen& screen, std::string_view text);
void PrintNewlineTo(ConsoleScreen& screen);

// A display of the console besides the window's panel; the terminal installs
// one. Each call comes from the thread that changed the console, after the
// console's mutex is released; any member may be null.
struct ConsoleDisplay {
  void (*showScreen)() = nullptr;                                 // cells or cursor changed
  void (*resizeWindow)(int32_t columns, int32_t rows) = nullptr;  // after a resize
  void (*moveWindow)(int32_t x, int32_t y) = nullptr;             // screen pixels, outer corner
  void (*raiseWindow)() = nullptr;  // bring to front with the keyboard
};

// Installs (or, with a default ConsoleDisplay, removes) the extra display.
void SetConsoleDisplay(const ConsoleDisplay& display);
// Copies the program's console (cells, size, cursor, version) into the
// caller's copy, so a display reads it without holding the console's lock,
// which only this module takes. The cells go into the copy's own storage:
// once the copy has held a console of this size, nothing is allocated.
void SnapshotConsole(ConsoleScreen& copy);
// The same, only when the console has changed since the copy was taken (its
// version differs); true when it copied.
bool SnapshotConsoleIfChanged(ConsoleScreen& copy);

// The operations the program calls. They change the console and update the
// terminal when there is one; the graphics window shows the cells as a panel.
// SetConsoleSize gives exactly columns x rows cells, cleared, cursor home; a
// size it cannot take records kErrorConsoleSize in PlatformError(). One
// below 1 (neither side above kConsoleSizeMax) still clears the old size's
// cells and brings the cursor home.
void SetConsoleSize(int32_t columns, int32_t rows);
void SetConsoleWindowPos(int32_t x, int32_t y);
void FocusConsole();
void PrintText(std::string_view text);
void PrintNewline();

}  // namespace life3d

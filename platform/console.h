// The console: a grid of character cells with a cursor and the pending scroll
// of a full bottom row. The same cells are shown in the terminal the program
// was started from and as a panel in front of the picture.
#pragma once

#include <cstdint>
#include <mutex>
#include <string_view>
#include <vector>

namespace life3d {

struct ConsoleCell {
  uint8_t ch = ' ';
  uint8_t attr = 0x07;  // light grey on black
};

struct ConsoleScreen {
  int32_t columns = 80, rows = 25;
  std::vector<ConsoleCell> cells = std::vector<ConsoleCell>(80 * 25);  // row-major
  int32_t cursorX = 0, cursorY = 0;  // 0-based column and row
  bool pendingScroll = false;        // bottom row just filled; scroll before more output
  uint32_t version = 0;              // bumped by every change, for the displays
};

// Cell grid only (no display side effects): resize and clear, print, newline.
void ResizeScreen(ConsoleScreen& screen, int32_t columns, int32_t rows);
void PrintTextTo(ConsoleScreen& screen, std::string_view text);
void PrintNewlineTo(ConsoleScreen& screen);

// The program's one console, shared with the displays under its mutex.
struct Console {
  std::mutex mutex;
  ConsoleScreen screen;
};
Console& TheConsole();

// The operations the program calls. They change TheConsole() and update the
// terminal when there is one; the graphics window shows the cells as a panel.
void SetConsoleSize(int32_t columns, int32_t rows);
void SetConsoleWindowPos(int32_t x, int32_t y);
void FocusConsole();
void PrintText(std::string_view text);
void PrintNewline();
void Pause(int32_t milliseconds);

}  // namespace life3d

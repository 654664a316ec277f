#include "console/console.h"

#include <algorithm>
#include <cassert>
#include <new>

#include "base/mutex.h"
#include "draw/surface.h"

namespace life3d {
namespace {

constexpr ConsoleCell kBlank{};  // blank in the console's one attribute

// The one check before the cells are touched. Code that edits a screen
// directly can leave the cursor anywhere: it is brought to the nearest cell,
// so output lands on the grid and never past the end of the cells.
bool ScreenUsable(ConsoleScreen& screen) {
  if (screen.columns <= 0 || screen.rows <= 0 ||
      screen.cells.size() != static_cast<size_t>(screen.columns) * screen.rows) {
    return false;
  }
  screen.cursorX = std::clamp(screen.cursorX, 0, screen.columns - 1);
  screen.cursorY = std::clamp(screen.cursorY, 0, screen.rows - 1);
  return true;
}

// Rows 2..n move up one row; the bottom row becomes blank.
void ScrollUp(ConsoleScreen& screen) {
  auto first = screen.cells.begin();
  std::copy(first + screen.columns, screen.cells.end(), first);
  std::fill(screen.cells.end() - screen.columns, screen.cells.end(), kBlank);
}

}  // namespace

bool ResizeScreen(ConsoleScreen& screen, int32_t columns, int32_t rows) {
  if (columns < 1 || rows < 1 || columns > kConsoleSizeMax || rows > kConsoleSizeMax ||
      static_cast<int64_t>(columns) * rows > kConsoleCellsMax) {
    return false;
  }
  try {
    screen.cells.assign(static_cast<size_t>(columns) * rows, kBlank);
  } catch (const std::bad_alloc&) {
    return false;  // assign leaves the old cells when it cannot allocate
  }
  screen.columns = columns;
  screen.rows = rows;
  screen.cursorX = 0;
  screen.cursorY = 0;
  screen.pendingScroll = false;
  ++screen.version;
  return true;
}

void PrintTextTo(ConsoleScreen& screen, std::string_view text) {
  if (text.empty() || !ScreenUsable(screen)) return;
  const int32_t bottom = screen.rows - 1;
  size_t next = 0;
  while (next < text.size()) {
    // The scroll a full bottom row asked for happens only now that more text
    // follows, so a row that is filled exactly does not scroll by itself.
    if (screen.pendingScroll) {
      screen.pendingScroll = false;
      ScrollUp(screen);
    }
    const size_t room = static_cast<size_t>(screen.columns - screen.cursorX);
    const size_t count = std::min(room, text.size() - next);
    ConsoleCell* cell =
        &screen.cells[static_cast<size_t>(screen.cursorY) * screen.columns + screen.cursorX];
    for (size_t k = 0; k < count; ++k) {
      cell[k].ch = static_cast<uint8_t>(text[next + k]);
      cell[k].attr = kBlank.attr;
    }
    next += count;
    screen.cursorX += static_cast<int32_t>(count);
    if (screen.cursorX == screen.columns) {
      screen.cursorX = 0;
      if (screen.cursorY < bottom) {
        ++screen.cursorY;
      } else {
        screen.pendingScroll = true;
      }
    }
  }
  ++screen.version;
}

void PrintNewlineTo(ConsoleScreen& screen) {
  if (!ScreenUsable(screen)) return;
  const int32_t bottom = screen.rows - 1;
  if (screen.cursorY < bottom) {
    ++screen.cursorY;
  } else {
    // The wrap that filled the bottom row still owes its scroll, and the
    // line end adds its own: a full row is followed by an empty one.
    ScrollUp(screen);
    if (screen.pendingScroll) ScrollUp(screen);
  }
  screen.pendingScroll = false;
  screen.cursorX = 0;
  ++screen.version;
}

namespace {

// The program's one console. Its lock is taken only in this file: the
// displays get copies (SnapshotConsole) and are told of changes after the
// lock is released.
struct Console {
  Mutex mutex;
  ConsoleScreen screen GUARDED_BY(mutex);
  ConsoleDisplay display GUARDED_BY(mutex);
};

// Never destroyed: the exit handler that gives the terminal back removes its
// display here, and a window thread still running at exit reads the cells.
Console& TheConsole() {
  static Console* const console = new Console;
  return *console;
}

// Runs change on the screen under the mutex and returns the display to tell,
// so the display is called after the mutex is released.
template <typename Change>
ConsoleDisplay ChangeScreen(Change change) {
  Console& console = TheConsole();
  MutexLock lock(console.mutex);
  change(console.screen);
  return console.display;
}

ConsoleDisplay CurrentDisplay() {
  Console& console = TheConsole();
  MutexLock lock(console.mutex);
  return console.display;
}

// The copy assignment reuses the copy's cells when they have room, so the
// steady state allocates nothing.
void CopyScreen(const ConsoleScreen& screen, ConsoleScreen& copy) {
  // The displays index the cells by row and column without checking.
  assert(screen.cells.size() == static_cast<size_t>(screen.columns) * screen.rows);
  copy = screen;
}

}  // namespace

void SetConsoleDisplay(const ConsoleDisplay& display) {
  Console& console = TheConsole();
  MutexLock lock(console.mutex);
  console.display = display;
}

void SnapshotConsole(ConsoleScreen& copy) {
  Console& console = TheConsole();
  MutexLock lock(console.mutex);
  CopyScreen(console.screen, copy);
}

bool SnapshotConsoleIfChanged(ConsoleScreen& copy) {
  Console& console = TheConsole();
  MutexLock lock(console.mutex);
  if (copy.version == console.screen.version) return false;
  CopyScreen(console.screen, copy);
  return true;
}

void SetConsoleSize(int32_t columns, int32_t rows) {
  bool resized = false, cleared = false;
  const ConsoleDisplay display = ChangeScreen([&](ConsoleScreen& screen) {
    resized = ResizeScreen(screen, columns, rows);
    // A size below 1 passes the range check, and the buffer is resized (so
    // cleared) on the way to the window size that refuses it: the old size
    // comes back blank, cursor home.
    if (!resized && (columns < 1 || rows < 1) && columns <= kConsoleSizeMax &&
        rows <= kConsoleSizeMax) {
      cleared = ResizeScreen(screen, screen.columns, screen.rows);
    }
  });
  if (!resized) {
    PlatformError() = kErrorConsoleSize;
    if (cleared && display.showScreen) display.showScreen();
    return;
  }
  if (display.resizeWindow) display.resizeWindow(columns, rows);
  if (display.showScreen) display.showScreen();
}

void SetConsoleWindowPos(int32_t x, int32_t y) {
  const ConsoleDisplay display = CurrentDisplay();
  if (display.moveWindow) display.moveWindow(x, y);
}

void FocusConsole() {
  const ConsoleDisplay display = CurrentDisplay();
  if (display.raiseWindow) display.raiseWindow();
}

void PrintText(std::string_view text) {
  if (text.empty()) return;
  const ConsoleDisplay display =
      ChangeScreen([&](ConsoleScreen& screen) { PrintTextTo(screen, text); });
  if (display.showScreen) display.showScreen();
}

void PrintNewline() {
  const ConsoleDisplay display =
      ChangeScreen([](ConsoleScreen& screen) { PrintNewlineTo(screen); });
  if (display.showScreen) display.showScreen();
}

}  // namespace life3d

#include "console/console.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "draw/surface.h"

namespace life3d {
namespace {

std::string RowText(const ConsoleScreen& screen, int row) {
  std::string text;
  for (int x = 0; x < screen.columns; ++x) {
    text.push_back(static_cast<char>(screen.cells[row * screen.columns + x].ch));
  }
  return text;
}

// Rows joined by '/'.
std::string ScreenText(const ConsoleScreen& screen) {
  std::string text;
  for (int y = 0; y < screen.rows; ++y) {
    if (y > 0) text.push_back('/');
    text.append(RowText(screen, y));
  }
  return text;
}

// A script of console calls: '\n' is PrintNewline, '|' ends one PrintText
// call, any other byte is printed.
void RunScript(ConsoleScreen& screen, std::string_view script) {
  std::string text;
  auto print = [&] {
    PrintTextTo(screen, text);
    text.clear();
  };
  for (char c : script) {
    if (c == '\n') {
      print();
      PrintNewlineTo(screen);
    } else if (c == '|') {
      print();
    } else {
      text.push_back(c);
    }
  }
  print();
}

struct PrintCase {
  const char* name;
  int columns, rows;
  const char* script;
  const char* screen;
  int cursorX, cursorY;
  bool pending;
};

class ConsolePrintTest : public testing::TestWithParam<PrintCase> {};

TEST_P(ConsolePrintTest, LeavesRowsCursorAndPendingScroll) {
  const PrintCase& c = GetParam();
  ConsoleScreen screen;
  ASSERT_TRUE(ResizeScreen(screen, c.columns, c.rows));
  RunScript(screen, c.script);
  EXPECT_EQ(ScreenText(screen), c.screen);
  EXPECT_EQ(screen.cursorX, c.cursorX);
  EXPECT_EQ(screen.cursorY, c.cursorY);
  EXPECT_EQ(screen.pendingScroll, c.pending);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Console, ConsolePrintTest, testing::Values(
    PrintCase{"TextStaysOnItsRowUntilNewline",       4, 3, "ab",            "ab  /    /    ", 2, 0, false},
    PrintCase{"NewlineGoesToStartOfNextRow",         4, 3, "ab\nc",         "ab  /c   /    ", 1, 1, false},
    PrintCase{"FullRowAndNewlineLeaveAnEmptyRow",    4, 3, "abcd\ne",       "abcd/    /e   ", 1, 2, false},
    PrintCase{"TextWrapsOntoNextRow",                4, 3, "abcdef",        "abcd/ef  /    ", 2, 1, false},
    PrintCase{"FullBottomRowWaitsForMoreToScroll",   4, 2, "abcdefgh",      "abcd/efgh",       0, 1, true},
    PrintCase{"PendingScrollComesBeforeNextText",    4, 2, "abcdefgh|i",    "efgh/i   ",       1, 1, false},
    PrintCase{"PendingScrollAndNewlineScrollTwice",  4, 3, "\n\nabcd\n",    "abcd/    /    ", 0, 2, false},
    PrintCase{"NewlineOnBottomRowScrollsOnce",       4, 2, "ab\ncd\n",      "cd  /    ",       0, 1, false},
    PrintCase{"LongTextScrollsRowByRow",             4, 3, "abcdefghijklmnopq", "ijkl/mnop/q   ", 1, 2, false},
    PrintCase{"EmptyTextKeepsThePendingScroll",      4, 2, "abcdefgh||",    "abcd/efgh",       0, 1, true},
    PrintCase{"OneRowConsoleScrollsInPlace",         3, 1, "abcde\nf",      "f  ",             1, 0, false}),
    [](const testing::TestParamInfo<PrintCase>& info) { return std::string(info.param.name); });
// clang-format on

TEST(ConsoleScreenTest, SeventeenLinesOnSixteenRowsKeepLinesThreeToSeventeen) {
  ConsoleScreen screen;
  ASSERT_TRUE(ResizeScreen(screen, 22, 16));
  for (int line = 1; line <= 17; ++line) {
    PrintTextTo(screen, "line " + std::to_string(line));
    PrintNewlineTo(screen);
  }
  for (int row = 0; row < 15; ++row) {
    std::string expect = "line " + std::to_string(row + 3);
    expect.resize(22, ' ');
    EXPECT_EQ(RowText(screen, row), expect) << "row " << row;
  }
  EXPECT_EQ(RowText(screen, 15), std::string(22, ' '));
  EXPECT_EQ(screen.cursorX, 0);
  EXPECT_EQ(screen.cursorY, 15);
}

TEST(ConsoleScreenTest, ControlBytesAreStoredAsCellsNotActedOn) {
  ConsoleScreen screen;
  ASSERT_TRUE(ResizeScreen(screen, 8, 2));
  const std::string text("\x01\x1b\n\r\t\x08\x00\xff", 8);
  PrintTextTo(screen, text);
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(screen.cells[x].ch, static_cast<uint8_t>(text[x])) << "column " << x;
    EXPECT_EQ(screen.cells[x].attr, 0x07);
  }
  EXPECT_EQ(screen.cursorX, 0);
  EXPECT_EQ(screen.cursorY, 1);
}

TEST(ConsoleScreenTest, ResizeClearsHomesAndDropsPendingScroll) {
  ConsoleScreen screen;
  ASSERT_TRUE(ResizeScreen(screen, 4, 2));
  PrintTextTo(screen, "abcdefgh");
  ASSERT_TRUE(screen.pendingScroll);
  const uint32_t before = screen.version;
  ASSERT_TRUE(ResizeScreen(screen, 22, 16));
  EXPECT_EQ(screen.columns, 22);
  EXPECT_EQ(screen.rows, 16);
  ASSERT_EQ(screen.cells.size(), 22u * 16u);
  for (const ConsoleCell& cell : screen.cells) {
    EXPECT_EQ(cell.ch, ' ');
    EXPECT_EQ(cell.attr, 0x07);
  }
  EXPECT_EQ(screen.cursorX, 0);
  EXPECT_EQ(screen.cursorY, 0);
  EXPECT_FALSE(screen.pendingScroll);
  EXPECT_NE(screen.version, before);
}

// A cursor left outside the grid by code that edits the screen directly:
// output starts at the nearest cell and stays inside the cells.
struct StrayCursorCase {
  const char* name;
  int32_t cursorX, cursorY;
  const char* script;
  const char* screen;
};

class ConsoleStrayCursorTest : public testing::TestWithParam<StrayCursorCase> {};

TEST_P(ConsoleStrayCursorTest, OutputLandsOnTheNearestCell) {
  const StrayCursorCase& c = GetParam();
  ConsoleScreen screen;
  ASSERT_TRUE(ResizeScreen(screen, 4, 2));
  screen.cursorX = c.cursorX;
  screen.cursorY = c.cursorY;
  RunScript(screen, c.script);
  EXPECT_EQ(ScreenText(screen), c.screen);
  EXPECT_GE(screen.cursorX, 0);
  EXPECT_LT(screen.cursorX, 4);
  EXPECT_GE(screen.cursorY, 0);
  EXPECT_LT(screen.cursorY, 2);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Console, ConsoleStrayCursorTest, testing::Values(
    StrayCursorCase{"PastTheLastCell",   4, 2,          "ab",  "   a/b   "},
    StrayCursorCase{"FarBelow",          1, 1000000,    "xy",  "    / xy "},
    StrayCursorCase{"AtTheRowEnd",       4, 0,          "z",   "   z/    "},
    StrayCursorCase{"Negative",         -7, -1,         "q",   "q   /    "},
    StrayCursorCase{"LargestValues",     INT32_MAX, INT32_MIN, "w|v", "   w/v   "},
    StrayCursorCase{"NewlineFirst",     -3, 9,          "\nn", "    /n   "}),
    [](const testing::TestParamInfo<StrayCursorCase>& info) { return std::string(info.param.name); });
// clang-format on

struct BadSize {
  int32_t columns, rows;
};

class ConsoleBadSizeTest : public testing::TestWithParam<BadSize> {};

TEST_P(ConsoleBadSizeTest, IsRefusedAndLeavesTheScreenAsItWas) {
  ConsoleScreen screen;
  ASSERT_TRUE(ResizeScreen(screen, 4, 2));
  PrintTextTo(screen, "abc");
  EXPECT_FALSE(ResizeScreen(screen, GetParam().columns, GetParam().rows));
  EXPECT_EQ(screen.columns, 4);
  EXPECT_EQ(screen.rows, 2);
  EXPECT_EQ(RowText(screen, 0), "abc ");
  EXPECT_EQ(screen.cursorX, 3);
}

INSTANTIATE_TEST_SUITE_P(Console, ConsoleBadSizeTest,
                         testing::Values(BadSize{0, 16}, BadSize{22, 0}, BadSize{-1, 16},
                                         BadSize{22, -5}, BadSize{65536, 1}, BadSize{1, 65536},
                                         BadSize{65535, 65535}));

// Whether another thread can copy the console within a second. A thread
// left waiting on the console's lock finishes once it is released.
bool ConsoleReadableElsewhere() {
  struct Probe {
    std::mutex mutex;
    std::condition_variable done;
    bool copied = false;
  };
  auto probe = std::make_shared<Probe>();
  std::thread([probe] {
    ConsoleScreen copy;
    SnapshotConsole(copy);
    std::lock_guard lock(probe->mutex);
    probe->copied = true;
    probe->done.notify_all();
  }).detach();
  std::unique_lock lock(probe->mutex);
  return probe->done.wait_for(lock, std::chrono::seconds(1), [&] { return probe->copied; });
}

// What the display was told, in order; "(locked)" marks a call made while
// the console's lock was held, which would deadlock the terminal's drawing.
std::string displayLog;

void Note(const std::string& what) {
  displayLog += what + (ConsoleReadableElsewhere() ? " " : "(locked) ");
}

TEST(ConsoleDisplayTest, ProgramOperationsChangeTheConsoleAndTellTheDisplay) {
  ConsoleDisplay display;
  display.showScreen = [] { Note("show"); };
  display.resizeWindow = [](int32_t c, int32_t r) {
    Note(std::to_string(c) + "x" + std::to_string(r));
  };
  display.moveWindow = [](int32_t x, int32_t y) {
    Note(std::to_string(x) + "," + std::to_string(y));
  };
  display.raiseWindow = [] { Note("raise"); };
  SetConsoleDisplay(display);
  displayLog.clear();
  SetConsoleSize(22, 16);
  SetConsoleWindowPos(0, 40);
  FocusConsole();
  PrintText("keep");
  PrintNewline();
  PrintText("");              // nothing to show
  SetConsoleSize(65536, 16);  // refused before any change: nothing to show
  SetConsoleSize(0, 16);      // refused after the cells were cleared: shown
  SetConsoleDisplay(ConsoleDisplay{});
  EXPECT_EQ(displayLog, "22x16 show 0,40 raise show show show ");
}

TEST(ConsoleSnapshotTest, CopiesTheConsoleAgainOnlyAfterItChanged) {
  SetConsoleSize(4, 2);
  PrintText("ab");
  ConsoleScreen copy;
  SnapshotConsole(copy);
  EXPECT_EQ(ScreenText(copy), "ab  /    ");
  EXPECT_EQ(copy.cursorX, 2);
  copy.cells[0].ch = 'z';  // the copy is the caller's own
  EXPECT_FALSE(SnapshotConsoleIfChanged(copy));
  EXPECT_EQ(ScreenText(copy), "zb  /    ");
  PrintNewline();
  EXPECT_TRUE(SnapshotConsoleIfChanged(copy));
  EXPECT_EQ(ScreenText(copy), "ab  /    ");
  EXPECT_EQ(copy.cursorY, 1);
}

// The program's SetConsoleSize after "abc" on its 22 x 16 console: a size
// below 1 gets as far as clearing the cells before it is refused; a size
// above the limit is refused before anything changes.
struct RefusedSize {
  int columns, rows;
  bool cleared;
};

class SetConsoleSizeRefusedTest : public testing::TestWithParam<RefusedSize> {};

TEST_P(SetConsoleSizeRefusedTest, RecordsTheErrorAndKeepsTheSize) {
  const RefusedSize& c = GetParam();
  SetConsoleSize(22, 16);
  PrintText("abc");
  PlatformError() = 0;
  SetConsoleSize(c.columns, c.rows);
  EXPECT_EQ(PlatformError(), kErrorConsoleSize);
  ConsoleScreen screen;
  SnapshotConsole(screen);
  EXPECT_EQ(screen.columns, 22);
  EXPECT_EQ(screen.rows, 16);
  EXPECT_EQ(RowText(screen, 0).substr(0, 4), c.cleared ? "    " : "abc ");
  EXPECT_EQ(screen.cursorX, c.cleared ? 0 : 3);
  EXPECT_EQ(screen.cursorY, 0);
}

INSTANTIATE_TEST_SUITE_P(Console, SetConsoleSizeRefusedTest,
                         testing::Values(RefusedSize{0, 16, true}, RefusedSize{22, 0, true},
                                         RefusedSize{-1, 16, true}, RefusedSize{0, 40, true},
                                         RefusedSize{0, 65536, false},
                                         RefusedSize{65535, 65535, false}));

}  // namespace
}  // namespace life3d

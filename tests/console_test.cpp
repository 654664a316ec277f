#include "platform/console.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace life3d {
namespace {

// One console operation: a text to print, or a line end.
struct Op {
  bool newline = false;
  std::string text;
};
Op Text(std::string text) {
  return Op{false, std::move(text)};
}
const Op kNewline{true, ""};

std::string RowText(const ConsoleScreen& screen, int row) {
  std::string text;
  for (int x = 0; x < screen.columns; ++x) {
    text.push_back(static_cast<char>(screen.cells[row * screen.columns + x].ch));
  }
  return text;
}

std::vector<std::string> Rows(const ConsoleScreen& screen) {
  std::vector<std::string> rows;
  for (int y = 0; y < screen.rows; ++y) rows.push_back(RowText(screen, y));
  return rows;
}

void RunOps(ConsoleScreen& screen, const std::vector<Op>& ops) {
  for (const Op& op : ops) {
    if (op.newline) {
      PrintNewlineTo(screen);
    } else {
      PrintTextTo(screen, op.text);
    }
  }
}

struct PrintCase {
  const char* name;
  int columns, rows;
  std::vector<Op> ops;
  std::vector<std::string> expectRows;
  int cursorX, cursorY;
  bool pending;
};

class ConsolePrintTest : public testing::TestWithParam<PrintCase> {};

TEST_P(ConsolePrintTest, LeavesRowsCursorAndPendingScroll) {
  const PrintCase& c = GetParam();
  ConsoleScreen screen;
  ASSERT_TRUE(ResizeScreen(screen, c.columns, c.rows));
  RunOps(screen, c.ops);
  EXPECT_EQ(Rows(screen), c.expectRows);
  EXPECT_EQ(screen.cursorX, c.cursorX);
  EXPECT_EQ(screen.cursorY, c.cursorY);
  EXPECT_EQ(screen.pendingScroll, c.pending);
}

INSTANTIATE_TEST_SUITE_P(
    Console, ConsolePrintTest,
    testing::Values(
        PrintCase{"TextStaysOnItsRowUntilNewline",
                  4,
                  3,
                  {Text("ab")},
                  {"ab  ", "    ", "    "},
                  2,
                  0,
                  false},
        PrintCase{"NewlineGoesToStartOfNextRow",
                  4,
                  3,
                  {Text("ab"), kNewline, Text("c")},
                  {"ab  ", "c   ", "    "},
                  1,
                  1,
                  false},
        PrintCase{"FullRowAndNewlineLeaveAnEmptyRow",
                  4,
                  3,
                  {Text("abcd"), kNewline, Text("e")},
                  {"abcd", "    ", "e   "},
                  1,
                  2,
                  false},
        PrintCase{
            "TextWrapsOntoNextRow", 4, 3, {Text("abcdef")}, {"abcd", "ef  ", "    "}, 2, 1, false},
        PrintCase{"FilledBottomRowWaitsForMoreOutputToScroll",
                  4,
                  2,
                  {Text("abcdefgh")},
                  {"abcd", "efgh"},
                  0,
                  1,
                  true},
        PrintCase{"PendingScrollHappensBeforeTheNextText",
                  4,
                  2,
                  {Text("abcdefgh"), Text("i")},
                  {"efgh", "i   "},
                  1,
                  1,
                  false},
        PrintCase{"PendingScrollAndNewlineScrollTwice",
                  4,
                  3,
                  {kNewline, kNewline, Text("abcd"), kNewline},
                  {"abcd", "    ", "    "},
                  0,
                  2,
                  false},
        PrintCase{"NewlineOnBottomRowScrollsOnce",
                  4,
                  2,
                  {Text("ab"), kNewline, Text("cd"), kNewline},
                  {"cd  ", "    "},
                  0,
                  1,
                  false},
        PrintCase{"LongTextScrollsRowByRow",
                  4,
                  3,
                  {Text("abcdefghijklmnopq")},
                  {"ijkl", "mnop", "q   "},
                  1,
                  2,
                  false},
        PrintCase{"EmptyTextChangesNothing",
                  4,
                  2,
                  {Text("abcdefgh"), Text("")},
                  {"abcd", "efgh"},
                  0,
                  1,
                  true},
        PrintCase{"OneRowConsoleScrollsInPlace",
                  3,
                  1,
                  {Text("abcde"), kNewline, Text("f")},
                  {"f  "},
                  1,
                  0,
                  false}),
    [](const testing::TestParamInfo<PrintCase>& info) { return std::string(info.param.name); });

std::vector<std::string> HelpLinesForTest() {
  return {" + :Camera.Zoom +",
          " - :Camera.Zoom -",
          " x :DECR Temp_Mouse_x",
          " X :INCR Temp_Mouse_x",
          " y :DECR Temp_Mouse_y",
          " Y :INCR Temp_Mouse_y",
          " z :DECR Temp_Mouse_z",
          " Z :INCR Temp_Mouse_z",
          " d :Camera.Xoff-10",
          " D :Camera.Xoff+10",
          " a :Camera.Yoff-10",
          " A :Camera.Yoff+10",
          " e :Camera.Zoff-10",
          " E :Camera.Zoff+10",
          "Q,q:Quick",
          "C,c:Auto center",
          "N,n:New"};
}

TEST(ConsoleScreenTest, SeventeenLinesOnSixteenRowsKeepLinesThreeToSeventeen) {
  ConsoleScreen screen;
  ASSERT_TRUE(ResizeScreen(screen, 22, 16));
  const std::vector<std::string> lines = HelpLinesForTest();
  for (const std::string& line : lines) {
    PrintTextTo(screen, line);
    PrintNewlineTo(screen);
  }
  for (int row = 0; row < 15; ++row) {
    std::string expect = lines[row + 2];
    expect.resize(22, ' ');
    EXPECT_EQ(RowText(screen, row), expect) << "row " << row;
  }
  EXPECT_EQ(RowText(screen, 15), std::string(22, ' '));
  EXPECT_EQ(screen.cursorX, 0);
  EXPECT_EQ(screen.cursorY, 15);
  EXPECT_FALSE(screen.pendingScroll);
}

TEST(ConsoleScreenTest, TwentyTwoCharactersAndNewlineOnBottomRowLeaveAnEmptyRow) {
  ConsoleScreen screen;
  ASSERT_TRUE(ResizeScreen(screen, 22, 16));
  for (int k = 0; k < 15; ++k) PrintNewlineTo(screen);
  const std::string full = "abcdefghijklmnopqrstuv";
  PrintTextTo(screen, full);
  PrintNewlineTo(screen);
  PrintTextTo(screen, "next");
  EXPECT_EQ(RowText(screen, 13), full);
  EXPECT_EQ(RowText(screen, 14), std::string(22, ' '));
  EXPECT_EQ(RowText(screen, 15).substr(0, 4), "next");
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

TEST(ConsoleScreenTest, EveryChangeBumpsTheVersion) {
  ConsoleScreen screen;
  ASSERT_TRUE(ResizeScreen(screen, 4, 2));
  uint32_t version = screen.version;
  PrintTextTo(screen, "a");
  EXPECT_NE(screen.version, version);
  version = screen.version;
  PrintNewlineTo(screen);
  EXPECT_NE(screen.version, version);
}

// The displays run after the console's mutex is released, so a display that
// reads the cells under the mutex (the terminal does) cannot deadlock.
struct DisplayLog {
  int shows = 0, resizes = 0, moves = 0, raises = 0;
  int lastColumns = 0, lastRows = 0, lastX = -1, lastY = -1;
  bool lockedDuringCall = false;
};
DisplayLog displayLog;

void NoteLock() {
  Console& console = TheConsole();
  if (console.mutex.try_lock()) {
    console.mutex.unlock();
  } else {
    displayLog.lockedDuringCall = true;
  }
}

class ConsoleDisplayTest : public testing::Test {
 protected:
  void SetUp() override {
    displayLog = DisplayLog{};
    ConsoleDisplay display;
    display.showScreen = [] {
      NoteLock();
      ++displayLog.shows;
    };
    display.resizeWindow = [](int32_t columns, int32_t rows) {
      NoteLock();
      ++displayLog.resizes;
      displayLog.lastColumns = columns;
      displayLog.lastRows = rows;
    };
    display.moveWindow = [](int32_t x, int32_t y) {
      NoteLock();
      ++displayLog.moves;
      displayLog.lastX = x;
      displayLog.lastY = y;
    };
    display.raiseWindow = [] {
      NoteLock();
      ++displayLog.raises;
    };
    SetConsoleDisplay(display);
  }
  void TearDown() override { SetConsoleDisplay(ConsoleDisplay{}); }
};

TEST_F(ConsoleDisplayTest, ProgramOperationsChangeTheConsoleAndTellTheDisplay) {
  SetConsoleSize(22, 16);
  SetConsoleWindowPos(0, 40);
  FocusConsole();
  PrintText("hello");
  PrintNewline();
  PrintText("");  // nothing to show
  EXPECT_EQ(displayLog.resizes, 1);
  EXPECT_EQ(displayLog.lastColumns, 22);
  EXPECT_EQ(displayLog.lastRows, 16);
  EXPECT_EQ(displayLog.moves, 1);
  EXPECT_EQ(displayLog.lastX, 0);
  EXPECT_EQ(displayLog.lastY, 40);
  EXPECT_EQ(displayLog.raises, 1);
  EXPECT_EQ(displayLog.shows, 3);
  EXPECT_FALSE(displayLog.lockedDuringCall);
  Console& console = TheConsole();
  std::lock_guard lock(console.mutex);
  EXPECT_EQ(RowText(console.screen, 0).substr(0, 6), "hello ");
  EXPECT_EQ(console.screen.cursorY, 1);
}

TEST_F(ConsoleDisplayTest, RefusedSizeKeepsTheConsoleAndTellsNoDisplay) {
  SetConsoleSize(22, 16);
  PrintText("keep");
  const int shows = displayLog.shows;
  SetConsoleSize(0, 16);
  EXPECT_EQ(displayLog.resizes, 1);
  EXPECT_EQ(displayLog.shows, shows);
  Console& console = TheConsole();
  std::lock_guard lock(console.mutex);
  EXPECT_EQ(console.screen.columns, 22);
  EXPECT_EQ(RowText(console.screen, 0).substr(0, 4), "keep");
}

}  // namespace
}  // namespace life3d

#include "app/commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "app/program.h"
#include "cells/board.h"
#include "platform/console.h"
#include "platform/random.h"

namespace life3d {
namespace {

// The state the keys may change, compared as a whole so a key that changes
// the wrong field is caught too.
struct Steer {
  float Xoff, Yoff, Zoff, Zoom;
  float x, y, z;
  int32_t Quick, AutoCenter;
  bool operator==(const Steer&) const = default;
};

Steer SteerOf(const Life3D& app) {
  return {app.camera.Xoff,  app.camera.Yoff,  app.camera.Zoff, app.camera.Zoom, app.Temp_Mouse_x,
          app.Temp_Mouse_y, app.Temp_Mouse_z, app.Quick,       app.AutoCenter};
}

void SetSteer(Life3D& app, const Steer& s) {
  app.camera = Camera{s.Xoff, s.Yoff, s.Zoff, s.Zoom};
  app.Temp_Mouse_x = s.x;
  app.Temp_Mouse_y = s.y;
  app.Temp_Mouse_z = s.z;
  app.Quick = s.Quick;
  app.AutoCenter = s.AutoCenter;
}

std::ostream& operator<<(std::ostream& os, const Steer& s) {
  return os << "camera(" << s.Xoff << ", " << s.Yoff << ", " << s.Zoff << ", " << s.Zoom
            << ") angles(" << s.x << ", " << s.y << ", " << s.z << ") Quick " << s.Quick
            << " AutoCenter " << s.AutoCenter;
}

constexpr Steer kStart = {960, 540, 5000, 1666.6666259765625f, -136, 0, 60, 0, 0};

std::string Scan(uint8_t code) {
  return std::string{'\0', static_cast<char>(code)};
}

struct KeyCase {
  const char* name;
  Steer before;
  std::vector<std::string> keys;
  Steer after;
};

class DispatchKeyTest : public testing::TestWithParam<KeyCase> {
 protected:
  // Large (the mesh text buffer), so made once per test on the heap.
  std::unique_ptr<Life3D> app = std::make_unique<Life3D>();
};

TEST_P(DispatchKeyTest, ChangesExactlyWhatTheKeySays) {
  const KeyCase& c = GetParam();
  SetSteer(*app, c.before);
  for (const std::string& key : c.keys) EXPECT_FALSE(DispatchKey(*app, key)) << "key ends the run";
  EXPECT_EQ(SteerOf(*app), c.after);
}

Steer With(Steer s, void (*change)(Steer&)) {
  change(s);
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, DispatchKeyTest,
    testing::Values(
        // 1.1f and 0.9f as 32-bit constants: with 1.1 and 0.9 as doubles the
        // results would be 1833.333251953125 and 1500.
        KeyCase{"PlusMultipliesZoomByFloatOnePointOne",
                kStart,
                {"+"},
                With(kStart, [](Steer& s) { s.Zoom = 1833.3333740234375f; })},
        KeyCase{"MinusMultipliesZoomByFloatZeroPointNine",
                kStart,
                {"-"},
                With(kStart, [](Steer& s) { s.Zoom = 1499.9998779296875f; })},
        KeyCase{"MinusStopsAtExactlyOneHundred", kStart, std::vector<std::string>(40, "-"),
                With(kStart, [](Steer& s) { s.Zoom = 100.0f; })},
        KeyCase{"PlusAfterTheFloorGivesExactlyOneHundredTen", kStart,
                [] {
                  std::vector<std::string> keys(40, "-");
                  keys.push_back("+");
                  return keys;
                }(),
                With(kStart, [](Steer& s) { s.Zoom = 110.0f; })},
        KeyCase{"PlusHasNoUpperLimit",
                With(kStart, [](Steer& s) { s.Zoom = 3.2e38f; }),
                {"+"},
                With(kStart, [](Steer& s) { s.Zoom = std::numeric_limits<float>::infinity(); })},
        KeyCase{"LowerXDecreasesAndUpperXIncreasesAngleX",
                kStart,
                {"x", "x", "x", "X"},
                With(kStart, [](Steer& s) { s.x = -138; })},
        KeyCase{
            "YKeysTurnAngleY", kStart, {"Y", "Y", "y"}, With(kStart, [](Steer& s) { s.y = 1; })},
        KeyCase{"ZKeysTurnAngleZ", kStart, {"z", "z"}, With(kStart, [](Steer& s) { s.z = 58; })},
        KeyCase{"AnglesGrowBeyondAFullTurn",
                With(kStart, [](Steer& s) { s.z = 359; }),
                {"Z", "Z"},
                With(kStart, [](Steer& s) { s.z = 361; })},
        KeyCase{"AnglesFallBelowMinusAFullTurn",
                With(kStart, [](Steer& s) { s.x = -359; }),
                {"x", "x"},
                With(kStart, [](Steer& s) { s.x = -361; })},
        KeyCase{"DKeysMoveXoffByTen",
                kStart,
                {"d", "d", "D"},
                With(kStart, [](Steer& s) { s.Xoff = 950; })},
        KeyCase{"AKeysMoveYoffByTen", kStart, {"A"}, With(kStart, [](Steer& s) { s.Yoff = 550; })},
        KeyCase{"ZoffMayBecomeNegative",
                With(kStart, [](Steer& s) { s.Zoff = 10; }),
                {"e", "e"},
                With(kStart, [](Steer& s) { s.Zoff = -10; })},
        KeyCase{
            "UpperEIncreasesZoff", kStart, {"E"}, With(kStart, [](Steer& s) { s.Zoff = 5010; })},
        KeyCase{"QuickTogglesWithEitherCase",
                kStart,
                {"Q"},
                With(kStart, [](Steer& s) { s.Quick = 1; })},
        KeyCase{"QuickTwiceIsOffAgain", kStart, {"Q", "q"}, kStart},
        KeyCase{"AutoCenterTogglesWithEitherCase",
                kStart,
                {"c"},
                With(kStart, [](Steer& s) { s.AutoCenter = 1; })},
        KeyCase{"AutoCenterTwiceIsOffAgain", kStart, {"C", "c"}, kStart},
        KeyCase{"TwoByteKeysDoNothing",
                kStart,
                {Scan(72), Scan(59), Scan(16), Scan(45), std::string{'\0', '+'}},
                kStart},
        KeyCase{"EmptyTextDoesNothing", kStart, {""}, kStart},
        KeyCase{"CtrlCDoesNothing", kStart, {"\x03"}, kStart},
        KeyCase{
            "OtherCharactersDoNothing", kStart, {"b", "w", "1", " ", "\r", "xx", "++"}, kStart}),
    [](const testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST(DispatchKeyEndTest, EscEndsTheRunAndChangesNothing) {
  auto app = std::make_unique<Life3D>();
  SetSteer(*app, kStart);
  EXPECT_TRUE(DispatchKey(*app, std::string(1, '\x1b')));
  EXPECT_EQ(SteerOf(*app), kStart);
}

TEST(DispatchKeyEndTest, OnlyTheLoneEscByteEnds) {
  auto app = std::make_unique<Life3D>();
  for (const std::string& key : {std::string("\x1b["), Scan(1), std::string{'\x1b', '\x1b'},
                                 std::string("x"), std::string()}) {
    EXPECT_FALSE(DispatchKey(*app, key)) << "key of " << key.size() << " bytes";
  }
}

class NewCellsTest : public testing::Test {
 protected:
  void SetUp() override { SeedRandom(app->rng, 43200.25); }
  std::unique_ptr<Life3D> app = std::make_unique<Life3D>();
};

TEST_F(NewCellsTest, AddsCellsAndRebuildsTheSceneAtOnce) {
  for (bool quick : {true, false}) {
    SCOPED_TRACE(quick ? "without ground" : "with ground");
    app = std::make_unique<Life3D>();
    SeedRandom(app->rng, 43200.25);
    app->Quick = quick ? 1 : 0;
    ASSERT_EQ(app->mesh.FaceCount, 0);
    EXPECT_FALSE(DispatchKey(*app, "N"));
    const int live = CountLive(app->boards.BoardNow);
    EXPECT_GT(live, 0);
    EXPECT_EQ(CountLive(app->boards.BoardNext), 0) << "the next board is left alone";
    // Every new cell is live now and dead next: one box of 8 vertices and 12
    // faces; the ground adds 1,600 tiles of 4 vertices and 4 faces.
    const int tiles = quick ? 0 : 1600;
    EXPECT_EQ(app->mesh.VertexCount, 8 * live + 4 * tiles);
    EXPECT_EQ(app->mesh.FaceCount, 12 * live + 4 * tiles);
  }
}

TEST_F(NewCellsTest, KeepsTheCellsAlreadyLive) {
  const int glider[][2] = {{1, 2}, {2, 3}, {3, 1}, {3, 2}, {3, 3}};
  for (const auto& cell : glider) {
    app->boards.BoardNow(cell[0], cell[1]) = 1;
    app->boards.BoardNext(cell[0], cell[1]) = 1;
  }
  const Board before = app->boards.BoardNow;
  DispatchKey(*app, "n");
  int added = 0;
  for (int i = 1; i <= kBoardSize; ++i) {
    for (int j = 1; j <= kBoardSize; ++j) {
      if (before(i, j) == 1) {
        EXPECT_EQ(app->boards.BoardNow(i, j), 1) << i << "," << j;
      }
      if (before(i, j) == 0 && app->boards.BoardNow(i, j) == 1) ++added;
    }
  }
  EXPECT_GT(added, 0);
}

TEST_F(NewCellsTest, LowerAndUpperCaseSeedTheSame) {
  auto other = std::make_unique<Life3D>();
  SeedRandom(other->rng, 43200.25);
  DispatchKey(*app, "N");
  DispatchKey(*other, "n");
  EXPECT_EQ(app->boards.BoardNow.cell, other->boards.BoardNow.cell);
  EXPECT_EQ(app->mesh.FaceCount, other->mesh.FaceCount);
}

TEST_F(NewCellsTest, LeavesTheZoomAsItIs) {
  app->camera.Zoom = 1666.6666259765625f;
  DispatchKey(*app, "N");
  EXPECT_EQ(app->camera.Zoom, 1666.6666259765625f);
}

TEST(HelpPanelTest, EveryLineFitsOneConsoleRowAndNamesAKeyThatActs) {
  ASSERT_EQ(HelpLines().size(), 17u);
  for (std::string_view line : HelpLines()) {
    SCOPED_TRACE(std::string(line));
    EXPECT_LE(line.size(), 22u) << "a longer line would wrap on the 22-column console";
    auto app = std::make_unique<Life3D>();
    SetSteer(*app, kStart);
    SeedRandom(app->rng, 1.5);
    // "Q,q:Quick" names its keys at 0 and 2, " + :..." at 1.
    const char key = line[0] == ' ' ? line[1] : line[0];
    DispatchKey(*app, std::string(1, key));
    const bool changed = !(SteerOf(*app) == kStart) || CountLive(app->boards.BoardNow) > 0;
    EXPECT_TRUE(changed) << "key " << key << " did nothing";
  }
}

TEST(HelpPanelTest, PrintedOnTheConsoleLeavesLinesThreeToSeventeen) {
  SetConsoleDisplay(ConsoleDisplay{});
  SetConsoleSize(22, 16);
  PrintHelpPanel();
  Console& console = TheConsole();
  std::lock_guard lock(console.mutex);
  const ConsoleScreen& screen = console.screen;
  for (int row = 0; row < 15; ++row) {
    const std::string_view line = HelpLines()[row + 2];
    std::string shown;
    for (int x = 0; x < 22; ++x) shown.push_back(static_cast<char>(screen.cells[row * 22 + x].ch));
    std::string expect(line);
    expect.resize(22, ' ');
    EXPECT_EQ(shown, expect);
  }
  EXPECT_EQ(screen.cursorX, 0);
  EXPECT_EQ(screen.cursorY, 15);
}

}  // namespace
}  // namespace life3d

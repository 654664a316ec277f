#include "app/commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/random.h"
#include "cells/board.h"
#include "console/console.h"

namespace life3d {
namespace {

// The values keys may change, compared as a whole so a key that changes the
// wrong one is caught too.
struct Steer {
  float Xoff, Yoff, Zoff, Zoom, x, y, z, Quick, AutoCenter;
  bool operator==(const Steer&) const = default;
};

Steer SteerOf(const Life3D& app) {
  return {app.camera.Xoff,  app.camera.Yoff,  app.camera.Zoff,
          app.camera.Zoom,  app.Temp_Mouse_x, app.Temp_Mouse_y,
          app.Temp_Mouse_z, float(app.Quick), float(app.AutoCenter)};
}

void SetSteer(Life3D& app, const Steer& s) {
  app.camera = Camera{s.Xoff, s.Yoff, s.Zoff, s.Zoom};
  app.Temp_Mouse_x = s.x;
  app.Temp_Mouse_y = s.y;
  app.Temp_Mouse_z = s.z;
  app.Quick = static_cast<int32_t>(s.Quick);
  app.AutoCenter = static_cast<int32_t>(s.AutoCenter);
}

std::ostream& operator<<(std::ostream& os, const Steer& s) {
  return os << "camera(" << s.Xoff << ", " << s.Yoff << ", " << s.Zoff << ", " << s.Zoom
            << ") angles(" << s.x << ", " << s.y << ", " << s.z << ") flags " << s.Quick << " "
            << s.AutoCenter;
}

constexpr Steer kStart = {960, 540, 5000, 1666.6666259765625f, -136, 0, 60, 0, 0};
constexpr float kInf = std::numeric_limits<float>::infinity();

std::vector<std::string> Repeat(const std::string& key, int times) {
  return std::vector<std::string>(times, key);
}

// Keys pressed from kStart with `field` first set to `from`: afterwards that
// field holds `to` and every other value is unchanged.
struct KeyCase {
  const char* name;
  std::vector<std::string> keys;
  float Steer::*field;
  float from, to;
};

class DispatchKeyTest : public testing::TestWithParam<KeyCase> {};

TEST_P(DispatchKeyTest, ChangesExactlyWhatTheKeySays) {
  const KeyCase& c = GetParam();
  auto app = std::make_unique<Life3D>();  // large: the mesh text buffer
  Steer before = kStart, after = kStart;
  before.*c.field = c.from;
  after.*c.field = c.to;
  SetSteer(*app, before);
  for (const std::string& key : c.keys) EXPECT_EQ(DispatchKey(*app, key), KeyOutcome::kNone);
  EXPECT_EQ(SteerOf(*app), after);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, DispatchKeyTest, testing::Values(
    // 1.1f and 0.9f as 32-bit constants; as doubles the results would be
    // 1833.333251953125 and 1500.
    KeyCase{"PlusMultipliesZoomByFloatOnePointOne", {"+"}, &Steer::Zoom, 1666.6666259765625f, 1833.3333740234375f},
    KeyCase{"MinusMultipliesZoomByFloatZeroPointNine", {"-"}, &Steer::Zoom, 1666.6666259765625f, 1499.9998779296875f},
    KeyCase{"MinusStopsAtExactlyOneHundred", Repeat("-", 40), &Steer::Zoom, 1666.6666259765625f, 100.0f},
    KeyCase{"PlusFromTheFloorGivesExactlyOneHundredTen", {"+"}, &Steer::Zoom, 100.0f, 110.0f},
    KeyCase{"PlusHasNoUpperLimit", {"+"}, &Steer::Zoom, 3.2e38f, kInf},
    KeyCase{"LowerXDecreasesUpperXIncreasesAngleX", {"x", "x", "x", "X"}, &Steer::x, -136, -138},
    KeyCase{"YKeysTurnAngleY", {"Y", "Y", "y"}, &Steer::y, 0, 1},
    KeyCase{"ZKeysTurnAngleZ", {"z", "z"}, &Steer::z, 60, 58},
    KeyCase{"AnglesGrowBeyondAFullTurn", {"Z", "Z"}, &Steer::z, 359, 361},
    KeyCase{"AnglesFallBelowMinusAFullTurn", {"x", "x"}, &Steer::x, -359, -361},
    KeyCase{"DKeysMoveXoffByTen", {"d", "d", "D"}, &Steer::Xoff, 960, 950},
    KeyCase{"AKeysMoveYoffByTen", {"A", "A", "a"}, &Steer::Yoff, 540, 550},
    KeyCase{"EKeysMoveZoffByTen", {"E", "E", "e"}, &Steer::Zoff, 5000, 5010},
    KeyCase{"ZoffMayBecomeNegative", {"e", "e"}, &Steer::Zoff, 10, -10},
    KeyCase{"UpperQTogglesQuick", {"Q"}, &Steer::Quick, 0, 1},
    KeyCase{"LowerQTogglesQuickBack", {"q"}, &Steer::Quick, 1, 0},
    KeyCase{"QuickTwiceIsOffAgain", {"Q", "q"}, &Steer::Quick, 0, 0},
    KeyCase{"LowerCTogglesAutoCenter", {"c"}, &Steer::AutoCenter, 0, 1},
    KeyCase{"UpperCTogglesAutoCenterBack", {"C"}, &Steer::AutoCenter, 1, 0},
    KeyCase{"TwoByteKeysDoNothing", {std::string{'\0', 72}, std::string{'\0', 16}, std::string{'\0', '+'}}, &Steer::x, -136, -136},
    KeyCase{"EmptyTextDoesNothing", {""}, &Steer::x, -136, -136},
    KeyCase{"CtrlCDoesNothing", {"\x03"}, &Steer::x, -136, -136},
    KeyCase{"OtherTextsDoNothing", {"b", "w", "1", " ", "\r", "xx", "++"}, &Steer::x, -136, -136}),
    [](const testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });
// clang-format on

TEST(DispatchKeyEndTest, OnlyTheLoneEscByteEndsAndItChangesNothing) {
  auto app = std::make_unique<Life3D>();
  SetSteer(*app, kStart);
  for (const std::string& key :
       {std::string("\x1b["), std::string{'\0', 1}, std::string("\x1b\x1b")}) {
    EXPECT_EQ(DispatchKey(*app, key), KeyOutcome::kNone) << "key of " << key.size() << " bytes";
  }
  EXPECT_EQ(DispatchKey(*app, "\x1b"), KeyOutcome::kEndRun);
  EXPECT_EQ(SteerOf(*app), kStart);
}

// The pass rebuilds the scene at once (see the RunPass tests); the key adds
// cells to the current board and leaves the rest to that rebuild.
TEST(NewCellsTest, AddsCellsAndAsksForTheRebuild) {
  for (const char* key : {"N", "n"}) {
    auto app = std::make_unique<Life3D>();
    SeedRandom(app->rng, 43200.25);
    EXPECT_EQ(DispatchKey(*app, key), KeyOutcome::kRebuildScene) << key;
    EXPECT_GT(CountLive(app->boards.BoardNow), 0) << key;
    EXPECT_EQ(CountLive(app->boards.BoardNext), 0) << "the next board is left alone";
    EXPECT_EQ(app->mesh.VertexCount, 0) << "the scene is the pass's to rebuild";
  }
}

TEST(NewCellsTest, KeepsTheCellsAlreadyLive) {
  auto app = std::make_unique<Life3D>();
  SeedRandom(app->rng, 43200.25);
  const int glider[][2] = {{1, 2}, {2, 3}, {3, 1}, {3, 2}, {3, 3}};
  for (const auto& cell : glider) app->boards.BoardNow(cell[0], cell[1]) = 1;
  DispatchKey(*app, "n");
  for (const auto& cell : glider) EXPECT_EQ(app->boards.BoardNow(cell[0], cell[1]), 1);
  EXPECT_GT(CountLive(app->boards.BoardNow), 5) << "no cells added";
}

// The names the help lines give the values that keys change.
const std::pair<std::string_view, float Steer::*> kNamedValues[] = {
    {"Camera.Zoom", &Steer::Zoom},      {"Camera.Xoff", &Steer::Xoff},
    {"Camera.Yoff", &Steer::Yoff},      {"Camera.Zoff", &Steer::Zoff},
    {"Temp_Mouse_x", &Steer::x},        {"Temp_Mouse_y", &Steer::y},
    {"Temp_Mouse_z", &Steer::z},        {"Quick", &Steer::Quick},
    {"Auto center", &Steer::AutoCenter}};

// Each line reads "KEYS:WHAT": its keys before the colon (" x " or "Q,q"),
// after it the value they change and how (DECR or -, INCR or +, a flag
// switched on), or "New" for new cells. Every key of every line does that.
TEST(HelpPanelTest, EveryLineFitsOneConsoleRowAndEachOfItsKeysDoesWhatItSays) {
  for (std::string_view line : HelpLines()) {
    SCOPED_TRACE(std::string(line));
    EXPECT_LE(line.size(), 22u) << "a longer line would wrap on the 22-column console";
    const size_t colon = line.find(':');
    ASSERT_NE(colon, line.npos);
    const std::string_view what = line.substr(colon + 1);
    auto says = [&](std::string_view word) { return what.find(word) != what.npos; };
    const auto named =
        std::ranges::find_if(kNamedValues, [&](const auto& name) { return says(name.first); });
    for (char key : line.substr(0, colon)) {
      if (key == ' ' || key == ',') continue;
      auto app = std::make_unique<Life3D>();
      SetSteer(*app, kStart);
      const KeyOutcome outcome = DispatchKey(*app, std::string(1, key));
      Steer expect = kStart;
      if (named == std::end(kNamedValues)) {
        EXPECT_EQ(what, "New");
        EXPECT_EQ(outcome, KeyOutcome::kRebuildScene) << key;
        EXPECT_GT(CountLive(app->boards.BoardNow), 0) << key;
      } else {
        const float start = kStart.*named->second, now = SteerOf(*app).*named->second;
        const bool less = says("DECR") || says("-"), more = says("INCR") || says("+");
        EXPECT_EQ(now < start, less) << key;
        EXPECT_EQ(now > start, more || !less) << key;  // a flag goes from 0 to 1
        EXPECT_EQ(outcome, KeyOutcome::kNone) << key;
        expect.*named->second = now;
      }
      EXPECT_EQ(SteerOf(*app), expect) << "key " << key << " changed another value";
    }
  }
}

TEST(HelpPanelTest, OnTheSixteenRowConsoleLinesThreeToSeventeenStayAndTheCursorWaitsBelow) {
  SetConsoleSize(22, 16);
  PrintHelpPanel();
  ConsoleScreen screen;
  SnapshotConsole(screen);
  ASSERT_EQ(screen.columns, 22);
  ASSERT_EQ(screen.rows, 16);
  for (int row = 0; row < 16; ++row) {
    std::string shown;
    for (int x = 0; x < 22; ++x) shown.push_back(static_cast<char>(screen.cells[row * 22 + x].ch));
    // Rows 1..15 hold help lines 3..17; the last row is empty.
    std::string expect(row < 15 ? HelpLines()[row + 2] : "");
    expect.resize(22, ' ');
    EXPECT_EQ(shown, expect) << "row " << row + 1;
  }
  EXPECT_EQ(screen.cursorX, 0);
  EXPECT_EQ(screen.cursorY, 15);
}

}  // namespace
}  // namespace life3d

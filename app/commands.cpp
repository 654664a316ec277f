#include "app/commands.h"

#include <algorithm>

#include "app/program.h"
#include "cells/board.h"
#include "console/console.h"

namespace life3d {
namespace {

constexpr std::array<std::string_view, kHelpLineCount> kHelpLines = {
    " + :Camera.Zoom +",
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
    "N,n:New",
};

// The zoom factors are 32-bit constants; the product is formed in extended
// precision and rounded once when stored, so 100 x 1.1f stores exactly 110.
constexpr float kZoomIn = 1.1f;
constexpr float kZoomOut = 0.9f;
constexpr long double kZoomFloor = 100;

void ToggleFlag(int32_t& flag) {
  flag = (flag + 1) % 2;
}

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

bool DispatchKey(Life3D& app, std::string_view key) {
  // Every command is one byte; two-byte keys and the empty text match none.
  if (key.size() != 1) return false;
  Camera& camera = app.camera;
  switch (key[0]) {
    case 27:
      return true;
    case '+':
      camera.Zoom = static_cast<float>(static_cast<long double>(camera.Zoom) * kZoomIn);
      break;
    case '-':
      camera.Zoom = static_cast<float>(
          std::max(static_cast<long double>(camera.Zoom) * kZoomOut, kZoomFloor));
      break;
    case 'x':
      app.Temp_Mouse_x -= 1;
      break;
    case 'X':
      app.Temp_Mouse_x += 1;
      break;
    case 'y':
      app.Temp_Mouse_y -= 1;
      break;
    case 'Y':
      app.Temp_Mouse_y += 1;
      break;
    case 'z':
      app.Temp_Mouse_z -= 1;
      break;
    case 'Z':
      app.Temp_Mouse_z += 1;
      break;
    case 'd':
      camera.Xoff -= 10;
      break;
    case 'D':
      camera.Xoff += 10;
      break;
    case 'a':
      camera.Yoff -= 10;
      break;
    case 'A':
      camera.Yoff += 10;
      break;
    case 'e':
      camera.Zoff -= 10;
      break;
    case 'E':
      camera.Zoff += 10;
      break;
    case 'N':
    case 'n':
      // New cells join the current population; the frame of this pass
      // already shows them.
      SeedBoard(app.boards.BoardNow, app.rng);
      RebuildScene(app);
      break;
    case 'Q':
    case 'q':
      ToggleFlag(app.Quick);
      break;
    case 'C':
    case 'c':
      ToggleFlag(app.AutoCenter);
      break;
    default:
      break;
  }
  return false;
}

}  // namespace life3d

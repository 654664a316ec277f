// The desktop program: start-up, then one generation, at most one key and one
// frame per pass until Esc. --help and --version answer without a window;
// every other argument is ignored.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "app/commands.h"
#include "app/legend.h"
#include "app/life3d.h"
#include "app/program.h"
#include "base/clock.h"
#include "base/random.h"
#include "console/console.h"
#include "console/keys.h"
#include "desktop/terminal.h"
#include "desktop/window.h"

namespace {

constexpr int32_t kConsoleColumns = 22;
constexpr int32_t kConsoleRows = 16;
constexpr int32_t kConsoleX = 0;  // screen pixels of the console's top-left corner
constexpr int32_t kConsoleY = 40;

// Said in the terminal once the window is closed, below the console: the
// terminal is then the only way to end the run. Lines fit the console's width.
constexpr char kWindowClosedNote[] = "the window is closed;\nEsc here ends the run";

void PrintUsage() {
  std::puts(
      "Usage: life3d [--help | --version]\n"
      "Conway's Game of Life on a 40 x 40 wrap-around board, drawn live in 3-D in a\n"
      "window that covers the desktop. Every run starts from a new random board.\n"
      "\n"
      "Keys, typed into the window or into the terminal it was started from:");
  for (std::string_view line : life3d::HelpLines())
    std::printf("  %.*s\n", static_cast<int>(line.size()), line.data());
  std::puts("  Esc:end the run (only Esc ends it; Ctrl+C is a key that does nothing)\n\nBoxes:");
  for (const life3d::LegendLine& line : life3d::kLegend) {
    if (line.swatch == life3d::kNoSwatch) continue;
    std::printf("  %-10.*s %.*s\n", static_cast<int>(line.colorName.size()), line.colorName.data(),
                static_cast<int>(line.text.size()), line.text.data());
  }
  std::puts("\nThe manual: man life3d");
}

// Leaves the desktop and the terminal as they were before the run.
void EndRun() {
  life3d::EndWindowThread();
  life3d::RestoreTerminal();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace life3d;
  for (int k = 1; k < argc; ++k) {
    const std::string_view arg = argv[k];
    if (arg == "--help" || arg == "-h") {
      PrintUsage();
      return 0;
    }
    if (arg == "--version") {
      std::puts("life3d " LIFE3D_VERSION);
      return 0;
    }
  }
  // Before anything opens a file: with a standard stream closed, the display
  // connection would take its number and messages would go into it.
  OpenMissingStandardStreams();
  // The console comes next, so whatever ends the run restores the terminal.
  StartTerminal();

  auto app = std::make_unique<Life3D>();
  const double seconds = TimeOfDaySeconds();
  int32_t width = 0, height = 0;
  GetDesktopSize(width, height);
  StartUp(*app, seconds, width, height);

  app->SceneWindow = CreateGraphicsWindow(kWindowTitle, 0, 0, width, height, 0);
  if (app->SceneWindow == nullptr) {
    // Without a window there is no picture and, started from a launcher, no
    // way to stop the run: say why once and end.
    const std::string cause = WindowError();
    EndRun();
    std::fprintf(stderr, "life3d: cannot open the graphics window: %s\n", cause.c_str());
    return 1;
  }
  DrawSceneFrame(*app);

  SetConsoleSize(kConsoleColumns, kConsoleRows);
  SetConsoleWindowPos(kConsoleX, kConsoleY);
  FocusConsole();
  ShowConsolePanel(kConsoleX, kConsoleY);
  PrintHelpPanel();

  Worker worker;
  const PassIo io{Pause, [](void*) { return ReadKey(); }, nullptr, &worker};
  bool toldClosed = false;
  for (;;) {
    if (RunPass(*app, io)) break;  // Esc, before this pass's frame
    if (app->SceneWindow->destroyed && !toldClosed) {
      // With no terminal the window is the only way in: closing it is the end.
      if (!HasTerminal()) break;
      ShowBelowConsole(kWindowClosedNote);
      toldClosed = true;
    }
  }
  EndRun();
  return 0;
}

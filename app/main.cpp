// The desktop program: start-up, then one generation, at most one key and one
// frame per pass until Esc. Command-line arguments are ignored.
#include <cstdio>
#include <memory>
#include <string>

#include "app/commands.h"
#include "app/life3d.h"
#include "app/program.h"
#include "desktop/terminal.h"
#include "desktop/window.h"
#include "platform/console.h"
#include "platform/keys.h"
#include "platform/random.h"

namespace {

constexpr int32_t kConsoleColumns = 22;
constexpr int32_t kConsoleRows = 16;
constexpr int32_t kConsoleX = 0;  // screen pixels of the console's top-left corner
constexpr int32_t kConsoleY = 40;

// Leaves the desktop and the terminal as they were before the run.
void EndRun() {
  life3d::EndWindowThread();
  life3d::RestoreTerminal();
}

}  // namespace

int main() {
  using namespace life3d;
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
  for (;;) {
    if (RunPass(*app, io)) break;  // Esc, before this pass's frame
    // With no terminal the window is the only way in: closing it is the end.
    if (!HasTerminal() && app->SceneWindow->destroyed) break;
  }
  EndRun();
  return 0;
}

// The window thread with the program's passes around it, on SDL's off-screen
// display: frames handed over from the pass, the console's panel copied,
// keys typed into the window read by the pass, the window closed by its user
// mid-run. The window system lives once per process, so this is one test.
#include "desktop/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "app/commands.h"
#include "app/life3d.h"
#include "app/program.h"
#include "base/worker.h"
#include "console/console.h"
#include "console/keys.h"
#include "draw/surface.h"

namespace life3d {
namespace {

// Keys as the window's user types them: SDL events, served by the window
// thread. Pushing events is safe from any thread.
void TypeText(const char* text) {
  SDL_Event event{};
  event.type = SDL_TEXTINPUT;
  std::strncpy(event.text.text, text, sizeof event.text.text - 1);
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void TypeEsc() {
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.state = SDL_PRESSED;
  event.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
  event.key.keysym.sym = SDLK_ESCAPE;
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void CloseBox() {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = SDL_WINDOWEVENT_CLOSE;
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

// The keys the passes read, in order.
std::string ReadAndKeep(void* context) {
  std::string key = ReadKey();
  *static_cast<std::string*>(context) += key;
  return key;
}

TEST(WindowTest, PassesTakeTheWindowsKeysAndGoOnOnceItIsClosedUntilEsc) {
  // SDL_VIDEODRIVER, the user's choice, wins over the program's desktop-only
  // default: SDL's off-screen display needs no X server.
  ASSERT_EQ(setenv("SDL_VIDEODRIVER", "offscreen", 1), 0);
  ClearKeys();
  int32_t width = 0, height = 0;
  GetDesktopSize(width, height);
  ASSERT_GT(width, 0) << WindowError();
  ASSERT_GT(height, 0);

  auto app = std::make_unique<Life3D>();
  StartUp(*app, 3000.5, 320, 200);
  app->SceneWindow = CreateGraphicsWindow("life3d", 0, 0, 320, 200, 0);
  ASSERT_NE(app->SceneWindow, nullptr) << WindowError();
  EXPECT_EQ(CreateGraphicsWindow("second", 0, 0, 320, 200, 0), nullptr);
  DrawSceneFrame(*app);
  SetConsoleSize(22, 16);
  ShowConsolePanel(0, 40);
  PrintHelpPanel();

  Worker worker;
  std::string read;
  const PassIo io{[](int32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
                  ReadAndKeep, &read, &worker};
  // Each stage runs passes until what it waits for has happened; a stuck
  // hand-over or a lost key fails here instead of hanging.
  const auto runUntil = [&](auto done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      if (RunPass(*app, io)) return done();
    }
    return true;
  };

  // New cells, the quick view, a camera turn: the scene changes under the
  // hand-over and the console (the panel) with it.
  TypeText("N");
  TypeText("q");
  TypeText("z+");
  ASSERT_TRUE(runUntil([&] { return read.size() >= 4; }));
  EXPECT_EQ(read, "Nqz+");

  // Frames as fast as they can be handed over, so most come while the
  // window thread shows the last one; drawn without deferral, each also
  // takes the shown picture back.
  for (const bool deferred : {true, false}) {
    AttachSurface(app->SceneWindow, 0, deferred);
    for (int k = 0; k < 500; ++k) RedrawSurface();
  }
  EXPECT_EQ(app->SceneWindow->surface.image.size(), 320u * 200u);

  CloseBox();
  ASSERT_TRUE(runUntil([&] { return app->SceneWindow->destroyed.load(); }));
  // Frames of a closed window go nowhere, and never wait for it.
  for (int k = 0; k < 3; ++k) EXPECT_FALSE(RunPass(*app, io));

  TypeEsc();
  ASSERT_TRUE(runUntil([&] { return read.find('\x1b') != std::string::npos; }));
  EXPECT_EQ(read, "Nqz+\x1b");
  EndWindowThread();
  EndWindowThread();  // safe more than once
}

}  // namespace
}  // namespace life3d

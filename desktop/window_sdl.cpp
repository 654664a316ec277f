// The graphics window through SDL2. Sections:
//   State          Slot (the one window and its frame hand-over), CreateRequest,
//                  PanelView, WindowSystem (what the threads share)
//   Showing        TitleUtf8, RefreshPanel, ShowSlot
//   Hand-over      PresentFrame, on the drawing thread
//   Window thread  CreateOnThread, TakeFrames, CloseSlot, HandleEvent,
//                  RunWindowThread (its loop), StartWindowThread
//   Entry points   GetDesktopSize, CreateGraphicsWindow, WindowError,
//                  ShowConsolePanel, EndWindowThread
#include <SDL.h>

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "base/mutex.h"
#include "console/console.h"
#include "console/keys.h"
#include "console/terminal_keys.h"
#include "desktop/display_x11.h"
#include "desktop/keymap_sdl.h"
#include "desktop/panel_sdl.h"
#include "desktop/shared_images_x11.h"
#include "desktop/window.h"

namespace life3d {
namespace {

// The image and the window surface hold pixels as 0x00RRGGBB.
constexpr Uint32 kImageFormat = SDL_PIXELFORMAT_XRGB8888;
// How long the end of the run waits for the window thread to close the window.
constexpr std::chrono::milliseconds kEndWait{500};

// The program's one window. The main thread holds its GraphicsWindow for the
// whole run, so neither record is ever freed; a closed window only stops
// being shown. Window thread only, but for `pending`.
struct Slot {
  GraphicsWindow* window = nullptr;
  SDL_Window* sdl = nullptr;  // nullptr once closed
  // Three images take turns: the drawing thread's (the surface's pixels),
  // the last finished frame handed over (`pending`, under the system's
  // mutex) and the frame the window thread shows (`frame`, what a repaint
  // shows too). The drawing thread swaps its image with `pending`, the window
  // thread `pending` with `frame` before it shows it, so neither ever waits
  // for the other and no image is copied on the way; a frame handed over
  // before the last one was taken is dropped, and a frame is shown whole or
  // not at all. The images are the X server's shared memory when it takes
  // it, put on the window as they are; else the surface's image and the two
  // below, copied into SDL's window surface.
  uint32_t* pending = nullptr;
  uint32_t* frame = nullptr;
  SharedImages* shared = nullptr;
  std::vector<uint32_t> images[2];
  int32_t width = 0, height = 0;
  bool needsShow = false;
};

struct CreateRequest {
  std::string title;
  int32_t x = 0, y = 0, width = 0, height = 0;
  uint32_t style = 0;
  bool done = false;
  WindowHandle result = nullptr;
};

// The console's cells as shown in front of the picture. Window thread only.
struct PanelView {
  Panel panel;
  ConsoleScreen screen;  // the console as last copied, what the panel shows
  bool rendered = false;
  bool shown = false;
  int32_t x = 0, y = 0;  // screen pixels
};

enum class ThreadState { kIdle, kStarting, kRunning, kEnded };

// Shared by the window thread, the program's thread (creation, the panel,
// the end) and the drawing thread (the frame hand-over).
struct WindowSystem {
  Mutex mutex;
  CondVar changed;  // any change of the fields below
  std::thread thread GUARDED_BY(mutex);
  ThreadState state GUARDED_BY(mutex) = ThreadState::kIdle;
  std::string error GUARDED_BY(mutex);
  int32_t desktopWidth GUARDED_BY(mutex) = 0;
  int32_t desktopHeight GUARDED_BY(mutex) = 0;
  CreateRequest* create GUARDED_BY(mutex) PT_GUARDED_BY(mutex) = nullptr;
  bool framesOffered GUARDED_BY(mutex) = false;
  // The window's frame hand-over (see Slot::pending).
  bool frameFresh GUARDED_BY(mutex) = false;  // pending holds a frame not taken yet
  bool windowClosed GUARDED_BY(mutex) = false;
  bool panelRequested GUARDED_BY(mutex) = false;
  bool panelShown GUARDED_BY(mutex) = false;
  int32_t panelX GUARDED_BY(mutex) = 0;
  int32_t panelY GUARDED_BY(mutex) = 0;
  bool quit GUARDED_BY(mutex) = false;
  // Window thread only.
  Slot* slot = nullptr;  // once the window is made
  PanelView panel;
  KeyMapState keyMap;
};

// Never destroyed: the window thread may still run while the process exits.
WindowSystem& System() {
  static WindowSystem* system = new WindowSystem;
  return *system;
}

// The title is console text: its bytes above 127 are code page 437.
std::string TitleUtf8(std::string_view title) {
  std::string out;
  for (char c : title) {
    const auto byte = static_cast<uint8_t>(c);
    if (byte < 0x80) {
      out.push_back(c);
    } else {
      out.append(Cp437Glyph(byte));
    }
  }
  return out;
}

// Takes the console's cells when they changed since the last look; true when
// the panel must be shown anew.
bool RefreshPanel(PanelView& view) {
  if (!view.shown) return false;
  if (!view.rendered) {
    SnapshotConsole(view.screen);
  } else if (!SnapshotConsoleIfChanged(view.screen)) {
    return false;
  }
  RenderPanelCells(view.panel, view.screen);
  view.rendered = true;
  return true;
}

// Puts the slot's last frame and the panel in front of it on the screen.
void ShowSlot(Slot& slot, const PanelView& panel) {
  slot.needsShow = false;
  if (slot.sdl == nullptr) return;
  int windowX = 0, windowY = 0;
  if (panel.shown) SDL_GetWindowPosition(slot.sdl, &windowX, &windowY);
  if (slot.shared != nullptr) {
    // The panel goes onto the frame itself: a frame comes back to the
    // drawing thread only to be drawn anew.
    for (int k = 0; k < kSharedImageCount; ++k) {
      if (SharedImagePixels(*slot.shared, k) != slot.frame) continue;
      if (panel.shown)
        DrawPanel(panel.panel, SharedImageSurface(*slot.shared, k), panel.x - windowX,
                  panel.y - windowY);
    }
    PutSharedImage(*slot.shared, slot.frame);
    return;
  }
  SDL_Surface* screen = SDL_GetWindowSurface(slot.sdl);
  if (screen == nullptr) return;
  const int width = std::min(slot.width, screen->w);
  const int height = std::min(slot.height, screen->h);
  if (width > 0 && height > 0) {
    SDL_ConvertPixels(width, height, kImageFormat, slot.frame, slot.width * 4,
                      screen->format->format, screen->pixels, screen->pitch);
  }
  if (panel.shown) DrawPanel(panel.panel, screen, panel.x - windowX, panel.y - windowY);
  SDL_UpdateWindowSurface(slot.sdl);
}

// Runs on the drawing thread (RedrawSurface): hands the finished image over
// by a swap with Slot::pending. It never waits for the window thread, which a
// stopped X server can hold in a call for ever.
void PresentFrame(DrawingSurface& surface, void* context) {
  auto* slot = static_cast<Slot*>(context);
  assert(slot != nullptr && surface.pixels != nullptr);
  WindowSystem& system = System();
  MutexLock lock(system.mutex);
  if (system.state != ThreadState::kRunning || system.windowClosed) return;
  std::swap(surface.pixels, slot->pending);
  system.frameFresh = true;
  system.framesOffered = true;
  system.changed.NotifyAll();
  // Drawing without deferral goes on over the picture just handed over.
  if ((surface.flags & kDeferredRedraw) == 0)
    std::copy_n(slot->pending, static_cast<size_t>(slot->width) * slot->height, surface.pixels);
}

// Window thread: makes the SDL window and its record.
WindowHandle CreateOnThread(WindowSystem& system, const CreateRequest& request)
    REQUIRES(system.mutex) {
  if (system.slot != nullptr) {
    system.error = "the graphics window is already open";
    return nullptr;
  }
  const bool caption =
      request.style == 0 ? !request.title.empty() : (request.style & kStyleCaption) != 0;
  Uint32 flags = SDL_WINDOW_SHOWN;
  if (!caption) flags |= SDL_WINDOW_BORDERLESS;
  SDL_Window* sdl = SDL_CreateWindow(TitleUtf8(request.title).c_str(), request.x, request.y,
                                     request.width, request.height, flags);
  if (sdl == nullptr || SDL_GetWindowSurface(sdl) == nullptr) {
    system.error = SDL_GetError();
    if (sdl != nullptr) SDL_DestroyWindow(sdl);
    return nullptr;
  }
  WindowHandle window = CreateOffscreenWindow(request.width, request.height);
  if (window == nullptr) {
    system.error = "cannot make a window image of " + std::to_string(request.width) + " x " +
                   std::to_string(request.height) + " pixels";
    SDL_DestroyWindow(sdl);
    return nullptr;
  }
  auto* slot = new Slot;
  slot->window = window;
  slot->sdl = sdl;
  slot->width = window->surface.width;
  slot->height = window->surface.height;
  // Every image starts as the first picture, what a paint before the first
  // frame shows.
  DrawingSurface& surface = window->surface;
  slot->shared = OpenSharedImages(sdl, slot->width, slot->height);
  if (slot->shared != nullptr) {
    uint32_t* pixels[kSharedImageCount];
    for (int k = 0; k < kSharedImageCount; ++k) {
      pixels[k] = SharedImagePixels(*slot->shared, k);
      std::copy(surface.image.begin(), surface.image.end(), pixels[k]);
    }
    surface.pixels = pixels[0];
    slot->pending = pixels[1];
    slot->frame = pixels[2];
    std::vector<uint32_t>().swap(surface.image);  // drawing goes to the shared images
  } else {
    try {
      slot->images[0] = surface.image;
      slot->images[1] = surface.image;
    } catch (const std::bad_alloc&) {
      system.error = "cannot make the window's other images of " + std::to_string(request.width) +
                     " x " + std::to_string(request.height) + " pixels";
      delete slot;
      delete window;
      SDL_DestroyWindow(sdl);
      return nullptr;
    }
    surface.pixels = surface.image.data();
    slot->pending = slot->images[0].data();
    slot->frame = slot->images[1].data();
  }
  window->surface.present = &PresentFrame;
  window->surface.presentContext = slot;
  system.slot = slot;
  system.error.clear();
  ShowSlot(*slot, system.panel);
  return window;
}

// Window thread: notes the frame handed over since the last look.
void TakeFrames(WindowSystem& system) REQUIRES(system.mutex) {
  if (Slot* slot = system.slot; slot != nullptr && system.frameFresh) {
    system.frameFresh = false;
    std::swap(slot->frame, slot->pending);
    if (!system.windowClosed) slot->needsShow = true;
  }
  system.framesOffered = false;
}

void CloseSlot(WindowSystem& system, Slot& slot) EXCLUDES(system.mutex) {
  {
    MutexLock lock(system.mutex);
    system.windowClosed = true;
    slot.window->destroyed = true;
    system.changed.NotifyAll();
  }
  if (slot.sdl != nullptr) SDL_DestroyWindow(slot.sdl);
  slot.sdl = nullptr;
}

void HandleEvent(WindowSystem& system, const SDL_Event& event) EXCLUDES(system.mutex) {
  switch (event.type) {
    case SDL_WINDOWEVENT:
      // The one window is the only one SDL has, so every window event is its
      // own while it is open. The slot is only set on this thread, so reading
      // it here needs no lock.
      if (Slot* slot = system.slot; slot != nullptr && slot->sdl != nullptr) {
        switch (event.window.event) {
          case SDL_WINDOWEVENT_CLOSE:
            CloseSlot(system, *slot);
            break;
          case SDL_WINDOWEVENT_EXPOSED:
          case SDL_WINDOWEVENT_RESTORED:
          case SDL_WINDOWEVENT_SHOWN:
          case SDL_WINDOWEVENT_MOVED:
          case SDL_WINDOWEVENT_SIZE_CHANGED:
            slot->needsShow = true;
            break;
          default:
            break;
        }
      }
      break;
    case SDL_KEYDOWN:
      if (std::string key = KeyTextForKeyDown(system.keyMap, event.key.keysym); !key.empty()) {
        PushKey(key);
      }
      break;
    case SDL_TEXTINPUT:
      for (char c : KeyTextsForTextInput(system.keyMap, event.text.text)) {
        PushKey(std::string_view(&c, 1));
      }
      break;
    default:
      break;  // SDL_QUIT too: only Esc ends the program
  }
}

// What the window thread has to do besides the desktop's events.
bool WorkWaiting(const WindowSystem& system) REQUIRES(system.mutex) {
  return system.quit || system.create != nullptr || system.framesOffered || system.panelRequested;
}

void RunWindowThread() {
  WindowSystem& system = System();
  // The terminal's handlers restore it on SIGINT and SIGTERM; SDL must not
  // turn those signals into events nobody reads.
  SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_OVERRIDE);
  // Without a GPU the default window surface goes through software OpenGL,
  // about ten times slower than X's shared memory images.
  SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_OVERRIDE);
  // Desktops only: on its own SDL falls back to an invisible off-screen
  // display, and the run would go on with nobody able to see or stop it.
  // SDL_VIDEODRIVER set by the user still wins.
  SDL_SetHint(SDL_HINT_VIDEODRIVER,
              std::getenv("WAYLAND_DISPLAY") != nullptr ? "x11,wayland" : "x11");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    MutexLock lock(system.mutex);
    system.error = std::string("no desktop display to open (SDL: ") + SDL_GetError() + ")";
    system.state = ThreadState::kEnded;
    system.changed.NotifyAll();
    SDL_Quit();
    return;
  }
  if (const char* driver = SDL_GetCurrentVideoDriver(); driver && std::strcmp(driver, "x11") == 0) {
    WatchDisplayConnection();
  }
  SDL_Rect bounds{};
  SDL_GetDisplayBounds(0, &bounds);
  SDL_StartTextInput();
  OpenPanel(system.panel.panel);
  {
    MutexLock lock(system.mutex);
    system.desktopWidth = bounds.x + bounds.w;
    system.desktopHeight = bounds.y + bounds.h;
    system.state = ThreadState::kRunning;
    system.changed.NotifyAll();
  }
  for (;;) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) HandleEvent(system, event);
    {
      MutexLock lock(system.mutex);
      if (system.quit) break;
      if (system.create != nullptr) {
        system.create->result = CreateOnThread(system, *system.create);
        system.create->done = true;
        system.create = nullptr;
        system.changed.NotifyAll();
      }
      if (system.framesOffered) TakeFrames(system);
      if (system.panelRequested) {
        system.panelRequested = false;
        system.panel.shown = system.panelShown;
        system.panel.x = system.panelX;
        system.panel.y = system.panelY;
        system.panel.rendered = false;
      }
    }
    const bool panelChanged = RefreshPanel(system.panel);
    if (Slot* slot = system.slot; slot != nullptr && (slot->needsShow || panelChanged)) {
      ShowSlot(*slot, system.panel);
    }
    // Sleeps 1 ms between looks at the desktop's events unless work comes.
    MutexLock lock(system.mutex);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1);
    while (!WorkWaiting(system)) {
      if (!system.changed.WaitUntil(system.mutex, deadline)) break;
    }
  }
  if (system.slot != nullptr && system.slot->sdl != nullptr) CloseSlot(system, *system.slot);
  ClosePanel(system.panel.panel);
  SDL_Quit();
  MutexLock lock(system.mutex);
  system.state = ThreadState::kEnded;
  system.changed.NotifyAll();
}

// Starts the window thread on first use and waits until it has opened the
// display or failed.
void StartWindowThread(WindowSystem& system) REQUIRES(system.mutex) {
  if (system.state == ThreadState::kIdle) {
    system.state = ThreadState::kStarting;
    try {
      system.thread = std::thread(RunWindowThread);
    } catch (const std::system_error& failure) {
      system.error = std::string("cannot start the window thread: ") + failure.what();
      system.state = ThreadState::kEnded;
    }
  }
  while (system.state == ThreadState::kStarting) system.changed.Wait(system.mutex);
}

}  // namespace

void GetDesktopSize(int32_t& width, int32_t& height) {
  WindowSystem& system = System();
  MutexLock lock(system.mutex);
  StartWindowThread(system);
  width = system.desktopWidth;
  height = system.desktopHeight;
}

WindowHandle CreateGraphicsWindow(std::string_view title, int32_t x, int32_t y, int32_t width,
                                  int32_t height, uint32_t style) {
  WindowSystem& system = System();
  MutexLock lock(system.mutex);
  StartWindowThread(system);
  if (system.state != ThreadState::kRunning) {
    if (system.error.empty()) system.error = "the window thread has ended";
    return nullptr;
  }
  CreateRequest request;
  request.title = std::string(title);
  request.x = x;
  request.y = y;
  request.width = width;
  request.height = height;
  request.style = style;
  // The program has one window, made by one thread: no request is waiting.
  assert(system.create == nullptr);
  system.create = &request;
  system.changed.NotifyAll();
  while (!request.done && system.state == ThreadState::kRunning) system.changed.Wait(system.mutex);
  if (!request.done) system.create = nullptr;
  return request.result;
}

std::string WindowError() {
  WindowSystem& system = System();
  MutexLock lock(system.mutex);
  return system.error;
}

void ShowConsolePanel(int32_t x, int32_t y) {
  WindowSystem& system = System();
  MutexLock lock(system.mutex);
  system.panelShown = true;
  system.panelX = x;
  system.panelY = y;
  system.panelRequested = true;
  system.changed.NotifyAll();
}

void EndWindowThread() {
  WindowSystem& system = System();
  std::thread ending;
  bool ended = true;
  {
    MutexLock lock(system.mutex);
    if (system.state == ThreadState::kIdle) system.state = ThreadState::kEnded;
    if (system.state == ThreadState::kRunning) {
      system.quit = true;
      system.changed.NotifyAll();
      // A window thread held in a call to a stopped X server never ends: the
      // run ends without it rather than wait with it.
      const auto deadline = std::chrono::steady_clock::now() + kEndWait;
      while (system.state != ThreadState::kEnded) {
        if (!system.changed.WaitUntil(system.mutex, deadline)) break;
      }
      ended = system.state == ThreadState::kEnded;
    }
    ending = std::move(system.thread);
  }
  if (!ending.joinable()) return;
  if (ended) {
    ending.join();
  } else {
    ending.detach();
  }
}

}  // namespace life3d

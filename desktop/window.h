// The graphics window on the desktop, shown through SDL2. One thread of its
// own makes every SDL call: it opens the display, makes the window, serves its
// events (keys go to the key queue), takes over each finished frame and shows
// it with the console's cells as a panel in front of it. The calls below come
// from the program's main thread; the state they share with the window
// thread is under one lock inside window_sdl.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "draw/surface.h"

namespace life3d {

// Style bits; 0 is the default: a caption when the title is not empty, close
// and minimize boxes. Whatever the style, the user cannot change the size.
inline constexpr uint32_t kStyleCaption = 0x00C00000;

// Right and bottom edge of the primary display in pixels; 0, 0 when no
// display can be opened (WindowError tells why).
void GetDesktopSize(int32_t& width, int32_t& height);
// A window titled `title` whose client area of width x height pixels has its
// top-left corner at screen pixel (x, y), shown at once. Returns when the
// window exists, with its handle, or nullptr when it cannot be made (the
// program has one window: a second one is refused).
// RedrawSurface on its surface hands the frame over without waiting for the
// window thread (see PresentFrame).
WindowHandle CreateGraphicsWindow(std::string_view title, int32_t x, int32_t y, int32_t width,
                                  int32_t height, uint32_t style);
// Why the display or the last window could not be opened; empty otherwise.
std::string WindowError();
// From now on the console's cells are shown in front of the window's
// picture, top-left corner at screen pixel (x, y): the console coming in
// front of the graphics window.
void ShowConsolePanel(int32_t x, int32_t y);
// Closes the window (its `destroyed` flag is set) and ends the window
// thread, waiting for it half a second at most: a thread still held by the
// display after that is left behind. Safe to call more than once and
// without a thread.
void EndWindowThread();

}  // namespace life3d

// Drawing surface: the off-screen image a frame is painted into, the drawing
// operations the renderer uses, and the hand-over of a finished image to
// whoever shows it (the SDL2 window thread, or nobody when run headless).
// Colors are 0x00BBGGRR (red in the low byte); -1 means the default color
// and -2 no color. Image pixels are stored as 0x00RRGGBB.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "draw/raster.h"

namespace life3d {

inline constexpr uint32_t kDeferredRedraw = 0x80;
inline constexpr int32_t kErrorNoSurface = 68;          // AttachSurface found no surface
inline constexpr int32_t kWindowTextColor = 0x000000;   // default foreground color
inline constexpr int32_t kControlFaceColor = 0xF0F0F0;  // default background and first image
inline constexpr int32_t kSurfaceDpi = 96;              // vertical dots per inch of every image
// Largest side of an image: far above any desktop, small enough that an image
// takes at most 1 GiB (4 bytes a pixel) and that its pixel and byte counts and
// every row offset fit 32-bit signed arithmetic.
inline constexpr int32_t kMaxImageSide = 16384;

// Font state kept by SelectFont. No operation draws text; the font is kept so
// the state is what a text-drawing caller would see.
struct FontState {
  char face[32] = "MS Sans Serif";  // at most 31 characters
  int32_t height = -10;             // negative: character body height in pixels (8 points)
  int32_t weight = 400;
  bool italic = false, underline = false, strikeOut = false;
};

struct DrawingSurface;
// Called by RedrawSurface on the drawing thread with the finished image. It
// may take the image over by swapping `pixels` with memory of its own of the
// same size instead of copying it: then, with deferred drawing, the image
// holds an earlier frame on return (a deferred frame is drawn whole, from a
// clear); without it, the presenter must leave the finished picture in the
// image, since every drawing operation draws on over the last one.
using PresentFn = void (*)(DrawingSurface& surface, void* context);

struct DrawingSurface {
  uint32_t flags = 0;           // kDeferredRedraw
  std::vector<uint32_t> image;  // width * height pixels, 0x00RRGGBB, row-major
  // Where drawing goes when set: width * height pixels a presenter lends in
  // place of `image` (which it may then empty), and swaps at each hand-over.
  uint32_t* pixels = nullptr;
  int32_t width = 0, height = 0;
  int32_t lastX = 0, lastY = 0;  // current drawing position
  FontState font;
  int32_t foreColor = kWindowTextColor;   // text color and default outline color
  int32_t backColor = kControlFaceColor;  // text background and default clear color; may be -2
  // Background of text and of a hatch's gaps; 0 while it is transparent.
  int32_t textBackColor = kControlFaceColor;
  bool textBackOpaque = true;
  PresentFn present = nullptr;  // nobody shows the image when null
  void* presentContext = nullptr;
  // The image was cleared for the next frame by another thread while this
  // one waited (see ClearFrameAhead); the frame's start uses that clear in
  // place of its own. Nothing may draw while it is set.
  bool clearedAhead = false;
  // Painting under (BeginPaintingUnder): the pixels painted since it began.
  bool paintingUnder = false;
  PaintedMask painted;                // points into the two arrays below
  std::vector<uint64_t> paintedBits;  // MaskWordsPerRow(width) words per row
  std::vector<int32_t> paintedInRow;
};

// A top-level graphics window with its one drawing surface (control id 0).
// The handle stays valid for the whole run; when the user closes the window
// `destroyed` is set and every drawing call does nothing from then on.
struct GraphicsWindow {
  DrawingSurface surface;
  std::atomic<bool> destroyed{false};
};
using WindowHandle = GraphicsWindow*;  // nullptr: creation failed

// The drawing services below are complete as the window system defines them:
// hatch styles, hollow and hatched brush fills, outlines in a color of their
// own, polygons of 2 to 1024 points under either fill rule, drawing without
// deferral (each operation then publishes its result), fonts and text colors.
// The program itself draws deferred, clears in solid grey and fills triangles
// outlined in their own color, and sets the font and text colors every frame
// without drawing text; the rest is kept, and tested, for any other caller.

// The picture as drawn so far: the pixels a presenter lent, or the image.
// Read it anew after every frame, since a presenter swaps what it lent.
// Empty when the image is not the surface's size.
inline std::span<const uint32_t> SurfacePixels(const DrawingSurface& surface) {
  const size_t count = static_cast<size_t>(surface.width > 0 ? surface.width : 0) *
                       static_cast<size_t>(surface.height > 0 ? surface.height : 0);
  if (surface.pixels) return {surface.pixels, count};
  if (surface.image.size() < count) return {};
  return {surface.image.data(), count};
}

// Error number recorded by the last failing platform call on this thread.
int32_t& PlatformError();

// Sizes a fresh surface to width x height, fills the image with the control-face
// color and selects the default font. False (surface unchanged) when a side is
// not from 1 to kMaxImageSide or the image cannot be had.
bool PrepareSurface(DrawingSurface& surface, int32_t width, int32_t height);
// A window with no screen behind it, for headless use (tools, tests); nullptr
// when the surface cannot be prepared. Allocated with new: the caller may
// delete it once no thread has it attached.
WindowHandle CreateOffscreenWindow(int32_t width, int32_t height);

// Makes the window's surface with control id `id` the current surface of the
// calling thread; records kErrorNoSurface when there is none (or the window
// is gone). Deferred: drawing changes only the image until RedrawSurface.
void AttachSurface(WindowHandle window, int32_t id, bool deferred);
// The current surface of this thread, or nullptr.
DrawingSurface* CurrentSurface();
// Paints the whole image in color (style 0 solid, 1..6 hatches); -1 is the
// background color, -2 paints nothing. Moves the drawing position to (0, 0).
void ClearSurface(int32_t color, int32_t style);
void SetForeColor(int32_t color);
void SetBackColor(int32_t color);
void SelectFont(std::string_view face, int32_t points, int32_t style);

// A point list for FillPolygon: count, then count x, y pairs in pixels.
inline constexpr int32_t kMaxPolygonPoints = 1024;
struct PolygonPoints {
  int32_t count = 0;
  float xy[2 * kMaxPolygonPoints];
};
// Fills the closed polygon (2..1024 points) and draws its one-pixel boundary.
// Non-zero winding unless alternate (even-odd). Never writes outside the image.
void FillPolygon(const PolygonPoints& points, int32_t outline, int32_t fill, int32_t style,
                 bool alternate);
// Hands the finished image to whoever shows it (see PresentFn).
void RedrawSurface();
// Until EndPaintingUnder, ClearSurface and FillPolygon paint only pixels that
// nothing has painted since this call, so shapes drawn nearest first give the
// picture that drawing them farthest first gives. False (and no change) when
// there is no current surface or no memory for the record of painted pixels.
bool BeginPaintingUnder();
// Back to painting over.
void EndPaintingUnder();
// Packs red, green, blue (each clamped to 0..255) as 0x00BBGGRR.
int32_t Rgb(int32_t red, int32_t green, int32_t blue);

}  // namespace life3d

#include "draw/surface.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <new>

#include "draw/raster.h"
#include "text/text.h"

namespace life3d {

namespace {

thread_local GraphicsWindow* tCurrentWindow = nullptr;
thread_local int32_t tPlatformError = 0;

FontState MakeFont(std::string_view face, int32_t points, int32_t style) {
  FontState font;
  const size_t length = std::min<size_t>(face.size(), sizeof font.face - 1);
  std::memcpy(font.face, face.data(), length);
  font.face[length] = '\0';
  if (points <= 0 || points > 72) points = 8;
  const int32_t body = points * kSurfaceDpi / 72;  // truncated, as the character height is
  font.height = -body;
  font.weight = (style & 1) ? 700 : 400;
  font.italic = (style & 2) != 0;
  font.underline = (style & 4) != 0;
  font.strikeOut = (style & 8) != 0;
  return font;
}

PixelImage ImageOf(DrawingSurface& surface) {
  return PixelImage{surface.pixels ? surface.pixels : surface.image.data(), surface.width,
                    surface.height, surface.paintingUnder ? &surface.painted : nullptr};
}

// Without deferred drawing every drawing operation publishes its result.
void FinishDrawing(const DrawingSurface& surface) {
  if ((surface.flags & kDeferredRedraw) == 0) RedrawSurface();
}

}  // namespace

int32_t& PlatformError() {
  return tPlatformError;
}

bool PrepareSurface(DrawingSurface& surface, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) return false;
  try {
    surface.image.assign(static_cast<size_t>(width) * static_cast<size_t>(height),
                         PixelFromColor(kControlFaceColor));
  } catch (const std::bad_alloc&) {
    return false;
  }
  surface.width = width;
  surface.height = height;
  surface.lastX = surface.lastY = 0;
  surface.font = MakeFont("MS Sans Serif", 8, 0);
  surface.foreColor = kWindowTextColor;
  surface.backColor = surface.textBackColor = kControlFaceColor;
  surface.textBackOpaque = true;
  return true;
}

WindowHandle CreateOffscreenWindow(int32_t width, int32_t height) {
  auto* window = new (std::nothrow) GraphicsWindow;
  if (!window) return nullptr;
  if (!PrepareSurface(window->surface, width, height)) {
    delete window;
    return nullptr;
  }
  return window;
}

void AttachSurface(WindowHandle window, int32_t id, bool deferred) {
  tCurrentWindow = nullptr;
  // The window's only surface has control id 0; any other id names the
  // window itself, which is no surface.
  if (!window || window->destroyed.load(std::memory_order_acquire) || id != 0) {
    PlatformError() = kErrorNoSurface;
    return;
  }
  if (deferred)
    window->surface.flags |= kDeferredRedraw;
  else
    window->surface.flags &= ~kDeferredRedraw;
  tCurrentWindow = window;
}

DrawingSurface* CurrentSurface() {
  GraphicsWindow* window = tCurrentWindow;
  if (!window || window->destroyed.load(std::memory_order_acquire)) return nullptr;
  return &window->surface;
}

void ClearSurface(int32_t color, int32_t style) {
  DrawingSurface* surface = CurrentSurface();
  if (!surface) return;
  assert(!surface->clearedAhead && "nothing draws between a clear ahead and the frame's start");
  if (color == -1) color = surface->backColor;
  if (style < 0 || style > 6) style = 0;
  if (color != -2) {
    const Brush brush{PixelFromColor(color), style, surface->textBackOpaque,
                      PixelFromColor(surface->textBackColor)};
    const PixelImage image = ImageOf(*surface);
    for (int32_t y = 0; y < image.height; ++y) FillSpan(image, brush, y, 0, image.width - 1);
  }
  surface->lastX = surface->lastY = 0;
  FinishDrawing(*surface);
}

void SetForeColor(int32_t color) {
  DrawingSurface* surface = CurrentSurface();
  if (!surface) return;
  if (color == -1) color = kWindowTextColor;
  surface->foreColor = color & 0xFFFFFF;
}

void SetBackColor(int32_t color) {
  DrawingSurface* surface = CurrentSurface();
  if (!surface) return;
  if (color == -2) {
    surface->backColor = -2;
    surface->textBackColor = 0;
    surface->textBackOpaque = false;
    return;
  }
  if (color == -1) color = kControlFaceColor;
  surface->backColor = surface->textBackColor = color & 0xFFFFFF;
  surface->textBackOpaque = true;
}

void SelectFont(std::string_view face, int32_t points, int32_t style) {
  DrawingSurface* surface = CurrentSurface();
  if (!surface) return;
  surface->font = MakeFont(face, points, style);
}

void FillPolygon(const PolygonPoints& points, int32_t outline, int32_t fill, int32_t style,
                 bool alternate) {
  DrawingSurface* surface = CurrentSurface();
  if (!surface) return;
  assert(!surface->clearedAhead && "nothing draws between a clear ahead and the frame's start");
  const int32_t n = points.count;
  if (n < 2 || n > kMaxPolygonPoints) return;
  // Whole pixels, halves to even; a coordinate that is infinite, not a number
  // or out of the 32-bit range arrives as -2147483648 and is clipped like any
  // other far-away point.
  int32_t xy[2 * kMaxPolygonPoints];
  if (n == 3) {
    for (int32_t k = 0; k < 6; ++k) xy[k] = RoundToInt(points.xy[k]);
  } else {
    for (int32_t k = 0; k < 2 * n; ++k) xy[k] = RoundToInt(points.xy[k]);
  }

  if (outline == -1) outline = surface->foreColor;
  outline &= 0xFFFFFF;
  if (fill == -1) fill = outline;
  if (style < 0 || style > 6) style = 0;
  const PixelImage image = ImageOf(*surface);
  if (FullyPainted(image)) return;
  if (n == 3 && style == 0 && fill == outline) {
    FillOutlinedTriangle(image, PixelFromColor(fill), xy);  // every face of a frame
    FinishDrawing(*surface);
    return;
  }
  const uint32_t pen = PixelFromColor(outline);
  auto drawOutline = [&] {
    const int32_t edges = n == 2 ? 1 : n;  // a two-point polygon is one segment there and back
    for (int32_t i = 0; i < edges; ++i) {
      const int32_t j = (i + 1) % n;
      DrawLine(image, pen, xy[2 * i], xy[2 * i + 1], xy[2 * j], xy[2 * j + 1]);
    }
  };
  // The outline lies over the fill, so painting under draws it first.
  if (image.under) drawOutline();
  if (fill != -2) {
    const Brush brush{PixelFromColor(fill), style, surface->textBackOpaque,
                      PixelFromColor(surface->textBackColor)};
    if (n == 3)
      FillTriangle(image, brush, xy);  // both fill rules agree on a triangle
    else
      FillPolygonInterior(image, brush, xy, n, alternate);
  }
  if (!image.under) drawOutline();
  FinishDrawing(*surface);
}

void RedrawSurface() {
  DrawingSurface* surface = CurrentSurface();
  if (!surface || !surface->present) return;
  assert(!surface->clearedAhead && "nothing draws between a clear ahead and the frame's start");
  surface->present(*surface, surface->presentContext);
  // A presenter may swap the image, but only for one of the same size.
  assert(surface->pixels != nullptr ||
         surface->image.size() ==
             static_cast<size_t>(surface->width) * static_cast<size_t>(surface->height));
}

bool BeginPaintingUnder() {
  DrawingSurface* surface = CurrentSurface();
  if (!surface) return false;
  const size_t words = static_cast<size_t>(MaskWordsPerRow(surface->width)) * surface->height;
  try {
    // Same size every frame, so after the first one this never allocates.
    surface->paintedBits.assign(words, 0);
    surface->paintedInRow.assign(static_cast<size_t>(surface->height), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  surface->painted = PaintedMask{surface->paintedBits.data(), surface->paintedInRow.data(), 0};
  surface->paintingUnder = true;
  return true;
}

void EndPaintingUnder() {
  if (DrawingSurface* surface = CurrentSurface()) surface->paintingUnder = false;
}

int32_t Rgb(int32_t red, int32_t green, int32_t blue) {
  auto clamp = [](int32_t v) { return std::clamp(v, 0, 255); };
  return clamp(red) + 256 * clamp(green) + 65536 * clamp(blue);
}

}  // namespace life3d

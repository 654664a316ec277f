// Pixel filling for the drawing surface: spans, one-pixel lines, triangles and
// polygons in whole-pixel coordinates, pixel (x, y) centred on the point
// (x, y). Every operation clips to the image: nothing is written outside it,
// and the work is bounded by the part of the shape that lies on the image, so
// a shape reaching millions of pixels off the image costs no more than one
// that covers it.
#pragma once

#include <cstdint>

namespace life3d {

// Which pixels have been painted since painting under began: one bit per
// pixel, rows of (width + 63) / 64 words, a count per row and of full rows.
struct PaintedMask {
  uint64_t* bits = nullptr;
  int32_t* inRow = nullptr;
  int32_t fullRows = 0;
};

// A row-major image of 0x00RRGGBB pixels owned by someone else. With a mask
// the image is painted under: a pixel already painted keeps its color.
struct PixelImage {
  uint32_t* pixels = nullptr;
  int32_t width = 0, height = 0;
  PaintedMask* under = nullptr;
};

// Words of PaintedMask::bits per row of an image width pixels wide.
inline int32_t MaskWordsPerRow(int32_t width) {
  return (width + 63) / 64;
}
// Whether painting under leaves nothing of the image to paint.
inline bool FullyPainted(const PixelImage& image) {
  return image.under && image.under->fullRows >= image.height;
}

// What fills an area: a solid color or a hatch (styles 1..6: horizontal,
// vertical, forward diagonal, backward diagonal, cross, diagonal cross) whose
// gaps take backColor when opaqueBack and are left alone otherwise.
struct Brush {
  uint32_t color = 0;  // 0x00RRGGBB
  int32_t style = 0;   // 0 solid
  bool opaqueBack = false;
  uint32_t backColor = 0;
};

// 0x00BBGGRR color (low 24 bits) as a 0x00RRGGBB pixel.
inline uint32_t PixelFromColor(int32_t color) {
  const uint32_t c = static_cast<uint32_t>(color);
  return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// Whether hatch style paints pixel (x, y): 8 x 8 patterns tied to the image origin.
bool HatchCovers(int32_t style, int32_t x, int32_t y);
// Fills pixels x0..x1 (inclusive) of row y with the brush, clipped to the image.
void FillSpan(const PixelImage& image, const Brush& brush, int64_t y, int64_t x0, int64_t x1);
// One-pixel line with both ends. Along the longer axis every pixel gets one
// pixel on the other axis, the nearest to the line (halves toward larger
// coordinates), so both directions of a segment give the same pixels.
void DrawLine(const PixelImage& image, uint32_t color, int32_t x0, int32_t y0, int32_t x1,
              int32_t y1);
// Every pixel whose centre lies in the closed triangle of the three points
// xy = {x0, y0, x1, y1, x2, y2}.
void FillTriangle(const PixelImage& image, const Brush& brush, const int32_t* xy);
// The same pixels as FillTriangle followed by the three DrawLine edges, all
// in color, in one pass of one run per row: the way faces are drawn.
void FillOutlinedTriangle(const PixelImage& image, uint32_t color, const int32_t* xy);
// Pixels whose centre lies inside the closed polygon of n points (n <= 1024)
// by the non-zero winding rule, or by the even-odd rule when evenOdd; centres
// exactly on the boundary may be left out (the outline covers them).
void FillPolygonInterior(const PixelImage& image, const Brush& brush, const int32_t* xy, int32_t n,
                         bool evenOdd);

}  // namespace life3d

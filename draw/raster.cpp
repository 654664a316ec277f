// The pixel filler. Sections:
//   Exact arithmetic  FloorDiv, CeilDiv, Clamp: 128-bit setup, floor division
//   Pixel writes      SetPixels, PaintSpan, PaintPixel, FillRow: clipped rows
//                     and pixels, the painted-pixel mask kept when painting under
//   Edge walks        EdgeWalk (a filled edge, row by row), FloorWalk, LineRows
//                     (the runs of a one-pixel line, row by row)
//   Hatches, spans    HatchCovers, FillSpan
//   Lines             DrawLine
//   Triangles         FillTriangle; FillOutlinedTriangle, the path of every face
//   Polygons          FillPolygonInterior: non-zero winding or even-odd
#include "draw/raster.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>

namespace life3d {

namespace {

// ---- Exact arithmetic ----

// Points may sit anywhere in the 32-bit range (a point that was infinite or
// not a number arrives as -2147483648), so differences need 33 bits and their
// products 66: exact setup arithmetic runs in 128 bits, per-pixel and per-row
// stepping in 64.
using Wide = __int128;

struct Quotient {
  Wide q;
  int64_t r;  // 0 <= r < d
};

// floor(n / d) with its remainder, d > 0.
inline Quotient FloorDiv(Wide n, int64_t d) {
  constexpr int64_t kExact = int64_t{1} << 53;
  if (n > -kExact && n < kExact) {
    // Below 2^53 the double quotient never rounds across a whole number, so
    // its truncation, stepped down once for negative quotients, is the floor
    // (and a double division is far cheaper than a 64-bit integer one).
    const int64_t m = static_cast<int64_t>(n);
    int64_t q = static_cast<int64_t>(static_cast<double>(m) / static_cast<double>(d));
    if (q * d > m) --q;
    return {q, m - q * d};
  }
  Wide q = n / d, r = n % d;
  if (r < 0) --q, r += d;
  return {q, static_cast<int64_t>(r)};
}

inline Wide CeilDiv(Wide n, int64_t d) {
  return -FloorDiv(-n, d).q;
}

inline int64_t Clamp(Wide v, int64_t lo, int64_t hi) {
  return v < lo ? lo : v > hi ? hi : static_cast<int64_t>(v);
}

// ---- Pixel writes ----

// Sets n pixels from p on. Face spans are a few pixels long, so instead of a
// loop with a head and a tail they take 16-byte stores (8-byte ones below 4
// pixels), the last one overlapping the one before it.
inline void SetPixels(uint32_t* p, int64_t n, uint32_t color) {
  const uint32_t quad[4] = {color, color, color, color};
  if (n < 4) {
    if (n >= 2) {
      std::memcpy(p, quad, 8);
      std::memcpy(p + n - 2, quad, 8);
    } else if (n == 1) {
      *p = color;
    }
    return;
  }
  for (int64_t i = 0; i < n - 4; i += 4) std::memcpy(p + i, quad, sizeof quad);
  std::memcpy(p + n - 4, quad, sizeof quad);
}

// Adds count newly painted pixels to row y's tally, and counts the row among
// the full ones once all its pixels are painted.
inline void CountPainted(const PixelImage& image, int64_t y, int64_t count) {
  PaintedMask& mask = *image.under;
  mask.inRow[y] += static_cast<int32_t>(count);
  assert(mask.inRow[y] <= image.width);
  if (mask.inRow[y] == image.width) ++mask.fullRows;
}

// Pixels x0..x1 (on the image) of row y in color, skipping painted pixels
// when painting under. A word of the mask covers 64 pixels: a word already
// full costs one test, a word still empty one store of its part of the span.
template <bool kUnder>
inline void PaintSpanAs(const PixelImage& image, int64_t y, int64_t x0, int64_t x1,
                        uint32_t color) {
  assert(y >= 0 && y < image.height && x0 >= 0 && x0 <= x1 && x1 < image.width);
  uint32_t* row = image.pixels + y * image.width;
  if constexpr (!kUnder) {
    SetPixels(row + x0, x1 - x0 + 1, color);
    return;
  }
  if (image.under->inRow[y] == image.width) return;
  uint64_t* words = image.under->bits + y * MaskWordsPerRow(image.width);
  int64_t painted = 0;
  for (int64_t x = x0; x <= x1;) {
    const int64_t word = x >> 6, last = std::min(x1, (word << 6) + 63);
    const uint64_t span = (~uint64_t{0} << (x & 63)) & (~uint64_t{0} >> (63 - (last & 63)));
    uint64_t fresh = span & ~words[word];
    words[word] |= fresh;
    if (fresh == span) {
      SetPixels(row + x, last - x + 1, color);
      painted += last - x + 1;
    } else {
      while (fresh) {  // runs of unpainted pixels; fresh != span keeps ~(fresh >> at) non-zero
        const int at = __builtin_ctzll(fresh);
        const int run = __builtin_ctzll(~(fresh >> at));
        SetPixels(row + (word << 6) + at, run, color);
        painted += run;
        fresh &= ~(((run == 64 ? 0 : uint64_t{1} << run) - 1) << at);
      }
    }
    x = last + 1;
  }
  if (painted) CountPainted(image, y, painted);
}

inline void PaintSpan(const PixelImage& image, int64_t y, int64_t x0, int64_t x1, uint32_t color) {
  if (image.under)
    PaintSpanAs<true>(image, y, x0, x1, color);
  else
    PaintSpanAs<false>(image, y, x0, x1, color);
}

// One pixel, at index y * width + x, respecting the mask.
inline void PaintPixel(const PixelImage& image, int64_t x, int64_t y, uint32_t color) {
  assert(x >= 0 && x < image.width && y >= 0 && y < image.height);
  if (image.under) {
    uint64_t& word = image.under->bits[y * MaskWordsPerRow(image.width) + (x >> 6)];
    const uint64_t bit = uint64_t{1} << (x & 63);
    if (word & bit) return;
    word |= bit;
    CountPainted(image, y, 1);
  }
  image.pixels[y * image.width + x] = color;
}

inline void FillRow(const PixelImage& image, const Brush& brush, int64_t y, int64_t x0,
                    int64_t x1) {
  assert(y >= 0 && y < image.height);
  if (x0 < 0) x0 = 0;
  if (x1 >= image.width) x1 = image.width - 1;
  if (x0 > x1) return;
  if (brush.style == 0) {
    PaintSpan(image, y, x0, x1, brush.color);
    return;
  }
  for (int64_t x = x0; x <= x1; ++x) {
    if (HatchCovers(brush.style, static_cast<int32_t>(x), static_cast<int32_t>(y)))
      PaintPixel(image, x, y, brush.color);
    else if (brush.opaqueBack)
      PaintPixel(image, x, y, brush.backColor);
  }
}

// ---- Edge walks ----

// The x where an edge crosses successive rows, kept exactly as x + rem / dy so
// that the pixel-centre tests (ceil on the left, floor on the right) are exact.
struct EdgeWalk {
  int64_t x = 0, rem = 0, dy = 1, stepX = 0, stepRem = 0;

  // Edge from (xa, ya) down to (xb, yb), ya <= yb, positioned at row y; a
  // horizontal edge stays at xa.
  void Start(int64_t xa, int64_t ya, int64_t xb, int64_t yb, int64_t y) {
    if (yb == ya) {
      *this = EdgeWalk{};
      x = xa;
      return;
    }
    dy = yb - ya;
    const int64_t dx = xb - xa;
    const Quotient at = FloorDiv(Wide{y - ya} * dx, dy);
    x = xa + static_cast<int64_t>(at.q);
    rem = at.r;
    const Quotient step = FloorDiv(dx, dy);
    stepX = static_cast<int64_t>(step.q);
    stepRem = step.r;
  }
  void Step() {
    x += stepX;
    rem += stepRem;
    if (rem >= dy) ++x, rem -= dy;
  }
  int64_t Floor() const { return x; }
  int64_t Ceil() const { return x + (rem > 0); }
};

// floor(n / d) for n = n0 + k * step at successive k, kept as q + r / d.
struct FloorWalk {
  int64_t q = 0, r = 0, d = 1, stepQ = 0, stepR = 0;

  void Start(Wide n0, Wide step, int64_t divisor) {
    d = divisor;
    const Quotient at = FloorDiv(n0, d);
    const Quotient by = FloorDiv(step, d);
    q = static_cast<int64_t>(at.q), r = at.r;
    stepQ = static_cast<int64_t>(by.q), stepR = by.r;
  }
  void Step() {
    q += stepQ;
    r += stepR;
    if (r >= d) ++q, r -= d;
  }
};

// The pixels of one DrawLine segment, row by row from top to bottom: on each
// of its rows a run of one pixel (a steep segment) or of several (a flat one).
// The runs come from solving DrawLine's rule for x, so they are the same
// pixels. One walk w serves every kind: with cur = w(y) and next = w(y + 1)
// the run on row y is min(cur, next + 1) .. max(cur, next - 1), clipped to
// the segment's columns:
//   steep:            w = the pixel's x; next lies within one of cur;
//   flat, going right: w = F(y), the first x on row y; run F(y) .. F(y+1) - 1;
//   flat, going left:  w = L(y), the last x on row y or below; run L(y+1) + 1 .. L(y);
//   level:            w = x0 on its one row and x1 + 1 after it.
struct LineRows {
  int64_t top = 0, bottom = 0;  // rows with pixels
  int64_t x0 = 0, x1 = 0;       // the segment's columns, x0 <= x1
  FloorWalk walk;

  // Prepares the segment for rows from max(top, y) on.
  [[gnu::always_inline]] void Start(int64_t ax, int64_t ay, int64_t bx, int64_t by, int64_t y) {
    x0 = std::min(ax, bx), x1 = std::max(ax, bx);
    if (std::llabs(by - ay) > std::llabs(bx - ax)) {
      // Steep: x = ax + floor((2 (y - ay) dx + dy) / (2 dy)) from the upper end.
      if (ay > by) std::swap(ax, bx), std::swap(ay, by);
      top = ay, bottom = by;
      const int64_t dx = bx - ax, dy = by - ay;
      if (y <= top && dy < (int64_t{1} << 30)) {  // the usual case needs no division
        walk = FloorWalk{ax, dy, 2 * dy, dx < 0 ? -1 : 0, dx < 0 ? 2 * (dx + dy) : 2 * dx};
      } else {
        walk.Start(Wide{2} * (std::max(y, top) - ay) * dx + dy, Wide{2} * dx, 2 * dy);
        walk.q += ax;
      }
      return;
    }
    // Pixel x of a flat segment sits on row y0 + floor((2 (x - x0) dy + dx) / (2 dx)),
    // counted from its left end.
    if (ax > bx) std::swap(ax, bx), std::swap(ay, by);
    const int64_t dx = bx - ax, dy = by - ay;
    if (dy == 0) {
      top = bottom = ay;
      walk = FloorWalk{ax, 0, 1, dx + 1, 0};
    } else if (dy > 0) {
      // F(y) = x0 + ceil((2 (y - y0) - 1) dx / (2 dy)).
      top = ay, bottom = by;
      walk.Start(Wide{2 * (std::max(y, top) - ay) - 1} * dx + 2 * dy - 1, Wide{2} * dx, 2 * dy);
      walk.q += ax;
    } else {
      // L(y) = x0 + floor((1 - 2 (y - y0)) dx / (2 |dy|)).
      top = by, bottom = ay;
      walk.Start(Wide{1 - 2 * (std::max(y, top) - ay)} * dx, Wide{-2} * dx, -2 * dy);
      walk.q += ax;
    }
  }

  // Widens [lo, hi] by the run on the current row and moves to the next row.
  void Next(int64_t& lo, int64_t& hi) {
    const int64_t cur = walk.q;
    walk.Step();
    const int64_t next = walk.q;
    lo = std::min(lo, std::max(x0, std::min(cur, next + 1)));
    hi = std::max(hi, std::min(x1, std::max(cur, next - 1)));
  }
};

struct Corner {
  int64_t x, y;
};

struct Crossing {
  int64_t x;    // floor of the crossing
  double frac;  // the rest, only to order crossings within one pixel
  int32_t dir;  // +1 edge going down, -1 going up
};

}  // namespace

// ---- Hatches, spans ----

bool HatchCovers(int32_t style, int32_t x, int32_t y) {
  const bool horizontal = (y & 7) == 0;
  const bool vertical = (x & 7) == 0;
  const bool forward = ((x - y) & 7) == 0;   // "\" on a y-down image
  const bool backward = ((x + y) & 7) == 0;  // "/"
  switch (style) {
    case 1:
      return horizontal;
    case 2:
      return vertical;
    case 3:
      return forward;
    case 4:
      return backward;
    case 5:
      return horizontal || vertical;
    case 6:
      return forward || backward;
    default:
      return true;
  }
}

void FillSpan(const PixelImage& image, const Brush& brush, int64_t y, int64_t x0, int64_t x1) {
  if (y < 0 || y >= image.height) return;
  FillRow(image, brush, y, x0, x1);
}

// ---- Lines ----

void DrawLine(const PixelImage& image, uint32_t color, int32_t x0, int32_t y0, int32_t x1,
              int32_t y1) {
  if (image.width <= 0 || image.height <= 0) return;
  // Walk the longer axis "a"; the shorter axis "b" follows the line.
  const bool xMajor = std::llabs(int64_t{x1} - x0) >= std::llabs(int64_t{y1} - y0);
  int64_t a0 = xMajor ? x0 : y0, b0 = xMajor ? y0 : x0;
  int64_t a1 = xMajor ? x1 : y1, b1 = xMajor ? y1 : x1;
  const int64_t aSize = xMajor ? image.width : image.height;
  const int64_t bSize = xMajor ? image.height : image.width;
  if (a0 > a1) std::swap(a0, a1), std::swap(b0, b1);
  const int64_t da = a1 - a0, db = b1 - b0;  // da >= |db|

  if (da == 0) {
    if (a0 >= 0 && a0 < aSize && b0 >= 0 && b0 < bSize)
      PaintPixel(image, xMajor ? a0 : b0, xMajor ? b0 : a0, color);
    return;
  }
  // Pixel t (0..da) sits at a = a0 + t, b = b0 + floor((2 t db + da) / (2 da)).
  // Keep the t whose a and b both lie on the image, solved exactly.
  int64_t tLo = std::max<int64_t>(0, -a0);
  int64_t tHi = std::min<int64_t>(da, aSize - 1 - a0);
  const int64_t bLo = -b0, bHi = bSize - 1 - b0;
  const Wide kLo = Wide{2 * bLo - 1} * da;      // b >= 0         <=> 2 t db >= kLo
  const Wide kHi = Wide{2 * bHi + 1} * da - 1;  // b <= bSize - 1 <=> 2 t db <= kHi
  if (db > 0) {
    tLo = Clamp(std::max<Wide>(tLo, CeilDiv(kLo, 2 * db)), tLo, tHi + 1);
    tHi = Clamp(std::min<Wide>(tHi, FloorDiv(kHi, 2 * db).q), tLo - 1, tHi);
  } else if (db < 0) {
    tHi = Clamp(std::min<Wide>(tHi, FloorDiv(-kLo, -2 * db).q), tLo - 1, tHi);
    tLo = Clamp(std::max<Wide>(tLo, CeilDiv(-kHi, -2 * db)), tLo, tHi + 1);
  } else if (bLo > 0 || bHi < 0) {
    return;
  }
  if (tLo > tHi) return;

  const Quotient start = FloorDiv(Wide{2 * tLo} * db + da, 2 * da);
  const Quotient step = FloorDiv(2 * db, 2 * da);
  const int64_t stepB = static_cast<int64_t>(step.q), twoDa = 2 * da;
  int64_t rem = start.r;
  int64_t a = a0 + tLo, b = b0 + static_cast<int64_t>(start.q);
  for (int64_t t = tLo; t <= tHi; ++t) {
    PaintPixel(image, xMajor ? a : b, xMajor ? b : a, color);
    ++a;
    b += stepB;
    rem += step.r;
    if (rem >= twoDa) rem -= twoDa, ++b;
  }
}

// ---- Triangles ----

void FillTriangle(const PixelImage& image, const Brush& brush, const int32_t* xy) {
  Corner c[3] = {{xy[0], xy[1]}, {xy[2], xy[3]}, {xy[4], xy[5]}};
  auto before = [](const Corner& p, const Corner& q) {
    return p.y < q.y || (p.y == q.y && p.x < q.x);
  };
  if (before(c[1], c[0])) std::swap(c[0], c[1]);
  if (before(c[2], c[1])) std::swap(c[1], c[2]);
  if (before(c[1], c[0])) std::swap(c[0], c[1]);
  const int64_t height = image.height;
  if (image.width <= 0 || c[2].y < 0 || c[0].y >= height) return;

  // The long edge runs from the top corner to the bottom one; it is on the
  // left when the middle corner lies to its right.
  const Wide cross =
      Wide{c[1].y - c[0].y} * (c[2].x - c[0].x) - Wide{c[1].x - c[0].x} * (c[2].y - c[0].y);
  const bool longLeft = cross < 0;

  int64_t y = std::max<int64_t>(c[0].y, 0);
  const int64_t yEnd = std::min<int64_t>(c[2].y, height - 1);
  EdgeWalk longEdge, shortEdge;
  longEdge.Start(c[0].x, c[0].y, c[2].x, c[2].y, y);
  auto span = [&] {
    if (longLeft)
      FillRow(image, brush, y, longEdge.Ceil(), shortEdge.Floor());
    else
      FillRow(image, brush, y, shortEdge.Ceil(), longEdge.Floor());
    longEdge.Step();
    shortEdge.Step();
  };
  if (y < c[1].y) {
    shortEdge.Start(c[0].x, c[0].y, c[1].x, c[1].y, y);
    for (const int64_t stop = std::min(c[1].y - 1, yEnd); y <= stop; ++y) span();
  }
  if (y <= yEnd) {
    shortEdge.Start(c[1].x, c[1].y, c[2].x, c[2].y, y);
    for (; y <= yEnd; ++y) span();
  }
}

namespace {

template <bool kUnder>
void FillOutlinedTriangleAs(const PixelImage& image, uint32_t color, const int32_t* xy) {
  Corner c[3] = {{xy[0], xy[1]}, {xy[2], xy[3]}, {xy[4], xy[5]}};
  if (c[1].y < c[0].y) std::swap(c[0], c[1]);
  if (c[2].y < c[1].y) std::swap(c[1], c[2]);
  if (c[1].y < c[0].y) std::swap(c[0], c[1]);
  if (image.width <= 0 || c[2].y < 0 || c[0].y >= image.height) return;
  // On every row the triangle with its outline is one run of pixels, from the
  // leftmost to the rightmost outline pixel of that row: the outline lies
  // within half a pixel of the edges, so the interior never reaches past it
  // and leaves no gap between the edges' runs. Above the middle corner the
  // row meets the long edge and the upper one, below it the long edge and
  // the lower one, on its row all three.
  int64_t y = std::max<int64_t>(c[0].y, 0);
  const int64_t yEnd = std::min<int64_t>(c[2].y, image.height - 1);
  LineRows longEdge, upper, lower;
  longEdge.Start(c[0].x, c[0].y, c[2].x, c[2].y, y);
  upper.Start(c[0].x, c[0].y, c[1].x, c[1].y, y);
  lower.Start(c[1].x, c[1].y, c[2].x, c[2].y, y);
  const int64_t width = image.width;
  auto fill = [&](int64_t lo, int64_t hi) {
    lo = std::max<int64_t>(lo, 0);
    hi = std::min(hi, width - 1);
    if (lo <= hi) PaintSpanAs<kUnder>(image, y, lo, hi, color);
  };
  for (const int64_t stop = std::min(c[1].y - 1, yEnd); y <= stop; ++y) {
    int64_t lo = INT64_MAX, hi = INT64_MIN;
    longEdge.Next(lo, hi);
    upper.Next(lo, hi);
    fill(lo, hi);
  }
  if (y == c[1].y && y <= yEnd) {
    int64_t lo = INT64_MAX, hi = INT64_MIN;
    longEdge.Next(lo, hi);
    upper.Next(lo, hi);
    lower.Next(lo, hi);
    fill(lo, hi);
    ++y;
  }
  for (; y <= yEnd; ++y) {
    int64_t lo = INT64_MAX, hi = INT64_MIN;
    longEdge.Next(lo, hi);
    lower.Next(lo, hi);
    fill(lo, hi);
  }
}

}  // namespace

// The paint mode is chosen once per triangle, not once per span.
void FillOutlinedTriangle(const PixelImage& image, uint32_t color, const int32_t* xy) {
  if (image.under)
    FillOutlinedTriangleAs<true>(image, color, xy);
  else
    FillOutlinedTriangleAs<false>(image, color, xy);
}

// ---- Polygons ----

void FillPolygonInterior(const PixelImage& image, const Brush& brush, const int32_t* xy, int32_t n,
                         bool evenOdd) {
  constexpr int32_t kMaxEdges = 1024;
  if (n < 3 || n > kMaxEdges || image.width <= 0 || image.height <= 0) return;
  int64_t yMin = xy[1], yMax = xy[1];
  for (int32_t i = 1; i < n; ++i) {
    yMin = std::min<int64_t>(yMin, xy[2 * i + 1]);
    yMax = std::max<int64_t>(yMax, xy[2 * i + 1]);
  }
  // Each edge owns the rows from its upper end up to, not including, its lower
  // end, so a row through a corner counts the corner once.
  const int64_t yFirst = std::max<int64_t>(yMin, 0);
  const int64_t yLast = std::min<int64_t>(yMax - 1, image.height - 1);
  Crossing crossings[kMaxEdges];
  for (int64_t y = yFirst; y <= yLast; ++y) {
    int32_t m = 0;
    for (int32_t i = 0; i < n; ++i) {
      const int32_t j = (i + 1) % n;
      int64_t xs = xy[2 * i], ys = xy[2 * i + 1], xe = xy[2 * j], ye = xy[2 * j + 1];
      if (ys == ye) continue;
      const int32_t dir = ye > ys ? 1 : -1;
      if (dir < 0) std::swap(xs, xe), std::swap(ys, ye);
      if (y < ys || y >= ye) continue;
      const Quotient at = FloorDiv(Wide{y - ys} * (xe - xs), ye - ys);
      crossings[m++] = {xs + static_cast<int64_t>(at.q), static_cast<double>(at.r) / (ye - ys),
                        dir};
    }
    std::sort(crossings, crossings + m, [](const Crossing& p, const Crossing& q) {
      return p.x < q.x || (p.x == q.x && p.frac < q.frac);
    });
    int32_t winding = 0;
    int64_t spanStart = 0;
    for (int32_t k = 0; k < m; ++k) {
      const bool wasInside = evenOdd ? (winding & 1) != 0 : winding != 0;
      winding += crossings[k].dir;
      const bool isInside = evenOdd ? (winding & 1) != 0 : winding != 0;
      if (!wasInside && isInside)
        spanStart = crossings[k].x + (crossings[k].frac > 0);
      else if (wasInside && !isInside)
        FillRow(image, brush, y, spanStart, crossings[k].x);
    }
  }
}

}  // namespace life3d

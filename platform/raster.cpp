#include "platform/raster.h"

#include <algorithm>
#include <cstdlib>

namespace life3d {

namespace {

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
  if (n >= INT64_MIN && n <= INT64_MAX) {  // the usual case, without 128-bit division
    const int64_t m = static_cast<int64_t>(n);
    int64_t q = m / d, r = m % d;
    if (r < 0) --q, r += d;
    return {q, r};
  }
  Wide q = n / d, r = n % d;
  if (r < 0) --q, r += d;
  return {q, static_cast<int64_t>(r)};
}

inline Wide CeilDiv(Wide n, int64_t d) { return -FloorDiv(-n, d).q; }

inline int64_t Clamp(Wide v, int64_t lo, int64_t hi) {
  return v < lo ? lo : v > hi ? hi : static_cast<int64_t>(v);
}

inline void FillRow(const PixelImage& image, const Brush& brush, int64_t y, int64_t x0,
                    int64_t x1) {
  if (x0 < 0) x0 = 0;
  if (x1 >= image.width) x1 = image.width - 1;
  if (x0 > x1) return;
  uint32_t* row = image.pixels + y * image.width;
  if (brush.style == 0) {
    std::fill(row + x0, row + x1 + 1, brush.color);
    return;
  }
  for (int64_t x = x0; x <= x1; ++x) {
    if (HatchCovers(brush.style, static_cast<int32_t>(x), static_cast<int32_t>(y)))
      row[x] = brush.color;
    else if (brush.opaqueBack)
      row[x] = brush.backColor;
  }
}

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

struct Corner {
  int64_t x, y;
};

struct Crossing {
  int64_t x;    // floor of the crossing
  double frac;  // the rest, only to order crossings within one pixel
  int32_t dir;  // +1 edge going down, -1 going up
};

}  // namespace

bool HatchCovers(int32_t style, int32_t x, int32_t y) {
  const bool horizontal = (y & 7) == 0;
  const bool vertical = (x & 7) == 0;
  const bool forward = ((x - y) & 7) == 0;   // "\" on a y-down image
  const bool backward = ((x + y) & 7) == 0;  // "/"
  switch (style) {
    case 1: return horizontal;
    case 2: return vertical;
    case 3: return forward;
    case 4: return backward;
    case 5: return horizontal || vertical;
    case 6: return forward || backward;
    default: return true;
  }
}

void FillSpan(const PixelImage& image, const Brush& brush, int64_t y, int64_t x0, int64_t x1) {
  if (y < 0 || y >= image.height) return;
  FillRow(image, brush, y, x0, x1);
}

void DrawLine(const PixelImage& image, uint32_t color, int32_t x0, int32_t y0, int32_t x1,
              int32_t y1) {
  if (image.width <= 0 || image.height <= 0) return;
  // Walk the longer axis "a"; the shorter axis "b" follows the line.
  const bool xMajor = std::llabs(int64_t{x1} - x0) >= std::llabs(int64_t{y1} - y0);
  int64_t a0 = xMajor ? x0 : y0, b0 = xMajor ? y0 : x0;
  int64_t a1 = xMajor ? x1 : y1, b1 = xMajor ? y1 : x1;
  const int64_t aSize = xMajor ? image.width : image.height;
  const int64_t bSize = xMajor ? image.height : image.width;
  const int64_t aStride = xMajor ? 1 : image.width;
  const int64_t bStride = xMajor ? image.width : 1;
  if (a0 > a1) std::swap(a0, a1), std::swap(b0, b1);
  const int64_t da = a1 - a0, db = b1 - b0;  // da >= |db|

  if (da == 0) {
    if (a0 >= 0 && a0 < aSize && b0 >= 0 && b0 < bSize)
      image.pixels[a0 * aStride + b0 * bStride] = color;
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
  int64_t at = (a0 + tLo) * aStride + (b0 + static_cast<int64_t>(start.q)) * bStride;
  for (int64_t t = tLo; t <= tHi; ++t) {
    image.pixels[at] = color;
    at += aStride + stepB * bStride;
    rem += step.r;
    if (rem >= twoDa) rem -= twoDa, at += bStride;
  }
}

void FillTriangle(const PixelImage& image, const Brush& brush, const int32_t* xy) {
  Corner c[3] = {{xy[0], xy[1]}, {xy[2], xy[3]}, {xy[4], xy[5]}};
  auto before = [](const Corner& p, const Corner& q) { return p.y < q.y || (p.y == q.y && p.x < q.x); };
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

void FillPolygonInterior(const PixelImage& image, const Brush& brush, const int32_t* xy,
                         int32_t n, bool evenOdd) {
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

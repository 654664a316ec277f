#include "draw/surface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <random>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "draw/raster.h"
#include "text/text.h"

namespace life3d {
namespace {

constexpr uint32_t kBlank = 0x123456, kInk = 0xABCDEF;  // ink is Rgb-packed 0xEFCDAB
constexpr int32_t kInkColor = 0xEFCDAB;
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
using Wide = __int128;

// A fresh off-screen window, attached as this thread's deferred surface and
// cleared to kBlank.
std::unique_ptr<GraphicsWindow> Attached(int32_t width, int32_t height) {
  std::unique_ptr<GraphicsWindow> window(CreateOffscreenWindow(width, height));
  AttachSurface(window.get(), 0, true);
  std::fill(window->surface.image.begin(), window->surface.image.end(), kBlank);
  return window;
}

// Brute-force coverage of one pixel by the closed polygon xy: on one of the
// one-pixel edge lines, or inside by the winding rule.
bool OnLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t x, int64_t y) {
  const bool xMajor = std::llabs(x1 - x0) >= std::llabs(y1 - y0);
  if (!xMajor) std::swap(x0, y0), std::swap(x1, y1), std::swap(x, y);
  if (x0 > x1) std::swap(x0, x1), std::swap(y0, y1);
  if (x < x0 || x > x1) return false;
  if (x0 == x1) return y == y0;
  // The nearest minor coordinate to the true line, halves upward.
  const Wide n = Wide{2} * (x - x0) * (y1 - y0) + (x1 - x0), d = Wide{2} * (x1 - x0);
  Wide q = n / d;
  if (n % d != 0 && n < 0) --q;
  return y == y0 + q;
}

// Brute-force color of a pixel under the closed polygon xy: the outline
// where one of the one-pixel edge lines passes, else the fill inside by the
// winding rule, else nothing (0).
uint32_t Expected(const std::vector<int32_t>& xy, bool evenOdd, int64_t x, int64_t y,
                  uint32_t outline, uint32_t fill) {
  const size_t n = xy.size() / 2;
  int winding = 0;
  for (size_t i = 0; i < n; ++i) {
    const size_t j = (i + 1) % n;
    const int64_t ax = xy[2 * i], ay = xy[2 * i + 1], bx = xy[2 * j], by = xy[2 * j + 1];
    if (OnLine(ax, ay, bx, by, x, y)) return outline;
    const Wide cross = Wide{bx - ax} * (y - ay) - Wide{x - ax} * (by - ay);
    if (ay <= y && y < by && cross > 0) ++winding;
    if (by <= y && y < ay && cross < 0) --winding;
  }
  return n > 2 && (evenOdd ? (winding & 1) != 0 : winding != 0) ? fill : 0;
}

PolygonPoints Poly(const std::vector<float>& points) {
  PolygonPoints poly;
  poly.count = static_cast<int32_t>(points.size() / 2);
  std::copy(points.begin(), points.end(), poly.xy);
  return poly;
}

// Draws the polygon with FillPolygon, outline and fill in one color (the way
// faces are drawn) and then in two, and compares every pixel with the reference.
void ExpectCoverage(const std::vector<float>& points, bool evenOdd, int32_t width = 24,
                    int32_t height = 16) {
  std::vector<int32_t> xy;
  for (float v : points) xy.push_back(RoundToInt(v));
  for (int32_t fill : {kInkColor, 0x00FF00}) {
    auto window = Attached(width, height);
    FillPolygon(Poly(points), kInkColor, fill, 0, evenOdd);
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) {
        const uint32_t want = Expected(xy, evenOdd, x, y, kInk, PixelFromColor(fill));
        ASSERT_EQ(window->surface.image[y * width + x], want == 0 ? kBlank : want)
            << "pixel " << x << "," << y << " fill " << fill << " of polygon "
            << ::testing::PrintToString(points);
      }
  }
}

TEST(Rgb, ClampsEachComponent) {
  const struct {
    int32_t r, g, b, want;
  } cases[] = {{300, -5, 128, 0x8000FF}, {255, 255, 0, 0x00FFFF}, {kMin, kMax, 256, 0xFFFF00}};
  for (const auto& c : cases) EXPECT_EQ(Rgb(c.r, c.g, c.b), c.want) << c.r << " " << c.g;
}

TEST(FillPolygon, CoversInteriorAndOnePixelBoundaryOnlyOnTheImage) {
  // Random shapes on a 24 x 16 image, from inside it to far beyond its edges.
  const struct {
    int32_t minPoints, maxPoints;
    float lo, hi;
  } families[] = {{3, 3, 0, 23},       {3, 3, -8, 32},  {3, 3, -30, 50}, {3, 3, -5000, 5000},
                  {3, 3, -3e9f, 3e9f}, {2, 2, -10, 34}, {4, 9, -10, 34}, {4, 6, -3e9f, 3e9f}};
  std::mt19937 gen(7);
  for (const auto& f : families) {
    std::uniform_real_distribution<float> coord(f.lo, f.hi);
    std::uniform_int_distribution<int32_t> count(f.minPoints, f.maxPoints);
    for (int round = 0; round < 200; ++round) {
      std::vector<float> points(2 * count(gen));
      for (float& v : points) v = coord(gen);
      ExpectCoverage(points, round % 2 == 1);
      if (HasFatalFailure()) return;
    }
  }
  // Both fill rules on self-overlapping shapes, and points that are
  // infinite, not a number or beyond the 32-bit range.
  constexpr float kInf = std::numeric_limits<float>::infinity();
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  const std::vector<float> shapes[] = {
      {12, 0, 19, 15, 2, 5, 22, 5, 5, 15},                       // pentagram
      {2, 2, 20, 2, 20, 12, 2, 12, 2, 2, 20, 2, 20, 12, 2, 12},  // twice around
      {kInf, 5, 10, 10, 5, 20},
      {kNaN, kNaN, 10, 10, 20, 3},
      {1e30f, -1e30f, 3, 3, 20, 14},
      {2147483520.0f, 8, -2147483648.0f, 9, 12, -2147483648.0f},
      {-kInf, -kInf, kInf, kInf, 5, 9},
      {kNaN, 1, 30, kInf, -1e20f, 3, 12, 12}};
  for (const auto& shape : shapes)
    for (bool evenOdd : {false, true}) ExpectCoverage(shape, evenOdd);
}

TEST(FillPolygon, PointCountsOutsideTwoTo1024DrawNothing) {
  for (int32_t count : {-3, 0, 1, 1025}) {
    auto window = Attached(8, 8);
    PolygonPoints poly = Poly({0, 0, 7, 0, 0, 7, 7, 7});
    poly.count = count;
    FillPolygon(poly, kInkColor, kInkColor, 0, false);
    for (uint32_t pixel : window->surface.image) ASSERT_EQ(pixel, kBlank) << count;
  }
}

TEST(Raster, ExtremeCornersNeverWriteOutsideTheImage) {
  const int32_t W = 17, H = 11, kGuard = 64;
  const std::vector<int32_t> points[] = {{kMin, kMin, kMax, kMax, 3, 9},
                                         {kMin, 5, kMax, 6, 8, kMax},
                                         {kMax, kMin, kMin, kMax, kMax, kMax},
                                         {kMin, kMin, kMin, kMax, 0, 0, kMax, 4}};
  for (bool under : {false, true}) {
    for (const auto& xy : points) {
      std::vector<uint32_t> buffer(W * H + 2 * kGuard, kBlank);
      std::vector<uint64_t> bits(MaskWordsPerRow(W) * H);
      std::vector<int32_t> inRow(H);
      PaintedMask mask{bits.data(), inRow.data(), 0};
      const PixelImage image{buffer.data() + kGuard, W, H, under ? &mask : nullptr};
      const Brush brush{kInk, 5, true, kBlank};
      const int32_t n = static_cast<int32_t>(xy.size() / 2);
      if (n == 3) FillTriangle(image, brush, xy.data());
      if (n == 3) FillOutlinedTriangle(image, kInk, xy.data());
      FillPolygonInterior(image, brush, xy.data(), n, false);
      for (int32_t i = 0; i < n; ++i)
        DrawLine(image, kInk, xy[2 * i], xy[2 * i + 1], xy[(2 * i + 2) % (2 * n)],
                 xy[(2 * i + 3) % (2 * n)]);
      for (int32_t k = 0; k < kGuard; ++k) {
        ASSERT_EQ(buffer[k], kBlank);
        ASSERT_EQ(buffer[kGuard + W * H + k], kBlank);
      }
    }
  }
}

TEST(FillPolygon, ColorsAndBrushes) {
  const struct {
    const char* name;
    int32_t outline, fill, style;
    uint32_t edge, inside;  // pixels (2, 2) and (7, 6) of the square 2..14 x 2..10
  } cases[] = {
      {"outline -1 is the foreground", -1, 0x0000FF, 0, 0x00FF00, 0xFF0000},
      {"fill -1 is the outline color", 0x0000FF, -1, 0, 0xFF0000, 0xFF0000},
      {"fill -2 is hollow", 0x0000FF, -2, 0, 0xFF0000, kBlank},
      {"outline is masked to 24 bits", 0x7F0000FF, 0x0000FF, 0, 0xFF0000, 0xFF0000},
      {"style outside 0..6 is solid", 0x0000FF, 0xFF0000, 9, 0xFF0000, 0x0000FF},
      {"vertical hatch leaves gaps alone", 0x0000FF, 0xFF0000, 2, 0xFF0000, kBlank},
  };
  for (const auto& c : cases) {
    auto window = Attached(16, 12);
    SetForeColor(0x7F00FF00);  // masked to 24 bits
    SetBackColor(-2);
    FillPolygon(Poly({2, 2, 14, 2, 14, 10, 2, 10}), c.outline, c.fill, c.style, false);
    EXPECT_EQ(window->surface.image[2 * 16 + 2], c.edge) << c.name;
    EXPECT_EQ(window->surface.image[6 * 16 + 7], c.inside) << c.name;
  }
}

TEST(PaintingUnder, ShapesNearestFirstGiveThePictureOfShapesFarthestFirst) {
  const struct {
    const char* name;
    float lo, hi;  // corner coordinates
    int32_t points, style;
    bool twoColors;
  } cases[] = {
      {"faces", -5, 45, 3, 0, false},
      {"faces much larger than the image", -1e6f, 1e6f, 3, 0, false},
      {"triangles with another outline", -5, 45, 3, 0, true},
      {"hatched quadrilaterals", -5, 45, 4, 6, true},
      {"pentagons", -5, 45, 5, 0, false},
  };
  std::mt19937 gen(17);
  for (const auto& c : cases) {
    std::uniform_real_distribution<float> coord(c.lo, c.hi);
    std::vector<PolygonPoints> shapes(40);
    std::vector<int32_t> colors;
    for (PolygonPoints& shape : shapes) {
      shape.count = c.points;
      for (int k = 0; k < 2 * c.points; ++k) shape.xy[k] = coord(gen);
      colors.push_back(static_cast<int32_t>(gen() & 0xFFFFFF));
    }
    auto draw = [&](size_t i) {
      const int32_t fill = c.twoColors ? colors[i] ^ 0x00FF00 : colors[i];
      FillPolygon(shapes[i], colors[i], fill, c.style, false);
    };
    auto over = Attached(40, 30);
    SetBackColor(-2);
    for (size_t i = 0; i < shapes.size(); ++i) draw(i);
    auto under = Attached(40, 30);
    SetBackColor(-2);
    ASSERT_TRUE(BeginPaintingUnder());
    for (size_t i = shapes.size(); i-- > 0;) draw(i);
    EndPaintingUnder();
    EXPECT_EQ(under->surface.image, over->surface.image) << c.name;
    ClearSurface(0x0000FF, 0);  // painting over again
    EXPECT_EQ(under->surface.image[0], 0xFF0000u) << c.name;
  }
}

TEST(ClearSurface, StylesAndTheDefaultColor) {
  for (int32_t style = 0; style <= 7; ++style) {
    for (bool opaque : {false, true}) {
      auto window = Attached(20, 12);
      SetBackColor(opaque ? 0x00FF00 : -2);
      ClearSurface(0x0000FF, style);
      int painted = 0;
      for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 20; ++x) {
          const bool line = style == 7 || HatchCovers(style, x, y);
          const uint32_t want = line ? 0xFF0000 : opaque ? 0x00FF00 : kBlank;
          ASSERT_EQ(window->surface.image[y * 20 + x], want) << style << " " << x << "," << y;
          painted += line;
        }
      EXPECT_TRUE(style == 0 || style == 7 || (painted > 0 && painted < 240)) << style;
    }
  }
  const struct {
    int32_t back;
    uint32_t want;
  } defaults[] = {{-2, kBlank}, {-1, 0xF0F0F0}, {0x0000FF, 0xFF0000}};
  for (const auto& c : defaults) {
    auto window = Attached(4, 3);
    window->surface.lastX = 3;
    SetBackColor(c.back);
    ClearSurface(-1, 0);
    EXPECT_EQ(window->surface.image[5], c.want) << c.back;
    EXPECT_EQ(window->surface.lastX, 0);
  }
}

TEST(SelectFont, PointsStyleAndFaceName) {
  auto window = Attached(4, 4);
  const FontState& font = window->surface.font;
  const struct {
    const char* face;
    int32_t points, style, height, weight;
    bool italic, underline, strikeOut;
  } fonts[] = {{"courier new", 8, 1, -10, 700, false, false, false},
               {"x", 0, 2, -10, 400, true, false, false},
               {"x", -5, 4, -10, 400, false, true, false},
               {"x", 100, 8, -10, 400, false, false, true},
               {"x", 72, 0, -96, 400, false, false, false}};
  for (const auto& f : fonts) {
    SelectFont(f.face, f.points, f.style);
    EXPECT_STREQ(font.face, f.face);
    EXPECT_EQ(font.height, f.height) << f.points;
    EXPECT_EQ(font.weight, f.weight);
    EXPECT_EQ(std::tie(font.italic, font.underline, font.strikeOut),
              std::tie(f.italic, f.underline, f.strikeOut));
  }
  SelectFont("0123456789012345678901234567890123456789", 8, 0);
  EXPECT_STREQ(font.face, "0123456789012345678901234567890");
}

TEST(AttachSurface, RecordsError68WithoutASurface) {
  std::unique_ptr<GraphicsWindow> closed(CreateOffscreenWindow(4, 4));
  closed->destroyed = true;
  std::unique_ptr<GraphicsWindow> open(CreateOffscreenWindow(4, 4));
  const struct {
    const char* name;
    GraphicsWindow* window;
    int32_t id;
    bool attaches;
  } cases[] = {{"no window", nullptr, 0, false},
               {"closed window", closed.get(), 0, false},
               {"unknown control id", open.get(), 3, false},
               {"the surface", open.get(), 0, true}};
  for (const auto& c : cases) {
    AttachSurface(open.get(), 0, true);
    PlatformError() = 0;
    AttachSurface(c.window, c.id, false);
    EXPECT_EQ(CurrentSurface() != nullptr, c.attaches) << c.name;
    EXPECT_EQ(PlatformError(), c.attaches ? 0 : kErrorNoSurface) << c.name;
  }
}

TEST(Drawing, WithoutACurrentSurfaceDoesNothing) {
  auto window = Attached(8, 8);
  const std::vector<uint32_t> before = window->surface.image;
  auto drawEverything = [] {
    ClearSurface(0x0000FF, 0);
    SetForeColor(0x00FF00);
    SelectFont("courier new", 8, 1);
    FillPolygon(Poly({0, 0, 7, 0, 0, 7}), -1, -1, 0, false);
    RedrawSurface();
  };
  std::thread other(drawEverything);  // the current surface is per thread
  other.join();
  EXPECT_EQ(window->surface.image, before);
  window->destroyed = true;  // the user closed the window
  drawEverything();
  EXPECT_EQ(window->surface.image, before);
  EXPECT_EQ(window->surface.foreColor, kWindowTextColor);
}

TEST(RedrawSurface, PresentsOncePerCallOrPerDrawingWhenNotDeferred) {
  for (bool deferred : {true, false}) {
    std::unique_ptr<GraphicsWindow> window(CreateOffscreenWindow(4, 4));
    int presented = 0;
    window->surface.present = [](DrawingSurface&, void* n) { ++*static_cast<int*>(n); };
    window->surface.presentContext = &presented;
    AttachSurface(window.get(), 0, deferred);
    ClearSurface(0x808080, 0);
    SetForeColor(0);
    RedrawSurface();
    EXPECT_EQ(presented, deferred ? 1 : 2);
  }
}

}  // namespace
}  // namespace life3d

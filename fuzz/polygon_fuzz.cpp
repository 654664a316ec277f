// Clearing and polygon filling on small surfaces: any point count 0..1100,
// any float bits for the corners, any colours, styles and fill rule, painting
// over or under. The surface's image is exactly its pixels, so the sanitizer
// catches a write next to it; the same corners go to the pixel filler on an
// image with guard zones around it, which must stay untouched.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "draw/raster.h"
#include "draw/surface.h"
#include "fuzz/fuzz_input.h"
#include "text/text.h"

namespace life3d {
namespace {

constexpr int kMaxOps = 24;
constexpr int32_t kMaxPoints = 1100;
constexpr uint32_t kGuardPixel = 0xA5A5A5A5u;  // no 0x00RRGGBB pixel has high bits

// The corners as FillPolygon rounds them, filled and outlined on an image
// with guard zones above and below.
void FillGuarded(int32_t width, int32_t height, const PolygonPoints& points, bool evenOdd,
                 int32_t style) {
  const int32_t n = points.count;
  if (n < 2 || n > kMaxPolygonPoints) return;
  static int32_t xy[2 * kMaxPolygonPoints];
  for (int32_t k = 0; k < 2 * n; ++k) xy[k] = RoundToInt(points.xy[k]);
  const size_t guard = static_cast<size_t>(width) * 2 + 64;
  std::vector<uint32_t> buffer(guard + static_cast<size_t>(width) * height + guard, kGuardPixel);
  const PixelImage image{buffer.data() + guard, width, height, nullptr};
  const Brush brush{0x123456, style, true, 0x654321};
  if (n == 3) {
    FillTriangle(image, brush, xy);
    FillOutlinedTriangle(image, 0x00FF00, xy);
  }
  FillPolygonInterior(image, brush, xy, n, evenOdd);
  for (int32_t i = 0; i < n; ++i) {
    const int32_t j = (i + 1) % n;
    DrawLine(image, 0x0000FF, xy[2 * i], xy[2 * i + 1], xy[2 * j], xy[2 * j + 1]);
  }
  const size_t end = guard + static_cast<size_t>(width) * height;
  for (size_t k = 0; k < guard; ++k) {
    if (buffer[k] != kGuardPixel || buffer[end + k] != kGuardPixel) std::abort();
  }
  for (size_t k = guard; k < end; ++k) {
    if (buffer[k] != kGuardPixel && (buffer[k] >> 24) != 0) std::abort();
  }
}

}  // namespace
}  // namespace life3d

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace life3d;
  fuzz::InputReader in{data, size};
  const int32_t width = in.Take<uint8_t>() % 48 + 1;
  const int32_t height = in.Take<uint8_t>() % 48 + 1;
  const WindowHandle window = CreateOffscreenWindow(width, height);
  if (!window) std::abort();
  AttachSurface(window, 0, true);
  static PolygonPoints points;
  for (int op = 0; op < kMaxOps && !in.Empty(); ++op) {
    const uint8_t kind = in.Take<uint8_t>();
    switch (kind % 5) {
      case 0: {
        const int32_t color = in.Take<int32_t>();
        ClearSurface(color, in.Take<int8_t>());
        break;
      }
      case 1: {
        const int32_t outline = in.Take<int32_t>(), fill = in.Take<int32_t>();
        const int32_t style = in.Take<int8_t>();
        points.count = in.Take<uint16_t>() % (kMaxPoints + 1);
        const int32_t stored = points.count < kMaxPolygonPoints ? points.count : kMaxPolygonPoints;
        for (int32_t k = 0; k < 2 * stored; ++k) points.xy[k] = in.Take<float>();
        const bool evenOdd = (kind & 0x80) != 0;
        FillPolygon(points, outline, fill, style, evenOdd);
        FillGuarded(width, height, points, evenOdd, style < 0 || style > 6 ? 0 : style);
        break;
      }
      case 2:
        if (kind & 0x80)
          EndPaintingUnder();
        else
          BeginPaintingUnder();
        break;
      case 3:
        SetBackColor(in.Take<int32_t>());
        break;
      case 4:
        SetForeColor(in.Take<int32_t>());
        break;
    }
  }
  for (uint32_t pixel : window->surface.image) {
    if (pixel >> 24) std::abort();  // 0x00RRGGBB only
  }
  AttachSurface(nullptr, 0, false);
  delete window;
  return 0;
}

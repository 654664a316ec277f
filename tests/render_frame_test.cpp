#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "render/frame.h"

namespace life3d {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct Tri {
  Vertex a, b, c;  // model coordinates (also view coordinates at angles 0, 0, 0)
  uint8_t red, green, blue;
};

// Each face gets three vertices of its own.
MeshStore StoreOf(const std::vector<Tri>& tris) {
  MeshStore store;
  const int32_t n = static_cast<int32_t>(tris.size());
  store.VertexCount = 3 * n;
  store.FaceCount = n;
  store.Vertices.resize(3 * n + 1);
  store.ModelVertices.resize(3 * n + 1);
  store.ScreenPoints.resize(3 * n + 1);
  store.Faces.resize(n + 1);
  store.FaceDepth.resize(n + 1);
  store.FaceOrder.resize(n + 1);
  for (int32_t f = 0; f < n; ++f) {
    store.Vertices[3 * f] = tris[f].a;
    store.Vertices[3 * f + 1] = tris[f].b;
    store.Vertices[3 * f + 2] = tris[f].c;
    Face& face = store.Faces[f];
    face.A = 3 * f, face.B = 3 * f + 1, face.C = 3 * f + 2;
    face.Red = tris[f].red, face.Green = tris[f].green, face.Blue = tris[f].blue;
  }
  CopyModelVertices(store);
  ComputeFaceNormals(store);
  return store;
}

// Faces whose keys are the given depths; kBackFaceKey makes a face that fails
// the winding test.
// Returns FaceOrder, or the sorted keys when keys is set.
std::vector<int32_t> DrawingOrder(const std::vector<float>& depths, bool keys = false) {
  std::vector<Tri> tris;
  for (float d : depths) tris.push_back({{d, 0, 0}, {0, 0, 0}, {0, 0, 0}, 0, 0, 0});
  MeshStore store = StoreOf(tris);
  for (size_t f = 0; f < depths.size(); ++f) {
    const bool passes = depths[f] != kBackFaceKey;
    // Screen corners A (0, 0), B (0, 1), C (1, 0) wind with w = 1 > 0.
    store.ScreenPoints[3 * f] = {0, 0};
    store.ScreenPoints[3 * f + 1] = {0, 1};
    store.ScreenPoints[3 * f + 2] = passes ? ScreenPoint{1, 0} : ScreenPoint{0, 2};
    store.Vertices[3 * f] = {0, 0, depths[f]};
  }
  OrderFaces(store);
  const auto& out = keys ? store.FaceDepth : store.FaceOrder;
  return {out.begin(), out.begin() + store.FaceCount};
}

TEST(OrderFaces, QuicksortOrderAmongEqualKeys) {
  const struct {
    std::vector<float> depths;
    std::vector<int32_t> order;
  } cases[] = {
      {{5, 5, 5}, {2, 1, 0}},
      {{10, kBackFaceKey, 10, 20, kBackFaceKey}, {3, 2, 0, 4, 1}},
      {{5, 5}, {1, 0}},
      {{7}, {0}},
      {{}, {}},
      {{1, 2, 3, 4}, {3, 2, 1, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(DrawingOrder(c.depths), c.order);
}

TEST(OrderFaces, KeysRoundHalvesToEven) {
  const struct {
    float depth;
    int32_t key;
  } cases[] = {{2.5f, 2}, {3.5f, 4}, {-2.5f, -2}, {2.4999f, 2}, {-7.5f, -8}};
  for (const auto& c : cases)
    EXPECT_EQ(DrawingOrder({c.depth}, true), std::vector<int32_t>{c.key}) << c.depth;
}

TEST(OrderFaces, ManyFacesComeOutFarToNear) {
  std::mt19937 gen(5);
  std::uniform_int_distribution<int> key(-40, 40);
  std::vector<float> depths(3000);
  for (float& d : depths) d = key(gen) == 0 ? kBackFaceKey : static_cast<float>(key(gen));
  const std::vector<int32_t> order = DrawingOrder(depths);
  std::vector<bool> seen(depths.size());
  for (size_t p = 0; p < order.size(); ++p) {
    ASSERT_FALSE(seen[order[p]]);
    seen[order[p]] = true;
    if (p > 0) {
      ASSERT_GE(depths[order[p - 1]], depths[order[p]]);
    }
  }
}

TEST(OrderFaces, UnprojectableCornersFailTheWindingTest) {
  MeshStore store = StoreOf({{{0, 0, 9}, {0, 0, 9}, {0, 0, 9}, 0, 0, 0}});
  store.ScreenPoints[0] = {std::numeric_limits<float>::infinity(), 0};
  store.ScreenPoints[1] = {0, 1};
  store.ScreenPoints[2] = {kNaN, 0};
  OrderFaces(store);
  EXPECT_EQ(store.FaceDepth[0], kBackFaceKey);
}

// A 16 x 16 frame of the given faces at angles 0, 0, 0, viewed head-on.
std::vector<uint32_t> Frame(MeshStore& store) {
  std::unique_ptr<GraphicsWindow> window(CreateOffscreenWindow(16, 16));
  RotMatrix rot;
  Light light;
  SetLight(light, 0, 0, 1);
  const Camera camera{8, 8, 100, 100};
  DrawFrame(FrameScene{store, rot, camera, light, window.get()}, 0, 0, 0);
  return window->surface.image;
}

// The square -5..5 at depth z as two faces whose normals point at the viewer.
std::vector<Tri> Square(float z, uint8_t r, uint8_t g, uint8_t b) {
  return {{{-5, -5, z}, {-5, 5, z}, {5, -5, z}, r, g, b},
          {{5, 5, z}, {5, -5, z}, {-5, 5, z}, r, g, b}};
}

TEST(DrawFrame, ShadedColorsAndSkippedFaces) {
  const struct {
    const char* name;
    float nz, length;  // the faces' view normal (0, 0, nz) and its length
    uint32_t centre;   // pixel at the square's middle
  } cases[] = {
      {"head-on: full color", -1, 1, 0x05FF07},
      {"s = 0.5: 2.5 and 127.5 round to even", -1, 2, 0x028004},  // 3.5 -> 4
      {"s = 0.501 on 255 still gives 128", -1, 1 / 0.501f, 0x038004},
      {"s = 0: not drawn", 0, 1, 0x808080},
      {"s < 0: not drawn", 1, 1, 0x808080},
      {"s not a number: black", 0, 0, 0x000000},
  };
  for (const auto& c : cases) {
    std::vector<Tri> tris = Square(0, 5, 255, 7);
    MeshStore store = StoreOf(tris);
    for (int f = 0; f < 2; ++f) {
      store.Faces[f].NormalX = store.Faces[f].NormalY = 0;
      store.Faces[f].NormalZ = c.nz;
      store.Faces[f].NormalLength = c.length;
    }
    const std::vector<uint32_t> image = Frame(store);
    EXPECT_EQ(image[8 * 16 + 8], c.centre) << c.name;
    EXPECT_EQ(image[0], 0x808080u) << c.name;
  }
}

TEST(DrawFrame, WindingDecidesVisibilityAndFarFacesArePaintedFirst) {
  // Head-on squares: red in front (smaller z), blue behind; then the same
  // with their order in the store swapped.
  for (bool redFirst : {true, false}) {
    std::vector<Tri> red = Square(-1, 255, 0, 0), blue = Square(1, 0, 0, 255), tris;
    for (const auto& t : redFirst ? red : blue) tris.push_back(t);
    for (const auto& t : redFirst ? blue : red) tris.push_back(t);
    MeshStore store = StoreOf(tris);
    EXPECT_EQ(Frame(store)[8 * 16 + 8], 0xFF0000u) << redFirst;
  }
  // Equal depths: the quicksort leaves face 0 last, so it is on top.
  std::vector<Tri> tris = {Square(0, 255, 0, 0)[0], Square(0, 0, 0, 255)[0]};
  MeshStore same = StoreOf(tris);
  EXPECT_EQ(Frame(same)[6 * 16 + 6], 0xFF0000u);
  // Listed the other way round (C, B, A) the face turns away and is not drawn.
  tris = {{tris[0].c, tris[0].b, tris[0].a, 255, 0, 0}};
  MeshStore reversed = StoreOf(tris);
  EXPECT_EQ(Frame(reversed)[6 * 16 + 6], 0x808080u);
  MeshStore empty;
  for (uint32_t pixel : Frame(empty)) ASSERT_EQ(pixel, 0x808080u);
}

// The clear ahead is made only where a presenter shows the frames (elsewhere
// the image is the picture and keeps the last frame), and the frame's start
// uses it instead of clearing again.
TEST(ClearFrameAhead, ClearsOnlyAShownImageAndTheFrameStartUsesIt) {
  for (const bool presented : {false, true}) {
    SCOPED_TRACE(presented ? "presented" : "not presented");
    std::unique_ptr<GraphicsWindow> window(CreateOffscreenWindow(8, 4));
    if (presented) window->surface.present = [](DrawingSurface&, void*) {};
    const std::vector<uint32_t> before = window->surface.image;
    ClearFrameAhead(window.get());
    EXPECT_EQ(window->surface.clearedAhead, presented);
    EXPECT_EQ(window->surface.image,
              presented ? std::vector<uint32_t>(8 * 4, kBackgroundColor) : before);
    ClearFrameAhead(window.get());  // a frame never drawn: the clear still holds
    BeginFrame(window.get());
    EXPECT_FALSE(window->surface.clearedAhead);
    EXPECT_EQ(window->surface.image, std::vector<uint32_t>(8 * 4, kBackgroundColor));
  }
}

#ifndef NDEBUG
TEST(ClearFrameAheadDeathTest, NothingDrawsBeforeTheFrameStarts) {
  std::unique_ptr<GraphicsWindow> window(CreateOffscreenWindow(8, 4));
  window->surface.present = [](DrawingSurface&, void*) {};
  ClearFrameAhead(window.get());
  PolygonPoints points;
  points.count = 3;
  EXPECT_DEATH(FillPolygon(points, 0, 0, 0, false), "clear ahead");
  EXPECT_DEATH(ClearSurface(0, 0), "clear ahead");
  EXPECT_DEATH(RedrawSurface(), "clear ahead");
}
#endif

}  // namespace
}  // namespace life3d

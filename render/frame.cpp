#include "render/frame.h"

#include <cmath>
#include <utility>

#include "render/bounds.h"
#include "text/text.h"

namespace life3d {

namespace {

// Descending quicksort of key[lo..hi] carrying tag along. The picture depends
// on which of two equal-depth faces ends up later (it is painted on top), so
// the partition steps are kept exactly; only the order in which the two
// disjoint parts are sorted is chosen (smaller first) to bound the stack.
void SortDescending(int32_t* key, int32_t* tag, int32_t lo, int32_t hi) {
  while (lo < hi) {
    const int32_t pivot = key[lo + (hi - lo) / 2];
    int32_t i = lo, j = hi;
    while (i <= j) {
      while (key[i] > pivot && i < hi) ++i;
      while (pivot > key[j] && j > lo) --j;
      if (i > j) break;
      if (i < j) {
        std::swap(key[i], key[j]);
        std::swap(tag[i], tag[j]);
      }
      ++i;
      --j;
    }
    if (j - lo < hi - i) {
      if (lo < j) SortDescending(key, tag, lo, j);
      lo = i;
    } else {
      if (i < hi) SortDescending(key, tag, i, hi);
      hi = j;
    }
  }
}

// Ordinary frames are painted far to near. When a corner projects more than
// one image size beyond the image, or to no point at all (the camera close to
// or inside the scene), hundreds of faces may each cover the whole image; then
// they are painted nearest first, each only where no nearer face has been
// painted: the same picture, but a face hidden behind nearer ones costs almost
// nothing.
bool PaintNearestFirst(const MeshStore& store) {
  const DrawingSurface* surface = CurrentSurface();
  if (!surface) return false;
  const float w = static_cast<float>(surface->width), h = static_cast<float>(surface->height);
  for (int32_t i = 0; i < store.VertexCount; ++i) {
    const ScreenPoint& p = store.ScreenPoints[i];
    if (!(p.X >= -w && p.X <= 2 * w && p.Y >= -h && p.Y <= 2 * h)) return true;
  }
  return false;
}

}  // namespace

void SetLight(Light& light, int32_t a, int32_t b, int32_t c) {
  light.X = -a;
  light.Y = -b;
  light.Z = -c;
}

void ComputeFaceNormals(MeshStore& store) {
  const Vertex* v = store.ModelVertices.data();
  for (int32_t f = 0; f < store.FaceCount; ++f) {
    Face& face = store.Faces[f];
    const Vertex& a = v[face.A];
    const Vertex& b = v[face.B];
    const Vertex& c = v[face.C];
    const float e1x = b.X - a.X, e1y = b.Y - a.Y, e1z = b.Z - a.Z;
    const float e2x = c.X - a.X, e2y = c.Y - a.Y, e2z = c.Z - a.Z;
    face.NormalX = static_cast<float>(double{e2z} * e1y - double{e2y} * e1z);
    face.NormalY = static_cast<float>(double{e2x} * e1z - double{e2z} * e1x);
    face.NormalZ = static_cast<float>(double{e2y} * e1x - double{e2x} * e1y);
    face.NormalLength = static_cast<float>(std::sqrt(double{face.NormalX} * face.NormalX +
                                                     double{face.NormalY} * face.NormalY +
                                                     double{face.NormalZ} * face.NormalZ));
  }
}

void PrepareScene(MeshStore& store, Light& light, int32_t autoCenter) {
  CenterScene(store, autoCenter);
  CopyModelVertices(store);
  SetLight(light, 0, 0, 1);
  ComputeFaceNormals(store);
}

void OrderFaces(MeshStore& store) {
  const ScreenPoint* p = store.ScreenPoints.data();
  const Vertex* z = store.Vertices.data();
  for (int32_t f = 0; f < store.FaceCount; ++f) {
    Face& face = store.Faces[f];
    const ScreenPoint& a = p[face.A];
    const ScreenPoint& b = p[face.B];
    const ScreenPoint& c = p[face.C];
    const float ux = a.X - b.X, uy = a.Y - b.Y, vx = c.X - b.X, vy = c.Y - b.Y;
    const double w = double{vy} * ux - double{vx} * uy;
    if (w > 0) {
      face.DepthSum = static_cast<float>((double{z[face.B].Z} + z[face.A].Z) + z[face.C].Z);
      store.FaceDepth[f] = RoundToInt(face.DepthSum);
    } else {
      // Also taken when w is not a number (a corner projected to infinity).
      store.FaceDepth[f] = kBackFaceKey;
    }
    store.FaceOrder[f] = f;
  }
  if (store.FaceCount >= 2)
    SortDescending(store.FaceDepth.data(), store.FaceOrder.data(), 0, store.FaceCount - 1);
}

float FaceShade(const MeshStore& store, const Light& light, int32_t f) {
  const Face& face = store.Faces[f];
  const double length = face.NormalLength;
  return static_cast<float>((face.ViewNormalX / length) * light.X +
                            (face.ViewNormalY / length) * light.Y +
                            (face.ViewNormalZ / length) * light.Z);
}

void DrawFace(const MeshStore& store, int32_t f, int32_t color) {
  const Face& face = store.Faces[f];
  PolygonPoints points;  // left uninitialised: only the first three pairs are read
  points.count = 3;
  const int32_t corners[3] = {face.A, face.B, face.C};
  for (int k = 0; k < 3; ++k) {
    points.xy[2 * k] = store.ScreenPoints[corners[k]].X;
    points.xy[2 * k + 1] = store.ScreenPoints[corners[k]].Y;
  }
  FillPolygon(points, color, color, 0, false);
}

void DrawFrame(const FrameScene& frame, float angleX, float angleY, float angleZ) {
  DrawFrameUnpublished(frame, angleX, angleY, angleZ);
  RunStage(frame.hook, FrameStage::kPublish, [] { PublishFrame(); });
}

void DrawFrameUnpublished(const FrameScene& frame, float angleX, float angleY, float angleZ) {
  const StageHook<FrameStage>& hook = frame.hook;
  RunStage(hook, FrameStage::kClear, [&] { BeginFrame(frame.window); });
  RunStage(hook, FrameStage::kRotateProject,
           [&] { RotateAndProject(frame, angleX, angleY, angleZ); });
  RunStage(hook, FrameStage::kOrder, [&] { OrderFaces(frame.store); });
  RunStage(hook, FrameStage::kFill, [&] { PaintFaces(frame.store, frame.light); });
}

bool HasPresenter(WindowHandle window) {
  return window != nullptr && !window->destroyed.load(std::memory_order_acquire) &&
         window->surface.present != nullptr;
}

void BeginFrame(WindowHandle window) {
  AttachSurface(window, 0, true);
  DrawingSurface* surface = CurrentSurface();
  if (surface && surface->clearedAhead)
    surface->clearedAhead = false;
  else
    ClearSurface(kBackgroundColor, 0);
  // No text is drawn; the text state is set every frame all the same.
  SelectFont("courier new", 8, 1);
  SetForeColor(0x00FFFF);
  SetBackColor(-2);
}

void ClearFrameAhead(WindowHandle window) {
  AttachSurface(window, 0, true);
  DrawingSurface* surface = CurrentSurface();
  // Cleared already when the frame the last clear was for was never drawn.
  if (surface == nullptr || surface->present == nullptr || surface->clearedAhead) return;
  ClearSurface(kBackgroundColor, 0);
  surface->clearedAhead = true;
}

void RotateAndProject(const FrameScene& frame, float angleX, float angleY, float angleZ) {
  RotateScene(frame.store, frame.rot, angleX, angleY, angleZ);
  ProjectVertices(frame.store, frame.camera);
}

void PaintFaces(const MeshStore& store, const Light& light) {
  const bool nearestFirst = PaintNearestFirst(store) && BeginPaintingUnder();
  const int32_t count = store.FaceCount;
  for (int32_t k = 0; k < count; ++k) {
    const int32_t f = store.FaceOrder[nearestFirst ? count - 1 - k : k];
    const float s = FaceShade(store, light, f);
    if (s <= 0) continue;  // a NaN shade is drawn, in black
    const Face& face = store.Faces[f];
    const int32_t color = Rgb(RoundToInt(double{s} * face.Red), RoundToInt(double{s} * face.Green),
                              RoundToInt(double{s} * face.Blue));
    DrawFace(store, f, color);
  }
  if (nearestFirst) EndPaintingUnder();
}

void PublishFrame() {
  RedrawSurface();
}

void PublishFrameOf(WindowHandle window) {
  // The frame may have been drawn on another thread: the surface current on
  // this one can be any window's.
  AttachSurface(window, 0, true);
  RedrawSurface();
}

}  // namespace life3d

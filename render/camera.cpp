#include "render/camera.h"

#include <cassert>
#include <cmath>

namespace life3d {

namespace {

// Degrees to radians by this 15-digit factor, not by the exact pi / 180: the
// matrix entries, and so the pictures, depend on its last digits.
constexpr long double kRadiansPerDegree = 0.0174532925199433L;

// A point is turned in double, not in the extended precision of the matrix
// formulas: each product of a float coordinate and a float entry is exact in
// double, and only the two additions and the store into a float round, so the
// view coordinates are the same in every build.
inline void Turn(const RotMatrix& rot, float x, float y, float z, float& outX, float& outY,
                 float& outZ) {
  const auto& m = rot.m;
  outX = static_cast<float>(double{x} * m[0][0] + double{y} * m[0][1] + double{z} * m[0][2]);
  outY = static_cast<float>(double{x} * m[1][0] + double{y} * m[1][1] + double{z} * m[1][2]);
  outZ = static_cast<float>(double{x} * m[2][0] + double{y} * m[2][1] + double{z} * m[2][2]);
}

// The loops below index the arrays up to the counts, which the reader keeps
// one below each array's size.
[[maybe_unused]] bool ArraysHoldCounts(const MeshStore& store) {
  const auto vertices = static_cast<size_t>(store.VertexCount);
  const auto faces = static_cast<size_t>(store.FaceCount);
  return store.VertexCount >= 0 && store.FaceCount >= 0 && store.Vertices.size() >= vertices &&
         store.ModelVertices.size() >= vertices && store.ScreenPoints.size() >= vertices &&
         store.Faces.size() >= faces;
}

}  // namespace

void CopyModelVertices(MeshStore& store) {
  assert(ArraysHoldCounts(store));
  for (int32_t i = 0; i < store.VertexCount; ++i) store.ModelVertices[i] = store.Vertices[i];
}

void RotateScene(MeshStore& store, RotMatrix& rot, float angleX, float angleY, float angleZ) {
  assert(ArraysHoldCounts(store));
  // The sines and cosines are rounded to floats before they enter the matrix.
  const long double ax = angleX * kRadiansPerDegree;
  const long double ay = angleY * kRadiansPerDegree;
  const long double az = angleZ * kRadiansPerDegree;
  const long double cx = static_cast<float>(std::cos(ax));
  const long double cy = static_cast<float>(std::cos(ay));
  const long double cz = static_cast<float>(std::cos(az));
  const long double sx = static_cast<float>(std::sin(ax));
  const long double sy = static_cast<float>(std::sin(ay));
  const long double sz = static_cast<float>(std::sin(az));

  auto& m = rot.m;
  m[0][0] = static_cast<float>(cy * cz);
  m[0][1] = static_cast<float>(cy * sz);
  m[0][2] = static_cast<float>(-sy);
  m[1][0] = static_cast<float>(sy * cz * sx - cx * sz);
  m[1][1] = static_cast<float>(sy * sz * sx + cz * cx);
  m[1][2] = static_cast<float>(cy * sx);
  m[2][0] = static_cast<float>(sy * cz * cx + sx * sz);
  m[2][1] = static_cast<float>(sy * sz * cx - sx * cz);
  m[2][2] = static_cast<float>(cy * cx);

  for (int32_t i = 0; i < store.VertexCount; ++i) {
    const Vertex& v = store.ModelVertices[i];
    Vertex& out = store.Vertices[i];
    Turn(rot, v.X, v.Y, v.Z, out.X, out.Y, out.Z);
  }
  for (int32_t f = 0; f < store.FaceCount; ++f) {
    Face& face = store.Faces[f];
    Turn(rot, face.NormalX, face.NormalY, face.NormalZ, face.ViewNormalX, face.ViewNormalY,
         face.ViewNormalZ);
  }
}

void ProjectVertices(MeshStore& store, const Camera& camera) {
  assert(ArraysHoldCounts(store));
  // No near plane: a vertex behind the camera is mirrored through the view
  // axis, and one at d = 0 lands at infinity, or at no point (NaN) on an axis
  // where zoom times its coordinate is 0; the filler copes with all of these.
  const double zoom = camera.Zoom, xoff = camera.Xoff, yoff = camera.Yoff, zoff = camera.Zoff;
  for (int32_t i = 0; i < store.VertexCount; ++i) {
    const Vertex& v = store.Vertices[i];
    const double d = zoff + v.Z;
    store.ScreenPoints[i].X = static_cast<float>((zoom * v.X) / d + xoff);
    store.ScreenPoints[i].Y = static_cast<float>((zoom * v.Y) / d + yoff);
  }
}

}  // namespace life3d

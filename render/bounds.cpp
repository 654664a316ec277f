#include "render/bounds.h"

#include "text/text.h"

namespace life3d {

int32_t LargestCoordinate(const MeshStore& store) {
  float m = 0;
  for (int32_t i = 0; i < store.VertexCount; ++i) {
    const Vertex& v = store.Vertices[i];
    if (v.X > m) m = v.X;
    if (v.Y > m) m = v.Y;
    if (v.Z > m) m = v.Z;
  }
  return RoundToInt(m);
}

void CenterScene(MeshStore& store, int32_t autoCenter) {
  if (autoCenter == 1) return;
  // The extremes start at 0, not at the first vertex, so the box always holds
  // the origin: the board scene moves by (-810, -810, -20), not (-820, ...).
  float maxX = 0, minX = 0, maxY = 0, minY = 0, maxZ = 0, minZ = 0;
  for (int32_t i = 0; i < store.VertexCount; ++i) {
    const Vertex& v = store.Vertices[i];
    if (v.X > maxX) maxX = v.X;
    if (v.X < minX) minX = v.X;
    if (v.Y > maxY) maxY = v.Y;
    if (v.Y < minY) minY = v.Y;
    if (v.Z > maxZ) maxZ = v.Z;
    if (v.Z < minZ) minZ = v.Z;
  }
  const double cX = (double{minX} + maxX) / 2;
  const double cY = (double{minY} + maxY) / 2;
  const double cZ = (double{minZ} + maxZ) / 2;
  for (int32_t i = 0; i < store.VertexCount; ++i) {
    Vertex& v = store.Vertices[i];
    v.X = static_cast<float>(v.X - cX);
    v.Y = static_cast<float>(v.Y - cY);
    v.Z = static_cast<float>(v.Z - cZ);
  }
}

}  // namespace life3d

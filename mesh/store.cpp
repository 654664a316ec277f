#include "mesh/store.h"

#include <algorithm>
#include <new>

namespace life3d {

namespace {

// Capacity grows at least twofold, so the first build of a scene, which grows
// the arrays a few elements per object, copies each element only a few times.
template <typename T>
void ReserveFor(std::vector<T>& v, size_t size) {
  if (size > v.capacity()) v.reserve(std::max(size, 2 * v.capacity()));
}

}  // namespace

bool ResizeMeshArrays(MeshStore& store, int32_t vertexBound, int32_t faceBound) {
  if (vertexBound < 0 || faceBound < 0) return false;
  const size_t vertices = static_cast<size_t>(vertexBound) + 1;
  const size_t faces = static_cast<size_t>(faceBound) + 1;
  // Reserving first leaves sizes and contents untouched if memory runs out
  // part way; the resizes after it cannot fail.
  try {
    ReserveFor(store.Vertices, vertices);
    ReserveFor(store.ModelVertices, vertices);
    ReserveFor(store.ScreenPoints, vertices);
    ReserveFor(store.Faces, faces);
    ReserveFor(store.FaceDepth, faces);
    ReserveFor(store.FaceOrder, faces);
  } catch (const std::bad_alloc&) {
    return false;
  }
  store.Vertices.resize(vertices);
  store.ModelVertices.resize(vertices);
  store.ScreenPoints.resize(vertices);
  store.Faces.resize(faces);
  store.FaceDepth.resize(faces);
  store.FaceOrder.resize(faces);
  return true;
}

}  // namespace life3d

// Camera, rotation matrix and perspective projection.
#pragma once

#include <cstdint>

#include "mesh/store.h"

namespace life3d {

// Perspective camera: screen position of the view axis, depth offset, scale.
struct Camera {
  float Xoff = 0, Yoff = 0, Zoff = 0, Zoom = 0;
};

// Row r gives the r-th view coordinate (0 = x, 1 = y, 2 = z).
struct RotMatrix {
  float m[3][3] = {};
};

// Vector the shading multiplies the unit view normal with.
struct Light {
  int32_t X = 0, Y = 0, Z = 0;
};

// Copies the scene coordinates of Vertices into ModelVertices (after a rebuild).
void CopyModelVertices(MeshStore& store);
// Fills rot for the view angles in degrees (x, y, z), then turns every model
// vertex into Vertices and every face normal into its view normal.
void RotateScene(MeshStore& store, RotMatrix& rot, float angleX, float angleY, float angleZ);
// Perspective projection of every vertex of Vertices into ScreenPoints.
void ProjectVertices(MeshStore& store, const Camera& camera);

}  // namespace life3d

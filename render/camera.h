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

}  // namespace life3d

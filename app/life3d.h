// The program's state: one instance holds everything the main routine owns,
// so tests and the headless tool can build fresh ones.
#pragma once

#include <cstdint>

#include "base/random.h"
#include "cells/board.h"
#include "draw/surface.h"
#include "mesh/store.h"
#include "render/camera.h"

namespace life3d {

inline constexpr char kWindowTitle[] = "Gemma 3D-Ugo Marselli ";  // trailing blank is part of it

struct Life3D {
  RandomGenerator rng;
  BoardPair boards;
  MeshStore mesh;
  Camera camera;
  RotMatrix rot;
  Light light;
  int32_t Quick = 0;                                           // 1: no ground tiles
  int32_t AutoCenter = 0;                                      // 1: scene keeps board coordinates
  float Temp_Mouse_x = 0, Temp_Mouse_y = 0, Temp_Mouse_z = 0;  // view angles, degrees
  WindowHandle SceneWindow = nullptr;
};

}  // namespace life3d

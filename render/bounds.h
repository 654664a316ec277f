// Scene bounds: the measure that fixes the start zoom and the centring that
// makes the scene turn about the middle of its bounding box.
#pragma once

#include <cstdint>

#include "mesh/store.h"

namespace life3d {

// Largest of 0 and every X, Y, Z of Vertices, rounded to the nearest integer
// (halves to even). A scene entirely at negative coordinates gives 0.
int32_t LargestCoordinate(const MeshStore& store);
// Unless autoCenter is 1, moves Vertices so that the middle of the smallest
// box holding the scene and the origin lies at the origin.
void CenterScene(MeshStore& store, int32_t autoCenter);

}  // namespace life3d

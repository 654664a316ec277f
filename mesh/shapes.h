// Built-in shape generators. Each writes one object as mesh text into
// MeshLines from line 0, sets MeshLastLine and has ReadMeshText append it, so
// every shape of the scene passes through the text format.
//
// Corner points are 32-bit floats, point after point: x, y, z of P0, then P1,
// and so on. Colors are packed red + 256 green + 65536 blue.
#pragma once

#include <cstdint>

#include "mesh/store.h"

namespace life3d {

// Two-sided parallelogram "Rettangolo" on the consecutive corners P0, P1, P2
// (P1 between the others): 4 vertices, 4 faces; lines 0..9. The faces wound
// P0, P1, P2 take FrontColor, the two wound the other way BackColor.
void MakeRectangle(MeshStore& store, const float points[9], int32_t FrontColor, int32_t BackColor);
// Closed parallelepiped "Parallelepipedo" on the base corners P0, P1, P2 and
// the top corner P3 above P2: 8 vertices, 12 faces, all in Color; lines 0..21.
// Every face normal points out of the box when P3 - P2 lies on the side of
// (P1 - P0) x (P2 - P0).
void MakeBox(MeshStore& store, const float points[12], int32_t Color);

}  // namespace life3d

// The board turned into a scene: a box for every cell live now or in the next
// generation, standing on a checkerboard ground of 40 x 40 tiles. Cell (i, j)
// covers 40j - 20 <= x <= 40j + 20 and 40i - 20 <= y <= 40i + 20; z is height.
#pragma once

#include <cstdint>

#include "cells/board.h"
#include "mesh/store.h"

namespace life3d {

// The box colors, packed red + 256 green + 65536 blue; the window's legend
// shows them beside what they mean.
inline constexpr int32_t kBornColor = 9850960;   // (80, 80, 150), blue-grey
inline constexpr int32_t kDyingColor = 5263510;  // (150, 80, 80), brown
inline constexpr int32_t kAliveColor = 255;      // (255, 0, 0), red

// Appends one box per cell live in BoardNow or BoardNext, i outer and j inner:
// being born 20 high in (80, 80, 150), dying 20 high in (150, 80, 80),
// staying alive 40 high in (255, 0, 0). Does not empty the store first.
void BuildCellBoxes(MeshStore& store, const BoardPair& boards);
// Appends the 1,600 ground tiles at height z, i outer and j inner, upper side
// (100, 255, 255) or (100, 155, 255) by the parity of i + j, under side white;
// nothing when Quick is 1.
void BuildGround(MeshStore& store, float z, int32_t Quick);

}  // namespace life3d

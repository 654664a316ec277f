// The mesh text reader: parses the lines of MeshLines and appends every
// object they describe to the mesh store.
//
// One object is a header line ("Tri-mesh," with "Vertices:" N and "Faces:" M),
// a vertex list from a line beginning "Vertex 0" to the line numbered N - 1
// ("Vertex" k with "X:", "Y:", "Z:"), and a face list from a line beginning
// "Face 0" to the line numbered M - 1 ("Face" k with " A:", " B:", " C:" and an
// optional "colore:"). Keywords match in any letter case; each number is read
// right after its keyword.
#pragma once

#include <cstdint>

#include "mesh/store.h"

namespace life3d {

// Largest scene the reader builds: room for the fullest board scene (1,600
// tiles of 4 faces and 1,600 boxes of 12, 25,600 faces), while text that no
// generator writes cannot grow the arrays without bound. Face and vertex
// indices are 32-bit throughout; no face can reach more than three vertices,
// which bounds the vertices as well.
inline constexpr int32_t kMaxSceneFaces = 32768;
inline constexpr int32_t kMaxSceneVertices = 3 * kMaxSceneFaces;

// Parses MeshLines 0..MeshLastLine (none when negative, at most the last line
// of the buffer) and appends each complete object, its corners rebased by the
// vertices already in the store. Offsets are added to every coordinate read;
// DefaultColor colors faces without "colore:".
void ReadMeshText(MeshStore& store, int32_t OffsetX, int32_t OffsetY, int32_t OffsetZ,
                  int32_t DefaultColor);

}  // namespace life3d

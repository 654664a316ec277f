// The mesh store: the whole scene as one flat list of vertices and one of
// triangular faces, and the text buffer through which every shape enters it.
// Shapes are never put into the arrays directly: a generator writes mesh text
// into MeshLines and the reader appends the object it describes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace life3d {

inline constexpr int32_t kMeshLinesLast = 100000;  // MeshLines holds 0..100000

struct Vertex {
  float X = 0, Y = 0, Z = 0;
};

struct ScreenPoint {
  float X = 0, Y = 0;
};

struct Face {
  int32_t A = 0, B = 0, C = 0;                  // scene-wide vertex indices, order matters
  float NormalX = 0, NormalY = 0, NormalZ = 0;  // (B - A) x (C - A), model space
  float ViewNormalX = 0, ViewNormalY = 0, ViewNormalZ = 0;  // turned into view space
  float DepthSum = 0;      // sum of the corners' view z, for the depth order
  float NormalLength = 0;  // length of the model normal
  uint8_t Red = 0, Green = 0, Blue = 0;
};

// Each array holds one element more than its count. The vectors keep their
// capacity when a new scene starts small, so rebuilding a scene of the same
// size never returns to the heap.
struct MeshStore {
  int32_t VertexCount = 0;
  int32_t FaceCount = 0;
  std::vector<Vertex> Vertices;       // scene, then view coordinates
  std::vector<Vertex> ModelVertices;  // model coordinates, copied after each build
  std::vector<ScreenPoint> ScreenPoints;
  std::vector<Face> Faces;
  std::vector<int32_t> FaceDepth;  // sort key of each face for the frame
  std::vector<int32_t> FaceOrder;  // face indices in drawing order

  std::vector<std::string> MeshLines = std::vector<std::string>(kMeshLinesLast + 1);
  int32_t MeshLastLine = 0;
};

// Empties the scene (counts to 0); the arrays keep their size until the next
// object is appended.
inline void ResetScene(MeshStore& store) {
  store.VertexCount = 0;
  store.FaceCount = 0;
}

// Sets the upper bounds of Vertices, ModelVertices and ScreenPoints to
// vertexBound, then of Faces, FaceDepth and FaceOrder to faceBound: each array
// gets bound + 1 elements. Kept elements keep their contents, added ones are
// zero, elements beyond a smaller bound are dropped. Capacity is never given
// back, so rebuilding a scene no larger than an earlier one does not touch the
// heap. When memory runs out it returns false and every array is as it was.
bool ResizeMeshArrays(MeshStore& store, int32_t vertexBound, int32_t faceBound);

// Color bytes of a packed color red + 256 green + 65536 blue, with division
// truncating toward zero and the low 8 bits of each result kept (-1 gives
// red 255, green 0, blue 0).
inline void SplitColor(int32_t v, uint8_t& red, uint8_t& green, uint8_t& blue) {
  red = static_cast<uint8_t>(v % 256);
  green = static_cast<uint8_t>((v / 256) % 256);
  blue = static_cast<uint8_t>((v / 256 / 256) % 256);
}

}  // namespace life3d

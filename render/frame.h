// Frame drawing: the light and face normals prepared after each scene
// rebuild, and the frame itself: clear, rotate and project, order the faces
// far to near, shade and fill the faces that turn toward the viewer, publish.
#pragma once

#include <cstdint>

#include "mesh/store.h"
#include "platform/surface.h"
#include "render/camera.h"

namespace life3d {

inline constexpr int32_t kBackFaceKey = -100000;       // key of a face failing the winding test
inline constexpr int32_t kBackgroundColor = 0x808080;  // mid-grey

// Milliseconds spent in each stage of one DrawFrame, for the benchmarks.
struct FrameTimes {
  double clear = 0;          // attach, clear, text state
  double rotateProject = 0;  // RotateScene and ProjectVertices
  double order = 0;          // OrderFaces
  double fill = 0;           // shading and filling the faces
  double whole = 0;          // everything, the redraw included
};

// Light = (-a, -b, -c): SetLight(0, 0, 1) lights along the view axis.
void SetLight(Light& light, const int32_t& a, const int32_t& b, const int32_t& c);
// Normal (B - A) x (C - A) of every face from ModelVertices, and its length.
void ComputeFaceNormals(MeshStore& store);
// Sort keys from the view depth (faces failing the winding test get
// kBackFaceKey) and FaceOrder in drawing order, far to near.
void OrderFaces(MeshStore& store);
// Brightness of face f: unit view normal times the light; NaN for a face of
// zero area.
float FaceShade(const MeshStore& store, const Light& light, int32_t f);
// Fills face f as a solid triangle outlined in the same colour.
void DrawFace(const MeshStore& store, int32_t f, const int32_t& color);
// One complete frame into window's surface; times, when given, receives the
// duration of each stage.
void DrawFrame(MeshStore& store, RotMatrix& rot, const Camera& camera, const Light& light,
               WindowHandle window, const float& angleX, const float& angleY, const float& angleZ,
               FrameTimes* times = nullptr);

}  // namespace life3d

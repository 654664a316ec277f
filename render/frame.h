// Frame drawing: the light and face normals prepared after each scene
// rebuild, and the frame itself: clear, rotate and project, order the faces
// far to near, shade and fill the faces that turn toward the viewer, publish.
#pragma once

#include <cstdint>

#include "draw/surface.h"
#include "mesh/store.h"
#include "render/camera.h"

namespace life3d {

inline constexpr int32_t kBackFaceKey = -100000;       // key of a face failing the winding test
inline constexpr int32_t kBackgroundColor = 0x808080;  // mid-grey

// What a frame is drawn from and into: the scene (its view fields are
// rewritten every frame), the rotation matrix the angles fill, the camera,
// the light, and the window whose surface receives the picture.
struct FrameScene {
  MeshStore& store;
  RotMatrix& rot;
  const Camera& camera;
  const Light& light;
  WindowHandle window;
};

// Light = (-a, -b, -c): SetLight(0, 0, 1) lights along the view axis.
void SetLight(Light& light, int32_t a, int32_t b, int32_t c);
// Normal (B - A) x (C - A) of every face from ModelVertices, and its length.
void ComputeFaceNormals(MeshStore& store);

// One complete frame, stage by stage (the stages are public so the tool and
// the benchmarks can time each one).
void DrawFrame(const FrameScene& frame, float angleX, float angleY, float angleZ,
               bool clearedAhead = false);
// Attaches the window's surface with deferred drawing, clears it to the
// background (unless it was cleared ahead) and sets the text state; nothing
// reaches the screen until PublishFrame.
void BeginFrame(WindowHandle window, bool clearedAhead = false);
// BeginFrame's clear on its own, for a thread that prepares the image while
// the drawing thread waits; nothing may draw into the window between it and
// BeginFrame(window, true). Only the image of a window whose frames go to a
// presenter is cleared (true): without one the image is the picture itself,
// and it must keep the last frame until the next is drawn.
bool ClearFrameAhead(WindowHandle window);
// RotateScene for the view angles in degrees, then ProjectVertices.
void RotateAndProject(const FrameScene& frame, float angleX, float angleY, float angleZ);
// Sort keys from the view depth (faces failing the winding test get
// kBackFaceKey) and FaceOrder in drawing order, far to near.
void OrderFaces(MeshStore& store);
// Shades and fills, in FaceOrder, every face that turns toward the viewer.
void PaintFaces(const MeshStore& store, const Light& light);
// Hands the finished picture to the screen in one step.
void PublishFrame();

// Brightness of face f: unit view normal times the light; NaN for a face of
// zero area.
float FaceShade(const MeshStore& store, const Light& light, int32_t f);
// Fills face f as a solid triangle outlined in the same color.
void DrawFace(const MeshStore& store, int32_t f, int32_t color);

}  // namespace life3d

// Frame drawing: the light and face normals prepared after each scene
// rebuild, and the frame itself: clear, rotate and project, order the faces
// far to near, shade and fill the faces that turn toward the viewer, publish.
#pragma once

#include <cstdint>

#include "base/stage_hook.h"
#include "draw/surface.h"
#include "mesh/store.h"
#include "render/camera.h"

namespace life3d {

inline constexpr int32_t kBackFaceKey = -100000;       // key of a face failing the winding test
inline constexpr int32_t kBackgroundColor = 0x808080;  // mid-grey

// The stages of a frame, in the order DrawFrame runs them.
enum class FrameStage : int32_t { kClear, kRotateProject, kOrder, kFill, kPublish };

// What a frame is drawn from and into: the scene (its view fields are
// rewritten every frame), the rotation matrix the angles fill, the camera,
// the light, and the window whose surface receives the picture; and who is
// told of each stage (nobody when unset).
struct FrameScene {
  MeshStore& store;
  RotMatrix& rot;
  const Camera& camera;
  const Light& light;
  WindowHandle window;
  StageHook<FrameStage> hook = {};
};

// Light = (-a, -b, -c): SetLight(0, 0, 1) lights along the view axis.
void SetLight(Light& light, int32_t a, int32_t b, int32_t c);
// Normal (B - A) x (C - A) of every face from ModelVertices, and its length.
void ComputeFaceNormals(MeshStore& store);
// What a freshly built scene needs before its first frame: CenterScene
// (unless autoCenter is 1), CopyModelVertices, the light along the view axis
// and ComputeFaceNormals.
void PrepareScene(MeshStore& store, Light& light, int32_t autoCenter);

// One complete frame, stage by stage (the stages are public so the
// benchmarks can time each one; frame.hook is told of them).
void DrawFrame(const FrameScene& frame, float angleX, float angleY, float angleZ);
// DrawFrame but for its last stage: the picture stays in the window's image.
// The caller publishes it (PublishFrameOf) or draws the frame anew.
void DrawFrameUnpublished(const FrameScene& frame, float angleX, float angleY, float angleZ);
// True when the window's frames go to a presenter, so its image is not what
// is shown until published.
bool HasPresenter(WindowHandle window);
// Attaches the window's surface with deferred drawing, clears it to the
// background (or uses the clear made ahead) and sets the text state; nothing
// reaches the screen until PublishFrame.
void BeginFrame(WindowHandle window);
// BeginFrame's clear on its own, for a thread that prepares the image while
// the drawing thread waits; the surface records it (clearedAhead), and
// nothing may draw into the window until BeginFrame. Only the image of a
// window whose frames go to a presenter is cleared: without one the image is
// the picture itself, and it must keep the last frame until the next is drawn.
void ClearFrameAhead(WindowHandle window);
// RotateScene for the view angles in degrees, then ProjectVertices.
void RotateAndProject(const FrameScene& frame, float angleX, float angleY, float angleZ);
// Sort keys from the view depth (faces failing the winding test get
// kBackFaceKey) and FaceOrder in drawing order, far to near.
void OrderFaces(MeshStore& store);
// Shades and fills, in FaceOrder, every face that turns toward the viewer.
void PaintFaces(const MeshStore& store, const Light& light);
// Hands the finished picture to the screen in one step.
void PublishFrame();
// PublishFrame for the window's surface, from any thread.
void PublishFrameOf(WindowHandle window);

// Brightness of face f: unit view normal times the light; NaN for a face of
// zero area.
float FaceShade(const MeshStore& store, const Light& light, int32_t f);
// Fills face f as a solid triangle outlined in the same color.
void DrawFace(const MeshStore& store, int32_t f, int32_t color);

}  // namespace life3d

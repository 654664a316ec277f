// The main routine's steps that need no display: start-up up to the window,
// the scene rebuild and one generation. The desktop program and the headless
// tool both run the program through these.
#pragma once

#include <cstdint>

#include "app/life3d.h"
#include "render/frame.h"

namespace life3d {

// Milliseconds spent in the two halves of AdvanceGeneration, for the benchmarks.
struct PassTimes {
  double generation = 0;  // NextGeneration
  double rebuild = 0;     // scene rebuild and board copy
};

// Start-up before the window: seed from `seconds` (what TimeOfDaySeconds gave),
// seed the board, build ground then boxes, set the camera for a desktop of
// width x height, centre, copy, light, normals; then the start view angles.
void StartUp(Life3D& app, double seconds, int32_t width, int32_t height);
// Empty the scene and build it again from the boards (boxes, then ground),
// then centre, copy, light and normals.
void RebuildScene(Life3D& app);
// The first half of a loop pass: next generation, scene rebuild, then the new
// board copied over the old one. times, when given, receives the duration of
// each half.
void AdvanceGeneration(Life3D& app, PassTimes* times = nullptr);
// Draw one frame of the scene with the current angles into app.SceneWindow;
// times, when given, receives the duration of each stage.
void DrawSceneFrame(Life3D& app, FrameTimes* times = nullptr);

}  // namespace life3d

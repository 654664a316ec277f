// The main routine's steps that need no display: start-up up to the window,
// the scene rebuild, and one pass of the main loop. The desktop program, the
// headless tool and the tests all run the program through these.
#pragma once

#include <cstdint>
#include <string>

#include "app/life3d.h"
#include "base/worker.h"

namespace life3d {

inline constexpr int32_t kPassPauseMilliseconds = 10;

// What a pass takes from outside: the pause before the key is read, the
// source of the key, and a worker thread that rebuilds the scene while the
// pause goes on. The program passes Pause, ReadKey and a worker; the headless
// tool a scripted key sequence, and a pause and a worker when asked to.
struct PassIo {
  void (*pause)(int32_t milliseconds) = nullptr;    // nullptr: no pause
  std::string (*readKey)(void* context) = nullptr;  // the empty text: no key; nullptr: never a key
  void* context = nullptr;
  Worker* worker = nullptr;  // nullptr, or no pause: all on the calling thread, in order
};

// Start-up before the window: seed from `seconds` (what TimeOfDaySeconds gave),
// seed the board, build ground then boxes, set the camera for a desktop of
// width x height, centre, copy, light, normals; then the start view angles.
void StartUp(Life3D& app, double seconds, int32_t width, int32_t height);
// Empties the scene and builds it again from the boards (boxes, then ground),
// then centre, copy, light and normals.
void RebuildScene(Life3D& app);
// The first half of a pass: next generation, scene rebuild, then the new
// board copied over the old one.
void AdvanceGeneration(Life3D& app);
// Draws one frame of the scene with the current angles into app.SceneWindow
// (cleared ahead: by the pass's worker, during the pause).
void DrawSceneFrame(Life3D& app, bool clearedAhead = false);
// One pass of the main loop: AdvanceGeneration, the pause, one key read and
// dispatched, one frame. True when the key was Esc: the run ends there,
// before the frame. With a worker the rebuild and the frame's clear run on
// it during the pause; the pass ends the same, the scene and the frame alike.
bool RunPass(Life3D& app, const PassIo& io);

}  // namespace life3d

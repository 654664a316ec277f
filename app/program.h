// The main routine's steps that need no display: start-up up to the window,
// the scene rebuild, and one pass of the main loop. The desktop program, the
// headless tool and the tests all run the program through these.
#pragma once

#include <cstdint>
#include <string>

#include "app/life3d.h"
#include "base/stage_hook.h"
#include "base/worker.h"

namespace life3d {

inline constexpr int32_t kPassPauseMilliseconds = 10;

// The stages of a pass as its hook is told of them, in the order they begin.
// With a worker the rebuild and the clear ahead run on it during the pause.
enum class PassStage : int32_t {
  kGeneration,  // NextGeneration
  kRebuild,     // RebuildScene
  kClearAhead,  // ClearFrameAhead, with a worker only
  kPause,       // the pause alone: a wait for the worker comes after it
  kClear,       // from here on the frame's stages, as FrameStage lists them
  kRotateProject,
  kOrder,
  kFill,
  kPublish,
};
inline constexpr int32_t kPassStageCount = static_cast<int32_t>(PassStage::kPublish) + 1;

// What a pass takes from outside: the pause before the key is read, the
// source of the key, a worker thread that rebuilds the scene while the pause
// goes on, and a hook told of each stage. The program passes Pause, ReadKey
// and a worker; the headless tool a scripted key sequence, a pause and a
// worker when asked to, and a hook when it times the passes.
struct PassIo {
  void (*pause)(int32_t milliseconds) = nullptr;    // nullptr: no pause
  std::string (*readKey)(void* context) = nullptr;  // the empty text: no key; nullptr: never a key
  void* context = nullptr;
  Worker* worker = nullptr;        // nullptr, or no pause: all on the calling thread, in order
  StageHook<PassStage> hook = {};  // unset: nobody is told
};

// Start-up before the window: seed from `seconds` (what TimeOfDaySeconds gave),
// seed the board, build ground then boxes, set the camera for a desktop of
// width x height, PrepareScene; then the start view angles.
void StartUp(Life3D& app, double seconds, int32_t width, int32_t height);
// Empties the scene and builds it again from the boards (boxes, then ground),
// then PrepareScene.
void RebuildScene(Life3D& app);
// Draws one frame of the scene with the current angles into app.SceneWindow.
void DrawSceneFrame(Life3D& app);
// One pass of the main loop: next generation, scene rebuild, the new board
// copied over the old one, the pause, one key read and dispatched, one frame.
// True when the key was Esc: the run ends there, before the frame. With a
// worker the rebuild and the frame's clear run on it during the pause; the
// pass ends the same, the scene and the frame alike.
bool RunPass(Life3D& app, const PassIo& io);

}  // namespace life3d

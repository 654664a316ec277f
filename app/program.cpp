#include "app/program.h"

#include "app/commands.h"
#include "cells/scene.h"
#include "render/bounds.h"
#include "render/frame.h"

namespace life3d {

namespace {

FrameScene SceneFrame(Life3D& app, StageHook<FrameStage> hook) {
  return FrameScene{app.mesh, app.rot, app.camera, app.light, app.SceneWindow, hook};
}

// The frame's stages are the pass's last ones, in the same order.
constexpr int32_t kFirstFrameStage = static_cast<int32_t>(PassStage::kClear);
static_assert(kFirstFrameStage + static_cast<int32_t>(FrameStage::kPublish) ==
              static_cast<int32_t>(PassStage::kPublish));

// Tells the pass's hook (context) of a stage of the frame.
void ForwardFrameStage(FrameStage stage, bool ended, void* context) {
  const auto& hook = *static_cast<const StageHook<PassStage>*>(context);
  hook.stage(static_cast<PassStage>(kFirstFrameStage + static_cast<int32_t>(stage)), ended,
             hook.context);
}

}  // namespace

void StartUp(Life3D& app, double seconds, int32_t width, int32_t height) {
  app.rot = RotMatrix{};
  SeedRandom(app.rng, seconds);
  app.boards = BoardPair{};
  SeedBoard(app.boards.BoardNow, app.rng);
  // Only at start-up does the ground come before the boxes; with BoardNext
  // still empty every live cell is shown as dying.
  BuildGround(app.mesh, 0.0f, app.Quick);
  BuildCellBoxes(app.mesh, app.boards);
  app.camera.Xoff = static_cast<float>(width / 2.0);
  app.camera.Yoff = static_cast<float>(height / 2.0);
  app.camera.Zoff = 5000;
  // Measured before centring; the zoom is never recomputed afterwards.
  app.camera.Zoom = static_cast<float>(2700000.0 / LargestCoordinate(app.mesh));
  PrepareScene(app.mesh, app.light, app.AutoCenter);
  app.Temp_Mouse_x = -136;
  app.Temp_Mouse_y = 0;
  app.Temp_Mouse_z = 60;
}

void RebuildScene(Life3D& app) {
  ResetScene(app.mesh);
  BuildCellBoxes(app.mesh, app.boards);
  BuildGround(app.mesh, 0.0f, app.Quick);
  PrepareScene(app.mesh, app.light, app.AutoCenter);
}

void DrawSceneFrame(Life3D& app) {
  DrawFrame(SceneFrame(app, {}), app.Temp_Mouse_x, app.Temp_Mouse_y, app.Temp_Mouse_z);
}

bool RunPass(Life3D& app, const PassIo& io) {
  const StageHook<PassStage>& hook = io.hook;
  RunStage(hook, PassStage::kGeneration,
           [&] { NextGeneration(app.boards.BoardNow, app.boards.BoardNext); });
  // The rebuild sees the old generation in BoardNow and the new one in
  // BoardNext, so each box shows its cell's transition.
  const auto rebuild = [&] { RebuildScene(app); };
  // The frame's stages reach the pass's hook, under their names in the pass.
  StageHook<PassStage> passHook = hook;
  StageHook<FrameStage> frameHook;
  if (hook.stage) frameHook = {ForwardFrameStage, &passHook};
  const FrameScene frame = SceneFrame(app, frameHook);
  // True when this pass's frame, but for its publication, was drawn during
  // the pause for the view as it was then.
  bool drawnAhead = false;
  if (io.pause && io.worker) {
    // What waits for nothing the pause decides runs on the worker while the
    // calling thread sleeps: nothing else touches the program's state or
    // draws into the window meanwhile. The board copy waits for it. A frame
    // that goes to a presenter is drawn ahead, for the view as it is before
    // the key; without one the image is the picture, so it is only cleared
    // (which then does nothing) and the frame is drawn after the key.
    const bool presented = HasPresenter(app.SceneWindow);
    auto prepareFrame = [&] {
      RunStage(hook, PassStage::kRebuild, rebuild);
      if (presented) {
        DrawFrameUnpublished(frame, app.Temp_Mouse_x, app.Temp_Mouse_y, app.Temp_Mouse_z);
        drawnAhead = true;
      } else {
        RunStage(hook, PassStage::kClearAhead, [&] { ClearFrameAhead(app.SceneWindow); });
      }
    };
    StartJob(*io.worker, prepareFrame);
    RunStage(hook, PassStage::kPause, [&] { io.pause(kPassPauseMilliseconds); });
    FinishJob(*io.worker);
  } else {
    RunStage(hook, PassStage::kRebuild, rebuild);
    if (io.pause) RunStage(hook, PassStage::kPause, [&] { io.pause(kPassPauseMilliseconds); });
  }
  app.boards.BoardNow = app.boards.BoardNext;
  // A key text is at most two bytes: it stays inside the string, off the heap.
  const std::string key = io.readKey ? io.readKey(io.context) : std::string();
  // A flag read here acts from the next pass's rebuild; camera and angle
  // changes, and "N" (rebuilt here), show in this pass's frame.
  const KeyOutcome outcome = DispatchKey(app, key);
  if (outcome == KeyOutcome::kEndRun) return true;
  if (outcome == KeyOutcome::kRebuildScene) RebuildScene(app);
  // No key, nothing changed since the frame was drawn ahead: it is the frame
  // this pass would draw now. Any key draws it anew, from a clear.
  if (drawnAhead && key.empty()) {
    RunStage(hook, PassStage::kPublish, [&] { PublishFrameOf(app.SceneWindow); });
  } else {
    DrawFrame(frame, app.Temp_Mouse_x, app.Temp_Mouse_y, app.Temp_Mouse_z);
  }
  return false;
}

}  // namespace life3d

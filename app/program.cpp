#include "app/program.h"

#include "app/commands.h"
#include "cells/scene.h"
#include "render/bounds.h"
#include "render/frame.h"

namespace life3d {

namespace {

void PrepareScene(Life3D& app) {
  CenterScene(app.mesh, app.AutoCenter);
  CopyModelVertices(app.mesh);
  SetLight(app.light, 0, 0, 1);
  ComputeFaceNormals(app.mesh);
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
  PrepareScene(app);
  app.Temp_Mouse_x = -136;
  app.Temp_Mouse_y = 0;
  app.Temp_Mouse_z = 60;
}

void RebuildScene(Life3D& app) {
  ResetScene(app.mesh);
  BuildCellBoxes(app.mesh, app.boards);
  BuildGround(app.mesh, 0.0f, app.Quick);
  PrepareScene(app);
}

void AdvanceGeneration(Life3D& app) {
  NextGeneration(app.boards.BoardNow, app.boards.BoardNext);
  // The rebuild sees the old generation in BoardNow and the new one in
  // BoardNext, so each box shows its cell's transition.
  RebuildScene(app);
  app.boards.BoardNow = app.boards.BoardNext;
}

void DrawSceneFrame(Life3D& app, bool clearedAhead) {
  DrawFrame(FrameScene{app.mesh, app.rot, app.camera, app.light, app.SceneWindow}, app.Temp_Mouse_x,
            app.Temp_Mouse_y, app.Temp_Mouse_z, clearedAhead);
}

namespace {

// The work of a pass that waits for nothing the pause decides: the scene of
// the new generation, and the clear of the image the frame is drawn into.
struct FramePreparation {
  Life3D& app;
  bool cleared = false;
};
void PrepareFrame(void* context) {
  auto& job = *static_cast<FramePreparation*>(context);
  RebuildScene(job.app);
  job.cleared = ClearFrameAhead(job.app.SceneWindow);
}

}  // namespace

bool RunPass(Life3D& app, const PassIo& io) {
  // AdvanceGeneration, with the rebuild moved into the pause when there is a
  // worker: nothing else touches the program's state or draws into the
  // window while the main thread sleeps. The board copy waits for it.
  NextGeneration(app.boards.BoardNow, app.boards.BoardNext);
  FramePreparation job{app};
  if (io.pause && io.worker) {
    StartJob(*io.worker, PrepareFrame, &job);
    io.pause(kPassPauseMilliseconds);
    FinishJob(*io.worker);
  } else {
    RebuildScene(app);
    if (io.pause) io.pause(kPassPauseMilliseconds);
  }
  app.boards.BoardNow = app.boards.BoardNext;
  // A key text is at most two bytes: it stays inside the string, off the heap.
  const std::string key = io.readKey ? io.readKey(io.context) : std::string();
  // A flag read here acts from the next pass's rebuild; camera and angle
  // changes, and "N" (rebuilt here), show in this pass's frame.
  const KeyOutcome outcome = DispatchKey(app, key);
  if (outcome == KeyOutcome::kEndRun) return true;
  if (outcome == KeyOutcome::kRebuildScene) RebuildScene(app);
  DrawSceneFrame(app, job.cleared);
  return false;
}

}  // namespace life3d

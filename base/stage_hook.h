// An optional watcher of the stages of some work, for a caller that times
// them: the work itself reads no clock. Unset, a stage costs the test of a
// null pointer at each end.
#pragma once

#include <utility>

namespace life3d {

// Told as each stage begins (ended false) and ends, on the thread that runs it.
template <typename Stage>
struct StageHook {
  void (*stage)(Stage stage, bool ended, void* context) = nullptr;
  void* context = nullptr;
};

// Runs step() as `stage` of the work hook watches.
template <typename Stage, typename Step>
void RunStage(const StageHook<Stage>& hook, Stage stage, Step&& step) {
  if (hook.stage) hook.stage(stage, false, hook.context);
  std::forward<Step>(step)();
  if (hook.stage) hook.stage(stage, true, hook.context);
}

}  // namespace life3d

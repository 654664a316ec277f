// A second thread for work that can overlap a wait of the main thread: one
// job at a time, handed over and waited for without touching the heap, so a
// pass can use it in the steady state.
#pragma once

#include <thread>

#include "base/mutex.h"

namespace life3d {

using WorkerJob = void (*)(void* context);

struct Worker {
  Mutex mutex;
  CondVar changed;  // any change of the fields below
  std::thread thread GUARDED_BY(mutex);
  WorkerJob job GUARDED_BY(mutex) = nullptr;  // the job waiting or running; null when idle
  void* context GUARDED_BY(mutex) = nullptr;
  bool started GUARDED_BY(mutex) = false;
  bool failed GUARDED_BY(mutex) = false;  // the thread could not be started: every job runs inline
  bool stopping GUARDED_BY(mutex) = false;
  ~Worker();
};

// Hands job(context) to the worker's thread, starting it on first use. When
// the thread cannot be started the job runs here, at once. A job must not be
// handed over while an earlier one is unfinished.
void StartJob(Worker& worker, WorkerJob job, void* context) EXCLUDES(worker.mutex);
// Returns once the job handed over last has finished.
void FinishJob(Worker& worker) EXCLUDES(worker.mutex);

}  // namespace life3d

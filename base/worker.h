// A second thread for work that can overlap a wait of the main thread: one
// job at a time, handed over and waited for without touching the heap, so a
// pass can use it in the steady state.
#pragma once

#include <concepts>
#include <memory>
#include <thread>

#include "base/mutex.h"

namespace life3d {

// Runs the job that context points to; made by StartJob for the job's type.
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

// StartJob's hand-over, for a job already reduced to a function and its context.
void StartWorkerJob(Worker& worker, WorkerJob job, void* context) EXCLUDES(worker.mutex);

// Hands job() to the worker's thread, starting it on first use. When the
// thread cannot be started the job runs here, at once. The job is called
// through a reference, never copied: it must stay alive until FinishJob. A
// job must not be handed over while an earlier one is unfinished.
template <std::invocable Job>
void StartJob(Worker& worker, Job& job) {
  StartWorkerJob(
      worker, [](void* context) { (*static_cast<Job*>(context))(); }, std::addressof(job));
}
// Returns once the job handed over last has finished.
void FinishJob(Worker& worker) EXCLUDES(worker.mutex);

}  // namespace life3d

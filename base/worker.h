// A second thread for work that can overlap a wait of the main thread: one
// job at a time, handed over and waited for without touching the heap, so a
// pass can use it in the steady state.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace life3d {

using WorkerJob = void (*)(void* context);

struct Worker {
  std::mutex mutex;
  std::condition_variable changed;  // any change of the fields below
  std::thread thread;
  WorkerJob job = nullptr;  // the job waiting or running; null when idle
  void* context = nullptr;
  bool started = false;
  bool failed = false;  // the thread could not be started: every job runs inline
  bool stopping = false;
  ~Worker();
};

// Hands job(context) to the worker's thread, starting it on first use. When
// the thread cannot be started the job runs here, at once. A job must not be
// handed over while an earlier one is unfinished.
void StartJob(Worker& worker, WorkerJob job, void* context);
// Returns once the job handed over last has finished.
void FinishJob(Worker& worker);

}  // namespace life3d

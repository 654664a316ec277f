#include "base/worker.h"

#include <cassert>
#include <system_error>

namespace life3d {

namespace {

void RunJobs(Worker& worker) EXCLUDES(worker.mutex) {
  MutexLock lock(worker.mutex);
  for (;;) {
    while (worker.job == nullptr && !worker.stopping) worker.changed.Wait(worker.mutex);
    if (worker.job == nullptr) return;  // stopping, nothing left to do
    const WorkerJob job = worker.job;
    void* const context = worker.context;
    lock.Unlock();
    job(context);
    lock.Lock();
    worker.job = nullptr;
    worker.changed.NotifyAll();
  }
}

}  // namespace

Worker::~Worker() {
  {
    MutexLock lock(mutex);
    stopping = true;
  }
  changed.NotifyAll();
  if (thread.joinable()) thread.join();
}

void StartWorkerJob(Worker& worker, WorkerJob job, void* context) {
  MutexLock lock(worker.mutex);
  assert(worker.job == nullptr && "one job at a time: FinishJob before the next StartJob");
  if (!worker.started && !worker.failed) {
    try {
      worker.thread = std::thread(RunJobs, std::ref(worker));
      worker.started = true;
    } catch (const std::system_error&) {
      worker.failed = true;
    }
  }
  if (worker.failed) {
    lock.Unlock();
    job(context);
    return;
  }
  worker.job = job;
  worker.context = context;
  worker.changed.NotifyAll();
}

void FinishJob(Worker& worker) {
  MutexLock lock(worker.mutex);
  while (worker.job != nullptr) worker.changed.Wait(worker.mutex);
}

}  // namespace life3d

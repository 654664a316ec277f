#include "base/worker.h"

#include <cassert>
#include <system_error>

namespace life3d {

namespace {

void RunJobs(Worker& worker) {
  std::unique_lock<std::mutex> lock(worker.mutex);
  for (;;) {
    worker.changed.wait(lock, [&] { return worker.job != nullptr || worker.stopping; });
    if (worker.job == nullptr) return;  // stopping, nothing left to do
    const WorkerJob job = worker.job;
    void* const context = worker.context;
    lock.unlock();
    job(context);
    lock.lock();
    worker.job = nullptr;
    worker.changed.notify_all();
  }
}

}  // namespace

Worker::~Worker() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    stopping = true;
  }
  changed.notify_all();
  if (thread.joinable()) thread.join();
}

void StartWorkerJob(Worker& worker, WorkerJob job, void* context) {
  std::unique_lock<std::mutex> lock(worker.mutex);
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
    lock.unlock();
    job(context);
    return;
  }
  worker.job = job;
  worker.context = context;
  worker.changed.notify_all();
}

void FinishJob(Worker& worker) {
  std::unique_lock<std::mutex> lock(worker.mutex);
  worker.changed.wait(lock, [&] { return worker.job == nullptr; });
}

}  // namespace life3d

#include "lumarc/row_worker.h"

#include <utility>

namespace Lumarc {

RowWorker::RowWorker() : thread([this] { Run(); }) {}

RowWorker::~RowWorker() {
  {
    const std::lock_guard lock(mutex);
    stopping = true;
  }
  row_handed.notify_one();
  thread.join();
}

void RowWorker::Begin(std::function<void(std::uint32_t)> row_task) {
  FinishQuietly();
  const std::lock_guard lock(mutex);
  task = std::move(row_task);
  handed = 0;
  finished = 0;
  failure = nullptr;
}

void RowWorker::Hand(std::uint32_t batch) {
  bool wake = false;
  {
    const std::lock_guard lock(mutex);
    if (failure) std::rethrow_exception(failure);
    ++handed;
    wake = handed - finished >= batch;
  }
  if (wake) row_handed.notify_one();
}

void RowWorker::WaitUntilPendingAtMost(std::uint32_t pending) {
  std::unique_lock lock(mutex);
  WaitUntilPendingAtMostLocked(lock, pending);
  if (failure) std::rethrow_exception(failure);
}

// The worker may be asleep on rows fewer than a batch: it is woken before waiting for it.
void RowWorker::WaitUntilPendingAtMostLocked(std::unique_lock<std::mutex>& lock,
                                             std::uint32_t pending) {
  if (handed - finished <= pending) return;
  row_handed.notify_one();
  row_finished.wait(lock, [&] { return handed - finished <= pending; });
}

void RowWorker::Finish() {
  std::unique_lock lock(mutex);
  WaitUntilPendingAtMostLocked(lock, 0);
  task = nullptr;
  if (failure) std::rethrow_exception(std::exchange(failure, nullptr));
}

bool RowWorker::FinishQuietly() noexcept {
  std::unique_lock lock(mutex);
  WaitUntilPendingAtMostLocked(lock, 0);
  task = nullptr;
  return !std::exchange(failure, nullptr);
}

// After a task has failed, the rows still handed over are only counted: the run is lost.
void RowWorker::Run() {
  std::unique_lock lock(mutex);
  for (;;) {
    row_handed.wait(lock, [&] { return stopping || finished < handed; });
    if (stopping) return;
    const std::uint32_t row = finished;
    const bool run = !failure;
    lock.unlock();
    std::exception_ptr raised;
    if (run) {
      try {
        task(row);
      } catch (...) {
        raised = std::current_exception();
      }
    }
    lock.lock();
    if (raised) failure = raised;
    ++finished;
    row_finished.notify_all();
  }
}

}  // namespace Lumarc

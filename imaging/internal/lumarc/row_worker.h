#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace Lumarc {

// A thread of its own that runs one task for row after row, in the order the rows are handed
// over, while the thread that hands them goes on with the next. It lives as long as its owner,
// so a read costs no thread creation. A task's exception is raised on the handing thread at its
// next hand-over or wait, and by Finish; the rows after the failed one are not run.
class RowWorker {
 public:
  RowWorker();
  ~RowWorker();
  RowWorker(const RowWorker&) = delete;
  RowWorker& operator=(const RowWorker&) = delete;

  // Starts a run: rows 0, 1, 2, ... go to task as they are handed over.
  void Begin(std::function<void(std::uint32_t)> task);
  // Hands over the next row. The worker is woken only once `batch` rows wait for it (or by
  // the waits below): waking a sleeping thread costs more than a row's work on small pictures.
  // Raises a task's exception instead, once one has failed.
  void Hand(std::uint32_t batch = 1);
  // Waits until at most `pending` handed rows are unfinished; raises a task's exception.
  void WaitUntilPendingAtMost(std::uint32_t pending);
  // Waits for every handed row and ends the run; raises the first exception a task raised.
  void Finish();
  // As Finish, keeping any exception to itself: for ways out that already carry an error. False
  // where a task failed, so that every row after it was left undone.
  bool FinishQuietly() noexcept;

 private:
  void Run();
  void WaitUntilPendingAtMostLocked(std::unique_lock<std::mutex>& lock, std::uint32_t pending);

  std::mutex mutex;
  std::condition_variable row_handed;
  std::condition_variable row_finished;
  std::function<void(std::uint32_t)> task;
  std::uint32_t handed = 0;
  std::uint32_t finished = 0;
  std::exception_ptr failure;
  bool stopping = false;
  // Last: it starts once everything above exists.
  std::thread thread;
};

}  // namespace Lumarc

#include "interrupt_cleanup.h"

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <iterator>
#include <stdexcept>
#endif

namespace Lumarc::Tools {

#ifdef _WIN32

HeldInterrupts::HeldInterrupts() = default;
HeldInterrupts::~HeldInterrupts() = default;
RemovedOnInterrupt::RemovedOnInterrupt(std::string path) : path_(std::move(path)) {}
RemovedOnInterrupt::~RemovedOnInterrupt() = default;

#else

namespace {

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};
constexpr std::size_t kInterruptCount = std::size(kInterrupts);

// A file replaced while another is being written (as a test may do) needs a slot of its own.
constexpr int kSlotCount = 8;

// What the handler reads. Only lock-free atomics may be touched from a signal handler; the
// strings they point at are set before a slot is filled and outlive it.
static_assert(std::atomic<const char*>::is_always_lock_free);
std::atomic<const char*> guarded_paths[kSlotCount];

// The handler's own bookkeeping, changed only while the signals are held.
int guarded_count = 0;
struct sigaction previous_actions[kInterruptCount];
bool installed[kInterruptCount];

extern "C" void RemoveGuardedFilesAndEnd(int signal_number) {
  for (const auto& slot : guarded_paths) {
    if (const char* path = slot.load()) ::unlink(path);
  }
  // The signal stays blocked until this handler returns, and then ends the program by default.
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

sigset_t InterruptSet() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal_number : kInterrupts) sigaddset(&set, signal_number);
  return set;
}

// A signal already ignored (nohup) or handled by the program is left as it is.
void InstallHandlers() {
  struct sigaction action {};
  action.sa_handler = RemoveGuardedFilesAndEnd;
  action.sa_mask = InterruptSet();  // one handler run is never cut short by another
  for (std::size_t i = 0; i < kInterruptCount; ++i) {
    installed[i] = false;
    if (::sigaction(kInterrupts[i], nullptr, &previous_actions[i]) != 0) continue;
    const bool by_default =
        !(previous_actions[i].sa_flags & SA_SIGINFO) && previous_actions[i].sa_handler == SIG_DFL;
    if (by_default) installed[i] = ::sigaction(kInterrupts[i], &action, nullptr) == 0;
  }
}

void RestoreHandlers() {
  for (std::size_t i = 0; i < kInterruptCount; ++i) {
    if (installed[i]) ::sigaction(kInterrupts[i], &previous_actions[i], nullptr);
  }
}

}  // namespace

HeldInterrupts::HeldInterrupts() {
  const sigset_t set = InterruptSet();
  ::pthread_sigmask(SIG_BLOCK, &set, &previous_mask_);
}

HeldInterrupts::~HeldInterrupts() {
  ::pthread_sigmask(SIG_SETMASK, &previous_mask_, nullptr);
}

RemovedOnInterrupt::RemovedOnInterrupt(std::string path) : path_(std::move(path)) {
  const HeldInterrupts held;
  for (int i = 0; i < kSlotCount; ++i) {
    if (guarded_paths[i].load() == nullptr) {
      slot_ = i;
      break;
    }
  }
  if (slot_ < 0) throw std::runtime_error("too many files are being written at once");
  if (guarded_count++ == 0) InstallHandlers();
  guarded_paths[slot_].store(path_.c_str());
}

RemovedOnInterrupt::~RemovedOnInterrupt() {
  const HeldInterrupts held;
  guarded_paths[slot_].store(nullptr);
  if (--guarded_count == 0) RestoreHandlers();
}

#endif

}  // namespace Lumarc::Tools

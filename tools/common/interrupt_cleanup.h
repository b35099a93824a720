#pragma once

#include <string>

#ifndef _WIN32
#include <signal.h>
#endif

namespace Lumarc::Tools {

// Holds back SIGINT, SIGTERM and SIGHUP for as long as it lives; one that arrives meanwhile is
// delivered when it ends (unless an enclosing one still holds it). Creating or renaming a temporary
// file inside one leaves no moment in which the file exists but the handler does not know its name.
// A no-op on Windows.
class HeldInterrupts {
 public:
  HeldInterrupts();
  ~HeldInterrupts();
  HeldInterrupts(const HeldInterrupts&) = delete;
  HeldInterrupts& operator=(const HeldInterrupts&) = delete;

#ifndef _WIN32
 private:
  sigset_t previous_mask_;
#endif
};

// While one lives, SIGINT, SIGTERM or SIGHUP removes the file `path` and then ends the program
// with that signal's usual status, as if nothing had caught it. A signal that was ignored when
// the first one was made stays ignored, and one the program handles itself stays its own. Meant
// for the single-threaded tools: a handler is process-wide. A no-op on Windows.
class RemovedOnInterrupt {
 public:
  // Raises std::runtime_error when too many files are guarded at once.
  explicit RemovedOnInterrupt(std::string path);
  ~RemovedOnInterrupt();
  RemovedOnInterrupt(const RemovedOnInterrupt&) = delete;
  RemovedOnInterrupt& operator=(const RemovedOnInterrupt&) = delete;

 private:
  std::string path_;  // the handler reads its characters, so it never changes
  int slot_ = -1;
};

}  // namespace Lumarc::Tools

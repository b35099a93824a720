// How long a stand-in runs when a test says so: LUMARC_STAND_IN_SECONDS, a number of seconds
// from 0 to 3600 (fractions allowed). The program then ends exactly that long after it started,
// whether its box is still open or was closed sooner (a headless desktop answers it at once), so
// that a test knows how long the menu has to wait. Without the variable it ends when its box is
// closed.
#pragma once

#include <optional>
#include <thread>

struct RunTime {
  bool valid = true;  // false after a value that is not a time (reported on standard error)
  std::optional<double> seconds;
};

RunTime RunTimeFromEnvironment();

// Ends the process with `status` once `seconds` have passed. A message box runs its own modal
// loop, so the deadline cannot come as a message: it ends the process from a thread of its own.
class EndOfRun {
 public:
  EndOfRun(double seconds, int status);
  EndOfRun(const EndOfRun&) = delete;
  EndOfRun& operator=(const EndOfRun&) = delete;
  // Returns only by ending the process, at the deadline.
  [[noreturn]] void Await();

 private:
  std::thread timer_;
};

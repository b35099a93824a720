#include "run_time.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr double kLongestRun = 3600;

}  // namespace

RunTime RunTimeFromEnvironment() {
  const char* text = std::getenv("LUMARC_STAND_IN_SECONDS");
  if (text == nullptr || *text == '\0') return {};
  char* end = nullptr;
  const double seconds = std::strtod(text, &end);
  if (*end != '\0' || !std::isfinite(seconds) || seconds < 0 || seconds > kLongestRun) {
    std::fprintf(stderr, "LUMARC_STAND_IN_SECONDS=%s is not a number of seconds from 0 to %g\n",
                 text, kLongestRun);
    return {.valid = false, .seconds = std::nullopt};
  }
  return {.valid = true, .seconds = seconds};
}

EndOfRun::EndOfRun(double seconds, int status)
    : timer_([seconds, status] {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        std::fflush(nullptr);
        std::_Exit(status);
      }) {}

void EndOfRun::Await() {
  timer_.join();
  std::abort();  // unreachable: the timer ends the process
}

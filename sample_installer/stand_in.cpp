// A stand-in for one of the installers on the sample disc. A person who clicks an install button
// sees a box saying what a real disc would install there; the program ends when it is closed.
// Tests ask it to note how it was started (action_log.h) and to end by itself (run_time.h).
#include <windows.h>

#include <cstdio>
#include <optional>

#include "action_log.h"
#include "run_time.h"
#include "stand_in_role.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
  const StandInRole& role = ThisStandIn();
  const RunTime run_time = RunTimeFromEnvironment();
  if (!run_time.valid) return 2;

  int status = RecordStart(role.disc_name, command_line) ? 0 : 1;
  std::optional<EndOfRun> end;
  if (run_time.seconds) end.emplace(*run_time.seconds, status);

  if (MessageBoxA(nullptr, role.message, role.caption, MB_OK | MB_ICONINFORMATION) == 0) {
#ifdef _WIN32
    // No box could be shown, or it was taken down unanswered: the message still reaches whoever
    // started the program. Elsewhere the Win32 layer's MessageBoxA has already written it there.
    std::fprintf(stderr, "%s: %s\n", role.caption, role.message);
#endif
    status = 1;
  }
  if (end) end->Await();
  return status;
}

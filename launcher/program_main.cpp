// The startup code's part on hosts whose runtime does not call WinMain. It gives the Win32 layer
// what Windows would find in the program's image and the session (the program's resources, the
// display to show it on), then hands the program its instance and runs it. The command line and
// show command are not used by the menu.
#include <windows.h>

#include "lumarc/launcher_resources.h"
#include "win32compat/display.h"
#include "win32compat/program_resources.h"
#include "win32compat/sdl_backend.h"

int main() {
  win32compat::RegisterProgramResources(LumarcResources::kLauncherResources);
  win32compat::SetDisplayOpener(win32compat::OpenSdlDisplay);
  char no_arguments[] = "";
  return WinMain(GetModuleHandleA(nullptr), nullptr, no_arguments, SW_SHOWNORMAL);
}

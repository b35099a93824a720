// The startup code's part on hosts whose runtime does not call WinMain: it hands the program
// its instance and runs it. The command line and show command are not used by the menu.
#include <windows.h>

int main() {
  char no_arguments[] = "";
  return WinMain(GetModuleHandleA(nullptr), nullptr, no_arguments, SW_SHOWNORMAL);
}

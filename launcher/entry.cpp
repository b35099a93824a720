// The program entry: record the start directory, measure the desktop, build and run the layout
// that fits it.
#include <windows.h>

#include "layouts.h"
#include "start_directory.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous_instance, LPSTR, int) {
  // Emptied first: a directory too long for the buffer leaves it untouched.
  StartDirectoryBuffer()[0] = '\0';
  GetCurrentDirectoryA(kStartDirectoryBufferSize, StartDirectoryBuffer());
  BuildLayoutForDesktop(instance, previous_instance);
  return 1;
}

// The program entry: record the start directory, measure the desktop, build and run the layout
// that fits it.
#include <windows.h>

#include "layouts.h"
#include "start_directory.h"

namespace {

// Only the width chooses: 800 pixels and more take the 800 x 600 pictures, whatever the height.
constexpr LONG kLargeLayoutMinWidth = 800;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous_instance, LPSTR, int) {
  // Emptied first: a directory too long for the buffer leaves it untouched.
  StartDirectoryBuffer()[0] = '\0';
  GetCurrentDirectoryA(kStartDirectoryBufferSize, StartDirectoryBuffer());
  RECT desktop{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  if (desktop.right >= kLargeLayoutMinWidth) {
    BuildLargeLayout(instance, previous_instance);
  } else {
    BuildSmallLayout(instance, previous_instance);
  }
  return 1;
}

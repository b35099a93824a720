// The menu's resources as the Win32 layer on Linux takes them: a table generated at build time
// from the same picture that launcher.rc gives Windows as cursor group 102, which the program
// registers with the layer at start-up.
#pragma once

#include "win32compat/program_resources.h"

namespace LumarcResources {

extern const win32compat::ProgramResources kLauncherResources;

}  // namespace LumarcResources

// The program-wide record of the start directory: the current directory found at entry, the
// root of the disc. It does not change while the program runs.
#pragma once

#include <windows.h>

// MAX_PATH characters, NUL-terminated; empty until the entry reads the current directory.
char* StartDirectoryBuffer();
inline constexpr DWORD kStartDirectoryBufferSize = MAX_PATH;

// The Win32 subset that the menu is written against, for hosts other than Windows. Names, types,
// constants and behaviour follow Win32; win32compat/README.md lists what this layer chooses where
// a host has no Windows counterpart (the window frame, file paths, the desktop).
#pragma once

#include "winbase.h"
#include "windef.h"
#include "wingdi.h"
#include "winuser.h"

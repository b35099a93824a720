// Showing, hiding, maximising and restoring windows, with the messages that go with it.
#pragma once

#include <windows.h>

#include "system.h"

namespace win32compat {

// WM_SIZE with the client size, then WM_MOVE with the client origin.
void SendSizeAndMove(System& system, HWND handle);
// A maximised window fills the screen with its borders just outside it.
void Maximize(System& system, HWND handle);
void Restore(System& system, HWND handle);
// Shows a hidden window (WM_SHOWWINDOW, then a whole-window update region with erase) and, when
// `activate`, raises it above the other windows.
void MakeVisible(System& system, HWND handle, bool activate);
void MakeHidden(System& system, HWND handle);

}  // namespace win32compat

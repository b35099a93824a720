// The fixed non-client frame of this layer's windows: how much of a window's outer rectangle its
// borders and title bar take, and which part of it a screen point falls on.
#pragma once

#include <windows.h>

namespace win32compat {

// Classic Windows metrics, kept fixed so that a window's client area follows from its outer
// size alone: an 800 x 600 captioned window has a 794 x 575 client area.
inline constexpr int kCaptionHeight = 19;    // SM_CYCAPTION, including the line under the title
inline constexpr int kFixedFrameWidth = 3;   // SM_CXFIXEDFRAME: WS_DLGFRAME, part of WS_CAPTION
inline constexpr int kSizingFrameWidth = 4;  // SM_CXSIZEFRAME: WS_THICKFRAME
inline constexpr int kThinBorderWidth = 1;   // SM_CXBORDER: WS_BORDER alone

struct FrameMetrics {
  int border = 0;   // on each of the four sides
  int caption = 0;  // below the top border
};

// Windows gives every overlapped window (neither popup nor child) a caption.
DWORD NormalizeStyle(DWORD style);
FrameMetrics FrameFor(DWORD style);
RECT ClientRectOnScreen(const RECT& outer, DWORD style);
// HTCLIENT, HTCAPTION, HTBORDER or HTNOWHERE.
int HitTest(const RECT& outer, DWORD style, POINT screen);

bool PointInRect(const RECT& rect, POINT point);
bool RectEmpty(const RECT& rect);
RECT IntersectRects(const RECT& a, const RECT& b);
RECT UnionRects(const RECT& a, const RECT& b);

}  // namespace win32compat

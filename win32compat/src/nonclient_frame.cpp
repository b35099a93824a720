#include "nonclient_frame.h"

#include <algorithm>

namespace win32compat {

DWORD NormalizeStyle(DWORD style) {
  if ((style & (WS_POPUP | WS_CHILD)) == 0) style |= WS_CAPTION | WS_CLIPSIBLINGS;
  return style;
}

FrameMetrics FrameFor(DWORD style) {
  FrameMetrics frame;
  if (style & WS_THICKFRAME) {
    frame.border = kSizingFrameWidth;
  } else if (style & WS_DLGFRAME) {
    frame.border = kFixedFrameWidth;
  } else if (style & WS_BORDER) {
    frame.border = kThinBorderWidth;
  }
  if ((style & WS_CAPTION) == WS_CAPTION) frame.caption = kCaptionHeight;
  return frame;
}

RECT ClientRectOnScreen(const RECT& outer, DWORD style) {
  const FrameMetrics frame = FrameFor(style);
  RECT client;
  client.left = outer.left + frame.border;
  client.top = outer.top + frame.border + frame.caption;
  client.right = std::max(client.left, outer.right - frame.border);
  client.bottom = std::max(client.top, outer.bottom - frame.border);
  return client;
}

int HitTest(const RECT& outer, DWORD style, POINT screen) {
  if (!PointInRect(outer, screen)) return HTNOWHERE;
  if (PointInRect(ClientRectOnScreen(outer, style), screen)) return HTCLIENT;
  const FrameMetrics frame = FrameFor(style);
  const bool inside_side_borders =
      screen.x >= outer.left + frame.border && screen.x < outer.right - frame.border;
  const int caption_top = outer.top + frame.border;
  if (inside_side_borders && screen.y >= caption_top && screen.y < caption_top + frame.caption) {
    return HTCAPTION;
  }
  return HTBORDER;
}

bool PointInRect(const RECT& rect, POINT point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
         point.y < rect.bottom;
}

bool RectEmpty(const RECT& rect) {
  return rect.left >= rect.right || rect.top >= rect.bottom;
}

RECT IntersectRects(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  return RectEmpty(r) ? RECT{} : r;
}

RECT UnionRects(const RECT& a, const RECT& b) {
  if (RectEmpty(a)) return b;
  if (RectEmpty(b)) return a;
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

}  // namespace win32compat

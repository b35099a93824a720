// Stock GDI objects and the device contexts handed out by BeginPaint.
#pragma once

#include <windows.h>

#include <map>
#include <optional>

#include "handle_allocator.h"

namespace win32compat {

class GdiObjects {
 public:
  explicit GdiObjects(HandleAllocator& handles) : handles_(handles) {}

  // The stock brushes WHITE_BRUSH to NULL_BRUSH; null for any other object.
  HGDIOBJ Stock(int object);
  // The colour a brush paints with; empty for the null brush and for handles that are no brush.
  std::optional<COLORREF> BrushColour(HBRUSH brush) const;

  // The device context of one BeginPaint: drawing through it stays inside `area` (client
  // coordinates), the part of the window being painted.
  struct PaintDc {
    HWND window = nullptr;
    RECT area{};
    bool background_erased = false;
  };
  HDC OpenPaintDc(HWND window, const RECT& area);
  PaintDc* FindPaintDc(HDC dc);
  void ClosePaintDc(HDC dc) { paint_dcs_.erase(dc); }

 private:
  HandleAllocator& handles_;
  std::map<int, HGDIOBJ> stock_;
  std::map<HDC, PaintDc> paint_dcs_;
};

}  // namespace win32compat

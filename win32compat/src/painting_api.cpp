// Update regions and painting as Windows does them: invalidation marks a window, WM_PAINT is
// made up for it once nothing else is queued (or sent at once by UpdateWindow), and BeginPaint
// validates, erases the background when asked to and hands out a device context clipped to the
// area being painted.
#include <windows.h>

#include "dib_transfer.h"
#include "nonclient_frame.h"
#include "system.h"
#include "update_region.h"

using win32compat::CurrentSystem;
using win32compat::System;
using win32compat::Window;

namespace {

void PaintIfNeeded(System& system, HWND handle) {
  const Window* window = system.windows().Find(handle);
  if (window && window->visible && window->update_pending) {
    system.Send(handle, WM_PAINT, 0, 0);
  }
}

template <typename Change>
BOOL ChangeUpdateRegion(HWND handle, Change change) {
  System& system = CurrentSystem();
  if (!handle) {
    for (HWND each : system.windows().ZOrder()) change(*system.windows().Find(each));
    return TRUE;
  }
  Window* window = system.windows().Find(handle);
  if (!window) return system.Fail(ERROR_INVALID_WINDOW_HANDLE, FALSE);
  change(*window);
  return TRUE;
}

// Every other pixel of a strip of the outline: those whose x + y has the parity `dotted` (0 or
// 1). Only the part being painted changes.
void InvertDottedStrip(System& system, const win32compat::GdiObjects::PaintDc& paint,
                       const RECT& strip, LONG dotted) {
  const RECT visible = win32compat::IntersectRects(strip, paint.area);
  for (LONG y = visible.top; y < visible.bottom; ++y) {
    for (LONG x = visible.left + (((visible.left ^ y) & 1) ^ dotted); x < visible.right; x += 2) {
      system.backend().InvertClient(paint.window, RECT{x, y, x + 1, y + 1});
    }
  }
}

}  // namespace

extern "C" {

// Regions and the frame are not part of this layer: `region` is ignored (a null `update` means
// the whole client area) and RDW_FRAME and RDW_INTERNALPAINT change nothing.
BOOL WINAPI RedrawWindow(HWND handle, const RECT* update, HRGN, UINT flags) {
  System& system = CurrentSystem();
  if (!handle) return TRUE;
  Window* window = system.windows().Find(handle);
  if (!window) return system.Fail(ERROR_INVALID_WINDOW_HANDLE, FALSE);
  if (flags & RDW_INVALIDATE) win32compat::Invalidate(*window, update, (flags & RDW_ERASE) != 0);
  if (flags & RDW_VALIDATE) win32compat::Validate(*window, update);
  if (flags & RDW_NOERASE) window->erase_pending = false;
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) PaintIfNeeded(system, handle);
  return TRUE;
}

BOOL WINAPI InvalidateRect(HWND handle, const RECT* rect, BOOL erase) {
  return ChangeUpdateRegion(handle,
                            [&](Window& window) { win32compat::Invalidate(window, rect, erase); });
}

BOOL WINAPI ValidateRect(HWND handle, const RECT* rect) {
  return ChangeUpdateRegion(handle, [&](Window& window) { win32compat::Validate(window, rect); });
}

BOOL WINAPI GetUpdateRect(HWND handle, LPRECT rect, BOOL) {
  System& system = CurrentSystem();
  const Window* window = system.windows().Find(handle);
  if (!window) return system.Fail(ERROR_INVALID_WINDOW_HANDLE, FALSE);
  if (rect) *rect = window->update_pending ? window->update : RECT{};
  return window->update_pending;
}

BOOL WINAPI UpdateWindow(HWND handle) {
  System& system = CurrentSystem();
  if (!system.windows().Find(handle)) return system.Fail(ERROR_INVALID_WINDOW_HANDLE, FALSE);
  PaintIfNeeded(system, handle);
  return TRUE;
}

HDC WINAPI BeginPaint(HWND handle, LPPAINTSTRUCT paint) {
  System& system = CurrentSystem();
  Window* window = system.windows().Find(handle);
  if (!window || !paint) return system.Fail(ERROR_INVALID_WINDOW_HANDLE, HDC{});
  const bool erase = window->erase_pending;
  *paint = PAINTSTRUCT{};
  paint->rcPaint = window->update_pending ? window->update : RECT{};
  win32compat::Validate(*window, nullptr);
  paint->hdc = system.gdi().OpenPaintDc(handle, paint->rcPaint);
  if (erase) {
    const bool erased =
        system.Send(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0) != 0;
    paint->fErase = !erased;
    if (auto* dc = system.gdi().FindPaintDc(paint->hdc)) dc->background_erased = erased;
  }
  return paint->hdc;
}

BOOL WINAPI EndPaint(HWND handle, const PAINTSTRUCT* paint) {
  System& system = CurrentSystem();
  if (!paint) return FALSE;
  const auto* dc = system.gdi().FindPaintDc(paint->hdc);
  if (!dc || dc->window != handle) return FALSE;
  system.backend().FinishPaint(
      win32compat::PaintView{handle, paint->rcPaint, dc->background_erased});
  system.gdi().ClosePaintDc(paint->hdc);
  return TRUE;
}

int WINAPI FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  System& system = CurrentSystem();
  const auto* paint = system.gdi().FindPaintDc(dc);
  const auto colour = system.gdi().BrushColour(brush);
  if (!paint || !rect || !colour) return 0;
  const RECT area = win32compat::IntersectRects(*rect, paint->area);
  if (!win32compat::RectEmpty(area)) system.backend().FillClient(paint->window, area, *colour);
  return 1;
}

// The outline's four strips, each pixel once. The dots are counted from the outline's top-right
// pixel, which is inverted, as Wine draws them: a dotted pen run round the outline from there.
// Parities are taken bit by bit and the comparisons avoid subtracting coordinates, which could
// overflow for a rectangle spanning the whole coordinate range.
BOOL WINAPI DrawFocusRect(HDC dc, const RECT* rect) {
  System& system = CurrentSystem();
  const auto* paint = system.gdi().FindPaintDc(dc);
  if (!paint || !rect) return FALSE;
  const RECT& r = *rect;
  if (r.right <= r.left || r.bottom <= r.top) return TRUE;
  const LONG dotted = ((r.right - 1) ^ r.top) & 1;
  InvertDottedStrip(system, *paint, RECT{r.left, r.top, r.right, r.top + 1}, dotted);
  if (r.bottom - 1 == r.top) return TRUE;
  InvertDottedStrip(system, *paint, RECT{r.left, r.bottom - 1, r.right, r.bottom}, dotted);
  if (r.bottom - 1 == r.top + 1) return TRUE;
  InvertDottedStrip(system, *paint, RECT{r.left, r.top + 1, r.left + 1, r.bottom - 1}, dotted);
  if (r.right - 1 != r.left) {
    InvertDottedStrip(system, *paint, RECT{r.right - 1, r.top + 1, r.right, r.bottom - 1},
                      dotted);
  }
  return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int object) {
  return CurrentSystem().gdi().Stock(object);
}

int WINAPI SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc,
                             int ySrc, UINT startScan, UINT scanLines, const void* bits,
                             const BITMAPINFO* info, UINT colourUse) {
  System& system = CurrentSystem();
  const auto* paint = system.gdi().FindPaintDc(dc);
  if (!paint || colourUse != DIB_RGB_COLORS) return 0;
  const win32compat::DibTransfer transfer{xDest, yDest,     width,     height, xSrc,
                                          ySrc,  startScan, scanLines, bits,   info};
  const auto converted = win32compat::ConvertDib(transfer, paint->area);
  if (!converted) return 0;
  if (!converted->pixels.empty()) {
    system.backend().DrawClient(paint->window, converted->area, converted->pixels);
  }
  return static_cast<int>(scanLines);
}

}  // extern "C"

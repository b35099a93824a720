// The pixels a SetDIBitsToDevice call puts on a window: the part of the destination rectangle
// that the DIB (and the band of scan lines given) supplies, as colours.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

namespace win32compat {

struct DibTransfer {
  int dest_x = 0;
  int dest_y = 0;
  DWORD width = 0;
  DWORD height = 0;
  int src_x = 0;
  int src_y = 0;  // from the DIB's bottom row for a bottom-up DIB, as in GDI
  UINT start_scan = 0;
  UINT scan_lines = 0;
  const void* bits = nullptr;  // scan_lines scan lines, the first being scan line start_scan
  const BITMAPINFO* info = nullptr;
};

struct DibPixels {
  RECT area{};                   // destination coordinates
  std::vector<COLORREF> pixels;  // area's pixels row by row from the top
};

// Empty for a DIB format outside the supported ones (see SetDIBitsToDevice). Only the part of
// the destination inside `clip` is converted; the area may be empty.
std::optional<DibPixels> ConvertDib(const DibTransfer& transfer, const RECT& clip);

}  // namespace win32compat

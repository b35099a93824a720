// The pixels of one SDL window, kept by the backend so that a window can be shown again without
// asking the program: the frame the layer draws and the client area the program painted.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

struct SDL_Surface;

namespace win32compat {

// SDL's XRGB8888 (SDL_PIXELFORMAT_RGB888): 0x00RRGGBB, where a COLORREF is 0x00BBGGRR.
constexpr std::uint32_t PixelFromColour(COLORREF colour) {
  return (colour & 0xFFu) << 16 | (colour & 0xFF00u) | (colour >> 16 & 0xFFu);
}

constexpr std::uint32_t PixelFromRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return std::uint32_t{red} << 16 | std::uint32_t{green} << 8 | blue;
}

class SdlPixelBuffer {
 public:
  // All black.
  void Resize(int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Both clip to `clip` and to the buffer; all rectangles are in buffer coordinates.
  // `colours` (COLORREFs) are `area` wide, row by row from its top.
  void Fill(const RECT& area, std::uint32_t pixel, const RECT& clip);
  void Draw(const RECT& area, const std::vector<COLORREF>& colours, const RECT& clip);
  // Each pixel becomes its inverse colour.
  void Invert(const RECT& area, const RECT& clip);

  // A surface over these pixels, for SDL to blit from or onto; null when SDL refuses. The
  // caller frees it (SDL_FreeSurface) before the buffer changes size.
  SDL_Surface* WrapAsSurface();

 private:
  RECT Visible(const RECT& area, const RECT& clip) const;

  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;  // rows top-down
};

}  // namespace win32compat

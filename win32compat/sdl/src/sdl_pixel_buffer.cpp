#include "sdl_pixel_buffer.h"

#include <SDL.h>

#include <algorithm>

namespace win32compat {

void SdlPixelBuffer::Resize(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  pixels_.assign(static_cast<std::size_t>(width_) * height_, 0);
}

RECT SdlPixelBuffer::Visible(const RECT& area, const RECT& clip) const {
  return RECT{std::max({area.left, clip.left, LONG{0}}), std::max({area.top, clip.top, LONG{0}}),
              std::min({area.right, clip.right, LONG{width_}}),
              std::min({area.bottom, clip.bottom, LONG{height_}})};
}

void SdlPixelBuffer::Fill(const RECT& area, std::uint32_t pixel, const RECT& clip) {
  const RECT visible = Visible(area, clip);
  for (LONG y = visible.top; y < visible.bottom; ++y) {
    for (LONG x = visible.left; x < visible.right; ++x) {
      pixels_[static_cast<std::size_t>(y) * width_ + x] = pixel;
    }
  }
}

void SdlPixelBuffer::Draw(const RECT& area, const std::vector<COLORREF>& colours,
                          const RECT& clip) {
  const RECT visible = Visible(area, clip);
  const auto area_width = static_cast<std::size_t>(area.right - area.left);
  for (LONG y = visible.top; y < visible.bottom; ++y) {
    for (LONG x = visible.left; x < visible.right; ++x) {
      const std::size_t from = static_cast<std::size_t>(y - area.top) * area_width +
                               static_cast<std::size_t>(x - area.left);
      if (from >= colours.size()) return;  // a short picture leaves the rest as it was
      pixels_[static_cast<std::size_t>(y) * width_ + x] = PixelFromColour(colours[from]);
    }
  }
}

void SdlPixelBuffer::Invert(const RECT& area, const RECT& clip) {
  const RECT visible = Visible(area, clip);
  for (LONG y = visible.top; y < visible.bottom; ++y) {
    for (LONG x = visible.left; x < visible.right; ++x) {
      pixels_[static_cast<std::size_t>(y) * width_ + x] ^= 0x00FFFFFFu;
    }
  }
}

SDL_Surface* SdlPixelBuffer::WrapAsSurface() {
  if (pixels_.empty()) return nullptr;
  return SDL_CreateRGBSurfaceWithFormatFrom(pixels_.data(), width_, height_, 32, width_ * 4,
                                            SDL_PIXELFORMAT_RGB888);
}

}  // namespace win32compat

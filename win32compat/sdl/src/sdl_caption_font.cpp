#include "sdl_caption_font.h"

#include <SDL.h>

#include <utility>

#include "sdl_pixel_buffer.h"

namespace win32compat {
namespace {

// Debian's fonts-dejavu-core.
constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
// About the height of the classic 8-point bold caption text in an 18-pixel bar.
constexpr int kFontPixels = 12;

}  // namespace

std::unique_ptr<SdlCaptionFont> SdlCaptionFont::Open() {
  std::unique_ptr<SdlFont> font = SdlFont::Open(kFontFile, kFontPixels);
  if (!font) return nullptr;
  return std::unique_ptr<SdlCaptionFont>(new SdlCaptionFont(std::move(font)));
}

void SdlCaptionFont::Draw(SDL_Surface* target, int left, int top, int width, int height,
                          const std::string& utf8) const {
  if (!target || utf8.empty() || width <= 0 || height <= 0) return;
  const SDL_Rect bar{left, top, width, height};
  SDL_SetClipRect(target, &bar);
  font_->Draw(target, left, top + (height - font_->Height()) / 2, utf8,
              PixelFromRgb(255, 255, 255));
  SDL_SetClipRect(target, nullptr);
}

}  // namespace win32compat

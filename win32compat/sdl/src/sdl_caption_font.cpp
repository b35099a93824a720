#include "sdl_caption_font.h"

#include <SDL.h>
#include <SDL_ttf.h>

namespace win32compat {
namespace {

// Debian's fonts-dejavu-core.
constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
// At SDL_ttf's 72 dots an inch a point is a pixel: about the height of the classic 8-point
// bold caption text in an 18-pixel bar.
constexpr int kFontPixels = 12;

}  // namespace

std::unique_ptr<SdlCaptionFont> SdlCaptionFont::Open() {
  if (TTF_Init() != 0) return nullptr;
  TTF_Font* font = TTF_OpenFont(kFontFile, kFontPixels);
  if (!font) {
    TTF_Quit();
    return nullptr;
  }
  return std::unique_ptr<SdlCaptionFont>(new SdlCaptionFont(font));
}

SdlCaptionFont::~SdlCaptionFont() {
  TTF_CloseFont(font_);
  TTF_Quit();
}

void SdlCaptionFont::Draw(SDL_Surface* target, int left, int top, int width, int height,
                          const std::string& utf8) const {
  if (!target || utf8.empty() || width <= 0 || height <= 0) return;
  SDL_Surface* text = TTF_RenderUTF8_Blended(font_, utf8.c_str(), SDL_Color{255, 255, 255, 255});
  if (!text) return;
  const SDL_Rect bar{left, top, width, height};
  SDL_SetClipRect(target, &bar);
  SDL_Rect place{left, top + (height - text->h) / 2, text->w, text->h};
  SDL_BlitSurface(text, nullptr, target, &place);
  SDL_SetClipRect(target, nullptr);
  SDL_FreeSurface(text);
}

}  // namespace win32compat

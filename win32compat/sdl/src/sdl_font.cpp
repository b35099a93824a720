#include "sdl_font.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <string>

namespace win32compat {

std::unique_ptr<SdlFont> SdlFont::Open(const char* file, int pixels) {
  if (TTF_Init() != 0) return nullptr;
  TTF_Font* font = TTF_OpenFont(file, pixels);
  if (!font) {
    TTF_Quit();
    return nullptr;
  }
  return std::unique_ptr<SdlFont>(new SdlFont(font));
}

SdlFont::~SdlFont() {
  TTF_CloseFont(font_);
  TTF_Quit();
}

int SdlFont::Width(std::string_view utf8) const {
  int width = 0;
  int height = 0;
  if (utf8.empty() || TTF_SizeUTF8(font_, std::string(utf8).c_str(), &width, &height) != 0) {
    return 0;
  }
  return width;
}

int SdlFont::Height() const {
  return TTF_FontHeight(font_);
}

int SdlFont::LineHeight() const {
  return TTF_FontLineSkip(font_);
}

void SdlFont::Draw(SDL_Surface* target, int x, int y, std::string_view utf8,
                   std::uint32_t pixel) const {
  if (!target || utf8.empty()) return;
  const SDL_Color colour{static_cast<Uint8>(pixel >> 16), static_cast<Uint8>(pixel >> 8),
                         static_cast<Uint8>(pixel), 255};
  SDL_Surface* text = TTF_RenderUTF8_Blended(font_, std::string(utf8).c_str(), colour);
  if (!text) return;
  SDL_Rect place{x, y, text->w, text->h};
  SDL_BlitSurface(text, nullptr, target, &place);
  SDL_FreeSurface(text);
}

}  // namespace win32compat

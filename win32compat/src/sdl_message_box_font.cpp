#include "sdl_message_box_font.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <string>

namespace win32compat {
namespace {

// Debian's fonts-dejavu-core, beside the caption bar's bold face.
constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
// At SDL_ttf's 72 dots an inch a point is a pixel: the size of the classic 8-point dialog text.
constexpr int kFontPixels = 12;

}  // namespace

std::unique_ptr<SdlMessageBoxFont> SdlMessageBoxFont::Open() {
  if (TTF_Init() != 0) return nullptr;
  TTF_Font* font = TTF_OpenFont(kFontFile, kFontPixels);
  if (!font) {
    TTF_Quit();
    return nullptr;
  }
  return std::unique_ptr<SdlMessageBoxFont>(new SdlMessageBoxFont(font));
}

SdlMessageBoxFont::~SdlMessageBoxFont() {
  TTF_CloseFont(font_);
  TTF_Quit();
}

int SdlMessageBoxFont::Width(std::string_view utf8) const {
  if (utf8.empty()) return 0;
  int width = 0;
  int height = 0;
  if (TTF_SizeUTF8(font_, std::string(utf8).c_str(), &width, &height) != 0) return 0;
  return width;
}

int SdlMessageBoxFont::LineHeight() const {
  return TTF_FontLineSkip(font_);
}

void SdlMessageBoxFont::Draw(SDL_Surface* target, int x, int y, std::string_view utf8,
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

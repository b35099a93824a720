// A TrueType font through SDL_ttf, for the text the backend draws itself: the title bars and
// the message boxes, both in DejaVu Sans (Debian's fonts-dejavu-core).
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

struct SDL_Surface;
struct _TTF_Font;

namespace win32compat {

class SdlFont {
 public:
  // At SDL_ttf's 72 dots an inch a point is a pixel. Null when SDL_ttf cannot start or the font
  // file is missing (SDL_GetError says which).
  static std::unique_ptr<SdlFont> Open(const char* file, int pixels);
  ~SdlFont();
  SdlFont(const SdlFont&) = delete;
  SdlFont& operator=(const SdlFont&) = delete;

  int Width(std::string_view utf8) const;
  // The height of a line of text as drawn, and the distance from one line to the next.
  int Height() const;
  int LineHeight() const;
  // Draws `utf8` in `pixel` (0x00RRGGBB) with its top left at (x, y).
  void Draw(SDL_Surface* target, int x, int y, std::string_view utf8, std::uint32_t pixel) const;

 private:
  explicit SdlFont(_TTF_Font* font) : font_(font) {}

  _TTF_Font* font_;
};

}  // namespace win32compat

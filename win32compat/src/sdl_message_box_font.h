// The text of message boxes and their buttons: DejaVu Sans (the caption bar's family, in its
// regular weight) through SDL_ttf. A box cannot be shown without it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct SDL_Surface;
struct _TTF_Font;

namespace win32compat {

class SdlMessageBoxFont {
 public:
  // Null when SDL_ttf cannot start or the font file is missing (SDL_GetError says which).
  static std::unique_ptr<SdlMessageBoxFont> Open();
  ~SdlMessageBoxFont();
  SdlMessageBoxFont(const SdlMessageBoxFont&) = delete;
  SdlMessageBoxFont& operator=(const SdlMessageBoxFont&) = delete;

  int Width(std::string_view utf8) const;
  int LineHeight() const;
  // Draws `utf8` in `pixel` (0x00RRGGBB) with its top left at (x, y).
  void Draw(SDL_Surface* target, int x, int y, std::string_view utf8, std::uint32_t pixel) const;

 private:
  explicit SdlMessageBoxFont(_TTF_Font* font) : font_(font) {}

  _TTF_Font* font_;
};

}  // namespace win32compat

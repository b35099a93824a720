// The title bar's text, drawn with SDL_ttf in a bold sans-serif font. Without the font a title
// bar is a plain bar; the window's name still carries the title.
#pragma once

#include <memory>
#include <string>

#include "sdl_font.h"

struct SDL_Surface;

namespace win32compat {

class SdlCaptionFont {
 public:
  // Null when SDL_ttf cannot start or the font file is missing.
  static std::unique_ptr<SdlCaptionFont> Open();

  // The width of `utf8` in the bar.
  int Width(const std::string& utf8) const { return font_->Width(utf8); }
  // Draws `utf8` in white onto `target`, left-aligned and vertically centred in the bar at
  // (left, top) of the given size, cut at the bar's edges.
  void Draw(SDL_Surface* target, int left, int top, int width, int height,
            const std::string& utf8) const;

 private:
  explicit SdlCaptionFont(std::unique_ptr<SdlFont> font) : font_(std::move(font)) {}

  std::unique_ptr<SdlFont> font_;
};

}  // namespace win32compat

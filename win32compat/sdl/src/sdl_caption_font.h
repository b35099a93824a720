// The title bar's text, drawn with SDL_ttf in a bold sans-serif font. Without the font a title
// bar is a plain bar; the window's name still carries the title.
#pragma once

#include <memory>
#include <string>

struct SDL_Surface;
struct _TTF_Font;

namespace win32compat {

class SdlCaptionFont {
 public:
  // Null when SDL_ttf cannot start or the font file is missing.
  static std::unique_ptr<SdlCaptionFont> Open();
  ~SdlCaptionFont();
  SdlCaptionFont(const SdlCaptionFont&) = delete;
  SdlCaptionFont& operator=(const SdlCaptionFont&) = delete;

  // Draws `utf8` in white onto `target`, left-aligned and vertically centred in the bar at
  // (left, top) of the given size, cut at the bar's edges.
  void Draw(SDL_Surface* target, int left, int top, int width, int height,
            const std::string& utf8) const;

 private:
  explicit SdlCaptionFont(_TTF_Font* font) : font_(font) {}

  _TTF_Font* font_;
};

}  // namespace win32compat

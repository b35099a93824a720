#include "sdl_window_frame.h"

#include <SDL.h>

#include "nonclient_frame.h"
#include "sdl_caption_font.h"

namespace win32compat {
namespace {

constexpr std::uint32_t kFace = PixelFromRgb(192, 192, 192);
constexpr std::uint32_t kHighlight = PixelFromRgb(255, 255, 255);
constexpr std::uint32_t kShadow = PixelFromRgb(128, 128, 128);
constexpr std::uint32_t kDarkShadow = PixelFromRgb(0, 0, 0);
constexpr std::uint32_t kCaption = PixelFromRgb(0, 0, 128);
constexpr int kTextIndent = 3;  // pixels between the bar's left end and the title

// One line of an edge: light on the top and left, dark on the bottom and right, `inset`
// pixels in from the buffer's edge.
void DrawEdgeLine(SdlPixelBuffer& buffer, int inset, std::uint32_t light, std::uint32_t dark) {
  const LONG left = inset;
  const LONG top = inset;
  const LONG right = buffer.Width() - inset;
  const LONG bottom = buffer.Height() - inset;
  const RECT all{0, 0, buffer.Width(), buffer.Height()};
  buffer.Fill(RECT{left, top, right, top + 1}, light, all);
  buffer.Fill(RECT{left, top, left + 1, bottom}, light, all);
  buffer.Fill(RECT{left, bottom - 1, right, bottom}, dark, all);
  buffer.Fill(RECT{right - 1, top, right, bottom}, dark, all);
}

void DrawBorder(SdlPixelBuffer& buffer, int width) {
  if (width == 1) {
    DrawEdgeLine(buffer, 0, kDarkShadow, kDarkShadow);
    return;
  }
  for (int inset = 2; inset < width; ++inset) DrawEdgeLine(buffer, inset, kFace, kFace);
  DrawEdgeLine(buffer, 0, kFace, kDarkShadow);
  DrawEdgeLine(buffer, 1, kHighlight, kShadow);
}

void DrawTitleBar(SdlPixelBuffer& buffer, const FrameMetrics& frame, const std::string& title,
                  const SdlCaptionFont* font) {
  const RECT all{0, 0, buffer.Width(), buffer.Height()};
  const LONG left = frame.border;
  const LONG right = buffer.Width() - frame.border;
  const LONG top = frame.border;
  const LONG bar_bottom = top + frame.caption - 1;  // the caption's last line separates it
  buffer.Fill(RECT{left, top, right, bar_bottom}, kCaption, all);
  buffer.Fill(RECT{left, bar_bottom, right, bar_bottom + 1}, kFace, all);
  if (!font) return;
  SDL_Surface* surface = buffer.WrapAsSurface();
  font->Draw(surface, left + kTextIndent, top, right - left - 2 * kTextIndent, bar_bottom - top,
             title);
  SDL_FreeSurface(surface);
}

}  // namespace

void DrawWindowFrame(SdlPixelBuffer& buffer, DWORD style, const std::string& utf8_title,
                     const SdlCaptionFont* font) {
  const FrameMetrics frame = FrameFor(NormalizeStyle(style));
  if (frame.border > 0) DrawBorder(buffer, frame.border);
  if (frame.caption > 0) DrawTitleBar(buffer, frame, utf8_title, font);
}

}  // namespace win32compat

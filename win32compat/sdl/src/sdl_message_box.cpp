#include "sdl_message_box.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "nonclient_frame.h"
#include "sdl_ansi_text.h"
#include "sdl_caption_font.h"
#include "sdl_display_loss.h"
#include "sdl_font.h"
#include "sdl_keys.h"
#include "sdl_message_box_controls.h"
#include "sdl_message_box_icon.h"
#include "sdl_message_box_layout.h"
#include "sdl_pixel_buffer.h"
#include "sdl_window.h"

namespace win32compat {
namespace {

// The text in DejaVu Sans, the caption bar's family in its regular weight, at the size of the
// classic 8-point dialog text.
constexpr const char* kTextFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int kTextFontPixels = 12;
constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr std::uint32_t kFace = PixelFromRgb(192, 192, 192);
constexpr std::uint32_t kHighlight = PixelFromRgb(255, 255, 255);
constexpr std::uint32_t kShadow = PixelFromRgb(128, 128, 128);
constexpr std::uint32_t kDarkShadow = PixelFromRgb(0, 0, 0);
constexpr std::uint32_t kText = PixelFromRgb(0, 0, 0);

void Frame(SdlPixelBuffer& buffer, RECT r, std::uint32_t top_left, std::uint32_t bottom_right) {
  const RECT all{0, 0, buffer.Width(), buffer.Height()};
  buffer.Fill(RECT{r.left, r.top, r.right, r.top + 1}, top_left, all);
  buffer.Fill(RECT{r.left, r.top, r.left + 1, r.bottom}, top_left, all);
  buffer.Fill(RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottom_right, all);
  buffer.Fill(RECT{r.right - 1, r.top, r.right, r.bottom}, bottom_right, all);
}

RECT Inset(const RECT& r, LONG by) {
  return RECT{r.left + by, r.top + by, r.right - by, r.bottom - by};
}

// The dotted rectangle of the focused button.
void FocusDots(SdlPixelBuffer& buffer, const RECT& r) {
  const RECT all{0, 0, buffer.Width(), buffer.Height()};
  for (LONG x = r.left; x < r.right; x += 2) {
    buffer.Fill(RECT{x, r.top, x + 1, r.top + 1}, kText, all);
    buffer.Fill(RECT{x, r.bottom - 1, x + 1, r.bottom}, kText, all);
  }
  for (LONG y = r.top; y < r.bottom; y += 2) {
    buffer.Fill(RECT{r.left, y, r.left + 1, y + 1}, kText, all);
    buffer.Fill(RECT{r.right - 1, y, r.right, y + 1}, kText, all);
  }
}

class MessageBoxWindow {
 public:
  MessageBoxWindow(const MessageBoxRequest& request, const SdlMessageBoxPlace& place,
                   const SdlFont& font)
      : style_(request.style), font_(font), controls_(request.style) {
    const std::string caption = AnsiToUtf8(request.caption);
    MessageBoxContent content;
    content.utf8_text = AnsiToUtf8(request.text);
    content.has_icon = HasMessageBoxIcon(style_);
    content.button_count = controls_.Buttons().size();
    content.caption_width =
        place.caption_font ? place.caption_font->Width(caption) : font.Width(caption);
    content.line_height = font.LineHeight();
    layout_ = LayOutMessageBox(content, place.screen,
                               [&](std::string_view text) { return font.Width(text); });
    view_.title = request.caption;
    view_.owner = request.owner;
    view_.style = kBoxStyle;
    view_.visible = true;
    view_.outer = OuterRect(place);
    view_.client = ClientRectOnScreen(view_.outer, kBoxStyle);
    window_ = SdlWindow::Create(view_, place.caption_font);
    if (window_) Paint();
  }

  bool Shown() const { return window_ != nullptr; }
  SDL_Window* Handle() const { return window_->Handle(); }
  unsigned int SdlId() const { return window_->SdlId(); }

  // The answer, once the event gives one.
  std::optional<int> Take(const SDL_Event& event) {
    const std::optional<std::size_t> pushed = controls_.Pushed();
    const std::size_t focus = controls_.Focus();
    const std::optional<int> answer = Answer(event);
    if (!answer && (controls_.Pushed() != pushed || controls_.Focus() != focus)) Paint();
    return answer;
  }

  void Present() { window_->Present(); }

 private:
  RECT OuterRect(const SdlMessageBoxPlace& place) const {
    const FrameMetrics frame = FrameFor(kBoxStyle);
    const LONG width = layout_.client.cx + 2 * frame.border;
    const LONG height = layout_.client.cy + 2 * frame.border + frame.caption;
    const RECT around = place.owner.value_or(RECT{0, 0, place.screen.cx, place.screen.cy});
    const LONG left = std::clamp<LONG>((around.left + around.right - width) / 2, 0,
                                       std::max<LONG>(place.screen.cx - width, 0));
    const LONG top = std::clamp<LONG>((around.top + around.bottom - height) / 2, 0,
                                      std::max<LONG>(place.screen.cy - height, 0));
    return RECT{left, top, left + width, top + height};
  }

  std::optional<std::size_t> ButtonAt(int window_x, int window_y) const {
    const POINT client{window_x - (view_.client.left - view_.outer.left),
                       window_y - (view_.client.top - view_.outer.top)};
    for (std::size_t i = 0; i < layout_.buttons.size(); ++i) {
      if (PointInRect(layout_.buttons[i], client)) return i;
    }
    return std::nullopt;
  }

  std::optional<int> Answer(const SDL_Event& event) {
    switch (event.type) {
      // The box has the keyboard, whichever of the program's windows X gave the key to.
      case SDL_KEYDOWN:
        return controls_.KeyDown(VirtualKeyOf(event.key.keysym.sym),
                                 (event.key.keysym.mod & KMOD_SHIFT) != 0,
                                 (event.key.keysym.mod & KMOD_ALT) != 0);
      case SDL_KEYUP:
        return controls_.KeyUp(VirtualKeyOf(event.key.keysym.sym));
      case SDL_MOUSEBUTTONDOWN:
        if (event.button.windowID == SdlId() && event.button.button == SDL_BUTTON_LEFT) {
          controls_.ButtonDown(ButtonAt(event.button.x, event.button.y));
        }
        return std::nullopt;
      case SDL_MOUSEMOTION:
        if (event.motion.windowID == SdlId()) {
          controls_.PointerOver(ButtonAt(event.motion.x, event.motion.y));
        }
        return std::nullopt;
      case SDL_MOUSEBUTTONUP:
        if (event.button.windowID == SdlId() && event.button.button == SDL_BUTTON_LEFT) {
          return controls_.ButtonUp(ButtonAt(event.button.x, event.button.y));
        }
        return std::nullopt;
      case SDL_WINDOWEVENT:
        if (event.window.windowID == SdlId() && event.window.event == SDL_WINDOWEVENT_CLOSE) {
          return controls_.Close();
        }
        return std::nullopt;
      default:
        return std::nullopt;
    }
  }

  void Paint() {
    SdlPixelBuffer client;
    client.Resize(layout_.client.cx, layout_.client.cy);
    const RECT all{0, 0, client.Width(), client.Height()};
    client.Fill(all, kFace, all);
    if (HasMessageBoxIcon(style_)) DrawMessageBoxIcon(client, layout_.icon, style_, kFace);
    SDL_Surface* surface = client.WrapAsSurface();
    int y = layout_.text.y;
    for (const std::string& line : layout_.lines) {
      font_.Draw(surface, layout_.text.x, y, line, kText);
      y += layout_.line_height;
    }
    for (std::size_t i = 0; i < layout_.buttons.size(); ++i) PaintButton(client, surface, i);
    window_->DrawClient(RECT{0, 0, layout_.client.cx, layout_.client.cy}, Colours(surface));
    SDL_FreeSurface(surface);
    window_->Present();
  }

  // Classic push buttons: raised, or sunk while pushed; the focused one is the default, with a
  // black outline and a dotted focus rectangle.
  void PaintButton(SdlPixelBuffer& client, SDL_Surface* surface, std::size_t index) {
    const MessageBoxButton& button = controls_.Buttons()[index];
    RECT r = layout_.buttons[index];
    const bool focused = controls_.Focus() == index;
    const bool pushed = controls_.Pushed() == index;
    if (focused) {
      Frame(client, r, kDarkShadow, kDarkShadow);
      r = Inset(r, 1);
    }
    if (pushed) {
      Frame(client, r, kShadow, kShadow);
    } else {
      Frame(client, r, kHighlight, kDarkShadow);
      Frame(client, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, kFace, kShadow);
    }
    const int shift = pushed ? 1 : 0;
    const int width = font_.Width(button.label);
    const int x = static_cast<int>(r.left + r.right - width) / 2 + shift;
    const int y = static_cast<int>(r.top + r.bottom - layout_.line_height) / 2 + shift;
    font_.Draw(surface, x, y, button.label, kText);
    if (button.access_key != 0) {
      const int underline_y = y + layout_.line_height - 2;
      client.Fill(
          RECT{x, underline_y, x + font_.Width(std::string(1, button.label[0])), underline_y + 1},
          kText, RECT{r.left, r.top, r.right, r.bottom});
    }
    if (focused) FocusDots(client, Inset(r, 3));
  }

  static std::vector<COLORREF> Colours(SDL_Surface* surface) {
    std::vector<COLORREF> colours;
    if (!surface) return colours;
    colours.reserve(static_cast<std::size_t>(surface->w) * surface->h);
    for (int y = 0; y < surface->h; ++y) {
      const auto* row =
          reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(surface->pixels) +
                                                 static_cast<std::ptrdiff_t>(y) * surface->pitch);
      for (int x = 0; x < surface->w; ++x) {
        const std::uint32_t pixel = row[x];
        colours.push_back(RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF));
      }
    }
    return colours;
  }

  UINT style_;
  const SdlFont& font_;
  MessageBoxControls controls_;
  MessageBoxLayout layout_;
  WindowView view_;
  std::unique_ptr<SdlWindow> window_;
};

int CannotShow(const char* why) {
  std::fprintf(stderr, "A message box cannot be shown: %s\n", why);
  return 0;
}

}  // namespace

int ShowSdlMessageBox(const MessageBoxRequest& request, const SdlMessageBoxPlace& place) {
  const std::unique_ptr<SdlFont> font = SdlFont::Open(kTextFontFile, kTextFontPixels);
  if (!font) return CannotShow(SDL_GetError());
  MessageBoxWindow box(request, place, *font);
  if (!box.Shown()) return CannotShow(SDL_GetError());
  SDL_RaiseWindow(box.Handle());
  SDL_Event event;
  for (;;) {
    WaitForSdlEvent(event);
    if (event.type == SDL_QUIT) {
      SDL_PushEvent(&event);  // for the program's own loop, which ends on it
      return CannotShow("the program was asked to quit while the box was up");
    }
    if (const std::optional<int> answer = box.Take(event)) return *answer;
    if (event.type == SDL_WINDOWEVENT && event.window.windowID == box.SdlId()) {
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED) box.Present();
    } else if (event.type == SDL_MOUSEBUTTONDOWN && event.button.windowID != box.SdlId()) {
      SDL_RaiseWindow(box.Handle());  // a click elsewhere finds the box in the way
    } else if (place.other_event) {
      place.other_event(event);
    }
  }
}

}  // namespace win32compat

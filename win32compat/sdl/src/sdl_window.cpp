#include "sdl_window.h"

#include <SDL.h>

#include <algorithm>

#include "sdl_ansi_text.h"
#include "sdl_window_frame.h"

namespace win32compat {
namespace {

// Beyond what X can place (coordinates are 16-bit) and what is worth keeping pixels for; a
// window asked to be larger shows its top-left part.
constexpr LONG kLargestSide = 8192;

int Width(const RECT& rect) {
  return static_cast<int>(std::clamp<LONG>(rect.right - rect.left, 1, kLargestSide));
}

int Height(const RECT& rect) {
  return static_cast<int>(std::clamp<LONG>(rect.bottom - rect.top, 1, kLargestSide));
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

Uint32 CreationFlags(const WindowView& view) {
  Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
  // Windows lists only unowned windows in the task bar.
  if (view.owner) flags |= SDL_WINDOW_SKIP_TASKBAR;
  return flags;
}

}  // namespace

std::unique_ptr<SdlWindow> SdlWindow::Create(const WindowView& view, const SdlCaptionFont* font) {
  SDL_Window* window = SDL_CreateWindow(
      AnsiToUtf8(view.title).c_str(), static_cast<int>(view.outer.left),
      static_cast<int>(view.outer.top), Width(view.outer), Height(view.outer), CreationFlags(view));
  if (!window) return nullptr;
  std::unique_ptr<SdlWindow> created(new SdlWindow(window, font));
  created->view_ = view;
  created->view_.visible = false;
  created->Reshape(view);
  created->Update(view);
  return created;
}

SdlWindow::~SdlWindow() {
  SDL_DestroyWindow(window_);
}

unsigned int SdlWindow::SdlId() const {
  return SDL_GetWindowID(window_);
}

void SdlWindow::Update(const WindowView& view) {
  const bool reshaped = !SameRect(view.outer, view_.outer) || view.style != view_.style;
  const bool retitled = view.title != view_.title;
  const bool shown = view.visible && !view_.visible;
  if (view.visible != view_.visible) {
    view.visible ? SDL_ShowWindow(window_) : SDL_HideWindow(window_);
  }
  if (retitled) SDL_SetWindowTitle(window_, AnsiToUtf8(view.title).c_str());
  if (reshaped) Reshape(view);
  view_ = view;
  if (retitled && !reshaped) DrawWindowFrame(pixels_, view.style, AnsiToUtf8(view.title), font_);
  if (reshaped || retitled || shown) Present();
}

// A new place or size: the client pixels start black again, as the layer has invalidated the
// window and the program repaints it.
void SdlWindow::Reshape(const WindowView& view) {
  SDL_SetWindowPosition(window_, static_cast<int>(view.outer.left),
                        static_cast<int>(view.outer.top));
  SDL_SetWindowSize(window_, Width(view.outer), Height(view.outer));
  pixels_.Resize(Width(view.outer), Height(view.outer));
  DrawWindowFrame(pixels_, view.style, AnsiToUtf8(view.title), font_);
}

POINT SdlWindow::ScreenPoint(int x, int y) const {
  return POINT{view_.outer.left + x, view_.outer.top + y};
}

RECT SdlWindow::ClientInBuffer() const {
  return ToBuffer(
      RECT{0, 0, view_.client.right - view_.client.left, view_.client.bottom - view_.client.top});
}

RECT SdlWindow::ToBuffer(const RECT& client_area) const {
  const LONG dx = view_.client.left - view_.outer.left;
  const LONG dy = view_.client.top - view_.outer.top;
  return RECT{client_area.left + dx, client_area.top + dy, client_area.right + dx,
              client_area.bottom + dy};
}

void SdlWindow::FillClient(const RECT& area, COLORREF colour) {
  pixels_.Fill(ToBuffer(area), PixelFromColour(colour), ClientInBuffer());
}

void SdlWindow::DrawClient(const RECT& area, const std::vector<COLORREF>& colours) {
  pixels_.Draw(ToBuffer(area), colours, ClientInBuffer());
}

void SdlWindow::InvertClient(const RECT& area) {
  pixels_.Invert(ToBuffer(area), ClientInBuffer());
}

void SdlWindow::Present() {
  if (!view_.visible) return;
  SDL_Surface* target = SDL_GetWindowSurface(window_);
  SDL_Surface* source = pixels_.WrapAsSurface();
  if (target && source) {
    SDL_BlitSurface(source, nullptr, target, nullptr);
    SDL_UpdateWindowSurface(window_);
  }
  SDL_FreeSurface(source);
}

}  // namespace win32compat

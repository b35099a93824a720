// One top-level window of the layer as an SDL window: borderless, at the window's outer
// rectangle, showing the frame drawn here and the client pixels the program painted.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sdl_pixel_buffer.h"
#include "win32compat/backend.h"

struct SDL_Window;

namespace win32compat {

class SdlCaptionFont;

class SdlWindow {
 public:
  // Null when SDL cannot make the window.
  static std::unique_ptr<SdlWindow> Create(const WindowView& view, const SdlCaptionFont* font);
  ~SdlWindow();
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  // Follows the layer's view of the window: place, size, title, visibility.
  void Update(const WindowView& view);
  bool Visible() const { return view_.visible; }
  unsigned int SdlId() const;
  SDL_Window* Handle() const { return window_; }
  HWND Owner() const { return view_.owner; }
  const RECT& OuterRect() const { return view_.outer; }
  // A point given relative to this SDL window, in the layer's screen coordinates.
  POINT ScreenPoint(int x, int y) const;

  // Client coordinates; shown at the next Present.
  void FillClient(const RECT& area, COLORREF colour);
  void DrawClient(const RECT& area, const std::vector<COLORREF>& colours);
  void InvertClient(const RECT& area);
  // Puts the kept pixels on the display.
  void Present();

 private:
  SdlWindow(SDL_Window* window, const SdlCaptionFont* font) : window_(window), font_(font) {}
  void Reshape(const WindowView& view);
  RECT ClientInBuffer() const;
  RECT ToBuffer(const RECT& client_area) const;

  SDL_Window* window_;
  const SdlCaptionFont* font_;
  WindowView view_;
  SdlPixelBuffer pixels_;
};

}  // namespace win32compat

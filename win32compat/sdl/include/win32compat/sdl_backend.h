// The backend that shows the program to a person, through SDL2: each visible top-level window
// becomes a borderless SDL window at exactly the window's outer rectangle, with the layer's own
// frame and title bar drawn into it, so positions are the same with or without a window manager.
// The mouse comes back in screen coordinates; cursors and message boxes are the real ones.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "win32compat/backend.h"

union SDL_Event;

namespace win32compat {

class SdlWindow;
class SdlCursors;
class SdlCaptionFont;

class SdlBackend : public Backend {
 public:
  // Null when SDL's video cannot start (no display, or none it can open).
  static std::unique_ptr<SdlBackend> Open();
  // Why the last Open returned null, in SDL's words.
  static std::string OpenFailure();
  ~SdlBackend() override;
  SdlBackend(const SdlBackend&) = delete;
  SdlBackend& operator=(const SdlBackend&) = delete;

  SIZE ScreenSize() const override { return screen_; }
  void PresentDesktop(const DesktopView& desktop) override;
  void PresentCursor(HCURSOR cursor, const CursorView& view) override;
  void FillClient(HWND window, const RECT& area, COLORREF colour) override;
  void DrawClient(HWND window, const RECT& area, const std::vector<COLORREF>& pixels) override;
  void InvertClient(HWND window, const RECT& area) override;
  void FinishPaint(const PaintView& paint) override;
  int ShowMessageBox(const MessageBoxRequest& request) override;
  bool WaitForInput(InputSink& sink) override;
  void WhileBlocked(InputSink& sink) override;

 private:
  explicit SdlBackend(SIZE screen);

  enum class EventResult { kIgnored, kDelivered, kQuit };
  EventResult Deliver(const SDL_Event& event, InputSink& sink);
  SdlWindow* FindBySdlId(unsigned int sdl_id);
  HWND HandleOf(unsigned int sdl_id) const;
  SdlWindow* Find(HWND window);
  void Restack(const DesktopView& desktop);

  SIZE screen_;
  std::unique_ptr<SdlCaptionFont> caption_font_;
  std::unique_ptr<SdlCursors> cursors_;
  std::map<HWND, std::unique_ptr<SdlWindow>> windows_;
  std::vector<HWND> stacking_;  // visible windows, bottom first, as last arranged
  bool quit_requested_ = false;
};

// The SDL backend as the display of a program run on its own (see display.h): null, with SDL's
// reason in `failure`, when SDL's video cannot start.
std::unique_ptr<Backend> OpenSdlDisplay(std::string& failure);

}  // namespace win32compat

// The default backend: shows nothing and records everything a user would have seen, so that a
// program can run without a display and tests can read back what it showed.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "win32compat/backend.h"

namespace win32compat {

struct MessageBoxRecord {
  MessageBoxRequest request;
  int answer = 0;
};

struct FillRecord {
  HWND window = nullptr;
  RECT area{};
  COLORREF colour = 0;
};

class HeadlessBackend : public Backend {
 public:
  // Consulted whenever the program waits for input; returns false when it has no more.
  using InputSource = std::function<bool(InputSink&)>;

  explicit HeadlessBackend(SIZE screen);

  // Without an input source the program's message loop ends as soon as it waits for input.
  void SetInputSource(InputSource source) { input_source_ = std::move(source); }
  // Message boxes take these answers in order; once they are used up, the default button. An
  // answer of 0 is a box that cannot be shown.
  void QueueMessageBoxAnswer(int answer) { answers_.push_back(answer); }
  // Consulted each time the program blocks on a process.
  void SetBlockedInputSource(std::function<void(InputSink&)> source) {
    blocked_input_source_ = std::move(source);
  }
  // The documents and folders the program asked the shell to open. None is actually opened.
  const std::vector<ShellRequest>& ShellRequests() const { return shell_requests_; }
  // Consent prompts take these answers in order; once they are used up, the user consents.
  void QueueElevationAnswer(bool consent) { elevation_answers_.push_back(consent); }
  // The programs the shell asked the user's consent for, in order.
  const std::vector<ShellRequest>& ElevationRequests() const { return elevation_requests_; }

  const DesktopView& Desktop() const { return desktop_; }
  HCURSOR Cursor() const { return cursor_; }
  const std::vector<MessageBoxRecord>& MessageBoxes() const { return message_boxes_; }
  const std::vector<FillRecord>& Fills() const { return fills_; }
  const std::vector<PaintView>& Paints() const { return paints_; }
  // What a window's client area shows at a client point: black until painted. Empty outside
  // the client area or for a window that is not on the desktop.
  std::optional<COLORREF> ClientPixel(HWND window, POINT client) const;
  // True once the program waited for input that never came.
  bool InputExhausted() const { return input_exhausted_; }

  SIZE ScreenSize() const override { return screen_; }
  void PresentDesktop(const DesktopView& desktop) override;
  void PresentCursor(HCURSOR cursor, const CursorView&) override { cursor_ = cursor; }
  void FillClient(HWND window, const RECT& area, COLORREF colour) override;
  void DrawClient(HWND window, const RECT& area, const std::vector<COLORREF>& pixels) override;
  void InvertClient(HWND window, const RECT& area) override;
  void FinishPaint(const PaintView& paint) override { paints_.push_back(paint); }
  int ShowMessageBox(const MessageBoxRequest& request) override;
  bool WaitForInput(InputSink& sink) override;
  void WhileBlocked(InputSink& sink) override;
  bool OpenWithShell(const ShellRequest& request) override;
  bool ConsentToElevation(const ShellRequest& request) override;

 private:
  SIZE screen_;
  InputSource input_source_;
  std::function<void(InputSink&)> blocked_input_source_;
  std::vector<ShellRequest> shell_requests_;
  std::deque<int> answers_;
  std::vector<ShellRequest> elevation_requests_;
  std::deque<bool> elevation_answers_;
  DesktopView desktop_;
  HCURSOR cursor_ = nullptr;
  std::vector<MessageBoxRecord> message_boxes_;
  std::vector<FillRecord> fills_;
  std::vector<PaintView> paints_;
  bool input_exhausted_ = false;

  // The pixels of each window's client area, row by row from the top.
  struct Surface {
    LONG width = 0;
    LONG height = 0;
    std::vector<COLORREF> pixels;
  };
  std::map<HWND, Surface> surfaces_;
};

// The button a message box of this style answers with when the user just presses Enter: its
// default button (MB_DEFBUTTON1 to 3) among the buttons of its type.
int DefaultMessageBoxAnswer(UINT style);

}  // namespace win32compat

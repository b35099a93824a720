#include "win32compat/headless_backend.h"

#include <vector>

namespace win32compat {

HeadlessBackend::HeadlessBackend(SIZE screen) : screen_(screen) {
  desktop_.screen = screen;
}

void HeadlessBackend::FillClient(HWND window, const RECT& area, COLORREF colour) {
  fills_.push_back(FillRecord{window, area, colour});
}

int HeadlessBackend::ShowMessageBox(const MessageBoxRequest& request) {
  int answer = DefaultMessageBoxAnswer(request.style);
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  message_boxes_.push_back(MessageBoxRecord{request, answer});
  return answer;
}

bool HeadlessBackend::WaitForInput(InputSink& sink) {
  if (input_source_ && input_source_(sink)) return true;
  input_exhausted_ = true;
  return false;
}

int DefaultMessageBoxAnswer(UINT style) {
  std::vector<int> buttons;
  switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
      buttons = {IDOK, IDCANCEL};
      break;
    case MB_ABORTRETRYIGNORE:
      buttons = {IDABORT, IDRETRY, IDIGNORE};
      break;
    case MB_YESNOCANCEL:
      buttons = {IDYES, IDNO, IDCANCEL};
      break;
    case MB_YESNO:
      buttons = {IDYES, IDNO};
      break;
    case MB_RETRYCANCEL:
      buttons = {IDRETRY, IDCANCEL};
      break;
    default:
      buttons = {IDOK};
  }
  const std::size_t chosen = (style & MB_DEFMASK) >> 8;
  return chosen < buttons.size() ? buttons[chosen] : buttons.front();
}

}  // namespace win32compat

#include "win32compat/headless_backend.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "message_box_buttons.h"

namespace win32compat {

HeadlessBackend::HeadlessBackend(SIZE screen) : screen_(screen) {
  desktop_.screen = screen;
}

void HeadlessBackend::PresentDesktop(const DesktopView& desktop) {
  desktop_ = desktop;
  std::map<HWND, Surface> surfaces;
  for (const WindowView& window : desktop.windows) {
    Surface& surface = surfaces[window.handle];
    if (const auto kept = surfaces_.find(window.handle); kept != surfaces_.end()) {
      surface = std::move(kept->second);
    }
    const LONG width = window.client.right - window.client.left;
    const LONG height = window.client.bottom - window.client.top;
    if (surface.width != width || surface.height != height) {
      surface = Surface{width, height,
                        std::vector<COLORREF>(static_cast<std::size_t>(width) * height, 0)};
    }
  }
  surfaces_ = std::move(surfaces);
}

void HeadlessBackend::FillClient(HWND window, const RECT& area, COLORREF colour) {
  fills_.push_back(FillRecord{window, area, colour});
  const auto surface = surfaces_.find(window);
  if (surface == surfaces_.end()) return;
  Surface& pixels = surface->second;
  for (LONG y = std::max<LONG>(area.top, 0); y < std::min(area.bottom, pixels.height); ++y) {
    for (LONG x = std::max<LONG>(area.left, 0); x < std::min(area.right, pixels.width); ++x) {
      pixels.pixels[static_cast<std::size_t>(y) * pixels.width + x] = colour;
    }
  }
}

void HeadlessBackend::DrawClient(HWND window, const RECT& area,
                                 const std::vector<COLORREF>& colours) {
  const auto surface = surfaces_.find(window);
  if (surface == surfaces_.end()) return;
  Surface& pixels = surface->second;
  const LONG area_width = area.right - area.left;
  for (LONG y = std::max<LONG>(area.top, 0); y < std::min(area.bottom, pixels.height); ++y) {
    for (LONG x = std::max<LONG>(area.left, 0); x < std::min(area.right, pixels.width); ++x) {
      const std::size_t from =
          static_cast<std::size_t>(y - area.top) * area_width + (x - area.left);
      if (from < colours.size()) {
        pixels.pixels[static_cast<std::size_t>(y) * pixels.width + x] = colours[from];
      }
    }
  }
}

void HeadlessBackend::InvertClient(HWND window, const RECT& area) {
  const auto surface = surfaces_.find(window);
  if (surface == surfaces_.end()) return;
  Surface& pixels = surface->second;
  for (LONG y = std::max<LONG>(area.top, 0); y < std::min(area.bottom, pixels.height); ++y) {
    for (LONG x = std::max<LONG>(area.left, 0); x < std::min(area.right, pixels.width); ++x) {
      pixels.pixels[static_cast<std::size_t>(y) * pixels.width + x] ^= 0x00FFFFFFu;
    }
  }
}

std::optional<COLORREF> HeadlessBackend::ClientPixel(HWND window, POINT client) const {
  const auto surface = surfaces_.find(window);
  if (surface == surfaces_.end()) return std::nullopt;
  const Surface& pixels = surface->second;
  if (client.x < 0 || client.y < 0 || client.x >= pixels.width || client.y >= pixels.height) {
    return std::nullopt;
  }
  return pixels.pixels[static_cast<std::size_t>(client.y) * pixels.width + client.x];
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

void HeadlessBackend::WhileBlocked(InputSink& sink) {
  if (blocked_input_source_) blocked_input_source_(sink);
}

bool HeadlessBackend::OpenWithShell(const ShellRequest& request) {
  shell_requests_.push_back(request);
  return true;
}

bool HeadlessBackend::ConsentToElevation(const ShellRequest& request) {
  elevation_requests_.push_back(request);
  if (elevation_answers_.empty()) return true;
  const bool consent = elevation_answers_.front();
  elevation_answers_.pop_front();
  return consent;
}

int DefaultMessageBoxAnswer(UINT style) {
  return MessageBoxButtonsOf(style)[DefaultButtonIndex(style)].answer;
}

}  // namespace win32compat

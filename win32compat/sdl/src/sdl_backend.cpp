#include "win32compat/sdl_backend.h"

#include <SDL.h>

#include <algorithm>

#include "sdl_caption_font.h"
#include "sdl_cursors.h"
#include "sdl_display_loss.h"
#include "sdl_keys.h"
#include "sdl_message_box.h"
#include "sdl_window.h"

namespace win32compat {

std::unique_ptr<SdlBackend> SdlBackend::Open() {
  // Window pixels go to the display as they are, through X's own image transfer; no GPU
  // renderer stands between the program's paint and the screen.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // The layer ends the program when its last window goes, not SDL.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // Only a desktop's display: SDL's other drivers (the console's KMS/DRM, offscreen) would
  // open without a person to see them. SDL_VIDEODRIVER in the environment still wins.
  SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11,wayland", SDL_HINT_DEFAULT);
  WatchForDisplayLoss();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  SDL_Rect bounds{};
  if (SDL_GetDisplayBounds(0, &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  return std::unique_ptr<SdlBackend>(new SdlBackend(SIZE{bounds.w, bounds.h}));
}

std::string SdlBackend::OpenFailure() {
  return SDL_GetError();
}

std::unique_ptr<Backend> OpenSdlDisplay(std::string& failure) {
  std::unique_ptr<SdlBackend> display = SdlBackend::Open();
  if (!display) failure = SdlBackend::OpenFailure();
  return display;
}

SdlBackend::SdlBackend(SIZE screen)
    : screen_(screen),
      caption_font_(SdlCaptionFont::Open()),
      cursors_(std::make_unique<SdlCursors>()) {}

SdlBackend::~SdlBackend() {
  windows_.clear();
  cursors_.reset();
  caption_font_.reset();
  SDL_Quit();
}

// Once the display is gone, the windows' last calls (while they take WM_ENDSESSION) change
// nothing on it: SDL would wait for ever for the dead server to confirm a change.
void SdlBackend::PresentDesktop(const DesktopView& desktop) {
  if (DisplayLost()) return;
  std::erase_if(windows_, [&](const auto& entry) {
    return std::none_of(desktop.windows.begin(), desktop.windows.end(),
                        [&](const WindowView& view) { return view.handle == entry.first; });
  });
  for (const WindowView& view : desktop.windows) {
    auto& window = windows_[view.handle];
    if (window) {
      window->Update(view);
    } else {
      window = SdlWindow::Create(view, caption_font_.get());
    }
  }
  std::erase_if(windows_, [](const auto& entry) { return !entry.second; });
  Restack(desktop);
}

// X stacks a newly mapped window on top; the layer's z-order (owned windows above their owner)
// is brought back by raising the visible windows from the bottom up whenever it changed.
void SdlBackend::Restack(const DesktopView& desktop) {
  std::vector<HWND> stacking;
  for (auto view = desktop.windows.rbegin(); view != desktop.windows.rend(); ++view) {
    if (view->visible && windows_.contains(view->handle)) stacking.push_back(view->handle);
  }
  if (stacking == stacking_) return;
  for (HWND handle : stacking) SDL_RaiseWindow(windows_[handle]->Handle());
  stacking_ = std::move(stacking);
}

void SdlBackend::PresentCursor(HCURSOR cursor, const CursorView& view) {
  if (DisplayLost()) return;
  cursors_->Show(cursor, view);
}

void SdlBackend::FillClient(HWND window, const RECT& area, COLORREF colour) {
  if (SdlWindow* shown = Find(window)) shown->FillClient(area, colour);
}

void SdlBackend::DrawClient(HWND window, const RECT& area, const std::vector<COLORREF>& pixels) {
  if (SdlWindow* shown = Find(window)) shown->DrawClient(area, pixels);
}

void SdlBackend::InvertClient(HWND window, const RECT& area) {
  if (SdlWindow* shown = Find(window)) shown->InvertClient(area);
}

void SdlBackend::FinishPaint(const PaintView& paint) {
  if (DisplayLost()) return;
  if (SdlWindow* shown = Find(paint.window)) shown->Present();
}

// The box runs its own event loop; the program's windows take no input meanwhile, and what
// the display loses of them is shown again from their kept pixels.
int SdlBackend::ShowMessageBox(const MessageBoxRequest& request) {
  if (DisplayLost()) return 0;
  SdlMessageBoxPlace place;
  place.screen = screen_;
  if (const SdlWindow* owner = Find(request.owner); owner && owner->Visible()) {
    place.owner = owner->OuterRect();
  }
  place.caption_font = caption_font_.get();
  place.other_event = [this](const SDL_Event& event) {
    if (event.type != SDL_WINDOWEVENT || event.window.event != SDL_WINDOWEVENT_EXPOSED) return;
    if (SdlWindow* window = FindBySdlId(event.window.windowID)) window->Present();
  };
  return ShowSdlMessageBox(request, place);
}

bool SdlBackend::WaitForInput(InputSink& sink) {
  SDL_Event event;
  while (!quit_requested_) {
    WaitForSdlEvent(event);
    switch (Deliver(event, sink)) {
      case EventResult::kDelivered:
        return true;
      case EventResult::kQuit:
        quit_requested_ = true;
        break;
      case EventResult::kIgnored:
        break;
    }
  }
  return false;
}

// Takes what has arrived without waiting: the program is busy, and its own loop decides what
// to do with the input (the menu's wait loop throws mouse messages away and repaints).
void SdlBackend::WhileBlocked(InputSink& sink) {
  if (DisplayLost()) EndSession();
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (Deliver(event, sink) == EventResult::kQuit) quit_requested_ = true;
  }
}

SdlBackend::EventResult SdlBackend::Deliver(const SDL_Event& event, InputSink& sink) {
  switch (event.type) {
    case SDL_QUIT:  // Ctrl+C or a termination signal
      return EventResult::kQuit;
    case SDL_MOUSEMOTION:
      if (const SdlWindow* window = FindBySdlId(event.motion.windowID)) {
        sink.MouseMoved(window->ScreenPoint(event.motion.x, event.motion.y));
        return EventResult::kDelivered;
      }
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (const SdlWindow* window = FindBySdlId(event.button.windowID);
          window && event.button.button == SDL_BUTTON_LEFT) {
        sink.LeftButton(window->ScreenPoint(event.button.x, event.button.y),
                        event.type == SDL_MOUSEBUTTONDOWN);
        return EventResult::kDelivered;
      }
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      // Whichever window X gave the key to, the layer hands it to its focused window.
      if (const UINT key = VirtualKeyOf(event.key.keysym.sym)) {
        sink.Key(key, event.type == SDL_KEYDOWN);
        return EventResult::kDelivered;
      }
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
        if (const HWND window = HandleOf(event.window.windowID)) {
          sink.CloseRequested(window);
          return EventResult::kDelivered;
        }
      }
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
        if (const HWND window = HandleOf(event.window.windowID)) {
          Find(window)->Present();  // what the window last showed, until the program repaints
          sink.WindowExposed(window);
          return EventResult::kDelivered;
        }
      }
      break;
    default:
      break;
  }
  return EventResult::kIgnored;
}

HWND SdlBackend::HandleOf(unsigned int sdl_id) const {
  for (const auto& [handle, window] : windows_) {
    if (window->SdlId() == sdl_id) return handle;
  }
  return nullptr;
}

SdlWindow* SdlBackend::FindBySdlId(unsigned int sdl_id) {
  return Find(HandleOf(sdl_id));
}

SdlWindow* SdlBackend::Find(HWND window) {
  const auto found = windows_.find(window);
  return found != windows_.end() ? found->second.get() : nullptr;
}

}  // namespace win32compat

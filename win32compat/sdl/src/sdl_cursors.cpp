#include "sdl_cursors.h"

#include <SDL.h>

namespace win32compat {
namespace {

SDL_SystemCursor SystemShape(int id) {
  switch (id) {
    case 32513:
      return SDL_SYSTEM_CURSOR_IBEAM;
    case 32514:
      return SDL_SYSTEM_CURSOR_WAIT;
    case 32515:
      return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case 32642:
      return SDL_SYSTEM_CURSOR_SIZENWSE;
    case 32643:
      return SDL_SYSTEM_CURSOR_SIZENESW;
    case 32644:
      return SDL_SYSTEM_CURSOR_SIZEWE;
    case 32645:
      return SDL_SYSTEM_CURSOR_SIZENS;
    case 32646:
      return SDL_SYSTEM_CURSOR_SIZEALL;
    case 32648:
      return SDL_SYSTEM_CURSOR_NO;
    case 32649:
      return SDL_SYSTEM_CURSOR_HAND;
    case 32650:
      return SDL_SYSTEM_CURSOR_WAITARROW;
    default:
      return SDL_SYSTEM_CURSOR_ARROW;  // IDC_ARROW, and shapes SDL does not have
  }
}

}  // namespace

// Windows and SDL code the four pixel kinds differently:
//   Windows AND/XOR: 0/0 black, 0/1 white, 1/0 transparent, 1/1 inverted screen;
//   SDL data/mask:   1/1 black, 0/1 white, 0/0 transparent, 1/0 inverted screen.
// So SDL's mask is the inverted AND plane and its data is set where AND equals XOR.
SdlCursorPlanes CursorPlanesFromMasks(const CursorResource& image) {
  SdlCursorPlanes planes{};
  for (std::size_t i = 0; i < planes.data.size(); ++i) {
    planes.data[i] = static_cast<std::uint8_t>(~(image.and_mask[i] ^ image.xor_mask[i]));
    planes.mask[i] = static_cast<std::uint8_t>(~image.and_mask[i]);
  }
  return planes;
}

namespace {

SDL_Cursor* CreateFromMasks(const CursorResource& image) {
  const SdlCursorPlanes planes = CursorPlanesFromMasks(image);
  return SDL_CreateCursor(planes.data.data(), planes.mask.data(), kCursorSize, kCursorSize,
                          image.hotspot_x, image.hotspot_y);
}

}  // namespace

SdlCursors::~SdlCursors() {
  for (const auto& [handle, cursor] : built_) SDL_FreeCursor(cursor);
}

void SdlCursors::Show(HCURSOR handle, const CursorView& view) {
  SDL_Cursor* cursor = nullptr;
  if (handle) {
    const auto known = built_.find(handle);
    cursor = known != built_.end() ? known->second : built_[handle] = Build(view);
  }
  if (cursor) SDL_SetCursor(cursor);
  SDL_ShowCursor(cursor ? SDL_ENABLE : SDL_DISABLE);
}

SDL_Cursor* SdlCursors::Build(const CursorView& view) {
  switch (view.source) {
    case CursorView::Source::kSystem:
      return SDL_CreateSystemCursor(SystemShape(view.id));
    case CursorView::Source::kProgram:
      return view.image ? CreateFromMasks(*view.image) : nullptr;
    case CursorView::Source::kNone:
      break;
  }
  return nullptr;
}

}  // namespace win32compat

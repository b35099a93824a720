// The layer's cursors as SDL cursors: system cursors become the display's own shapes, the
// program's cursor resources are built from their AND and XOR masks with their hot spot.
#pragma once

#include <windows.h>

#include <map>

#include "win32compat/backend.h"
#include "win32compat/program_resources.h"

struct SDL_Cursor;

namespace win32compat {

// A two-colour cursor as SDL_CreateCursor takes it: same layout as the Windows masks (rows
// top-down, leftmost pixel in the high bit), other meaning per pixel.
struct SdlCursorPlanes {
  CursorPlane data;
  CursorPlane mask;
};

SdlCursorPlanes CursorPlanesFromMasks(const CursorResource& image);

class SdlCursors {
 public:
  SdlCursors() = default;
  ~SdlCursors();
  SdlCursors(const SdlCursors&) = delete;
  SdlCursors& operator=(const SdlCursors&) = delete;

  // Shows the cursor; a null handle, or one SDL cannot build, hides the pointer as
  // SetCursor(NULL) does.
  void Show(HCURSOR handle, const CursorView& view);

 private:
  SDL_Cursor* Build(const CursorView& view);

  std::map<HCURSOR, SDL_Cursor*> built_;
};

}  // namespace win32compat

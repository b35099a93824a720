// The cursors and icons a program has loaded, the current cursor and the mouse position.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "handle_allocator.h"
#include "win32compat/backend.h"

namespace win32compat {

class CursorRegistry {
 public:
  explicit CursorRegistry(HandleAllocator& handles) : handles_(handles) {}

  // The shared handle of a system cursor (IDC_ARROW, ...): the same for every load, as on
  // Windows. Null for an id that names no system cursor.
  HCURSOR SystemCursor(int id);
  // The handle of one of the program's cursor resources: the same for every load.
  HCURSOR ProgramCursor(const CursorResource& resource);
  HICON SystemIcon(int id);
  // Null for a handle that is no cursor.
  const CursorView* Find(HCURSOR cursor) const;

  HCURSOR Current() const { return current_; }
  void SetCurrent(HCURSOR cursor) { current_ = cursor; }
  POINT Position() const { return position_; }
  void SetPosition(POINT position) { position_ = position; }

 private:
  HCURSOR Load(CursorView view);

  HandleAllocator& handles_;
  std::map<HCURSOR, CursorView> cursors_;
  std::map<int, HICON> icons_;
  HCURSOR current_ = nullptr;
  POINT position_{};
};

// A cursor as a test reads it: "IDC_ARROW", "IDC_WAIT", "resource 102", "none".
std::string DescribeCursor(const CursorView* view);

}  // namespace win32compat

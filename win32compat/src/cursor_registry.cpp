#include "cursor_registry.h"

#include <array>
#include <utility>

namespace win32compat {
namespace {

struct SystemCursorName {
  int id;
  const char* name;
};

constexpr std::array kSystemCursors = {
    SystemCursorName{32512, "IDC_ARROW"},       SystemCursorName{32513, "IDC_IBEAM"},
    SystemCursorName{32514, "IDC_WAIT"},        SystemCursorName{32515, "IDC_CROSS"},
    SystemCursorName{32516, "IDC_UPARROW"},     SystemCursorName{32642, "IDC_SIZENWSE"},
    SystemCursorName{32643, "IDC_SIZENESW"},    SystemCursorName{32644, "IDC_SIZEWE"},
    SystemCursorName{32645, "IDC_SIZENS"},      SystemCursorName{32646, "IDC_SIZEALL"},
    SystemCursorName{32648, "IDC_NO"},          SystemCursorName{32649, "IDC_HAND"},
    SystemCursorName{32650, "IDC_APPSTARTING"}, SystemCursorName{32651, "IDC_HELP"},
};

const char* SystemCursorNameOf(int id) {
  for (const SystemCursorName& cursor : kSystemCursors) {
    if (cursor.id == id) return cursor.name;
  }
  return nullptr;
}

// IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK, IDI_WINLOGO.
bool IsSystemIcon(int id) {
  return id >= 32512 && id <= 32517;
}

}  // namespace

HCURSOR CursorRegistry::SystemCursor(int id) {
  if (!SystemCursorNameOf(id)) return nullptr;
  for (const auto& [handle, view] : cursors_) {
    if (view.source == CursorView::Source::kSystem && view.id == id) return handle;
  }
  return Load(CursorView{CursorView::Source::kSystem, id, nullptr});
}

HCURSOR CursorRegistry::ProgramCursor(const CursorResource& resource) {
  for (const auto& [handle, view] : cursors_) {
    if (view.source == CursorView::Source::kProgram && view.id == resource.id) return handle;
  }
  return Load(CursorView{CursorView::Source::kProgram, resource.id, &resource});
}

HICON CursorRegistry::SystemIcon(int id) {
  if (!IsSystemIcon(id)) return nullptr;
  HICON& icon = icons_[id];
  if (!icon) icon = handles_.Next<HICON>();
  return icon;
}

const CursorView* CursorRegistry::Find(HCURSOR cursor) const {
  const auto found = cursors_.find(cursor);
  return found == cursors_.end() ? nullptr : &found->second;
}

HCURSOR CursorRegistry::Load(CursorView view) {
  const HCURSOR handle = handles_.Next<HCURSOR>();
  cursors_.emplace(handle, view);
  return handle;
}

std::string DescribeCursor(const CursorView* view) {
  if (!view || view->source == CursorView::Source::kNone) return "none";
  if (view->source == CursorView::Source::kProgram) {
    return "resource " + std::to_string(view->id);
  }
  return SystemCursorNameOf(view->id);
}

}  // namespace win32compat

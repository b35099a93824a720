#include "win32compat/program_resources.h"

#include <algorithm>
#include <utility>

namespace win32compat {
namespace {

// On Windows the resources are in the program's image: one set for the whole process, whatever
// desktop it shows its windows on.
constinit ProgramResources registered_resources;

}  // namespace

const CursorResource* ProgramResources::FindCursor(int id) const {
  const auto found = std::ranges::find(cursors, id, &CursorResource::id);
  return found == cursors.end() ? nullptr : &*found;
}

ProgramResources RegisterProgramResources(ProgramResources resources) {
  return std::exchange(registered_resources, resources);
}

const ProgramResources& RegisteredProgramResources() {
  return registered_resources;
}

}  // namespace win32compat

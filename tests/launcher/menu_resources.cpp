// The test program starts as the menu does on Linux (program_main.cpp): with the menu's resources
// registered, so that LoadCursorA finds the hand cursor, before any test runs the menu.
#include <gtest/gtest.h>

#include "lumarc/launcher_resources.h"
#include "win32compat/program_resources.h"

namespace {

class MenuResources : public testing::Environment {
 public:
  void SetUp() override {
    win32compat::RegisterProgramResources(LumarcResources::kLauncherResources);
  }
};

[[maybe_unused]] const testing::Environment* const kMenuResources =
    testing::AddGlobalTestEnvironment(new MenuResources);

}  // namespace

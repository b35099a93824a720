// A message box that cannot be shown makes up no answer: MessageBoxA fails, and the program's
// message still reaches a person, on standard error.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "win32compat/test_desktop.h"

namespace {

TEST(MessageBoxFailureTest, ABoxThatCannotBeShownFailsAndPutsItsMessageOnStandardError) {
  win32compat::TestDesktop desktop;
  desktop.FailMessageBox();
  SetLastError(ERROR_SUCCESS);
  testing::internal::CaptureStderr();
  const int failed = MessageBoxA(nullptr, "Checksum Error", "Error", MB_OK);
  const DWORD error = GetLastError();
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_NO_SYSTEM_RESOURCES));
  EXPECT_EQ(said, "Error: Checksum Error\n");
  // Only that box failed: the next is shown and answered.
  EXPECT_EQ(MessageBoxA(nullptr, "Files copied", "Confirmation", MB_OK), IDOK);
}

}  // namespace

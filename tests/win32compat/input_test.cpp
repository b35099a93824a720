// The user's mouse as the program receives it, the cursors it shows, and message boxes.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "win32_test.h"
#include "win32compat/program_resources.h"

namespace {

using testing::ElementsAre;
using testing::IsEmpty;

// What the program under test brings: two cursors, whose pictures a headless desktop never shows.
constexpr win32compat::CursorResource kProgramCursors[] = {{102, 1, 1, {}, {}}, {7, 0, 0, {}, {}}};

class InputTest : public Win32Test {
 protected:
  InputTest() : replaced_resources_(win32compat::RegisterProgramResources({kProgramCursors})) {}
  ~InputTest() override { win32compat::RegisterProgramResources(replaced_resources_); }

  // A full-screen popup and, above it, an owned captioned window at (100, 100), 200 x 150,
  // whose client area starts at (103, 122).
  void MakeDesktop() {
    back_ = MakeWindow({0, 0, 1024, 768});
    front_ = MakeWindow({100, 100, 300, 250}, WS_OVERLAPPED, back_);
    ShowWindow(back_, SW_SHOW);
    ShowWindow(front_, SW_SHOW);
  }

  // Runs a message loop until the script is used up.
  void RunLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  std::string CurrentCursor() const { return desktop_.CursorName(desktop_.Cursor()); }

  HWND back_ = nullptr;
  HWND front_ = nullptr;

 private:
  win32compat::ProgramResources replaced_resources_;
};

TEST_F(InputTest, AClickReachesTheTopWindowUnderItInClientCoordinates) {
  MakeDesktop();
  desktop_.Then([&] { desktop_.Click({110, 130}); });
  RunLoop();
  const auto down = Received(WM_LBUTTONDOWN);
  ASSERT_THAT(down, testing::SizeIs(1));
  EXPECT_EQ(down[0].window, front_);
  EXPECT_EQ(LOWORD(down[0].lParam), 7);
  EXPECT_EQ(HIWORD(down[0].lParam), 8);
  EXPECT_EQ(down[0].wParam, static_cast<WPARAM>(MK_LBUTTON));
  // The move came first and was handled before the button went down.
  const std::vector<UINT> front = ReceivedBy(front_);
  const auto move = std::find(front.begin(), front.end(), static_cast<UINT>(WM_MOUSEMOVE));
  const auto press = std::find(front.begin(), front.end(), static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_LT(move, press);
  EXPECT_THAT(Received(WM_LBUTTONUP), testing::SizeIs(1));
}

TEST_F(InputTest, TheFrameOfAWindowGetsNonClientMessagesAndTheArrow) {
  MakeDesktop();
  const HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  SetClassLongPtrA(front_, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(wait));
  desktop_.Then([&] { desktop_.Click({150, 110}); });  // on the caption
  RunLoop();
  EXPECT_THAT(Received(WM_LBUTTONDOWN), IsEmpty());
  ASSERT_THAT(Received(WM_NCLBUTTONDOWN), testing::SizeIs(1));
  EXPECT_EQ(Received(WM_NCLBUTTONDOWN)[0].wParam, static_cast<WPARAM>(HTCAPTION));
  EXPECT_EQ(CurrentCursor(), "IDC_ARROW");
}

TEST_F(InputTest, DefaultProcessingShowsTheClassCursorOverTheClientArea) {
  MakeDesktop();
  const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  const HCURSOR hand = LoadCursorA(desktop_.ProgramInstance(), MAKEINTRESOURCEA(102));
  ASSERT_NE(hand, nullptr);
  std::vector<std::string> shown;
  desktop_.Then([&] { desktop_.MoveMouse({150, 150}); });
  desktop_.Then([&] {
    shown.push_back(CurrentCursor());
    // Both windows share the class, so both show the new class cursor from now on.
    EXPECT_EQ(
        SetClassLongA(front_, GCL_HCURSOR, static_cast<LONG>(reinterpret_cast<LONG_PTR>(hand))),
        static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(arrow)));
    desktop_.MoveMouse({151, 150});
  });
  desktop_.Then([&] {
    shown.push_back(CurrentCursor());
    desktop_.MoveMouse({600, 600});  // over the window behind
  });
  desktop_.Then([&] { shown.push_back(CurrentCursor()); });
  RunLoop();
  EXPECT_THAT(shown, ElementsAre("IDC_ARROW", "resource 102", "resource 102"));
  EXPECT_EQ(desktop_.CursorName(desktop_.Window(back_)->class_cursor), "resource 102");
}

TEST_F(InputTest, CursorsLoadAsWindowsLoadsThem) {
  const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow) << "system cursors are shared";
  EXPECT_EQ(desktop_.CursorName(LoadCursorA(nullptr, IDC_WAIT)), "IDC_WAIT");
  EXPECT_EQ(LoadCursorA(desktop_.ProgramInstance(), MAKEINTRESOURCEA(103)), nullptr)
      << "the program has no cursor 103";
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(102)), nullptr)
      << "102 is the program's, not the system's";
  EXPECT_EQ(SetCursor(arrow), nullptr);
  EXPECT_EQ(SetCursor(nullptr), arrow);
  EXPECT_EQ(desktop_.CursorName(desktop_.Cursor()), "none");
}

// The program's cursors are the ones it registered, found by id: none at all once it takes
// its table back.
TEST_F(InputTest, ProgramCursorsComeFromTheTableTheProgramRegistered) {
  const HINSTANCE program = desktop_.ProgramInstance();
  const HCURSOR hand = LoadCursorA(program, MAKEINTRESOURCEA(102));
  const HCURSOR seventh = LoadCursorA(program, MAKEINTRESOURCEA(7));
  EXPECT_EQ(desktop_.CursorName(hand), "resource 102");
  EXPECT_EQ(desktop_.CursorName(seventh), "resource 7");
  EXPECT_EQ(LoadCursorA(program, MAKEINTRESOURCEA(7)), seventh) << "one handle a resource";

  win32compat::RegisterProgramResources({});
  SetLastError(0);
  EXPECT_EQ(LoadCursorA(program, MAKEINTRESOURCEA(102)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(InputTest, MessageBoxesAreRecordedAndAnsweredByScriptOrDefaultButton) {
  desktop_.AnswerMessageBox(IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "Proceed?", "Question", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "Checksum Error", "Error", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "Again?", nullptr, MB_RETRYCANCEL | MB_DEFBUTTON2), IDCANCEL);
  ASSERT_EQ(desktop_.MessageBoxes().size(), 3u);
  const win32compat::MessageBoxRequest& second = desktop_.MessageBoxes()[1].request;
  EXPECT_EQ(second.owner, nullptr);
  EXPECT_EQ(second.text, "Checksum Error");
  EXPECT_EQ(second.caption, "Error");
  EXPECT_EQ(second.style, MB_OK);
  EXPECT_EQ(desktop_.MessageBoxes()[2].request.caption, "Error") << "Windows' default title";
}

}  // namespace

// The Windows forms the SDL backend turns into SDL's: cursor masks, message box buttons and
// ANSI text. None of these needs a display.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdl_ansi_text.h"
#include "sdl_cursors.h"
#include "sdl_message_box.h"

namespace win32compat {
namespace {

TEST(SdlCursorPlanesTest, EachWindowsPixelKindKeepsItsLook) {
  // The first four pixels of the top row, one of each kind (AND, XOR): black, white,
  // transparent, inverted screen. SDL wants (data, mask) 11, 01, 00, 10 for them.
  CursorResource cursor{};
  cursor.and_mask.fill(0xFF);  // the rest transparent
  cursor.and_mask[0] = 0b0011'1111;
  cursor.xor_mask[0] = 0b0101'0000;
  const SdlCursorPlanes planes = CursorPlanesFromMasks(cursor);
  EXPECT_EQ(planes.data[0] >> 4, 0b1001);
  EXPECT_EQ(planes.mask[0] >> 4, 0b1100);
  EXPECT_EQ(planes.data[0] & 0x0F, 0);  // transparent pixels: data 0, mask 0
  EXPECT_EQ(planes.mask[0] & 0x0F, 0);
  EXPECT_EQ(planes.mask[1], 0);
}

struct ButtonCase {
  const char* name;
  UINT style;
  std::vector<int> buttons;
  int enter;
  int escape;  // 0: Escape does nothing
  int closed;
};

class MessageBoxButtonsTest : public testing::TestWithParam<ButtonCase> {};

TEST_P(MessageBoxButtonsTest, ButtonsDefaultsAndClosing) {
  const ButtonCase& expected = GetParam();
  const MessageBoxButtons box = ButtonsFor(expected.style);
  std::vector<int> ids;
  int enter = 0;
  int escape = 0;
  for (const SDL_MessageBoxButtonData& button : box.buttons) {
    ids.push_back(button.buttonid);
    if (button.flags & SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT) enter = button.buttonid;
    if (button.flags & SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT) escape = button.buttonid;
  }
  EXPECT_THAT(ids, testing::ElementsAreArray(expected.buttons));
  EXPECT_EQ(enter, expected.enter);
  EXPECT_EQ(escape, expected.escape);
  EXPECT_EQ(box.dismissed, expected.closed);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, MessageBoxButtonsTest,
    testing::Values(
        ButtonCase{"Ok", MB_OK, {IDOK}, IDOK, IDOK, IDOK},
        ButtonCase{"OkWithErrorIcon", MB_OK | MB_ICONERROR, {IDOK}, IDOK, IDOK, IDOK},
        ButtonCase{"OkCancelSecondDefault",
                   MB_OKCANCEL | MB_DEFBUTTON2,
                   {IDOK, IDCANCEL},
                   IDCANCEL,
                   IDCANCEL,
                   IDCANCEL},
        ButtonCase{
            "YesNoCancel", MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}, IDYES, IDCANCEL, IDCANCEL},
        ButtonCase{"YesNoSecondDefault", MB_YESNO | MB_DEFBUTTON2, {IDYES, IDNO}, IDNO, 0, IDNO},
        // A default button past the last one falls back to the first.
        ButtonCase{"AbortRetryIgnoreFourthDefault",
                   MB_ABORTRETRYIGNORE | 0x300,
                   {IDABORT, IDRETRY, IDIGNORE},
                   IDABORT,
                   0,
                   IDABORT},
        ButtonCase{
            "RetryCancel", MB_RETRYCANCEL, {IDRETRY, IDCANCEL}, IDRETRY, IDCANCEL, IDCANCEL}),
    [](const testing::TestParamInfo<ButtonCase>& info) { return info.param.name; });

TEST(AnsiToUtf8Test, WindowsCodePage1252) {
  const struct {
    std::string ansi;
    std::string utf8;
  } cases[] = {
      {"YOU'VE MADE THE BRIVANT CHOICE", "YOU'VE MADE THE BRIVANT CHOICE"},
      {"caf\xE9", "caf\xC3\xA9"},    // Latin-1 range
      {"\x80 5", "\xE2\x82\xAC 5"},  // the euro sign, where Latin-1 has a control
      {"\x99", "\xE2\x84\xA2"},      // trade mark
      {"\x81", "\xC2\x81"},          // unassigned: its C1 code point
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& [ansi, utf8] : cases) EXPECT_EQ(AnsiToUtf8(ansi), utf8);
}

}  // namespace
}  // namespace win32compat

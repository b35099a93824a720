// The message box of the SDL backend without a display: the buttons of each style and how keys
// and the mouse answer them, the wrapping of its text and where its parts go.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sdl_message_box_controls.h"
#include "sdl_message_box_layout.h"

namespace win32compat {
namespace {

using testing::ElementsAreArray;

struct StyleCase {
  UINT style;
  std::vector<int> answers;  // the buttons left to right
  int enter;
  std::optional<int> escape;  // also what Alt+F4 and closing the box answer
};

TEST(MessageBoxControlsTest, EachStyleHasItsButtonsDefaultAndEscape) {
  const StyleCase cases[] = {
      {MB_OK, {IDOK}, IDOK, IDOK},
      {MB_OK | MB_ICONERROR, {IDOK}, IDOK, IDOK},
      {MB_OKCANCEL | MB_DEFBUTTON2, {IDOK, IDCANCEL}, IDCANCEL, IDCANCEL},
      {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}, IDYES, IDCANCEL},
      {MB_YESNOCANCEL | MB_DEFBUTTON3, {IDYES, IDNO, IDCANCEL}, IDCANCEL, IDCANCEL},
      // Neither Yes/No nor Abort/Retry/Ignore can be dismissed.
      {MB_YESNO | MB_DEFBUTTON2, {IDYES, IDNO}, IDNO, std::nullopt},
      // A default button past the last one falls back to the first.
      {MB_ABORTRETRYIGNORE | 0x300, {IDABORT, IDRETRY, IDIGNORE}, IDABORT, std::nullopt},
      {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}, IDRETRY, IDCANCEL},
  };
  for (const StyleCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "style 0x" << std::hex << c.style);
    MessageBoxControls controls(c.style);
    std::vector<int> answers;
    for (const MessageBoxButton& button : controls.Buttons()) answers.push_back(button.answer);
    EXPECT_THAT(answers, ElementsAreArray(c.answers));
    EXPECT_EQ(controls.KeyDown(VK_ESCAPE, false, false), c.escape);
    EXPECT_EQ(controls.KeyDown(VK_F4, false, true), c.escape) << "Alt+F4";
    EXPECT_EQ(controls.Close(), c.escape);
    EXPECT_EQ(controls.KeyDown(VK_RETURN, false, false), c.enter);
  }
}

// One thing the user does: a key (a VK_ code) going down, with Shift or Alt, or up, or the
// mouse's left button going down or up, or the mouse moving, over a button (-1: over none).
struct Input {
  enum Kind { kKeyDown, kKeyUp, kMouseDown, kMouseMove, kMouseUp } kind;
  int value;
  bool shift = false;
  bool alt = false;
};

Input Down(int key) {
  return {Input::kKeyDown, key};
}
Input ShiftDown(int key) {
  return {Input::kKeyDown, key, true};
}
Input AltDown(int key) {
  return {Input::kKeyDown, key, false, true};
}
Input Up(int key) {
  return {Input::kKeyUp, key};
}
Input Press(int button) {
  return {Input::kMouseDown, button};
}
Input Move(int button) {
  return {Input::kMouseMove, button};
}
Input Release(int button) {
  return {Input::kMouseUp, button};
}

struct SequenceCase {
  const char* what;
  UINT style;
  std::vector<Input> inputs;
  std::optional<int> answer;  // what the last input answers; none before it may answer
};

std::optional<int> Feed(MessageBoxControls& controls, const Input& input) {
  const std::optional<std::size_t> button =
      input.value >= 0 ? std::optional<std::size_t>(input.value) : std::nullopt;
  switch (input.kind) {
    case Input::kKeyDown:
      return controls.KeyDown(static_cast<UINT>(input.value), input.shift, input.alt);
    case Input::kKeyUp:
      return controls.KeyUp(static_cast<UINT>(input.value));
    case Input::kMouseDown:
      controls.ButtonDown(button);
      return std::nullopt;
    case Input::kMouseMove:
      controls.PointerOver(button);
      return std::nullopt;
    case Input::kMouseUp:
      return controls.ButtonUp(button);
  }
  return std::nullopt;
}

TEST(MessageBoxControlsTest, KeysAndTheMouseAnswerAsOnWindows) {
  const SequenceCase cases[] = {
      {"Tab moves the focus, Return takes it",
       MB_OKCANCEL,
       {Down(VK_TAB), Down(VK_RETURN)},
       IDCANCEL},
      {"Tab goes round", MB_YESNO, {Down(VK_TAB), Down(VK_TAB), Down(VK_RETURN)}, IDYES},
      {"Shift+Tab goes back round", MB_YESNOCANCEL, {ShiftDown(VK_TAB), Down(VK_RETURN)}, IDCANCEL},
      {"arrows move the focus",
       MB_ABORTRETRYIGNORE,
       {Down(VK_RIGHT), Down(VK_RIGHT), Down(VK_LEFT), Down(VK_RETURN)},
       IDRETRY},
      {"Space answers when it comes up",
       MB_RETRYCANCEL | MB_DEFBUTTON2,
       {Down(VK_SPACE), Up(VK_SPACE)},
       IDCANCEL},
      {"Space down alone answers nothing", MB_OK, {Down(VK_SPACE)}, std::nullopt},
      {"Escape in Yes/No does nothing", MB_YESNO, {Down(VK_ESCAPE)}, std::nullopt},
      {"an access letter answers at once", MB_YESNOCANCEL, {Down('N')}, IDNO},
      {"with Alt too", MB_ABORTRETRYIGNORE, {AltDown('I')}, IDIGNORE},
      {"F4 without Alt does nothing", MB_OKCANCEL, {Down(VK_F4)}, std::nullopt},
      {"OK and Cancel have no letter",
       MB_OKCANCEL,
       {Down('O'), Down('C'), AltDown('O')},
       std::nullopt},
      {"a click on a button", MB_YESNOCANCEL, {Press(2), Release(2)}, IDCANCEL},
      {"released elsewhere answers nothing", MB_YESNO, {Press(1), Release(-1)}, std::nullopt},
      {"released on another button answers nothing",
       MB_YESNO,
       {Press(1), Release(0)},
       std::nullopt},
      {"the pressed button keeps the focus",
       MB_YESNO,
       {Press(1), Release(-1), Down(VK_RETURN)},
       IDNO},
      {"out and back in before the release",
       MB_OKCANCEL,
       {Press(0), Move(-1), Move(0), Release(0)},
       IDOK},
      {"a release without a press", MB_OK, {Release(0)}, std::nullopt},
  };
  for (const SequenceCase& c : cases) {
    SCOPED_TRACE(c.what);
    MessageBoxControls controls(c.style);
    std::optional<int> answer;
    for (std::size_t i = 0; i < c.inputs.size(); ++i) {
      answer = Feed(controls, c.inputs[i]);
      if (i + 1 < c.inputs.size()) {
        ASSERT_EQ(answer, std::nullopt) << "input " << i;
      }
    }
    EXPECT_EQ(answer, c.answer);
  }
}

TEST(MessageBoxControlsTest, APushedButtonLooksPushedOnlyWhileThePointerIsOnIt) {
  MessageBoxControls controls(MB_OKCANCEL);
  controls.ButtonDown(1);
  EXPECT_EQ(controls.Pushed(), 1u);
  EXPECT_EQ(controls.Focus(), 1u);
  controls.PointerOver(std::nullopt);
  EXPECT_EQ(controls.Pushed(), std::nullopt);
  controls.PointerOver(1);
  EXPECT_EQ(controls.Pushed(), 1u);
}

// Every character is 10 pixels wide, whatever its UTF-8 length.
int TenPixelsACharacter(std::string_view text) {
  int characters = 0;
  for (const char byte : text) characters += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
  return 10 * characters;
}

TEST(MessageBoxLayoutTest, TextWrapsAtWordsThenInsideWordsTooLongForALine) {
  const struct {
    const char* text;
    std::vector<std::string> lines;  // at 80 pixels: 8 characters
  } cases[] = {
      {"Checksum Error", {"Checksum", "Error"}},
      {"one two three", {"one two", "three"}},
      {"first\nsecond\r\nthird\rend", {"first", "second", "third", "end"}},
      {"a\n\nb", {"a", "", "b"}},
      {"", {""}},
      {"x abcdefghij", {"x", "abcdefgh", "ij"}},
      {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9",  // nine e-acute
       {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", "\xC3\xA9"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_THAT(WrapText(c.text, 80, TenPixelsACharacter), ElementsAreArray(c.lines));
  }
}

TEST(MessageBoxLayoutTest, ButtonsSitCentredUnderTheIconAndTheWrappedText) {
  MessageBoxContent content;
  content.utf8_text = std::string(300, 'x') + " end";
  content.has_icon = true;
  content.button_count = 3;
  content.line_height = 15;
  const MessageBoxLayout layout = LayOutMessageBox(content, SIZE{800, 600}, TenPixelsACharacter);

  ASSERT_GE(layout.lines.size(), 2u);
  for (const std::string& line : layout.lines) EXPECT_LE(TenPixelsACharacter(line), 400);
  EXPECT_LE(layout.client.cx, 800);
  EXPECT_GE(layout.text.x, layout.icon.right);
  const int text_bottom = layout.text.y + static_cast<int>(layout.lines.size()) * 15;
  ASSERT_EQ(layout.buttons.size(), 3u);
  const RECT& first = layout.buttons.front();
  const RECT& last = layout.buttons.back();
  EXPECT_GT(first.top, text_bottom);
  EXPECT_LE(last.bottom, layout.client.cy);
  EXPECT_NEAR(first.left, layout.client.cx - last.right, 1);  // centred
  for (std::size_t i = 1; i < layout.buttons.size(); ++i) {
    EXPECT_EQ(layout.buttons[i].top, first.top);
    EXPECT_EQ(layout.buttons[i].right - layout.buttons[i].left, first.right - first.left);
    EXPECT_GT(layout.buttons[i].left, layout.buttons[i - 1].right);
  }
}

TEST(MessageBoxLayoutTest, ABoxIsWideEnoughForItsCaptionAndCentresAShortTextOnTheIcon) {
  MessageBoxContent content;
  content.utf8_text = "OK?";
  content.has_icon = true;
  content.caption_width = 500;
  content.line_height = 15;
  const MessageBoxLayout layout = LayOutMessageBox(content, SIZE{1024, 768}, TenPixelsACharacter);
  EXPECT_GE(layout.client.cx, 500);
  EXPECT_EQ(layout.text.y - layout.icon.top, (32 - 15) / 2);
}

}  // namespace
}  // namespace win32compat

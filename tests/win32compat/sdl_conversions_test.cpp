// The Windows forms the SDL backend turns into SDL's and back: cursor masks, ANSI text and key
// codes. None needs a display.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdl_ansi_text.h"
#include "sdl_cursors.h"
#include "sdl_keys.h"

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

TEST(SdlKeysTest, KeysBecomeWindowsVirtualKeys) {
  const struct {
    SDL_Keycode sdl;
    UINT virtual_key;
  } cases[] = {
      {SDLK_a, 'A'},
      {SDLK_z, 'Z'},
      {SDLK_0, '0'},
      {SDLK_9, '9'},
      {SDLK_F1, VK_F1},
      {SDLK_F4, VK_F4},
      {SDLK_F12, VK_F12},
      {SDLK_LALT, VK_MENU},
      {SDLK_RALT, VK_MENU},
      {SDLK_RSHIFT, VK_SHIFT},
      {SDLK_LCTRL, VK_CONTROL},
      {SDLK_RETURN, VK_RETURN},
      {SDLK_KP_ENTER, VK_RETURN},
      {SDLK_ESCAPE, VK_ESCAPE},
      {SDLK_TAB, VK_TAB},
      {SDLK_SPACE, VK_SPACE},
      {SDLK_LEFT, VK_LEFT},
      {SDLK_DELETE, VK_DELETE},
      {SDLK_F13, 0},
      {SDLK_VOLUMEUP, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VirtualKeyOf(c.sdl), c.virtual_key) << "SDL key " << c.sdl;
  }
}

}  // namespace
}  // namespace win32compat

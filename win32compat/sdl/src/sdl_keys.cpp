#include "sdl_keys.h"

#include <utility>

namespace win32compat {
namespace {

constexpr std::pair<SDL_Keycode, UINT> kNamedKeys[] = {
    {SDLK_BACKSPACE, VK_BACK},  {SDLK_TAB, VK_TAB},       {SDLK_RETURN, VK_RETURN},
    {SDLK_KP_ENTER, VK_RETURN}, {SDLK_LSHIFT, VK_SHIFT},  {SDLK_RSHIFT, VK_SHIFT},
    {SDLK_LCTRL, VK_CONTROL},   {SDLK_RCTRL, VK_CONTROL}, {SDLK_LALT, VK_MENU},
    {SDLK_RALT, VK_MENU},       {SDLK_PAUSE, VK_PAUSE},   {SDLK_CAPSLOCK, VK_CAPITAL},
    {SDLK_ESCAPE, VK_ESCAPE},   {SDLK_SPACE, VK_SPACE},   {SDLK_PAGEUP, VK_PRIOR},
    {SDLK_PAGEDOWN, VK_NEXT},   {SDLK_END, VK_END},       {SDLK_HOME, VK_HOME},
    {SDLK_LEFT, VK_LEFT},       {SDLK_UP, VK_UP},         {SDLK_RIGHT, VK_RIGHT},
    {SDLK_DOWN, VK_DOWN},       {SDLK_INSERT, VK_INSERT}, {SDLK_DELETE, VK_DELETE},
};

}  // namespace

UINT VirtualKeyOf(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<UINT>(key - SDLK_a + 'A');
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<UINT>(key);
  if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<UINT>(VK_F1 + (key - SDLK_F1));
  for (const auto& [sdl, virtual_key] : kNamedKeys) {
    if (sdl == key) return virtual_key;
  }
  return 0;
}

}  // namespace win32compat

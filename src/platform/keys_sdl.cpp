// SDL key codes to the Windows virtual-key codes that the game's key
// handling and the controls files use. Letters, digits and punctuation
// follow the key's character in the current layout, as virtual-key codes
// do; the punctuation codes are those of the US layout's keys.
#include <SDL.h>

#include "platform/window_local.h"

namespace platform {
namespace {

struct KeyPair {
    SDL_Keycode sdl;
    int virtualKey;
};

constexpr KeyPair KeyTable[] = {
    {SDLK_BACKSPACE, VkBack}, {SDLK_TAB, VkTab}, {SDLK_RETURN, VkReturn}, {SDLK_KP_ENTER, VkReturn},
    {SDLK_LSHIFT, VkShift}, {SDLK_RSHIFT, VkShift}, {SDLK_LCTRL, VkControl}, {SDLK_RCTRL, VkControl},
    {SDLK_LALT, VkMenu}, {SDLK_RALT, VkMenu}, {SDLK_PAUSE, VkPause}, {SDLK_CAPSLOCK, VkCapital},
    {SDLK_ESCAPE, VkEscape}, {SDLK_SPACE, VkSpace},
    {SDLK_PAGEUP, VkPrior}, {SDLK_PAGEDOWN, VkNext}, {SDLK_END, VkEnd}, {SDLK_HOME, VkHome},
    {SDLK_LEFT, VkLeft}, {SDLK_UP, VkUp}, {SDLK_RIGHT, VkRight}, {SDLK_DOWN, VkDown},
    {SDLK_PRINTSCREEN, VkSnapshot}, {SDLK_INSERT, VkInsert}, {SDLK_DELETE, VkDelete},
    {SDLK_LGUI, 0x5B}, {SDLK_RGUI, 0x5C}, {SDLK_APPLICATION, 0x5D},
    {SDLK_KP_0, VkNumpad0}, {SDLK_KP_1, VkNumpad0 + 1}, {SDLK_KP_2, VkNumpad0 + 2},
    {SDLK_KP_3, VkNumpad0 + 3}, {SDLK_KP_4, VkNumpad0 + 4}, {SDLK_KP_5, VkNumpad0 + 5},
    {SDLK_KP_6, VkNumpad0 + 6}, {SDLK_KP_7, VkNumpad0 + 7}, {SDLK_KP_8, VkNumpad0 + 8},
    {SDLK_KP_9, VkNumpad0 + 9}, {SDLK_KP_MULTIPLY, VkMultiply}, {SDLK_KP_PLUS, VkAdd},
    {SDLK_KP_MINUS, VkSubtract}, {SDLK_KP_PERIOD, VkDecimal}, {SDLK_KP_DIVIDE, VkDivide},
    {SDLK_F1, VkF1}, {SDLK_F2, VkF1 + 1}, {SDLK_F3, VkF1 + 2}, {SDLK_F4, VkF1 + 3},
    {SDLK_F5, VkF1 + 4}, {SDLK_F6, VkF1 + 5}, {SDLK_F7, VkF1 + 6}, {SDLK_F8, VkF1 + 7},
    {SDLK_F9, VkF1 + 8}, {SDLK_F10, VkF1 + 9}, {SDLK_F11, VkF1 + 10}, {SDLK_F12, VkF12},
    {SDLK_F13, 0x7C}, {SDLK_F14, 0x7D}, {SDLK_F15, 0x7E}, {SDLK_F16, 0x7F},
    {SDLK_F17, 0x80}, {SDLK_F18, 0x81}, {SDLK_F19, 0x82}, {SDLK_F20, 0x83},
    {SDLK_F21, 0x84}, {SDLK_F22, 0x85}, {SDLK_F23, 0x86}, {SDLK_F24, 0x87},
    {SDLK_NUMLOCKCLEAR, VkNumLock}, {SDLK_SCROLLLOCK, VkScroll},
    {SDLK_SEMICOLON, VkOem1}, {SDLK_EQUALS, VkOemPlus}, {SDLK_PLUS, VkOemPlus},
    {SDLK_COMMA, VkOemComma}, {SDLK_MINUS, VkOemMinus}, {SDLK_PERIOD, VkOemPeriod},
    {SDLK_SLASH, VkOem2}, {SDLK_BACKQUOTE, VkOem3}, {SDLK_LEFTBRACKET, VkOem4},
    {SDLK_BACKSLASH, VkOem5}, {SDLK_RIGHTBRACKET, VkOem6}, {SDLK_QUOTE, VkOem7},
    {SDLK_LESS, VkOem102},
};

} // namespace

int VirtualKeyFromSdl(int32_t sdlKeyCode)
{
    if (sdlKeyCode >= SDLK_a && sdlKeyCode <= SDLK_z)
        return 'A' + (sdlKeyCode - SDLK_a);
    if (sdlKeyCode >= SDLK_0 && sdlKeyCode <= SDLK_9)
        return sdlKeyCode;
    for (const KeyPair& pair : KeyTable) {
        if (pair.sdl == sdlKeyCode)
            return pair.virtualKey;
    }
    return 0;
}

} // namespace platform

#include <gtest/gtest.h>

#include "platform/backend/SdlBackend.h"
#include "platform/ui/Messages.h"

TEST(KeyMapTest, DesktopKeysBecomeVirtualKeys)
{
    struct Case {
        SDL_Keycode key;
        uint16_t expected;
    };
    const Case cases[] = {
        {SDLK_a, 'A'},
        {SDLK_z, 'Z'},
        {SDLK_0, '0'},
        {SDLK_9, '9'},
        {SDLK_F1, VK_F1},
        {SDLK_F10, VK_F10},
        {SDLK_TAB, VK_TAB},
        {SDLK_RETURN, VK_RETURN},
        {SDLK_KP_ENTER, VK_RETURN},
        {SDLK_ESCAPE, VK_ESCAPE},
        {SDLK_LEFT, VK_LEFT},
        {SDLK_PAGEDOWN, VK_NEXT},
        {SDLK_RSHIFT, VK_SHIFT},
        {SDLK_LCTRL, VK_CONTROL},
        {SDLK_RALT, VK_MENU},
        {SDLK_CAPSLOCK, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VirtualKeyOfSdlKey(c.key), c.expected) << SDL_GetKeyName(c.key);
}

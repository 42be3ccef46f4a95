#include "platform/ui/KeyChars.h"

#include "platform/ui/WindowSystem.h"

char32_t KeyDownChar(uint16_t key, TShiftState shift)
{
    if (shift & ssAlt)
        return 0;
    if ((shift & ssCtrl) && key >= 'A' && key <= 'Z')
        return static_cast<char32_t>(key - 'A' + 1);
    switch (key) {
    case VK_BACK: return 8;
    case VK_RETURN: return 13;
    case VK_ESCAPE: return 27;
    default: return 0;
    }
}

void PostKeyDownChar(HWND window, const TMessage& keyDown)
{
    if (keyDown.Msg != WM_KEYDOWN)
        return;
    char32_t ch = KeyDownChar(static_cast<uint16_t>(keyDown.WParam), KeyDataToShiftState(keyDown.LParam));
    if (ch != 0)
        PostMessage(window, WM_CHAR, ch, keyDown.LParam);
}

#pragma once
// The characters a key stroke makes besides the desktop's text input:
// Backspace, Enter, Escape and the Ctrl+letter control codes. The desktop
// backends deliver only printable text, so the text controls make these
// characters themselves from the key-down they did not otherwise use.

#include <cstdint>

#include "platform/ui/Messages.h"

// The character of a key-down (0 when it makes none).
char32_t KeyDownChar(uint16_t key, TShiftState shift);

// Posts the character of a WM_KEYDOWN to `window` as a WM_CHAR that
// follows it, when the key makes one.
void PostKeyDownChar(HWND window, const TMessage& keyDown);

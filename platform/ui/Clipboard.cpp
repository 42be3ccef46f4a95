#include "platform/ui/Clipboard.h"

#include "platform/ui/WindowSystem.h"

TClipboard* Clipboard()
{
    static TClipboard clipboard;
    return &clipboard;
}

std::string TClipboard::AsText() const { return WindowSystem().Backend().ClipboardText(); }

void TClipboard::SetAsText(const std::string& text) { WindowSystem().Backend().SetClipboardText(text); }

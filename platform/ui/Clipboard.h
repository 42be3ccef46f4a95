#pragma once
// The clipboard: text goes to the desktop's clipboard through the backend.

#include <string>

class TClipboard {
public:
    std::string AsText() const;
    void SetAsText(const std::string& text);
    bool HasText() const { return !AsText().empty(); }
};

TClipboard* Clipboard();

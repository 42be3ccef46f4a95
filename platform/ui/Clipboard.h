#pragma once
// The clipboard: text goes to the desktop's clipboard through the backend;
// other formats are named, registered in the process, and their data stays
// in the process (a block of bytes per format).

#include <cstdint>
#include <string>
#include <vector>

using TClipFormat = uint32_t;

// The id of a named format; the same name always gives the same id. Ids
// start above the range of predefined formats; an empty name gives 0.
TClipFormat RegisterClipboardFormat(const std::string& name);

class TClipboard {
public:
    std::string AsText() const;
    void SetAsText(const std::string& text);
    bool HasText() const { return !AsText().empty(); }

    // In-process formats; an id that was never registered is refused.
    bool HasFormat(TClipFormat format) const;
    bool SetFormatData(TClipFormat format, std::vector<uint8_t> data);
    // Empty when the format holds nothing.
    std::vector<uint8_t> FormatData(TClipFormat format) const;
    // Empties every in-process format.
    void ClearFormats();
};

TClipboard* Clipboard();

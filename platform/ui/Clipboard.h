#pragma once
// The clipboard: text goes to the desktop's clipboard through the backend;
// other formats (bitmaps, CF_BITMAP, and the names registered in the process)
// keep their data in the process, a block of bytes per format.

#include "platform/gfx/Graphic.h"

#include <cstdint>
#include <string>
#include <vector>

// The id of a named format; the same name always gives the same id. Ids
// start above the range of predefined formats; an empty name gives 0.
TClipFormat RegisterClipboardFormat(const std::string& name);

class TClipboard {
public:
    std::string AsText() const;
    void SetAsText(const std::string& text);
    bool HasText() const { return !AsText().empty(); }

    // In-process formats; an id that is neither CF_BITMAP nor registered is refused.
    bool HasFormat(TClipFormat format) const;
    bool SetFormatData(TClipFormat format, std::vector<uint8_t> data);
    // Empty when the format holds nothing.
    std::vector<uint8_t> FormatData(TClipFormat format) const;
    // Empties every in-process format.
    void ClearFormats();
};

TClipboard* Clipboard();

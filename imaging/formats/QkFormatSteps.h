#pragma once
// The steps of the component's common load and save that a built-in format
// leaves out or adds.

#include <cstdint>
#include <vector>

#include "imaging/core/QkIOFormatFields.h"

class TIOParamsVals;

struct TQkFormatSteps {
    // A resolution below 2 becomes the default after a load.
    bool FixDpi = true;
    bool AdjustDpi = true;
    bool ApplyDpiAfterFileLoad = true;
    bool ApplyDpiAfterStreamLoad = true;
    // Saves turn any pixel format but 24-bit colour and 1-bit gray into
    // 24-bit colour, in the component's own image.
    bool ConvertOnSave = false;
    // The 12-byte stream header's signature, or nullptr.
    const char* StreamHeader = nullptr;
};

TQkFormatSteps FormatSteps(int32_t fileType);

// The images an icon save writes: the leading entries of IcoSizes with a
// positive width, with their bit counts.
struct TQkIconSaveList {
    std::vector<TQkIcoSize> Sizes;
    std::vector<int32_t> BitCounts;
};
TQkIconSaveList IconSaveList(const TIOParamsVals& params);

#pragma once
// The settings the print-preview dialogs keep between uses; the component
// holds them for the dialogs and reads none of them itself.

#include <array>
#include <cstdint>

struct TIOPrintPreviewParams {
    // Left, top, right, bottom.
    std::array<double, 4> Margins{1.0, 1.0, 1.0, 1.0};
    uint8_t PositionCode = 4;
    uint8_t SizeCode = 1;
    // -1: not set by the user.
    double SizeWidth = -1.0;
    double SizeHeight = -1.0;
    double Correction = 1.0;
};

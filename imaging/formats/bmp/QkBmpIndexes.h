#pragma once
// One palette index a pixel, row by row, for the writers of 4- and 8-bit
// images: a qk8p image's own indexes when they all fit the palette,
// otherwise the indexes of a palette quantized from the 24-bit pixels.

#include <memory>
#include <span>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkQuantizer.h"

class TQkBmpIndexRows {
public:
    // `palette` receives the image's palette or the quantized one; its size
    // is the number of colours.
    TQkBmpIndexRows(TQkBitmap& bitmap, std::span<TRGBPixel> palette);
    // Image row y from the top; valid until the next call.
    std::span<const uint8_t> Row(int32_t y);

private:
    TQkBitmap* source_;
    std::unique_ptr<TQkBitmap> copy_;
    std::unique_ptr<TQkQuantizer> quantizer_;
    std::vector<TRGBPixel> palette_;
    std::vector<uint8_t> row_;
};

#pragma once
// What a TIFF page is written as: the bitmap in the pixel format the file
// rows come from, the samples, the photometric and the compression.

#include <memory>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkQuantizer.h"
#include "imaging/formats/tiff/TiffStripWriter.h"

class TIOParamsVals;

struct TTiffLayout {
    // The bitmap itself or `Copy`.
    TQkBitmap* Working = nullptr;
    std::unique_ptr<TQkBitmap> Copy;
    std::unique_ptr<TQkQuantizer> Quantizer;
    std::vector<TRGBPixel> Palette;
    int32_t Samples = 3;
    // The bits of 1-bit fax pages were inverted (0 white).
    bool Inverted = false;
    TTiffWriteOptions Options;
};

// Chooses the layout from the parameters and the bitmap.
void ChooseTiffLayout(TQkBitmap& bitmap, TIOParamsVals& params, TTiffLayout& layout);

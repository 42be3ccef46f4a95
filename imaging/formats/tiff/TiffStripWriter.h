#pragma once
// The pixel data of one TIFF page: rows prepared for the layout chosen,
// encoded strip by strip, and the strip tags.

#include <cstdint>

#include "imaging/core/QkLzwHooks.h"
#include "imaging/core/QkSettings.h"

class TQkBitmap;
class TQkQuantizer;
class TIOParamsVals;
class TTiffEntryWriter;

// What one write call decided about the page.
struct TTiffWriteOptions {
    uint32_t Compression = 1;
    bool TwoDimensional = false;
    int32_t FillOrder = 1;
    int32_t Predictor = 1;
    // Indices of one-sample colour and gray layouts; null otherwise.
    const TQkQuantizer* Quantizer = nullptr;
    int32_t Bits = 8;
    // 1 gray, 2 RGB, 3 palette, 5 CMYK, 8 CIELab.
    uint32_t Photometric = 2;
    // Out: an alpha sample follows R, G, B.
    bool Alpha = false;
    TTiffLzwEncoder Lzw;
    int32_t JpegQuality = 80;
    uint8_t JpegColorSpace = 2;
    int32_t DeflateLevel = 1;
};

// Writes the strips of `bitmap` and adds RowsPerStrip, StripOffsets and
// StripByteCounts (not when aborted).
void WriteTiffStrips(TTiffEntryWriter& entries, TQkBitmap& bitmap, TTiffWriteOptions& options, TIOParamsVals& params,
                     TQkFilterProgress& progress);
// Compression 6: one JPEG stream with its interchange-format tags.
void WriteOldStyleJpeg(TTiffEntryWriter& entries, TQkBitmap& bitmap, const TTiffWriteOptions& options,
                       TQkFilterProgress& progress);
// The strip rows: about 512 KB of bitmap rows, at least one row.
int32_t TiffRowsPerStrip(int32_t height, int64_t rowLength);

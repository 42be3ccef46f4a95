#pragma once
// The part of an icon or cursor image after the directory: the 40-byte
// header, the palette, the colour rows and the AND rows.

#include <cstdint>

#include "imaging/core/QkBitmap.h"
#include "imaging/formats/QkFormatRows.h"

struct TQkIcoInfoHeader {
    int32_t Width = 0;
    // Twice the image's height: colour rows and AND rows.
    int32_t Height = 0;
    int32_t BitCount = 0;
    int32_t PixelsPerMetreX = 0;
    int32_t PixelsPerMetreY = 0;
    // The image is a PNG stream, whose start the stream is back at.
    bool Png = false;
};
TQkIcoInfoHeader ReadIcoInfoHeader(TStream& stream);

// What the reader decided from the directory and the header.
struct TQkIcoLayout {
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Bits = 0;
    // Palette entries to read; 0 frees the palette, -1 leaves it.
    int32_t PaletteCount = 0;
    TQkPixelFormat Format = qk24RGB;
    TRGBPixel Background;
    // An opaque mask is dropped (icons) or kept (cursors).
    bool DropOpaqueMask = true;
};
// Reads the palette and sets the size parameters; then, unless ParamsOnly,
// the pixels and the AND mask. Sets Aborting for a size beyond the decode
// limit or a bit count without pixels.
void ReadIcoBody(TQkReadRequest& request, const TQkIcoLayout& layout);
// The header's resolution, or the default one.
void SetIcoDpi(TIOParamsVals& params, const TQkIcoInfoHeader& header);

#pragma once
// Decoding of a TIFF page's strips or tiles, chunky or in separate planes,
// into the bitmap the reader has allocated.

#include <cstdint>

#include "imaging/core/QkLzwHooks.h"

struct TTiffPage;
class TTiffDirectory;
class TQkBitmap;
class TIOParamsVals;
struct TQkFilterProgress;

struct TTiffDecodeTarget {
    TQkBitmap& Bitmap;
    // The alpha channel's bitmap, or null.
    TQkBitmap* Alpha;
    TIOParamsVals& Params;
    TQkFilterProgress& Progress;
    TTiffLzwDecoder Lzw;
    // Holds an aborting flag (the reader supplies one when the caller did not).
    // -1 for the whole page, else the one tile that is the page.
    int32_t TileIndex = -1;
};

// Sets the aborting flag when the page cannot be decoded: a layout the
// converter does not know, a block index outside the offset arrays, or a
// codec failure.
void DecodeTiffPixels(const TTiffDirectory& directory, const TTiffPage& page, TTiffDecodeTarget& target);

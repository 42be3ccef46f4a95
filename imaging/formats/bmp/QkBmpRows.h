#pragma once
// The bitmap reader's pixels: stored rows into the bitmap, and the
// run-length data through the codecs.

#include <memory>

#include "imaging/core/QkMask.h"
#include "imaging/formats/QkFormatRows.h"
#include "imaging/formats/bmp/QkBmpHeader.h"

// Fills the allocated bitmap from the stream's position. The alpha mask is
// created for 32-bit images unless ignored, and dropped again when every
// alpha byte was 0 or every one 255.
void ReadBmpPixels(TQkReadRequest& request, const TQkBmpHeader& header, int64_t compressedLength);

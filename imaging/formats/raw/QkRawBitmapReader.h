#pragma once
// Headerless raw pixel data into a bitmap the caller has already sized:
// binary, ASCII decimal or ASCII hexadecimal samples, interleaved or planar,
// with a row alignment and leading bytes to skip (the BmpRaw parameters).

#include "imaging/formats/QkFormatRows.h"

// Sets Aborting for a negative data offset; raises EQkFormatNotSupported
// "Format unsupported" for hexadecimal data into a qk32f bitmap. Short data
// is not reported.
void ReadRawBitmap(TQkReadRequest& request);

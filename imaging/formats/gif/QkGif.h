#pragma once
// The GIF filter: one image of a GIF87a/GIF89a file, chosen by
// GifImageIndex, and single-image GIF89a files written. The LZW coding
// goes through the parameters' codec procedures.

#include "imaging/formats/QkFormatRows.h"

// Counts the file's images into request.ImageCount and the parameters.
// Honours ParamsOnly and IgnoreAlpha (no transparency mask); sets Aborting
// on a bad header, bad data, an unavailable codec or an index past the count
// (a parameters-only read still reports the count).
void ReadGifImage(TQkReadRequest& request);
// BitsPerSample 1 to 8 gives the table size; an alpha channel takes the
// last table entry as the transparent one.
void WriteGifImage(TQkWriteRequest& request);

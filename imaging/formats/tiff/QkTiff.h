#pragma once
// TIFF: pages of baseline and extended TIFF files.

#include "imaging/formats/QkFormatRows.h"

class TStream;

// Reads page TiffImageIndex (SubIFD TiffSubIndex, tile TiffTileIndex) of the
// TIFF data at the stream's position; offsets count from that position
// unless the request says AbsoluteOffsets. Honours ParamsOnly and
// IgnoreAlpha; bad data sets Aborting.
void ReadTiffImage(TQkReadRequest& request);

// True when the data at the position starts with a TIFF header whose first
// directory can be read; the position is left where it was.
bool IsTiffStream(TStream& stream);

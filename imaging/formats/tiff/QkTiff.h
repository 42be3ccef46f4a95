#pragma once
// TIFF: pages of baseline and extended TIFF files.

#include "imaging/formats/QkFormatRows.h"

class TStream;

// Reads page TiffImageIndex (SubIFD TiffSubIndex, tile TiffTileIndex) of the
// TIFF data at the stream's position; offsets count from that position
// unless the request says AbsoluteOffsets. Honours ParamsOnly and
// IgnoreAlpha; bad data sets Aborting.
void ReadTiffImage(TQkReadRequest& request);

// The probes leave the stream's position where it was.
// A TIFF header whose first directory loads and holds the image size.
bool IsTiffStream(TStream& stream);
// TIFF-structured camera raw data: a DNG version, a colour-filter-array
// photometric, or SubIFDs beside tag 37398 on a small first image.
bool IsCameraRawTiff(TStream& stream);
// A little-endian TIFF structure carrying the HD Photo tags.
bool IsHdPhotoStream(TStream& stream);

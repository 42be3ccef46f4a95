#pragma once
// TIFF: pages of baseline and extended TIFF files.

#include <string>

#include "imaging/formats/QkFormatRows.h"

class TStream;
class TIOParamsVals;

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

// Puts the parameters' EXIF fields and image tags (with the EXIF and GPS
// directories) into page `pageIndex` of the TIFF-structured file read from
// `input` (or, when null, the file `inputFileName`), and writes the whole
// file to `output` (or `outputFileName`); the same stream for both is
// rewritten from where the file starts and cut after it. False when the
// block cannot be built, the file cannot be read or written, the page does
// not exist, or the file is big-endian.
bool CopyExifIntoTiffPage(TStream* input, TStream* output, const std::string& inputFileName, TIOParamsVals& params,
                          int32_t pageIndex, const std::string& outputFileName);

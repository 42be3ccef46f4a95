#pragma once
// What a JPEG save does to the loaded metadata markers before the writer
// writes them: the Photoshop resolution resource takes the current
// resolution, and the IPTC, EXIF and XMP blocks are rebuilt from the
// parameters.

#include <cstdint>
#include <functional>
#include <vector>

class TIOParamsVals;
class TQkMarkerList;

constexpr uint8_t JpegApp1 = 0xE1;
constexpr uint8_t JpegApp13 = 0xED;

// Writes the resolutions (16.16 fixed point, unit inches) into the
// resolution resource of the first APP13 marker. The marker comes from a
// loaded file: a resource whose name, size or body runs past the marker is
// left alone.
void UpdateJpegResolution(TQkMarkerList& markers, int32_t dpiX, int32_t dpiY);

// Builds the EXIF block with its "Exif" header; false when there is none.
using TQkExifBlockBuilder = std::function<bool(TIOParamsVals& params, std::vector<uint8_t>& block)>;

// The resolution, then IPTC (replacing, adding or deleting the first APP13),
// EXIF (replacing the first EXIF APP1) and XMP (replacing the first XMP
// APP1). A block too long for one marker is not written.
void RebuildJpegMarkers(TIOParamsVals& params, const TQkExifBlockBuilder& buildExif);
void RebuildJpegMarkers(TIOParamsVals& params);

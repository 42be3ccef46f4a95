#pragma once
// EXIF and XMP blocks to and from the image parameters.

#include <cstdint>
#include <vector>

class TIOParamsVals;
class TStream;

// The EXIF and GPS fields of the source into the destination, through the
// setters that keep the linked TIFF fields and the tag list in step. The
// destination's ExifHasExifData and thumbnail stay; its EXIF image
// description takes the source's TIFF one (the TIFF reader fills both).
void CopyExifFields(const TIOParamsVals& source, TIOParamsVals& destination);

// The XMP packet of an APP1 payload into XmpInfo; false when the payload
// holds none.
bool LoadXMPFromSegment(const uint8_t* data, int64_t length, TIOParamsVals& params);
// The APP1 payload of XmpInfo: the namespace identifier, then the packet.
std::vector<uint8_t> BuildXMPSegment(const TIOParamsVals& params);

// The EXIF block is a small TIFF file: these go through the TIFF reader and
// writer, which the imaging core does not hold yet. Until they do, each
// answers false and leaves its arguments as they were.
bool SaveExifToBuffer(TIOParamsVals& params, std::vector<uint8_t>& buffer, bool withHeader);
bool LoadExifFromBuffer(const uint8_t* data, int64_t length, TIOParamsVals& params);
bool LoadExifAndThumbnailFromTiff(TStream& stream, TIOParamsVals& params);
bool LoadExifFromTiffStream(TStream& stream, TIOParamsVals& params);

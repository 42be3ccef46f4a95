#pragma once
// EXIF and XMP blocks to and from the image parameters.

#include <cstdint>
#include <functional>
#include <vector>

class TIOParamsVals;
class TQkBitmap;
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

// The TIFF reader and writer live with the file formats, which fill this
// table at start-up. Both keep the stream's position.
struct TQkExifTiffCodec {
    // Page `index` of the TIFF at the stream's position: its fields into
    // the parameters, and its pixels into `bitmap` when given. False when
    // the page or, with a bitmap, its pixels cannot be read.
    std::function<bool(TStream& stream, int32_t index, TIOParamsVals& params, TQkBitmap* bitmap)> ReadPage;
    // The parameters' tags (and `bitmap` when given) as a new TIFF at the
    // stream's position or, appending, as page TiffImageIndex of the TIFF
    // the stream holds from position 0. False on failure.
    std::function<bool(TStream& stream, bool append, TQkBitmap* bitmap, TIOParamsVals& params)> WritePage;
};
extern TQkExifTiffCodec ExifTiffCodec;

// The EXIF block is a small TIFF file: these go through ExifTiffCodec, and
// without it answer false, leaving their arguments as they were.
// The block of the parameters' EXIF fields, with the thumbnail as a second
// page, behind "Exif" NUL NUL when asked.
bool SaveExifToBuffer(TIOParamsVals& params, std::vector<uint8_t>& buffer, bool withHeader);
// The fields of an "Exif" block's first page and its thumbnail, turned
// upright; false for data that is not such a block.
bool LoadExifFromBuffer(const uint8_t* data, int64_t length, TIOParamsVals& params);
// The fields of a TIFF-structured camera file's first page, with the
// smaller non-empty image of pages 0 and 1 as the thumbnail.
bool LoadExifAndThumbnailFromTiff(TStream& stream, TIOParamsVals& params);
// The fields of the TIFF's first page straight into the parameters.
bool LoadExifFromTiffStream(TStream& stream, TIOParamsVals& params);

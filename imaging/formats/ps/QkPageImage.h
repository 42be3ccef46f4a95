#pragma once
// What the PostScript and PDF writers share: the form an image takes on a
// page and the image data codings both offer.

#include <cstdint>
#include <variant>
#include <vector>

class TMemoryStream;
class TQkBitmap;
class TIOParamsVals;
struct TQkFilterProgress;

// What a memory stream holds.
std::vector<uint8_t> MemoryStreamBytes(TMemoryStream& stream);

// An empty image has no page: sets Aborting and answers true.
bool RefuseEmptyPage(TQkBitmap& bitmap, TQkFilterProgress& progress);

// 1-bit images keep one bit a sample; every other page is 24-bit RGB.
bool IsOneBitPage(TQkBitmap& bitmap);
// The image itself when 1-bit or 24-bit RGB, else a 24-bit copy made in
// `copy`.
TQkBitmap& PageBitmap(TQkBitmap& bitmap, TQkBitmap& copy);
// BitsPerSample and SamplesPerPixel as the page encodes them: 1 and 1, or 8
// and 3.
void SetPageSampleLayout(TQkBitmap& bitmap, TIOParamsVals& params);

// A row as pages sample it: the first ceil(width / 8) bytes of a 1-bit row,
// or a 24-bit row's pixels in red, green, blue order (made in `buffer`).
int64_t PageRowBytes(TQkBitmap& bitmap);
const uint8_t* PageRow(TQkBitmap& bitmap, int32_t y, std::vector<uint8_t>& buffer);
// Every row so, top row first, with progress per row.
std::vector<uint8_t> PageRows(TQkBitmap& bitmap, TQkFilterProgress& progress);

// CCITT G4 (`g4`) or two-dimensional G3 data of a 1-bit image's rows as
// stored, read back under /BlackIs1 true; ended, and padded with zeros to a
// multiple of 4 bytes.
std::vector<uint8_t> FaxCodedRows(TQkBitmap& bitmap, bool g4, TQkFilterProgress& progress);

// One entry of the CCITTFaxDecode parameters that match FaxCodedRows.
struct TFaxDecodeParameter {
    const char* Key;
    std::variant<int32_t, bool> Value;
};
std::vector<TFaxDecodeParameter> FaxDecodeParameters(bool g4, int32_t width, int32_t height);

// The JpegColorSpace values pages are coded in.
constexpr uint8_t JpegGrayscale = 1;
constexpr uint8_t JpegYCbCr = 2;

// The image as a JPEG stream in `colorSpace` (a JpegColorSpace value), with
// the other JPEG settings of `params`, which stay as they are.
std::vector<uint8_t> JpegCodedImage(TQkBitmap& bitmap, const TIOParamsVals& params, uint8_t colorSpace,
                                    TQkFilterProgress& progress);

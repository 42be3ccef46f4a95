#pragma once
// DICOM images (PS 3.10 files, with or without the preamble): the element
// walk that fills the parameters' DicomTags, and one frame of native,
// run-length, JPEG (baseline and lossless) or JPEG 2000 pixel data, mapped
// for display.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/formats/QkFormatRows.h"

class TStream;

// "DICM" at offset 128 from the position, which is left where it was.
bool IsDicom(TStream& stream);
// Honours ParamsOnly and the image index (clamped to the frames there
// are). Bad data, a transfer syntax without a decoder here and pixel
// layouts it cannot show set Aborting; the elements read so far stay.
void ReadDicom(TQkReadRequest& request);

// The first value of a decimal string (before any "\"), or the default.
double DicomDecimal(const std::string& text, double defaultValue);

// PackBits into `out` (its size is the count wanted) from `data`; returns
// the bytes of `data` consumed. Output and input never run past their ends.
int64_t UnpackBits(const uint8_t* data, int64_t length, std::vector<uint8_t>& out);

// A frame of the T.81 lossless process: samples row by row, the components
// of a pixel side by side, with the point transform applied.
struct TLosslessJpegFrame {
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Components = 0;
    int32_t Precision = 0;
    std::vector<uint16_t> Samples;
};

// False for data that is not a complete lossless frame.
bool DecodeLosslessJpeg(const uint8_t* data, int64_t length, TLosslessJpegFrame& frame);

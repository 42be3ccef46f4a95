#pragma once
// The stages of a frame between its coded bytes and the bitmap: the
// decoders of each coding, and the output of grey, palette and colour
// samples. Each returns false when it cannot show the frame.

#include <cstdint>
#include <vector>

#include "imaging/formats/dicom/QkDicomContext.h"

// Stored one-sample values, rows x columns, as the data means them
// (signed when the pixel representation says so).
using TDicomSamples = std::vector<int32_t>;

// The stored bits of a sample container, sign-extended for signed data.
int32_t DicomSampleValue(const TDicomContext& context, uint32_t raw);

// Grey through rescale, window and stretch to qk8g or qk16g, inverted for
// MONOCHROME1; palette colour through the lookup tables.
bool ShowOneSampleFrame(TDicomContext& context, const TDicomSamples& samples);
// Three interleaved bytes a pixel, RGB or full-range YCbCr by the
// photometric interpretation, into qk24RGB.
bool ShowColourFrame(TDicomContext& context, const std::vector<uint8_t>& interleaved);

class TQkBitmap;
// A frame a codec delivered whole: grey (qk8g or qk16g, as stored) goes
// through the one-sample output, colour (qk24RGB) is taken as it is.
bool ShowCodecFrame(TDicomContext& context, TQkBitmap& decoded);

bool DecodeNativeFrame(TDicomContext& context, const std::vector<uint8_t>& frame);
// The bytes a native frame takes; 0 for layouts the reader cannot show.
int64_t NativeFrameBytes(const TDicomContext& context);
bool DecodeRleFrame(TDicomContext& context, const std::vector<uint8_t>& frame);
bool DecodeLosslessJpegFrame(TDicomContext& context, const std::vector<uint8_t>& frame);
bool DecodeBaselineJpegFrame(TDicomContext& context, const std::vector<uint8_t>& frame);
bool DecodeJpeg2000Frame(TDicomContext& context, const std::vector<uint8_t>& frame);

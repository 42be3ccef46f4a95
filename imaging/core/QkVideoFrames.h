#pragma once
// Packed and planar YUV frame layouts of video capture, known by their
// FOURCC codes, unpacked into 24-bit RGB bitmaps.

#include <cstdint>

class TQkBitmap;

// One pixel from video-range YCbCr: out[0] blue, out[1] green, out[2] red.
void YUVToBGR(int32_t y, int32_t u, int32_t v, uint8_t* out);

// The four characters in memory order as a little-endian number.
constexpr uint32_t MakeFourCC(const char (&code)[5])
{
    return uint32_t(uint8_t(code[0])) | uint32_t(uint8_t(code[1])) << 8 | uint32_t(uint8_t(code[2])) << 16 |
        uint32_t(uint8_t(code[3])) << 24;
}

// Bytes of a width x height frame in the layout; -1 for an unknown code.
// Rows end with a whole block even when the width ends inside one.
int64_t VideoFrameBytes(uint32_t fourcc, int64_t width, int64_t height);

// Unpacks `length` bytes of frame data into the bitmap, which must already
// hold width x height qk24RGB pixels. `positiveHeight` is the sign of the
// DIB's height, which sets the filling direction. False, with nothing
// written, when the layout is unknown or the data are too short.
bool UnpackVideoFrame(uint32_t fourcc, const uint8_t* data, int64_t length, bool positiveHeight, TQkBitmap& bitmap);

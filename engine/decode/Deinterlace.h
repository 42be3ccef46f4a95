#pragma once
// Deinterlacing of planar 8-bit pictures in place: every line of the second
// field becomes a vertical low-pass of five lines around it (taps -1, 4, 2,
// 4, -1 over 8), on every plane at that plane's own size, so the two fields
// blend into one progressive picture. Lines beyond the picture's edges count
// as copies of the edge line, so any height works.

#include <cstdint>

extern "C" {
#include <libavutil/pixfmt.h>
}

// True when the pixel format is one the routine handles: planar YUV or grey
// with 8-bit samples (4:2:0, 4:2:2, 4:4:4, 4:1:1, 4:1:0, with or without alpha).
bool CanDeinterlace(AVPixelFormat Format);

// Deinterlaces the picture whose planes start at Data with the given line
// strides. False, with the picture untouched, for a format CanDeinterlace
// refuses or a size below 1x1. May throw std::bad_alloc for its line buffer.
bool DeinterlaceInPlace(uint8_t* const Data[4], const int Linesize[4], AVPixelFormat Format, int Width, int Height);

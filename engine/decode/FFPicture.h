#pragma once
// A picture as FFmpeg lays it out: plane pointers and their line sizes in
// bytes. Shared by the picture converter, the decoder and the job's hooks.

#include <cstddef>
#include <cstdint>

struct TFFPicture {
    uint8_t* Data[8] = {};
    int32_t Linesize[8] = {};
};
using PFFPicture = TFFPicture*;

// Extra bytes behind every picture buffer: swscale's vector code reads past
// the last pixel of a picture.
constexpr size_t PictureBufferPadding = 64;

#pragma once
// What the single-reader fuzz targets do with one input, shared with the
// unit tests that replay inputs which once failed: the first byte sets the
// request (bit 0 parameters only, bit 1 native pixel format, bit 2 no alpha,
// bits 3-4 the image index), the rest is the file. Format errors are fine;
// crashes, hangs and reads outside the bytes are not.

#include <cstddef>
#include <cstdint>

#include "imaging/formats/fuzz/FuzzReadRequest.h"

inline void FuzzReader(const TQkFormatReader& reader, const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    const uint8_t choice = data[0];
    TFuzzReadRequest fuzz(data + 1, size - 1, (choice & 2) != 0);
    fuzz.Params.GifImageIndex = (choice >> 3) & 3;
    fuzz.Request.ParamsOnly = (choice & 1) != 0;
    fuzz.Request.IgnoreAlpha = (choice & 4) != 0;
    reader(fuzz.Request);
}

#pragma once
// What the JPEG and PNG fuzz target does with one input, shared with the
// unit tests that replay inputs which once failed: the first byte picks the
// JPEG reader (whole image, or parameters only) or the PNG reader, and its
// top bit asks for native pixel formats; the rest is the file. Format
// errors are fine; crashes, hangs and reads outside the bytes are not.

#include <cstddef>
#include <cstdint>

#include "imaging/formats/fuzz/FuzzReadRequest.h"
#include "imaging/formats/jpeg/QkJpeg.h"
#include "imaging/formats/png/QkPng.h"

inline void ReadAsJpegOrPng(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    const uint8_t choice = data[0];
    TFuzzReadRequest call(data + 1, size - 1, (choice & 0x80) != 0);
    TQkReadRequest& request = call.Request;
    switch (choice % 3) {
    case 0: ReadJpegFile(request); break;
    case 1:
        request.ParamsOnly = true;
        ReadJpegFile(request);
        break;
    default:
        if (IsPngStream(call.Stream))
            ReadPngImage(request);
        break;
    }
}

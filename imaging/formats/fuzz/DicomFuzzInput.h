#pragma once
// What the DICOM fuzz target does with one input, shared with the unit
// tests that replay inputs: the first byte picks the call (bits 0-1: a full
// read, a parameters-only read, the lossless JPEG decoder, PackBits) and
// for the reads the frame (bits 2-3); the rest is the data.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/formats/dicom/QkDicom.h"
#include "imaging/formats/fuzz/FuzzReadRequest.h"

inline void FuzzDicom(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    const uint8_t choice = data[0];
    const uint8_t* body = data + 1;
    const int64_t length = int64_t(size - 1);
    switch (choice & 3) {
    case 2: {
        TLosslessJpegFrame frame;
        DecodeLosslessJpeg(body, length, frame);
        return;
    }
    case 3: {
        std::vector<uint8_t> out(size_t(choice) * 16);
        UnpackBits(body, length, out);
        return;
    }
    default: {
        TFuzzReadRequest fuzz(body, size_t(length));
        fuzz.Params.SetImageIndex((choice >> 2) & 3);
        fuzz.Request.ParamsOnly = (choice & 3) == 1;
        ReadDicom(fuzz.Request);
        return;
    }
    }
}

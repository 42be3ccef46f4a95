#pragma once
// What the camera raw fuzz target does with one input, shared with the
// unit tests that replay inputs: the first byte picks the call (bits 0-1:
// the probe, a full read, a parameters-only read, the heap metadata; bit 2:
// 48-bit output, bit 3: half size); the rest is the file.

#include <cstddef>
#include <cstdint>

#include "imaging/formats/cameraraw/QkCameraRaw.h"
#include "imaging/formats/fuzz/FuzzReadRequest.h"

inline void FuzzCameraRaw(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    const uint8_t choice = data[0];
    TFuzzReadRequest fuzz(data + 1, size - 1, (choice & 4) != 0);
    fuzz.Params.RawHalfSize = (choice & 8) != 0;
    try {
        switch (choice & 3) {
        case 0: IsCameraRaw(fuzz.Stream); break;
        case 1: ReadCameraRaw(fuzz.Request); break;
        case 2:
            fuzz.Request.ParamsOnly = true;
            ReadCameraRaw(fuzz.Request);
            break;
        default: ReadCiffMetadata(fuzz.Stream, fuzz.Params); break;
        }
    } catch (const Exception&) {
        // Cameras without their decoder tables, decoder table overflows and
        // JPEG errors are reported to the caller as exceptions.
    }
}

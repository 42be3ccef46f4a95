#pragma once
// What the Photoshop fuzz target does with one input, shared with the unit
// tests that replay inputs which once failed: bit 0 of the first byte
// loads the layers, bit 1 asks for a parameters-only read, bit 2 for the
// native pixel format, bit 3 for the thumbnail; the rest is the file.

#include <cstddef>
#include <cstdint>

#include "imaging/formats/fuzz/FuzzReadRequest.h"
#include "imaging/formats/psd/QkPsd.h"

inline void ReadAsPsd(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    const uint8_t choice = data[0];
    TFuzzReadRequest fuzz(data + 1, size - 1, (choice & 4) != 0);
    fuzz.Request.ParamsOnly = (choice & 2) != 0;
    fuzz.Params.ReadThumbnail = (choice & 8) != 0;
    TQkLayerList layers;
    ReadPsdImage(fuzz.Request, (choice & 1) != 0, fuzz.Request.ParamsOnly ? nullptr : &layers);
}

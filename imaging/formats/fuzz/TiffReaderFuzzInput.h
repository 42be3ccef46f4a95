#pragma once
// What the TIFF reader fuzz target does with one input, shared with the unit
// tests that replay inputs which once failed: bit 0 of the first byte asks
// for a parameters-only read, bit 1 for native pixel formats, bit 2 for one
// tile (tile 0), bit 3 for SubIFD 0, bits 4-7 the page; the rest is the
// file. Format errors are fine; crashes, hangs and reads outside the bytes
// are not.

#include <cstddef>
#include <cstdint>

#include "imaging/formats/fuzz/FuzzReadRequest.h"
#include "imaging/formats/tiff/QkTiff.h"

inline void ReadAsTiff(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    const uint8_t choice = data[0];
    TFuzzReadRequest fuzz(data + 1, size - 1, (choice & 2) != 0);
    fuzz.Request.ParamsOnly = (choice & 1) != 0;
    fuzz.Params.TiffTileIndex = choice & 4 ? 0 : -1;
    fuzz.Params.TiffSubIndex = choice & 8 ? 0 : -1;
    fuzz.Params.TiffImageIndex = choice >> 4;
    ReadTiffImage(fuzz.Request);
    fuzz.Stream.SetPosition(0);
    IsTiffStream(fuzz.Stream);
    IsCameraRawTiff(fuzz.Stream);
    IsHdPhotoStream(fuzz.Stream);
}

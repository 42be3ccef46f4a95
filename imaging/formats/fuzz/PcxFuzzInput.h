#pragma once
// What the PaintBrush fuzz target does with one input, shared with the unit
// tests that replay inputs which once failed: bit 0 of the first byte picks
// the PCX or the DCX reader, bit 1 a parameters-only read, bits 2-7 the
// DCX page; the rest is the file. Format errors are fine; crashes, hangs
// and reads outside the bytes are not.

#include <cstddef>
#include <cstdint>

#include "imaging/formats/fuzz/FuzzReadRequest.h"
#include "imaging/formats/pcx/QkPcx.h"

inline void ReadAsPcxOrDcx(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    const uint8_t choice = data[0];
    TFuzzReadRequest fuzz(data + 1, size - 1);
    fuzz.Params.DcxImageIndex = choice >> 2;
    fuzz.Request.ParamsOnly = (choice & 2) != 0;
    if (choice & 1)
        ReadDcxImage(fuzz.Request);
    else
        ReadPcxImage(fuzz.Request);
}

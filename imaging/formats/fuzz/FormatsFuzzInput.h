#pragma once
// What the formats fuzz target does with one input, shared with the unit
// tests that replay inputs which once failed: the component detects and
// loads the bytes, then reads their parameters as every registered format.
// Errors that the component reports are fine; crashes, hangs and reads
// outside the bytes are not.

#include <cstddef>
#include <cstdint>

#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"

inline void ReadAsEveryFormat(const uint8_t* data, size_t size)
{
    TBrelvixIO io(nullptr);
    const auto length = static_cast<int64_t>(size);
    try {
        io.LoadFromBuffer(data, length, 0);
    } catch (const Exception&) {
        // A reader's own error or a format this build cannot read.
    }
    for (int32_t i = 0; i < FileFormatCount(); ++i) {
        io.ParamsFromBuffer(data, length, FileFormatAt(i).FileType);
        if (io.Params().FileType != 0 && io.Params().FileType != FileFormatAt(i).FileType)
            __builtin_trap();
    }
}

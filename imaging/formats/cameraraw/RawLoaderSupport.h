#pragma once
// What the loaders share: the black level from masked columns and the row
// buffers read with the context's bounds.

#include <vector>

#include "imaging/formats/cameraraw/RawDecodeContext.h"

// Sums the masked columns' values; at the end the black level is their
// mean times the loader's scale.
struct TMaskedBlack {
    uint64_t sum = 0;

    void Finish(TRawDecodeContext& context, int64_t scale) const;
};

// Frame column `col` of visible row `row`: inside the visible columns the
// value (already shifted) is stored, outside it counts toward black.
void PutFrameSample(TRawDecodeContext& context, int32_t row, int32_t col, uint16_t value, uint32_t raw,
                    TMaskedBlack& black);

// A row of `count` bytes from the stream, zero where the file ends.
std::vector<uint8_t> ReadRowBytes(TRawDecodeContext& context, int64_t count, const char* where);
// `count` 16-bit words in the given order (0x4949 little-endian).
std::vector<uint16_t> ReadRowWords(TRawDecodeContext& context, int64_t count, int16_t order, const char* where);

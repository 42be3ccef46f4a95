#pragma once
// What the row reader and writer share: the header fields, chunks kept as
// name and bytes, and the passes an image's rows are stored in.

#include "controls/png/PngFilters.h"
#include "controls/png/PngPixelLayout.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern const uint8_t PngSignature[8];

struct TPngHeader {
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint8_t BitDepth = 0;
    uint8_t ColorType = 0;
    uint8_t CompressionMethod = 0;
    uint8_t FilterMethod = 0;
    uint8_t InterlaceMethod = 0;
};

// The IHDR chunk's data. Parsing raises EPngInvalidIHDR for short data,
// EPNGSizeExceeds, EPNGUnknownCompression or EPNGUnknownInterlace; the
// colour type / depth pair is the caller's to check.
TPngHeader ParsePngHeader(const std::vector<uint8_t>& data);
std::vector<uint8_t> PngHeaderBytes(const TPngHeader& header);

struct TPngRawChunk {
    std::string Name;
    std::vector<uint8_t> Data;
    // False when the stored CRC did not match (kept only for ancillary chunks).
    bool CrcValid = true;
};

// Critical chunks have an upper-case first letter.
bool IsCriticalChunkName(const std::string& name);

// One pass over the image: rows FirstRow, FirstRow + RowStep, ... each
// holding Columns, with RowBytes bytes of samples. A plain image has one
// pass; an Adam7 image has those of its seven passes that hold pixels.
struct TPngPass {
    uint32_t FirstRow;
    uint32_t RowStep;
    uint32_t Rows;
    TRowColumns Columns;
    size_t RowBytes;
};

std::vector<TPngPass> PngPasses(const TPngHeader& header);

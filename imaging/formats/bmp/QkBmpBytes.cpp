#include "imaging/formats/bmp/QkBmpBytes.h"

#include <algorithm>
#include <cstring>

#include "imaging/core/QkIOParams.h"
#include "platform/core/Streams.h"

int64_t ReadZeroFilled(TStream& stream, void* buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    const int64_t got = std::max<int64_t>(0, stream.Read(buffer, count));
    if (got < count)
        std::memset(static_cast<uint8_t*>(buffer) + got, 0, size_t(count - got));
    return got;
}

namespace {

// numerator / denominator to the nearest integer, halves to the even
// neighbour, exactly (a metre is 10000 / 254 inches).
int64_t DivideRounded(int64_t numerator, int64_t denominator)
{
    const bool negative = numerator < 0;
    const int64_t magnitude = negative ? -numerator : numerator;
    int64_t quotient = magnitude / denominator;
    const int64_t twiceRemainder = 2 * (magnitude % denominator);
    if (twiceRemainder > denominator || (twiceRemainder == denominator && quotient % 2 == 1))
        ++quotient;
    return negative ? -quotient : quotient;
}

} // namespace

int32_t DpiOfPixelsPerMetre(int32_t pixelsPerMetre, int32_t defaultDpi)
{
    const int64_t dpi = DivideRounded(int64_t(pixelsPerMetre) * 254, 10000);
    return dpi > 0 ? static_cast<int32_t>(dpi) : defaultDpi;
}

int32_t PixelsPerMetreOfDpi(int32_t dpi) { return static_cast<int32_t>(DivideRounded(int64_t(dpi) * 10000, 254)); }

void ReadPaletteEntries(TStream& stream, TIOParamsVals& params, int32_t count, int32_t entrySize)
{
    std::vector<uint8_t> bytes(size_t(count) * size_t(entrySize));
    ReadZeroFilled(stream, bytes.data(), int64_t(bytes.size()));
    params.ColorMap.resize(size_t(count));
    for (size_t i = 0; i < size_t(count); ++i) {
        const uint8_t* entry = bytes.data() + i * size_t(entrySize);
        params.ColorMap[i] = TRGBPixel{entry[0], entry[1], entry[2]};
    }
    params.ColorMapCount = count;
}

void ExpandIndexRow(const uint8_t* row, int32_t bits, int32_t width, std::span<const TRGBPixel> palette, bool native,
                    uint8_t* line)
{
    for (int32_t x = 0; x < width; ++x) {
        const uint8_t index = bits == 8 ? row[x] : uint8_t(row[x / 2] >> (x % 2 ? 0 : 4) & 0xF);
        if (native) {
            line[x] = index;
            continue;
        }
        const TRGBPixel colour = index < palette.size() ? palette[index] : TRGBPixel{};
        std::memcpy(line + 3 * x, &colour, 3);
    }
}

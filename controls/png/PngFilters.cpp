#include "controls/png/PngFilters.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

std::array<uint32_t, 256> BuildCrcTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

const std::array<uint32_t, 256>& CrcTable()
{
    static const std::array<uint32_t, 256> table = BuildCrcTable();
    return table;
}

} // namespace

uint32_t UpdateChunkCrc(uint32_t crc, const uint8_t* bytes, size_t length)
{
    const auto& table = CrcTable();
    for (size_t i = 0; i < length; ++i)
        crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

uint32_t ChunkCrc(const uint8_t name[4], const uint8_t* data, size_t length)
{
    return ~UpdateChunkCrc(UpdateChunkCrc(0xFFFFFFFFu, name, 4), data, length);
}

bool IsValidPngLayout(uint8_t colorType, uint8_t bitDepth)
{
    switch (colorType) {
    case COLOR_GRAYSCALE: return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
    case COLOR_PALETTE: return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
    case COLOR_RGB:
    case COLOR_GRAYSCALEALPHA:
    case COLOR_RGBALPHA: return bitDepth == 8 || bitDepth == 16;
    default: return false;
    }
}

uint64_t RowBytesFor(uint8_t colorType, uint8_t bitDepth, uint64_t width)
{
    switch (colorType) {
    case COLOR_GRAYSCALE:
    case COLOR_PALETTE: return (width * bitDepth + 7) / 8;
    case COLOR_RGB: return width * bitDepth * 3 / 8;
    case COLOR_GRAYSCALEALPHA: return width * bitDepth * 2 / 8;
    case COLOR_RGBALPHA: return width * bitDepth * 4 / 8;
    default: return 0;
    }
}

uint32_t FilterDistanceFor(uint8_t colorType, uint8_t bitDepth)
{
    switch (colorType) {
    case COLOR_GRAYSCALE: return bitDepth == 16 ? 2 : 1;
    case COLOR_PALETTE: return 1;
    case COLOR_RGB: return bitDepth * 3u / 8;
    case COLOR_GRAYSCALEALPHA: return bitDepth / 4u;
    case COLOR_RGBALPHA: return bitDepth / 2u;
    default: return 0;
    }
}

const TAdam7Pass Adam7Passes[7] = {
    {0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4}, {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1},
};

uint32_t Adam7PassColumns(const TAdam7Pass& pass, uint32_t width)
{
    return static_cast<uint32_t>((uint64_t{width} + pass.ColumnStep - pass.ColumnStart - 1) / pass.ColumnStep);
}

uint8_t PaethPredict(uint8_t left, uint8_t above, uint8_t upperLeft)
{
    const int p = int{left} + above - upperLeft;
    const int pa = std::abs(p - left);
    const int pb = std::abs(p - above);
    const int pc = std::abs(p - upperLeft);
    if (pa <= pb && pa <= pc)
        return left;
    if (pb <= pc)
        return above;
    return upperLeft;
}

void UnfilterRow(uint8_t filterType, uint8_t* row, const uint8_t* previous, size_t rowBytes, size_t distance)
{
    auto left = [&](size_t i) -> uint8_t { return i >= distance ? row[i - distance] : 0; };
    auto upperLeft = [&](size_t i) -> uint8_t { return i >= distance ? previous[i - distance] : 0; };
    switch (filterType) {
    case FILTER_SUB:
        for (size_t i = distance; i < rowBytes; ++i)
            row[i] = static_cast<uint8_t>(row[i] + row[i - distance]);
        break;
    case FILTER_UP:
        for (size_t i = 0; i < rowBytes; ++i)
            row[i] = static_cast<uint8_t>(row[i] + previous[i]);
        break;
    case FILTER_AVERAGE:
        for (size_t i = 0; i < rowBytes; ++i)
            row[i] = static_cast<uint8_t>(row[i] + (left(i) + previous[i]) / 2);
        break;
    case FILTER_PAETH:
        for (size_t i = 0; i < rowBytes; ++i)
            row[i] = static_cast<uint8_t>(row[i] + PaethPredict(left(i), previous[i], upperLeft(i)));
        break;
    default: break;
    }
}

TRowFilterChooser::TRowFilterChooser(TFilters filters, size_t distance) : Filters(filters), Distance(distance) {}

void TRowFilterChooser::Restart(size_t rowBytes)
{
    RowBytes = rowBytes;
    Previous.assign(rowBytes, 0);
    for (auto& output : Output)
        output.resize(rowBytes);
}

void TRowFilterChooser::ApplyFilter(uint8_t filterType, const uint8_t* raw)
{
    uint8_t* out = Output[filterType].data();
    const uint8_t* above = Previous.data();
    for (size_t i = 0; i < RowBytes; ++i) {
        const uint8_t left = i >= Distance ? raw[i - Distance] : 0;
        const uint8_t upperLeft = i >= Distance ? above[i - Distance] : 0;
        uint8_t prediction = 0;
        switch (filterType) {
        case FILTER_SUB: prediction = left; break;
        case FILTER_UP: prediction = above[i]; break;
        case FILTER_AVERAGE: prediction = static_cast<uint8_t>((left + above[i]) / 2); break;
        case FILTER_PAETH: prediction = PaethPredict(left, above[i], upperLeft); break;
        default: break;
        }
        out[i] = static_cast<uint8_t>(raw[i] - prediction);
    }
}

// Rewards runs: how many bytes repeat one of the two bytes before them.
size_t TRowFilterChooser::Score(const std::vector<uint8_t>& row)
{
    size_t score = 0;
    for (size_t j = 2; j < row.size(); ++j)
        if (row[j] == row[j - 1] || row[j] == row[j - 2])
            ++score;
    return score;
}

uint8_t TRowFilterChooser::Choose(const uint8_t* raw, const uint8_t*& filtered)
{
    std::copy(raw, raw + RowBytes, Output[FILTER_NONE].begin());
    uint8_t chosen = FILTER_NONE;
    const TFilters predicting = Filters & static_cast<TFilters>(~pfNone & 0x1F);
    if (predicting != 0) {
        for (uint8_t type = FILTER_SUB; type <= FILTER_PAETH; ++type)
            if (Filters & (1 << type))
                ApplyFilter(type, raw);
        const bool single = (Filters & 0x1F) == predicting && (predicting & (predicting - 1)) == 0;
        if (single) {
            for (uint8_t type = FILTER_SUB; type <= FILTER_PAETH; ++type)
                if (Filters & (1 << type))
                    chosen = type;
        } else {
            size_t best = 0;
            for (uint8_t type = FILTER_NONE; type <= FILTER_PAETH; ++type) {
                if (!(Filters & (1 << type)))
                    continue;
                const size_t score = Score(Output[type]);
                if (score > best) {
                    best = score;
                    chosen = type;
                }
            }
        }
    }
    filtered = Output[chosen].data();
    std::copy(Output[FILTER_NONE].begin(), Output[FILTER_NONE].end(), Previous.begin());
    return chosen;
}

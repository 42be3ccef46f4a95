#include "imaging/formats/psd/QkPackBits.h"

#include <algorithm>

namespace {

constexpr size_t MaxRun = 128;
constexpr size_t MinRun = 4;

void FlushLiteral(std::span<const uint8_t> literal, std::vector<uint8_t>& packed)
{
    if (literal.empty())
        return;
    packed.push_back(static_cast<uint8_t>(literal.size() - 1));
    packed.insert(packed.end(), literal.begin(), literal.end());
}

} // namespace

size_t UnpackBitsRow(std::span<const uint8_t> packed, std::span<uint8_t> row)
{
    size_t in = 0;
    size_t out = 0;
    while (in < packed.size() && out < row.size()) {
        const int32_t header = static_cast<int8_t>(packed[in++]);
        if (header >= 0) {
            const size_t count = std::min({size_t(header) + 1, packed.size() - in, row.size() - out});
            std::copy_n(packed.begin() + std::ptrdiff_t(in), count, row.begin() + std::ptrdiff_t(out));
            in += size_t(header) + 1;
            out += count;
        } else if (header != -128 && in < packed.size()) {
            const size_t count = std::min(size_t(1 - header), row.size() - out);
            std::fill_n(row.begin() + std::ptrdiff_t(out), count, packed[in++]);
            out += count;
        }
    }
    return out;
}

void PackBitsRow(std::span<const uint8_t> row, std::vector<uint8_t>& packed)
{
    size_t literalStart = 0;
    size_t i = 0;
    while (i < row.size()) {
        size_t run = 1;
        while (i + run < row.size() && run < MaxRun && row[i + run] == row[i])
            ++run;
        if (run >= MinRun) {
            FlushLiteral(row.subspan(literalStart, i - literalStart), packed);
            packed.push_back(static_cast<uint8_t>(1 - int32_t(run)));
            packed.push_back(row[i]);
            i += run;
            literalStart = i;
            continue;
        }
        i += run;
        while (i - literalStart >= MaxRun) {
            FlushLiteral(row.subspan(literalStart, MaxRun), packed);
            literalStart += MaxRun;
        }
    }
    FlushLiteral(row.subspan(literalStart, row.size() - literalStart), packed);
}

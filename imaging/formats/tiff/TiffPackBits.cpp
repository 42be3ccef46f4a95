#include "imaging/formats/tiff/TiffPackBits.h"

namespace {

constexpr size_t MaxBlock = 128;
// Shorter runs cost no more as literals.
constexpr size_t MinRun = 4;

void FlushLiterals(std::span<const uint8_t> literals, std::vector<uint8_t>& output)
{
    if (literals.empty())
        return;
    output.push_back(uint8_t(literals.size() - 1));
    output.insert(output.end(), literals.begin(), literals.end());
}

} // namespace

void PackBitsEncodeRow(std::span<const uint8_t> row, std::vector<uint8_t>& output)
{
    size_t literalStart = 0;
    size_t i = 0;
    while (i < row.size()) {
        size_t run = 1;
        while (i + run < row.size() && run < MaxBlock && row[i + run] == row[i])
            ++run;
        if (run >= MinRun) {
            FlushLiterals(row.subspan(literalStart, i - literalStart), output);
            output.push_back(uint8_t(1 - int(run)));
            output.push_back(row[i]);
            i += run;
            literalStart = i;
            continue;
        }
        for (size_t k = 0; k < run; ++k, ++i)
            if (i - literalStart == MaxBlock) {
                FlushLiterals(row.subspan(literalStart, MaxBlock), output);
                literalStart = i;
            }
    }
    FlushLiterals(row.subspan(literalStart), output);
}

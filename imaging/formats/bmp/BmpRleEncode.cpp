#include <algorithm>

#include "imaging/formats/bmp/BmpRle.h"

namespace {

constexpr size_t MaxCodeCount = 255;

// RLE8 stores one index a byte; RLE4 packs two, so a run repeats the index
// in both nibbles and a literal is half as many bytes.
struct TRle8 {
    static void Run(std::vector<uint8_t>& out, size_t count, uint8_t index)
    {
        out.push_back(static_cast<uint8_t>(count));
        out.push_back(index);
    }

    static void ShortLiteral(std::vector<uint8_t>& out, std::span<const uint8_t> pixels)
    {
        for (uint8_t index : pixels)
            Run(out, 1, index);
    }

    static void LongLiteral(std::vector<uint8_t>& out, std::span<const uint8_t> pixels)
    {
        out.push_back(0);
        out.push_back(static_cast<uint8_t>(pixels.size()));
        out.insert(out.end(), pixels.begin(), pixels.end());
        if (pixels.size() % 2 == 1)
            out.push_back(0);
    }
};

struct TRle4 {
    static uint8_t Pack(uint8_t high, uint8_t low) { return static_cast<uint8_t>((high & 0x0F) << 4 | (low & 0x0F)); }

    static void Run(std::vector<uint8_t>& out, size_t count, uint8_t index)
    {
        out.push_back(static_cast<uint8_t>(count));
        out.push_back(Pack(index, index));
    }

    static void ShortLiteral(std::vector<uint8_t>& out, std::span<const uint8_t> pixels)
    {
        out.push_back(static_cast<uint8_t>(pixels.size()));
        out.push_back(Pack(pixels[0], pixels.size() == 2 ? pixels[1] : 0));
    }

    static void LongLiteral(std::vector<uint8_t>& out, std::span<const uint8_t> pixels)
    {
        out.push_back(0);
        out.push_back(static_cast<uint8_t>(pixels.size()));
        const size_t packed = (pixels.size() + 1) / 2;
        for (size_t i = 0; i < pixels.size(); i += 2)
            out.push_back(Pack(pixels[i], i + 1 < pixels.size() ? pixels[i + 1] : 0));
        if (packed % 2 == 1)
            out.push_back(0);
    }
};

template <class TCodes>
void FlushLiterals(std::vector<uint8_t>& out, std::span<const uint8_t> pixels)
{
    while (!pixels.empty()) {
        const auto chunk = pixels.first(std::min(pixels.size(), MaxCodeCount));
        if (chunk.size() < 3)
            TCodes::ShortLiteral(out, chunk);
        else
            TCodes::LongLiteral(out, chunk);
        pixels = pixels.subspan(chunk.size());
    }
}

template <class TCodes>
int32_t EncodeRow(std::span<const uint8_t> row, std::vector<uint8_t>& out)
{
    const size_t start = out.size();
    // Worst case: literals of 255 pixels cost 258 bytes, shorter pieces two
    // bytes a pixel, plus the end-of-row code.
    out.reserve(start + row.size() * 2 + 2);
    size_t literalStart = 0;
    size_t p = 0;
    while (p < row.size()) {
        if (p - literalStart > MaxCodeCount) {
            FlushLiterals<TCodes>(out, row.subspan(literalStart, p - literalStart));
            literalStart = p;
        }
        if (p + 1 < row.size() && row[p] == row[p + 1]) {
            FlushLiterals<TCodes>(out, row.subspan(literalStart, p - literalStart));
            size_t end = p + 2;
            while (end < row.size() && row[end] == row[p] && end - p < MaxCodeCount)
                ++end;
            TCodes::Run(out, end - p, row[p]);
            literalStart = p = end;
        } else {
            ++p;
        }
    }
    FlushLiterals<TCodes>(out, row.subspan(literalStart));
    out.push_back(0);
    out.push_back(0);
    return static_cast<int32_t>(out.size() - start);
}

} // namespace

int32_t EncodeBmpRle8Row(std::span<const uint8_t> row, std::vector<uint8_t>& output)
{
    return EncodeRow<TRle8>(row, output);
}

int32_t EncodeBmpRle4Row(std::span<const uint8_t> row, std::vector<uint8_t>& output)
{
    return EncodeRow<TRle4>(row, output);
}

// Header fields, chunk names and pass geometry of the row layer.

#include "controls/png/PngRowLayout.h"

#include "controls/png/PngErrors.h"
#include "controls/png/PngStreamIO.h"

const uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

namespace {

constexpr uint32_t MaxImageSide = 65535;
constexpr size_t HeaderDataSize = 13;

} // namespace

TPngHeader ParsePngHeader(const std::vector<uint8_t>& data)
{
    if (data.size() < HeaderDataSize)
        throw EPngInvalidIHDR();
    TPngHeader header;
    header.Width = BigEndian32(data.data());
    header.Height = BigEndian32(data.data() + 4);
    header.BitDepth = data[8];
    header.ColorType = data[9];
    header.CompressionMethod = data[10];
    header.FilterMethod = data[11];
    header.InterlaceMethod = data[12];
    if (header.Width > MaxImageSide || header.Height > MaxImageSide)
        throw EPNGSizeExceeds();
    if (header.CompressionMethod != 0)
        throw EPNGUnknownCompression();
    if (header.InterlaceMethod > 1)
        throw EPNGUnknownInterlace();
    return header;
}

std::vector<uint8_t> PngHeaderBytes(const TPngHeader& header)
{
    std::vector<uint8_t> data(HeaderDataSize, 0);
    PutBigEndian32(data.data(), header.Width);
    PutBigEndian32(data.data() + 4, header.Height);
    data[8] = header.BitDepth;
    data[9] = header.ColorType;
    data[10] = header.CompressionMethod;
    data[11] = header.FilterMethod;
    data[12] = header.InterlaceMethod;
    return data;
}

bool IsCriticalChunkName(const std::string& name)
{
    return !name.empty() && (static_cast<uint8_t>(name[0]) & 0x20) == 0;
}

std::vector<TPngPass> PngPasses(const TPngHeader& header)
{
    std::vector<TPngPass> passes;
    auto add = [&](uint32_t firstRow, uint32_t rowStep, const TRowColumns& columns) {
        const size_t rowBytes = static_cast<size_t>(RowBytesFor(header.ColorType, header.BitDepth, columns.Count));
        const uint32_t rows = header.Height > firstRow ? (header.Height - firstRow + rowStep - 1) / rowStep : 0;
        if (rowBytes > 0 && rows > 0)
            passes.push_back(TPngPass{firstRow, rowStep, rows, columns, rowBytes});
    };
    if (header.InterlaceMethod == 0) {
        add(0, 1, TRowColumns{header.Width});
        return passes;
    }
    for (const TAdam7Pass& pass : Adam7Passes)
        add(pass.RowStart, pass.RowStep,
            TRowColumns{Adam7PassColumns(pass, header.Width), pass.ColumnStart, pass.ColumnStep});
    return passes;
}

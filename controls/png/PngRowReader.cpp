// A whole PNG file read as chunks around raw rows.

#include "controls/png/PngRowReader.h"

#include "controls/png/PngErrors.h"
#include "controls/png/PngStreamIO.h"

#include "platform/core/Streams.h"

#include <algorithm>
#include <utility>

namespace {

std::pair<uint32_t, std::string> ReadChunkStart(TStream& stream)
{
    const uint32_t length = ReadBigEndian32(stream);
    char name[4];
    ReadExactly(stream, name, 4);
    return {length, std::string(name, 4)};
}

} // namespace

TPngRowReader::TPngRowReader(TStream& stream) : FStream(stream)
{
    uint8_t signature[8];
    if (stream.Read(signature, 8) != 8 || !std::equal(signature, signature + 8, PngSignature))
        throw EPNGInvalidFileHeader();
    auto [length, name] = ReadChunkStart(stream);
    if (name != "IHDR")
        throw EPNGIHDRNotFirst();
    FHeader = ParsePngHeader(ReadChunk(length, name).Data);
    if (!IsValidPngLayout(FHeader.ColorType, FHeader.BitDepth) || FHeader.Width == 0 || FHeader.Height == 0)
        throw EPngInvalidIHDR();
    for (;;) {
        std::tie(length, name) = ReadChunkStart(stream);
        if (name == "IDAT")
            break;
        if (name == "IEND")
            throw EPNGNoImageData();
        FChunksBefore.push_back(ReadChunk(length, name));
    }
    FData = std::make_unique<TPngImageDataReader>(stream, length, FHeader);
    for (const TPngPass& pass : FData->Passes())
        FRowCount += pass.Rows;
}

TPngRawChunk TPngRowReader::ReadChunk(uint32_t length, const std::string& name)
{
    TPngRawChunk chunk{name, ReadChunkBytes(FStream, length)};
    const uint32_t storedCrc = ReadBigEndian32(FStream);
    chunk.CrcValid =
        storedCrc == ChunkCrc(reinterpret_cast<const uint8_t*>(name.data()), chunk.Data.data(), chunk.Data.size());
    if (!chunk.CrcValid && IsCriticalChunkName(name))
        throw EPngInvalidCRC();
    return chunk;
}

bool TPngRowReader::ReadRow(uint8_t* row)
{
    if (!FData->ReadRow(row))
        return false;
    ++FRowsRead;
    if (OnProgress)
        OnProgress(*this);
    return true;
}

void TPngRowReader::Finish()
{
    size_t widest = 0;
    for (const TPngPass& pass : FData->Passes())
        widest = std::max(widest, pass.RowBytes);
    std::vector<uint8_t> row(widest);
    while (FData->ReadRow(row.data())) {}
    FData->Finish();
    for (;;) {
        const auto [length, name] = ReadChunkStart(FStream);
        TPngRawChunk chunk = ReadChunk(length, name);
        if (name == "IEND")
            break;
        // The data was read with the first run of IDAT chunks.
        if (name != "IDAT")
            FChunksAfter.push_back(std::move(chunk));
    }
}

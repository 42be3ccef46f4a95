// A whole PNG file written from chunks around raw rows.

#include "controls/png/PngRowWriter.h"

#include "controls/png/PngErrors.h"
#include "controls/png/PngStreamIO.h"

#include "platform/core/Streams.h"

namespace {

constexpr uint32_t IdatChunkSize = 65535;

void WriteChunks(TStream& stream, const std::vector<TPngRawChunk>& chunks)
{
    for (const TPngRawChunk& chunk : chunks)
        WriteChunk(stream, chunk.Name, chunk.Data.data(), chunk.Data.size());
}

} // namespace

TPngRowWriter::TPngRowWriter(TStream& stream, const TPngHeader& header,
                             const std::vector<TPngRawChunk>& chunksBeforeData, TFilters filters, int level)
    : FStream(stream)
{
    if (!IsValidPngLayout(header.ColorType, header.BitDepth) || header.Width == 0 || header.Height == 0 ||
        header.InterlaceMethod > 1 || header.CompressionMethod != 0 || header.FilterMethod != 0)
        throw EPngInvalidIHDR();
    FData = std::make_unique<TPngImageDataWriter>(stream, header, filters, level, IdatChunkSize);
    for (const TPngPass& pass : FData->Passes())
        FRowCount += pass.Rows;
    stream.WriteBuffer(PngSignature, 8);
    const std::vector<uint8_t> headerBytes = PngHeaderBytes(header);
    WriteChunk(stream, "IHDR", headerBytes.data(), headerBytes.size());
    WriteChunks(stream, chunksBeforeData);
}

void TPngRowWriter::WriteRow(const uint8_t* row)
{
    FData->WriteRow(row);
    ++FRowsWritten;
    if (OnProgress)
        OnProgress(*this);
}

void TPngRowWriter::Finish(const std::vector<TPngRawChunk>& chunksAfterData)
{
    FData->Finish();
    WriteChunks(FStream, chunksAfterData);
    WriteChunk(FStream, "IEND", nullptr, 0);
}

// The IDAT sequence inflated and unfiltered into raw rows, checking the CRC
// of each chunk as it is left.

#include "controls/png/PngErrors.h"
#include "controls/png/PngRowReader.h"
#include "controls/png/PngStreamIO.h"
#include "controls/png/PngZlib.h"

#include "platform/core/Streams.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t InputBlockSize = 65535;
const uint8_t IdatName[4] = {'I', 'D', 'A', 'T'};

} // namespace

TPngImageDataReader::TPngImageDataReader(TStream& stream, uint32_t firstLength, const TPngHeader& header)
    : FStream(stream), FInput(InputBlockSize), FCrc(UpdateChunkCrc(0xFFFFFFFFu, IdatName, 4)),
      FChunkRemaining(firstLength), FPasses(PngPasses(header)),
      FDistance(FilterDistanceFor(header.ColorType, header.BitDepth))
{
    const int result = inflateInit(&FZlib);
    if (result != Z_OK)
        throw EPNGZLIBError(ZlibResultText(result));
    StartPass();
}

TPngImageDataReader::~TPngImageDataReader() { inflateEnd(&FZlib); }

void TPngImageDataReader::StartPass()
{
    FRowInPass = 0;
    if (FPassIndex < FPasses.size()) {
        FCurrent.assign(FPasses[FPassIndex].RowBytes + 1, 0);
        FPrevious.assign(FPasses[FPassIndex].RowBytes + 1, 0);
    }
}

bool TPngImageDataReader::ReadRow(uint8_t* row)
{
    if (FPassIndex >= FPasses.size())
        return false;
    const TPngPass& pass = FPasses[FPassIndex];
    const size_t got = Inflate(FCurrent.data(), pass.RowBytes + 1);
    if (got == 0)
        return false;
    std::fill(FCurrent.begin() + static_cast<ptrdiff_t>(got), FCurrent.end(), 0);
    UnfilterRow(FCurrent[0], FCurrent.data() + 1, FPrevious.data() + 1, pass.RowBytes, FDistance);
    std::memcpy(row, FCurrent.data() + 1, pass.RowBytes);
    std::swap(FCurrent, FPrevious);
    if (++FRowInPass == pass.Rows) {
        ++FPassIndex;
        StartPass();
    }
    return true;
}

size_t TPngImageDataReader::Inflate(uint8_t* buffer, size_t count)
{
    FZlib.next_out = buffer;
    FZlib.avail_out = static_cast<uInt>(count);
    while (FZlib.avail_out > 0 && !FEnded) {
        if (FZlib.avail_in == 0 && !FillInput())
            break;
        const int result = inflate(&FZlib, Z_NO_FLUSH);
        if (result == Z_STREAM_END)
            FEnded = true;
        else if (result != Z_OK) // a preset dictionary is not allowed in image data either
            throw EPNGZLIBError(ZlibResultText(result));
    }
    return count - FZlib.avail_out;
}

void TPngImageDataReader::Finish()
{
    // The compressed stream may end before the chunk does.
    while (FChunkRemaining > 0) {
        if (ReadInput(std::min<size_t>(InputBlockSize, FChunkRemaining)) == 0)
            throw EPngUnexpectedEnd();
    }
    CheckCrc();
}

size_t TPngImageDataReader::ReadInput(size_t count)
{
    const int64_t got = FStream.Read(FInput.data(), static_cast<int64_t>(count));
    if (got <= 0)
        return 0;
    FCrc = UpdateChunkCrc(FCrc, FInput.data(), static_cast<size_t>(got));
    FChunkRemaining -= static_cast<uint32_t>(got);
    return static_cast<size_t>(got);
}

bool TPngImageDataReader::FillInput()
{
    while (FChunkRemaining == 0)
        NextChunk();
    const size_t got = ReadInput(std::min<size_t>(InputBlockSize, FChunkRemaining));
    FZlib.next_in = FInput.data();
    FZlib.avail_in = static_cast<uInt>(got);
    return got > 0;
}

void TPngImageDataReader::CheckCrc()
{
    if (ReadBigEndian32(FStream) != ~FCrc)
        throw EPngInvalidCRC();
}

void TPngImageDataReader::NextChunk()
{
    CheckCrc();
    const uint32_t length = ReadBigEndian32(FStream);
    uint8_t name[4];
    ReadExactly(FStream, name, 4);
    if (!std::equal(name, name + 4, IdatName))
        throw EPNGMissingMultipleIDAT();
    FCrc = UpdateChunkCrc(0xFFFFFFFFu, name, 4);
    FChunkRemaining = length;
}

#include "controls/png/PngStreamIO.h"

#include "controls/png/PngErrors.h"
#include "controls/png/PngFilters.h"

#include "platform/core/Streams.h"

#include <algorithm>

namespace {

constexpr size_t ReadBlockSize = 65536;

} // namespace

uint32_t BigEndian32(const uint8_t* bytes)
{
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
}

void PutBigEndian32(uint8_t* bytes, uint32_t value)
{
    bytes[0] = static_cast<uint8_t>(value >> 24);
    bytes[1] = static_cast<uint8_t>(value >> 16);
    bytes[2] = static_cast<uint8_t>(value >> 8);
    bytes[3] = static_cast<uint8_t>(value);
}

void ReadExactly(TStream& stream, void* buffer, size_t count)
{
    if (count > 0 && stream.Read(buffer, static_cast<int64_t>(count)) != static_cast<int64_t>(count))
        throw EPngUnexpectedEnd();
}

uint32_t ReadBigEndian32(TStream& stream)
{
    uint8_t bytes[4];
    ReadExactly(stream, bytes, 4);
    return BigEndian32(bytes);
}

std::vector<uint8_t> ReadChunkBytes(TStream& stream, uint32_t length)
{
    std::vector<uint8_t> data;
    while (data.size() < length) {
        const size_t block = std::min<size_t>(ReadBlockSize, length - data.size());
        const size_t start = data.size();
        data.resize(start + block);
        ReadExactly(stream, data.data() + start, block);
    }
    return data;
}

void WriteChunk(TStream& stream, const std::string& name, const uint8_t* data, size_t length)
{
    uint8_t header[8];
    PutBigEndian32(header, static_cast<uint32_t>(length));
    for (size_t i = 0; i < 4; ++i)
        header[4 + i] = static_cast<uint8_t>(i < name.size() ? name[i] : ' ');
    uint8_t crc[4];
    PutBigEndian32(crc, ChunkCrc(header + 4, data, length));
    stream.WriteBuffer(header, 8);
    if (length > 0)
        stream.WriteBuffer(data, static_cast<int64_t>(length));
    stream.WriteBuffer(crc, 4);
}

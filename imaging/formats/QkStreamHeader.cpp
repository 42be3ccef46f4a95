#include "imaging/formats/QkStreamHeader.h"

#include <array>
#include <cstring>

#include "imaging/formats/QkFileFormats.h"
#include "platform/core/Streams.h"

TQkStreamHeader ReadStreamHeader(TStream& stream)
{
    std::array<uint8_t, StreamHeaderSize> bytes{};
    int64_t got = 0;
    while (got < StreamHeaderSize) {
        const int64_t read = stream.Read(bytes.data() + got, StreamHeaderSize - got);
        if (read <= 0)
            break;
        got += read;
    }
    TQkStreamHeader header;
    header.Complete = got == StreamHeaderSize;
    const void* zero = std::memchr(bytes.data(), 0, 5);
    header.Text.assign(reinterpret_cast<const char*>(bytes.data()),
                       zero != nullptr ? static_cast<const uint8_t*>(zero) - bytes.data() : 5);
    header.Length =
        uint32_t(bytes[8]) | uint32_t(bytes[9]) << 8 | uint32_t(bytes[10]) << 16 | uint32_t(bytes[11]) << 24;
    return header;
}

void WriteStreamHeader(TStream& stream, const char* signature, uint32_t length)
{
    std::array<uint8_t, StreamHeaderSize> bytes{};
    std::memcpy(bytes.data(), signature, std::min<size_t>(std::strlen(signature), 4));
    for (int i = 0; i < 4; ++i)
        bytes[size_t(8 + i)] = uint8_t(length >> (8 * i));
    stream.WriteBuffer(bytes.data(), StreamHeaderSize);
}

bool StartsWithStreamHeader(TStream& stream, int32_t fileType)
{
    const int64_t start = stream.Position();
    const TQkStreamHeader header = ReadStreamHeader(stream);
    stream.SetPosition(start);
    switch (fileType) {
    case ioTIFF: return header.Is("TIFF");
    case ioPCX: return header.Is("PCX2") || header.Is("PCX");
    case ioJPEG: return header.Is("JFIF");
    default: return false;
    }
}

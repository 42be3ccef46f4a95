#pragma once
// Byte and file helpers of the codec tests: memory streams as byte vectors,
// files, and the smallest single-strip TIFF the libtiff tools accept.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/core/QkTIFFHandler.h"
#include "platform/core/Streams.h"

inline std::vector<uint8_t> StreamBytes(const TMemoryStream& stream)
{
    const auto* data = static_cast<const uint8_t*>(stream.Memory());
    return {data, data + const_cast<TMemoryStream&>(stream).Size()};
}

inline void WriteBytes(TStream& stream, const std::vector<uint8_t>& bytes)
{
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

inline std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct TTiffStripFile {
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint16_t SamplesPerPixel = 1;
    uint16_t BitsPerSample = 8;
    uint16_t Compression = 1;
    uint16_t Photometric = 1; // 0 for bilevel: 0 is white
    uint16_t FillOrder = 1;
    uint32_t T4Options = 0;
    std::vector<uint8_t> Strip;
};

// A little-endian TIFF holding the image in one strip.
inline std::vector<uint8_t> BuildTiff(const TTiffStripFile& file)
{
    std::vector<uint8_t> bytes{'I', 'I', 42, 0, 8, 0, 0, 0};
    auto put16 = [&](uint32_t v) {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto put32 = [&](uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    struct TEntry {
        uint16_t Tag;
        uint16_t Type;
        uint32_t Value;
    };
    std::vector<TEntry> entries{{256, 4, file.Width},
                                {257, 4, file.Height},
                                {258, 3, file.BitsPerSample},
                                {259, 3, file.Compression},
                                {262, 3, file.Photometric},
                                {266, 3, file.FillOrder},
                                {273, 4, 0},
                                {277, 3, file.SamplesPerPixel},
                                {278, 4, file.Height},
                                {279, 4, static_cast<uint32_t>(file.Strip.size())}};
    if (file.Compression == 3)
        entries.push_back({292, 4, file.T4Options});
    const uint32_t stripOffset = 8 + 2 + static_cast<uint32_t>(entries.size()) * 12 + 4;
    entries[6].Value = stripOffset;
    put16(static_cast<uint32_t>(entries.size()));
    for (const TEntry& entry : entries) {
        put16(entry.Tag);
        put16(entry.Type);
        put32(1);
        if (entry.Type == 3) {
            put16(entry.Value);
            put16(0);
        } else {
            put32(entry.Value);
        }
    }
    put32(0);
    bytes.insert(bytes.end(), file.Strip.begin(), file.Strip.end());
    return bytes;
}

// The first page's strips, joined, with its size.
struct TTiffStrips {
    int64_t Width = 0;
    int64_t Height = 0;
    int64_t RowsPerStrip = 0;
    std::vector<std::vector<uint8_t>> Strips;
};

inline TTiffStrips ReadTiffStrips(const std::string& path)
{
    TTiffStrips result;
    const auto handler = TQkTIFFHandler::CreateFromFile(path);
    if (!handler || handler->PageCount() == 0)
        return result;
    const TQkTIFFTagList& page = handler->Page(0);
    result.Width = handler->GetTagValue(page, 256, 0);
    result.Height = handler->GetTagValue(page, 257, 0);
    result.RowsPerStrip = handler->GetTagValue(page, 278, 0);
    const int stripIndex = TQkTIFFHandler::FindTag(page, 273);
    if (stripIndex >= 0)
        result.Strips = page[stripIndex].Blocks;
    return result;
}

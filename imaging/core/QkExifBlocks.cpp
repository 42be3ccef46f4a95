#include "imaging/core/QkExifBlocks.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/core/Streams.h"

namespace {

constexpr char exifName[] = "Exif";
constexpr int64_t tiffSearchWindow = 131072;
constexpr int64_t tiffHeaderSize = 8;
// Checked before the namespace's NUL is looked for: 24 characters of it.
constexpr int64_t xmpPrefixLength = 24;
constexpr int64_t xmpMinimumSegment = 30;

uint32_t ReadOrdered(const uint8_t* bytes, int count, bool bigEndian)
{
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        const int shift = 8 * (bigEndian ? count - 1 - i : i);
        value |= uint32_t(bytes[i]) << shift;
    }
    return value;
}

bool IsTiffHeaderAt(const uint8_t* bytes, int64_t streamSize)
{
    const bool little = bytes[0] == 'I' && bytes[1] == 'I';
    const bool big = bytes[0] == 'M' && bytes[1] == 'M';
    if (!little && !big)
        return false;
    const uint32_t magic = ReadOrdered(bytes + 2, 2, big);
    const uint32_t directory = ReadOrdered(bytes + 4, 4, big);
    return (magic == 42 || magic == 0x4F52 || magic == 0x5352) && int64_t(directory) < streamSize;
}

} // namespace

bool IsExifBlock(const uint8_t* data, int64_t length)
{
    return data != nullptr && length >= int64_t(sizeof exifName) && std::memcmp(data, exifName, sizeof exifName) == 0;
}

int64_t FindTiffHeader(TStream& stream)
{
    const int64_t start = stream.Position();
    const int64_t streamSize = stream.Size();
    std::vector<uint8_t> window(static_cast<size_t>(std::clamp<int64_t>(streamSize - start, 0, tiffSearchWindow)));
    const int64_t got = window.empty() ? 0 : stream.Read(window.data(), int64_t(window.size()));
    stream.SetPosition(start);
    for (int64_t offset = 0; offset + tiffHeaderSize <= got; ++offset)
        if (IsTiffHeaderAt(window.data() + offset, streamSize))
            return offset;
    return -1;
}

const uint8_t* FindXMPPacket(const uint8_t* data, int64_t length)
{
    if (data == nullptr || length < xmpMinimumSegment || std::memcmp(data, qkXmpNamespace, xmpPrefixLength) != 0)
        return nullptr;
    const auto* end = data + length;
    const auto* nul = std::find(data + xmpPrefixLength, end, uint8_t(0));
    return nul == end ? nullptr : nul + 1;
}

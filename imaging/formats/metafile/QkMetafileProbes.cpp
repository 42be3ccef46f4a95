#include "imaging/formats/metafile/QkMetafileProbes.h"

#include <array>
#include <cstdint>

#include "platform/core/Streams.h"

namespace {

constexpr uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr int64_t PlaceableHeaderSize = 22;
constexpr uint32_t EmfSignature = 0x464D4520;

template <size_t N>
bool ReadExactly(TStream& stream, std::array<uint8_t, N>& bytes)
{
    return stream.Read(bytes.data(), int64_t(N)) == int64_t(N);
}

template <size_t N>
uint16_t U16At(const std::array<uint8_t, N>& bytes, size_t offset)
{
    return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

template <size_t N>
uint32_t U32At(const std::array<uint8_t, N>& bytes, size_t offset)
{
    return uint32_t(U16At(bytes, offset)) | uint32_t(U16At(bytes, offset + 2)) << 16;
}

bool HasWmfHeader(TStream& stream, int64_t start)
{
    std::array<uint8_t, 20> placeable;
    if (!ReadExactly(stream, placeable))
        return false;
    stream.SetPosition(U32At(placeable, 0) == PlaceableKey ? start + PlaceableHeaderSize : start);
    std::array<uint8_t, 18> header;
    if (!ReadExactly(stream, header))
        return false;
    const uint16_t type = U16At(header, 0);
    const uint16_t headerWords = U16At(header, 2);
    const uint16_t parameterCount = U16At(header, 16);
    return type == 1 && headerWords == 9 && parameterCount == 0;
}

bool HasEmfHeader(TStream& stream)
{
    std::array<uint8_t, 100> record;
    return ReadExactly(stream, record) && U32At(record, 0) == 1 && U32At(record, 40) == EmfSignature;
}

} // namespace

bool IsWmfStream(TStream& stream)
{
    const int64_t start = stream.Position();
    const bool found = HasWmfHeader(stream, start);
    stream.SetPosition(start);
    return found;
}

bool IsEmfStream(TStream& stream)
{
    const int64_t start = stream.Position();
    const bool found = HasEmfHeader(stream);
    stream.SetPosition(start);
    return found;
}

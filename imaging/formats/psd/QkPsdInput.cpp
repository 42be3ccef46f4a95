#include "imaging/formats/psd/QkPsdInput.h"

#include <algorithm>

#include "imaging/formats/psd/QkPsdLayout.h"
#include "platform/core/Streams.h"

TPsdInput::TPsdInput(TStream& stream) : stream_(stream), size_(stream.Size()), position_(stream.Position()) {}

void TPsdInput::Seek(int64_t position)
{
    if (position < 0 || position > size_)
        throw EPsdTruncated();
    stream_.SetPosition(position);
    position_ = position;
}

void TPsdInput::Read(void* buffer, int64_t count)
{
    if (count < 0 || count > Left() || stream_.Read(buffer, count) != count)
        throw EPsdTruncated();
    position_ += count;
}

uint8_t TPsdInput::U8()
{
    uint8_t value = 0;
    Read(&value, 1);
    return value;
}

uint16_t TPsdInput::U16()
{
    uint8_t bytes[2];
    Read(bytes, 2);
    return GetU16BE(bytes);
}

uint32_t TPsdInput::U32()
{
    uint8_t bytes[4];
    Read(bytes, 4);
    return GetU32BE(bytes);
}

int64_t TPsdInput::LengthEnd()
{
    const uint32_t length = U32();
    return position_ + length;
}

std::vector<uint8_t> TPsdInput::Bytes(int64_t count)
{
    if (count < 0 || count > Left())
        throw EPsdTruncated();
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    Read(bytes.data(), count);
    return bytes;
}

std::vector<uint8_t> TPsdInput::BytesUpTo(int64_t count) { return Bytes(std::clamp<int64_t>(count, 0, Left())); }

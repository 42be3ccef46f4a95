#include "imaging/core/QkStreamRoutines.h"

#include <algorithm>

#include "platform/core/Exceptions.h"

void WriteStringToStream(TStream& stream, const std::string& text)
{
    const auto length = static_cast<uint32_t>(text.size());
    const uint8_t prefix[4] = {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                               static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
    stream.WriteBuffer(prefix, sizeof prefix);
    stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

void ReadStringFromStream(TStream& stream, std::string& text)
{
    uint8_t prefix[4];
    stream.ReadBuffer(prefix, sizeof prefix);
    const int64_t length = prefix[0] | (prefix[1] << 8) | (prefix[2] << 16) | (static_cast<int64_t>(prefix[3]) << 24);
    if (length > stream.Size() - stream.Position())
        throw EReadError("Stream read error");
    text.assign(static_cast<size_t>(length), '\0');
    stream.ReadBuffer(text.data(), length);
}

void WriteLineToStream(TStream& stream, const std::string& text)
{
    stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
    stream.WriteBuffer("\r\n", 2);
}

void SafeStreamWrite(TStream& stream, std::atomic<bool>& aborting, const void* buffer, int64_t count)
{
    if (stream.Write(buffer, count) < count)
        aborting.store(true);
}

int64_t CopyStreamData(TStream& destination, TStream& source, int64_t count)
{
    if (count == 0)
        return destination.CopyFrom(source, 0);
    count = std::min(count, std::max<int64_t>(source.Size() - source.Position(), 0));
    return count > 0 ? destination.CopyFrom(source, count) : 0;
}

#include "imaging/formats/ico/QkIco.h"
#include "imaging/formats/ico/QkIcoFormat.h"
#include "platform/core/Streams.h"

namespace {

constexpr int64_t SmallestIcon = 23;

bool ProbeDirectory(TStream& stream, int64_t start, uint16_t type)
{
    if (stream.Size() < SmallestIcon)
        return false;
    const int32_t count = ReadIcoHeader(stream, type);
    if (count <= 0)
        return false;
    for (int32_t i = 0; i < count; ++i) {
        const TQkIcoEntry entry = ReadIcoEntry(stream);
        if (entry.Reserved != 0 || entry.ByteCount == 0 || entry.Offset < stream.Position() - start)
            return false;
    }
    return true;
}

bool ProbeAndRestore(TStream& stream, uint16_t type)
{
    const int64_t start = stream.Position();
    const bool answer = ProbeDirectory(stream, start, type);
    stream.SetPosition(start);
    return answer;
}

} // namespace

bool IsIcoStream(TStream& stream) { return ProbeAndRestore(stream, IcoTypeIcon); }
bool IsCurStream(TStream& stream) { return ProbeAndRestore(stream, IcoTypeCursor); }

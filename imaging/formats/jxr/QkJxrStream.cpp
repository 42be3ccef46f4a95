#include <algorithm>
#include <cstring>
#include <exception>

#include "imaging/formats/jxr/QkJxrHandles.h"
#include "platform/core/Streams.h"

namespace {

TJxrStream& Bridge(WMPStream* stream) { return *static_cast<TJxrStream*>(stream->state.pvObj); }

// The stream belongs to the caller: jxrlib's close only lets go of it.
ERR Close(WMPStream** stream)
{
    *stream = nullptr;
    return WMP_errSuccess;
}

int64_t Offset(TJxrStream& bridge) { return bridge.Stream.Position() - bridge.Start; }

Bool AtEnd(WMPStream* stream)
{
    TJxrStream& bridge = Bridge(stream);
    try {
        return Offset(bridge) >= bridge.Length;
    } catch (const std::exception&) {
        bridge.Failed = true;
        return TRUE;
    }
}

// jxrlib reads whole packets ahead and takes a short read at the end as
// success; the part past the end reads as zeros rather than stale memory.
ERR Read(WMPStream* stream, void* buffer, size_t count)
{
    TJxrStream& bridge = Bridge(stream);
    try {
        const int64_t left = std::max<int64_t>(0, bridge.Length - Offset(bridge));
        const int64_t wanted = std::min(int64_t(count), left);
        const int64_t got = wanted > 0 ? bridge.Stream.Read(buffer, wanted) : 0;
        std::memset(static_cast<uint8_t*>(buffer) + got, 0, count - size_t(got));
        return WMP_errSuccess;
    } catch (const std::exception&) {
        bridge.Failed = true;
    }
    return WMP_errFileIO;
}

ERR Write(WMPStream* stream, const void* buffer, size_t count)
{
    TJxrStream& bridge = Bridge(stream);
    try {
        if (bridge.Stream.Write(buffer, int64_t(count)) == int64_t(count))
            return WMP_errSuccess;
    } catch (const std::exception&) {}
    bridge.Failed = true;
    return WMP_errFileIO;
}

ERR SetPosition(WMPStream* stream, size_t offset)
{
    TJxrStream& bridge = Bridge(stream);
    try {
        if (int64_t(offset) >= 0 && int64_t(offset) <= bridge.Length) {
            bridge.Stream.SetPosition(bridge.Start + int64_t(offset));
            return WMP_errSuccess;
        }
    } catch (const std::exception&) {
        bridge.Failed = true;
    }
    return WMP_errFileIO;
}

ERR GetPosition(WMPStream* stream, size_t* offset)
{
    TJxrStream& bridge = Bridge(stream);
    try {
        *offset = size_t(Offset(bridge));
        return WMP_errSuccess;
    } catch (const std::exception&) {
        bridge.Failed = true;
        return WMP_errFileIO;
    }
}

} // namespace

TJxrStream::TJxrStream(TStream& stream, int64_t length) : Stream(stream), Start(stream.Position())
{
    Length = length >= 0 ? length : INT64_MAX - Start;
    Base.state.pvObj = this;
    Base.Close = Close;
    Base.EOS = AtEnd;
    Base.Read = Read;
    Base.Write = Write;
    Base.SetPos = SetPosition;
    Base.GetPos = GetPosition;
}

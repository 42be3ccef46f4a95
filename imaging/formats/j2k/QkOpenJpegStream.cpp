#include <algorithm>
#include <exception>

#include "imaging/formats/j2k/QkOpenJpeg.h"
#include "platform/core/Streams.h"

namespace {

constexpr OPJ_SIZE_T Failed = OPJ_SIZE_T(-1);

TJ2kStreamBridge& BridgeOf(void* data) { return *static_cast<TJ2kStreamBridge*>(data); }

int64_t Offset(TJ2kStreamBridge& bridge) { return bridge.Stream.Position() - bridge.Start; }

// OpenJPEG is C: no exception of the stream may cross it.
OPJ_SIZE_T ReadBytes(void* buffer, OPJ_SIZE_T count, void* data)
{
    TJ2kStreamBridge& bridge = BridgeOf(data);
    try {
        const int64_t left = bridge.Length - Offset(bridge);
        const int64_t got = left > 0 ? bridge.Stream.Read(buffer, std::min<int64_t>(left, int64_t(count))) : 0;
        return got > 0 ? OPJ_SIZE_T(got) : Failed;
    } catch (const std::exception&) {
        return Failed;
    }
}

OPJ_SIZE_T WriteBytes(void* buffer, OPJ_SIZE_T count, void* data)
{
    TJ2kStreamBridge& bridge = BridgeOf(data);
    try {
        if (bridge.Stream.Write(buffer, int64_t(count)) == int64_t(count))
            return count;
    } catch (const std::exception&) {}
    bridge.WriteFailed = true;
    return Failed;
}

OPJ_BOOL SeekTo(OPJ_OFF_T offset, void* data)
{
    TJ2kStreamBridge& bridge = BridgeOf(data);
    if (offset < 0 || offset > bridge.Length)
        return OPJ_FALSE;
    try {
        return bridge.Stream.Seek(bridge.Start + offset, soBeginning) == bridge.Start + offset;
    } catch (const std::exception&) {
        return OPJ_FALSE;
    }
}

OPJ_OFF_T SkipBytes(OPJ_OFF_T count, void* data)
{
    TJ2kStreamBridge& bridge = BridgeOf(data);
    try {
        return SeekTo(Offset(bridge) + count, data) ? count : -1;
    } catch (const std::exception&) {
        return -1;
    }
}

void Quiet(const char*, void*) {}

} // namespace

TJ2kStreamBridge MakeJ2kBridge(TStream& stream, int64_t length)
{
    const int64_t start = stream.Position();
    const int64_t available = std::max<int64_t>(0, stream.Size() - start);
    return {stream, start, length < 0 ? available : std::min(length, available)};
}

TOpjStream OpenJ2kInput(TJ2kStreamBridge& bridge)
{
    TOpjStream stream(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE));
    if (!stream)
        return stream;
    opj_stream_set_user_data(stream.get(), &bridge, nullptr);
    opj_stream_set_user_data_length(stream.get(), OPJ_UINT64(bridge.Length));
    opj_stream_set_read_function(stream.get(), ReadBytes);
    opj_stream_set_skip_function(stream.get(), SkipBytes);
    opj_stream_set_seek_function(stream.get(), SeekTo);
    return stream;
}

TOpjStream OpenJ2kOutput(TJ2kStreamBridge& bridge)
{
    // The JP2 writer seeks back to fill in box lengths: any offset written so
    // far is in reach.
    bridge.Length = INT64_MAX;
    TOpjStream stream(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE));
    if (!stream)
        return stream;
    opj_stream_set_user_data(stream.get(), &bridge, nullptr);
    opj_stream_set_write_function(stream.get(), WriteBytes);
    opj_stream_set_skip_function(stream.get(), SkipBytes);
    opj_stream_set_seek_function(stream.get(), SeekTo);
    return stream;
}

TOpjCodec SilentCodec(opj_codec_t* codec)
{
    if (codec) {
        opj_set_info_handler(codec, Quiet, nullptr);
        opj_set_warning_handler(codec, Quiet, nullptr);
        opj_set_error_handler(codec, Quiet, nullptr);
    }
    return TOpjCodec(codec);
}

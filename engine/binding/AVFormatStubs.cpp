#include "engine/binding/AVFormatStubs.h"

namespace {
// Deinitialising without a matching initialisation would unbalance FFmpeg's
// reference count of its network libraries.
bool networkInitialised = false;
} // namespace

void BindAVFormat(const std::string& fileName, TLibraryHandle library)
{
    AVFORMAT_ENTRY_POINTS(FF_BIND_MANDATORY)
    FF_BIND_OPTIONAL(ffurl_protocol_next)
    FF_BIND_OPTIONAL(ffurl_register_protocol)
    FF_BIND_OPTIONAL(ff_guess_image2_codec)
    av::avformat_network_init();
    networkInitialised = true;
}

void UnbindAVFormat()
{
    if (networkInitialised && av::avformat_network_deinit)
        av::avformat_network_deinit();
    networkInitialised = false;
    AVFORMAT_ENTRY_POINTS(FF_UNBIND)
    FF_UNBIND(ffurl_protocol_next)
    FF_UNBIND(ffurl_register_protocol)
    FF_UNBIND(ff_guess_image2_codec)
}

int64_t AVIOTell(AVIOContext* context) { return av::avio_seek(context, 0, SEEK_CUR); }

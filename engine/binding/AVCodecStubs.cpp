#include "engine/binding/AVCodecStubs.h"

void BindAVCodec(const std::string& fileName, TLibraryHandle library)
{
    AVCODEC_ENTRY_POINTS(FF_BIND_MANDATORY)
    FF_BIND_OPTIONAL(av_lockmgr_register)
}

void UnbindAVCodec()
{
    AVCODEC_ENTRY_POINTS(FF_UNBIND)
    FF_UNBIND(av_lockmgr_register)
}

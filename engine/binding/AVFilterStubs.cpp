#include "engine/binding/AVFilterStubs.h"

#include <cstring>

#include "platform/core/Exceptions.h"

void BindAVFilter(const std::string& fileName, TLibraryHandle library)
{
    AVFILTER_ENTRY_POINTS(FF_BIND_MANDATORY)
    FF_BIND_OPTIONAL(ff_get_video_buffer)
    FF_BIND_OPTIONAL(ff_filter_frame)
    FF_BIND_OPTIONAL(ff_make_format_list)
    FF_BIND_OPTIONAL(ff_set_common_formats)
}

void UnbindAVFilter(){AVFILTER_ENTRY_POINTS(FF_UNBIND) FF_UNBIND(ff_get_video_buffer) FF_UNBIND(ff_filter_frame)
                          FF_UNBIND(ff_make_format_list) FF_UNBIND(ff_set_common_formats)}

AVRational BufferSinkFrameRate(const AVFilterContext* sink)
{
    const char* name = sink && sink->filter ? sink->filter->name : "";
    if ((std::strcmp(name, "buffersink") != 0 && std::strcmp(name, "ffbuffersink") != 0) || sink->nb_inputs == 0)
        throw EInvalidArgument("BufferSinkFrameRate needs a buffer sink");
    return sink->inputs[0]->frame_rate;
}

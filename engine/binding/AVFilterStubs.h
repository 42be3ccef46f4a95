#pragma once
// Entry points of libavfilter (8), bound by name at run time.

#include <string>

#include "engine/binding/MyUtilStubs.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

// Every public entry point of the library, in binding order; all mandatory.
#define AVFILTER_ENTRY_POINTS(MANDATORY)                                                                               \
    MANDATORY(av_abuffersink_params_alloc)                                                                             \
    MANDATORY(av_buffersink_get_ch_layout)                                                                             \
    MANDATORY(av_buffersink_get_channel_layout)                                                                        \
    MANDATORY(av_buffersink_get_channels)                                                                              \
    MANDATORY(av_buffersink_get_format)                                                                                \
    MANDATORY(av_buffersink_get_frame)                                                                                 \
    MANDATORY(av_buffersink_get_frame_flags)                                                                           \
    MANDATORY(av_buffersink_get_frame_rate)                                                                            \
    MANDATORY(av_buffersink_get_h)                                                                                     \
    MANDATORY(av_buffersink_get_hw_frames_ctx)                                                                         \
    MANDATORY(av_buffersink_get_sample_aspect_ratio)                                                                   \
    MANDATORY(av_buffersink_get_sample_rate)                                                                           \
    MANDATORY(av_buffersink_get_samples)                                                                               \
    MANDATORY(av_buffersink_get_time_base)                                                                             \
    MANDATORY(av_buffersink_get_type)                                                                                  \
    MANDATORY(av_buffersink_get_w)                                                                                     \
    MANDATORY(av_buffersink_params_alloc)                                                                              \
    MANDATORY(av_buffersink_set_frame_size)                                                                            \
    MANDATORY(av_buffersrc_add_frame)                                                                                  \
    MANDATORY(av_buffersrc_add_frame_flags)                                                                            \
    MANDATORY(av_buffersrc_close)                                                                                      \
    MANDATORY(av_buffersrc_get_nb_failed_requests)                                                                     \
    MANDATORY(av_buffersrc_parameters_alloc)                                                                           \
    MANDATORY(av_buffersrc_parameters_set)                                                                             \
    MANDATORY(av_buffersrc_write_frame)                                                                                \
    MANDATORY(av_filter_iterate)                                                                                       \
    MANDATORY(avfilter_config_links)                                                                                   \
    MANDATORY(avfilter_configuration)                                                                                  \
    MANDATORY(avfilter_filter_pad_count)                                                                               \
    MANDATORY(avfilter_free)                                                                                           \
    MANDATORY(avfilter_get_by_name)                                                                                    \
    MANDATORY(avfilter_get_class)                                                                                      \
    MANDATORY(avfilter_graph_alloc)                                                                                    \
    MANDATORY(avfilter_graph_alloc_filter)                                                                             \
    MANDATORY(avfilter_graph_config)                                                                                   \
    MANDATORY(avfilter_graph_create_filter)                                                                            \
    MANDATORY(avfilter_graph_dump)                                                                                     \
    MANDATORY(avfilter_graph_free)                                                                                     \
    MANDATORY(avfilter_graph_get_filter)                                                                               \
    MANDATORY(avfilter_graph_parse)                                                                                    \
    MANDATORY(avfilter_graph_parse2)                                                                                   \
    MANDATORY(avfilter_graph_parse_ptr)                                                                                \
    MANDATORY(avfilter_graph_queue_command)                                                                            \
    MANDATORY(avfilter_graph_request_oldest)                                                                           \
    MANDATORY(avfilter_graph_send_command)                                                                             \
    MANDATORY(avfilter_graph_set_auto_convert)                                                                         \
    MANDATORY(avfilter_init_dict)                                                                                      \
    MANDATORY(avfilter_init_str)                                                                                       \
    MANDATORY(avfilter_inout_alloc)                                                                                    \
    MANDATORY(avfilter_inout_free)                                                                                     \
    MANDATORY(avfilter_insert_filter)                                                                                  \
    MANDATORY(avfilter_license)                                                                                        \
    MANDATORY(avfilter_link)                                                                                           \
    MANDATORY(avfilter_link_free)                                                                                      \
    MANDATORY(avfilter_pad_count)                                                                                      \
    MANDATORY(avfilter_pad_get_name)                                                                                   \
    MANDATORY(avfilter_pad_get_type)                                                                                   \
    MANDATORY(avfilter_process_command)                                                                                \
    MANDATORY(avfilter_version)

namespace av {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
AVFILTER_ENTRY_POINTS(FF_DECLARE_ENTRY)
#pragma GCC diagnostic pop

// Private entry points of older libavfilter generations, looked up as optional
// (5.1 exports none); a filter written against them needs all four.
inline AVFrame* (*ff_get_video_buffer)(AVFilterLink* link, int width, int height) = nullptr;
inline int (*ff_filter_frame)(AVFilterLink* link, AVFrame* frame) = nullptr;
inline AVFilterFormats* (*ff_make_format_list)(const int* formats) = nullptr;
inline int (*ff_set_common_formats)(AVFilterContext* context, AVFilterFormats* formats) = nullptr;
} // namespace av

void BindAVFilter(const std::string& fileName, TLibraryHandle library);
void UnbindAVFilter();

// The frame rate of a "buffersink" or "ffbuffersink" instance's input.
AVRational BufferSinkFrameRate(const AVFilterContext* sink);

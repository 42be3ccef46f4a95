#pragma once
// Entry points of libavformat (59), bound by name at run time.

#include <string>

#include "engine/binding/MyUtilStubs.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
}

// Every public entry point of the library, in binding order; all mandatory.
#define AVFORMAT_ENTRY_POINTS(MANDATORY)                                                                               \
    MANDATORY(av_add_index_entry)                                                                                      \
    MANDATORY(av_append_packet)                                                                                        \
    MANDATORY(av_codec_get_id)                                                                                         \
    MANDATORY(av_codec_get_tag)                                                                                        \
    MANDATORY(av_codec_get_tag2)                                                                                       \
    MANDATORY(av_demuxer_iterate)                                                                                      \
    MANDATORY(av_disposition_from_string)                                                                              \
    MANDATORY(av_disposition_to_string)                                                                                \
    MANDATORY(av_dump_format)                                                                                          \
    MANDATORY(av_filename_number_test)                                                                                 \
    MANDATORY(av_find_best_stream)                                                                                     \
    MANDATORY(av_find_default_stream_index)                                                                            \
    MANDATORY(av_find_input_format)                                                                                    \
    MANDATORY(av_find_program_from_stream)                                                                             \
    MANDATORY(av_fmt_ctx_get_duration_estimation_method)                                                               \
    MANDATORY(av_format_inject_global_side_data)                                                                       \
    MANDATORY(av_get_frame_filename)                                                                                   \
    MANDATORY(av_get_frame_filename2)                                                                                  \
    MANDATORY(av_get_output_timestamp)                                                                                 \
    MANDATORY(av_get_packet)                                                                                           \
    MANDATORY(av_guess_codec)                                                                                          \
    MANDATORY(av_guess_format)                                                                                         \
    MANDATORY(av_guess_frame_rate)                                                                                     \
    MANDATORY(av_guess_sample_aspect_ratio)                                                                            \
    MANDATORY(av_hex_dump)                                                                                             \
    MANDATORY(av_hex_dump_log)                                                                                         \
    MANDATORY(av_index_search_timestamp)                                                                               \
    MANDATORY(av_interleaved_write_frame)                                                                              \
    MANDATORY(av_interleaved_write_uncoded_frame)                                                                      \
    MANDATORY(av_match_ext)                                                                                            \
    MANDATORY(av_muxer_iterate)                                                                                        \
    MANDATORY(av_new_program)                                                                                          \
    MANDATORY(av_pkt_dump2)                                                                                            \
    MANDATORY(av_pkt_dump_log2)                                                                                        \
    MANDATORY(av_probe_input_buffer)                                                                                   \
    MANDATORY(av_probe_input_buffer2)                                                                                  \
    MANDATORY(av_probe_input_format)                                                                                   \
    MANDATORY(av_probe_input_format2)                                                                                  \
    MANDATORY(av_probe_input_format3)                                                                                  \
    MANDATORY(av_program_add_stream_index)                                                                             \
    MANDATORY(av_read_frame)                                                                                           \
    MANDATORY(av_read_pause)                                                                                           \
    MANDATORY(av_read_play)                                                                                            \
    MANDATORY(av_sdp_create)                                                                                           \
    MANDATORY(av_seek_frame)                                                                                           \
    MANDATORY(av_stream_add_side_data)                                                                                 \
    MANDATORY(av_stream_get_class)                                                                                     \
    MANDATORY(av_stream_get_codec_timebase)                                                                            \
    MANDATORY(av_stream_get_end_pts)                                                                                   \
    MANDATORY(av_stream_get_parser)                                                                                    \
    MANDATORY(av_stream_get_side_data)                                                                                 \
    MANDATORY(av_stream_new_side_data)                                                                                 \
    MANDATORY(av_url_split)                                                                                            \
    MANDATORY(av_write_frame)                                                                                          \
    MANDATORY(av_write_trailer)                                                                                        \
    MANDATORY(av_write_uncoded_frame)                                                                                  \
    MANDATORY(av_write_uncoded_frame_query)                                                                            \
    MANDATORY(avformat_alloc_context)                                                                                  \
    MANDATORY(avformat_alloc_output_context2)                                                                          \
    MANDATORY(avformat_close_input)                                                                                    \
    MANDATORY(avformat_configuration)                                                                                  \
    MANDATORY(avformat_find_stream_info)                                                                               \
    MANDATORY(avformat_flush)                                                                                          \
    MANDATORY(avformat_free_context)                                                                                   \
    MANDATORY(avformat_get_class)                                                                                      \
    MANDATORY(avformat_get_mov_audio_tags)                                                                             \
    MANDATORY(avformat_get_mov_video_tags)                                                                             \
    MANDATORY(avformat_get_riff_audio_tags)                                                                            \
    MANDATORY(avformat_get_riff_video_tags)                                                                            \
    MANDATORY(avformat_index_get_entries_count)                                                                        \
    MANDATORY(avformat_index_get_entry)                                                                                \
    MANDATORY(avformat_index_get_entry_from_timestamp)                                                                 \
    MANDATORY(avformat_init_output)                                                                                    \
    MANDATORY(avformat_license)                                                                                        \
    MANDATORY(avformat_match_stream_specifier)                                                                         \
    MANDATORY(avformat_network_deinit)                                                                                 \
    MANDATORY(avformat_network_init)                                                                                   \
    MANDATORY(avformat_new_stream)                                                                                     \
    MANDATORY(avformat_open_input)                                                                                     \
    MANDATORY(avformat_query_codec)                                                                                    \
    MANDATORY(avformat_queue_attached_pictures)                                                                        \
    MANDATORY(avformat_seek_file)                                                                                      \
    MANDATORY(avformat_transfer_internal_stream_timing_info)                                                           \
    MANDATORY(avformat_version)                                                                                        \
    MANDATORY(avformat_write_header)                                                                                   \
    MANDATORY(avio_accept)                                                                                             \
    MANDATORY(avio_alloc_context)                                                                                      \
    MANDATORY(avio_check)                                                                                              \
    MANDATORY(avio_close)                                                                                              \
    MANDATORY(avio_close_dir)                                                                                          \
    MANDATORY(avio_close_dyn_buf)                                                                                      \
    MANDATORY(avio_closep)                                                                                             \
    MANDATORY(avio_context_free)                                                                                       \
    MANDATORY(avio_enum_protocols)                                                                                     \
    MANDATORY(avio_feof)                                                                                               \
    MANDATORY(avio_find_protocol_name)                                                                                 \
    MANDATORY(avio_flush)                                                                                              \
    MANDATORY(avio_free_directory_entry)                                                                               \
    MANDATORY(avio_get_dyn_buf)                                                                                        \
    MANDATORY(avio_get_str)                                                                                            \
    MANDATORY(avio_get_str16be)                                                                                        \
    MANDATORY(avio_get_str16le)                                                                                        \
    MANDATORY(avio_handshake)                                                                                          \
    MANDATORY(avio_open)                                                                                               \
    MANDATORY(avio_open2)                                                                                              \
    MANDATORY(avio_open_dir)                                                                                           \
    MANDATORY(avio_open_dyn_buf)                                                                                       \
    MANDATORY(avio_pause)                                                                                              \
    MANDATORY(avio_print_string_array)                                                                                 \
    MANDATORY(avio_printf)                                                                                             \
    MANDATORY(avio_protocol_get_class)                                                                                 \
    MANDATORY(avio_put_str)                                                                                            \
    MANDATORY(avio_put_str16be)                                                                                        \
    MANDATORY(avio_put_str16le)                                                                                        \
    MANDATORY(avio_r8)                                                                                                 \
    MANDATORY(avio_rb16)                                                                                               \
    MANDATORY(avio_rb24)                                                                                               \
    MANDATORY(avio_rb32)                                                                                               \
    MANDATORY(avio_rb64)                                                                                               \
    MANDATORY(avio_read)                                                                                               \
    MANDATORY(avio_read_dir)                                                                                           \
    MANDATORY(avio_read_partial)                                                                                       \
    MANDATORY(avio_read_to_bprint)                                                                                     \
    MANDATORY(avio_rl16)                                                                                               \
    MANDATORY(avio_rl24)                                                                                               \
    MANDATORY(avio_rl32)                                                                                               \
    MANDATORY(avio_rl64)                                                                                               \
    MANDATORY(avio_seek)                                                                                               \
    MANDATORY(avio_seek_time)                                                                                          \
    MANDATORY(avio_size)                                                                                               \
    MANDATORY(avio_skip)                                                                                               \
    MANDATORY(avio_vprintf)                                                                                            \
    MANDATORY(avio_w8)                                                                                                 \
    MANDATORY(avio_wb16)                                                                                               \
    MANDATORY(avio_wb24)                                                                                               \
    MANDATORY(avio_wb32)                                                                                               \
    MANDATORY(avio_wb64)                                                                                               \
    MANDATORY(avio_wl16)                                                                                               \
    MANDATORY(avio_wl24)                                                                                               \
    MANDATORY(avio_wl32)                                                                                               \
    MANDATORY(avio_wl64)                                                                                               \
    MANDATORY(avio_write)                                                                                              \
    MANDATORY(avio_write_marker)

namespace av {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
AVFORMAT_ENTRY_POINTS(FF_DECLARE_ENTRY)
#pragma GCC diagnostic pop

// Private entry points of older libavformat generations, looked up as optional
// (5.1 exports none): protocol registration and the image-name codec guess.
struct URLProtocol;
inline const URLProtocol* (*ffurl_protocol_next)(const URLProtocol* previous) = nullptr;
inline int (*ffurl_register_protocol)(URLProtocol* protocol, int size) = nullptr;
inline AVCodecID (*ff_guess_image2_codec)(const char* fileName) = nullptr;
} // namespace av

void BindAVFormat(const std::string& fileName, TLibraryHandle library);
void UnbindAVFormat();

// The current byte position of an I/O context.
int64_t AVIOTell(AVIOContext* context);

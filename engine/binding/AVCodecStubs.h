#pragma once
// Entry points of libavcodec (59), bound by name at run time.

#include <string>

#include "engine/binding/MyUtilStubs.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/avfft.h>
#include <libavcodec/bsf.h>
}

// Every public entry point of the library, in binding order; all mandatory.
#define AVCODEC_ENTRY_POINTS(MANDATORY)                                                                                \
    MANDATORY(av_bsf_alloc)                                                                                            \
    MANDATORY(av_bsf_flush)                                                                                            \
    MANDATORY(av_bsf_free)                                                                                             \
    MANDATORY(av_bsf_get_by_name)                                                                                      \
    MANDATORY(av_bsf_get_class)                                                                                        \
    MANDATORY(av_bsf_get_null_filter)                                                                                  \
    MANDATORY(av_bsf_init)                                                                                             \
    MANDATORY(av_bsf_iterate)                                                                                          \
    MANDATORY(av_bsf_list_alloc)                                                                                       \
    MANDATORY(av_bsf_list_append)                                                                                      \
    MANDATORY(av_bsf_list_append2)                                                                                     \
    MANDATORY(av_bsf_list_finalize)                                                                                    \
    MANDATORY(av_bsf_list_free)                                                                                        \
    MANDATORY(av_bsf_list_parse_str)                                                                                   \
    MANDATORY(av_bsf_receive_packet)                                                                                   \
    MANDATORY(av_bsf_send_packet)                                                                                      \
    MANDATORY(av_codec_is_decoder)                                                                                     \
    MANDATORY(av_codec_is_encoder)                                                                                     \
    MANDATORY(av_codec_iterate)                                                                                        \
    MANDATORY(av_cpb_properties_alloc)                                                                                 \
    MANDATORY(av_dct_calc)                                                                                             \
    MANDATORY(av_dct_end)                                                                                              \
    MANDATORY(av_dct_init)                                                                                             \
    MANDATORY(av_fast_padded_malloc)                                                                                   \
    MANDATORY(av_fast_padded_mallocz)                                                                                  \
    MANDATORY(av_fft_calc)                                                                                             \
    MANDATORY(av_fft_end)                                                                                              \
    MANDATORY(av_fft_init)                                                                                             \
    MANDATORY(av_fft_permute)                                                                                          \
    MANDATORY(av_get_audio_frame_duration)                                                                             \
    MANDATORY(av_get_audio_frame_duration2)                                                                            \
    MANDATORY(av_get_bits_per_sample)                                                                                  \
    MANDATORY(av_get_exact_bits_per_sample)                                                                            \
    MANDATORY(av_get_pcm_codec)                                                                                        \
    MANDATORY(av_get_profile_name)                                                                                     \
    MANDATORY(av_grow_packet)                                                                                          \
    MANDATORY(av_imdct_calc)                                                                                           \
    MANDATORY(av_imdct_half)                                                                                           \
    MANDATORY(av_init_packet)                                                                                          \
    MANDATORY(av_mdct_calc)                                                                                            \
    MANDATORY(av_mdct_end)                                                                                             \
    MANDATORY(av_mdct_init)                                                                                            \
    MANDATORY(av_new_packet)                                                                                           \
    MANDATORY(av_packet_add_side_data)                                                                                 \
    MANDATORY(av_packet_alloc)                                                                                         \
    MANDATORY(av_packet_clone)                                                                                         \
    MANDATORY(av_packet_copy_props)                                                                                    \
    MANDATORY(av_packet_free)                                                                                          \
    MANDATORY(av_packet_free_side_data)                                                                                \
    MANDATORY(av_packet_from_data)                                                                                     \
    MANDATORY(av_packet_get_side_data)                                                                                 \
    MANDATORY(av_packet_make_refcounted)                                                                               \
    MANDATORY(av_packet_make_writable)                                                                                 \
    MANDATORY(av_packet_move_ref)                                                                                      \
    MANDATORY(av_packet_new_side_data)                                                                                 \
    MANDATORY(av_packet_pack_dictionary)                                                                               \
    MANDATORY(av_packet_ref)                                                                                           \
    MANDATORY(av_packet_rescale_ts)                                                                                    \
    MANDATORY(av_packet_shrink_side_data)                                                                              \
    MANDATORY(av_packet_side_data_name)                                                                                \
    MANDATORY(av_packet_unpack_dictionary)                                                                             \
    MANDATORY(av_packet_unref)                                                                                         \
    MANDATORY(av_parser_close)                                                                                         \
    MANDATORY(av_parser_init)                                                                                          \
    MANDATORY(av_parser_iterate)                                                                                       \
    MANDATORY(av_parser_parse2)                                                                                        \
    MANDATORY(av_rdft_calc)                                                                                            \
    MANDATORY(av_rdft_end)                                                                                             \
    MANDATORY(av_rdft_init)                                                                                            \
    MANDATORY(av_shrink_packet)                                                                                        \
    MANDATORY(av_xiphlacing)                                                                                           \
    MANDATORY(avcodec_align_dimensions)                                                                                \
    MANDATORY(avcodec_align_dimensions2)                                                                               \
    MANDATORY(avcodec_alloc_context3)                                                                                  \
    MANDATORY(avcodec_chroma_pos_to_enum)                                                                              \
    MANDATORY(avcodec_close)                                                                                           \
    MANDATORY(avcodec_configuration)                                                                                   \
    MANDATORY(avcodec_decode_subtitle2)                                                                                \
    MANDATORY(avcodec_default_execute)                                                                                 \
    MANDATORY(avcodec_default_execute2)                                                                                \
    MANDATORY(avcodec_default_get_buffer2)                                                                             \
    MANDATORY(avcodec_default_get_encode_buffer)                                                                       \
    MANDATORY(avcodec_default_get_format)                                                                              \
    MANDATORY(avcodec_descriptor_get)                                                                                  \
    MANDATORY(avcodec_descriptor_get_by_name)                                                                          \
    MANDATORY(avcodec_descriptor_next)                                                                                 \
    MANDATORY(avcodec_encode_subtitle)                                                                                 \
    MANDATORY(avcodec_enum_to_chroma_pos)                                                                              \
    MANDATORY(avcodec_fill_audio_frame)                                                                                \
    MANDATORY(avcodec_find_best_pix_fmt_of_list)                                                                       \
    MANDATORY(avcodec_find_decoder)                                                                                    \
    MANDATORY(avcodec_find_decoder_by_name)                                                                            \
    MANDATORY(avcodec_find_encoder)                                                                                    \
    MANDATORY(avcodec_find_encoder_by_name)                                                                            \
    MANDATORY(avcodec_flush_buffers)                                                                                   \
    MANDATORY(avcodec_free_context)                                                                                    \
    MANDATORY(avcodec_get_class)                                                                                       \
    MANDATORY(avcodec_get_frame_class)                                                                                 \
    MANDATORY(avcodec_get_hw_config)                                                                                   \
    MANDATORY(avcodec_get_hw_frames_parameters)                                                                        \
    MANDATORY(avcodec_get_name)                                                                                        \
    MANDATORY(avcodec_get_subtitle_rect_class)                                                                         \
    MANDATORY(avcodec_get_type)                                                                                        \
    MANDATORY(avcodec_is_open)                                                                                         \
    MANDATORY(avcodec_license)                                                                                         \
    MANDATORY(avcodec_open2)                                                                                           \
    MANDATORY(avcodec_parameters_alloc)                                                                                \
    MANDATORY(avcodec_parameters_copy)                                                                                 \
    MANDATORY(avcodec_parameters_free)                                                                                 \
    MANDATORY(avcodec_parameters_from_context)                                                                         \
    MANDATORY(avcodec_parameters_to_context)                                                                           \
    MANDATORY(avcodec_pix_fmt_to_codec_tag)                                                                            \
    MANDATORY(avcodec_profile_name)                                                                                    \
    MANDATORY(avcodec_receive_frame)                                                                                   \
    MANDATORY(avcodec_receive_packet)                                                                                  \
    MANDATORY(avcodec_send_frame)                                                                                      \
    MANDATORY(avcodec_send_packet)                                                                                     \
    MANDATORY(avcodec_string)                                                                                          \
    MANDATORY(avcodec_version)                                                                                         \
    MANDATORY(avsubtitle_free)

namespace av {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
AVCODEC_ENTRY_POINTS(FF_DECLARE_ENTRY)
#pragma GCC diagnostic pop

// The lock-manager registration of older libavcodec generations; 5.1 locks
// internally and exports none, so it stays unbound there.
using TLockManagerCallback = int (*)(void** mutex, int operation);
inline int (*av_lockmgr_register)(TLockManagerCallback callback) = nullptr;
} // namespace av

void BindAVCodec(const std::string& fileName, TLibraryHandle library);
void UnbindAVCodec();

#pragma once
// Entry points of libswresample (4), bound by name at run time.

#include <string>

#include "engine/binding/MyUtilStubs.h"

extern "C" {
#include <libswresample/swresample.h>
}

// Every public entry point of the library, in binding order; all mandatory.
#define SWRESAMPLE_ENTRY_POINTS(MANDATORY)                                                                             \
    MANDATORY(swr_alloc)                                                                                               \
    MANDATORY(swr_alloc_set_opts)                                                                                      \
    MANDATORY(swr_alloc_set_opts2)                                                                                     \
    MANDATORY(swr_build_matrix)                                                                                        \
    MANDATORY(swr_build_matrix2)                                                                                       \
    MANDATORY(swr_close)                                                                                               \
    MANDATORY(swr_config_frame)                                                                                        \
    MANDATORY(swr_convert)                                                                                             \
    MANDATORY(swr_convert_frame)                                                                                       \
    MANDATORY(swr_drop_output)                                                                                         \
    MANDATORY(swr_free)                                                                                                \
    MANDATORY(swr_get_class)                                                                                           \
    MANDATORY(swr_get_delay)                                                                                           \
    MANDATORY(swr_get_out_samples)                                                                                     \
    MANDATORY(swr_init)                                                                                                \
    MANDATORY(swr_inject_silence)                                                                                      \
    MANDATORY(swr_is_initialized)                                                                                      \
    MANDATORY(swr_next_pts)                                                                                            \
    MANDATORY(swr_set_channel_mapping)                                                                                 \
    MANDATORY(swr_set_compensation)                                                                                    \
    MANDATORY(swr_set_matrix)                                                                                          \
    MANDATORY(swresample_configuration)                                                                                \
    MANDATORY(swresample_license)                                                                                      \
    MANDATORY(swresample_version)

namespace av {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
SWRESAMPLE_ENTRY_POINTS(FF_DECLARE_ENTRY)
#pragma GCC diagnostic pop
} // namespace av

void BindSwResample(const std::string& fileName, TLibraryHandle library);
void UnbindSwResample();

#pragma once
// Entry points of libswscale (6), bound by name at run time.

#include <string>

#include "engine/binding/MyUtilStubs.h"

extern "C" {
#include <libswscale/swscale.h>
}

// Every public entry point of the library, in binding order; all mandatory.
#define SWSCALE_ENTRY_POINTS(MANDATORY)                                                                                \
    MANDATORY(sws_allocVec)                                                                                            \
    MANDATORY(sws_alloc_context)                                                                                       \
    MANDATORY(sws_convertPalette8ToPacked24)                                                                           \
    MANDATORY(sws_convertPalette8ToPacked32)                                                                           \
    MANDATORY(sws_frame_end)                                                                                           \
    MANDATORY(sws_frame_start)                                                                                         \
    MANDATORY(sws_freeContext)                                                                                         \
    MANDATORY(sws_freeFilter)                                                                                          \
    MANDATORY(sws_freeVec)                                                                                             \
    MANDATORY(sws_getCachedContext)                                                                                    \
    MANDATORY(sws_getCoefficients)                                                                                     \
    MANDATORY(sws_getColorspaceDetails)                                                                                \
    MANDATORY(sws_getContext)                                                                                          \
    MANDATORY(sws_getDefaultFilter)                                                                                    \
    MANDATORY(sws_getGaussianVec)                                                                                      \
    MANDATORY(sws_get_class)                                                                                           \
    MANDATORY(sws_init_context)                                                                                        \
    MANDATORY(sws_isSupportedEndiannessConversion)                                                                     \
    MANDATORY(sws_isSupportedInput)                                                                                    \
    MANDATORY(sws_isSupportedOutput)                                                                                   \
    MANDATORY(sws_normalizeVec)                                                                                        \
    MANDATORY(sws_receive_slice)                                                                                       \
    MANDATORY(sws_receive_slice_alignment)                                                                             \
    MANDATORY(sws_scale)                                                                                               \
    MANDATORY(sws_scaleVec)                                                                                            \
    MANDATORY(sws_scale_frame)                                                                                         \
    MANDATORY(sws_send_slice)                                                                                          \
    MANDATORY(sws_setColorspaceDetails)                                                                                \
    MANDATORY(swscale_configuration)                                                                                   \
    MANDATORY(swscale_license)                                                                                         \
    MANDATORY(swscale_version)

namespace av {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
SWSCALE_ENTRY_POINTS(FF_DECLARE_ENTRY)
#pragma GCC diagnostic pop
} // namespace av

void BindSwScale(const std::string& fileName, TLibraryHandle library);
void UnbindSwScale();

#pragma once
// Entry points of libavdevice (59), bound by name at run time.

#include <string>

#include "engine/binding/MyUtilStubs.h"

extern "C" {
#include <libavdevice/avdevice.h>
}

// Every public entry point of the library, in binding order; all mandatory.
#define AVDEVICE_ENTRY_POINTS(MANDATORY)                                                                               \
    MANDATORY(av_input_audio_device_next)                                                                              \
    MANDATORY(av_input_video_device_next)                                                                              \
    MANDATORY(av_output_audio_device_next)                                                                             \
    MANDATORY(av_output_video_device_next)                                                                             \
    MANDATORY(avdevice_app_to_dev_control_message)                                                                     \
    MANDATORY(avdevice_capabilities_create)                                                                            \
    MANDATORY(avdevice_capabilities_free)                                                                              \
    MANDATORY(avdevice_configuration)                                                                                  \
    MANDATORY(avdevice_dev_to_app_control_message)                                                                     \
    MANDATORY(avdevice_free_list_devices)                                                                              \
    MANDATORY(avdevice_license)                                                                                        \
    MANDATORY(avdevice_list_devices)                                                                                   \
    MANDATORY(avdevice_list_input_sources)                                                                             \
    MANDATORY(avdevice_list_output_sinks)                                                                              \
    MANDATORY(avdevice_register_all)                                                                                   \
    MANDATORY(avdevice_version)

namespace av {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
AVDEVICE_ENTRY_POINTS(FF_DECLARE_ENTRY)
#pragma GCC diagnostic pop
} // namespace av

void BindAVDevice(const std::string& fileName, TLibraryHandle library);
void UnbindAVDevice();

#include "engine/binding/AVDeviceStubs.h"

void BindAVDevice(const std::string& fileName, TLibraryHandle library)
{
    AVDEVICE_ENTRY_POINTS(FF_BIND_MANDATORY)
    av::avdevice_register_all();
}

void UnbindAVDevice() { AVDEVICE_ENTRY_POINTS(FF_UNBIND) }

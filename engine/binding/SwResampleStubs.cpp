#include "engine/binding/SwResampleStubs.h"

void BindSwResample(const std::string& fileName, TLibraryHandle library) { SWRESAMPLE_ENTRY_POINTS(FF_BIND_MANDATORY) }

void UnbindSwResample() { SWRESAMPLE_ENTRY_POINTS(FF_UNBIND) }

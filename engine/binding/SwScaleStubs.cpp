#include "engine/binding/SwScaleStubs.h"

void BindSwScale(const std::string& fileName, TLibraryHandle library) { SWSCALE_ENTRY_POINTS(FF_BIND_MANDATORY) }

void UnbindSwScale() { SWSCALE_ENTRY_POINTS(FF_UNBIND) }

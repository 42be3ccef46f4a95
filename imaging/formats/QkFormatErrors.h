#pragma once
// The error of a format whose filter is not part of this build.

#include <string>

#include "platform/core/Exceptions.h"

class EQkFormatNotSupported : public Exception {
public:
    using Exception::Exception;
};

// "<format name>: reading is not supported in this build" (or writing).
EQkFormatNotSupported FormatNotSupported(int32_t fileType, bool reading);

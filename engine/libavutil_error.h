#pragma once
// The table of FFmpeg and system error codes from which the engine writes its
// error texts.

#include <array>
#include <cstdint>

struct TErrorItem {
    int32_t Code;
    const char* Message;
};

// FFmpeg's own codes, then the negated errno values, each followed by the
// Windows Sockets code of the same meaning, then the Windows Sockets codes of
// their own. The first row with a code decides.
extern const std::array<TErrorItem, 210> ErrorTable;

// The message of the first row with `code`, or nullptr.
const char* FindErrorMessage(int32_t code);

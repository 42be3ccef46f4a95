#pragma once
// The boundary with libjpeg. The library reports errors through a C
// callback that cannot raise a C++ exception across its frames, so the
// callback jumps back to the point JpegGuarded set, and the C++ side turns
// the failure into its own outcome there. Code between the jump target and
// the library holds no object with a destructor.

#include <array>
#include <atomic>
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>

#include <jpeglib.h>

class TStream;

constexpr size_t JpegIoBufferSize = 65536;

struct TJpegErrorManager {
    jpeg_error_mgr Pub;
    std::jmp_buf Jump;
    // Set on every error; nil when there is no caller's flag.
    std::atomic<bool>* Aborting = nullptr;
};

// The error manager for one compressor or decompressor.
void InitJpegErrors(TJpegErrorManager& errors, std::atomic<bool>* aborting);
// The text of the error that ended the last guarded step.
std::string JpegErrorText(const TJpegErrorManager& errors);

// Runs `step`, which calls into the library; false when the library failed.
template <typename TStep>
bool JpegGuarded(TJpegErrorManager& errors, TStep&& step)
{
    if (setjmp(errors.Jump) != 0)
        return false;
    step();
    return true;
}

// Sets the DCT method of a setting: 0 slow integer, 1 fast integer, 2
// floating point; other values keep the library's default.
inline void SetJpegDctMethod(J_DCT_METHOD& method, uint8_t setting)
{
    static const J_DCT_METHOD Methods[] = {JDCT_ISLOW, JDCT_IFAST, JDCT_FLOAT};
    if (setting < std::size(Methods))
        method = Methods[setting];
}

// Reads from a stream. A stream that ends, or fails, ends in an
// end-of-image marker, so a truncated file ends as a complete one would and
// the library warns instead of failing.
struct TJpegSource {
    jpeg_source_mgr Pub;
    TStream* Stream = nullptr;
    bool StartOfFile = false;
    std::atomic<bool>* Aborting = nullptr;
    std::array<JOCTET, JpegIoBufferSize> Buffer;
};

// Installs `source` over `stream`, or switches it to another stream.
void SetJpegSource(jpeg_decompress_struct& info, TJpegSource& source, TStream& stream, std::atomic<bool>* aborting);

// Writes to a stream; a short write sets the aborting flag.
struct TJpegDestination {
    jpeg_destination_mgr Pub;
    TStream* Stream = nullptr;
    std::atomic<bool>* Aborting = nullptr;
    std::array<JOCTET, JpegIoBufferSize> Buffer;
};

void SetJpegDestination(jpeg_compress_struct& info, TJpegDestination& destination, TStream& stream,
                        std::atomic<bool>* aborting);

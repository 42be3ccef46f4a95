#pragma once
// The zlib glue of the PNG codec: whole-buffer inflate and deflate for the
// compressed text chunk, and zlib's result codes as readable texts.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Text chunks larger than this when inflated are not kept.
constexpr size_t DefaultInflateLimit = size_t{64} << 20;

// "data error (-3)" and the like, for the zlib result codes -6 .. 2.
std::string ZlibResultText(int code);

// Inflates a complete zlib stream. On failure returns false with zlib's
// message in `errorText`; `output` then holds what was produced so far.
// Output beyond `maxOutput` bytes counts as a failure, so a small chunk
// cannot expand without bound.
bool InflateBuffer(const uint8_t* input, size_t length, std::vector<uint8_t>& output, std::string& errorText,
                   size_t maxOutput = DefaultInflateLimit);
// Deflates a block at `level` into a complete zlib stream.
bool DeflateBuffer(const uint8_t* input, size_t length, int level, std::vector<uint8_t>& output,
                   std::string& errorText);

#pragma once
// The LZW coding of GIF image data: a minimum-code-size byte, then data
// sub-blocks holding variable-length codes (least significant bit first),
// then a zero-length block. Pixels are one palette index a byte, visited
// row by row, or in the four interlaced passes.

#include <cstdint>
#include <span>

#include "platform/core/Streams.h"

// Decodes from the stream's position into `output` (width x height indexes).
// Data that ends early leaves the remaining pixels untouched and succeeds.
// On failure (a bad minimum code size, a code past the table, a first code
// that is no root code, an end code right after a clear before the data's
// end, an output smaller than the image) returns false with the stream put
// back at the minimum-code-size byte.
bool GifLzwDecode(TStream& stream, int32_t height, int32_t width, bool interlaced, std::span<uint8_t> output);

// Writes the image's data; every index must fit in `bitsPerPixel` (1 to 8).
// Returns false when an argument is out of range (nothing is written) or the
// stream took fewer bytes than it was given.
bool GifLzwEncode(TStream& stream, int32_t height, int32_t width, bool interlaced, std::span<const uint8_t> input,
                  int32_t bitsPerPixel);

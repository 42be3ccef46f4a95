#pragma once
// The shapes of the LZW codecs, which the formats that own them plug into
// the library-wide hooks at start-up; an empty hook means the codec is
// unavailable.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

class TStream;

// GIF: decodes from the stream's position (the minimum-code-size byte) into
// width x height palette indexes; on failure the position is left where it
// was and the answer is false.
using TGifLzwDecoder =
    std::function<bool(TStream& stream, int32_t height, int32_t width, bool interlaced, std::span<uint8_t> output)>;
// GIF: writes the minimum code size and the data sub-blocks of width x
// height indexes of `bitsPerPixel` bits; false when nothing or too little
// was written.
using TGifLzwEncoder = std::function<bool(TStream& stream, int32_t height, int32_t width, bool interlaced,
                                          std::span<const uint8_t> input, int32_t bitsPerPixel)>;

// TIFF codes a strip row by row, carrying its state between the calls; the
// states are the codec's own.
struct TTiffLzwDecodeState;
struct TTiffLzwEncodeState;
struct TTiffLzwDecodeStateDeleter {
    void operator()(TTiffLzwDecodeState* state) const;
};
struct TTiffLzwEncodeStateDeleter {
    void operator()(TTiffLzwEncodeState* state) const;
};
using TTiffLzwDecodeStatePtr = std::unique_ptr<TTiffLzwDecodeState, TTiffLzwDecodeStateDeleter>;
using TTiffLzwEncodeStatePtr = std::unique_ptr<TTiffLzwEncodeState, TTiffLzwEncodeStateDeleter>;

// TIFF: the next row of the strip, or null when it is corrupt (see
// TiffLzwDecode).
using TTiffLzwDecoder =
    std::function<const uint8_t*(const uint8_t* input, int64_t inputSize, int32_t rowLength,
                                 TTiffLzwDecodeStatePtr& state, int32_t fillOrder, std::atomic<bool>& aborting)>;
// TIFF: continues the strip's code stream with a row; a null row ends it.
using TTiffLzwEncoder = std::function<void(const uint8_t* row, int64_t byteCount, TStream& stream,
                                           TTiffLzwEncodeStatePtr& state, std::atomic<bool>& aborting)>;

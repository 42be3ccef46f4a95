#include "controls/png/PngZlib.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <limits>

namespace {

constexpr size_t WindowSize = 256;

std::string MessageOf(const z_stream& stream, int code)
{
    return stream.msg ? std::string(stream.msg) : ZlibResultText(code);
}

// zlib counts in uInt; feed it at most that much at once.
uInt Clamp(size_t length) { return static_cast<uInt>(std::min<size_t>(length, std::numeric_limits<uInt>::max())); }

} // namespace

std::string ZlibResultText(int code)
{
    static const std::array<const char*, 9> texts = {
        "incompatible version (-6)",
        "buffer error (-5)",
        "insufficient memory (-4)",
        "data error (-3)",
        "stream error (-2)",
        "file error (-1)",
        "(0)",
        "stream end (1)",
        "need dictionary (2)",
    };
    if (code < -6 || code > 2)
        return "(" + std::to_string(code) + ")";
    return texts[static_cast<size_t>(code + 6)];
}

bool InflateBuffer(const uint8_t* input, size_t length, std::vector<uint8_t>& output, std::string& errorText,
                   size_t maxOutput)
{
    output.clear();
    z_stream stream{};
    int result = inflateInit(&stream);
    if (result != Z_OK) {
        errorText = MessageOf(stream, result);
        return false;
    }
    stream.next_in = const_cast<Bytef*>(input);
    size_t remaining = length;
    std::array<uint8_t, WindowSize> window{};
    do {
        if (stream.avail_in == 0 && remaining > 0) {
            stream.avail_in = Clamp(remaining);
            remaining -= stream.avail_in;
        }
        stream.next_out = window.data();
        stream.avail_out = WindowSize;
        result = inflate(&stream, Z_NO_FLUSH);
        output.insert(output.end(), window.data(), window.data() + (WindowSize - stream.avail_out));
        // Without progress and without input left, the stream is truncated.
        if (result == Z_BUF_ERROR && stream.avail_in == 0 && remaining == 0)
            result = Z_DATA_ERROR;
        if (output.size() > maxOutput)
            result = Z_MEM_ERROR;
    } while (result == Z_OK || (result == Z_BUF_ERROR && stream.avail_out == 0));
    if (result != Z_STREAM_END)
        errorText = MessageOf(stream, result == Z_BUF_ERROR ? Z_DATA_ERROR : result);
    inflateEnd(&stream);
    return result == Z_STREAM_END;
}

bool DeflateBuffer(const uint8_t* input, size_t length, int level, std::vector<uint8_t>& output, std::string& errorText)
{
    output.clear();
    z_stream stream{};
    int result = deflateInit(&stream, level);
    if (result != Z_OK) {
        errorText = MessageOf(stream, result);
        return false;
    }
    stream.next_in = const_cast<Bytef*>(input);
    size_t remaining = length;
    std::array<uint8_t, WindowSize> window{};
    do {
        if (stream.avail_in == 0 && remaining > 0) {
            stream.avail_in = Clamp(remaining);
            remaining -= stream.avail_in;
        }
        stream.next_out = window.data();
        stream.avail_out = WindowSize;
        result = deflate(&stream, remaining == 0 ? Z_FINISH : Z_NO_FLUSH);
        output.insert(output.end(), window.data(), window.data() + (WindowSize - stream.avail_out));
    } while (result == Z_OK || result == Z_BUF_ERROR);
    if (result != Z_STREAM_END)
        errorText = MessageOf(stream, result);
    deflateEnd(&stream);
    return result == Z_STREAM_END;
}

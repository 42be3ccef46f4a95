// The Rollei text header and the Foveon directory.
#include <cstdlib>

#include "imaging/formats/cameraraw/RawIdentify.h"

namespace {

constexpr int32_t MaxRolleiLines = 1000;
constexpr uint32_t CamfMarker = 0x464D4143;

// A line of at most 127 characters, without its line end; false at the
// end of the stream.
bool ReadHeaderLine(TRawDecodeContext& context, std::string& line)
{
    line.clear();
    while (line.size() < 127) {
        if (Tell(context) >= context.fsize)
            return !line.empty();
        const char c = char(Get1(context));
        if (c == '\n')
            return true;
        line += c;
    }
    return true;
}

} // namespace

void ParseRollei(TRawDecodeContext& context)
{
    SeekTo(context, 0);
    int64_t thumbWidth = 0;
    int64_t thumbHeight = 0;
    std::string line;
    for (int32_t lines = 0; lines < MaxRolleiLines && ReadHeaderLine(context, line); ++lines) {
        if (StartsWith(line, "EOHD"))
            break;
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = line.substr(0, equals);
        const int32_t value = std::atoi(line.c_str() + equals + 1);
        if (key == "HDR")
            context.data_offset = value;
        else if (key == "X  ")
            context.raw_width = value;
        else if (key == "Y  ")
            context.raw_height = value;
        else if (key == "TX ")
            thumbWidth = value;
        else if (key == "TY ")
            thumbHeight = value;
    }
    context.data_offset = int32_t(context.data_offset + thumbWidth * thumbHeight * 2);
    context.make = "Rollei";
    context.model = "d530flex";
}

void ParseFoveon(TRawDecodeContext& context)
{
    context.order = 0x4949;
    SeekTo(context, context.fsize - 4);
    const int64_t directory = Get4(context);
    if (directory <= 0 || directory >= context.fsize)
        return;
    SeekTo(context, directory);
    for (;;) {
        if (Tell(context) + 4 > context.fsize)
            return;
        if (Get4(context) == CamfMarker)
            break;
    }
    const int64_t section = Get4(context);
    SeekTo(context, section + 8);
    const int64_t strings = section + 8 * int64_t(Get4(context)) + 24;
    const int64_t count = (directory - strings) / 2;
    if (strings < 0 || count <= 0 || strings + 2 * count > context.fsize)
        return;
    CheckAllocSize(count, "parse_foveon()");
    SeekTo(context, strings);
    std::string text(size_t(count), '\0');
    for (auto& c : text)
        c = char(Get2(context));
    size_t at = 0;
    auto next = [&]() {
        const size_t end = std::min(text.find('\0', at), text.size());
        std::string piece = text.substr(at, end - at);
        at = end + 1;
        return piece;
    };
    while (at < text.size()) {
        const std::string key = next();
        const std::string value = at < text.size() ? next() : std::string();
        if (key == "CAMMANUF")
            context.make = value.substr(0, 63);
        else if (key == "CAMMODEL")
            context.model = value.substr(0, 63);
    }
    SeekTo(context, 248);
    context.raw_width = int32_t(Get4(context));
    context.raw_height = int32_t(Get4(context));
}

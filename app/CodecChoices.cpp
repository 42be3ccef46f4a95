#include "app/CodecChoices.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "app/FrameFilters.h"
#include "platform/core/Strings.h"
#include "platform/core/Types.h"

namespace {

struct TCodecName {
    std::string_view Display;
    std::string_view Codec;
};

constexpr std::array<TCodecName, 9> VideoCodecTable{{
    {"H.263", "h263"},
    {"H.264", "libx264"},
    {"XviD", "libxvid"},
    {"MPEG4", "mpeg4"},
    {"Sorenson H.263", "flv"},
    {"Windows Media Video 7", "wmv1"},
    {"Windows Media Video 8", "wmv2"},
    {"MPEG-1 video", "mpeg1video"},
    {"MPEG-2 video", "mpeg2video"},
}};

constexpr std::array<TCodecName, 4> AudioCodecTable{{
    {"amr", "libopencore_amrnb"},
    {"mp3", "libmp3lame"},
    {"windows media audio 1", "wmav1"},
    {"windows media audio 2", "wmav2"},
}};

struct TBitRateFactor {
    std::string_view Codec;
    int32_t Factor;
};

// Pixels x frames per second x 0.8 per kbit/s, by how well the codec packs.
constexpr std::array<TBitRateFactor, 11> BitRateFactors{{
    {"libx264", 6490},
    {"libxvid", 4626},
    {"mpeg4", 3594},
    {"flv", 2920},
    {"wmv1", 4200},
    {"wmv2", 4200},
    {"mpeg1video", 4200},
    {"mpeg2video", 4200},
    {"h263", 2500},
    {"rv10", 5000},
    {"rv20", 5000},
}};
constexpr int32_t DefaultBitRateFactor = 4200;

int32_t BitRateFactor(const std::string& codec)
{
    for (const TBitRateFactor& entry : BitRateFactors)
        if (entry.Codec == codec)
            return entry.Factor;
    return DefaultBitRateFactor;
}

} // namespace

std::string VideoCodecOfDisplayName(const std::string& displayName)
{
    for (const TCodecName& entry : VideoCodecTable)
        if (entry.Display == displayName)
            return std::string(entry.Codec);
    return {};
}

std::string AudioCodecOfDisplayName(const std::string& displayName)
{
    const std::string name = LowerCase(displayName);
    for (const TCodecName& entry : AudioCodecTable)
        if (entry.Display == name)
            return std::string(entry.Codec);
    return name;
}

std::string AutoVideoBitRate(const std::string& frameSize, int32_t frameRate, const std::string& videoCodec,
                             const std::string& dottedExtension)
{
    const TFrameSize size = ParseFrameSize(frameSize);
    // 64 bits: a large picture at a bogus frame rate overflows 32.
    const int64_t pixels = static_cast<int64_t>(size.Width) * size.Height;
    const long double kbits = static_cast<long double>(pixels) * frameRate * 0.8L / BitRateFactor(videoCodec);
    int64_t cap = pixels > 320 * 240 ? 3000 : 1000;
    if (dottedExtension == ".3gp")
        cap = std::min<int64_t>(cap, 400);
    return IntToStr(std::clamp<int64_t>(Round(std::min<long double>(kbits, cap)), 0, cap));
}

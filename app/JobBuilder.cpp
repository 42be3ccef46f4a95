#include "app/JobBuilder.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string_view>
#include <thread>

#include "app/FormatTable.h"
#include "app/OptionText.h"
#include "platform/core/Strings.h"
#include "platform/core/Types.h"

namespace {

// The profile row of a record, with the values every option rule reads.
struct TProfile {
    std::string Extension; // "mp4"
    std::string Dotted; // ".mp4"
    std::string Kind;
    bool Video = true;
};

TProfile ProfileOf(const TCusOutputOptions& settings)
{
    TProfile profile;
    profile.Extension = FormatTableEntry(settings.FormatIndex, ftExtension);
    profile.Dotted = "." + profile.Extension;
    profile.Kind = FormatTableEntry(settings.FormatIndex, ftKind);
    profile.Video = !IsAudioKind(profile.Kind);
    return profile;
}

bool ClipActive(const TCusOutputOptions& settings)
{
    return settings.CutEnabled && settings.CutChecked && settings.ClipEnd > settings.ClipStart;
}

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

std::string FrameSizeOf(const TCusOutputOptions& settings, const TProfile& profile)
{
    if (!settings.FrameSize.empty())
        return settings.FrameSize;
    if (profile.Dotted == ".3gp")
        return "176x144";
    if (profile.Dotted == ".mp4" && profile.Kind != "mp4")
        return "320x240";
    return IntToStr(settings.SourceWidth) + "x" + IntToStr(settings.SourceHeight);
}

// A source rate of 0/1 or x/0 must not give "-r 0": 25 stands in for it.
int32_t SourceFrameRateOf(const TCusOutputOptions& settings)
{
    constexpr int32_t FallbackFrameRate = 25;
    const double rate = settings.SourceFrameRate;
    if (!std::isfinite(rate) || rate <= 0 || rate > INT32_MAX)
        return FallbackFrameRate;
    const int32_t rounded = static_cast<int32_t>(Round(rate));
    return rounded > 0 ? rounded : FallbackFrameRate;
}

int32_t FrameRateOf(const TCusOutputOptions& settings, const TProfile& profile)
{
    int32_t rate = StrToIntDef(settings.FrameRate, 0);
    if (rate <= 0)
        rate = SourceFrameRateOf(settings);
    if (profile.Dotted == ".3gp")
        rate = std::min(rate, 15);
    return rate;
}

std::string VideoCodecOf(const TCusOutputOptions& settings, const TProfile& profile)
{
    const std::string chosen = VideoCodecOfDisplayName(settings.VideoEncoder);
    if (!chosen.empty())
        return chosen;
    const std::string& e = profile.Dotted;
    if (e == ".3gp")
        return "h263";
    if (e == ".flv" || e == ".mkv" || e == ".mov")
        return "libx264";
    if (e == ".mp4")
        return Contains(profile.Kind, "mpeg4") ? "libxvid" : "libx264";
    if (e == ".mpg")
        return "mpeg1video";
    if (e == ".wmv")
        return "wmv2";
    return "libxvid";
}

std::string AudioCodecOf(const TCusOutputOptions& settings, const TProfile& profile, const TJobEnvironment& environment)
{
    const std::string chosen = AudioCodecOfDisplayName(settings.AudioEncoder);
    // Without AMR-NB the 3GP muxer's own audio codec is missing; AAC takes its place.
    if (chosen.empty() && profile.Dotted == ".3gp" && !environment.AmrNbAvailable)
        return "aac";
    return chosen;
}

double AudioBitRateOf(const TCusOutputOptions& settings, const TProfile& profile)
{
    const double chosen = StrToFloatDef(settings.AudioBitRate, 0);
    if (std::isfinite(chosen) && chosen > 0)
        return chosen;
    if (profile.Dotted == ".3gp")
        return 12.2;
    if (settings.SourceAudioBitRate > 1000)
        return settings.SourceAudioBitRate / 1000;
    return 64;
}

std::string SampleRateOf(const TCusOutputOptions& settings, const TProfile& profile)
{
    if (profile.Dotted == ".3gp")
        return "8000";
    if (!settings.SampleRate.empty())
        return settings.SampleRate;
    if (profile.Dotted == ".flv")
        return "44100";
    return settings.SourceSampleRate >= 1 ? IntToStr(settings.SourceSampleRate) : "44100";
}

std::string ChannelsOf(const TCusOutputOptions& settings, const TProfile& profile)
{
    if (profile.Dotted == ".3gp")
        return "1";
    return settings.Channels >= 1 ? IntToStr(settings.Channels) : std::string();
}

bool IsExplicitFrameSize(const std::string& frameSize) { return !frameSize.empty() && frameSize[0] != 'x'; }

std::string VideoFilterChain(const TCusOutputOptions& settings, const TProfile& profile, const std::string& frameSize)
{
    std::string chain;
    if (IsExplicitFrameSize(frameSize)) {
        if (!settings.Stretch) {
            const TFrameSize size = ParseFrameSize(frameSize);
            const TPadding pad = ComputePad(settings.SourceWidth, settings.SourceHeight, size.Width, size.Height);
            AddFilter(chain, PadFilter(settings.SourceWidth, settings.SourceHeight, pad));
        }
        std::string scale = frameSize;
        scale[scale.find('x')] = ':';
        AddFilter(chain, "scale=" + scale);
    }
    if (!settings.Rotation.empty() && settings.Rotation != "0" && profile.Dotted != ".3gp") {
        AddFilter(chain, "nativerotate=" + IntToStr(StrToIntDef(settings.Rotation, 0)));
        return chain;
    }
    if (settings.WatermarkOn)
        chain = WatermarkFilter(chain, settings.WatermarkFile, settings.WatermarkX, settings.WatermarkY);
    return chain;
}

bool IsAudioExtension(const std::string& extension)
{
    const std::string e = LowerCase(extension);
    for (const char* word : {"aac", "ac3", "mp2", "mp3", "wav", "wma"})
        if (e == word)
            return true;
    return false;
}

// The video side's values, worked out before the options are written in
// their fixed order.
struct TVideoChoices {
    std::string FrameSize;
    int32_t FrameRate = 0;
    std::string Codec;
    std::string BitRate;
};

TVideoChoices VideoChoicesOf(const TCusOutputOptions& settings, const TProfile& profile)
{
    TVideoChoices video;
    video.FrameSize = FrameSizeOf(settings, profile);
    video.FrameRate = FrameRateOf(settings, profile);
    video.Codec = VideoCodecOf(settings, profile);
    video.BitRate = settings.VideoBitRate.empty()
        ? AutoVideoBitRate(video.FrameSize, video.FrameRate, video.Codec, profile.Dotted)
        : settings.VideoBitRate;
    return video;
}

std::string OutputOptionString(const TCusOutputOptions& settings, const TProfile& profile,
                               const TJobEnvironment& environment)
{
    const TVideoChoices video = profile.Video ? VideoChoicesOf(settings, profile) : TVideoChoices{};
    std::string options;
    AddOption(options, "-b:a " + ShortestDecimal(AudioBitRateOf(settings, profile)) + "k");
    if (profile.Video)
        AddOption(options, "-b:v " + video.BitRate + "k");
    if (!settings.AspectRatio.empty())
        AddOption(options, "-aspect " + settings.AspectRatio);
    if (ClipActive(settings))
        AddOption(options, "-t " + SecondsText(settings.ClipEnd - settings.ClipStart));
    if (!profile.Video)
        AddOption(options, "-vn");
    if (Contains(profile.Kind, "psp"))
        AddOption(options, "-f psp");
    const std::string channels = ChannelsOf(settings, profile);
    if (!channels.empty())
        AddOption(options, "-ac " + channels);
    AddOption(options, "-ar " + SampleRateOf(settings, profile));
    if (profile.Video)
        AddOption(options, "-r " + IntToStr(video.FrameRate));
    const std::string audioCodec = AudioCodecOf(settings, profile, environment);
    if (!audioCodec.empty())
        AddOption(options, "-c:a " + audioCodec);
    if (audioCodec == "aac")
        AddOption(options, "-astrict experimental");
    if (profile.Video) {
        AddOption(options, "-c:v " + video.Codec);
        const std::string chain = VideoFilterChain(settings, profile, video.FrameSize);
        if (!chain.empty())
            AddOption(options, "-vf " + QuoteOptionValue(chain));
        if (video.Codec == "libx264" && environment.ProcessorCount >= 2)
            AddOption(options, "-threads " + IntToStr(environment.ProcessorCount));
    }
    AddOption(options, "-sn");
    return options;
}

} // namespace

int32_t GetProcessorCount() { return std::max(1u, std::thread::hardware_concurrency()); }

TInputOptions BuildInputOptions(const TCusOutputOptions& settings)
{
    TInputOptions input;
    InitInputOptions(input);
    input.FileName = settings.SourceFile;
    if (ClipActive(settings))
        AddOption(input.Options, "-ss " + SecondsText(settings.SeekOffset));
    if (IsAudioExtension(ProfileOf(settings).Extension))
        AddOption(input.Options, "-vn");
    return input;
}

TOutputOptions BuildOutputOptions(const TCusOutputOptions& settings, const TJobEnvironment& environment)
{
    const TProfile profile = ProfileOf(settings);
    TOutputOptions output;
    InitOutputOptions(output);
    output.FileName =
        UniqueOutputName(settings.OutputFolder, settings.SourceFile, profile.Dotted, environment.OutputNameInUse);
    output.Options = OutputOptionString(settings, profile, environment);
    return output;
}

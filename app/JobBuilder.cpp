#include "app/JobBuilder.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <string_view>
#include <thread>

#include "app/FormatTable.h"
#include "app/OptionText.h"
#include "platform/core/Files.h"
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

int32_t EvenTowardZero(int32_t value)
{
    return value / 2 * 2;
}

int32_t HalfMargin(double excess)
{
    return static_cast<int32_t>(Round(excess / 2));
}

}  // namespace

TFrameSize ParseFrameSize(const std::string& text)
{
    std::string rest = text;
    if (!rest.empty() && rest[0] == 'x')
        rest.erase(0, 1);
    const size_t separator = rest.find('x');
    if (separator == std::string::npos)
        return {};
    return {StrToIntDef(rest.substr(0, separator), 0), StrToIntDef(rest.substr(separator + 1), 0)};
}

TPadding ComputePad(int32_t sourceWidth, int32_t sourceHeight, int32_t width, int32_t height)
{
    TPadding pad;
    if (sourceWidth <= 0 || sourceHeight <= 0 || width <= 0 || height <= 0)
        return pad;
    const double sx = static_cast<double>(sourceWidth) / width;
    const double sy = static_cast<double>(sourceHeight) / height;
    if (sx > sy) {
        pad.Top = pad.Bottom = HalfMargin(height * sx - sourceHeight);
    } else {
        pad.Left = pad.Right = HalfMargin(width * sy - sourceWidth);
    }
    return pad;
}

std::string PadFilter(int32_t sourceWidth, int32_t sourceHeight, const TPadding& pad)
{
    const int32_t left = EvenTowardZero(pad.Left);
    const int32_t right = EvenTowardZero(pad.Right);
    const int32_t top = EvenTowardZero(pad.Top);
    const int32_t bottom = EvenTowardZero(pad.Bottom);
    if (left <= 0 && right <= 0 && top <= 0 && bottom <= 0)
        return {};
    return "pad=" + IntToStr(sourceWidth + left + right) + ":" + IntToStr(sourceHeight + top + bottom) + ":" +
           IntToStr(left) + ":" + IntToStr(top) + ":black";
}

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

std::string WatermarkFilter(const std::string& chain, const std::string& watermarkFile, int32_t x, int32_t y)
{
    if (!FileExists(watermarkFile))
        return chain;
    const std::string path = EscapeFilterGraphText(EscapeFilterOptionValue(watermarkFile));
    const std::string movie = "movie=" + path + " [watermark]";
    const std::string overlay = "[watermark] overlay=" + IntToStr(x) + ":" + IntToStr(y);
    if (chain.empty())
        return movie + "; [in] " + overlay + " [out]";
    return movie + "; [in] " + overlay + ", " + chain + " [out]";
}

bool SameOutputName(const std::string& a, const std::string& b)
{
    return AnsiLowerCase(Trim(a)) == AnsiLowerCase(Trim(b));
}

std::string UniqueOutputName(const std::string& folder, const std::string& sourceFile,
                             const std::string& dottedExtension, const TOutputNameInUse& inUse)
{
    const std::string outputFolder = folder.empty() ? ExtractFilePath(sourceFile) : folder;
    const std::string sourceName = ExtractFileName(sourceFile);
    const std::string base = outputFolder + sourceName.substr(0, sourceName.size() - ExtractFileExt(sourceName).size());
    for (int32_t n = 1;; ++n) {
        const std::string name = base + "_new" + ZeroPad3(n) + dottedExtension;
        if (!FileExists(name) && !(inUse && inUse(name)))
            return name;
    }
}

namespace {

// The profile row of a record, with the values every option rule reads.
struct TProfile {
    std::string Extension; // "mp4"
    std::string Dotted;    // ".mp4"
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

bool Contains(const std::string& text, std::string_view part)
{
    return text.find(part) != std::string::npos;
}

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

std::string AudioCodecOf(const TCusOutputOptions& settings, const TProfile& profile,
                         const TJobEnvironment& environment)
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

bool IsExplicitFrameSize(const std::string& frameSize)
{
    return !frameSize.empty() && frameSize[0] != 'x';
}

std::string VideoFilterChain(const TCusOutputOptions& settings, const TProfile& profile,
                             const std::string& frameSize)
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

std::string OutputOptionString(const TCusOutputOptions& settings, const TProfile& profile,
                               const TJobEnvironment& environment)
{
    std::string options;
    AddOption(options, "-b:a " + ShortestDecimal(AudioBitRateOf(settings, profile)) + "k");
    std::string frameSize, videoCodec;
    int32_t frameRate = 0;
    if (profile.Video) {
        frameSize = FrameSizeOf(settings, profile);
        frameRate = FrameRateOf(settings, profile);
        videoCodec = VideoCodecOf(settings, profile);
        const std::string bitRate = settings.VideoBitRate.empty()
                                        ? AutoVideoBitRate(frameSize, frameRate, videoCodec, profile.Dotted)
                                        : settings.VideoBitRate;
        AddOption(options, "-b:v " + bitRate + "k");
    }
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
        AddOption(options, "-r " + IntToStr(frameRate));
    const std::string audioCodec = AudioCodecOf(settings, profile, environment);
    if (!audioCodec.empty())
        AddOption(options, "-c:a " + audioCodec);
    if (audioCodec == "aac")
        AddOption(options, "-astrict experimental");
    if (profile.Video) {
        AddOption(options, "-c:v " + videoCodec);
        const std::string chain = VideoFilterChain(settings, profile, frameSize);
        if (!chain.empty())
            AddOption(options, "-vf " + QuoteOptionValue(chain));
        if (videoCodec == "libx264" && environment.ProcessorCount >= 2)
            AddOption(options, "-threads " + IntToStr(environment.ProcessorCount));
    }
    AddOption(options, "-sn");
    return options;
}

}  // namespace

int32_t GetProcessorCount()
{
    return std::max(1u, std::thread::hardware_concurrency());
}

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

#include "app/FormatTable.h"

#include <array>

namespace {

struct TFormatRow {
    const char* Extension;
    const char* Kind;
    const char* Display;
};

const std::array<TFormatRow, FormatTableRows> FormatTable = {{
    {"3gp", "3gp", "3GP - 3GP Video"},
    {"avi", "avi", "AVI - AVI Movie"},
    {"flv", "flv", "FLV - Flash Video"},
    {"mkv", "mkv", "MKV - MKV Video"},
    {"mov", "mov", "MOV - QuickTime"},
    {"mp4", "mp4", "MP4 - MPEG-4 Video"},
    {"mp4", "iphone-h.264", "MP4 - iPhone H.264 Video"},
    {"mp4", "iphone-mpeg4", "MP4 - iPhone MPEG-4 Video"},
    {"mp4", "ipod-h.264", "MP4 - iPod Touch H.264 Video"},
    {"mp4", "ipod-mpeg4", "MP4 - iPod Touch MPEG-4 Video"},
    {"mp4", "psp-h.264", "MP4 - PSP H.264 Video"},
    {"mp4", "psp-mpeg4", "MP4 - PSP MPEG-4 Video"},
    {"mpg", "mpg", "MPG - MPEG Movie"},
    {"wmv", "wmv", "WMV - Windows Media Video"},
    {"aac", "audio", "AAC - Advanced Audio Coding"},
    {"ac3", "audio", "AC3 - Dolby Digital AC-3"},
    {"mp3", "audio", "MP3 - MPEG Layer-3 Audio"},
    {"wav", "audio", "WAV - Waveform Audio"},
    {"wma", "audio", "WMA - Windows Media Audio"},
}};

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

std::vector<std::string> VideoEncoders(const std::string& extension, const std::string& kind)
{
    if (IsAudioKind(kind))
        return {};
    if (extension == "3gp")
        return {"H.263", "H.264", "MPEG4", "XviD"};
    if (extension == "mp4" && Contains(kind, "h.264"))
        return {"H.264"};
    if (extension == "mp4" && Contains(kind, "mpeg4"))
        return {"MPEG4", "XviD"};
    if (extension == "flv")
        return {"H.264", "Sorenson H.263"};
    if (extension == "mkv")
        return {"H.264", "XviD"};
    if (extension == "wmv")
        return {"Windows Media Video 7", "Windows Media Video 8"};
    if (extension == "mpg")
        return {"MPEG-1 video", "MPEG-2 video"};
    return {"H.264", "MPEG4", "XviD"};
}

std::vector<std::string> AudioEncoders(const std::string& extension, const std::string& kind, bool amrAvailable)
{
    if (IsAudioKind(kind))
        return {};
    if (extension == "3gp") {
        if (amrAvailable)
            return {"AAC", "AMR"};
        return {"AAC"};
    }
    if (extension == "avi")
        return {"AC3", "MP3"};
    if (extension == "flv" || extension == "mov" || extension == "mp4")
        return {"AAC", "MP3"};
    if (extension == "mpg")
        return {"AC3"};
    if (extension == "wmv")
        return {"Windows Media Audio 1", "Windows Media Audio 2"};
    return {"AAC", "AC3", "MP3"};
}

std::vector<std::string> FrameRates(const std::string& extension)
{
    if (extension == "3gp")
        return {"2", "3", "5", "10", "12", "15"};
    return {"10", "12", "15", "20", "25", "30"};
}

std::vector<std::string> FrameSizes(const std::string& kind)
{
    if (kind == "3gp")
        return {"128x96", "176x144", "352x288"};
    if (kind == "psp-h.264")
        return {"320x240", "480x272", "720x480"};
    if (kind == "psp-mpeg4")
        return {"320x240", "368x208", "480x272"};
    if (kind == "ipod-h.264")
        return {"320x240", "480x480", "640x480", "960x640", "1136x640"};
    if (kind == "ipod-mpeg4")
        return {"320x240", "480x480", "640x480"};
    if (kind == "iphone-h.264")
        return {"320x240", "480x320", "640x480", "720x480", "960x640", "1136x640"};
    if (kind == "iphone-mpeg4")
        return {"320x240", "480x320", "640x480"};
    return {"176x144", "192x168", "240x180", "320x240", "352x288", "480x272",
            "640x360", "720x480", "720x576", "800x600", "1024x768"};
}

std::vector<std::string> AudioBitRates(const std::string& kind)
{
    if (kind == "3gp")
        return {"4.75", "5.15", "5.9", "6.7", "7.4", "7.95", "10.2", "12.2"};
    return {"16", "32", "48", "64", "96", "128", "160", "192", "320"};
}

} // namespace

std::string FormatTableEntry(int32_t row, int32_t column)
{
    if (row < 0 || row >= FormatTableRows)
        return {};
    const TFormatRow& entry = FormatTable[static_cast<size_t>(row)];
    switch (column) {
    case ftExtension: return entry.Extension;
    case ftKind: return entry.Kind;
    case ftDisplay: return entry.Display;
    default: return {};
    }
}

bool IsAudioKind(const std::string& kind) { return kind == "audio"; }

TProfileLists ProfileLists(const std::string& extension, const std::string& kind, bool amrAvailable)
{
    return {VideoEncoders(extension, kind), AudioEncoders(extension, kind, amrAvailable), FrameRates(extension),
            FrameSizes(kind), AudioBitRates(kind)};
}

const std::vector<std::string>& AudioChannelEntries()
{
    static const std::vector<std::string> entries = {"Mono", "Stereo"};
    return entries;
}

const std::vector<std::string>& SampleRateEntries()
{
    static const std::vector<std::string> entries = {"8000", "11025", "22050", "44100"};
    return entries;
}

const std::vector<std::string>& AspectRatioEntries()
{
    static const std::vector<std::string> entries = {"4:3", "16:9"};
    return entries;
}

const std::vector<std::string>& VideoBitRateEntries()
{
    static const std::vector<std::string> entries = [] {
        std::vector<std::string> rates;
        for (int32_t rate = 200; rate <= 3000; rate += 100)
            rates.push_back(std::to_string(rate));
        return rates;
    }();
    return entries;
}

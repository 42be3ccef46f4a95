// "target": the format, codec and muxer settings of the VCD, SVCD, DVD and DV
// standards, in PAL, NTSC or NTSC-Film.

#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/options/FFmpegOpt.h"
#include "platform/core/Strings.h"
#include "platform/core/Types.h"

namespace {

enum TNorm { nmUnknown = -1, nmPal = 0, nmNtsc = 1, nmFilm = 2 };

const char* const FrameRates[] = {"25", "30000/1001", "24000/1001"};

struct TOptionPair {
    const char* Name;
    const char* Value;
};

} // namespace

// The norm of the first input video stream whose frame rate is PAL's or NTSC's.
int32_t TCustomFFmpegOpt::GuessTargetNorm()
{
    for (int32_t file = 0; file < InputFileCount(); ++file) {
        const AVFormatContext* input = InputContext(file);
        for (unsigned i = 0; i < input->nb_streams; ++i) {
            const AVStream* stream = input->streams[i];
            if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO)
                continue;
            const AVRational rate = stream->r_frame_rate.num > 0 ? stream->r_frame_rate : stream->avg_frame_rate;
            if (rate.num <= 0 || rate.den <= 0)
                continue;
            const int64_t milliHertz = Round(static_cast<long double>(rate.num) * 1000 / rate.den);
            if (milliHertz == 25000)
                return nmPal;
            if (milliHertz == 29970 || milliHertz == 23976)
                return nmNtsc;
        }
    }
    return nmUnknown;
}

int32_t TCustomFFmpegOpt::OptTarget(TOptionsContext* Context, const std::string&, const std::string& Arg)
{
    std::string type = Arg;
    TNorm norm = nmUnknown;
    for (const auto& [prefix, prefixNorm] : {std::pair{"pal-", nmPal}, {"ntsc-", nmNtsc}, {"film-", nmFilm}}) {
        if (type.rfind(prefix, 0) == 0) {
            norm = prefixNorm;
            type.erase(0, std::string(prefix).size());
        }
    }
    if (norm == nmUnknown) {
        norm = static_cast<TNorm>(GuessTargetNorm());
        if (norm == nmUnknown)
            RaiseError("Could not determine norm (PAL/NTSC/NTSC-Film) for target.\r\n"
                       "Please prefix target with \"pal-\", \"ntsc-\" or \"film-\",\r\n"
                       "or set a framerate with \"-r xxx\".");
        Log(llInfo, Format("Assuming %s for target.", norm == nmNtsc ? "NTSC" : "PAL"));
    }

    const bool pal = norm == nmPal;
    const auto apply = [&](std::initializer_list<TOptionPair> options) {
        for (const TOptionPair& option : options) {
            const int32_t result = ApplyOption(Context, option.Name, option.Value);
            if (result < 0)
                return result;
        }
        return 0;
    };
    const auto setAll = [&](TDictionaryPtr& dictionary, std::initializer_list<TOptionPair> options) {
        for (const TOptionPair& option : options)
            av::av_dict_set(InOut(dictionary), option.Name, option.Value, 0);
    };
    TDictionaryPtr& codecOpts = Context->Group->CodecOpts;
    TDictionaryPtr& formatOpts = Context->Group->FormatOpts;
    const char* gop = pal ? "15" : "18";
    const char* rate = FrameRates[norm];

    if (type == "vcd") {
        setAll(codecOpts,
               {{"g", gop},
                {"b:v", "1150000"},
                {"maxrate", "1150000"},
                {"minrate", "1150000"},
                {"bufsize", "327680"},
                {"b:a", "224000"}});
        setAll(formatOpts, {{"packetsize", "2324"}, {"muxrate", "1411200"}});
        // Two video and one audio sector of lead time, as the VCD muxer expects.
        Context->MuxPreload = (36000 + 3 * 1200) / 90000.0f;
        return apply({{"c:v", "mpeg1video"},
                      {"c:a", "mp2"},
                      {"f", "vcd"},
                      {"s", pal ? "352x288" : "352x240"},
                      {"r", rate},
                      {"ar", "44100"},
                      {"ac", "2"}});
    }
    if (type == "svcd") {
        setAll(codecOpts,
               {{"g", gop},
                {"b:v", "2040000"},
                {"maxrate", "2516000"},
                {"minrate", "0"},
                {"bufsize", "1835008"},
                {"scan_offset", "1"},
                {"b:a", "224000"}});
        setAll(formatOpts, {{"packetsize", "2324"}});
        return apply({{"c:v", "mpeg2video"},
                      {"c:a", "mp2"},
                      {"f", "svcd"},
                      {"s", pal ? "480x576" : "480x480"},
                      {"r", rate},
                      {"pix_fmt", "yuv420p"},
                      {"ar", "44100"}});
    }
    if (type == "dvd") {
        setAll(codecOpts,
               {{"g", gop},
                {"b:v", "6000000"},
                {"maxrate", "9000000"},
                {"minrate", "0"},
                {"bufsize", "1835008"},
                {"b:a", "448000"}});
        setAll(formatOpts, {{"packetsize", "2048"}, {"muxrate", "10080000"}});
        return apply({{"c:v", "mpeg2video"},
                      {"c:a", "ac3"},
                      {"f", "dvd"},
                      {"s", pal ? "720x576" : "720x480"},
                      {"r", rate},
                      {"pix_fmt", "yuv420p"},
                      {"ar", "48000"}});
    }
    if (type.rfind("dv", 0) == 0) {
        const char* pixelFormat = type == "dv50" ? "yuv422p" : (pal ? "yuv420p" : "yuv411p");
        return apply({{"f", "dv"},
                      {"s", pal ? "720x576" : "720x480"},
                      {"pix_fmt", pixelFormat},
                      {"r", rate},
                      {"ar", "48000"},
                      {"ac", "2"}});
    }
    return Fail(llError, Format("Unknown target: %s", Arg.c_str()), AVERROR(EINVAL));
}

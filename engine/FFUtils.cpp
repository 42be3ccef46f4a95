// Media utility routines shared by the engine units.

#include "engine/FFUtils.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>

#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/libavutil_error.h"
#include "platform/core/Strings.h"

std::string GetErrorText(const std::string& Name, int32_t Code)
{
    const char* message = FindErrorMessage(Code);
    const std::string text = message ? message : Format("Error number %d occurred", Code);
    return Name.empty() ? text : Name + ": " + text;
}

uint32_t MakeTag(uint8_t a, uint8_t b, uint8_t c, uint8_t d)
{
    return a | (uint32_t(b) << 8) | (uint32_t(c) << 16) | (uint32_t(d) << 24);
}

// Minutes of UTC minus local standard time, as the system reports the bias.
static int32_t StandardBiasMinutes()
{
    tzset();
    return static_cast<int32_t>(timezone / 60);
}

std::string TimeZoneText()
{
    const int32_t bias = StandardBiasMinutes();
    if (bias == 0)
        return "UTC";
    const int32_t magnitude = bias < 0 ? -bias : bias;
    return Format("%s%s%.2d:%.2d", "UTC", bias < 0 ? "-" : "+", magnitude / 60, magnitude % 60);
}

double LocalTimeOffsetDays() { return -StandardBiasMinutes() / 1440.0; }

double UnixTimeToLocalDateTime(int64_t Seconds)
{
    return static_cast<double>(Seconds) / 86400 + 25569 + LocalTimeOffsetDays();
}

std::string TimeToText(int64_t Microseconds)
{
    if (Microseconds == AV_NOPTS_VALUE)
        return "N/A";
    const bool negative = Microseconds < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(Microseconds) : static_cast<uint64_t>(Microseconds);
    const uint64_t milliseconds = (magnitude + 500) / 1000;
    const uint64_t seconds = milliseconds / 1000;
    return Format("%s%.2llu:%.2d:%.2d.%.3d", negative ? "-" : "", static_cast<unsigned long long>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60),
                  static_cast<int>(milliseconds % 1000));
}

int64_t FrameDurationUs(int32_t Numerator, int32_t Denominator)
{
    if (Numerator == 0 || Denominator == 0)
        return 40000;
    return int64_t(1000000) * Denominator / Numerator;
}

// Reads the whole of an open file; the caller closes it.
static int32_t ReadOpenFile(FILE* File, const std::string& FileName, uint8_t*& Buffer, int32_t& Size)
{
    std::fseek(File, 0, SEEK_END);
    const long size = std::ftell(File);
    std::fseek(File, 0, SEEK_SET);
    if (size < 0 || size >= std::numeric_limits<int32_t>::max()) {
        av::av_log(nullptr, AV_LOG_ERROR, "IO error\n");
        return AVERROR(EIO);
    }
    auto* data = static_cast<uint8_t*>(av::av_malloc(static_cast<size_t>(size) + 1));
    if (!data) {
        av::av_log(nullptr, AV_LOG_ERROR, "Could not allocate file buffer\n");
        return AVERROR(ENOMEM);
    }
    if (std::fread(data, 1, static_cast<size_t>(size), File) < static_cast<size_t>(size)) {
        const bool failed = std::ferror(File) != 0;
        av::av_free(data);
        if (!failed)
            return AVERROR_EOF;
        av::av_log(nullptr, AV_LOG_ERROR, "Error while reading file \"%s\"\n", FileName.c_str());
        return AVERROR(EIO);
    }
    data[size] = 0;
    Buffer = data;
    Size = static_cast<int32_t>(size) + 1;
    return 0;
}

int32_t ReadFileToBuffer(const std::string& FileName, uint8_t*& Buffer, int32_t& Size)
{
    FILE* file = std::fopen(FileName.c_str(), "rb");
    if (!file) {
        av::av_log(nullptr, AV_LOG_ERROR, "Cannot read file \"%s\"\n", FileName.c_str());
        return -1;
    }
    const int32_t result = ReadOpenFile(file, FileName, Buffer, Size);
    std::fclose(file);
    return result;
}

bool IsPrintableChar(uint8_t Code) { return Code >= 32 && Code <= 126; }

std::string DictValueOrDefault(const AVDictionary* Dictionary, const std::string& Key, const std::string& Default)
{
    const AVDictionaryEntry* entry = av::av_dict_get(Dictionary, Key.c_str(), nullptr, 0);
    return entry ? entry->value : Default;
}

static std::string CodecTagText(uint32_t Tag)
{
    const uint8_t bytes[4] = {uint8_t(Tag), uint8_t(Tag >> 8), uint8_t(Tag >> 16), uint8_t(Tag >> 24)};
    for (uint8_t b : bytes)
        if (!IsPrintableChar(b))
            return Format("0x%04x", Tag);
    return Format("%c%c%c%c / 0x%04X", bytes[0], bytes[1], bytes[2], bytes[3], Tag);
}

std::string CodecNameText(const AVCodecContext* CodecContext, bool Encoder)
{
    const AVCodec* codec =
        Encoder ? av::avcodec_find_encoder(CodecContext->codec_id) : av::avcodec_find_decoder(CodecContext->codec_id);
    if (codec) {
        const std::string longName = codec->long_name ? Trim(codec->long_name) : "";
        return longName.empty() ? std::string(codec->name) : Format("%s(%s)", codec->name, longName.c_str());
    }
    if (CodecContext->codec_id == AV_CODEC_ID_MPEG2TS)
        return "mpeg2ts";
    if (CodecContext->codec_id != AV_CODEC_ID_NONE) {
        const char* name = av::avcodec_get_name(CodecContext->codec_id);
        if (name && std::strcmp(name, "unknown_codec") != 0)
            return Trim(name);
    }
    return CodecTagText(CodecContext->codec_tag);
}

std::string MediaTypeName(int32_t MediaType)
{
    static const char* const names[] = {"Video", "Audio", "Data", "Subtitle", "Attachment"};
    return MediaType >= 0 && MediaType < 5 ? names[MediaType] : "Unknown";
}

std::string PictureTypeName(int32_t PictureType)
{
    static const char* const names[] = {
        "Intra",           "Predicted",           "Bi-dir predicted", "S(GMC)-VOP MPEG4",
        "Switching Intra", "Switching Predicted", "BI type"};
    return PictureType >= 1 && PictureType <= 7 ? names[PictureType - 1] : "Unknown";
}

bool RegisterProtocolOnce(const std::string& ProtocolName)
{
    av::av_log(nullptr, AV_LOG_VERBOSE, "Protocol \"%s\" not registered: FFmpeg takes no outside protocols\n",
               ProtocolName.c_str());
    return false;
}

bool RegisterFilterOnce(const std::string& FilterName)
{
    av::av_log(nullptr, AV_LOG_VERBOSE, "Filter \"%s\" not registered: FFmpeg takes no outside filters\n",
               FilterName.c_str());
    return false;
}

// Stream selection options: "map", "map_channel", "streamid" and "attach".

#include <cstdio>
#include <cstdlib>

#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/options/FFmpegOpt.h"
#include "platform/core/Strings.h"

AVFormatContext* TCustomFFmpegOpt::InputContext(int32_t FileIndex) const { return InputFiles[FileIndex]->Ctx.get(); }

// The first stream of the sync file that matches Spec.
int32_t TCustomFFmpegOpt::FindSyncStream(int32_t SyncFile, const char* Spec, const std::string& MapText)
{
    AVFormatContext* input = InputContext(SyncFile);
    for (unsigned i = 0; i < input->nb_streams; ++i)
        if (MatchStreamSpecifier(input, input->streams[i], Spec) == 1)
            return static_cast<int32_t>(i);
    RaiseErrorFmt("Sync stream specification in map %s does not match any streams.", MapText.c_str());
}

int32_t TCustomFFmpegOpt::OptMap(TOptionsContext* Context, const std::string&, const std::string& Arg)
{
    const bool negative = !Arg.empty() && Arg[0] == '-';
    const std::string mapText = negative ? Arg.substr(1) : Arg;
    std::string text = mapText;
    int32_t syncFile = -1;
    int32_t syncStream = -1;
    const size_t comma = text.find(',');
    if (comma != std::string::npos) {
        const std::string syncText = text.substr(comma + 1);
        text.resize(comma);
        char* spec = nullptr;
        const long index = std::strtol(syncText.c_str(), &spec, 0);
        if (index < 0 || index >= InputFileCount())
            RaiseErrorFmt("Invalid sync file index: %d.", static_cast<int>(index));
        if (*spec)
            ++spec;
        syncFile = static_cast<int32_t>(index);
        syncStream = FindSyncStream(syncFile, spec, mapText);
    }
    const size_t mapsBefore = Context->StreamMaps.size();
    if (text[0] == '[') {
        const char* label = text.c_str() + 1;
        char* linkLabel = av::av_get_token(&label, "]");
        const std::string labelText = linkLabel ? linkLabel : "";
        av::av_free(linkLabel);
        if (labelText.empty())
            RaiseErrorFmt("Invalid output link label: %s.", text.c_str());
        Context->StreamMaps.emplace_back().LinkLabel = labelText;
        return 0;
    }
    char* rest = nullptr;
    const long file = std::strtol(text.c_str(), &rest, 0);
    if (file < 0 || file >= InputFileCount())
        RaiseErrorFmt("Invalid input file index: %d.", static_cast<int>(file));
    const char* spec = *rest == ':' ? rest + 1 : rest;
    AVFormatContext* input = InputContext(static_cast<int32_t>(file));
    if (negative) {
        for (TStreamMap& map : Context->StreamMaps) {
            if (map.LinkLabel.empty() && map.FileIndex == file &&
                MatchStreamSpecifier(input, input->streams[map.StreamIndex], spec) > 0)
                map.Disabled = 1;
        }
    } else {
        for (unsigned i = 0; i < input->nb_streams; ++i) {
            if (MatchStreamSpecifier(input, input->streams[i], spec) <= 0)
                continue;
            TStreamMap& map = Context->StreamMaps.emplace_back();
            map.FileIndex = static_cast<int32_t>(file);
            map.StreamIndex = static_cast<int32_t>(i);
            map.SyncFileIndex = syncFile >= 0 ? syncFile : map.FileIndex;
            map.SyncStreamIndex = syncFile >= 0 ? syncStream : map.StreamIndex;
        }
    }
    if (Context->StreamMaps.size() == mapsBefore && (!negative || mapsBefore == 0))
        RaiseErrorFmt("Stream map \"%s\" matches no streams.", mapText.c_str());
    return 0;
}

int32_t TCustomFFmpegOpt::OptMapChannel(TOptionsContext* Context, const std::string&, const std::string& Arg)
{
    TAudioChannelMap& map = Context->AudioChannelMaps.emplace_back();
    int count = std::sscanf(Arg.c_str(), "%d:%d.%d", &map.ChannelIndex, &map.OutputFileIndex, &map.OutputStreamIndex);
    if ((count == 1 || count == 3) && map.ChannelIndex == -1) {
        map.FileIndex = map.StreamIndex = -1;
        if (count == 1)
            map.OutputFileIndex = map.OutputStreamIndex = -1;
        return 0;
    }
    count = std::sscanf(Arg.c_str(), "%d.%d.%d:%d.%d", &map.FileIndex, &map.StreamIndex, &map.ChannelIndex,
                        &map.OutputFileIndex, &map.OutputStreamIndex);
    if (count != 3 && count != 5)
        RaiseError("Syntax error, mapchan usage: [file.stream.channel|-1][:syncfile:syncstream]");
    if (count == 3)
        map.OutputFileIndex = map.OutputStreamIndex = -1;

    if (map.FileIndex < 0 || map.FileIndex >= InputFileCount())
        RaiseErrorFmt("mapchan: invalid input file index: %d", map.FileIndex);
    AVFormatContext* input = InputContext(map.FileIndex);
    if (map.StreamIndex < 0 || map.StreamIndex >= static_cast<int32_t>(input->nb_streams))
        RaiseErrorFmt("mapchan: invalid input file stream index #%d.%d", map.FileIndex, map.StreamIndex);
    const AVCodecParameters* stream = input->streams[map.StreamIndex]->codecpar;
    if (stream->codec_type != AVMEDIA_TYPE_AUDIO)
        RaiseErrorFmt("mapchan: stream #%d.%d is not an audio stream.", map.FileIndex, map.StreamIndex);
    if (map.ChannelIndex < 0 || map.ChannelIndex >= stream->ch_layout.nb_channels)
        RaiseErrorFmt("mapchan: invalid audio channel #%d.%d.%d", map.FileIndex, map.StreamIndex, map.ChannelIndex);
    return 0;
}

int32_t TCustomFFmpegOpt::OptStreamId(TOptionsContext* Context, const std::string& Name, const std::string& Arg)
{
    const size_t colon = Arg.find(':');
    const std::string indexText = Arg.substr(0, colon);
    const std::string valueText = colon == std::string::npos ? "" : Arg.substr(colon + 1);
    int64_t index = 0;
    int64_t value = 0;
    if (!TryStrToInt64(indexText, index) || !TryStrToInt64(valueText, value))
        return Fail(llError,
                    Format("Invalid value \"%s\" for option \"%s\", required syntax is \"index:value\"", Arg.c_str(),
                           Name.c_str()),
                    AVERROR(EINVAL));
    const char* range = "The value for \"%s\" was \"%s\" which is not within %d - %d";
    if (index < 0 || index > 1023)
        return Fail(llError, Format(range, "streamid", indexText.c_str(), 0, 1023), AVERROR(EINVAL));
    if (value < 0 || value > INT32_MAX)
        return Fail(llError, Format(range, "streamid", valueText.c_str(), 0, INT32_MAX), AVERROR(EINVAL));
    if (Context->StreamIdMap.size() <= static_cast<size_t>(index))
        Context->StreamIdMap.resize(static_cast<size_t>(index) + 1);
    Context->StreamIdMap[index] = static_cast<int32_t>(value);
    return 0;
}

int32_t TCustomFFmpegOpt::OptAttach(TOptionsContext* Context, const std::string&, const std::string& Arg)
{
    Context->Attachments.push_back(Arg);
    return 0;
}

// The option table: which option names exist, which group they belong to
// and where each value goes.

#include <cstddef>

#include "engine/options/FFmpegOpt.h"
#include "platform/core/Exceptions.h"

namespace {

template <TOptionMethod Method>
int32_t CallMethod(void* Object, TOptionsContext* Context, const std::string& Name, const std::string& Arg)
{
    return (static_cast<TCustomFFmpegOpt*>(Object)->*Method)(Context, Name, Arg);
}

#define OPT_HANDLER(method) &CallMethod<&TCustomFFmpegOpt::method>
#define OPT_FIELD(field) offsetof(TOptionsContext, field)

} // namespace

void TCustomFFmpegOpt::AddRow(const TOptionDef& Row)
{
    if (RowCount + 1 >= OptionTableRoom)
        throw Exception("Option table full");
    OptionTableRows[RowCount++] = Row;
}

void TCustomFFmpegOpt::BuildOptionTable()
{
    if (OptionTable)
        return;
    RowCount = 0;
    // Help texts only show in debug lines; the option's own name serves.
    const auto handler = [this](const char* name, uint32_t flags, TOptionHandler method, const char* argName = nullptr,
                                const char* help = nullptr) {
        AddRow(TOptionDef{name, flags, nullptr, 0, method, this, help ? help : name, argName});
    };
    const auto setting = [this](const char* name, uint32_t flags, void* address, const char* argName = nullptr) {
        AddRow(TOptionDef{name, flags, address, 0, nullptr, nullptr, name, argName});
    };
    const auto field = [this](const char* name, uint32_t flags, size_t offset, const char* argName = nullptr) {
        AddRow(TOptionDef{name, flags, nullptr, offset, nullptr, nullptr, name, argName});
    };

    const char* const informationOptions[][2] = {
        {"L", nullptr},        {"h", "topic"},        {"?", "topic"},       {"help", "topic"},
        {"-help", "topic"},    {"version", nullptr},  {"formats", nullptr}, {"codecs", nullptr},
        {"decoders", nullptr}, {"encoders", nullptr}, {"bsfs", nullptr},    {"protocols", nullptr},
        {"filters", nullptr},  {"pix_fmts", nullptr}, {"layouts", nullptr}, {"sample_fmts", nullptr}};
    for (const auto& option : informationOptions)
        handler(option[0], 0x800, OPT_HANDLER(OptNotSupportedIgnore), option[1]);
    handler("loglevel", 0x1, OPT_HANDLER(OptLogLevel), "loglevel");
    handler("v", 0x1, OPT_HANDLER(OptLogLevel), "loglevel");
    handler("report", 0x0, OPT_HANDLER(OptNotSupported));
    handler("max_alloc", 0x1, OPT_HANDLER(OptMaxAlloc), "bytes");
    handler("cpuflags", 0x1, OPT_HANDLER(OptCpuFlags), "flags");
    field("f", 0x4009, OPT_FIELD(Format), "fmt");
    setting("y", 0x2, &FileOverwrite);
    setting("n", 0x2, &NoFileOverwrite);
    field("c", 0x8009, OPT_FIELD(CodecNames), "codec");
    field("codec", 0x8009, OPT_FIELD(CodecNames), "codec");
    handler("pre", 0x800, OPT_HANDLER(OptNotSupported), "preset");
    handler("map", 0x2005, OPT_HANDLER(OptMap),
            "[-]input_file_id[:stream_specifier][,sync_file_id[:stream_specifier]]");
    handler("map_channel", 0x2005, OPT_HANDLER(OptMapChannel), "file.stream.channel[:syncfile.syncstream]");
    field("map_metadata", 0x8009, OPT_FIELD(MetadataMaps), "outfile[,metadata]:infile[,metadata]");
    field("map_chapters", 0x4085, OPT_FIELD(ChaptersInputFile), "input_file_index");
    field("t", 0x14001, OPT_FIELD(RecordingTime), "duration");
    field("t_microsecond", 0x4401, OPT_FIELD(RecordingTime), "duration");
    field("to", 0x14001, OPT_FIELD(StopTime), "time_stop");
    field("to_microsecond", 0x4401, OPT_FIELD(StopTime), "time_stop");
    field("fs", 0x4401, OPT_FIELD(LimitFileSize), "limit_size");
    field("ss", 0x14001, OPT_FIELD(StartTime), "time_off");
    field("ss_microsecond", 0x4401, OPT_FIELD(StartTime), "time_off");
    field("itsoffset", 0x14005, OPT_FIELD(InputTsOffset), "time_off");
    field("itsoffset_microsecond", 0x4405, OPT_FIELD(InputTsOffset), "time_off");
    field("itsscale", 0x28005, OPT_FIELD(TsScales), "scale");
    handler("timestamp", 0x2001, OPT_HANDLER(OptRecordingTimestamp), "time");
    field("metadata", 0x8009, OPT_FIELD(Metadata), "string=string");
    handler("dframes", 0x2005, OPT_HANDLER(OptDataFrames), "number");
    handler("benchmark", 0x800, OPT_HANDLER(OptNotSupported));
    handler("benchmark_all", 0x800, OPT_HANDLER(OptNotSupported));
    handler("progress", 0x5, OPT_HANDLER(OptProgress), "url");
    handler("stdin", 0x800, OPT_HANDLER(OptNotSupported));
    handler("timelimit", 0x800, OPT_HANDLER(OptNotSupported), "limit");
    setting("dump", 0x6, &DoPktDump);
    setting("hex", 0x6, &DoHexDump);
    field("re", 0x4006, OPT_FIELD(RateEmu));
    handler("target", 0x2001, OPT_HANDLER(OptTarget), "type");
    handler("vsync", 0x5, OPT_HANDLER(OptVsync));
    setting("async", 0x85, &AudioSyncMethod);
    setting("adrift_threshold", 0x105, &AudioDriftThreshold, "threshold");
    setting("copyts", 0x6, &CopyTs);
    setting("copytb", 0x85, &CopyTb, "mode");
    field("shortest", 0x4006, OPT_FIELD(Shortest));
    setting("dts_delta_threshold", 0x105, &DtsDeltaThreshold, "threshold");
    setting("dts_error_threshold", 0x105, &DtsErrorThreshold, "threshold");
    setting("xerror", 0x6, &ExitOnError, "error");
    field("copyinkf", 0x8006, OPT_FIELD(CopyInitialNonKeyframes));
    field("copypriorss", 0x8085, OPT_FIELD(CopyPriorStart));
    field("frames", 0x8401, OPT_FIELD(MaxFrames), "number");
    field("tag", 0x800d, OPT_FIELD(CodecTags), "fourcc/tag");
    field("q", 0x28005, OPT_FIELD(Qscales), "q");
    handler("qscale", 0x2005, OPT_HANDLER(OptQscale), "q");
    handler("profile", 0x2005, OPT_HANDLER(OptProfile), "profile");
    field("filter", 0x8009, OPT_FIELD(Filters), "filter_graph");
    field("reinit_filter", 0x8081, OPT_FIELD(ReinitFilters));
    handler("filter_complex", 0x5, OPT_HANDLER(OptFilterComplex), "graph_description");
    setting("stats", 0x2, &PrintStats);
    handler("attach", 0x2005, OPT_HANDLER(OptAttach), "filename");
    field("dump_attachment", 0x800d, OPT_FIELD(DumpAttachments), "filename");
    handler("vframes", 0x2011, OPT_HANDLER(OptVideoFrames), "number");
    field("r", 0x8019, OPT_FIELD(FrameRates), "rate");
    field("s", 0x8219, OPT_FIELD(FrameSizes), "size");
    field("aspect", 0x8019, OPT_FIELD(FrameAspectRatios), "aspect");
    field("pix_fmt", 0x801d, OPT_FIELD(FramePixFmts), "format");
    setting("bits_per_raw_sample", 0x91, &FrameBitsPerRawSample, "number");
    setting("intra", 0x16, &IntraOnly);
    field("vn", 0x4012, OPT_FIELD(VideoDisable));
    setting("vdt", 0x95, &VideoDiscard, "n");
    field("rc_override", 0x801d, OPT_FIELD(RcOverrides), "override");
    handler("vcodec", 0x2011, OPT_HANDLER(OptVideoCodec), "codec");
    handler("sameq", 0x14, OPT_HANDLER(OptRemoved));
    handler("same_quant", 0x14, OPT_HANDLER(OptRemoved));
    handler("timecode", 0x2011, OPT_HANDLER(OptTimecode), "hh:mm:ss[:;.]ff");
    field("pass", 0x8091, OPT_FIELD(Passes), "n");
    field("passlogfile", 0x801d, OPT_FIELD(PassLogFiles), "prefix");
    handler("deinterlace", 0x14, OPT_HANDLER(OptDeinterlace));
    setting("psnr", 0x16, &DoPsnr);
    handler("vstats", 0x14, OPT_HANDLER(OptVstats));
    handler("vstats_file", 0x15, OPT_HANDLER(OptVstatsFile), "file");
    handler("vf", 0x2011, OPT_HANDLER(OptVideoFilters), "filter_graph");
    field("intra_matrix", 0x801d, OPT_FIELD(IntraMatrices), "matrix");
    field("inter_matrix", 0x801d, OPT_FIELD(InterMatrices), "matrix");
    field("top", 0x8095, OPT_FIELD(TopFieldFirst));
    setting("dc", 0x95, &IntraDcPrecision, "precision");
    handler("vtag", 0x2015, OPT_HANDLER(OptOldToNew), "fourcc/tag");
    setting("qphist", 0x16, &QpHist);
    field("force_fps", 0x8016, OPT_FIELD(ForceFps));
    handler("streamid", 0x2015, OPT_HANDLER(OptStreamId), "streamIndex:value");
    field("force_key_frames", 0x801d, OPT_FIELD(ForcedKeyFrames), "timestamps");
    handler("b", 0x2011, OPT_HANDLER(OptBitrate), "bitrate");
    handler("aframes", 0x2021, OPT_HANDLER(OptAudioFrames), "number");
    handler("aq", 0x2021, OPT_HANDLER(OptAudioQscale), "quality");
    field("ar", 0x80a1, OPT_FIELD(AudioSampleRates), "rate");
    field("ac", 0x80a1, OPT_FIELD(AudioChannels), "channels");
    field("an", 0x4022, OPT_FIELD(AudioDisable));
    handler("acodec", 0x2021, OPT_HANDLER(OptAudioCodec), "codec");
    handler("atag", 0x2025, OPT_HANDLER(OptOldToNew), "fourcc/tag");
    setting("vol", 0xa1, &AudioVolume, "volume");
    field("sample_fmt", 0x802d, OPT_FIELD(SampleFmts), "format");
    handler("channel_layout", 0x2025, OPT_HANDLER(OptChannelLayout), "layout");
    handler("af", 0x2021, OPT_HANDLER(OptAudioFilters), "filter_graph");
    field("guess_layout_max", 0x80a5, OPT_FIELD(GuessLayoutMax));
    field("sn", 0x4202, OPT_FIELD(SubtitleDisable));
    handler("scodec", 0x2201, OPT_HANDLER(OptSubtitleCodec), "codec");
    handler("stag", 0x2205, OPT_HANDLER(OptOldToNew), "fourcc/tag");
    field("fix_sub_duration", 0x8206, OPT_FIELD(FixSubDuration));
    handler("vc", 0x15, OPT_HANDLER(OptVideoChannel), "channel");
    handler("tvstd", 0x15, OPT_HANDLER(OptVideoStandard), "standard");
    setting("isync", 0x6, &InputSync);
    field("muxdelay", 0x4105, OPT_FIELD(MuxMaxDelay), "seconds");
    field("muxpreload", 0x4105, OPT_FIELD(MuxPreload), "seconds");
    field("bsf", 0x800d, OPT_FIELD(BitstreamFilters), "bitstream_filters");
    handler("absf", 0x2025, OPT_HANDLER(OptOldToNew), "audio bitstream_filters");
    handler("vbsf", 0x2015, OPT_HANDLER(OptOldToNew), "video bitstream_filters");
    handler("apre", 0x2025, OPT_HANDLER(OptPresetFile), "preset");
    handler("vpre", 0x2015, OPT_HANDLER(OptPresetFile), "preset");
    handler("spre", 0x2205, OPT_HANDLER(OptPresetFile), "preset");
    handler("fpre", 0x2005, OPT_HANDLER(OptPresetFile), "filename");
    handler("dcodec", 0x3005, OPT_HANDLER(OptDataCodec), "codec");
    field("dn", 0x4012, OPT_FIELD(DataDisable));
    handler("vhook", 0x15, OPT_HANDLER(OptVHook), "module", "insert video processing module");
    handler("VideoHookBitsPixel", 0x15, OPT_HANDLER(OptVideoHookBitsPixel), "bpp");
    handler("TimeStart", 0x2005, OPT_HANDLER(OptTimeStart));
    handler("timestart", 0x2005, OPT_HANDLER(OptTimeStart));
    handler("TimeLength", 0x2005, OPT_HANDLER(OptTimeLength));
    handler("timelength", 0x2005, OPT_HANDLER(OptTimeLength));
    for (const char* name : {"AudioInputHook", "AudioOutputHook", "VideoInputHook", "VideoOutputHook", "FrameInputHook",
                             "FrameOutputHook", "Join"})
        handler(name, 0x800, OPT_HANDLER(OptIgnored));

    OptionTableRows[RowCount] = TOptionDef{};
    OptionTable = OptionTableRows.data();
}

// The option table: which option names exist, which group they belong to
// and where each value goes.

#include "engine/options/FFmpegOpt.h"
#include "platform/core/Exceptions.h"

namespace {

template <TOptionMethod Method>
int32_t CallMethod(void* Object, TOptionsContext* Context, const std::string& Name, const std::string& Arg)
{
    return (static_cast<TCustomFFmpegOpt*>(Object)->*Method)(Context, Name, Arg);
}

#define OPT_HANDLER(method) &CallMethod<&TCustomFFmpegOpt::method>
#define OPT_FIELD(field) &TOptionsContext::field

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
        AddRow(TOptionDef{name, flags, {}, {}, method, this, help ? help : name, argName});
    };
    const auto setting = [this](const char* name, uint32_t flags, TSettingTarget target,
                                const char* argName = nullptr) {
        AddRow(TOptionDef{name, flags, target, {}, nullptr, nullptr, name, argName});
    };
    const auto field = [this](const char* name, uint32_t flags, TContextField target, const char* argName = nullptr) {
        AddRow(TOptionDef{name, flags, {}, target, nullptr, nullptr, name, argName});
    };

    const char* const informationOptions[][2] = {
        {"L", nullptr},        {"h", "topic"},        {"?", "topic"},       {"help", "topic"},
        {"-help", "topic"},    {"version", nullptr},  {"formats", nullptr}, {"codecs", nullptr},
        {"decoders", nullptr}, {"encoders", nullptr}, {"bsfs", nullptr},    {"protocols", nullptr},
        {"filters", nullptr},  {"pix_fmts", nullptr}, {"layouts", nullptr}, {"sample_fmts", nullptr}};
    for (const auto& option : informationOptions)
        handler(option[0], ofNoArgHandler, OPT_HANDLER(OptNotSupportedIgnore), option[1]);
    handler("loglevel", ofHasArg, OPT_HANDLER(OptLogLevel), "loglevel");
    handler("v", ofHasArg, OPT_HANDLER(OptLogLevel), "loglevel");
    handler("report", 0, OPT_HANDLER(OptNotSupported));
    handler("max_alloc", ofHasArg, OPT_HANDLER(OptMaxAlloc), "bytes");
    handler("cpuflags", ofHasArg, OPT_HANDLER(OptCpuFlags), "flags");
    field("f", ofString | ofOffset | ofHasArg, OPT_FIELD(Format), "fmt");
    setting("y", ofBool, &FileOverwrite);
    setting("n", ofBool, &NoFileOverwrite);
    field("c", ofString | ofSpec | ofHasArg, OPT_FIELD(CodecNames), "codec");
    field("codec", ofString | ofSpec | ofHasArg, OPT_FIELD(CodecNames), "codec");
    handler("pre", ofNoArgHandler, OPT_HANDLER(OptNotSupported), "preset");
    handler("map", ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptMap),
            "[-]input_file_id[:stream_specifier][,sync_file_id[:stream_specifier]]");
    handler("map_channel", ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptMapChannel),
            "file.stream.channel[:syncfile.syncstream]");
    field("map_metadata", ofString | ofSpec | ofHasArg, OPT_FIELD(MetadataMaps),
          "outfile[,metadata]:infile[,metadata]");
    field("map_chapters", ofInt | ofOffset | ofExpert | ofHasArg, OPT_FIELD(ChaptersInputFile), "input_file_index");
    field("t", ofTime | ofOffset | ofHasArg, OPT_FIELD(RecordingTime), "duration");
    field("t_microsecond", ofInt64 | ofOffset | ofHasArg, OPT_FIELD(RecordingTime), "duration");
    field("to", ofTime | ofOffset | ofHasArg, OPT_FIELD(StopTime), "time_stop");
    field("to_microsecond", ofInt64 | ofOffset | ofHasArg, OPT_FIELD(StopTime), "time_stop");
    field("fs", ofInt64 | ofOffset | ofHasArg, OPT_FIELD(LimitFileSize), "limit_size");
    field("ss", ofTime | ofOffset | ofHasArg, OPT_FIELD(StartTime), "time_off");
    field("ss_microsecond", ofInt64 | ofOffset | ofHasArg, OPT_FIELD(StartTime), "time_off");
    field("itsoffset", ofTime | ofOffset | ofExpert | ofHasArg, OPT_FIELD(InputTsOffset), "time_off");
    field("itsoffset_microsecond", ofInt64 | ofOffset | ofExpert | ofHasArg, OPT_FIELD(InputTsOffset), "time_off");
    field("itsscale", ofDouble | ofSpec | ofExpert | ofHasArg, OPT_FIELD(TsScales), "scale");
    handler("timestamp", ofPerFile | ofHasArg, OPT_HANDLER(OptRecordingTimestamp), "time");
    field("metadata", ofString | ofSpec | ofHasArg, OPT_FIELD(Metadata), "string=string");
    handler("dframes", ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptDataFrames), "number");
    handler("benchmark", ofNoArgHandler, OPT_HANDLER(OptNotSupported));
    handler("benchmark_all", ofNoArgHandler, OPT_HANDLER(OptNotSupported));
    handler("progress", ofExpert | ofHasArg, OPT_HANDLER(OptProgress), "url");
    handler("stdin", ofNoArgHandler, OPT_HANDLER(OptNotSupported));
    handler("timelimit", ofNoArgHandler, OPT_HANDLER(OptNotSupported), "limit");
    setting("dump", ofBool | ofExpert, &DoPktDump);
    setting("hex", ofBool | ofExpert, &DoHexDump);
    field("re", ofBool | ofOffset | ofExpert, OPT_FIELD(RateEmu));
    handler("target", ofPerFile | ofHasArg, OPT_HANDLER(OptTarget), "type");
    handler("vsync", ofExpert | ofHasArg, OPT_HANDLER(OptVsync));
    setting("async", ofInt | ofExpert | ofHasArg, &AudioSyncMethod);
    setting("adrift_threshold", ofFloat | ofExpert | ofHasArg, &AudioDriftThreshold, "threshold");
    setting("copyts", ofBool | ofExpert, &CopyTs);
    setting("copytb", ofInt | ofExpert | ofHasArg, &CopyTb, "mode");
    field("shortest", ofBool | ofOffset | ofExpert, OPT_FIELD(Shortest));
    setting("dts_delta_threshold", ofFloat | ofExpert | ofHasArg, &DtsDeltaThreshold, "threshold");
    setting("dts_error_threshold", ofFloat | ofExpert | ofHasArg, &DtsErrorThreshold, "threshold");
    setting("xerror", ofBool | ofExpert, &ExitOnError, "error");
    field("copyinkf", ofBool | ofSpec | ofExpert, OPT_FIELD(CopyInitialNonKeyframes));
    field("copypriorss", ofInt | ofSpec | ofExpert | ofHasArg, OPT_FIELD(CopyPriorStart));
    field("frames", ofInt64 | ofSpec | ofHasArg, OPT_FIELD(MaxFrames), "number");
    field("tag", ofString | ofSpec | ofExpert | ofHasArg, OPT_FIELD(CodecTags), "fourcc/tag");
    field("q", ofDouble | ofSpec | ofExpert | ofHasArg, OPT_FIELD(Qscales), "q");
    handler("qscale", ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptQscale), "q");
    handler("profile", ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptProfile), "profile");
    field("filter", ofString | ofSpec | ofHasArg, OPT_FIELD(Filters), "filter_graph");
    field("reinit_filter", ofInt | ofSpec | ofHasArg, OPT_FIELD(ReinitFilters));
    handler("filter_complex", ofExpert | ofHasArg, OPT_HANDLER(OptFilterComplex), "graph_description");
    setting("stats", ofBool, &PrintStats);
    handler("attach", ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptAttach), "filename");
    field("dump_attachment", ofString | ofSpec | ofExpert | ofHasArg, OPT_FIELD(DumpAttachments), "filename");
    handler("vframes", ofVideo | ofPerFile | ofHasArg, OPT_HANDLER(OptVideoFrames), "number");
    field("r", ofString | ofVideo | ofSpec | ofHasArg, OPT_FIELD(FrameRates), "rate");
    field("s", ofString | ofVideo | ofSubtitle | ofSpec | ofHasArg, OPT_FIELD(FrameSizes), "size");
    field("aspect", ofString | ofVideo | ofSpec | ofHasArg, OPT_FIELD(FrameAspectRatios), "aspect");
    field("pix_fmt", ofString | ofVideo | ofSpec | ofExpert | ofHasArg, OPT_FIELD(FramePixFmts), "format");
    setting("bits_per_raw_sample", ofInt | ofVideo | ofHasArg, &FrameBitsPerRawSample, "number");
    setting("intra", ofBool | ofVideo | ofExpert, &IntraOnly);
    field("vn", ofBool | ofVideo | ofOffset, OPT_FIELD(VideoDisable));
    setting("vdt", ofInt | ofVideo | ofExpert | ofHasArg, &VideoDiscard, "n");
    field("rc_override", ofString | ofVideo | ofSpec | ofExpert | ofHasArg, OPT_FIELD(RcOverrides), "override");
    handler("vcodec", ofVideo | ofPerFile | ofHasArg, OPT_HANDLER(OptVideoCodec), "codec");
    handler("sameq", ofVideo | ofExpert, OPT_HANDLER(OptRemoved));
    handler("same_quant", ofVideo | ofExpert, OPT_HANDLER(OptRemoved));
    handler("timecode", ofVideo | ofPerFile | ofHasArg, OPT_HANDLER(OptTimecode), "hh:mm:ss[:;.]ff");
    field("pass", ofInt | ofVideo | ofSpec | ofHasArg, OPT_FIELD(Passes), "n");
    field("passlogfile", ofString | ofVideo | ofSpec | ofExpert | ofHasArg, OPT_FIELD(PassLogFiles), "prefix");
    handler("deinterlace", ofVideo | ofExpert, OPT_HANDLER(OptDeinterlace));
    setting("psnr", ofBool | ofVideo | ofExpert, &DoPsnr);
    handler("vstats", ofVideo | ofExpert, OPT_HANDLER(OptVstats));
    handler("vstats_file", ofVideo | ofExpert | ofHasArg, OPT_HANDLER(OptVstatsFile), "file");
    handler("vf", ofVideo | ofPerFile | ofHasArg, OPT_HANDLER(OptVideoFilters), "filter_graph");
    field("intra_matrix", ofString | ofVideo | ofSpec | ofExpert | ofHasArg, OPT_FIELD(IntraMatrices), "matrix");
    field("inter_matrix", ofString | ofVideo | ofSpec | ofExpert | ofHasArg, OPT_FIELD(InterMatrices), "matrix");
    field("top", ofInt | ofVideo | ofSpec | ofExpert | ofHasArg, OPT_FIELD(TopFieldFirst));
    setting("dc", ofInt | ofVideo | ofExpert | ofHasArg, &IntraDcPrecision, "precision");
    handler("vtag", ofVideo | ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptOldToNew), "fourcc/tag");
    setting("qphist", ofBool | ofVideo | ofExpert, &QpHist);
    field("force_fps", ofBool | ofVideo | ofSpec | ofExpert, OPT_FIELD(ForceFps));
    handler("streamid", ofVideo | ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptStreamId), "streamIndex:value");
    field("force_key_frames", ofString | ofVideo | ofSpec | ofExpert | ofHasArg, OPT_FIELD(ForcedKeyFrames),
          "timestamps");
    handler("b", ofVideo | ofPerFile | ofHasArg, OPT_HANDLER(OptBitrate), "bitrate");
    handler("aframes", ofAudio | ofPerFile | ofHasArg, OPT_HANDLER(OptAudioFrames), "number");
    handler("aq", ofAudio | ofPerFile | ofHasArg, OPT_HANDLER(OptAudioQscale), "quality");
    field("ar", ofInt | ofAudio | ofSpec | ofHasArg, OPT_FIELD(AudioSampleRates), "rate");
    field("ac", ofInt | ofAudio | ofSpec | ofHasArg, OPT_FIELD(AudioChannels), "channels");
    field("an", ofBool | ofAudio | ofOffset, OPT_FIELD(AudioDisable));
    handler("acodec", ofAudio | ofPerFile | ofHasArg, OPT_HANDLER(OptAudioCodec), "codec");
    handler("atag", ofAudio | ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptOldToNew), "fourcc/tag");
    setting("vol", ofInt | ofAudio | ofHasArg, &AudioVolume, "volume");
    field("sample_fmt", ofString | ofAudio | ofSpec | ofExpert | ofHasArg, OPT_FIELD(SampleFmts), "format");
    handler("channel_layout", ofAudio | ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptChannelLayout), "layout");
    handler("af", ofAudio | ofPerFile | ofHasArg, OPT_HANDLER(OptAudioFilters), "filter_graph");
    field("guess_layout_max", ofInt | ofAudio | ofSpec | ofExpert | ofHasArg, OPT_FIELD(GuessLayoutMax));
    field("sn", ofBool | ofSubtitle | ofOffset, OPT_FIELD(SubtitleDisable));
    handler("scodec", ofSubtitle | ofPerFile | ofHasArg, OPT_HANDLER(OptSubtitleCodec), "codec");
    handler("stag", ofSubtitle | ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptOldToNew), "fourcc/tag");
    field("fix_sub_duration", ofBool | ofSubtitle | ofSpec | ofExpert, OPT_FIELD(FixSubDuration));
    handler("vc", ofVideo | ofExpert | ofHasArg, OPT_HANDLER(OptVideoChannel), "channel");
    handler("tvstd", ofVideo | ofExpert | ofHasArg, OPT_HANDLER(OptVideoStandard), "standard");
    setting("isync", ofBool | ofExpert, &InputSync);
    field("muxdelay", ofFloat | ofOffset | ofExpert | ofHasArg, OPT_FIELD(MuxMaxDelay), "seconds");
    field("muxpreload", ofFloat | ofOffset | ofExpert | ofHasArg, OPT_FIELD(MuxPreload), "seconds");
    field("bsf", ofString | ofSpec | ofExpert | ofHasArg, OPT_FIELD(BitstreamFilters), "bitstream_filters");
    handler("absf", ofAudio | ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptOldToNew), "audio bitstream_filters");
    handler("vbsf", ofVideo | ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptOldToNew), "video bitstream_filters");
    handler("apre", ofAudio | ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptPresetFile), "preset");
    handler("vpre", ofVideo | ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptPresetFile), "preset");
    handler("spre", ofSubtitle | ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptPresetFile), "preset");
    handler("fpre", ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptPresetFile), "filename");
    handler("dcodec", ofData | ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptDataCodec), "codec");
    field("dn", ofBool | ofVideo | ofOffset, OPT_FIELD(DataDisable));
    handler("vhook", ofVideo | ofExpert | ofHasArg, OPT_HANDLER(OptVHook), "module", "insert video processing module");
    handler("VideoHookBitsPixel", ofVideo | ofExpert | ofHasArg, OPT_HANDLER(OptVideoHookBitsPixel), "bpp");
    handler("TimeStart", ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptTimeStart));
    handler("timestart", ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptTimeStart));
    handler("TimeLength", ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptTimeLength));
    handler("timelength", ofPerFile | ofExpert | ofHasArg, OPT_HANDLER(OptTimeLength));
    for (const char* name : {"AudioInputHook", "AudioOutputHook", "VideoInputHook", "VideoOutputHook", "FrameInputHook",
                             "FrameOutputHook", "Join"})
        handler(name, ofNoArgHandler, OPT_HANDLER(OptIgnored));

    OptionTableRows[RowCount] = TOptionDef{};
    OptionTable = OptionTableRows.data();
}

// The pads of a job's filter graphs: buffer sources fed by input streams,
// the conversions and sinks that output streams need, and the graphs of
// "filter_complex".

#include "engine/transcode/FFFilterGraphs.h"

#include <cmath>
#include <cstdlib>

#include "engine/binding/AVFilterStubs.h"
#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/transcode/SubtitleCanvas.h"
#include "engine/transcode/TranscodeUtils.h"
#include "platform/core/Strings.h"

namespace {

std::string DictionaryTextOf(const AVDictionary* Dictionary)
{
    std::string text;
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = av::av_dict_get(Dictionary, "", entry, AV_DICT_IGNORE_SUFFIX)))
        text += std::string(entry->key) + "=" + entry->value + ":";
    if (!text.empty())
        text.pop_back();
    return text.substr(0, 511);
}

// The pad's filter, and the pad's name when that filter has several pads on that side.
std::string PadDescription(const AVFilterInOut* Pad, bool Input)
{
    const AVFilterContext* filter = Pad->filter_ctx;
    std::string text = filter->filter->name;
    const unsigned pads = Input ? filter->nb_inputs : filter->nb_outputs;
    if (pads > 1)
        text += std::string(":") +
            av::avfilter_pad_get_name(Input ? filter->input_pads : filter->output_pads, Pad->pad_idx);
    return text;
}

AVMediaType PadType(const AVFilterInOut* Pad, bool Input)
{
    const AVFilterContext* filter = Pad->filter_ctx;
    return av::avfilter_pad_get_type(Input ? filter->input_pads : filter->output_pads, Pad->pad_idx);
}

// Creates a filter and links it after Last; Last becomes the new filter.
int32_t Append(AVFilterGraph* Graph, AVFilterContext*& Last, int LastPad, const char* FilterName,
               const std::string& Name, const std::string& Args)
{
    AVFilterContext* filter = nullptr;
    int32_t result = av::avfilter_graph_create_filter(&filter, av::avfilter_get_by_name(FilterName), Name.c_str(),
                                                      Args.empty() ? nullptr : Args.c_str(), nullptr, Graph);
    if (result < 0)
        return result;
    result = av::avfilter_link(Last, LastPad, filter, 0);
    if (result < 0)
        return result;
    Last = filter;
    return 0;
}

// A list of formats, rates or layouts as one filter argument: items joined by "|".
std::string ListArgument(char* List)
{
    std::string text = List;
    av::av_free(List);
    for (char& c : text)
        if (c == ':' || c == ',')
            c = '|';
    return text;
}

std::string LayoutText(uint64_t Mask, int32_t Channels)
{
    AVChannelLayout layout{};
    if (Mask)
        av::av_channel_layout_from_mask(&layout, Mask);
    else
        av::av_channel_layout_default(&layout, Channels);
    char text[128] = "";
    av::av_channel_layout_describe(&layout, text, sizeof text);
    av::av_channel_layout_uninit(&layout);
    return text;
}

// An input seek lands on the key frame before the start; what is decoded
// between that frame and the start goes no further, to the sample for audio.
int32_t AppendStartTrim(const TCustomFFmpegOpt& Job, AVFilterGraph* Lavfi, AVFilterContext*& Last,
                        const TInputStream* Ist, const char* FilterName)
{
    const TInputFile* file = Job.InputFile(Ist->FileIndex);
    if (!file->StartTime)
        return 0;
    int64_t start = 0; // where the start lies once the input's timestamps are offset
    if (Job.CopyTs) {
        start = file->StartTime;
        if (file->Ctx->start_time != AV_NOPTS_VALUE)
            start += file->Ctx->start_time;
    }
    return Append(Lavfi, Last, 0, FilterName, Format("trim for input stream %d:%d", Ist->FileIndex, Ist->St->index),
                  Format("starti=%lldus", static_cast<long long>(start)));
}

int32_t LinkVideoSource(TCustomFFmpegOpt& Job, TFilterGraph* Graph, TInputFilter* Filter, AVFilterGraph* Lavfi,
                        AVFilterInOut* Pad)
{
    TInputStream* ist = Filter->Ist;
    if (ist->St->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE)
        if (const int32_t result = Sub2VideoPrepare(Job, ist); result < 0)
            return result;
    const bool forcedRate = ist->Framerate.num != 0;
    const AVRational timeBase = forcedRate ? av_inv_q(ist->Framerate) : ist->St->time_base;
    AVRational rate = forcedRate ? ist->Framerate : ist->St->r_frame_rate;
    const AVCodecContext* dec = ist->DecCtx.get();
    if (!forcedRate && dec->ticks_per_frame > 1) {
        // A field-rate guess well below the codec's own frame rate, with an
        // average rate that disagrees too, gives way to the codec's rate.
        const AVRational codecRate{dec->time_base.den, dec->time_base.num * dec->ticks_per_frame};
        if (codecRate.num > 0 && codecRate.den > 0 && av_q2d(codecRate) < 0.7 * av_q2d(rate) &&
            std::fabs(1.0 - av_q2d(av::av_div_q(ist->St->avg_frame_rate, rate))) > 0.1)
            rate = codecRate;
    }
    AVRational sar = ist->St->sample_aspect_ratio.num ? ist->St->sample_aspect_ratio : ist->DecCtx->sample_aspect_ratio;
    if (!sar.den)
        sar = {0, 1};
    std::string args = Format("video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", ist->ResampleWidth,
                              ist->ResampleHeight, ist->ResamplePixFmt, timeBase.num, timeBase.den, sar.num, sar.den);
    if (rate.num && rate.den)
        args += Format(":frame_rate=%d/%d", rate.num, rate.den);
    const std::string name = Format("graph %d input from stream %d:%d", Graph->Index, ist->FileIndex, ist->St->index);
    int32_t result = av::avfilter_graph_create_filter(&Filter->Filter, av::avfilter_get_by_name("buffer"), name.c_str(),
                                                      args.c_str(), nullptr, Lavfi);
    if (result < 0)
        return result;
    AVFilterContext* last = Filter->Filter;
    if (forcedRate) {
        result = Append(Lavfi, last, 0, "setpts",
                        Format("force CFR for input from stream %d:%d", ist->FileIndex, ist->St->index), "N");
        if (result < 0)
            return result;
    }
    if ((result = AppendStartTrim(Job, Lavfi, last, ist, "trim")) < 0)
        return result;
    return av::avfilter_link(last, 0, Pad->filter_ctx, Pad->pad_idx);
}

int32_t LinkAudioSource(TCustomFFmpegOpt& Job, TFilterGraph* Graph, TInputFilter* Filter, AVFilterGraph* Lavfi,
                        AVFilterInOut* Pad)
{
    TInputStream* ist = Filter->Ist;
    const char* formatName = av::av_get_sample_fmt_name(static_cast<AVSampleFormat>(ist->ResampleSampleFmt));
    std::string args = Format("time_base=1/%d:sample_rate=%d:sample_fmt=%s", ist->ResampleSampleRate,
                              ist->ResampleSampleRate, formatName ? formatName : "none");
    args += ":channel_layout=" + LayoutText(ist->ResampleChannelLayout, ist->ResampleChannels);
    const std::string name = Format("graph %d input from stream %d:%d", Graph->Index, ist->FileIndex, ist->St->index);
    int32_t result = av::avfilter_graph_create_filter(&Filter->Filter, av::avfilter_get_by_name("abuffer"),
                                                      name.c_str(), args.c_str(), nullptr, Lavfi);
    if (result < 0)
        return result;
    AVFilterContext* last = Filter->Filter;
    const auto insert = [&](const char* option, const char* filterName, const std::string& filterArgs) {
        Logger()->LogFmt(&Job, llInfo, "%s is forwarded to lavfi similarly to -af %s=%s.", option, filterName,
                         filterArgs.c_str());
        return Append(
            Lavfi, last, 0, filterName,
            Format("graph %d %s for input stream %d:%d", Graph->Index, filterName, ist->FileIndex, ist->St->index),
            filterArgs);
    };
    if (Job.AudioSyncMethod > 0) {
        std::string async = Format("async=%d:min_hard_comp=%f", Job.AudioSyncMethod, Job.AudioDriftThreshold);
        if (!Graph->Reconfiguration)
            async += ":first_pts=0";
        if ((result = insert("-async", "aresample", async)) < 0)
            return result;
    }
    if (Job.AudioVolume != 256) {
        av::av_log(nullptr, AV_LOG_WARNING, "-vol has been deprecated. Use the volume audio filter instead.\n");
        if ((result = insert("-vol", "volume", Format("%f", Job.AudioVolume / 256.0))) < 0)
            return result;
    }
    if ((result = AppendStartTrim(Job, Lavfi, last, ist, "atrim")) < 0)
        return result;
    return av::avfilter_link(last, 0, Pad->filter_ctx, Pad->pad_idx);
}

int32_t LinkVideoSink(TOutputFilter* Filter, AVFilterGraph* Lavfi, AVFilterInOut* Pad)
{
    TOutputStream* ost = Filter->Ost;
    const std::string name = Format("output stream %d:%d", ost->FileIndex, ost->Index);
    int32_t result = av::avfilter_graph_create_filter(&Filter->Filter, av::avfilter_get_by_name("buffersink"),
                                                      name.c_str(), nullptr, nullptr, Lavfi);
    if (result < 0)
        return result;
    AVFilterContext* last = Pad->filter_ctx;
    int lastPad = Pad->pad_idx;
    const AVCodecContext* enc = ost->EncCtx;
    if (enc->width || enc->height) {
        result =
            Append(Lavfi, last, lastPad, "scale", Format("scaler for output stream %d:%d", ost->FileIndex, ost->Index),
                   Format("%d:%d:flags=0x%X", enc->width, enc->height, static_cast<unsigned>(ost->SwsFlags)));
        if (result < 0)
            return result;
        lastPad = 0;
    }
    if (char* formats = PixelFormatList(ost)) {
        result =
            Append(Lavfi, last, lastPad, "format",
                   Format("pixel format for output stream %d:%d", ost->FileIndex, ost->Index), ListArgument(formats));
        if (result < 0)
            return result;
        lastPad = 0;
    }
    return av::avfilter_link(last, lastPad, Filter->Filter, 0);
}

int32_t LinkAudioSink(TCustomFFmpegOpt& Job, TOutputFilter* Filter, AVFilterGraph* Lavfi, AVFilterInOut* Pad)
{
    TOutputStream* ost = Filter->Ost;
    const std::string name = Format("output stream %d:%d", ost->FileIndex, ost->Index);
    Filter->Filter = av::avfilter_graph_alloc_filter(Lavfi, av::avfilter_get_by_name("abuffersink"), name.c_str());
    if (!Filter->Filter)
        return AVERROR(ENOMEM);
    av::av_opt_set_int(Filter->Filter, "all_channel_counts", 1, AV_OPT_SEARCH_CHILDREN);
    int32_t result = av::avfilter_init_str(Filter->Filter, nullptr);
    if (result < 0)
        return result;
    AVFilterContext* last = Pad->filter_ctx;
    int lastPad = Pad->pad_idx;
    if (ost->AudioChannelsMapped) {
        std::string pan = LayoutText(0, ost->AudioChannelsMapped);
        for (int32_t i = 0; i < ost->AudioChannelsMapped; ++i)
            if (ost->AudioChannelsMap[i] != -1)
                pan += Format("|c%d=c%d", i, ost->AudioChannelsMap[i]);
        Logger()->LogFmt(&Job, llInfo, "%s is forwarded to lavfi similarly to -af %s=%s.", "-map_channel", "pan",
                         pan.c_str());
        if ((result = Append(Lavfi, last, lastPad, "pan", "pan", pan)) < 0)
            return result;
        lastPad = 0;
    }
    std::string lists;
    const auto add = [&](const char* key, char* list) {
        if (list)
            lists += Format("%s=%s:", key, ListArgument(list).c_str());
    };
    add("sample_fmts", SampleFormatList(ost));
    add("sample_rates", SampleRateList(ost));
    add("channel_layouts", ChannelLayoutList(ost));
    if (!lists.empty()) {
        lists.pop_back();
        result = Append(Lavfi, last, lastPad, "aformat",
                        Format("audio format for output stream %d:%d", ost->FileIndex, ost->Index), lists);
        if (result < 0)
            return result;
        lastPad = 0;
    }
    return av::avfilter_link(last, lastPad, Filter->Filter, 0);
}

} // namespace

int32_t LinkGraphSource(TCustomFFmpegOpt& Job, TFilterGraph* Graph, TInputFilter* Filter, AVFilterGraph* Lavfi,
                        AVFilterInOut* Pad)
{
    Filter->Name = PadDescription(Pad, true);
    switch (PadType(Pad, true)) {
    case AVMEDIA_TYPE_VIDEO: return LinkVideoSource(Job, Graph, Filter, Lavfi, Pad);
    case AVMEDIA_TYPE_AUDIO: return LinkAudioSource(Job, Graph, Filter, Lavfi, Pad);
    default: Job.RaiseError("Never occur");
    }
}

int32_t LinkGraphSink(TCustomFFmpegOpt& Job, TOutputFilter* Filter, AVFilterGraph* Lavfi, AVFilterInOut* Pad)
{
    Filter->Name = PadDescription(Pad, false);
    switch (PadType(Pad, false)) {
    case AVMEDIA_TYPE_VIDEO: return LinkVideoSink(Filter, Lavfi, Pad);
    case AVMEDIA_TYPE_AUDIO: return LinkAudioSink(Job, Filter, Lavfi, Pad);
    default: Job.RaiseError("Never occur");
    }
}

std::string DictionaryOptionsText(const AVDictionary* Dictionary) { return DictionaryTextOf(Dictionary); }

namespace {

// The stream a pad of a complex graph takes: a labelled pad names a file and
// a stream specifier, an unlabelled one takes the first unused stream of its type.
TInputStream* StreamForPad(TCustomFFmpegOpt& Job, const TFilterGraph* Graph, const AVFilterInOut* Pad, AVMediaType Type)
{
    if (!Pad->name) {
        for (int32_t i = 0; i < Job.InputStreamCount(); ++i) {
            TInputStream* ist = Job.InputStream(i);
            if (ist->St->codecpar->codec_type == Type && ist->Discard)
                return ist;
        }
        Job.RaiseErrorFmt("Cannot find a matching stream for unlabeled input pad %d on filter %s", Pad->pad_idx,
                          Pad->filter_ctx->name);
    }
    char* rest = nullptr;
    const long fileIndex = std::strtol(Pad->name, &rest, 0);
    if (fileIndex < 0 || fileIndex >= Job.InputFileCount())
        Job.RaiseErrorFmt("Invalid file index %d in filtergraph description %s.", static_cast<int>(fileIndex),
                          Graph->GraphDesc.c_str());
    const TInputFile* file = Job.InputFile(fileIndex);
    const char* specifier = *rest == ':' ? rest + 1 : rest;
    for (unsigned s = 0; s < file->Ctx->nb_streams; ++s) {
        AVStream* st = file->Ctx->streams[s];
        const AVMediaType streamType = st->codecpar->codec_type;
        // A video pad also takes bitmap subtitles, drawn on a canvas.
        if (streamType != Type && !(Type == AVMEDIA_TYPE_VIDEO && streamType == AVMEDIA_TYPE_SUBTITLE))
            continue;
        if (av::avformat_match_stream_specifier(file->Ctx.get(), st, specifier) == 1)
            return Job.InputStream(file->IstIndex + static_cast<int32_t>(s));
    }
    Job.RaiseErrorFmt("Stream specifier \"%s\" in filtergraph description %s matches no streams.", specifier,
                      Graph->GraphDesc.c_str());
}

void BindComplexInput(TCustomFFmpegOpt& Job, TFilterGraph* Graph, const AVFilterInOut* Pad)
{
    const AVMediaType type = PadType(Pad, true);
    if (type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO)
        Job.RaiseError("Only video and audio filters supported currently.");
    TInputStream* ist = StreamForPad(Job, Graph, Pad, type);
    ist->Discard = 0;
    ist->St->discard = AVDISCARD_NONE;
    ++ist->DecodingNeeded;
    Graph->AddInput(ist);
}

// Keeps each unconnected output, cut from the list, for an output file to map.
void KeepComplexOutputs(TFilterGraph* Graph, AVFilterInOut*& Outputs)
{
    while (AVFilterInOut* pad = Outputs) {
        Outputs = pad->next;
        pad->next = nullptr;
        Graph->AddOutput()->OutTmp = pad;
    }
}

int32_t LinkComplexPads(TCustomFFmpegOpt& Job, TFilterGraph* Graph, AVFilterInOut* Inputs, AVFilterInOut*& Outputs,
                        bool First)
{
    int32_t index = 0;
    for (AVFilterInOut* pad = Inputs; pad; pad = pad->next, ++index) {
        const int32_t result = LinkGraphSource(Job, Graph, Graph->Inputs[index].get(), Graph->Graph, pad);
        if (result < 0)
            return result;
    }
    if (First) {
        KeepComplexOutputs(Graph, Outputs);
        return 0;
    }
    index = 0;
    for (AVFilterInOut* pad = Outputs; pad; pad = pad->next, ++index) {
        if (index >= Graph->OutputCount() || !Graph->Outputs[index]->Ost)
            return AVERROR(EINVAL);
        const int32_t result = LinkGraphSink(Job, Graph->Outputs[index].get(), Graph->Graph, pad);
        if (result < 0)
            return result;
    }
    return av::avfilter_graph_config(Graph->Graph, nullptr);
}

} // namespace

int32_t ConfigureComplexGraph(TCustomFFmpegOpt& Job, TFilterGraph* Graph)
{
    const bool first = !Graph->Graph;
    Graph->Graph = nullptr;
    Graph->OwnGraph.reset();
    Graph->OwnGraph.reset(av::avfilter_graph_alloc());
    if (!(Graph->Graph = Graph->OwnGraph.get()))
        return AVERROR(ENOMEM);
    // Binding a pad raises on a bad stream reference: the pad lists go with the frame.
    struct TPadLists {
        AVFilterInOut* Inputs = nullptr;
        AVFilterInOut* Outputs = nullptr;
        ~TPadLists()
        {
            av::avfilter_inout_free(&Inputs);
            av::avfilter_inout_free(&Outputs);
        }
    } pads;
    int32_t result = av::avfilter_graph_parse2(Graph->Graph, Graph->GraphDesc.c_str(), &pads.Inputs, &pads.Outputs);
    if (result >= 0 && first)
        for (AVFilterInOut* pad = pads.Inputs; pad; pad = pad->next)
            BindComplexInput(Job, Graph, pad);
    if (result >= 0)
        result = LinkComplexPads(Job, Graph, pads.Inputs, pads.Outputs, first);
    if (result < 0)
        return result;
    Graph->Reconfiguration = 1;
    return 0;
}

void InitComplexOutputFilter(TCustomFFmpegOpt& Job, TOutputFilter* Filter, TOptionsContext* Context,
                             AVFormatContext* Output)
{
    TOutputStream* ost = nullptr;
    switch (PadType(Filter->OutTmp, false)) {
    case AVMEDIA_TYPE_VIDEO: ost = Job.NewVideoStream(Context, Output, -1); break;
    case AVMEDIA_TYPE_AUDIO: ost = Job.NewAudioStream(Context, Output, -1); break;
    default: Job.RaiseError("Only video and audio filters are supported currently.");
    }
    ost->Filter = Filter;
    Filter->Ost = ost;
    if (ost->StreamCopy)
        Job.RaiseErrorFmt("Streamcopy requested for output stream %d:%d, which is fed from a complex filtergraph. "
                          "Filtering and streamcopy cannot be used together.",
                          ost->FileIndex, ost->Index);
    if (LinkGraphSink(Job, Filter, Filter->Graph->Graph, Filter->OutTmp) < 0)
        Job.RaiseError("Error configuring filter.");
    av::avfilter_inout_free(&Filter->OutTmp);
}

TInputFilter* TFilterGraph::AddInput(TInputStream* Stream)
{
    auto& input = Inputs.emplace_back(std::make_unique<TInputFilter>());
    input->Ist = Stream;
    input->Graph = this;
    Stream->Filters.push_back(input.get());
    return input.get();
}

TOutputFilter* TFilterGraph::AddOutput()
{
    auto& output = Outputs.emplace_back(std::make_unique<TOutputFilter>());
    output->Graph = this;
    return output.get();
}

TOutputFilter::~TOutputFilter() { av::avfilter_inout_free(&OutTmp); }

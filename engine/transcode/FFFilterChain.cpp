#include "engine/transcode/FFFilterChain.h"

#include <cerrno>

#include "engine/FFLog.h"
#include "engine/binding/AVFilterStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "platform/core/Strings.h"

namespace {

struct TFilterToken {
    std::string Text;
    bool Linear = true; // no labels, and the token ends with ',' or the text
};

std::string Trimmed(const std::string& s)
{
    const size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// The description's filters at top level, with quotes and escapes kept.
std::vector<TFilterToken> TopLevelFilters(const std::string& text, bool& linear)
{
    std::vector<TFilterToken> tokens(1);
    linear = true;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            tokens.back().Text += text.substr(i++, 2);
            continue;
        }
        if (c == '\'')
            quoted = !quoted;
        if (!quoted && (c == ',' || c == ';')) {
            if (c == ';')
                linear = false;
            tokens.emplace_back();
            continue;
        }
        if (!quoted && c == '[')
            linear = false;
        tokens.back().Text += c;
    }
    return tokens;
}

// The filter name of a token: labels dropped, up to "=" or the instance "@".
std::string FilterName(const std::string& token)
{
    std::string bare;
    int depth = 0;
    for (const char c : token) {
        if (c == '[')
            ++depth;
        else if (c == ']')
            --depth;
        else if (depth == 0)
            bare += c;
    }
    bare = Trimmed(bare);
    return Trimmed(bare.substr(0, bare.find_first_of("=@")));
}

std::string RotationArgument(const std::string& token)
{
    const size_t equals = token.find('=');
    return equals == std::string::npos ? std::string() : Trimmed(token.substr(equals + 1));
}

} // namespace

int32_t SetPixelFormatList(AVFilterContext* Sink, const AVPixelFormat* Formats)
{
    size_t count = 0;
    while (Formats[count] != AV_PIX_FMT_NONE)
        ++count;
    return av::av_opt_set_bin(Sink, "pix_fmts", reinterpret_cast<const uint8_t*>(Formats),
                              static_cast<int>(count * sizeof(*Formats)), AV_OPT_SEARCH_CHILDREN);
}

int32_t SplitRotateChain(const std::string& Description, std::vector<TChainPart>& Parts, std::string& Error)
{
    Parts.clear();
    bool linear = true;
    const std::vector<TFilterToken> tokens = TopLevelFilters(Description, linear);
    bool hasRotation = false;
    for (const TFilterToken& token : tokens)
        hasRotation |= FilterName(token.Text) == RotateFilterName;
    if (!hasRotation) {
        Parts.push_back({Description, false, 0});
        return 0;
    }
    if (!linear) {
        Error = Format("Filter \"%s\" can be used only in a linear filter chain, not in \"%s\"", RotateFilterName,
                       Description.c_str());
        return AVERROR(EINVAL);
    }
    std::string pending;
    const auto flush = [&] { Parts.push_back({pending.empty() ? "null" : pending, false, 0}); };
    for (const TFilterToken& token : tokens) {
        if (FilterName(token.Text) != RotateFilterName) {
            pending += (pending.empty() ? "" : ",") + Trimmed(token.Text);
            continue;
        }
        TChainPart rotation{"", true, 0};
        if (!ParseRotateAngle(RotationArgument(token.Text), rotation.Angle)) {
            Error = Format("Invalid angle \"%s\" for filter \"%s\"", RotationArgument(token.Text).c_str(),
                           RotateFilterName);
            return AVERROR(EINVAL);
        }
        flush();
        pending.clear();
        Parts.push_back(rotation);
    }
    flush();
    return 0;
}

TFilterChain::~TFilterChain()
{
    for (TStage& stage : graphs_)
        av::avfilter_graph_free(&stage.Graph);
}

int32_t TFilterChain::Fail(int32_t Code, const std::string& Text)
{
    errorText_ = Text;
    Logger()->Log(nullptr, llError, Text);
    return Code;
}

int32_t TFilterChain::NewGraph(const std::string& SwsOptions, const std::string& SwrOptions)
{
    TStage stage;
    stage.Graph = av::avfilter_graph_alloc();
    if (!stage.Graph)
        return AVERROR(ENOMEM);
    graphs_.push_back(stage);
    // A value libavfilter does not take ("auto") leaves its default, as in the ffmpeg tool.
    if (!threads_.empty())
        av::av_opt_set(stage.Graph, "threads", threads_.c_str(), 0);
    if (!SwsOptions.empty())
        stage.Graph->scale_sws_opts = av::av_strdup(SwsOptions.c_str());
    if (!SwrOptions.empty())
        return av::av_opt_set(stage.Graph, "aresample_swr_opts", SwrOptions.c_str(), 0);
    return 0;
}

int32_t TFilterChain::ParseOnePad(AVFilterGraph* Graph, const std::string& Filters, AVFilterInOut*& Inputs,
                                  AVFilterInOut*& Outputs)
{
    const int32_t result = av::avfilter_graph_parse2(Graph, Filters.c_str(), &Inputs, &Outputs);
    if (result < 0)
        return result;
    if (!Inputs || Inputs->next || !Outputs || Outputs->next) {
        av::av_log(nullptr, AV_LOG_ERROR, "Simple filtergraph \"%s\" does not have exactly one input and output.\n",
                   Filters.c_str());
        return AVERROR(EINVAL);
    }
    return 0;
}

int32_t TFilterChain::LinkRotationSink(TStage& Stage, AVFilterInOut* Pad, int32_t Index)
{
    const AVFilter* sinkFilter = av::avfilter_get_by_name("buffersink");
    const std::string name = Format("rotation %d input", Index);
    int32_t result =
        av::avfilter_graph_create_filter(&Stage.RotationSink, sinkFilter, name.c_str(), nullptr, nullptr, Stage.Graph);
    if (result < 0)
        return result;
    result = SetPixelFormatList(Stage.RotationSink, RotatePixelFormats);
    if (result < 0)
        return result;
    return av::avfilter_link(Pad->filter_ctx, Pad->pad_idx, Stage.RotationSink, 0);
}

int32_t TFilterChain::LinkRotationSource(TStage& Stage, const TStage& Previous, AVFilterInOut* Pad, int32_t Index)
{
    AVFilterContext* sink = Previous.RotationSink;
    const TRotateGeometry& g = Previous.Rotation.Geometry();
    const AVRational tb = av::av_buffersink_get_time_base(sink);
    const AVRational sar = av::av_buffersink_get_sample_aspect_ratio(sink);
    const AVRational rate = av::av_buffersink_get_frame_rate(sink);
    std::string args =
        Format("video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", g.OutW, g.OutH,
               static_cast<int>(Previous.Rotation.Format()), tb.num, tb.den, sar.num, sar.den ? sar.den : 1);
    if (rate.num && rate.den)
        args += Format(":frame_rate=%d/%d", rate.num, rate.den);
    const std::string name = Format("rotation %d output", Index);
    int32_t result = av::avfilter_graph_create_filter(&Stage.Source, av::avfilter_get_by_name("buffer"), name.c_str(),
                                                      args.c_str(), nullptr, Stage.Graph);
    if (result < 0)
        return result;
    return av::avfilter_link(Stage.Source, 0, Pad->filter_ctx, Pad->pad_idx);
}

int32_t TFilterChain::Build(const std::string& Description, const std::string& SwsOptions,
                            const std::string& SwrOptions, const TPadLinker& LinkSource, const TPadLinker& LinkSink)
{
    std::vector<TChainPart> parts;
    std::string error;
    if (SplitRotateChain(Description, parts, error) < 0)
        return Fail(AVERROR(EINVAL), error);
    int32_t rotations = 0;
    for (const TChainPart& part : parts) {
        if (part.Rotation) {
            TStage& previous = graphs_.back();
            const int32_t w = av::av_buffersink_get_w(previous.RotationSink);
            const int32_t h = av::av_buffersink_get_h(previous.RotationSink);
            const auto format = static_cast<AVPixelFormat>(av::av_buffersink_get_format(previous.RotationSink));
            if (previous.Rotation.Configure(part.Angle, w, h, format) < 0)
                return Fail(AVERROR(EINVAL),
                            Format("Filter \"%s\" cannot rotate a %dx%d picture", RotateFilterName, w, h));
            continue;
        }
        int32_t result = NewGraph(SwsOptions, SwrOptions);
        if (result < 0)
            return result;
        TStage& stage = graphs_.back();
        AVFilterInOut* inputs = nullptr;
        AVFilterInOut* outputs = nullptr;
        result = ParseOnePad(stage.Graph, part.Filters, inputs, outputs);
        if (result >= 0)
            result = graphs_.size() == 1 ? LinkSource(stage.Graph, inputs)
                                         : LinkRotationSource(stage, graphs_[graphs_.size() - 2], inputs, rotations);
        const bool last = &part == &parts.back();
        if (result >= 0)
            result = last ? LinkSink(stage.Graph, outputs) : LinkRotationSink(stage, outputs, ++rotations);
        av::avfilter_inout_free(&inputs);
        av::avfilter_inout_free(&outputs);
        if (result >= 0)
            result = av::avfilter_graph_config(stage.Graph, nullptr);
        if (result < 0)
            return result;
    }
    return 0;
}

int32_t TFilterChain::MoveFrames(TStage& From, TStage& To, AVFrame* Frame, AVFrame* Rotated)
{
    for (;;) {
        int32_t result = av::av_buffersink_get_frame_flags(From.RotationSink, Frame, 0);
        if (result == AVERROR(EAGAIN))
            return 0;
        if (result == AVERROR_EOF) {
            if (To.EndSent)
                return 0;
            To.EndSent = true;
            return av::av_buffersrc_add_frame_flags(To.Source, nullptr, AV_BUFFERSRC_FLAG_PUSH);
        }
        if (result < 0)
            return result;
        result = From.Rotation.Process(Frame, Rotated);
        av::av_frame_unref(Frame);
        if (result >= 0)
            result = av::av_buffersrc_add_frame_flags(To.Source, Rotated, AV_BUFFERSRC_FLAG_PUSH);
        av::av_frame_unref(Rotated);
        if (result < 0)
            return result;
    }
}

int32_t TFilterChain::Pump()
{
    if (!Split())
        return 0;
    AVFrame* frame = av::av_frame_alloc();
    AVFrame* rotated = av::av_frame_alloc();
    int32_t result = (frame && rotated) ? 0 : AVERROR(ENOMEM);
    for (size_t i = 0; result >= 0 && i + 1 < graphs_.size(); ++i)
        result = MoveFrames(graphs_[i], graphs_[i + 1], frame, rotated);
    av::av_frame_free(&frame);
    av::av_frame_free(&rotated);
    return result;
}

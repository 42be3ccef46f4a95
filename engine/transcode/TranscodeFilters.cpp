// The filter graphs of a run: a simple graph is the output stream's filter
// description as a chain (split at the engine's rotations); "filter_complex"
// graphs are rebuilt whole.

#include <algorithm>

#include "engine/binding/AVFilterStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/transcode/FFFilterGraphs.h"
#include "engine/transcode/Transcoder.h"
#include "platform/core/Strings.h"

TFilterChain* TTranscoder::ChainOf(const TFilterGraph* Graph) const
{
    const auto found = chains_.find(Graph);
    return found == chains_.end() ? nullptr : found->second.get();
}

bool TTranscoder::InputStreamInFilterGraph(const TFilterGraph* Graph, const TInputStream* Stream) const
{
    return std::any_of(Graph->Inputs.begin(), Graph->Inputs.end(),
                       [Stream](const auto& Input) { return Input->Ist == Stream; });
}

int32_t TTranscoder::ConfigureFilterGraph(TFilterGraph* Graph)
{
    if (Graph->Complex)
        return ConfigureComplexGraph(job_, Graph);
    if (Graph->InputCount() != 1 || Graph->OutputCount() != 1)
        return AVERROR(EINVAL);
    TOutputStream* ost = Graph->Outputs[0]->Ost;
    const bool video = ost->EncCtx->codec_type == AVMEDIA_TYPE_VIDEO;
    const std::string description = !ost->AvFilter.empty() ? ost->AvFilter : (video ? "null" : "anull");
    const std::string sws = Format("flags=0x%X", static_cast<unsigned>(ost->SwsFlags));
    const std::string swr = DictionaryOptionsText(ost->SwrOpts.get());

    Graph->Graph = nullptr;
    chains_.erase(Graph);
    auto chain = std::make_unique<TFilterChain>();
    // Without a count each graph starts a thread per core beside the encoder's own.
    if (const AVDictionaryEntry* threads = av::av_dict_get(ost->Opts.get(), "threads", nullptr, 0))
        chain->SetThreads(threads->value);
    const int32_t result = chain->Build(
        description, sws, swr,
        [&](AVFilterGraph* lavfi, AVFilterInOut* pad) {
            return LinkGraphSource(job_, Graph, Graph->Inputs[0].get(), lavfi, pad);
        },
        [&](AVFilterGraph* lavfi, AVFilterInOut* pad) {
            return LinkGraphSink(job_, Graph->Outputs[0].get(), lavfi, pad);
        });
    if (result < 0)
        return result;
    Graph->Graph = chain->FirstGraph();
    chains_[Graph] = std::move(chain);
    Graph->Reconfiguration = 1;
    return 0;
}

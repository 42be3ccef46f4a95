// Complex filter graphs ("filter_complex") as output opening sees them: a
// graph not built yet is configured, binding its inputs to streams, and its
// outputs become output streams of the file being opened.

#include "engine/options/FFmpegOpt.h"
#include "engine/transcode/FFFilterGraphs.h"

int32_t TCustomFFmpegOpt::ConfigureComplexFilters()
{
    for (const auto& graph : FilterGraphs) {
        if (graph->Graph)
            continue;
        const int32_t result = ConfigureComplexGraph(*this, graph.get());
        if (result < 0)
            return result;
    }
    return 0;
}

void TCustomFFmpegOpt::InitOutputFilter(TOutputFilter* Filter, TOptionsContext* Context, AVFormatContext* FormatContext)
{
    InitComplexOutputFilter(*this, Filter, Context, FormatContext);
}

// Complex filter graphs ("filter_complex") as output opening sees them. The
// graph builder configures them; until it is part of the engine, a graph
// that still waits for its configuration makes configuring fail, so an
// output never maps a graph that was not built.

#include "engine/FFmpegOpt.h"
#include "engine/libavutil_error.h"

int32_t TCustomFFmpegOpt::ConfigureComplexFilters() {
  for (int32_t i = 0; i < FilterGraphCount; ++i)
    if (!FilterGraphs[i]->Graph) return AVERROR(ENOSYS);
  return 0;
}

void TCustomFFmpegOpt::InitOutputFilter(TOutputFilter*, TOptionsContext*, AVFormatContext*) {
  RaiseError("Complex filter graphs are not available.");
}

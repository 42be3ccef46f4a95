#pragma once
// The pads of a job's filter graphs and the graphs of "filter_complex".

#include <cstdint>
#include <string>

#include "engine/options/FFmpegOpt.h"

struct AVFilterGraph;
struct AVFilterInOut;

// Creates the buffer source of Filter's input stream (with the filters that
// stand for "async" and "vol") and links it to Pad. 0 or a negative code.
int32_t LinkGraphSource(TCustomFFmpegOpt& Job, TFilterGraph* Graph, TInputFilter* Filter, AVFilterGraph* Lavfi,
                        AVFilterInOut* Pad);
// Links Pad through the conversions Filter's output stream needs to a new sink.
int32_t LinkGraphSink(TCustomFFmpegOpt& Job, TOutputFilter* Filter, AVFilterGraph* Lavfi, AVFilterInOut* Pad);

// Key=value pairs joined by ":", as graph options take them.
std::string DictionaryOptionsText(const AVDictionary* Dictionary);

// Builds a "filter_complex" graph: the first time it binds the inputs to
// streams and keeps the outputs for the output files to map; later it
// rebuilds the whole graph with every pad linked. 0 or a negative code;
// binding failures raise FFmpegException.
int32_t ConfigureComplexGraph(TCustomFFmpegOpt& Job, TFilterGraph* Graph);
// Makes an output stream of Output for a graph output and links its sink.
void InitComplexOutputFilter(TCustomFFmpegOpt& Job, TOutputFilter* Filter, TOptionsContext* Context,
                             AVFormatContext* Output);

#pragma once
// The records that tie filter graphs to the job's streams. The graph record
// itself (TFilterGraph) lives with the job; these are its pads.

#include <cstdint>

struct AVFilterContext;
struct AVFilterInOut;
struct TFilterGraph;
struct TInputStream;
struct TOutputStream;

// One graph input: a source filter fed by one input stream.
struct TInputFilter {
    AVFilterContext* Filter;
    TInputStream* Ist;
    TFilterGraph* Graph;
    char* Name; // pad description (av_malloc'ed)
};

// One graph output: a sink filter read by one output stream. OutTmp is the
// unconnected output pad of a complex graph, kept until an output maps it.
struct TOutputFilter {
    AVFilterContext* Filter;
    TOutputStream* Ost;
    TFilterGraph* Graph;
    char* Name;
    AVFilterInOut* OutTmp;
};

#pragma once
// The records that tie filter graphs to the job's streams. The graph record
// itself (TFilterGraph) lives with the job and owns these, its pads.

#include <cstdint>
#include <string>

struct AVFilterContext;
struct AVFilterInOut;
struct TFilterGraph;
struct TInputStream;
struct TOutputStream;

// One graph input: a source filter fed by one input stream.
struct TInputFilter {
    AVFilterContext* Filter = nullptr;
    TInputStream* Ist = nullptr;
    TFilterGraph* Graph = nullptr;
    std::string Name; // pad description
};

// One graph output: a sink filter read by one output stream. OutTmp is the
// unconnected output pad of a complex graph, kept until an output maps it;
// the record frees it.
struct TOutputFilter {
    TOutputFilter() = default;
    TOutputFilter(const TOutputFilter&) = delete;
    TOutputFilter& operator=(const TOutputFilter&) = delete;
    ~TOutputFilter();

    AVFilterContext* Filter = nullptr;
    TOutputStream* Ost = nullptr;
    TFilterGraph* Graph = nullptr;
    std::string Name;
    AVFilterInOut* OutTmp = nullptr;
};

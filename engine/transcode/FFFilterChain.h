#pragma once
// A filter description as one or more libavfilter graphs. A linear video
// chain that uses "nativerotate=N" is split at each rotation into graphs with
// the engine's rotation stage between them; frames are moved across the
// stages by Pump. Anything that is not a linear chain cannot hold a rotation.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/transcode/vf_rotate.h"

struct AVFilterContext;
struct AVFilterGraph;
struct AVFilterInOut;
struct AVFrame;

// One piece of a description: libavfilter text, or a rotation.
struct TChainPart {
    std::string Filters; // "null" for an empty piece
    bool Rotation = false;
    int32_t Angle = 0;
};

// The name of the engine's rotation filter in descriptions.
inline constexpr const char* RotateFilterName = "nativerotate";

// Splits Description at its top-level filters named "nativerotate". 0, or
// -22 with Error set when a rotation sits outside a linear chain or its
// argument is not a whole number.
int32_t SplitRotateChain(const std::string& Description, std::vector<TChainPart>& Parts, std::string& Error);

// Restricts a "buffersink" to Formats (ending with AV_PIX_FMT_NONE).
int32_t SetPixelFormatList(AVFilterContext* Sink, const AVPixelFormat* Formats);

// Links a graph's unconnected pad to the outside: the source side creates
// and links the buffer source, the sink side the conversions and the sink.
// Each returns 0 or a negative FFmpeg code.
using TPadLinker = std::function<int32_t(AVFilterGraph* Graph, AVFilterInOut* Pad)>;

class TFilterChain {
public:
    TFilterChain() = default;
    ~TFilterChain();
    TFilterChain(const TFilterChain&) = delete;
    TFilterChain& operator=(const TFilterChain&) = delete;

    // Builds and configures the graphs of a one-input one-output description.
    // SwsOptions and SwrOptions go to every graph ("" for none). 0, or a
    // negative code with ErrorText set for the engine's own refusals.
    int32_t Build(const std::string& Description, const std::string& SwsOptions, const std::string& SwrOptions,
                  const TPadLinker& LinkSource, const TPadLinker& LinkSink);

    // The thread count every graph of the chain gets (an encoder's "threads"
    // value); empty leaves libavfilter's default of one thread per core.
    void SetThreads(const std::string& Threads) { threads_ = Threads; }

    // The first graph; its source is what LinkSource created.
    AVFilterGraph* FirstGraph() const { return graphs_.empty() ? nullptr : graphs_.front().Graph; }
    bool Split() const { return graphs_.size() > 1; }
    // Moves every frame waiting between graphs through its rotation, and an
    // end of stream along with them. 0 or a negative FFmpeg code.
    int32_t Pump();
    const std::string& ErrorText() const { return errorText_; }

private:
    struct TStage {
        AVFilterGraph* Graph = nullptr;
        AVFilterContext* Source = nullptr; // buffer source fed by the previous rotation
        AVFilterContext* RotationSink = nullptr; // sink in front of the next rotation
        TRotateStage Rotation; // applied to RotationSink's frames
        bool EndSent = false;
    };

    int32_t NewGraph(const std::string& SwsOptions, const std::string& SwrOptions);
    int32_t ParseOnePad(AVFilterGraph* Graph, const std::string& Filters, AVFilterInOut*& Inputs,
                        AVFilterInOut*& Outputs);
    int32_t LinkRotationSink(TStage& Stage, AVFilterInOut* Pad, int32_t Index);
    int32_t LinkRotationSource(TStage& Stage, const TStage& Previous, AVFilterInOut* Pad, int32_t Index);
    int32_t Fail(int32_t Code, const std::string& Text);
    int32_t MoveFrames(TStage& From, TStage& To, AVFrame* Frame, AVFrame* Rotated);

    std::vector<TStage> graphs_;
    std::string errorText_;
    std::string threads_;
};

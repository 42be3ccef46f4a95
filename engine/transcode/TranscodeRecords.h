#pragma once
// The records a conversion job keeps for its input files and streams, its
// output streams and its output files. The job's vectors own them, and each
// record frees what it holds.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "engine/FFHandles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/rational.h>
}

struct AVBSFContext;
struct AVExpr;
struct TInputFilter;
struct TOutputFilter;

// Most output channels a "map_channel" list can fill.
constexpr int32_t MaxAudioChannelsMap = 32;

// One stream of an input file. Stream facts come from St->codecpar; DecCtx
// is the stream's own decoder context. The record frees what it holds;
// make_unique gives it zero-filled.
struct TInputStream {
    TInputStream() = default;
    TInputStream(const TInputStream&) = delete;
    TInputStream& operator=(const TInputStream&) = delete;
    ~TInputStream();

    int32_t FileIndex;
    AVStream* St;
    int32_t Discard; // 1 until an output stream takes data from the stream
    int32_t DecodingNeeded;
    const AVCodec* Dec;
    TCodecContextPtr DecCtx;
    TFramePtr DecodedFrame;
    int64_t Start;
    int64_t NextDts;
    int64_t Dts;
    int64_t NextPts;
    int64_t Pts;
    int32_t WrapCorrectionDone;
    int64_t FilterInRescaleDeltaLast;
    double TsScale;
    int32_t IsStart;
    int32_t SawFirstTs;
    int32_t ShowedMultiPacketWarning;
    TDictionaryPtr Opts; // decoder options
    AVRational Framerate; // forced with "r"; 0/0 when not forced
    int32_t TopFieldFirst;
    int32_t GuessLayoutMax;
    int32_t ResampleHeight;
    int32_t ResampleWidth;
    int32_t ResamplePixFmt;
    int32_t ResampleSampleFmt;
    int32_t ResampleSampleRate;
    int32_t ResampleChannels;
    uint64_t ResampleChannelLayout;
    int32_t FixSubDuration;
    struct {
        int32_t GotOutput;
        int32_t Ret;
        AVSubtitle Subtitle;
    } PrevSub;
    struct {
        int64_t LastPts;
        int64_t EndPts;
        TFramePtr Ref;
        int32_t W;
        int32_t H;
    } Sub2Video;
    int32_t Dr1;
    std::vector<TInputFilter*> Filters; // the graph inputs it feeds, owned by their graphs
    int32_t ReinitFilters;
    int32_t FrameCount;
    // Join state: the decoder and the filters were released when its segment ended.
    int32_t DecoderClosed;
    int32_t FiltersClosed;
};

// The settings and state of an output stream, copied as a whole for a join
// segment.
struct TOutputStreamFields {
    int32_t FileIndex;
    int32_t Index;
    int32_t SourceIndex; // input stream, -1 for none
    AVStream* St;
    int32_t EncodingNeeded;
    int32_t FrameNumber;
    TInputStream* SyncIst;
    int64_t SyncOpts;
    int64_t FirstPts;
    const AVCodec* Enc; // nil for stream copy
    AVCodecContext* EncCtx; // the encoder in use: the stream's own, or output 0's for a join segment
    int64_t MaxFrames;
    AVRational FrameRate; // "r"; 0/0 when not given
    int32_t ForceFps;
    int32_t TopFieldFirst;
    float FrameAspectRatio;
    std::vector<int64_t> ForcedKfPts; // sorted, in the encoder's time base
    int32_t ForcedKfIndex;
    std::optional<std::string> ForcedKeyFrames; // unset when not given
    AVExpr* ForcedKeyFramesPexpr;
    double ForcedKeyFramesExprConstValues[4];
    int32_t AudioChannelsMap[MaxAudioChannelsMap];
    int32_t AudioChannelsMapped;
    std::optional<std::string> LogfilePrefix; // unset when not given
    TOutputFilter* Filter;
    std::string AvFilter;
    int64_t SwsFlags;
    int32_t Finished;
    int32_t Unavailable;
    int32_t StreamCopy;
    std::string AttachmentFilename; // set for an attachment only
    int32_t CopyInitialNonKeyframes;
    int32_t CopyPriorStart;
    int32_t KeepPixFmt;
    // Encoding, report and join state.
    int64_t LastPts;
    int64_t LastDts;
    int32_t EncoderOpened;
};

// One stream of an output file. It owns its encoder context (also present
// for stream copy, where it only carries options), except in a join segment,
// which uses the encoder of output 0's stream and owns none. The record frees
// what it holds; make_unique gives it zero-filled.
struct TOutputStream : TOutputStreamFields {
    TOutputStream() = default;
    TOutputStream(const TOutputStream&) = delete;
    TOutputStream& operator=(const TOutputStream&) = delete;
    ~TOutputStream();

    // Takes an encoder context and makes it the one in use.
    void OwnEncoder(TCodecContextPtr Context);

    TCodecContextPtr OwnEncCtx; // empty in a join segment
    // A segment's stream has options, a chain, a frame and a log of its own.
    TDictionaryPtr Opts; // encoder options
    TDictionaryPtr SwrOpts;
    TDictionaryPtr ResampleOpts;
    TBitstreamFilterPtr BitstreamFilters; // the chain, not yet initialised
    TFramePtr FilteredFrame;
    TFilePtr Logfile; // the first pass's statistics
};

// The settings of an output file, copied as a whole for a join segment.
struct TOutputFileFields {
    AVFormatContext* Ctx; // the output's own context, or output 0's for a join segment
    int32_t OstIndex;
    int64_t RecordingTime; // INT64_MAX when unlimited
    int64_t StartTime;
    uint64_t LimitFilesize;
    int32_t Shortest;
};

// One output file, or one join segment: a copy of output 0 that uses its
// context without owning it, whose streams use the encoders of output 0's.
// The record frees what it holds; make_unique gives it zero-filled.
struct TOutputFile : TOutputFileFields {
    TOutputFile() = default;
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    // Takes the output's context and makes it the one in use.
    void OwnContext(TOutputContextPtr Context);

    TOutputContextPtr OwnCtx; // empty in a join segment
    TDictionaryPtr Opts; // muxer options; a join segment has none
};

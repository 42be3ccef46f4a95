#pragma once
// The option layer of a conversion job: the transcoder's global settings, the
// job's lists of files, streams and filter graphs, the option table and the
// handlers that turn option strings into the options context of the file
// being opened.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avio.h>
}

#include "engine/FFLog.h"
#include "engine/FFUtils.h"
#include "engine/transcode/FilterGraphs.h"
#include "engine/transcode/TranscodeRecords.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Persistent.h"

struct AVFilterGraph;

// Every error the transcoder raises.
class FFmpegException : public Exception {
public:
    using Exception::Exception;
};

// One "map" entry: a stream of an input file, or (LinkLabel set) an output
// label of a complex filter graph.
struct TStreamMap {
    int32_t Disabled = 0;
    int32_t FileIndex = 0;
    int32_t StreamIndex = 0;
    int32_t SyncFileIndex = 0;
    int32_t SyncStreamIndex = 0;
    std::string LinkLabel; // empty for an input stream
};

// One "map_channel" entry; -1 means any (a muted channel for ChannelIndex).
struct TAudioChannelMap {
    int32_t FileIndex = 0;
    int32_t StreamIndex = 0;
    int32_t ChannelIndex = 0;
    int32_t OutputFileIndex = 0;
    int32_t OutputStreamIndex = 0;
};

// The per-file option values of the input or output being opened. The option
// table names the fields it writes by member pointer; every field owns its
// value.
struct TOptionsContext {
    TOptionGroup* Group;
    int64_t StartTime;
    std::optional<std::string> Format; // "-f", unset when not given
    TSpecifierList CodecNames;
    TSpecifierList AudioChannels;
    TSpecifierList AudioSampleRates;
    TSpecifierList FrameRates;
    TSpecifierList FrameSizes;
    TSpecifierList FramePixFmts;
    int64_t InputTsOffset;
    int32_t RateEmu;
    TSpecifierList TsScales;
    TSpecifierList DumpAttachments;
    std::vector<TStreamMap> StreamMaps;
    std::vector<TAudioChannelMap> AudioChannelMaps;
    int32_t MetadataGlobalManual;
    int32_t MetadataStreamsManual;
    int32_t MetadataChaptersManual;
    std::vector<std::string> Attachments;
    int32_t ChaptersInputFile;
    int64_t RecordingTime;
    int64_t StopTime;
    int64_t LimitFileSize;
    float MuxPreload;
    float MuxMaxDelay;
    int32_t Shortest;
    int32_t VideoDisable;
    int32_t AudioDisable;
    int32_t SubtitleDisable;
    int32_t DataDisable;
    std::vector<int32_t> StreamIdMap; // stream index to id; unset indexes hold 0
    TSpecifierList Metadata;
    TSpecifierList MaxFrames;
    TSpecifierList BitstreamFilters;
    TSpecifierList CodecTags;
    TSpecifierList SampleFmts;
    TSpecifierList Qscales;
    TSpecifierList ForcedKeyFrames;
    TSpecifierList ForceFps;
    TSpecifierList FrameAspectRatios;
    TSpecifierList RcOverrides;
    TSpecifierList IntraMatrices;
    TSpecifierList InterMatrices;
    TSpecifierList TopFieldFirst;
    TSpecifierList MetadataMaps;
    TSpecifierList CopyInitialNonKeyframes;
    TSpecifierList CopyPriorStart;
    TSpecifierList Filters;
    TSpecifierList ReinitFilters;
    TSpecifierList FixSubDuration;
    TSpecifierList Passes;
    TSpecifierList PassLogFiles;
    TSpecifierList GuessLayoutMax;
};

// One opened input file of a job; it closes its file. make_unique gives it
// zero-filled.
struct TInputFile {
    TInputFile() = default;
    TInputFile(const TInputFile&) = delete;
    TInputFile& operator=(const TInputFile&) = delete;

    TInputContextPtr Ctx;
    int32_t EofReached;
    int32_t Eagain;
    int32_t IstIndex;
    int64_t TsOffset;
    int64_t StartTime; // the input's "-ss" in microseconds, 0 when none
    int32_t NbStreams;
    int32_t NbStreamsWarn;
    int32_t RateEmu;
};

// One libavfilter graph of a job; Complex marks a "filter_complex" graph,
// whose description may be empty.
// The graph owns its pads. Graph is the libavfilter graph in use: a complex
// graph's own (OwnGraph), or a simple graph's first stage, which belongs to
// the transcoder's chain (the transcoder clears it when the chain goes).
struct TFilterGraph {
    TFilterGraph() = default;
    TFilterGraph(const TFilterGraph&) = delete;
    TFilterGraph& operator=(const TFilterGraph&) = delete;

    int32_t InputCount() const { return static_cast<int32_t>(Inputs.size()); }
    int32_t OutputCount() const { return static_cast<int32_t>(Outputs.size()); }
    TInputFilter* AddInput(TInputStream* Stream);
    TOutputFilter* AddOutput();

    int32_t Index = 0;
    bool Complex = false;
    std::string GraphDesc;
    AVFilterGraph* Graph = nullptr;
    TFilterGraphPtr OwnGraph;
    int32_t Reconfiguration = 0;
    std::vector<std::unique_ptr<TInputFilter>> Inputs;
    std::vector<std::unique_ptr<TOutputFilter>> Outputs;
};

// The method-pointer form of an option handler.
class TCustomFFmpegOpt;
using TOptionMethod = int32_t (TCustomFFmpegOpt::*)(TOptionsContext* Context, const std::string& Name,
                                                    const std::string& Arg);

class TCustomFFmpegOpt : public TObject {
public:
    static constexpr int32_t OptionTableRoom = 193;

    TCustomFFmpegOpt();
    ~TCustomFFmpegOpt() override;
    TCustomFFmpegOpt(const TCustomFFmpegOpt&) = delete;
    TCustomFFmpegOpt& operator=(const TCustomFFmpegOpt&) = delete;

    // ---- Global settings written by the option table ----
    std::string VStatsFileName;
    float AudioDriftThreshold = 0.1f;
    float DtsDeltaThreshold = 10;
    float DtsErrorThreshold = 108000; // 30 hours in seconds
    int32_t AudioVolume = 256; // unchanged
    int32_t AudioSyncMethod = 0;
    int32_t VideoSyncMethod = -1; // automatic
    int32_t DoDeinterlace = 0;
    int32_t DoHexDump = 0;
    int32_t DoPktDump = 0;
    int32_t CopyTs = 0;
    int32_t CopyTb = -1;
    int32_t DebugTs = 0;
    int32_t ExitOnError = 0;
    int32_t PrintStats = -1;
    int32_t QpHist = 0;
    int32_t FrameBitsPerRawSample = 0;
    int32_t IntraOnly = 0;
    int32_t FileOverwrite = 0;
    int32_t NoFileOverwrite = 0;
    int32_t VideoDiscard = 0;
    int32_t IntraDcPrecision = 8;
    int32_t DoPsnr = 0;
    int32_t InputSync = 0;
    AVIOContext* ProgressAvio = nullptr;

    // ---- Containers and job state ----
    std::vector<std::unique_ptr<TInputStream>> InputStreams;
    std::vector<std::unique_ptr<TInputFile>> InputFiles;
    std::vector<std::unique_ptr<TOutputStream>> OutputStreams;
    std::vector<std::unique_ptr<TOutputFile>> OutputFiles;
    std::vector<std::unique_ptr<TFilterGraph>> FilterGraphs;
    std::unique_ptr<TFFOptions> FFOptions;
    std::array<TOptionDef, OptionTableRoom> OptionTableRows{};
    TOptionDef* OptionTable = nullptr; // nil until BuildOptionTable ran
    bool StrictOptions = true;
    bool JoinMode = false;
    int32_t JoinStreamCount = 0;
    std::atomic<bool> Aborted{false};
    // The run drains its codecs and writes its trailers: writes then ignore
    // Aborted (a stopped job still leaves a playable file); time-outs apply.
    std::atomic<bool> Finishing{false};
    int32_t ReadTimeout = 30000; // milliseconds; 0 or less: no time-out
    int32_t WriteTimeout = 30000;
    AVIOInterruptCB ReadInterruptCallback{};
    int64_t ReadStartTime = INT64_MAX;
    AVIOInterruptCB WriteInterruptCallback{};
    int64_t WriteStartTime = INT64_MAX;
    int64_t InputDuration = -1;
    int64_t Duration = -1;
    std::string LastErrorText;
    std::function<void(TCustomFFmpegOpt* Job, AVFormatContext* FormatContext)> OnBeforeFindStreamInfo;

    TInputFile* InputFile(int32_t Index) const { return InputFiles[Index].get(); }
    int32_t InputFileCount() const { return static_cast<int32_t>(InputFiles.size()); }
    TFilterGraph* FilterGraph(int32_t Index) const { return FilterGraphs[Index].get(); }
    int32_t FilterGraphCount() const { return static_cast<int32_t>(FilterGraphs.size()); }
    // A new graph at the end of the list.
    TFilterGraph* AddFilterGraph();

    // ---- Errors ----
    // LastErrorText := Msg, logged at llFatal, raised as FFmpegException.
    [[noreturn]] void RaiseError(const std::string& Msg);
    [[noreturn]] void RaiseErrorFmt(const char* Fmt, ...) __attribute__((format(printf, 2, 3)));
    // "Option %s not found." for the first entry left in Opts; raises in
    // strict mode, otherwise only keeps the text in LastErrorText.
    void CheckOptionsUsed(const AVDictionary* Opts);
    [[noreturn]] void AbortCodecExperimental(const AVCodec* Codec, bool Encoder);

    // FFmpeg interrupt callbacks; Opaque is the job. 1 interrupts.
    static int ReadInterrupt(void* Opaque);
    static int WriteInterrupt(void* Opaque);

    // ---- Options context ----
    // A context with the defaults and fresh option groups.
    void InitOptionsContext(TOptionsContext* Context);
    // Releases the option groups and empties the context.
    void FreeOptionsContext(TOptionsContext* Context);
    // Per-stream lookup: the value of the last entry whose specifier matches
    // the stream; Value keeps the caller's default when none does.
    void MatchStreamOption(const TSpecifierList& List, AVFormatContext* FormatContext, AVStream* Stream,
                           const char*& Value);
    void MatchStreamOption(const TSpecifierList& List, AVFormatContext* FormatContext, AVStream* Stream,
                           int32_t& Value);
    void MatchStreamOption(const TSpecifierList& List, AVFormatContext* FormatContext, AVStream* Stream,
                           int64_t& Value);
    void MatchStreamOption(const TSpecifierList& List, AVFormatContext* FormatContext, AVStream* Stream, double& Value);

    // The value of the last CodecNames entry whose specifier is exactly
    // TypeLetter ("v", "a" or "s"); Name is unchanged when there is none.
    static void MatchTypeCodecName(const TOptionsContext* Context, AVFormatContext* FormatContext,
                                   const char* TypeLetter, const char*& Name);

    // ---- Option table and option strings ----
    void BuildOptionTable();
    // Label is "input file" or "output file". 0 on success; a negative code in
    // strict mode (LastErrorText set), 0 otherwise.
    int32_t ParseOptions(TOptionsContext* Context, const std::string& Options, const std::string& Label,
                         const std::string& Presets);
    int32_t ParsePresets(TOptionsContext* Context, const std::string& Presets, const std::string& Label);
    // Applies a plain FFmpeg codec or format option to this context only.
    int32_t OptDefaultNew(TOptionsContext* Context, const std::string& Name, const std::string& Value);

    // ---- Option handlers (context, option name as written, argument) ----
    int32_t OptNotSupportedIgnore(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptNotSupported(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptIgnored(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptRemoved(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptLogLevel(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptMaxAlloc(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptCpuFlags(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptMap(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptMapChannel(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptStreamId(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptAttach(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptRecordingTimestamp(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptProgress(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptVsync(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptQscale(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptProfile(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptFilterComplex(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptVideoCodec(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptAudioCodec(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptSubtitleCodec(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptDataCodec(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptTimecode(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptDeinterlace(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptVideoFilters(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptAudioFilters(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptOldToNew(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptBitrate(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptAudioQscale(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptChannelLayout(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptVideoChannel(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptVideoStandard(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptPresetFile(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptTimeStart(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptTimeLength(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptTarget(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptVstats(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptVstatsFile(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptVideoFrames(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptAudioFrames(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t OptDataFrames(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    // Frame-hook options, implemented by the running job.
    virtual int32_t OptVHook(TOptionsContext* Context, const std::string& Name, const std::string& Arg) = 0;
    virtual int32_t OptVideoHookBitsPixel(TOptionsContext* Context, const std::string& Name,
                                          const std::string& Arg) = 0;

    // ---- Input files and streams ----
    TInputStream* InputStream(int32_t Index) const { return InputStreams[Index].get(); }
    int32_t InputStreamCount() const { return static_cast<int32_t>(InputStreams.size()); }
    TOutputStream* OutputStream(int32_t Index) const { return OutputStreams[Index].get(); }
    int32_t OutputStreamCount() const { return static_cast<int32_t>(OutputStreams.size()); }
    TOutputFile* OutputFile(int32_t Index) const { return OutputFiles[Index].get(); }
    int32_t OutputFileCount() const { return static_cast<int32_t>(OutputFiles.size()); }
    // The index of the new input file, or a negative code with LastErrorText
    // set; fatal conditions raise FFmpegException.
    int32_t OpenInputFile(TOptionsContext* Context, const std::string& Options, const std::string& FileName,
                          const std::string& Presets);
    void AddInputStreams(TOptionsContext* Context, AVFormatContext* FormatContext);
    const AVCodec* ChooseDecoder(TOptionsContext* Context, AVFormatContext* FormatContext, AVStream* Stream);
    // Raises "Unknown %s "%s"" or "Invalid %s type "%s"".
    const AVCodec* FindCodec(const std::string& Name, AVMediaType MediaType, bool Encoder);
    void DumpAttachment(AVStream* Stream, const std::string& FileName);
    bool CheckFileOverwrite(const std::string& FileName);

    // ---- Output streams (SourceIndex: an input stream, or -1) ----
    TOutputStream* NewOutputStream(TOptionsContext* Context, AVFormatContext* FormatContext, AVMediaType MediaType,
                                   int32_t SourceIndex);
    TOutputStream* NewVideoStream(TOptionsContext* Context, AVFormatContext* FormatContext, int32_t SourceIndex);
    TOutputStream* NewAudioStream(TOptionsContext* Context, AVFormatContext* FormatContext, int32_t SourceIndex);
    TOutputStream* NewDataStream(TOptionsContext* Context, AVFormatContext* FormatContext, int32_t SourceIndex);
    TOutputStream* NewSubtitleStream(TOptionsContext* Context, AVFormatContext* FormatContext, int32_t SourceIndex);
    TOutputStream* NewAttachmentStream(TOptionsContext* Context, AVFormatContext* FormatContext, int32_t SourceIndex);
    void ChooseEncoder(TOptionsContext* Context, AVFormatContext* FormatContext, TOutputStream* Stream);
    void ParseMatrixCoeffs(uint16_t* Dest, const char* Text);
    TFilterGraph* InitSimpleFilterGraph(TInputStream* InputStream, TOutputStream* OutputStream);
    // Type is 'g', 's', 'c' or 'p'; 0, or -1 with LastErrorText set.
    int32_t ParseMetaType(const char* Spec, char& Type, const char*& StreamSpec, int32_t& Index);
    // Input nil: only marks the kinds the output maps by hand.
    int32_t CopyMetadata(const char* OutSpec, const char* InSpec, TOptionsContext* Context, AVFormatContext* Output,
                         AVFormatContext* Input);

    // ---- Output files and join ----
    // The index of the new output file (output 0 after a join), or -1 / the
    // option parser's code with LastErrorText set; fatal conditions raise.
    int32_t OpenOutputFile(TOptionsContext* Context, const std::string& Options, bool Join, const std::string& FileName,
                           const std::string& Presets);
    int32_t JoinInputs(TOptionsContext* Context);
    int32_t AddJoinSegment(TOptionsContext* Context, int32_t InputFileIndex);
    // Drops the output streams from First on.
    void DropOutputStreams(int32_t First);
    // Drops the output files from First on, last to first.
    void DropOutputFiles(int32_t First);
    // Releases the filter graphs, output streams and files, input files and
    // streams; the job's release step runs it.
    void ReleaseFilesAndStreams();
    // Complex filter graphs (filter_complex): configure every graph not yet
    // configured, and turn a graph output into an output stream.
    virtual int32_t ConfigureComplexFilters();
    virtual void InitOutputFilter(TOutputFilter* Filter, TOptionsContext* Context, AVFormatContext* FormatContext);

private:
    void Log(TLogLevel Level, const std::string& Msg);
    // Sets OptionErrorText to Msg, logs it and returns Result.
    int32_t Fail(TLogLevel Level, const std::string& Msg, int32_t Result);
    int32_t ApplyOption(TOptionsContext* Context, const std::string& Name, const std::string& Arg);
    int32_t ApplyPresetLines(TOptionsContext* Context, const std::string& Text, const std::string& SyntaxPrefix,
                             const std::string& OptionPrefix);
    int32_t ApplyPresetOption(TOptionsContext* Context, const std::string& Key, const std::string& Value);
    int32_t ApplySeconds(TOptionsContext* Context, const char* Target, const std::string& Arg);
    int32_t SetFileCodecOption(TOptionsContext* Context, const char* Key, const std::string& Value);
    int32_t RouteDeprecatedOption(const char* Warning, const char* LibraryName, const std::string& Arg);
    int32_t FindSyncStream(int32_t SyncFile, const char* Spec, const std::string& MapText);
    AVFormatContext* InputContext(int32_t FileIndex) const;
    int32_t GuessTargetNorm();
    void AddRow(const TOptionDef& Row);
    int32_t RowCount = 0;
};

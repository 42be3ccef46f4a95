#pragma once
// One run of a conversion job's transcoder: set-up of the filter graphs,
// encoders, decoders and headers; the loop that reads, decodes, filters,
// encodes and writes; the progress report; and the finish that drains the
// codecs and writes the trailers even after a stop.

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "engine/FFHandles.h"
#include "engine/FFmpeg.h"
#include "engine/decode/VideoHooks.h"
#include "engine/transcode/FFFilterChain.h"

// What the progress report adds up while the job runs.
struct TTranscodeTotals {
    int64_t VideoSize = 0;
    int64_t AudioSize = 0;
    int64_t SubtitleSize = 0;
    int64_t ExtraSize = 0;
    int32_t DupFrames = 0;
    int32_t DropFrames = 0;
    bool DupOrDropChanged = false;
};

// At most one progress report per interval; the first call only starts the clock.
class TReportThrottle {
public:
    bool Due(int64_t Now, int64_t IntervalUs);

private:
    int64_t last_ = -1;
};

// Per output stream state that FFmpeg 5.1 no longer keeps for us.
struct TOutputStreamState {
    int64_t MuxDts = 0; // last dts handed to the muxer, stream time base
    bool Written = false; // MuxDts holds a written packet's dts
    float Quality = -1; // from the last packet's quality side data
    int32_t PictType = 0; // picture type of that packet
    int32_t ErrorCount = 0; // planes with a sum of squared errors (the encoder computes PSNR)
    uint64_t Error[3] = {}; // that packet's errors
    uint64_t ErrorSum[3] = {}; // every packet's errors
    int32_t Packets = 0; // encoded packets written
    bool BsfReady = false; // bitstream filter chain initialised
};

class TTranscoder {
public:
    explicit TTranscoder(TCustomFFmpeg& Job);
    // Closes every codec still open and frees the graphs the run built.
    ~TTranscoder();
    TTranscoder(const TTranscoder&) = delete;
    TTranscoder& operator=(const TTranscoder&) = delete;

    // The whole run; raises FFmpegException on a set-up failure or a fatal error.
    void Transcode();

    // Builds or rebuilds one graph: 0 or a negative FFmpeg code.
    int32_t ConfigureFilterGraph(TFilterGraph* Graph);

private:
    bool InputStreamInFilterGraph(const TFilterGraph* Graph, const TInputStream* Stream) const;
    // ---- Set-up ----
    int32_t TranscodeInit();
    int32_t CheckOutputsHaveStreams();
    int32_t InitOutputStream(TOutputStream* Ost, std::string& Error);
    int32_t InitStreamCopy(TOutputStream* Ost);
    int32_t InitEncoding(TOutputStream* Ost, std::string& Error);
    int32_t InitVideoEncoder(TOutputStream* Ost, AVFilterContext* Sink);
    int32_t OpenEncoders(std::string& Error);
    // Opens Ost's encoder; an audio encoder's frame size goes to Feeder's sink.
    int32_t OpenEncoder(TOutputStream* Ost, TOutputStream* Feeder, std::string& Error);
    // The encoder's picture or sample settings from the stream's graph sink.
    int32_t ConfigureEncoder(TOutputStream* Ost);
    int32_t InitInputStream(TInputStream* Ist, std::string& Error);
    int32_t WriteHeaders(std::string& Error);
    int32_t OpenPassLog(TOutputStream* Ost);
    void DiscardUnusedPrograms();
    void PrintSdp();
    int32_t InitBitstreamFilters(TOutputStream* Ost);
    int32_t ParseForcedKeyFrames(TOutputStream* Ost);
    void DumpStreamMapping();

    // ---- Filter graphs ----
    TFilterChain* ChainOf(const TFilterGraph* Graph) const;

    // ---- Loop ----
    void RunLoop(int64_t TimerStart);
    void FinishRun(int64_t TimerStart);
    int32_t TranscodeStep();
    TOutputStream* ChooseOutput();
    bool NeedOutput();
    bool GotEagain() const;
    void ResetEagain();
    int32_t TranscodeFromFilter(TFilterGraph* Graph, TInputStream*& Chosen);
    int32_t ProcessInput(int32_t FileIndex);
    void EndOfInput(int32_t FileIndex);
    void AdjustPacketTimestamps(TInputFile* File, TInputStream* Ist, AVPacket* Packet);
    void CorrectStartTime(TInputFile* File);
    void CorrectDiscontinuity(TInputFile* File, TInputStream* Ist, AVPacket* Packet);
    int32_t OutputPacket(TInputStream* Ist, const AVPacket* Packet);
    void AdvanceUndecoded(TInputStream* Ist, const AVPacket* Packet);
    int32_t Decode(TInputStream* Ist, const AVPacket* Packet);
    int32_t DecodeVideoFrame(TInputStream* Ist, AVFrame* Frame, int64_t Duration);
    int32_t DecodeAudioFrame(TInputStream* Ist, AVFrame* Frame);
    void ReconfigureGraphsOf(TInputStream* Ist);
    int32_t SendToFilters(TInputStream* Ist, AVFrame* Frame);
    void SendEndToFilters(TInputStream* Ist);
    void CloseEncoders();
    void CloseDecoders();

    // ---- Join segments ----
    void UpdateSegmentRange();
    void JoinSwitch(int32_t FileIndex);
    void ReopenEncoders();
    void CarrySegmentState(int32_t FirstStream);
    int32_t ReportedStreamStart(int32_t Segment) const;

    // ---- Encoding ----
    int32_t ReapFilters();
    int32_t ReapStream(TOutputStream* Ost);
    void DoVideoOut(TOutputFile* Of, TOutputStream* Ost, AVFrame* Frame);
    void EncodeVideoCopy(TOutputFile* Of, TOutputStream* Ost, AVFrame* Frame);
    bool ForceKeyFrame(TOutputStream* Ost, AVFrame* Frame);
    void DoAudioOut(TOutputFile* Of, TOutputStream* Ost, AVFrame* Frame);
    int32_t TranscodeSubtitles(TInputStream* Ist, const AVPacket* Packet);
    void DoSubtitleOut(TOutputFile* Of, TOutputStream* Ost, const AVSubtitle* Subtitle);
    // Sends Frame (nil to drain) and writes every packet that comes out.
    int32_t EncodeFrame(TOutputFile* Of, TOutputStream* Ost, AVFrame* Frame, const char* Failure);
    void DoStreamCopy(TInputStream* Ist, TOutputStream* Ost, const AVPacket* Packet);
    void FlushEncoders();
    bool CheckOutputConstraints(TInputStream* Ist, TOutputStream* Ost);
    bool CheckRecordingTime(TOutputStream* Ost);
    void CloseOutputStream(TOutputStream* Ost);
    void CallAudioHook(const TJobAudioHook& Hook, const AVFrame* Frame, int64_t PtsUs);

    // ---- Muxing and progress ----
    void WriteFrame(AVFormatContext* Context, AVPacket* Packet, TOutputStream* Ost);
    void ClipDts(AVFormatContext* Context, AVPacket* Packet, TOutputStream* Ost);
    void InterleavedWrite(AVFormatContext* Context, AVPacket* Packet, TOutputStream* Ost);
    // One progress report: the log line, the "progress" text and the values of the event.
    struct TReport {
        std::string Line, Progress;
        int32_t FrameNumber = -1;
        int32_t Fps = -1;
        float Quality = -1;
        double BitRate = -1;
        int64_t Time = 0; // the furthest stream, microseconds
        int64_t EventTime = 0; // the last reported stream, microseconds
    };
    void PrintReport(int32_t Segment, bool Last, int64_t Now, int64_t TimerStart);
    void ReportStreams(int32_t Segment, bool Last, double Seconds, TReport& Report);
    void ReportFirstVideo(const TOutputStream* Ost, bool Last, double Seconds, TReport& Report);
    void ReportTotals(int64_t TotalSize, TReport& Report);
    void ReportSummary(int64_t TotalSize);
    void RateEmulate(TInputStream* Ist);
    void ReadQualityStats(TOutputStream* Ost, const AVPacket* Packet);
    void DoVideoStats(TOutputStream* Ost, int32_t FrameSize);
    void AppendQualityReport(const TOutputStream* Ost, bool Last, std::string& Line, std::string& Progress);
    // From here on writes ignore the abort flag, so a stopped run still ends its files.
    void BeginFinishing();

    TOutputFile* FileOf(const TOutputStream* Ost) const { return job_.OutputFile(Ost->FileIndex); }
    TOutputStreamState& StateOf(const TOutputStream* Ost);
    [[noreturn]] void Fatal(const std::string& Text) { job_.RaiseError(Text); }

    TCustomFFmpeg& job_;
    TVideoHooks& hooks_; // the job's: its plug-ins and preview outlive the run
    TTranscodeTotals totals_;
    std::map<TFilterGraph*, std::unique_ptr<TFilterChain>, std::less<>> chains_;
    std::vector<TOutputStreamState> streamStates_;
    std::vector<TOutputStream*> openEncoders_;
    std::vector<TInputStream*> openDecoders_;
    std::set<const TInputStream*> drained_; // decoders that gave their last frame
    std::set<const TOutputStream*> flushed_; // encoders that were drained
    std::set<const TOutputStream*> segmentDone_;
    std::vector<TDictionaryPtr> savedOptions_; // encoder options of the first join segment
    std::vector<int> savedMaxBFrames_;
    TPacketPtr packet_;
    TPacketPtr encoded_;
    TReportThrottle reportThrottle_;
    int32_t qpHistogram_[52] = {};
    FILE* vstats_ = nullptr;
    uint8_t* subtitleBuffer_ = nullptr; // one encode buffer for every subtitle
    bool headersWritten_ = false;
};

// Runs a job's transcode; the job's Transcode stage calls it.
void TranscodeJob(TCustomFFmpeg& Job);

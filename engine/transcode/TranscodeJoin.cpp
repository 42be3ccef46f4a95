// Join segments: the inputs are read one after another into one output,
// each feeding its own set of output streams. At the end of an input its
// segment is drained, the encoders start afresh (FFmpeg 5.1 cannot reopen
// an encoder) and the next input continues where the segment ended.

#include <algorithm>

#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/transcode/Transcoder.h"
#include "platform/core/Types.h"

void TTranscoder::UpdateSegmentRange()
{
    if (job_.JoinMode) {
        job_.FirstActiveStream = job_.SegmentIndex * job_.JoinStreamCount;
        job_.LastActiveStream = job_.FirstActiveStream + job_.JoinStreamCount - 1;
    } else {
        job_.FirstActiveStream = 0;
        job_.LastActiveStream = job_.OutputStreamCount() - 1;
    }
}

int32_t TTranscoder::ReportedStreamStart(int32_t Segment) const
{
    if (!job_.JoinMode)
        return 0;
    return (Segment < 0 ? job_.InputFileCount() - 1 : Segment) * job_.JoinStreamCount;
}

void TTranscoder::JoinSwitch(int32_t FileIndex)
{
    const TInputFile* file = job_.InputFile(FileIndex);
    for (int32_t s = 0; s < file->NbStreams; ++s) {
        TInputStream* ist = job_.InputStream(file->IstIndex + s);
        if (ist->DecodingNeeded)
            OutputPacket(ist, nullptr);
    }
    ReapFilters();
    {
        TCriticalSectionGuard lock(CodecListLock);
        for (int32_t s = 0; s < file->NbStreams; ++s) {
            TInputStream* ist = job_.InputStream(file->IstIndex + s);
            const auto open = std::find(openDecoders_.begin(), openDecoders_.end(), ist);
            if (open == openDecoders_.end())
                continue;
            av::avcodec_close(ist->DecCtx.get());
            ist->DecoderClosed = 1;
            openDecoders_.erase(open);
        }
    }
    FlushEncoders();
    double end = 0;
    for (int32_t i = job_.FirstActiveStream; i <= job_.LastActiveStream; ++i) {
        const TOutputStream* ost = job_.OutputStream(i);
        const TOutputStreamState& state = StateOf(ost);
        if (state.Written)
            end = std::max(end, state.MuxDts * av_q2d(ost->St->time_base));
        segmentDone_.insert(ost);
    }
    ++job_.SegmentIndex;
    UpdateSegmentRange();
    ReopenEncoders();
    CarrySegmentState(job_.FirstActiveStream);
    job_.InputFiles[FileIndex + 1]->TsOffset += Round(1e6L * end);
}

void TTranscoder::ReopenEncoders()
{
    const int32_t first = job_.FirstActiveStream;
    for (int32_t i = 0; i < job_.JoinStreamCount; ++i) {
        TOutputStream* owner = job_.OutputStream(i);
        if (!owner->EncodingNeeded)
            continue;
        TCodecContextPtr fresh(av::avcodec_alloc_context3(owner->Enc));
        if (!fresh || av::av_opt_copy(fresh.get(), owner->EncCtx) < 0)
            Fatal("Error allocating the encoder context.");
        fresh->codec_tag = owner->EncCtx->codec_tag;
        fresh->max_b_frames = savedMaxBFrames_[i];
        {
            TCriticalSectionGuard lock(CodecListLock);
            std::erase(openEncoders_, owner);
        }
        av::av_freep(&owner->EncCtx->stats_in);
        owner->OwnEncoder(std::move(fresh));
        for (int32_t s = i + job_.JoinStreamCount; s < job_.OutputStreamCount(); s += job_.JoinStreamCount)
            job_.OutputStream(s)->EncCtx = owner->EncCtx;
        owner->Opts.reset();
        av::av_dict_copy(InOut(owner->Opts), savedOptions_[i].get(), 0);
        TOutputStream* segment = job_.OutputStream(first + i);
        if (ConfigureEncoder(segment) < 0)
            Fatal("Error configuring the encoder for the next joined input.");
        std::string error;
        if (OpenEncoder(owner, segment, error) < 0)
            Fatal(error);
    }
}

void TTranscoder::CarrySegmentState(int32_t FirstStream)
{
    for (int32_t i = FirstStream; i < FirstStream + job_.JoinStreamCount; ++i) {
        TOutputStream* ost = job_.OutputStream(i);
        const TOutputStream* previous = job_.OutputStream(i - job_.JoinStreamCount);
        ost->FrameNumber = previous->FrameNumber;
        ost->SyncOpts = previous->SyncOpts;
        ost->LastPts = previous->LastPts;
        ost->LastDts = previous->LastDts;
        StateOf(ost) = StateOf(previous);
    }
}

// What the job's records free when they go, and the job's rules for dropping
// them: a join segment lets go of what it borrows from output 0 first.

#include "engine/transcode/TranscodeRecords.h"

#include "engine/UnicodeProtocol.h"
#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVFilterStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/options/FFmpegOpt.h"
#include "engine/options/OutputFileSupport.h"

void TFrameFree::operator()(AVFrame* Frame) const { av::av_frame_free(&Frame); }

void TPacketFree::operator()(AVPacket* Packet) const { av::av_packet_free(&Packet); }

void TCodecContextFree::operator()(AVCodecContext* Context) const { av::avcodec_free_context(&Context); }

void TBitstreamFilterFree::operator()(AVBSFContext* Chain) const { av::av_bsf_free(&Chain); }

void TFilterGraphFree::operator()(AVFilterGraph* Graph) const { av::avfilter_graph_free(&Graph); }

void TFileClose::operator()(FILE* File) const { std::fclose(File); }

TInputStream::~TInputStream()
{
    av::av_dict_free(&Opts);
    av::avsubtitle_free(&PrevSub.Subtitle);
}

TInputFile::~TInputFile()
{
    // A record that never got its file has nothing to close.
    if (Ctx)
        CloseInputFile(&Ctx);
}

TOutputStream::~TOutputStream()
{
    av::av_expr_free(ForcedKeyFramesPexpr);
    av::av_dict_free(&Opts);
    av::av_dict_free(&SwrOpts);
    av::av_dict_free(&ResampleOpts);
    av::avcodec_free_context(&EncCtx);
}

void TOutputStream::ForgetBorrowed()
{
    EncCtx = nullptr;
    Opts = SwrOpts = ResampleOpts = nullptr;
}

TOutputFile::~TOutputFile()
{
    CloseOutputContext(Ctx);
    av::av_dict_free(&Opts);
}

void TOutputFile::ForgetBorrowed()
{
    Ctx = nullptr;
    Opts = nullptr;
}

void TCustomFFmpegOpt::DropOutputStreams(int32_t First)
{
    for (int32_t i = First; i < OutputStreamCount(); ++i)
        if (IsJoinSegment(OutputStream(i)->FileIndex))
            OutputStream(i)->ForgetBorrowed();
    if (First < OutputStreamCount())
        OutputStreams.resize(First);
}

void TCustomFFmpegOpt::DropOutputFiles(int32_t First)
{
    for (int32_t i = First; i < OutputFileCount(); ++i)
        if (IsJoinSegment(i))
            OutputFile(i)->ForgetBorrowed();
    // Last to first, as the outputs were opened.
    while (OutputFileCount() > First)
        OutputFiles.pop_back();
}

void TCustomFFmpegOpt::ReleaseFilesAndStreams()
{
    FilterGraphs.clear();

    DropOutputStreams(0);
    DropOutputFiles(0);
    InputFiles.clear();
    InputStreams.clear();
    JoinMode = false;
    JoinStreamCount = 0;
}

// Releasing output streams, output files, input files and streams and the
// filter graphs of a job.

#include "engine/UnicodeProtocol.h"
#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVFilterStubs.h"
#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/options/FFmpegOpt.h"
#include "engine/options/OutputFileSupport.h"
#include "platform/core/Files.h"

TInputStream::~TInputStream()
{
    av::av_frame_free(&DecodedFrame);
    av::av_dict_free(&Opts);
    av::avsubtitle_free(&PrevSub.Subtitle);
    av::av_frame_free(&Sub2Video.Ref);
    av::avcodec_free_context(&DecCtx);
}

TInputFile::~TInputFile()
{
    // A record that never got its file has nothing to close.
    if (Ctx)
        CloseInputFile(&Ctx);
}

TOutputStream::~TOutputStream()
{
    av::av_bsf_free(&BitstreamFilters);
    av::av_frame_free(&FilteredFrame);
    av::av_expr_free(ForcedKeyFramesPexpr);
    if (Logfile)
        std::fclose(Logfile);
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

void CloseOutputContext(AVFormatContext*& Context)
{
    if (!Context)
        return;
    if (!(Context->oformat->flags & AVFMT_NOFILE) && Context->pb) {
        CloseOutputIO(&Context->pb);
        const std::string fileName = FromFFmpegFileName(Context->url);
        if (FileSizeOf(fileName) == 0)
            DeleteFile(fileName);
    }
    av::avformat_free_context(Context);
    Context = nullptr;
}

void AbandonOutput(TCustomFFmpegOpt& Job, AVFormatContext*& Context, int32_t FirstStream, int32_t FirstFile)
{
    for (int32_t i = FirstStream; i < Job.OutputStreamCount(); ++i) {
        const TOutputStream* stream = Job.OutputStream(i);
        for (const auto& graph : Job.FilterGraphs)
            for (const auto& output : graph->Outputs)
                if (output->Ost == stream)
                    output->Ost = nullptr;
    }
    Job.DropOutputStreams(FirstStream);
    // Once listed, the output's record closes the context it names.
    if (FirstFile < Job.OutputFileCount() && Job.OutputFile(FirstFile)->Ctx == Context)
        Context = nullptr;
    Job.DropOutputFiles(FirstFile);
    CloseOutputContext(Context);
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

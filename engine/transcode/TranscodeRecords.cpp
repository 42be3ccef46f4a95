// What the job's records take, and the job's rules for dropping them.

#include "engine/transcode/TranscodeRecords.h"

#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/options/FFmpegOpt.h"

TInputStream::~TInputStream() { av::avsubtitle_free(&PrevSub.Subtitle); }

TOutputStream::~TOutputStream() { av::av_expr_free(ForcedKeyFramesPexpr); }

void TOutputStream::OwnEncoder(TCodecContextPtr Context)
{
    OwnEncCtx = std::move(Context);
    EncCtx = OwnEncCtx.get();
}

void TOutputFile::OwnContext(TOutputContextPtr Context)
{
    OwnCtx = std::move(Context);
    Ctx = OwnCtx.get();
}

void TCustomFFmpegOpt::DropOutputStreams(int32_t First)
{
    if (First < OutputStreamCount())
        OutputStreams.resize(First);
}

void TCustomFFmpegOpt::DropOutputFiles(int32_t First)
{
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

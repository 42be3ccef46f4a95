// Joining the inputs of a job into one output: one segment of output
// streams per further input, all written into the context of output 0.

#include <cstring>

#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/options/FFmpegOpt.h"
#include "engine/options/OutputFileSupport.h"
#include "platform/core/Strings.h"

namespace {

// A segment stream: the template's settings, sharing its FFmpeg stream and
// encoder, with options, texts and filter chain of its own. The options are
// copies: opening the encoder replaces the template's.
TOutputStream* CopySegmentStream(TCustomFFmpegOpt& Job, const TOutputStream* Template, int32_t FileIndex)
{
    TOutputStream* copy = Job.OutputStreams.emplace_back(std::make_unique<TOutputStream>()).get();
    static_cast<TOutputStreamFields&>(*copy) = *Template;
    av::av_dict_copy(InOut(copy->Opts), Template->Opts.get(), 0);
    av::av_dict_copy(InOut(copy->SwrOpts), Template->SwrOpts.get(), 0);
    av::av_dict_copy(InOut(copy->ResampleOpts), Template->ResampleOpts.get(), 0);
    copy->FileIndex = FileIndex;
    copy->SourceIndex = -1;
    copy->SyncIst = nullptr;
    copy->ForcedKfPts.clear();
    copy->ForcedKeyFramesPexpr = nullptr;
    copy->Filter = nullptr;
    return copy;
}

// The input stream becomes the source of the first segment stream of its
// type that has none yet.
void AssignSource(TCustomFFmpegOpt& Job, int32_t FirstStream, int32_t Count, int32_t Source, int32_t Sync)
{
    TInputStream* ist = Job.InputStream(Source);
    for (int32_t i = FirstStream; i < FirstStream + Count; ++i) {
        TOutputStream* ost = Job.OutputStream(i);
        if (ost->SourceIndex >= 0 || ost->St->codecpar->codec_type != ist->St->codecpar->codec_type)
            continue;
        ost->SourceIndex = Source;
        ost->SyncIst = Job.InputStream(Sync);
        ist->Discard = 0;
        ist->St->discard = AVDISCARD_NONE;
        return;
    }
}

// A copy of output 0 whose streams start at FirstStream; its index.
int32_t AppendJoinSegmentFile(TCustomFFmpegOpt& Job, int32_t FirstStream)
{
    TOutputFile* segment = Job.OutputFiles.emplace_back(std::make_unique<TOutputFile>()).get();
    static_cast<TOutputFileFields&>(*segment) = *Job.OutputFile(0);
    segment->OstIndex = FirstStream;
    return Job.OutputFileCount() - 1;
}

bool MappableType(AVMediaType Type)
{
    return Type == AVMEDIA_TYPE_VIDEO || Type == AVMEDIA_TYPE_AUDIO || Type == AVMEDIA_TYPE_DATA ||
        Type == AVMEDIA_TYPE_SUBTITLE || Type == AVMEDIA_TYPE_ATTACHMENT;
}

bool TypeDisabled(const TOptionsContext* Context, AVMediaType Type)
{
    return (Type == AVMEDIA_TYPE_VIDEO && Context->VideoDisable) ||
        (Type == AVMEDIA_TYPE_AUDIO && Context->AudioDisable) ||
        (Type == AVMEDIA_TYPE_SUBTITLE && Context->SubtitleDisable) ||
        (Type == AVMEDIA_TYPE_DATA && Context->DataDisable);
}

} // namespace

int32_t TCustomFFmpegOpt::JoinInputs(TOptionsContext* Context)
{
    JoinStreamCount = static_cast<int32_t>(OutputFile(0)->Ctx->nb_streams);
    for (int32_t k = 1; k < InputFileCount(); ++k) {
        if (AddJoinSegment(Context, k) < 0) {
            JoinStreamCount = 0;
            return -1;
        }
    }
    int64_t total = 0;
    for (int32_t k = 0; k < InputFileCount(); ++k)
        if (InputFiles[k]->Ctx->duration != AV_NOPTS_VALUE)
            total += InputFiles[k]->Ctx->duration;
    Duration = total == 0 ? -1 : total;
    return 0;
}

int32_t TCustomFFmpegOpt::AddJoinSegment(TOptionsContext* Context, int32_t InputFileIndex)
{
    const int32_t count = JoinStreamCount;
    const int32_t firstStream = OutputStreamCount();
    const int32_t segmentFile = AppendJoinSegmentFile(*this, firstStream);
    AVFormatContext* output = OutputFile(0)->Ctx;
    for (int32_t i = 0; i < count; ++i) {
        TOutputStream* copy = CopySegmentStream(*this, OutputStream(i), segmentFile);
        const char* filters = nullptr;
        MatchStreamOption(Context->BitstreamFilters, output, copy->St, filters);
        AVBSFContext* chain = nullptr;
        if (filters && *filters && av::av_bsf_list_parse_str(filters, &chain) < 0)
            RaiseErrorFmt("Unknown bitstream filter \"%s\"", filters);
        copy->BitstreamFilters.reset(chain);
    }

    const TInputFile* file = InputFile(InputFileIndex);
    if (!Context->StreamMaps.empty()) {
        for (const TStreamMap& map : Context->StreamMaps) {
            if (map.Disabled || !map.LinkLabel.empty() || map.FileIndex != InputFileIndex)
                continue;
            const int32_t source = file->IstIndex + map.StreamIndex;
            const AVMediaType type = InputStreams[source]->St->codecpar->codec_type;
            if (TypeDisabled(Context, type))
                continue;
            if (!MappableType(type)) {
                LastErrorText = Format("Cannot map stream #%d:%d - unsupported type.", map.FileIndex, map.StreamIndex);
                Logger()->Log(this, llError, LastErrorText);
                return -1;
            }
            AssignSource(*this, firstStream, count, source,
                         InputFiles[map.SyncFileIndex]->IstIndex + map.SyncStreamIndex);
        }
    } else {
        const TAutoSelection selection = SelectStreamsAutomatically(*this, Context, output, InputFileIndex);
        for (const int32_t source : {selection.Video, selection.Audio, selection.Subtitle})
            if (source >= 0)
                AssignSource(*this, firstStream, count, source, source);
    }

    for (int32_t i = firstStream; i < firstStream + count; ++i) {
        if (OutputStream(i)->SourceIndex >= 0)
            continue;
        LastErrorText = "Cannot join files with diffrent steams state";
        Logger()->Log(this, llError, LastErrorText);
        return -1;
    }
    return segmentFile;
}

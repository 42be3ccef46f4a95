// Opening an output file of a job: the output context, the streams chosen
// by "map" or automatically, attachments, "t"/"to", metadata, chapters and
// the muxer options.

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "engine/UnicodeProtocol.h"
#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVFilterStubs.h"
#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/options/FFmpegOpt.h"
#include "engine/options/OutputFileSupport.h"
#include "engine/transcode/TranscodeUtils.h"
#include "platform/core/Strings.h"

namespace {

// Undoes a failed opening: drops the output streams from FirstStream on
// (unbinding the filter outputs that fed them) and the output-file records
// from FirstFile on.
void AbandonOutput(TCustomFFmpegOpt& Job, int32_t FirstStream, int32_t FirstFile)
{
    for (int32_t i = FirstStream; i < Job.OutputStreamCount(); ++i) {
        const TOutputStream* stream = Job.OutputStream(i);
        for (const auto& graph : Job.FilterGraphs)
            for (const auto& output : graph->Outputs)
                if (output->Ost == stream)
                    output->Ost = nullptr;
    }
    Job.DropOutputStreams(FirstStream);
    Job.DropOutputFiles(FirstFile);
}

// An output being opened: released again unless the opening succeeds. It
// owns the context until the output's record takes it, and closes it last.
class TOpeningOutput {
public:
    explicit TOpeningOutput(TCustomFFmpegOpt& Job)
        : job(Job), firstStream(Job.OutputStreamCount()), firstFile(Job.OutputFileCount())
    {}
    TOpeningOutput(const TOpeningOutput&) = delete;
    TOpeningOutput& operator=(const TOpeningOutput&) = delete;
    ~TOpeningOutput()
    {
        if (!kept)
            AbandonOutput(job, firstStream, firstFile);
    }
    int32_t Fail(const std::string& Message)
    {
        job.LastErrorText = Message;
        Logger()->Log(&job, llError, Message);
        return -1;
    }
    TCustomFFmpegOpt& job;
    TOutputContextPtr owned;
    AVFormatContext* context = nullptr; // the context being filled, owned here or by the record
    const int32_t firstStream;
    const int32_t firstFile;
    bool kept = false;
};

constexpr uint32_t AttachedPictureTag = MKTAG('A', 'P', 'I', 'C');

bool InChosenFile(const TInputStream* Stream, int32_t OnlyFile)
{
    return OnlyFile < 0 || Stream->FileIndex == OnlyFile;
}

bool TypeDisabled(const TOptionsContext* Context, AVMediaType Type)
{
    switch (Type) {
    case AVMEDIA_TYPE_VIDEO: return Context->VideoDisable;
    case AVMEDIA_TYPE_AUDIO: return Context->AudioDisable;
    case AVMEDIA_TYPE_SUBTITLE: return Context->SubtitleDisable;
    case AVMEDIA_TYPE_DATA: return Context->DataDisable;
    default: return false;
    }
}

int32_t LargestVideo(TCustomFFmpegOpt& Job, const AVOutputFormat* Format, int32_t OnlyFile)
{
    const int query = av::avformat_query_codec(Format, Format->video_codec, 0);
    const bool onlyPictures = static_cast<uint32_t>(query) == AttachedPictureTag;
    int64_t area = 0;
    int32_t chosen = -1;
    for (int32_t i = 0; i < Job.InputStreamCount(); ++i) {
        const TInputStream* ist = Job.InputStream(i);
        const AVCodecParameters* par = ist->St->codecpar;
        if (!InChosenFile(ist, OnlyFile) || par->codec_type != AVMEDIA_TYPE_VIDEO)
            continue;
        const bool picture = ist->St->disposition & AV_DISPOSITION_ATTACHED_PIC;
        const int64_t streamArea = !onlyPictures && picture ? 1 : int64_t(par->width) * par->height;
        if (streamArea <= area || (onlyPictures && !picture))
            continue;
        area = streamArea;
        chosen = i;
    }
    return chosen;
}

int32_t MostChannels(TCustomFFmpegOpt& Job, int32_t OnlyFile)
{
    int32_t channels = 0;
    int32_t chosen = -1;
    for (int32_t i = 0; i < Job.InputStreamCount(); ++i) {
        const TInputStream* ist = Job.InputStream(i);
        const AVCodecParameters* par = ist->St->codecpar;
        if (!InChosenFile(ist, OnlyFile) || par->codec_type != AVMEDIA_TYPE_AUDIO)
            continue;
        if (par->ch_layout.nb_channels <= channels)
            continue;
        channels = par->ch_layout.nb_channels;
        chosen = i;
    }
    return chosen;
}

int32_t FirstSubtitle(TCustomFFmpegOpt& Job, int32_t OnlyFile)
{
    for (int32_t i = 0; i < Job.InputStreamCount(); ++i) {
        const TInputStream* ist = Job.InputStream(i);
        if (InChosenFile(ist, OnlyFile) && ist->St->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE)
            return i;
    }
    return -1;
}

// The text after the last '/', else after the last '\', else the whole name.
const char* AttachmentTagName(const char* Name)
{
    const char* slash = std::strrchr(Name, '/');
    if (!slash)
        slash = std::strrchr(Name, '\\');
    return slash ? slash + 1 : Name;
}

AVMediaType PadType(const TOutputFilter* Filter)
{
    return av::avfilter_pad_get_type(Filter->OutTmp->filter_ctx->output_pads, Filter->OutTmp->pad_idx);
}

// Unlabelled outputs of complex graphs become streams of this output and
// keep automatic selection from adding one of their type.
void MapComplexFilterOutputs(TCustomFFmpegOpt& Job, TOptionsContext* Context, AVFormatContext* Output)
{
    for (const auto& graph : Job.FilterGraphs) {
        for (const auto& output : graph->Outputs) {
            TOutputFilter* filter = output.get();
            if (filter->Ost || !filter->OutTmp || filter->OutTmp->name)
                continue;
            switch (PadType(filter)) {
            case AVMEDIA_TYPE_VIDEO: Context->VideoDisable = 1; break;
            case AVMEDIA_TYPE_AUDIO: Context->AudioDisable = 1; break;
            case AVMEDIA_TYPE_SUBTITLE: Context->SubtitleDisable = 1; break;
            default: break;
            }
            Job.InitOutputFilter(filter, Context, Output);
        }
    }
}

bool MapLinkLabel(TCustomFFmpegOpt& Job, TOpeningOutput& Out, TOptionsContext* Context, const char* Label)
{
    for (const auto& graph : Job.FilterGraphs) {
        for (const auto& output : graph->Outputs) {
            TOutputFilter* filter = output.get();
            if (filter->Ost || !filter->OutTmp || !filter->OutTmp->name ||
                std::strcmp(filter->OutTmp->name, Label) != 0)
                continue;
            Job.InitOutputFilter(filter, Context, Out.context);
            return true;
        }
    }
    Out.Fail(Format("Output with label \"%s\" does not exist in any defined filter graph, or was already used "
                    "elsewhere.",
                    Label));
    return false;
}

// A new output stream of the input stream's type, or nil for a type that
// cannot be mapped.
TOutputStream* NewStreamOfType(TCustomFFmpegOpt& Job, TOptionsContext* Context, AVFormatContext* Output,
                               int32_t SourceIndex)
{
    switch (Job.InputStreams[SourceIndex]->St->codecpar->codec_type) {
    case AVMEDIA_TYPE_VIDEO: return Job.NewVideoStream(Context, Output, SourceIndex);
    case AVMEDIA_TYPE_AUDIO: return Job.NewAudioStream(Context, Output, SourceIndex);
    case AVMEDIA_TYPE_SUBTITLE: return Job.NewSubtitleStream(Context, Output, SourceIndex);
    case AVMEDIA_TYPE_DATA: return Job.NewDataStream(Context, Output, SourceIndex);
    case AVMEDIA_TYPE_ATTACHMENT: return Job.NewAttachmentStream(Context, Output, SourceIndex);
    default: return nullptr;
    }
}

bool MapStreams(TCustomFFmpegOpt& Job, TOpeningOutput& Out, TOptionsContext* Context, bool Join)
{
    for (const TStreamMap& map : Context->StreamMaps) {
        if (map.Disabled)
            continue;
        if (!map.LinkLabel.empty()) {
            if (!MapLinkLabel(Job, Out, Context, map.LinkLabel.c_str()))
                return false;
            continue;
        }
        const int32_t source = Job.InputFiles[map.FileIndex]->IstIndex + map.StreamIndex;
        const TInputStream* ist = Job.InputStream(source);
        if ((Join && ist->FileIndex != 0) || TypeDisabled(Context, ist->St->codecpar->codec_type))
            continue;
        TOutputStream* ost = NewStreamOfType(Job, Context, Out.context, source);
        if (!ost) {
            Out.Fail(Format("Cannot map stream #%d:%d - unsupported type.", map.FileIndex, map.StreamIndex));
            return false;
        }
        ost->SyncIst = Job.InputStream(Job.InputFiles[map.SyncFileIndex]->IstIndex + map.SyncStreamIndex);
    }
    return true;
}

bool AddAttachment(TCustomFFmpegOpt& Job, TOpeningOutput& Out, TOptionsContext* Context, const char* Name)
{
    Job.ReadStartTime = av::av_gettime();
    AVIOContext* in = nullptr;
    if (OpenOutputIO(&in, ToFFmpegFileName(Name).c_str(), AVIO_FLAG_READ, &Job.ReadInterruptCallback, nullptr) < 0) {
        Out.Fail(Format("Could not open attachment file %s.", Name));
        return false;
    }
    const int64_t size = av::avio_size(in);
    if (size <= 0) {
        CloseOutputIO(&in);
        Out.Fail(Format("Could not get size of the attachment %s.", Name));
        return false;
    }
    auto* data = size < INT32_MAX - AV_INPUT_BUFFER_PADDING_SIZE
        ? static_cast<uint8_t*>(av::av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE))
        : nullptr;
    if (!data) {
        CloseOutputIO(&in);
        Out.Fail(Format("Attachment %s too large to fit into memory.", Name));
        return false;
    }
    Job.ReadStartTime = av::av_gettime();
    av::avio_read(in, data, static_cast<int>(size));
    CloseOutputIO(&in);

    TOutputStream* ost = nullptr;
    try {
        ost = Job.NewAttachmentStream(Context, Out.context, -1);
    } catch (...) {
        av::av_free(data);
        throw;
    }
    ost->StreamCopy = 0;
    ost->Finished = 1;
    ost->AttachmentFilename = Name;
    AVCodecParameters* par = ost->St->codecpar;
    par->extradata = data;
    par->extradata_size = static_cast<int>(size);
    av::av_dict_set(&ost->St->metadata, "filename", AttachmentTagName(Name), AV_DICT_DONT_OVERWRITE);
    return true;
}

// A "flags" codec option, for every stream or for the streams its
// specifier matches, also reaches the copied streams and attachments.
bool SetCopyFlags(TCustomFFmpegOpt& Job, TOpeningOutput& Out, TOptionsContext* Context)
{
    const AVDictionaryEntry* flags =
        av::av_dict_get(Context->Group->CodecOpts.get(), "flags", nullptr, AV_DICT_IGNORE_SUFFIX);
    if (!flags)
        return true;
    for (int32_t i = Out.firstStream; i < Job.OutputStreamCount(); ++i) {
        TOutputStream* ost = Job.OutputStream(i);
        if (!ost->StreamCopy && ost->AttachmentFilename.empty())
            continue;
        const bool applies = flags->key[5] == 0 ||
            (flags->key[5] == ':' && MatchStreamSpecifier(Out.context, ost->St, flags->key + 6) == 1);
        if (applies && av::av_opt_set(ost->EncCtx, "flags", flags->value, 0) < 0) {
            Out.Fail("failed to set flags");
            return false;
        }
    }
    return true;
}

// The file a name stands for, with links and "." or ".." resolved; empty for
// names that are not plain files (devices, network addresses, pipes).
std::string ResolvedFilePath(const std::string& Name)
{
    std::string path = FromFFmpegFileName(Name.c_str());
    if (path.rfind("file:", 0) == 0)
        path.erase(0, 5);
    const size_t colon = path.find(':');
    if (path.empty() || (colon != std::string::npos && path.find('/') > colon))
        return std::string();
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return error ? std::string() : resolved.string();
}

// Writing over an input destroys it while it is still being read.
int32_t InputNamedBy(const TCustomFFmpegOpt& Job, const std::string& FileName)
{
    const std::string output = ResolvedFilePath(FileName);
    if (output.empty())
        return -1;
    for (int32_t i = 0; i < Job.InputFileCount(); ++i) {
        const AVFormatContext* input = Job.InputFiles[i]->Ctx.get();
        if (input->iformat->flags & AVFMT_NOFILE)
            continue;
        if (ResolvedFilePath(input->url) == output)
            return i;
    }
    return -1;
}

void ApplyStopTime(TCustomFFmpegOpt& Job, TOptionsContext* Context)
{
    if (Context->StopTime == INT64_MAX)
        return;
    if (Context->RecordingTime != INT64_MAX) {
        Context->StopTime = INT64_MAX;
        Logger()->Log(&Job, llWarning, "-t and -to cannot be used together; using -t.");
    } else if (Context->StopTime <= Context->StartTime) {
        Context->StopTime = INT64_MAX;
        Logger()->Log(&Job, llWarning, "-to value smaller than -ss; ignoring -to.");
    } else {
        Context->RecordingTime = Context->StopTime - Context->StartTime;
    }
}

bool MapMetadata(TCustomFFmpegOpt& Job, TOpeningOutput& Out, TOptionsContext* Context)
{
    for (const TSpecifierOpt& entry : Context->MetadataMaps) {
        char* rest = nullptr;
        const int32_t file = static_cast<int32_t>(std::strtol(entry.Value.Str.c_str(), &rest, 0));
        if (file >= Job.InputFileCount()) {
            Out.Fail(Format("Invalid input file index %d while processing metadata maps", file));
            return false;
        }
        const char* inputSpec = *rest ? rest + 1 : rest;
        AVFormatContext* input = file >= 0 ? Job.InputFiles[file]->Ctx.get() : nullptr;
        if (Job.CopyMetadata(entry.Specifier.c_str(), inputSpec, Context, Out.context, input) < 0)
            return false;
    }
    return true;
}

bool MapChapters(TCustomFFmpegOpt& Job, TOpeningOutput& Out, TOptionsContext* Context, TOutputFile* File)
{
    if (Context->ChaptersInputFile >= Job.InputFileCount()) {
        if (Context->ChaptersInputFile != INT32_MAX) {
            Out.Fail(Format("Invalid input file index %d in chapter mapping.", Context->ChaptersInputFile));
            return false;
        }
        Context->ChaptersInputFile = -1;
        for (int32_t i = 0; i < Job.InputFileCount() && Context->ChaptersInputFile < 0; ++i)
            if (Job.InputFiles[i]->Ctx->nb_chapters)
                Context->ChaptersInputFile = i;
    }
    if (Context->ChaptersInputFile < 0)
        return true;
    const int32_t result =
        CopyChapters(Job.InputFile(Context->ChaptersInputFile), File, !Context->MetadataChaptersManual);
    if (result < 0)
        Out.Fail(GetErrorText(Out.context->url, result));
    return result >= 0;
}

void CopyDefaultMetadata(TCustomFFmpegOpt& Job, TOptionsContext* Context, AVFormatContext* Output, int32_t FirstStream)
{
    if (!Context->MetadataGlobalManual && Job.InputFileCount() > 0) {
        av::av_dict_copy(&Output->metadata, Job.InputFiles[0]->Ctx->metadata, AV_DICT_DONT_OVERWRITE);
        if (Context->RecordingTime != INT64_MAX)
            av::av_dict_set(&Output->metadata, "duration", nullptr, 0);
        av::av_dict_set(&Output->metadata, "creation_time", nullptr, 0);
    }
    if (Context->MetadataStreamsManual)
        return;
    for (int32_t i = FirstStream; i < Job.OutputStreamCount(); ++i) {
        TOutputStream* ost = Job.OutputStream(i);
        if (ost->SourceIndex < 0)
            continue;
        av::av_dict_copy(&ost->St->metadata, Job.InputStreams[ost->SourceIndex]->St->metadata, AV_DICT_DONT_OVERWRITE);
    }
}

bool SetMetadataEntry(TCustomFFmpegOpt& Job, TOpeningOutput& Out, const TSpecifierOpt& Entry)
{
    AVFormatContext* oc = Out.context;
    const char* text = Entry.Value.Str.c_str();
    const char* equals = std::strchr(text, '=');
    if (!equals) {
        Out.Fail(Format("No \"=\" character in metadata string %s.", text));
        return false;
    }
    const std::string key(text, equals - text);
    const char* value = *(equals + 1) ? equals + 1 : nullptr;
    char type = 'g';
    const char* streamSpec = "";
    int32_t index = 0;
    if (Job.ParseMetaType(Entry.Specifier.c_str(), type, streamSpec, index) < 0)
        return false;
    switch (type) {
    case 's':
        for (unsigned i = 0; i < oc->nb_streams; ++i) {
            const int32_t match = MatchStreamSpecifier(oc, oc->streams[i], streamSpec);
            if (match < 0) {
                Out.Fail(GetErrorText("check_stream_specifier", match));
                return false;
            }
            if (match > 0)
                av::av_dict_set(&oc->streams[i]->metadata, key.c_str(), value, 0);
        }
        return true;
    case 'c':
        if (index < 0 || static_cast<unsigned>(index) >= oc->nb_chapters) {
            Out.Fail(Format("Invalid chapter index %d in metadata specifier.", index));
            return false;
        }
        av::av_dict_set(&oc->chapters[index]->metadata, key.c_str(), value, 0);
        return true;
    case 'g': av::av_dict_set(&oc->metadata, key.c_str(), value, 0); return true;
    default: Out.Fail(Format("Invalid metadata specifier %s.", Entry.Specifier.c_str())); return false;
    }
}

// The record of an output being opened, appended to the job's list.
TOutputFile* AppendOutputFile(TCustomFFmpegOpt& Job, TOptionsContext* Context, TOutputContextPtr Output)
{
    TOutputFile* file = Job.OutputFiles.emplace_back(std::make_unique<TOutputFile>()).get();
    file->OwnContext(std::move(Output));
    av::av_dict_copy(InOut(file->Opts), Context->Group->FormatOpts.get(), 0);
    file->OstIndex = Job.OutputStreamCount() - static_cast<int32_t>(file->Ctx->nb_streams);
    file->RecordingTime = Context->RecordingTime;
    file->StartTime = Context->StartTime;
    file->LimitFilesize = static_cast<uint64_t>(Context->LimitFileSize);
    file->Shortest = Context->Shortest;
    if (Context->RecordingTime != INT64_MAX)
        file->Ctx->duration = Context->RecordingTime;
    return file;
}

} // namespace

TAutoSelection SelectStreamsAutomatically(TCustomFFmpegOpt& Job, TOptionsContext* Context, AVFormatContext* Output,
                                          int32_t OnlyFile)
{
    TAutoSelection selection;
    const AVOutputFormat* format = Output->oformat;
    if (!Context->VideoDisable && format->video_codec != AV_CODEC_ID_NONE)
        selection.Video = LargestVideo(Job, format, OnlyFile);
    if (!Context->AudioDisable && format->audio_codec != AV_CODEC_ID_NONE)
        selection.Audio = MostChannels(Job, OnlyFile);
    const char* subtitleCodec = nullptr;
    TCustomFFmpegOpt::MatchTypeCodecName(Context, Output, "s", subtitleCodec);
    if (!Context->SubtitleDisable && (format->subtitle_codec != AV_CODEC_ID_NONE || subtitleCodec))
        selection.Subtitle = FirstSubtitle(Job, OnlyFile);
    return selection;
}

int32_t TCustomFFmpegOpt::OpenOutputFile(TOptionsContext* Context, const std::string& Options, bool Join,
                                         const std::string& FileName, const std::string& Presets)
{
    const int32_t parsed = ParseOptions(Context, Options, "output file", Presets);
    if (parsed < 0)
        return parsed;
    TOpeningOutput out(*this);
    if (JoinMode || (Join && InputFileCount() > 1 && OutputFileCount() > 0))
        return out.Fail("Cannot join more than one output file.");
    const bool join = Join && InputFileCount() > 1;
    if (const int32_t input = InputNamedBy(*this, FileName); input >= 0)
        return out.Fail(Format("Output %s same as Input #%d - exiting", FileName.c_str(), input));
    if (ConfigureComplexFilters() < 0)
        return out.Fail("Error configuring filters.");

    const std::string ffmpegName = ToFFmpegFileName(FileName);
    int result = av::avformat_alloc_output_context2(
        InOut(out.owned), nullptr, Context->Format ? Context->Format->c_str() : nullptr, ffmpegName.c_str());
    if (result < 0 || !out.owned)
        return out.Fail(GetErrorText(FileName, result < 0 ? result : AVERROR(ENOMEM)));
    AVFormatContext* oc = out.context = out.owned.get();
    oc->interrupt_callback = WriteInterruptCallback;
    if (IsUnicodeName(ffmpegName.c_str()))
        InstallUnicodeIO(oc);
    if (Context->RecordingTime != INT64_MAX && Context->RecordingTime > Duration)
        Duration = Context->RecordingTime;

    MapComplexFilterOutputs(*this, Context, oc);
    if (Context->StreamMaps.empty()) {
        const TAutoSelection selection = SelectStreamsAutomatically(*this, Context, oc, join ? 0 : -1);
        if (selection.Video >= 0)
            NewVideoStream(Context, oc, selection.Video);
        if (selection.Audio >= 0)
            NewAudioStream(Context, oc, selection.Audio);
        if (selection.Subtitle >= 0)
            NewSubtitleStream(Context, oc, selection.Subtitle);
    } else if (!MapStreams(*this, out, Context, join)) {
        return -1;
    }
    for (const std::string& attachment : Context->Attachments)
        if (!AddAttachment(*this, out, Context, attachment.c_str()))
            return -1;
    if (!SetCopyFlags(*this, out, Context))
        return -1;
    ApplyStopTime(*this, Context);

    TOutputFile* file = AppendOutputFile(*this, Context, std::move(out.owned));

    if ((oc->oformat->flags & AVFMT_NEEDNUMBER) && !av::av_filename_number_test(oc->url))
        return out.Fail(GetErrorText(FileName, AVERROR(EINVAL)));
    if (!(oc->oformat->flags & AVFMT_NOFILE)) {
        WriteStartTime = av::av_gettime();
        result = OpenOutputIO(&oc->pb, oc->url, AVIO_FLAG_WRITE, &oc->interrupt_callback, InOut(file->Opts));
        if (result < 0)
            return out.Fail(GetErrorText(FileName, result));
    }
    if (Context->MuxPreload != 0)
        av::av_dict_set(InOut(file->Opts), "preload",
                        Format("%d", static_cast<int>(Context->MuxPreload * AV_TIME_BASE)).c_str(), 0);
    oc->max_delay = static_cast<int>(Context->MuxMaxDelay * AV_TIME_BASE);

    if (!MapMetadata(*this, out, Context) || !MapChapters(*this, out, Context, file))
        return -1;
    CopyDefaultMetadata(*this, Context, oc, out.firstStream);
    for (const TSpecifierOpt& entry : Context->Metadata)
        if (!SetMetadataEntry(*this, out, entry))
            return -1;

    const int32_t index = OutputFileCount() - 1;
    if (join) {
        if (JoinInputs(Context) < 0)
            return -1;
        JoinMode = true;
    }
    out.kept = true;
    return index;
}

// Codec tags, format choice, format lists, channel-layout guessing and the
// chapter copy of a conversion job.

#include "engine/transcode/TranscodeUtils.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/binding/AVFilterStubs.h"
#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/options/FFmpegOpt.h"
#include "platform/core/Strings.h"

uint32_t CodecTagFromText(const char* Text)
{
    char* next = nullptr;
    const uint32_t number = static_cast<uint32_t>(std::strtol(Text, &next, 0));
    if (*Text && !*next)
        return number;
    uint8_t bytes[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4 && Text[i]; ++i)
        bytes[i] = static_cast<uint8_t>(Text[i]);
    return MakeTag(bytes[0], bytes[1], bytes[2], bytes[3]);
}

namespace {

// The formats the JPEG encoders also take when unofficial extensions are allowed.
constexpr AVPixelFormat MjpegFormats[] = {AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUVJ422P, AV_PIX_FMT_YUV420P,
                                          AV_PIX_FMT_YUV422P, AV_PIX_FMT_NONE};
constexpr AVPixelFormat LjpegFormats[] = {AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUVJ422P, AV_PIX_FMT_YUVJ444P,
                                          AV_PIX_FMT_YUV420P,  AV_PIX_FMT_YUV422P,  AV_PIX_FMT_YUV444P,
                                          AV_PIX_FMT_BGRA,     AV_PIX_FMT_NONE};

const AVPixelFormat* EncoderPixelFormats(const AVCodecContext* Context, const AVCodec* Codec)
{
    if (Context->strict_std_compliance <= FF_COMPLIANCE_UNOFFICIAL) {
        if (Codec->id == AV_CODEC_ID_MJPEG)
            return MjpegFormats;
        if (Codec->id == AV_CODEC_ID_LJPEG)
            return LjpegFormats;
    }
    return Codec->pix_fmts;
}

char* OwnedText(const std::string& Text)
{
    char* result = av::av_strdup(Text.c_str());
    if (!result)
        throw FFmpegException("Could not allocate a format list.");
    return result;
}

template <typename T, typename IsEnd, typename Describe>
char* JoinList(const T* List, IsEnd End, Describe Text, const char* Separator)
{
    std::string text;
    for (const T* item = List; !End(*item); ++item)
        text += Text(*item) + Separator;
    if (text.empty())
        return nullptr;
    text.pop_back();
    return OwnedText(text);
}

std::string LayoutText(uint64_t Mask) { return Format("0x%llx", static_cast<unsigned long long>(Mask)); }

} // namespace

AVPixelFormat ChoosePixelFormat(AVCodecContext* EncoderContext, const AVCodec* Codec, AVPixelFormat Target)
{
    if (!Codec || !Codec->pix_fmts)
        return Target;
    const AVPixelFormat* formats = EncoderPixelFormats(EncoderContext, Codec);
    const AVPixFmtDescriptor* descriptor = av::av_pix_fmt_desc_get(Target);
    const int hasAlpha = descriptor ? descriptor->nb_components % 2 == 0 : 0;
    AVPixelFormat best = AV_PIX_FMT_NONE;
    const AVPixelFormat* format = formats;
    for (; *format != AV_PIX_FMT_NONE; ++format) {
        best = av::av_find_best_pix_fmt_of_2(best, *format, Target, hasAlpha, nullptr);
        if (*format == Target)
            return Target;
    }
    if (Target != AV_PIX_FMT_NONE)
        av::av_log(nullptr, AV_LOG_WARNING,
                   "Incompatible pixel format \"%s\" for codec \"%s\", auto-selecting format \"%s\"\n",
                   av::av_get_pix_fmt_name(Target), Codec->name, av::av_get_pix_fmt_name(best));
    return best;
}

void ChooseSampleFormat(AVCodecContext* EncoderContext, const AVCodec* Codec)
{
    if (!Codec || !Codec->sample_fmts)
        return;
    const AVSampleFormat current = EncoderContext->sample_fmt;
    for (const AVSampleFormat* format = Codec->sample_fmts; *format != AV_SAMPLE_FMT_NONE; ++format)
        if (*format == current)
            return;
    // The sample format table is in enumeration order: a later format is a wider one.
    if ((Codec->capabilities & AV_CODEC_CAP_LOSSLESS) && current != AV_SAMPLE_FMT_NONE &&
        current > Codec->sample_fmts[0])
        av::av_log(nullptr, AV_LOG_ERROR, "Conversion will not be lossless.\n");
    if (const char* name = av::av_get_sample_fmt_name(current))
        av::av_log(nullptr, AV_LOG_WARNING,
                   "Incompatible sample format \"%s\" for codec \"%s\", auto-selecting format \"%s\"\n", name,
                   Codec->name, av::av_get_sample_fmt_name(Codec->sample_fmts[0]));
    EncoderContext->sample_fmt = Codec->sample_fmts[0];
}

char* PixelFormatList(TOutputStream* Stream)
{
    AVCodecContext* context = Stream->EncCtx;
    if (Stream->KeepPixFmt) {
        if (Stream->Filter && Stream->Filter->Graph && Stream->Filter->Graph->Graph)
            av::avfilter_graph_set_auto_convert(Stream->Filter->Graph->Graph, AVFILTER_AUTO_CONVERT_NONE);
        if (context->pix_fmt == AV_PIX_FMT_NONE)
            return nullptr;
        return OwnedText(av::av_get_pix_fmt_name(context->pix_fmt));
    }
    if (context->pix_fmt != AV_PIX_FMT_NONE)
        return OwnedText(av::av_get_pix_fmt_name(ChoosePixelFormat(context, Stream->Enc, context->pix_fmt)));
    if (!Stream->Enc || !Stream->Enc->pix_fmts)
        return nullptr;
    return JoinList(
        EncoderPixelFormats(context, Stream->Enc), [](AVPixelFormat f) { return f == AV_PIX_FMT_NONE; },
        [](AVPixelFormat f) { return std::string(av::av_get_pix_fmt_name(f)); }, ":");
}

char* SampleFormatList(TOutputStream* Stream)
{
    const AVCodecContext* context = Stream->EncCtx;
    if (context->sample_fmt != AV_SAMPLE_FMT_NONE)
        return OwnedText(av::av_get_sample_fmt_name(context->sample_fmt));
    if (!Stream->Enc || !Stream->Enc->sample_fmts)
        return nullptr;
    return JoinList(
        Stream->Enc->sample_fmts, [](AVSampleFormat f) { return f == AV_SAMPLE_FMT_NONE; },
        [](AVSampleFormat f) { return std::string(av::av_get_sample_fmt_name(f)); }, ",");
}

char* SampleRateList(TOutputStream* Stream)
{
    if (Stream->EncCtx->sample_rate != 0)
        return OwnedText(Format("%d", Stream->EncCtx->sample_rate));
    if (!Stream->Enc || !Stream->Enc->supported_samplerates)
        return nullptr;
    return JoinList(
        Stream->Enc->supported_samplerates, [](int rate) { return rate == 0; },
        [](int rate) { return Format("%d", rate); }, ",");
}

char* ChannelLayoutList(TOutputStream* Stream)
{
    const AVChannelLayout& layout = Stream->EncCtx->ch_layout;
    if (layout.order == AV_CHANNEL_ORDER_NATIVE && layout.u.mask != 0)
        return OwnedText(LayoutText(layout.u.mask));
    // A count without a default layout is still a demand; the resampler or the encoder judges it.
    if (layout.nb_channels > 0)
        return OwnedText(Format("%dc", layout.nb_channels));
    if (!Stream->Enc || !Stream->Enc->ch_layouts)
        return nullptr;
    std::string text;
    for (const AVChannelLayout* item = Stream->Enc->ch_layouts; item->nb_channels != 0; ++item)
        if (item->order == AV_CHANNEL_ORDER_NATIVE)
            text += LayoutText(item->u.mask) + ",";
    if (text.empty())
        return nullptr;
    text.pop_back();
    return OwnedText(text);
}

bool GuessInputChannelLayout(TInputStream* Stream, int32_t FileIndex)
{
    AVCodecContext* context = Stream->DecCtx.get();
    if (context->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC)
        return true;
    const int channels = context->ch_layout.nb_channels;
    if (channels <= 0 || channels > Stream->GuessLayoutMax)
        return false;
    av::av_channel_layout_uninit(&context->ch_layout);
    av::av_channel_layout_default(&context->ch_layout, channels);
    if (context->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        return false;
    char name[256];
    av::av_channel_layout_describe(&context->ch_layout, name, sizeof(name));
    av::av_log(nullptr, AV_LOG_WARNING, "Guessed Channel Layout for Input Stream #%d.%d : %s\n", FileIndex,
               Stream->St->index, name);
    return true;
}

int32_t CopyChapters(TInputFile* InputFile, TOutputFile* OutputFile, bool CopyMetadata)
{
    AVFormatContext* input = InputFile->Ctx.get();
    AVFormatContext* output = OutputFile->Ctx;
    if (input->nb_chapters == 0)
        return 0;
    // On failure the old array stays valid (and owned by the output).
    auto* chapters = static_cast<AVChapter**>(
        av::av_realloc_array(output->chapters, input->nb_chapters + output->nb_chapters, sizeof(AVChapter*)));
    if (!chapters)
        return AVERROR(ENOMEM);
    output->chapters = chapters;
    for (unsigned i = 0; i < input->nb_chapters; ++i) {
        const AVChapter* source = input->chapters[i];
        const int64_t offset =
            av::av_rescale_q(OutputFile->StartTime - InputFile->TsOffset, AV_TIME_BASE_Q, source->time_base);
        const int64_t limit = OutputFile->RecordingTime == INT64_MAX
            ? INT64_MAX
            : av::av_rescale_q(OutputFile->RecordingTime, AV_TIME_BASE_Q, source->time_base);
        if (source->end < offset)
            continue;
        if (limit != INT64_MAX && source->start > limit + offset)
            break;
        auto* chapter = static_cast<AVChapter*>(av::av_mallocz(sizeof(AVChapter)));
        if (!chapter)
            return AVERROR(ENOMEM);
        chapter->id = source->id;
        chapter->time_base = source->time_base;
        chapter->start = std::max<int64_t>(0, source->start - offset);
        chapter->end = std::min(limit, source->end - offset);
        if (CopyMetadata)
            av::av_dict_copy(&chapter->metadata, source->metadata, 0);
        output->chapters[output->nb_chapters++] = chapter;
    }
    return 0;
}

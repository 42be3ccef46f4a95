// Opening output files: stream selection, per-stream settings, "t"/"to",
// metadata and chapters, attachments, failures and their clean-up.

#include "engine/tests/FileIOTestSupport.h"

#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVFilterStubs.h"

using namespace io_tests;

namespace {

class OutputFileTest : public FileIOTest {
protected:
    std::string Out(const std::string& name) { return WorkFolder + name; }
};

TEST_F(OutputFileTest, AutomaticSelectionTakesLargestVideoMostChannelsFirstSubtitle)
{
    const struct {
        std::vector<std::string> Inputs;
        const char* Output;
        const char* Options;
        const char* Streams;
    } cases[] = {
        {{AvFile}, "auto.mkv", "", "v:0 a:2 s:3"},
        {{AvFile}, "novideo.mkv", "-vn", "a:2 s:3"},
        {{AvFile}, "audio.wav", "", "a:2"},
        {{AvFile}, "nosub.nut", "", "v:0 a:2"},
        {{AvFile}, "sub.nut", "-scodec srt", "v:0 a:2 s:3"},
        {{VideosFile}, "equal.mkv", "", "v:1"},
        {{CoverFile, SmallVideoFile}, "real-video.mkv", "", "v:2 a:0"},
        {{CoverFile, SmallVideoFile}, "cover.mp3", "", "v:1 a:0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Output);
        TIOJob task;
        for (const std::string& input : c.Inputs)
            ASSERT_GE(task.Input(input), 0);
        ASSERT_EQ(task.Output(Out(c.Output), c.Options), 0) << task.LastErrorText;
        EXPECT_EQ(task.OutputStreamText(), c.Streams);
        EXPECT_EQ(task.OutputFile(0)->OstIndex, 0);
        for (int32_t i = 0; i < task.OutputStreamCount(); ++i) {
            const TOutputStream* ost = task.OutputStream(i);
            EXPECT_EQ(task.InputStream(ost->SourceIndex)->Discard, 0);
            EXPECT_EQ(task.InputStream(ost->SourceIndex)->St->discard, AVDISCARD_NONE);
            EXPECT_EQ(ost->SyncIst, task.InputStream(ost->SourceIndex));
        }
    }
}

TEST_F(OutputFileTest, MapEntriesChooseStreamsInOrder)
{
    const struct {
        const char* Options;
        const char* Streams;
    } cases[] = {
        {"-map 0:a", "a:1 a:2"},
        {"-map 0:s -map 0:v", "s:3 v:0"},
        {"-map 0 -map -0:a", "v:0 s:3"},
        {"-map 0 -an -sn", "v:0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Options);
        TIOJob task;
        ASSERT_EQ(task.Input(AvFile), 0);
        ASSERT_EQ(task.Output(Out("map.mkv"), c.Options), 0) << task.LastErrorText;
        EXPECT_EQ(task.OutputStreamText(), c.Streams);
        EXPECT_EQ(task.InputStream(3)->Discard, std::string(c.Streams).find("s:3") == std::string::npos);
    }
}

TEST_F(OutputFileTest, MapWithSyncStreamAndStreamCopy)
{
    ASSERT_EQ(job.Input(AvFile), 0);
    ASSERT_EQ(job.Output(Out("sync.mkv"), "-map 0:a:1,0:v -c:a copy -ar 8000 -af volume=2"), 0);
    ASSERT_EQ(job.OutputStreamCount(), 1);
    const TOutputStream* ost = job.OutputStream(0);
    EXPECT_EQ(ost->SourceIndex, 2);
    EXPECT_EQ(ost->SyncIst, job.InputStream(0));
    EXPECT_EQ(ost->StreamCopy, 1);
    EXPECT_EQ(ost->Enc, nullptr);
    EXPECT_EQ(ost->AvFilter, "") << "a copied stream reads no audio option";
    EXPECT_EQ(ost->EncCtx->sample_rate, 0);
}

TEST_F(OutputFileTest, VideoStreamSettings)
{
    ASSERT_EQ(job.Input(AvFile), 0);
    ASSERT_EQ(job.Output(Out("settings.mkv"),
                         "-an -sn -c:v mpeg4 -q:v 2 -r 10 -s 32x24 -aspect 4:3 -pix_fmt +yuv420p "
                         "-rc_override 0,100,5/101,200,-50 -tag:v XVID -frames:v 7 -vf hflip"),
              0)
        << job.LastErrorText;
    const TOutputStream* ost = job.OutputStream(0);
    const AVCodecContext* enc = ost->EncCtx;
    EXPECT_STREQ(ost->Enc->name, "mpeg4");
    EXPECT_EQ(ost->St->codecpar->codec_id, AV_CODEC_ID_MPEG4);
    EXPECT_EQ(enc->global_quality, 236);
    EXPECT_TRUE(enc->flags & AV_CODEC_FLAG_QSCALE);
    EXPECT_EQ(ost->FrameRate.num, 10);
    EXPECT_EQ(enc->width, 32);
    EXPECT_EQ(enc->height, 24);
    EXPECT_FLOAT_EQ(ost->FrameAspectRatio, 4.0f / 3.0f);
    EXPECT_EQ(enc->pix_fmt, AV_PIX_FMT_YUV420P);
    EXPECT_EQ(ost->KeepPixFmt, 1);
    ASSERT_EQ(enc->rc_override_count, 2);
    EXPECT_EQ(enc->rc_override[0].qscale, 5);
    EXPECT_FLOAT_EQ(enc->rc_override[0].quality_factor, 1.0f);
    EXPECT_EQ(enc->rc_override[1].start_frame, 101);
    EXPECT_EQ(enc->rc_override[1].qscale, 0);
    EXPECT_FLOAT_EQ(enc->rc_override[1].quality_factor, 0.5f);
    EXPECT_EQ(enc->codec_tag, MKTAG('X', 'V', 'I', 'D'));
    EXPECT_EQ(ost->MaxFrames, 7);
    EXPECT_EQ(ost->AvFilter, "hflip");
    EXPECT_EQ(ost->LastPts, AV_NOPTS_VALUE);
    EXPECT_EQ(ost->CopyPriorStart, -1);
}

TEST_F(OutputFileTest, DefaultsOfEncodedStreams)
{
    ASSERT_EQ(job.Input(AvFile), 0);
    ASSERT_EQ(job.Output(Out("defaults.mp4"), "-sn -pix_fmt +"), 0) << job.LastErrorText;
    const TOutputStream* video = job.OutputStream(0);
    EXPECT_EQ(video->St->codecpar->codec_id, AV_CODEC_ID_H264) << "the codec the container guesses";
    EXPECT_EQ(video->AvFilter, "null");
    EXPECT_EQ(video->KeepPixFmt, 1);
    EXPECT_EQ(video->EncCtx->pix_fmt, AV_PIX_FMT_NONE);
    EXPECT_EQ(video->EncCtx->global_quality, 0);
    EXPECT_TRUE(video->EncCtx->flags & AV_CODEC_FLAG_GLOBAL_HEADER);
    EXPECT_EQ(job.OutputStream(1)->AvFilter, "anull");
    EXPECT_EQ(job.OutputStream(1)->MaxFrames, INT64_MAX);
}

TEST_F(OutputFileTest, FatalStreamSettings)
{
    const struct {
        const char* Options;
        const char* Message;
    } cases[] = {
        {"-c:v nosuchencoder", "Unknown encoder \"nosuchencoder\""},
        {"-c:a mpeg4", "Invalid encoder type \"mpeg4\""},
        {"-intra_matrix 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,33,34,"
         "35,36,37,38,39,40,41,42,43,44,45,46,47,48,49,50,51,52,53,54,55,56,57,58,59,60,61,62,63",
         "Syntax error in matrix \"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,"
         "32,33,34,35,36,37,38,39,40,41,42,43,44,45,46,47,48,49,50,51,52,53,54,55,56,57,58,59,60,61,62,63\" at coeff "
         "62"},
        {"-pix_fmt nosuchformat", "Unknown pixel format requested: nosuchformat."},
        {"-aspect 0:1", "Invalid aspect ratio: 0:1"},
        {"-bsf:v nosuchfilter", "Unknown bitstream filter \"nosuchfilter\""},
        {"-rc_override 1,2", "error parsing rc_override"},
        {"-sample_fmt nosuchformat", "Invalid sample format \"nosuchformat\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Options);
        TIOJob task;
        ASSERT_EQ(task.Input(AvFile), 0);
        try {
            task.Output(Out("fatal.mkv"), c.Options);
            ADD_FAILURE() << "no exception";
        } catch (const FFmpegException& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
        EXPECT_EQ(task.OutputStreamCount(), 0) << "the streams of the failed output are dropped";
        EXPECT_EQ(task.OutputFileCount(), 0);
    }
}

TEST_F(OutputFileTest, StopTimeRules)
{
    const struct {
        const char* Options;
        int64_t RecordingTime;
        const char* Warning;
    } cases[] = {
        {"-t 10 -to 20", 10000000, "-t and -to cannot be used together; using -t."},
        {"-ss 30 -to 20", INT64_MAX, "-to value smaller than -ss; ignoring -to."},
        {"-ss 1 -to 3", 2000000, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Options);
        TIOJob task;
        logLines.clear();
        ASSERT_EQ(task.Input(AvFile), 0);
        ASSERT_EQ(task.Output(Out("time.mkv"), c.Options), 0);
        EXPECT_EQ(task.OutputFile(0)->RecordingTime, c.RecordingTime);
        if (c.RecordingTime != INT64_MAX) {
            EXPECT_EQ(task.OutputFile(0)->Ctx->duration, c.RecordingTime);
        }
        if (c.Warning) {
            EXPECT_TRUE(Logged(llWarning, c.Warning));
        }
    }
}

TEST_F(OutputFileTest, TotalDurationIsTheLargestT)
{
    ASSERT_EQ(job.Input(AvFile), 0);
    ASSERT_EQ(job.Output(Out("to.mkv"), "-to 20"), 0);
    EXPECT_EQ(job.Duration, -1) << "\"to\" does not count";
    ASSERT_EQ(job.Output(Out("t10.mkv"), "-t 10"), 1);
    ASSERT_EQ(job.Output(Out("t5.mkv"), "-t 5"), 2);
    EXPECT_EQ(job.Duration, 10000000);
    EXPECT_EQ(job.OutputFile(2)->OstIndex, 6);
    EXPECT_EQ(job.OutputStream(6)->FileIndex, 2);
}

TEST_F(OutputFileTest, MuxerPreloadAndDelay)
{
    ASSERT_EQ(job.Input(AvFile), 0);
    ASSERT_EQ(job.Output(Out("plain.mkv")), 0);
    EXPECT_EQ(DictValueOrDefault(job.OutputFile(0)->Opts.get(), "preload", "-"), "-");
    EXPECT_EQ(job.OutputFile(0)->Ctx->max_delay, 700000);
    ASSERT_EQ(job.Output(Out("preload.mkv"), "-muxpreload 0.5 -muxdelay 0.1 -fs 1000 -shortest"), 1);
    const TOutputFile* file = job.OutputFile(1);
    EXPECT_EQ(DictValueOrDefault(file->Opts.get(), "preload", "-"), "500000");
    EXPECT_EQ(file->Ctx->max_delay, 100000);
    EXPECT_EQ(file->LimitFilesize, 1000u);
    EXPECT_EQ(file->Shortest, 1);
}

TEST_F(OutputFileTest, OpenedFileIsDeletedWhenNothingWasWritten)
{
    const std::string name = Out("empty.mkv");
    {
        TIOJob task;
        ASSERT_EQ(task.Input(AvFile), 0);
        ASSERT_EQ(task.Output(name), 0);
        EXPECT_EQ(FileSizeOf(name), 0);
    }
    EXPECT_FALSE(FileExists(name));
}

// Copies the input's packets into the output streams that take them.
void CopyPackets(TIOJob& Task, AVFormatContext* Output)
{
    AVPacket* packet = av::av_packet_alloc();
    AVFormatContext* input = Task.InputFile(0)->Ctx.get();
    while (av::av_read_frame(input, packet) >= 0) {
        for (int32_t i = 0; i < Task.OutputStreamCount(); ++i) {
            const TOutputStream* ost = Task.OutputStream(i);
            if (ost->SourceIndex != packet->stream_index)
                continue;
            av::av_packet_rescale_ts(packet, input->streams[packet->stream_index]->time_base, ost->St->time_base);
            packet->stream_index = ost->Index;
            EXPECT_GE(av::av_interleaved_write_frame(Output, packet), 0);
        }
        av::av_packet_unref(packet);
    }
    av::av_packet_free(&packet);
}

TEST_F(OutputFileTest, CopiedStreamsAreWrittenAsOpened)
{
    const std::string name = Out("copy.mkv");
    {
        TIOJob task;
        ASSERT_EQ(task.Input(AvFile), 0);
        ASSERT_EQ(task.Output(name, "-map 0:a:1 -map 0:v -c copy -metadata title=Copied"), 0);
        for (int32_t i = 0; i < task.OutputStreamCount(); ++i) {
            const TOutputStream* ost = task.OutputStream(i);
            ASSERT_GE(av::avcodec_parameters_copy(ost->St->codecpar, task.InputStream(ost->SourceIndex)->St->codecpar),
                      0);
            ost->St->time_base = task.InputStream(ost->SourceIndex)->St->time_base;
        }
        AVFormatContext* oc = task.OutputFile(0)->Ctx;
        ASSERT_GE(av::avformat_write_header(oc, InOut(task.OutputFile(0)->Opts)), 0);
        CopyPackets(task, oc);
        ASSERT_GE(av::av_write_trailer(oc), 0);
    }
    EXPECT_EQ(Probe(name, "stream=codec_type,codec_name,channels"), "pcm_s16le,audio,2,mpeg4,video");
    EXPECT_EQ(Probe(name, "format_tags=title"), "Copied");
}

TEST_F(OutputFileTest, MetadataAndItsErrors)
{
    ASSERT_EQ(job.Input(AvFile), 0);
    av::av_dict_set(&job.InputFile(0)->Ctx->metadata, "creation_time", "2020-01-01", 0);
    av::av_dict_set(&job.InputFile(0)->Ctx->metadata, "artist", "Someone", 0);
    av::av_dict_set(&job.InputStream(0)->St->metadata, "handler", "video handler", 0);
    ASSERT_EQ(job.Output(Out("tags.mkv"), "-metadata title=Hello -metadata:s:a language=eng -metadata artist="), 0);
    const AVFormatContext* oc = job.OutputFile(0)->Ctx;
    EXPECT_EQ(DictValueOrDefault(oc->metadata, "title", "-"), "Hello");
    EXPECT_EQ(DictValueOrDefault(oc->metadata, "artist", "-"), "-") << "an empty value deletes the key";
    EXPECT_EQ(DictValueOrDefault(oc->metadata, "creation_time", "-"), "-");
    EXPECT_EQ(DictValueOrDefault(oc->streams[0]->metadata, "handler", "-"), "video handler");
    EXPECT_EQ(DictValueOrDefault(oc->streams[1]->metadata, "language", "-"), "eng");

    ASSERT_EQ(job.Output(Out("mapped.mkv"), "-map_metadata:s:a 0:s:v -map_metadata -1"), 1);
    const AVFormatContext* mapped = job.OutputFile(1)->Ctx;
    EXPECT_EQ(DictValueOrDefault(mapped->streams[1]->metadata, "handler", "-"), "video handler");
    EXPECT_EQ(DictValueOrDefault(mapped->metadata, "artist", "-"), "-") << "global metadata mapped by hand";

    const struct {
        const char* Options;
        const char* Message;
    } failures[] = {
        {"-metadata notitle", "No \"=\" character in metadata string notitle."},
        {"-metadata:c:3 a=b", "Invalid chapter index 3 in metadata specifier."},
        {"-metadata:x a=b", "Invalid metadata type x."},
        {"-metadata:sa a=b", "Invalid metadata specifier a."},
        {"-map_metadata 0:c:3", "Invalid chapter index 3 while processing metadata maps."},
        {"-map_metadata 7", "Invalid input file index 7 while processing metadata maps"},
        {"-map_metadata 0:s:d", "Stream specifier d does not match  any streams."},
        {"-map_chapters 5", "Invalid input file index 5 in chapter mapping."},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.Options);
        const std::string name = Out("bad-tags.mkv");
        EXPECT_EQ(job.Output(name, f.Options), -1);
        EXPECT_EQ(job.LastErrorText, f.Message);
        EXPECT_EQ(job.OutputFileCount(), 2);
        EXPECT_EQ(job.OutputStreamCount(), 6);
        EXPECT_FALSE(FileExists(name)) << "the empty output is deleted";
    }
}

TEST_F(OutputFileTest, ChaptersFollowTheOutputStart)
{
    ASSERT_EQ(job.Input(ChapterFile), 0);
    ASSERT_EQ(job.Output(Out("chapters.mkv"), "-ss 15"), 0);
    const AVFormatContext* oc = job.OutputFile(0)->Ctx;
    ASSERT_EQ(oc->nb_chapters, 1u);
    const AVChapter* chapter = oc->chapters[0];
    EXPECT_EQ(av::av_rescale_q(chapter->start, chapter->time_base, AV_TIME_BASE_Q), 0);
    EXPECT_EQ(av::av_rescale_q(chapter->end, chapter->time_base, AV_TIME_BASE_Q), 5000000);
    EXPECT_EQ(DictValueOrDefault(chapter->metadata, "title", "-"), "middle");

    ASSERT_EQ(job.Output(Out("no-chapter-tags.mkv"), "-map_metadata:c -1"), 1);
    EXPECT_EQ(DictValueOrDefault(job.OutputFile(1)->Ctx->chapters[0]->metadata, "title", "-"), "-");
    ASSERT_EQ(job.Output(Out("cut.mkv"), "-ss 1 -t 5"), 2);
    EXPECT_EQ(job.OutputFile(2)->Ctx->nb_chapters, 0u) << "the chapter starts after the recording ends";
}

TEST_F(OutputFileTest, AttachmentsCarryTheFileAndItsName)
{
    const std::string folder = WorkFolder + "fonts/";
    ForceDirectories(folder);
    WriteFile(folder + "sub\\b.ttf", "font one");
    const std::string relative = "io-font-" + std::to_string(getpid()) + "\\a.ttf";
    WriteFile(relative, "font two!");
    ASSERT_EQ(job.Input(SmallVideoFile), 0);
    ASSERT_EQ(job.Output(Out("attached.mkv"), "-attach \"" + folder + "sub\\b.ttf\" -attach \"" + relative + "\""), 0)
        << job.LastErrorText;
    std::remove(relative.c_str());
    EXPECT_EQ(job.OutputStreamText(), "v:0 a:-1 a:-1") << "attachments have no source";
    const struct {
        const char* Tag;
        const char* Bytes;
    } expected[] = {{"sub\\b.ttf", "font one"}, {"a.ttf", "font two!"}};
    for (int32_t i = 0; i < 2; ++i) {
        const TOutputStream* ost = job.OutputStream(1 + i);
        const AVCodecParameters* par = ost->St->codecpar;
        EXPECT_EQ(par->codec_type, AVMEDIA_TYPE_ATTACHMENT);
        EXPECT_EQ(DictValueOrDefault(ost->St->metadata, "filename", "-"), expected[i].Tag);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(par->extradata), par->extradata_size), expected[i].Bytes);
        EXPECT_EQ(ost->StreamCopy, 0);
        EXPECT_EQ(ost->Finished, 1);
    }
    EXPECT_EQ(job.OutputStream(2)->AttachmentFilename, relative);
}

TEST_F(OutputFileTest, OutputFailuresLeaveNoStreamsAndNoFile)
{
    ASSERT_EQ(job.Input(AvFile), 0);
    const std::string name = Out("failed.mkv");
    const std::string missing = WorkFolder + "missing.ttf";
    EXPECT_EQ(job.Output(name, "-map 0 -attach \"" + missing + "\""), -1);
    EXPECT_EQ(job.LastErrorText, "Could not open attachment file " + missing + ".");
    EXPECT_EQ(job.OutputStreamCount(), 0);

    EXPECT_EQ(job.Output(name, "-f nosuchmuxer"), -1);
    EXPECT_EQ(job.LastErrorText, GetErrorText(name, AVERROR(EINVAL)));
    EXPECT_EQ(job.Output(WorkFolder + "noformat.unknownext"), -1);
    EXPECT_EQ(job.LastErrorText, GetErrorText(WorkFolder + "noformat.unknownext", AVERROR(EINVAL)));
    EXPECT_EQ(job.Output(WorkFolder + "no/such/folder/out.mkv"), -1);
    EXPECT_EQ(job.LastErrorText, GetErrorText(WorkFolder + "no/such/folder/out.mkv", AVERROR(ENOENT)));

    EXPECT_EQ(job.OutputFileCount(), 0);
    EXPECT_EQ(job.OutputStreamCount(), 0);
    EXPECT_FALSE(FileExists(name));
    ASSERT_EQ(job.Output(name), 0) << "the job stays usable";
    EXPECT_EQ(job.OutputStreamText(), "v:0 a:2 s:3");
}

// A job whose complex filter graph has one output labelled "out", made into
// a video stream when an output maps it.
class TGraphJob : public TIOJob {
public:
    TGraphJob()
    {
        filter = AddFilterGraph()->AddOutput();
        filter->OutTmp = av::avfilter_inout_alloc();
        filter->OutTmp->name = av::av_strdup("out");
    }
    int32_t ConfigureComplexFilters() override { return 0; }
    void InitOutputFilter(TOutputFilter* Filter, TOptionsContext* Context, AVFormatContext* FormatContext) override
    {
        TOutputStream* ost = NewVideoStream(Context, FormatContext, -1);
        ost->Filter = Filter;
        Filter->Ost = ost;
    }
    TOutputFilter* filter;
};

TEST_F(OutputFileTest, LabelledGraphOutputsAreMappedAndUnboundOnFailure)
{
    TGraphJob task;
    ASSERT_EQ(task.Input(AvFile), 0);
    EXPECT_EQ(task.Output(Out("label.mkv"), "-map [other]"), -1);
    EXPECT_EQ(task.LastErrorText,
              "Output with label \"other\" does not exist in any defined filter graph, or was already used elsewhere.");

    EXPECT_EQ(task.Output(Out("label.mkv"), "-map [out] -attach \"" + WorkFolder + "missing.ttf\""), -1);
    EXPECT_EQ(task.filter->Ost, nullptr) << "no filter output points to a dropped stream";
    EXPECT_EQ(task.OutputStreamCount(), 0);

    ASSERT_EQ(task.Output(Out("label.mkv"), "-map [out] -map 0:a:0"), 0);
    EXPECT_EQ(task.OutputStreamText(), "v:-1 a:1");
    EXPECT_EQ(task.filter->Ost, task.OutputStream(0));
}

} // namespace

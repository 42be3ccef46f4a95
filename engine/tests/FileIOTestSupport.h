#pragma once
// Shared set-up of the input/output file tests: the FFmpeg libraries, media
// generated with the ffmpeg tool, a job that opens files through the option
// layer, ffprobe as the oracle and a capture of the log.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/FFLog.h"
#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/binding/FFLoad.h"
#include "engine/options/FFmpegOpt.h"
#include "engine/tests/LogCapture.h"
#include "engine/tests/MediaOracle.h"
#include "platform/core/Files.h"

namespace io_tests {

using media_oracle::CommandOutput;
using media_oracle::Generate;

inline const std::string MediaFolder = std::string(TEST_BINARY_DIR) + "/io-media/";
// Written by the tests themselves; one folder per process, since test
// processes may run side by side.
inline const std::string WorkFolder = std::string(TEST_BINARY_DIR) + "/io-work-" + std::to_string(getpid()) + "/";

// 64x48 video, mono audio, stereo audio, a subtitle; 1 s.
inline const std::string AvFile = MediaFolder + "av.mkv";
// Videos of 32x24, 64x48 and 64x48.
inline const std::string VideosFile = MediaFolder + "videos.mkv";
// 32x24 video only.
inline const std::string SmallVideoFile = MediaFolder + "small.mkv";
// 32x24 video and stereo audio; 0.5 s.
inline const std::string ShortAvFile = MediaFolder + "short-av.mkv";
// mp3 audio with a 64x64 cover picture.
inline const std::string CoverFile = MediaFolder + "cover.mp3";
// Video and the attachment AttachedBytes named "notes.txt".
inline const std::string AttachmentFile = MediaFolder + "attachment.mkv";
inline const std::string AttachedBytes = std::string("attached\0bytes\r\n\xff", 17);
// Video and a time-code data stream.
inline const std::string TimecodeFile = MediaFolder + "timecode.mov";
// Three 32x24 rgb24 pictures without any header.
inline const std::string RawVideoFile = MediaFolder + "video.rgb";
// Video with one chapter from 10 s to 20 s.
inline const std::string ChapterFile = MediaFolder + "chapter.mkv";

inline std::string ReadFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& name, const std::string& bytes)
{
    std::ofstream(name, std::ios::binary) << bytes;
}

inline void GenerateMedia()
{
    ForceDirectories(MediaFolder);
    const std::string subtitles = MediaFolder + "subtitles-" + std::to_string(getpid()) + ".srt";
    WriteFile(subtitles, "1\n00:00:00,000 --> 00:00:00,500\nHello\n");
    Generate(AvFile,
             "-f lavfi -i testsrc=duration=1:size=64x48:rate=25 -f lavfi -i sine=duration=1 "
             "-f lavfi -i \"sine=duration=1,pan=stereo|c0=c0|c1=c0\" -i \"" +
                 subtitles + "\" -map 0 -map 1 -map 2 -map 3 -c:v mpeg4 -c:a pcm_s16le -c:s srt");
    std::remove(subtitles.c_str());
    Generate(VideosFile,
             "-f lavfi -i testsrc=duration=0.2:size=32x24 -f lavfi -i testsrc=duration=0.2:size=64x48 "
             "-f lavfi -i testsrc=duration=0.2:size=64x48 -map 0 -map 1 -map 2 -c:v mpeg4");
    Generate(SmallVideoFile, "-f lavfi -i testsrc=duration=0.2:size=32x24 -c:v mpeg4");
    Generate(ShortAvFile,
             "-f lavfi -i testsrc=duration=0.5:size=32x24 -f lavfi -i \"sine=duration=0.5,pan=stereo|c0=c0|c1=c0\" "
             "-c:v mpeg4 -c:a pcm_s16le");
    Generate(CoverFile,
             "-f lavfi -i sine=duration=0.3 -f lavfi -i color=red:size=64x64:duration=0.04 -map 0 -map 1 "
             "-c:a libmp3lame -c:v png -frames:v 1 -disposition:v attached_pic");
    Generate(RawVideoFile, "-f lavfi -i testsrc=size=32x24:rate=5 -frames:v 3 -f rawvideo -pix_fmt rgb24");
    Generate(TimecodeFile, "-f lavfi -i testsrc=duration=0.2:size=32x24 -c:v mpeg4 -timecode 01:00:00:00");
    const std::string notes = MediaFolder + "notes-" + std::to_string(getpid()) + ".txt";
    WriteFile(notes, AttachedBytes);
    Generate(AttachmentFile,
             "-f lavfi -i testsrc=duration=0.2:size=32x24 -c:v mpeg4 -attach \"" + notes +
                 "\" -metadata:s:t mimetype=text/plain -metadata:s:t filename=notes.txt");
    std::remove(notes.c_str());
    const std::string chapters = MediaFolder + "chapters-" + std::to_string(getpid()) + ".txt";
    WriteFile(chapters, ";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=10000\nEND=20000\ntitle=middle\n");
    Generate(ChapterFile,
             "-f lavfi -i testsrc=duration=0.2:size=32x24 -i \"" + chapters + "\" -map 0 -map_chapters 1 -c:v mpeg4");
    std::remove(chapters.c_str());
}

// The ffprobe values of one entry ("stream=codec_type", "format=duration")
// joined by ",".
inline std::string Probe(const std::string& file, const std::string& entries)
{
    std::string joined =
        CommandOutput("ffprobe -v error -show_entries " + entries + " -of csv=p=0 \"" + file + "\" 2>/dev/null");
    for (char& c : joined)
        if (c == '\n')
            c = ',';
    if (!joined.empty() && joined.back() == ',')
        joined.pop_back();
    return joined;
}

// A job as the encoder component drives it: each file is opened with an
// options context of its own.
class TIOJob : public TCustomFFmpegOpt {
public:
    TIOJob() { BuildOptionTable(); }
    ~TIOJob() override { ReleaseFilesAndStreams(); }
    int32_t OptVHook(TOptionsContext*, const std::string&, const std::string&) override { return 0; }
    int32_t OptVideoHookBitsPixel(TOptionsContext*, const std::string&, const std::string&) override { return 0; }

    int32_t Input(const std::string& fileName, const std::string& options = "")
    {
        return WithContext([&](TOptionsContext* c) { return OpenInputFile(c, options, fileName, ""); });
    }
    int32_t Output(const std::string& fileName, const std::string& options = "", bool join = false)
    {
        return WithContext([&](TOptionsContext* c) { return OpenOutputFile(c, options, join, fileName, ""); });
    }
    // The output streams as "type:source" ("v:0 a:2"), source -1 for none.
    std::string OutputStreamText() const
    {
        std::string text;
        for (int32_t i = 0; i < OutputStreamCount(); ++i) {
            const TOutputStream* ost = OutputStream(i);
            text += (i ? " " : "") + std::string(1, av::av_get_media_type_string(ost->St->codecpar->codec_type)[0]) +
                ":" + std::to_string(ost->SourceIndex);
        }
        return text;
    }

private:
    template <typename Open>
    int32_t WithContext(Open open)
    {
        TOptionsContext context;
        InitOptionsContext(&context);
        struct TRelease {
            TIOJob& job;
            TOptionsContext& context;
            ~TRelease() { job.FreeOptionsContext(&context); }
        } release{*this, context};
        return open(&context);
    }
};

class FileIOTest : public LogCapturingTest {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(FFLoader.LoadLibraries(AllLibraries)) << FFLoader.LastErrorText();
        GenerateMedia();
        // A folder left by an earlier process with the same id starts empty.
        std::filesystem::remove_all(WorkFolder);
        ForceDirectories(WorkFolder);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(WorkFolder); }

    void SetUp() override { CaptureLog(llVerbose); }

    // The message of the FFmpegException that Call raises.
    template <typename Call>
    std::string FatalText(Call call)
    {
        try {
            call();
        } catch (const FFmpegException& e) {
            EXPECT_EQ(job.LastErrorText, e.Message());
            return e.Message();
        }
        return "no exception";
    }

    TIOJob job;
};

} // namespace io_tests

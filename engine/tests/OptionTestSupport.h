#pragma once
// Shared set-up of the option tests: the FFmpeg libraries, a job whose frame
// hooks do nothing, generated media files and a capture of the log.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

namespace option_tests {

using media_oracle::CommandOutput;
using media_oracle::Generate;

inline const std::string MediaFolder = std::string(TEST_BINARY_DIR) + "/option-media/";
// Files a test writes: each test process (CTest runs them side by side) has its own folder.
inline const std::string ScratchFolder =
    std::string(TEST_BINARY_DIR) + "/option-work-" + std::to_string(getpid()) + "/";

// One video stream (25 fps) and two audio streams (mono, stereo).
inline const std::string AvFile = MediaFolder + "video-two-audio.nut";
inline const std::string NtscFile = MediaFolder + "ntsc.nut";
inline const std::string Film24File = MediaFolder + "film24.nut";

inline void GenerateMedia()
{
    Generate(AvFile,
             "-f lavfi -i testsrc=duration=0.4:size=64x48:rate=25 -f lavfi -i sine=frequency=440:duration=0.4 "
             "-f lavfi -i \"sine=frequency=880:duration=0.4,pan=stereo|c0=c0|c1=c0\" "
             "-map 0 -map 1 -map 2 -c:v mpeg4 -c:a pcm_s16le");
    Generate(NtscFile, "-f lavfi -i testsrc=duration=0.2:size=64x48:rate=30000/1001 -c:v mpeg4");
    Generate(Film24File, "-f lavfi -i testsrc=duration=0.2:size=64x48:rate=24 -c:v mpeg4");
}

// A job as the option layer sees it; inputs are opened directly.
class TTestJob : public TCustomFFmpegOpt {
public:
    TTestJob() { BuildOptionTable(); }
    int32_t OptVHook(TOptionsContext*, const std::string&, const std::string&) override { return 0; }
    int32_t OptVideoHookBitsPixel(TOptionsContext*, const std::string&, const std::string&) override { return 0; }

    void OpenInput(const std::string& fileName)
    {
        AVFormatContext* context = nullptr;
        ASSERT_EQ(av::avformat_open_input(&context, fileName.c_str(), nullptr, nullptr), 0) << fileName;
        ASSERT_GE(av::avformat_find_stream_info(context, nullptr), 0);
        auto file = std::make_unique<TInputFile>();
        file->Ctx.reset(context);
        file->NbStreams = static_cast<int32_t>(context->nb_streams);
        InputFiles.push_back(std::move(file));
    }
    AVStream* Stream(int32_t file, int32_t index) const { return InputFiles[file]->Ctx->streams[index]; }
};

// Loads the libraries once, captures every log line of a test and restores
// the process-wide log level afterwards.
class OptionTest : public LogCapturingTest {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(FFLoader.LoadLibraries(AllLibraries)) << FFLoader.LastErrorText();
        GenerateMedia();
        // A folder left by an earlier process with the same id starts empty.
        std::filesystem::remove_all(ScratchFolder);
        std::filesystem::create_directories(ScratchFolder);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(ScratchFolder); }

    void SetUp() override
    {
        CaptureLog(llInfo);
        OptionErrorText.clear();
    }

    // Parses options for one file of the job into ctx, releasing what an
    // earlier parse left there.
    int32_t Parse(const std::string& options, const std::string& presets = "", const char* label = "output file")
    {
        if (contextOpen)
            job.FreeOptionsContext(&ctx);
        job.InitOptionsContext(&ctx);
        contextOpen = true;
        return job.ParseOptions(&ctx, options, label, presets);
    }

    ~OptionTest() override
    {
        if (contextOpen)
            job.FreeOptionsContext(&ctx);
    }

    TTestJob job;
    TOptionsContext ctx{};
    bool contextOpen = false;
};

// The value of a dictionary entry, or "<none>".
inline std::string DictValue(const AVDictionary* dictionary, const char* key)
{
    const AVDictionaryEntry* entry = av::av_dict_get(dictionary, key, nullptr, 0);
    return entry ? entry->value : "<none>";
}

} // namespace option_tests

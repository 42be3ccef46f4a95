#pragma once
// Media for the decoder tests, generated with the ffmpeg tool, and ffprobe's
// view of it as the oracle.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/binding/AVUtilStubs.h"
#include "engine/binding/FFLoad.h"
#include "engine/tests/MediaOracle.h"
#include "platform/core/Files.h"

namespace decoder_tests {

using media_oracle::CommandOutput;
using media_oracle::Generate;
using media_oracle::ProbeValues;

inline const std::string MediaFolder = std::string(TEST_BINARY_DIR) + "/decoder-media/";

// H.264 with two B-frames between references, a key frame every 10 frames,
// 25 fps, 2 s, with an AAC audio stream.
inline const std::string BFramesFile = MediaFolder + "bframes.mp4";
// MPEG-4 video and PCM audio with container tags.
inline const std::string TaggedFile = MediaFolder + "tagged.mkv";
// Every picture a key frame, 25 fps, 1 s.
inline const std::string IntraFile = MediaFolder + "intra.mp4";
inline const std::string AudioFile = MediaFolder + "audio.wav";
// MPEG program stream, 25 fps, 2 s: its seeks read the file for timestamps.
inline const std::string ProgramStreamFile = MediaFolder + "program.mpg";
// Three pictures of 33 x 17 read as one image sequence.
inline const std::string SequencePattern = MediaFolder + "seq%03d.png";

// The pictures go into a folder of this process first; the last one is
// moved into place last, so its presence means the sequence is complete.
inline void GenerateSequence()
{
    if (FileExists(MediaFolder + "seq003.png"))
        return;
    const std::string part = MediaFolder + "part-" + std::to_string(getpid()) + "/";
    ASSERT_TRUE(ForceDirectories(part)) << part;
    const std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=33x17:rate=25 -frames:v 3 "
                                "-start_number 1 \"" +
        part + "seq%03d.png\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const char* name : {"seq001.png", "seq002.png", "seq003.png"})
        ASSERT_EQ(std::rename((part + name).c_str(), (MediaFolder + name).c_str()), 0) << name;
    std::remove(part.c_str());
}

inline void GenerateMedia()
{
    Generate(BFramesFile,
             "-f lavfi -i testsrc=duration=2:size=160x120:rate=25 -f lavfi -i sine=duration=2 -c:v libx264 "
             "-bf 2 -g 10 -x264-params b-adapt=0:scenecut=0 -pix_fmt yuv420p -c:a aac");
    Generate(TaggedFile,
             "-f lavfi -i testsrc=duration=1:size=96x64:rate=25 -f lavfi -i sine=duration=1 -c:v mpeg4 "
             "-c:a pcm_s16le -metadata title=\"Test clip\" -metadata year=2021 -metadata track=7 "
             "-metadata author=Somebody -metadata:s:a:0 language=fre");
    Generate(IntraFile, "-f lavfi -i testsrc=duration=1:size=64x48:rate=25 -c:v mpeg4 -g 1");
    Generate(AudioFile, "-f lavfi -i sine=duration=0.2");
    Generate(ProgramStreamFile, "-f lavfi -i testsrc=duration=2:size=160x120:rate=25 -c:v mpeg2video");
    GenerateSequence();
}

// ffprobe's -show_format -show_streams in its flat form: "format.duration"
// -> "2.000000".
inline std::map<std::string, std::string> Probe(const std::string& file)
{
    return ProbeValues(file, "-show_format -show_streams -of flat");
}

struct TProbedFrame {
    int64_t TimeUs; // from the stream's start
    bool Key;
};

// The pictures of the first video stream in presentation order, as
// ffprobe -show_frames lists them.
inline std::vector<TProbedFrame> ProbeFrames(const std::string& file)
{
    std::map<std::string, std::string> info = Probe(file);
    int32_t videoIndex = 0;
    while (info["streams.stream." + std::to_string(videoIndex) + ".codec_type"] != "video")
        ++videoIndex;
    const std::string prefix = "streams.stream." + std::to_string(videoIndex) + ".";
    AVRational timeBase{1, 1};
    std::sscanf(info[prefix + "time_base"].c_str(), "%d/%d", &timeBase.num, &timeBase.den);
    const int64_t start = std::atoll(info[prefix + "start_pts"].c_str());

    std::vector<TProbedFrame> frames;
    std::istringstream lines(CommandOutput("ffprobe -v error -select_streams v:0 -show_entries "
                                           "frame=key_frame,best_effort_timestamp -of csv=p=0 \"" +
                                           file + "\""));
    std::string line;
    while (std::getline(lines, line)) {
        long long key = 0;
        long long timestamp = 0;
        if (std::sscanf(line.c_str(), "%lld,%lld", &key, &timestamp) == 2)
            frames.push_back({av::av_rescale_q(timestamp - start, timeBase, AV_TIME_BASE_Q), key == 1});
    }
    return frames;
}

// ffmpeg's own conversion of the first picture into a raw pixel format.
inline std::string FirstPictureAs(const std::string& file, const std::string& pixelFormat)
{
    return CommandOutput("ffmpeg -nostdin -v error -i \"" + file + "\" -frames:v 1 -sws_flags bicubic -pix_fmt " +
                         pixelFormat + " -f rawvideo -");
}

class DecoderTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(FFLoader.LoadLibraries(DecoderLibraries)) << FFLoader.LastErrorText();
        GenerateMedia();
    }
};

} // namespace decoder_tests

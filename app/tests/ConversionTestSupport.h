#pragma once
// Test media made with the ffmpeg tool, ffprobe as the oracle, and batches
// run through the conversion encoder with its notices pumped in this thread.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "engine/FFEncode.h"
#include "engine/binding/FFLoad.h"
#include "platform/core/MainThread.h"

namespace conversion_test {

inline const std::string MediaFolder = std::string(TEST_BINARY_DIR) + "/conversion-media/";
// 640 x 480, 25 fps, stereo 44.1 kHz MP3 at 128 kbit/s, 1 s.
inline const std::string Clip = MediaFolder + "clip.avi";
// The same for 20 s: long enough to be stopped half-way.
inline const std::string LongClip = MediaFolder + "long.avi";

inline std::string Shell(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

// Made once per build tree, through a temporary name so that a parallel run
// never sees half a file.
inline void Generate(const std::string& file, const std::string& arguments)
{
    if (access(file.c_str(), F_OK) == 0)
        return;
    std::system(("mkdir -p \"" + MediaFolder + "\"").c_str());
    const std::string part = file + ".part" + std::to_string(getpid()) + file.substr(file.rfind('.'));
    const std::string command = "ffmpeg -nostdin -v error -y " + arguments + " \"" + part + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    ASSERT_EQ(std::rename(part.c_str(), file.c_str()), 0);
}

inline std::string ClipArguments(int seconds)
{
    const std::string duration = std::to_string(seconds);
    return "-f lavfi -i testsrc=size=640x480:rate=25:duration=" + duration +
        " -f lavfi -i \"sine=frequency=440:sample_rate=44100:duration=" + duration +
        "\" -ac 2 -c:v mpeg4 -q:v 3 -c:a libmp3lame -b:a 128k";
}

inline void GenerateClip() { Generate(Clip, ClipArguments(1)); }

inline void GenerateLongClip() { Generate(LongClip, ClipArguments(20)); }

inline void LoadEngineLibraries() { ASSERT_TRUE(FFLoader.LoadLibraries(AllLibraries)) << FFLoader.LastErrorText(); }

// ffprobe's "key=value" lines for one stream ("v:0", "a:0"); empty when the
// file has no such stream.
inline std::map<std::string, std::string> Probe(const std::string& file, const std::string& stream)
{
    const std::string text = Shell("ffprobe -v error -select_streams " + stream +
                                   " -show_entries stream=codec_name,width,height,channels,sample_rate"
                                   " -of default=nw=1 \"" +
                                   file + "\" 2>/dev/null");
    std::map<std::string, std::string> values;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        if (const size_t eq = line.find('='); eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return values;
}

inline double FormatSeconds(const std::string& file)
{
    return std::atof(
        Shell("ffprobe -v error -show_entries format=duration -of csv=p=0 \"" + file + "\" 2>/dev/null").c_str());
}

// Starts the encoder's tasks and pumps the notices until the all-done one.
inline void RunToEnd(VIDArarozo& encoder)
{
    bool allDone = false;
    const TTerminateEvent previous = encoder.OnTerminate;
    encoder.OnTerminate = [&](TObject* sender, const TTerminateInfo& info) {
        if (previous)
            previous(sender, info);
        if (info.TaskIndex < 0)
            allDone = true;
    };
    encoder.StartTask(1);
    while (!allDone)
        CheckSynchronize(20);
    encoder.OnTerminate = previous;
}

} // namespace conversion_test

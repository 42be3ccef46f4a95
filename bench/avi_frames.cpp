// Reads every frame of an AVI file in order through the input/output
// component's ReadAVIFrame, alternating with the ffmpeg tool's decoding of
// the same file into bgr24, and prints the median ratio of the two times.
// Both decode on one thread: the engine's decoder opens its codec so, and
// the tool is given -threads 1.
// Without an argument it makes a 1280x720 MPEG-4 AVI with key frames 250
// apart.
//   avi_frames [file.avi] [runs]

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/BenchTools.h"
#include "imaging/core/QkStartup.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/BrelvixIOStartup.h"

namespace {

double Median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Milliseconds to read every frame, or a negative value on failure.
double ReadAllFrames(const std::string& fileName)
{
    TBrelvixIO io(nullptr);
    const TBenchClock::time_point start = TBenchClock::now();
    const int32_t frames = io.OpenAVIFile(fileName);
    if (frames <= 0)
        return -1;
    for (int32_t index = 0; index < frames; ++index) {
        io.ReadAVIFrame(index);
        if (io.Aborting()) {
            std::fprintf(stderr, "frame %d could not be read\n", index);
            return -1;
        }
    }
    return Milliseconds(start);
}

} // namespace

int main(int argc, char** argv)
{
    std::string fileName = argc > 1 ? argv[1] : "";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (fileName.empty()) {
        fileName = "/tmp/avi_frames-" + std::to_string(getpid()) + ".avi";
        const std::string make = "ffmpeg -v error -y -f lavfi -i testsrc=size=1280x720:rate=25 -frames:v 250 "
                                 "-c:v mpeg4 -g 250 -q:v 4 " +
            fileName;
        if (std::system(make.c_str()) != 0) {
            std::fprintf(stderr, "cannot make %s\n", fileName.c_str());
            return 1;
        }
    }
    InstallBrelvixIOStartup();
    LibraryStaticInit();
    const std::string peer = "ffmpeg -v error -threads 1 -i '" + fileName + "' -pix_fmt bgr24 -f rawvideo -y /dev/null";
    std::vector<double> ratios;
    for (int run = 0; run < runs; ++run) {
        const double ours = ReadAllFrames(fileName);
        if (ours < 0) {
            std::fprintf(stderr, "cannot read %s\n", fileName.c_str());
            return 1;
        }
        const double theirs = TimedCommand(peer);
        std::printf("run %d: ReadAVIFrame %.1f ms, ffmpeg %.1f ms, ratio %.2f\n", run + 1, ours, theirs, ours / theirs);
        ratios.push_back(ours / theirs);
    }
    std::printf("median ratio %.2f\n", Median(ratios));
    LibraryStaticFinal();
    if (argc <= 1)
        std::remove(fileName.c_str());
    return 0;
}

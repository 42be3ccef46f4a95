// Times the decoder component on one file: opening, stepping through N
// pictures and seeking to the middle. Compare the stepping rate with
//   ffmpeg -threads 1 -i <file> -frames:v N -f null -
// which decodes the same pictures with one codec thread.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/binding/FFLoad.h"
#include "engine/decode/FFDecode.h"
#include "platform/core/Exceptions.h"

namespace {

using TClock = std::chrono::steady_clock;

double MillisecondsSince(TClock::time_point start)
{
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

int32_t StepFrames(TFFDecoder& decoder, int32_t count)
{
    int32_t decoded = 0;
    while (decoded < count && decoder.Decode())
        ++decoded;
    return decoded;
}

int Run(const std::string& fileName, int32_t frameCount)
{
    if (!FFLoader.LoadLibraries(DecoderLibraries)) {
        std::fprintf(stderr, "%s\n", FFLoader.LastErrorText().c_str());
        return 1;
    }
    TFFDecoder decoder(nullptr);
    TClock::time_point start = TClock::now();
    if (!decoder.LoadFile(fileName)) {
        std::fprintf(stderr, "%s\n", decoder.LastErrorText().c_str());
        return 1;
    }
    std::printf("open:   %10.3f ms\n", MillisecondsSince(start));

    start = TClock::now();
    const int32_t decoded = StepFrames(decoder, frameCount);
    const double stepMs = MillisecondsSince(start);
    if (decoded == 0 && frameCount > 0) {
        const std::string reason = decoder.LastErrorText();
        std::fprintf(stderr, "no picture decoded from %s%s%s\n", fileName.c_str(), reason.empty() ? "" : ": ",
                     reason.c_str());
        return 1;
    }
    std::printf("step:   %10.3f ms for %d pictures (%.1f pictures/s), last at %.3f s\n", stepMs, decoded,
                stepMs > 0 ? decoded * 1000.0 / stepMs : 0.0, static_cast<double>(decoder.CurrentPTS()) / 1e6);

    TFileStreamInfo info;
    decoder.GetFileStreamInfo(info);
    const int64_t middle = info.Duration > 0 ? info.Duration / 2 : 0;
    start = TClock::now();
    const bool found = decoder.Seek(sfBackward, middle) && decoder.Decode();
    std::printf("seek:   %10.3f ms to %.3f s, picture at %s\n", MillisecondsSince(start),
                static_cast<double>(middle) / 1e6,
                found ? std::to_string(static_cast<double>(decoder.CurrentPTS()) / 1e6).c_str()
                      : decoder.LastErrorText().c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: decoder_step <file> [pictures, default 250]\n");
        return 2;
    }
    try {
        return Run(argv[1], argc == 3 ? std::atoi(argv[2]) : 250);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().c_str());
        return 1;
    }
}

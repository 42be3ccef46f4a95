// Converts one file through the encoder component, exactly as the converter
// application drives it, and prints each progress report and the result.
//   engine_convert <input> "<input options>" <output> "<output options>"
// The exit code is 0 only when the task finished without an error. Timing it
// against the ffmpeg tool on the same options compares the engine's speed.

#include <cstdio>
#include <string>

#include "engine/FFEncode.h"
#include "platform/core/Files.h"
#include "platform/core/MainThread.h"

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s <input> \"<input options>\" <output> \"<output options>\"\n", argv[0]);
        return 2;
    }
    VIDArarozo encoder(nullptr);
    if (!encoder.LibrariesLoaded() && !encoder.LoadLibraries(ExtractFilePath(argv[0]) + "LibAV")) {
        std::fprintf(stderr, "Can not load library! %s\n", encoder.LastErrorText.c_str());
        return 1;
    }
    TInputOptions input;
    InitInputOptions(input);
    input.Options = argv[2];
    const int32_t task = encoder.AddTask(argv[1], &input);
    TOutputOptions output;
    InitOutputOptions(output);
    output.Options = argv[4];
    if (task < 0 || encoder.SetOutput(task, argv[3], &output) < 0) {
        std::fprintf(stderr, "%s\n", encoder.LastErrorText.c_str());
        return 1;
    }
    bool allDone = false, failed = true;
    encoder.OnProgress = [](TObject*, PProgressInfo p) {
        std::printf(
            "progress segment=%d frame=%d fps=%d q=%.1f bitrate=%.1fkbit/s size=%lld time=%lldus duration=%lldus\n",
            p->SegmentIndex, p->FrameNumber, p->Fps, p->Quality, p->BitRate, static_cast<long long>(p->TotalSize),
            static_cast<long long>(p->CurrentTime), static_cast<long long>(p->Duration));
    };
    encoder.OnTerminate = [&](TObject*, const TTerminateInfo& info) {
        if (info.TaskIndex < 0) {
            allDone = true;
            return;
        }
        failed = info.Exception || !info.Finished;
        std::printf("task %d: finished=%d exception=%d %s\n", info.TaskIndex, info.Finished, info.Exception,
                    info.ExceptionMessage.c_str());
    };
    encoder.StartTask(1);
    while (!allDone)
        CheckSynchronize(20);
    return failed ? 1 : 0;
}

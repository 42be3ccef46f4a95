// Times what the converter's preview adds on top of the engine: the main
// window on the headless desktop opens <file> and, in source mode, output
// mode and output mode rotated by 90, times
//   a next-frame step until the picture is drawn and painted, and
//   a track-bar jump to the middle until the picture is drawn and painted.
// In the same run it times the same steps on a bare TFFDecoder (decode; seek
// and decode forward) and
//   ffmpeg -ss <middle> -i <file> -frames:v 1 -f null -
// and prints each time with its ratio. Goals: step and draw <= 2 x the bare
// decoder's step unrotated, <= 3 x rotated; jump and draw <= 1.2 x the tool.
// Input: a 1920 x 1080 H.264 clip with a GOP of 250 whose middle is not a key
// frame (so a jump decodes 200 pictures), for example
//   ffmpeg -f lavfi -i testsrc2=size=1920x1080:rate=25:duration=16 -c:v libx264 -g 250 -pix_fmt yuv420p clip.mp4

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ApplicationGlobals.h"
#include "app/UnitQuorvid.h"
#include "controls/TarqCmboBx.h"
#include "controls/TarqPanel.h"
#include "controls/TarqTrkBar.h"
#include "engine/FFEncode.h"
#include "engine/decode/FFDecode.h"
#include "imaging/core/QkStartup.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/core/Exceptions.h"
#include "platform/ui/Application.h"
#include "platform/ui/Menus.h"
#include "platform/ui/WindowSystem.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr int32_t Steps = 60;
constexpr int32_t Jumps = 9;

double Milliseconds(TClock::time_point start)
{
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// The median time of `timed`, with `untimed` run before each.
double MedianOf(int32_t runs, const std::function<void()>& untimed, const std::function<void()>& timed)
{
    std::vector<double> times;
    for (int32_t run = 0; run < runs; ++run) {
        untimed();
        const TClock::time_point start = TClock::now();
        timed();
        times.push_back(Milliseconds(start));
    }
    return Median(times);
}

// Milliseconds per step over `Steps` steps from the start.
double PerStep(const std::function<void()>& rewind, const std::function<bool()>& step)
{
    rewind();
    int32_t taken = 0;
    const TClock::time_point start = TClock::now();
    while (taken < Steps && step())
        ++taken;
    return taken > 0 ? Milliseconds(start) / taken : 0.0;
}

struct TBareTimes {
    double Step = 0;
    double Jump = 0;
};

TBareTimes TimeBareDecoder(const std::string& file, int64_t middle)
{
    TFFDecoder decoder(nullptr);
    TBareTimes times;
    if (!decoder.LoadFile(file))
        return times;
    // The preview's own order: a plain seek lands on the key frame after the
    // time and would skip the pictures the preview decodes to reach it.
    const auto seekTo = [&decoder](int64_t time) {
        if (!decoder.Seek(sfBackward, time) && !decoder.Seek(0, time))
            return;
        while (decoder.Decode() && time > 0 && decoder.CurrentPTS() < time) {}
    };
    times.Step = PerStep([&] { seekTo(0); }, [&] { return decoder.Decode(); });
    times.Jump = MedianOf(
        Jumps, [&] { seekTo(0); }, [&] { seekTo(middle); });
    return times;
}

double TimeTool(const std::string& file, int64_t middle)
{
    const std::string command = "ffmpeg -nostdin -v error -ss " + std::to_string(middle / 1e6) + " -i \"" + file +
        "\" -frames:v 1 -f null - >/dev/null 2>&1";
    return MedianOf(
        Jumps, [] {}, [&] { (void)std::system(command.c_str()); });
}

struct TMode {
    const char* Name;
    bool Source;
    const char* Rotation;
    double StepGoal;
};

// A goal of 0 prints the ratio for information only.
void Report(const char* what, double ours, double peer, const char* peerName, double goal)
{
    const double ratio = peer > 0 ? ours / peer : 0.0;
    std::printf("  %-14s %9.3f ms   %-13s %9.3f ms   ratio %5.2f", what, ours, peerName, peer, ratio);
    if (goal > 0)
        std::printf(" (goal <= %.1f)%s", goal, ratio > goal ? "  MISSED" : "");
    std::printf("\n");
}

int Run(const std::string& file)
{
    THeadlessBackend backend;
    InstallWindowSystem(backend);
    LibraryStaticInit();
    auto form = std::unique_ptr<TFrmQuorvid>(CreateForm<TFrmQuorvid>(nullptr));
    if (!form->DIVidirov->LoadLibraries(ApplicationFolder + "LibAV")) {
        std::fprintf(stderr, "the FFmpeg libraries could not be loaded\n");
        return 1;
    }
    form->Show();
    form->AddSourceFile(file, form->ComboBoxFormat->Text());
    if (!form->PanelViewBk->Visible() || form->Duration <= 0) {
        std::fprintf(stderr, "%s does not open as a video with a duration\n", file.c_str());
        return 1;
    }
    const int64_t middle = form->Duration / 2;
    const TBareTimes bare = TimeBareDecoder(file, middle);
    const double tool = TimeTool(file, middle);
    const auto painted = [] { Application()->ProcessMessages(); };

    std::printf("%s: %dx%d, %.3f s\n", file.c_str(), form->FrameBitmap()->Width(), form->FrameBitmap()->Height(),
                form->Duration / 1e6);
    const TMode modes[] = {{"source", true, "0", 2.0}, {"output", false, "0", 2.0}, {"output, 90", false, "90", 3.0}};
    for (const TMode& mode : modes) {
        (mode.Source ? form->PM_SourceVideo : form->PM_OutputVideo)->Click();
        form->ComboBoxRotate->SetItemIndex(form->ComboBoxRotate->Items()->IndexOf(mode.Rotation));
        form->ComboBoxRotateChange(form->ComboBoxRotate);
        TTarqTrackBar& bar = *form->TrackBarPlay;
        const double step = PerStep([&] { form->SeekToTime(0); },
                                    [&] {
                                        const bool shown = form->NextFrame();
                                        painted();
                                        return shown;
                                    });
        const double jump = MedianOf(
            Jumps, [&] { bar.SetPosition(0); },
            [&] {
                bar.SetPosition(bar.Max() / 2);
                painted();
            });
        std::printf("%s mode\n", mode.Name);
        Report("step and draw", step, bare.Step, "decoder step", mode.StepGoal);
        Report("jump and draw", jump, tool, "ffmpeg tool", 1.2);
        Report("jump and draw", jump, bare.Jump, "decoder jump", 0);
    }
    form.reset();
    LibraryStaticFinal();
    UninstallWindowSystem();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: app_preview <file>\n");
        return 2;
    }
    try {
        return Run(argv[1]);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().c_str());
        return 1;
    }
}

// Times the converter's rotated-preview step on synthetic frames:
// CopyFromTBitmap of a 24-bit frame, Resample (point sampling) to a third,
// Rotate by a quarter turn and GetVclBitmap, once with the component's
// default undo (one entry in a temporary file) and once with AutoUndo off.
// In the same run the point sample and the turn alone are compared with
//   vips resize --kernel nearest + vips rot d90 over a stack of frames, one
//   process each, as vips times its own work (start-up left out), per frame
//   and with one worker thread like the step
//   pillow resize(NEAREST) + transpose(ROTATE_90), timed in memory.
// Goals: default undo <= 1.5 x AutoUndo off; sample + turn <= 1.0 x pillow.
// With --ours only our own times are printed (no peers), as for profiling.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchTools.h"
#include "imaging/core/BrelvixProc.h"
#include "platform/gfx/Bitmap.h"

namespace {

constexpr int32_t Frames = 30;
constexpr int32_t ToolRuns = 5;

struct TSize {
    int32_t Width;
    int32_t Height;
    int32_t PreviewWidth;
    int32_t PreviewHeight;
};

void FillFrame(TBitmap& frame, int32_t seed)
{
    for (int32_t y = 0; y < frame.Height(); ++y) {
        uint8_t* row = frame.ScanLine(y);
        for (int32_t x = 0; x < frame.Width() * 3; ++x)
            row[x] = static_cast<uint8_t>(x * 7 + y * 3 + seed);
    }
}

// Milliseconds per preview step, averaged over the frames.
double PreviewStep(const TSize& size, bool autoUndo, std::vector<std::unique_ptr<TBitmap>>& frames)
{
    TComponent owner(nullptr);
    auto* proc = new TBrelvixProc(&owner);
    proc->SetAutoUndo(autoUndo);
    TQkBitmap work;
    proc->AttachBitmap(&work);
    auto step = [&](TBitmap& frame) {
        work.CopyFromTBitmap(frame);
        proc->Resample(size.PreviewWidth, size.PreviewHeight, rfNone);
        proc->Rotate(90, true, 0, -1);
        return work.GetVclBitmap();
    };
    step(*frames[0]); // the first frame sets up the stores
    const TBenchClock::time_point start = TBenchClock::now();
    for (int32_t i = 0; i < Frames; ++i)
        step(*frames[i % frames.size()]);
    return Milliseconds(start) / Frames;
}

// The sample and the turn alone, on a frame already in the work bitmap
// (fastest of the frames).
double SampleAndTurn(const TSize& size, TBitmap& frame)
{
    TBrelvixProc proc(nullptr);
    TQkBitmap work;
    proc.AttachBitmap(&work);
    double best = 1e300;
    for (int32_t i = 0; i < Frames; ++i) {
        work.CopyFromTBitmap(frame);
        const TBenchClock::time_point start = TBenchClock::now();
        proc.Resample(size.PreviewWidth, size.PreviewHeight, rfNone);
        proc.Rotate(90, true, 0, -1);
        best = std::min(best, Milliseconds(start));
    }
    return best;
}

// The seconds vips reports for its own work on `command` (its start and
// the loading of its modules are not in them), in milliseconds; -1 when
// the run fails.
double VipsWorkTime(const std::string& command)
{
    const std::string output = CommandOutput("VIPS_CONCURRENCY=1 " + command + " --vips-progress 2>&1");
    const size_t done = output.rfind("done in ");
    return done == std::string::npos ? -1 : std::atof(output.c_str() + done + 8) * 1000;
}

// The median of several runs, against the machine's load of the moment.
double MedianVipsWorkTime(const std::string& command)
{
    std::vector<double> times;
    for (int32_t i = 0; i < ToolRuns; ++i) {
        const double time = VipsWorkTime(command);
        if (time < 0)
            return -1;
        times.push_back(time);
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

// `frame` repeated `count` times one under the other, as one PPM image.
void WriteStackedPpm(TBitmap& frame, int32_t count, const std::string& fileName)
{
    FILE* file = std::fopen(fileName.c_str(), "wb");
    if (!file)
        return;
    std::fprintf(file, "P6\n%d %d\n255\n", frame.Width(), frame.Height() * count);
    std::vector<uint8_t> rgb(static_cast<size_t>(frame.Width()) * 3 * frame.Height());
    for (int32_t y = 0; y < frame.Height(); ++y) {
        const uint8_t* row = frame.ScanLine(y);
        uint8_t* to = rgb.data() + static_cast<size_t>(y) * frame.Width() * 3;
        for (int32_t x = 0; x < frame.Width(); ++x) {
            to[3 * x] = row[3 * x + 2];
            to[3 * x + 1] = row[3 * x + 1];
            to[3 * x + 2] = row[3 * x];
        }
    }
    for (int32_t i = 0; i < count; ++i)
        std::fwrite(rgb.data(), 1, rgb.size(), file);
    std::fclose(file);
}

// vips' point sample and turn per frame. Each command works on a stack of
// frames, timed by vips itself: its start takes far longer than a frame.
double VipsSampleAndTurn(const TSize& size, TBitmap& frame, const std::string& folder)
{
    // About 100 MB of frames, so that setting up the pipeline weighs little
    // on each frame.
    const int32_t count = std::max(4, 100000000 / (size.Width * size.Height * 3));
    const std::string ppm = folder + "/frames.ppm";
    const std::string in = folder + "/frames.v";
    const std::string small = folder + "/small.v";
    const std::string turned = folder + "/turned.v";
    WriteStackedPpm(frame, count, ppm);
    if (std::system(("vips copy " + ppm + " " + in + " >/dev/null 2>&1").c_str()) != 0)
        return -1;
    std::filesystem::remove(ppm);
    const std::string scale = std::to_string(static_cast<double>(size.PreviewWidth) / size.Width);
    const double sample = MedianVipsWorkTime("vips resize " + in + " " + small + " " + scale + " --kernel nearest");
    const double turn = sample < 0 ? -1 : MedianVipsWorkTime("vips rot " + small + " " + turned + " d90");
    return turn < 0 ? -1 : (sample + turn) / count;
}

double PillowSampleAndTurn(const TSize& size)
{
    const std::string script =
        "import sys, time\n"
        "from PIL import Image\n"
        "w, h, pw, ph, n = map(int, sys.argv[1:])\n"
        "im = Image.frombytes('RGB', (w, h), bytes(range(256)) * (w * h * 3 // 256) + bytes(w * h * 3 % 256))\n"
        "best = 1e9\n"
        "for i in range(n):\n"
        "    t = time.perf_counter()\n"
        "    im.resize((pw, ph), Image.NEAREST).transpose(Image.ROTATE_90)\n"
        "    best = min(best, time.perf_counter() - t)\n"
        "print(best * 1000)\n";
    const std::string command = "/usr/bin/python3 -c \"" + script + "\" " + std::to_string(size.Width) + " " +
        std::to_string(size.Height) + " " + std::to_string(size.PreviewWidth) + " " +
        std::to_string(size.PreviewHeight) + " " + std::to_string(Frames) + " 2>/dev/null";
    const std::string output = CommandOutput(command);
    return output.empty() ? -1 : std::atof(output.c_str());
}

void Measure(const TSize& size, const std::string& folder, bool oursOnly)
{
    std::vector<std::unique_ptr<TBitmap>> frames;
    for (int32_t seed = 0; seed < 3; ++seed) {
        frames.push_back(std::make_unique<TBitmap>(size.Width, size.Height, pf24bit));
        FillFrame(*frames.back(), seed * 17);
    }
    // Warmed up once, then alternated so that both see the same machine.
    PreviewStep(size, false, frames);
    double withUndo = 0;
    double withoutUndo = 0;
    for (int32_t round = 0; round < 3; ++round) {
        withoutUndo += PreviewStep(size, false, frames) / 3;
        withUndo += PreviewStep(size, true, frames) / 3;
    }
    const double ours = SampleAndTurn(size, *frames[0]);
    const double vips = oursOnly ? -1 : VipsSampleAndTurn(size, *frames[0], folder);
    const double pillow = oursOnly ? -1 : PillowSampleAndTurn(size);
    std::printf("%dx%d -> %dx%d\n", size.Width, size.Height, size.PreviewWidth, size.PreviewHeight);
    std::printf("  step, default undo   %8.3f ms\n", withUndo);
    std::printf("  step, AutoUndo off   %8.3f ms   undo ratio %.2f (goal <= 1.5)\n", withoutUndo,
                withUndo / withoutUndo);
    std::printf("  sample + turn        %8.3f ms\n", ours);
    if (vips >= 0)
        std::printf("  vips                 %8.3f ms   ratio %.2f\n", vips, vips > 0 ? ours / vips : 0.0);
    else
        std::printf("  vips                 not available\n");
    if (pillow >= 0)
        std::printf("  pillow               %8.3f ms   ratio %.2f (goal <= 1.0)\n", pillow, ours / pillow);
    else
        std::printf("  pillow               not available\n");
}

} // namespace

int main(int argc, char** argv)
{
    const bool oursOnly = argc > 1 && std::string(argv[1]) == "--ours";
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "preview_step_bench";
    std::filesystem::create_directories(folder);
    Measure({1920, 1080, 640, 360}, folder.string(), oursOnly);
    Measure({3840, 2160, 1280, 720}, folder.string(), oursOnly);
    std::filesystem::remove_all(folder);
    return 0;
}

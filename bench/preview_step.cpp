// Times the converter's rotated-preview step on synthetic frames:
// CopyFromTBitmap of a 24-bit frame, Resample (point sampling) to a third,
// Rotate by a quarter turn and GetVclBitmap, once with the component's
// default undo (one entry in a temporary file) and once with AutoUndo off.
// In the same run the point sample and the turn alone are compared with
//   vips resize --kernel nearest + vips rot d90 (median, less a read-only
//   vips run over the same input)
//   pillow resize(NEAREST) + transpose(ROTATE_90), timed in memory.
// Goals: default undo <= 1.5 x AutoUndo off; sample + turn <= 1.0 x pillow.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "imaging/core/BrelvixProc.h"
#include "platform/gfx/Bitmap.h"

namespace {

using TClock = std::chrono::steady_clock;

constexpr int32_t Frames = 30;
constexpr int32_t ToolRuns = 9;

struct TSize {
    int32_t Width;
    int32_t Height;
    int32_t PreviewWidth;
    int32_t PreviewHeight;
};

double Milliseconds(TClock::time_point start)
{
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

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
    const TClock::time_point start = TClock::now();
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
        const TClock::time_point start = TClock::now();
        proc.Resample(size.PreviewWidth, size.PreviewHeight, rfNone);
        proc.Rotate(90, true, 0, -1);
        best = std::min(best, Milliseconds(start));
    }
    return best;
}

std::string Run(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        pclose(pipe);
    }
    return output;
}

double TimedCommand(const std::string& command)
{
    const TClock::time_point start = TClock::now();
    (void)std::system((command + " >/dev/null 2>&1").c_str());
    return Milliseconds(start);
}

// The median of `command` less `baseline`, each pair run back to back, so
// that the tool's start and the machine's load of the moment cancel out.
double MedianNetTime(const std::string& command, const std::string& baseline)
{
    std::vector<double> net;
    for (int32_t i = 0; i < ToolRuns; ++i) {
        const double base = TimedCommand(baseline);
        net.push_back(TimedCommand(command) - base);
    }
    std::nth_element(net.begin(), net.begin() + net.size() / 2, net.end());
    return std::max(0.0, net[net.size() / 2]);
}

void WritePpm(TBitmap& frame, const std::string& fileName)
{
    FILE* file = std::fopen(fileName.c_str(), "wb");
    if (!file)
        return;
    std::fprintf(file, "P6\n%d %d\n255\n", frame.Width(), frame.Height());
    std::vector<uint8_t> rgb(static_cast<size_t>(frame.Width()) * 3);
    for (int32_t y = 0; y < frame.Height(); ++y) {
        const uint8_t* row = frame.ScanLine(y);
        for (int32_t x = 0; x < frame.Width(); ++x) {
            rgb[3 * x] = row[3 * x + 2];
            rgb[3 * x + 1] = row[3 * x + 1];
            rgb[3 * x + 2] = row[3 * x];
        }
        std::fwrite(rgb.data(), 1, rgb.size(), file);
    }
    std::fclose(file);
}

// vips' resize and turn, each less a read-only run of vips over the same
// input (its start, loading and reading).
double VipsSampleAndTurn(const TSize& size, TBitmap& frame, const std::string& folder)
{
    const std::string ppm = folder + "/frame.ppm";
    const std::string in = folder + "/frame.v";
    const std::string small = folder + "/small.v";
    const std::string turned = folder + "/turned.v";
    WritePpm(frame, ppm);
    if (std::system(("vips copy " + ppm + " " + in + " >/dev/null 2>&1").c_str()) != 0)
        return -1;
    const std::string scale = std::to_string(static_cast<double>(size.PreviewWidth) / size.Width);
    const std::string resize = "vips resize " + in + " " + small + " " + scale + " --kernel nearest";
    if (std::system((resize + " >/dev/null 2>&1").c_str()) != 0)
        return -1;
    return MedianNetTime(resize, "vips avg " + in) +
           MedianNetTime("vips rot " + small + " " + turned + " d90", "vips avg " + small);
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
    const std::string output = Run(command);
    return output.empty() ? -1 : std::atof(output.c_str());
}

void Measure(const TSize& size, const std::string& folder)
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
    const double vips = VipsSampleAndTurn(size, *frames[0], folder);
    const double pillow = PillowSampleAndTurn(size);
    std::printf("%dx%d -> %dx%d\n", size.Width, size.Height, size.PreviewWidth, size.PreviewHeight);
    std::printf("  step, default undo   %8.3f ms\n", withUndo);
    std::printf("  step, AutoUndo off   %8.3f ms   undo ratio %.2f (goal <= 1.5)\n", withoutUndo,
                withUndo / withoutUndo);
    std::printf("  sample + turn        %8.3f ms\n", ours);
    if (vips >= 0)
        std::printf("  vips, net of reading %8.3f ms   ratio %.2f\n", vips, vips > 0 ? ours / vips : 0.0);
    else
        std::printf("  vips                 not available\n");
    if (pillow >= 0)
        std::printf("  pillow               %8.3f ms   ratio %.2f (goal <= 1.0)\n", pillow, ours / pillow);
    else
        std::printf("  pillow               not available\n");
}

} // namespace

int main()
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "preview_step_bench";
    std::filesystem::create_directories(folder);
    Measure({1920, 1080, 640, 360}, folder.string());
    Measure({3840, 2160, 1280, 720}, folder.string());
    std::filesystem::remove_all(folder);
    return 0;
}

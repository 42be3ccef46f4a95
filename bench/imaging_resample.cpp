// Times the imaging core's resampling and quarter turns of a 6000 x 4000
// photo-like image (made once with ImageMagick's plasma and noise, kept as
// a PPM and a vips file beside the bench) on 1, 2 and all cores:
//   rfLanczos3 and rfNone to 1920 x 1280, turns by 90, 180 and 270;
// against, in the same run, with the same thread count:
//   vips resize 0.32 --kernel lanczos3 / nearest and vips rot (VIPS_CONCURRENCY),
//   convert -filter Lanczos -resize and -sample (-limit thread),
//   pillow resize(LANCZOS) / resize(NEAREST) / transpose, in memory, one thread.
// Each command-line peer's time is the median of its runs less a read-only
// run over the same input (--ours leaves the peers out). Goals: Lanczos no slower than vips at every core
// count; point sampling and quarter turns no slower than pillow.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "BenchTools.h"
#include "imaging/core/QkResample.h"
#include "imaging/core/QkRotate.h"
#include "imaging/core/QkSettings.h"
#include "imaging/core/QkSystem.h"
#include "imaging/core/tests/QkPpmFiles.h"

namespace {

constexpr int32_t SourceWidth = 6000;
constexpr int32_t SourceHeight = 4000;
constexpr int32_t TargetWidth = 1920;
constexpr int32_t TargetHeight = 1280;
constexpr int32_t OwnRuns = 5;
constexpr int32_t ToolRuns = 5;

bool Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// The test image, made once.
bool MakeImage(const std::filesystem::path& folder)
{
    const std::string ppm = (folder / "photo.ppm").string();
    if (std::filesystem::exists(folder / "photo.v"))
        return true;
    std::printf("making the %dx%d test image once...\n", SourceWidth, SourceHeight);
    std::fflush(stdout);
    const std::string size = std::to_string(SourceWidth) + "x" + std::to_string(SourceHeight);
    return Shell("convert -limit memory 4GiB -limit map 4GiB -seed 42 -size " + size +
                 " plasma:fractal -depth 8 -seed 7 -attenuate 0.6 +noise Gaussian " + ppm) &&
        Shell("vips copy " + ppm + " " + (folder / "photo.v").string());
}

double BestOf(const std::function<void()>& work)
{
    double best = 1e300;
    for (int32_t i = 0; i < OwnRuns; ++i) {
        const TBenchClock::time_point start = TBenchClock::now();
        work();
        best = std::min(best, Milliseconds(start));
    }
    return best;
}

struct TOperation {
    std::string Name;
    std::function<void(TQkBitmap& source)> Ours;
    std::string Vips; // arguments after the input and output names
    std::string Magick; // arguments after the input name
    std::string Pillow; // an expression on `im`
};

std::vector<TOperation> Operations()
{
    const std::string size = std::to_string(TargetWidth) + "x" + std::to_string(TargetHeight) + "!";
    const auto resample = [](TResampleFilter filter) {
        return [filter](TQkBitmap& source) {
            TQkBitmap destination(TargetWidth, TargetHeight, qk24RGB);
            ResampleBitmap(source, destination, filter, nullptr, TQkProgressEvent());
        };
    };
    const auto turn = [](double angle) {
        return [angle](TQkBitmap& source) {
            TQkBitmap destination;
            RotateBitmapInto(source, destination, 0, nullptr, TQkProgressEvent(), angle);
        };
    };
    return {
        {"lanczos3", resample(rfLanczos3), "resize $in $out 0.32 --kernel lanczos3", "-filter Lanczos -resize " + size,
         "im.resize((1920, 1280), Image.LANCZOS)"},
        {"point", resample(rfNone), "resize $in $out 0.32 --kernel nearest", "-sample " + size,
         "im.resize((1920, 1280), Image.NEAREST)"},
        {"turn 90", turn(90), "rot $in $out d90", "-rotate 270", "im.transpose(Image.ROTATE_90)"},
        {"turn 180", turn(180), "rot $in $out d180", "-rotate 180", "im.transpose(Image.ROTATE_180)"},
        {"turn 270", turn(270), "rot $in $out d270", "-rotate 90", "im.transpose(Image.ROTATE_270)"},
    };
}

std::string Substituted(std::string text, const std::string& in, const std::string& out)
{
    text.replace(text.find("$in"), 3, in);
    text.replace(text.find("$out"), 4, out);
    return text;
}

// pillow's best time of each operation, in memory, one thread.
std::map<std::string, double> PillowTimes(const std::vector<TOperation>& operations, const std::string& ppm)
{
    std::string script = "import time\nfrom PIL import Image\nim = Image.open('" + ppm + "')\nim.load()\n";
    for (const TOperation& op : operations)
        script += "best = 1e9\nfor i in range(" + std::to_string(OwnRuns) + "):\n    t = time.perf_counter()\n    " +
            op.Pillow + "\n    best = min(best, time.perf_counter() - t)\nprint(best * 1000)\n";
    const std::string file = (std::filesystem::path(ppm).parent_path() / "pillow.py").string();
    std::ofstream(file) << script;
    const std::string output = CommandOutput("/usr/bin/python3 " + file + " 2>/dev/null");
    std::map<std::string, double> times;
    size_t at = 0;
    for (const TOperation& op : operations) {
        const size_t end = output.find('\n', at);
        if (end == std::string::npos)
            break;
        times[op.Name] = std::atof(output.substr(at, end - at).c_str());
        at = end + 1;
    }
    return times;
}

void PrintRow(const std::string& name, int32_t cores, double ours, const char* peer, double theirs)
{
    std::printf("%-9s %5d %10.1f   %-7s %10.1f   %6.2f\n", name.c_str(), cores, ours, peer, theirs,
                theirs > 0 ? ours / theirs : 0.0);
}

} // namespace

// With --ours only our own times are printed (no peers).
int main(int argc, char** argv)
{
    const bool oursOnly = argc > 1 && std::string(argv[1]) == "--ours";
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "imaging_resample_bench";
    std::filesystem::create_directories(folder);
    if (!MakeImage(folder)) {
        std::fprintf(stderr, "cannot make the test image (convert and vips are needed)\n");
        return 1;
    }
    const std::string ppm = (folder / "photo.ppm").string();
    const std::string vipsFile = (folder / "photo.v").string();
    TQkBitmap source;
    if (!ReadPpm(ppm, source)) {
        std::fprintf(stderr, "cannot read %s\n", ppm.c_str());
        return 1;
    }
    const int32_t all = GetProcessorCoreCount();
    const std::vector<TOperation> operations = Operations();
    const std::map<std::string, double> pillow =
        oursOnly ? std::map<std::string, double>() : PillowTimes(operations, ppm);
    const std::string limits = " -limit memory 4GiB -limit map 4GiB ";
    std::printf("%dx%d -> %dx%d; net milliseconds; ratio = ours / peer\n", SourceWidth, SourceHeight, TargetWidth,
                TargetHeight);
    std::printf("%-9s %5s %10s   %-7s %10s   %6s\n", "operation", "cores", "ours", "peer", "peer", "ratio");
    std::vector<int32_t> counts = {1, 2, all};
    counts.erase(std::unique(counts.begin(), counts.end()), counts.end());
    for (const int32_t cores : counts) {
        ProcessorCoreCountCache = cores;
        const std::string vipsEnv = "VIPS_CONCURRENCY=" + std::to_string(cores) + " ";
        const std::string magick = "convert -limit thread " + std::to_string(cores) + limits;
        for (const TOperation& op : operations) {
            const double ours = BestOf([&] { op.Ours(source); });
            if (oursOnly) {
                std::printf("%-9s %5d %10.1f\n", op.Name.c_str(), cores, ours);
                continue;
            }
            const std::string out = (folder / "out.v").string();
            const double vips = MedianNetTime(vipsEnv + "vips " + Substituted(op.Vips, vipsFile, out),
                                              vipsEnv + "vips avg " + vipsFile, ToolRuns);
            const double im =
                MedianNetTime(magick + ppm + " " + op.Magick + " null:", magick + ppm + " null:", ToolRuns);
            PrintRow(op.Name, cores, ours, "vips", vips);
            PrintRow("", cores, ours, "convert", im);
            if (pillow.count(op.Name))
                PrintRow("", cores, ours, "pillow", pillow.at(op.Name));
        }
    }
    std::filesystem::remove(folder / "out.v");
    return 0;
}

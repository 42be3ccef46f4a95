// Times the input/output component's portable pixmap load and save of a
// 6000 x 4000 photo-like image (made once with ImageMagick's plasma and
// noise, kept beside the bench):
//   P6 read; P6 read and written again;
// against, in the same run: convert x.ppm null: and convert x.ppm y.ppm;
// vips avg x.ppm (libvips's own PPM loader) and vips copy x.ppm y.ppm. Each
// peer's time is the median of its runs less the same tool's run over a
// 1 x 1 image, so the tool's start cancels out. Goals: ratio <= 1.0 against
// convert, <= 1.5 against vips.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "BenchTools.h"
#include "imaging/core/QkStartup.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/BrelvixIOStartup.h"

namespace {

constexpr int32_t OwnRuns = 5;
constexpr int32_t ToolRuns = 5;

bool Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

bool MakeImages(const std::filesystem::path& folder)
{
    const std::string photo = (folder / "photo.ppm").string();
    if (std::filesystem::exists(photo))
        return Shell("convert -size 1x1 xc:gray " + (folder / "tiny.ppm").string());
    std::printf("making the 6000x4000 test image once...\n");
    std::fflush(stdout);
    return Shell("convert -limit memory 4GiB -limit map 4GiB -seed 42 -size 6000x4000 plasma:fractal "
                 "-attenuate 0.3 +noise Gaussian -depth 8 " +
                 photo) &&
        Shell("convert -size 1x1 xc:gray " + (folder / "tiny.ppm").string());
}

double BestOf(const std::function<void()>& run)
{
    double best = 1e300;
    for (int32_t i = 0; i < OwnRuns; ++i) {
        const TBenchClock::time_point start = TBenchClock::now();
        run();
        best = std::min(best, Milliseconds(start));
    }
    return best;
}

void PrintRow(const char* operation, double ours, const char* peer, double theirs)
{
    std::printf("%-10s %10.1f   %-7s %10.1f   %6.2f\n", operation, ours, peer, theirs, theirs > 0 ? ours / theirs : 0);
}

} // namespace

int main()
{
    InstallBrelvixIOStartup();
    LibraryStaticInit();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "imaging_io_bench";
    std::filesystem::create_directories(folder);
    if (!MakeImages(folder)) {
        std::fprintf(stderr, "cannot make the test image (convert is needed)\n");
        return 1;
    }
    const std::string photo = (folder / "photo.ppm").string();
    const std::string tiny = (folder / "tiny.ppm").string();
    const std::string out = (folder / "out.ppm").string();
    TBrelvixIO io(nullptr);
    const double read = BestOf([&] { io.LoadFromFile(photo); });
    const double copy = BestOf([&] {
        io.LoadFromFile(photo);
        io.SaveToFile(out);
    });
    if (io.Aborting()) {
        std::fprintf(stderr, "the component could not load and save %s\n", photo.c_str());
        return 1;
    }
    const std::string magick = "convert -limit memory 4GiB -limit map 4GiB ";
    std::printf("net milliseconds; ratio = ours / peer\n");
    PrintRow("P6 read", read, "convert", MedianNetTime(magick + photo + " null:", magick + tiny + " null:", ToolRuns));
    PrintRow("", read, "vips", MedianNetTime("vips avg " + photo, "vips avg " + tiny, ToolRuns));
    PrintRow("PPM->PPM", copy, "convert",
             MedianNetTime(magick + photo + " " + out, magick + tiny + " " + out, ToolRuns));
    PrintRow("", copy, "vips",
             MedianNetTime("vips copy " + photo + " " + out, "vips copy " + tiny + " " + out, ToolRuns));
    std::filesystem::remove(out);
    LibraryStaticFinal();
    return 0;
}

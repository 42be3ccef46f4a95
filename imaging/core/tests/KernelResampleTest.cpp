#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "QkBitmapTestSupport.h"
#include "QkCommand.h"
#include "QkTestFolder.h"
#include "imaging/core/QkKernelResample.h"
#include "imaging/core/QkResample.h"
#include "imaging/core/QkSystem.h"

namespace {

// Injects a processor count for one test.
class TCoreCount {
public:
    explicit TCoreCount(int32_t count) : FSaved(ProcessorCoreCountCache) { ProcessorCoreCountCache = count; }
    ~TCoreCount() { ProcessorCoreCountCache = FSaved; }

private:
    int32_t FSaved;
};

// The reference script's source image.
void FillReferencePattern(TQkBitmap& bitmap)
{
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y)
        for (int32_t x = 0; x < bitmap.GetWidth(); ++x)
            for (int32_t c = 0; c < 3; ++c)
                bitmap.GetScanline(y)[3 * x + c] = static_cast<uint8_t>((x * 37 + y * 91 + c * 53) % 256);
}

std::vector<uint8_t> Resampled(TQkBitmap& source, int32_t width, int32_t height, TResampleFilter filter)
{
    TQkBitmap destination(width, height, source.GetPixelFormat());
    ResampleBitmap(source, destination, filter, nullptr, TQkProgressEvent());
    return RowBytes(destination);
}

struct TReferenceCase {
    TResampleFilter Filter;
    int32_t Width;
    int32_t Height;
};

// The reference script's output for a 7 x 5 source, one byte vector per case.
std::vector<std::vector<uint8_t>> ReferenceBytes(const std::vector<TReferenceCase>& cases)
{
    std::ostringstream command;
    command << "python3 '" << TEST_SOURCE_DIR << "/resample_reference.py' 7 5";
    for (const TReferenceCase& c : cases)
        command << ' ' << int(c.Filter) << ':' << c.Width << ':' << c.Height;
    std::istringstream lines(CommandOutput(command.str()));
    std::vector<std::vector<uint8_t>> results;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream values(line);
        results.emplace_back();
        for (int value; values >> value;)
            results.back().push_back(static_cast<uint8_t>(value));
    }
    return results;
}

TEST(KernelResampleTest, EveryKernelMatchesTheReference)
{
    TQkBitmap source(7, 5, qk24RGB);
    FillReferencePattern(source);
    std::vector<TReferenceCase> cases;
    for (int filter = rfTriangle; filter <= rfLinear; ++filter)
        for (const auto& [width, height] : {std::pair{11, 9}, std::pair{3, 2}})
            cases.push_back({static_cast<TResampleFilter>(filter), width, height});
    const std::vector<std::vector<uint8_t>> expected = ReferenceBytes(cases);
    ASSERT_EQ(expected.size(), cases.size());
    const TCoreCount cores(3);
    for (size_t i = 0; i < cases.size(); ++i) {
        const TReferenceCase& c = cases[i];
        SCOPED_TRACE(::testing::Message() << "filter " << c.Filter << " to " << c.Width << "x" << c.Height);
        EXPECT_EQ(Resampled(source, c.Width, c.Height, c.Filter), expected[i]);
    }
}

// PSNR over whole images of the same size.
double Psnr(TQkBitmap& a, TQkBitmap& b)
{
    const std::vector<uint8_t> x = RowBytes(a);
    const std::vector<uint8_t> y = RowBytes(b);
    double squares = 0;
    for (size_t i = 0; i < x.size(); ++i)
        squares += (x[i] - y[i]) * (x[i] - y[i]);
    return squares == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * x.size() / squares);
}

// The peers sample pixel centres, the resampler corner-aligned positions:
// on a smooth image they still agree closely.
TEST(KernelResampleTest, LanczosAgreesWithThePeersOnASmoothImage)
{
    TQkBitmap source(300, 200, qk24RGB);
    for (int32_t y = 0; y < 200; ++y)
        for (int32_t x = 0; x < 300; ++x)
            source.SetPixel24(x, y,
                              MakeRGBPixel(static_cast<uint8_t>(128 + 100 * std::sin(x / 40.0)),
                                           static_cast<uint8_t>(128 + 90 * std::cos(y / 30.0)),
                                           static_cast<uint8_t>((x + y) / 2)));
    TQkBitmap ours(96, 64, qk24RGB);
    ResampleBitmap(source, ours, rfLanczos3, nullptr, TQkProgressEvent());
    const std::string input = ScratchFile("in.ppm");
    WritePpm(source, input);
    const std::string vips = ScratchFile("vips.png");
    const std::string magick = ScratchFile("magick.ppm");
    ASSERT_TRUE(RunTool("convert " + input + " -filter Lanczos -resize 96x64! " + magick));
    ASSERT_TRUE(RunTool("vips resize " + input + " " + vips + " 0.32 --kernel lanczos3 && convert " + vips + " " +
                        vips + ".ppm"));
    for (const std::string& peer : {magick, vips + ".ppm"}) {
        TQkBitmap theirs;
        ASSERT_TRUE(ReadPpm(peer, theirs));
        ASSERT_EQ(theirs.GetWidth(), 96);
        ASSERT_EQ(theirs.GetHeight(), 64);
        EXPECT_GE(Psnr(ours, theirs), 35) << peer;
    }
}

TEST(KernelResampleTest, RowsSplitInOrderWithTheRestOnTheLastWorker)
{
    const auto counts = [](int32_t rows, int32_t workers) {
        std::vector<int32_t> result;
        int32_t next = 0;
        for (const TRowSpan& span : SplitRows(rows, workers)) {
            EXPECT_EQ(span.First, next);
            next += span.Count;
            result.push_back(span.Count);
        }
        return result;
    };
    EXPECT_EQ(counts(10, 4), (std::vector<int32_t>{2, 2, 2, 4}));
    EXPECT_EQ(counts(2, 4), (std::vector<int32_t>{0, 0, 0, 2}));
    EXPECT_EQ(counts(7, 1), (std::vector<int32_t>{7}));
}

TEST(KernelResampleTest, OutputIsTheSameForEveryWorkerCount)
{
    TQkBitmap source(61, 37, qk24RGB);
    FillPattern(source);
    std::vector<uint8_t> enlarged;
    std::vector<uint8_t> reduced;
    for (const int32_t cores : {1, 2, 3, 8}) {
        const TCoreCount injected(cores);
        ASSERT_EQ(ResampleWorkerCount(source), cores);
        const std::vector<uint8_t> up = Resampled(source, 90, 53, rfLanczos3);
        const std::vector<uint8_t> down = Resampled(source, 20, 5, rfMitchell);
        if (cores == 1) {
            enlarged = up;
            reduced = down;
        }
        EXPECT_EQ(up, enlarged) << cores;
        EXPECT_EQ(down, reduced) << cores;
    }
}

TEST(KernelResampleTest, FileStoredSourceUsesOneWorker)
{
    TestFolder folder;
    TemporaryDirectory = folder.Path();
    MemoryThresholdOverride = 0;
    TQkBitmap source(30, 20, qk24RGB);
    MemoryThresholdOverride = -1;
    TemporaryDirectory.clear();
    ASSERT_EQ(source.Location(), qkFile);
    FillPattern(source);
    TQkBitmap inMemory(30, 20, qk24RGB);
    ASSERT_EQ(inMemory.Location(), qkMemory);
    FillPattern(inMemory);
    const TCoreCount cores(4);
    EXPECT_EQ(ResampleWorkerCount(source), 1);
    EXPECT_EQ(Resampled(source, 13, 31, rfBSpline), Resampled(inMemory, 13, 31, rfBSpline));
}

TEST(KernelResampleTest, ProgressRisesToItsLastValueAcrossThreads)
{
    TQkBitmap source(40, 30, qk24RGB);
    FillPattern(source);
    TQkBitmap destination(25, 45, qk24RGB);
    std::mutex lock;
    std::vector<int32_t> values;
    std::set<std::thread::id> threads;
    const TQkProgressEvent onProgress = [&](TObject*, int32_t per) {
        const std::lock_guard<std::mutex> guard(lock);
        values.push_back(per);
        threads.insert(std::this_thread::get_id());
    };
    const TCoreCount cores(4);
    ResampleBitmap(source, destination, rfHermite, nullptr, onProgress);
    ASSERT_FALSE(values.empty());
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_EQ(std::adjacent_find(values.begin(), values.end()), values.end());
    EXPECT_EQ(values.back(), static_cast<int32_t>((30 + 45) * 100 / (30 + 45 + 0.5)));
    EXPECT_EQ(values.back(), 99);
    EXPECT_EQ(threads.size(), 2u) << "worker 0, then the calling thread";
}

TEST(KernelResampleTest, FormatsRouteToTheirResampler)
{
    TQkBitmap mono(9, 7, qk1g);
    for (int32_t y = 0; y < 7; ++y)
        mono.GetScanline(y)[0] = 0xF0;
    TQkBitmap gray(13, 11, qk24RGB);
    ResampleBitmap(mono, gray, rfTriangle, nullptr, TQkProgressEvent());
    EXPECT_EQ(gray.GetPixelFormat(), qk24RGB);
    bool sawMiddle = false;
    for (int32_t x = 0; x < 13; ++x) {
        const TRGBPixel pixel = gray.GetPixel24(x, 5);
        EXPECT_TRUE(pixel.r == pixel.g && pixel.g == pixel.b) << x;
        sawMiddle = sawMiddle || (pixel.g > 0 && pixel.g < 255);
    }
    EXPECT_TRUE(sawMiddle);
    EXPECT_EQ(gray.GetPixel24(0, 0).g, 255);
    EXPECT_EQ(gray.GetPixel24(12, 0).g, 0);
    TQkBitmap projected(5, 4, qk24RGB);
    ResampleBitmap(mono, projected, rfProjectBW, nullptr, TQkProgressEvent());
    EXPECT_EQ(projected.GetPixelFormat(), qk1g);

    TQkBitmap palette(6, 6, qk8p);
    palette.SetPaletteColor(1, MakeRGBPixel(200, 100, 50));
    for (int32_t y = 0; y < 6; ++y)
        std::memset(palette.GetScanline(y), 1, 6);
    TQkBitmap fromPalette(9, 9, qk8p);
    ResampleBitmap(palette, fromPalette, rfLanczos3, nullptr, TQkProgressEvent());
    ASSERT_EQ(fromPalette.GetPixelFormat(), qk24RGB);
    EXPECT_TRUE(SameRGBPixel(fromPalette.GetPixel24(4, 4), MakeRGBPixel(200, 100, 50)));
}

TEST(KernelResampleTest, AlphaFollowsWithTheSameFilter)
{
    TQkBitmap source(12, 8, qk24RGB);
    FillPattern(source);
    TQkBitmap alphaAlone(12, 8, qk8g);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 12; ++x) {
            source.SetAlpha(x, y, static_cast<uint8_t>(x * 20));
            alphaAlone.SetPixel8(x, y, static_cast<uint8_t>(x * 20));
        }
    TQkBitmap destination(7, 15, qk24RGB);
    ResampleBitmap(source, destination, rfBell, nullptr, TQkProgressEvent());
    ASSERT_TRUE(destination.HasAlphaChannel());
    EXPECT_EQ(RowBytes(*destination.GetAlphaChannel()), Resampled(alphaAlone, 7, 15, rfBell));
}

TEST(KernelResampleTest, ExtremeReductionKeepsTheColour)
{
    TQkBitmap source(2000, 3, qk24RGB);
    source.Fill(RGBPixelToColor(MakeRGBPixel(100, 150, 200)));
    TQkBitmap destination(2, 1, qk24RGB);
    ResampleBitmap(source, destination, rfLanczos3, nullptr, TQkProgressEvent());
    EXPECT_TRUE(SameRGBPixel(destination.GetPixel24(0, 0), MakeRGBPixel(100, 150, 200)));
    EXPECT_TRUE(SameRGBPixel(destination.GetPixel24(1, 0), MakeRGBPixel(100, 150, 200)));
}

TEST(KernelResampleTest, SinglePixelFillsTheDestination)
{
    for (const TResampleFilter filter : {rfLanczos3, rfBilinear, rfFastLinear}) {
        TQkBitmap source(1, 1, qk24RGB);
        source.SetPixel24(0, 0, MakeRGBPixel(10, 20, 30));
        TQkBitmap destination(4, 3, qk24RGB);
        ResampleBitmap(source, destination, filter, nullptr, TQkProgressEvent());
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 4; ++x)
                EXPECT_TRUE(SameRGBPixel(destination.GetPixel24(x, y), MakeRGBPixel(10, 20, 30))) << filter;
    }
    TQkBitmap gray(1, 1, qk8g);
    gray.SetPixel8(0, 0, 77);
    EXPECT_EQ(Resampled(gray, 3, 2, rfMitchell), std::vector<uint8_t>(6, 77));
    TQkBitmap mono(1, 1, qk1g);
    mono.GetScanline(0)[0] = 0x80;
    TQkBitmap fromMono(2, 2, qk24RGB);
    ResampleBitmap(mono, fromMono, rfTriangle, nullptr, TQkProgressEvent());
    EXPECT_EQ(RowBytes(fromMono), std::vector<uint8_t>(12, 255));
}

} // namespace

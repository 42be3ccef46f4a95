#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>

#include "QkBitmapTestSupport.h"
#include "imaging/core/QkFastResample.h"
#include "imaging/core/QkResample.h"

namespace {

std::vector<int32_t> BlueRow(TQkBitmap& bitmap)
{
    std::vector<int32_t> values;
    for (int32_t x = 0; x < bitmap.GetWidth(); ++x)
        values.push_back(bitmap.GetScanline(0)[3 * x]);
    return values;
}

std::vector<int32_t> FastLinearRow(std::vector<uint8_t> values, int32_t width)
{
    TQkBitmap source(static_cast<int32_t>(values.size()), 1, qk24RGB);
    for (size_t x = 0; x < values.size(); ++x)
        std::memset(source.GetScanline(0) + 3 * x, values[x], 3);
    TQkBitmap destination(width, 1, qk24RGB);
    ResampleBitmap(source, destination, rfFastLinear, nullptr, TQkProgressEvent());
    return BlueRow(destination);
}

TEST(FastResampleTest, FastLinearInterpolatesUpAndAveragesDown)
{
    EXPECT_EQ(FastLinearRow({0, 200}, 4), (std::vector<int32_t>{0, 100, 200, 200}));
    EXPECT_EQ(FastLinearRow({0, 100, 200, 250}, 2), (std::vector<int32_t>{100, 200}));

    TQkBitmap mono(2, 1, qk1g);
    mono.GetScanline(0)[0] = 0x80;
    TQkBitmap gray(4, 1, qk24RGB);
    ResampleBitmap(mono, gray, rfFastLinear, nullptr, TQkProgressEvent());
    EXPECT_EQ(gray.GetPixelFormat(), qk24RGB);
    EXPECT_EQ(BlueRow(gray), (std::vector<int32_t>{255, 127, 0, 0}));

    TQkBitmap white(8, 8, qk1g);
    white.Fill(1);
    TQkBitmap reduced(2, 2, qk24RGB);
    ResampleBitmap(white, reduced, rfBilinear, nullptr, TQkProgressEvent());
    EXPECT_EQ(BlueRow(reduced), (std::vector<int32_t>{255, 255}));
}

// A single black pixel anywhere in a white 10 x 6 image: with black
// winning, exactly the destination pixel covering it turns black.
TEST(FastResampleTest, ProjectionsConsultEverySourcePixel)
{
    for (int32_t sy = 0; sy < 6; ++sy)
        for (int32_t sx = 0; sx < 10; ++sx) {
            SCOPED_TRACE(::testing::Message() << sx << "," << sy);
            TQkBitmap source(10, 6, qk24RGB);
            source.Fill(static_cast<double>(clWhite));
            std::memset(source.GetScanline(sy) + 3 * sx, 0, 3);
            TQkBitmap destination(2, 3, qk24RGB);
            ResampleBitmap(source, destination, rfProjectBW, nullptr, TQkProgressEvent());
            ASSERT_EQ(destination.GetPixelFormat(), qk1g);
            for (int32_t y = 0; y < 3; ++y)
                for (int32_t x = 0; x < 2; ++x) {
                    const bool black = x == sx / 5 && y == sy / 2;
                    EXPECT_EQ(GetBit(destination.GetScanline(y), x), !black) << x << "," << y;
                }
            // White winning on the inverted image, through 1-bit sources.
            TQkBitmap mono(10, 6, qk1g);
            SetBit(mono.GetScanline(sy), sx, true);
            TQkBitmap projected(2, 3, qk1g);
            ResampleBitmap(mono, projected, rfProjectWB, nullptr, TQkProgressEvent());
            for (int32_t y = 0; y < 3; ++y)
                for (int32_t x = 0; x < 2; ++x)
                    EXPECT_EQ(GetBit(projected.GetScanline(y), x), x == sx / 5 && y == sy / 2);
        }
}

void RandomGray(TQkBitmap& bitmap, uint32_t seed)
{
    std::mt19937 random(seed);
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y)
        for (int32_t x = 0; x < bitmap.GetWidth(); ++x)
            bitmap.GetScanline(y)[x] = static_cast<uint8_t>(random() & 0xFF);
}

// Python's round() takes halves to the even neighbour.
const char* const BlockAverageScript = R"(import sys
w, h, dw, dh = map(int, sys.argv[2:6])
data = open(sys.argv[1], 'rb').read()
bx, by = w // dw, h // dh
out = []
for j in range(dh):
    for i in range(dw):
        s = sum(data[(j * by + y) * w + i * bx + x] for y in range(by) for x in range(bx))
        out.append(round(s / (bx * by)))
open(sys.argv[6], 'wb').write(bytes(out))
)";

TEST(FastResampleTest, AreaReductionsAreBlockAveragesRoundedHalfToEven)
{
    const std::string script = ScratchFile("average.py");
    std::ofstream(script) << BlockAverageScript;
    struct TCase {
        int32_t Width, Height, NewWidth, NewHeight;
    };
    for (const TCase& c : {TCase{9, 9, 3, 3}, TCase{4, 4, 2, 2}, TCase{36, 18, 12, 6}, TCase{20, 12, 10, 6}}) {
        SCOPED_TRACE(::testing::Message() << c.Width << " -> " << c.NewWidth);
        TQkBitmap source(c.Width, c.Height, qk8g);
        RandomGray(source, static_cast<uint32_t>(c.Width * 31 + c.Height));
        const std::string input = ScratchFile("gray.raw");
        const std::string output = ScratchFile("average.raw");
        {
            std::ofstream raw(input, std::ios::binary);
            for (int32_t y = 0; y < c.Height; ++y)
                raw.write(reinterpret_cast<const char*>(source.GetScanline(y)), c.Width);
        }
        ASSERT_TRUE(RunTool("python3 " + script + " " + input + " " + std::to_string(c.Width) + " " +
                            std::to_string(c.Height) + " " + std::to_string(c.NewWidth) + " " +
                            std::to_string(c.NewHeight) + " " + output));
        std::ifstream in(output, std::ios::binary);
        std::vector<char> expected(static_cast<size_t>(c.NewWidth) * c.NewHeight);
        in.read(expected.data(), static_cast<std::streamsize>(expected.size()));

        for (TResampleFilter filter : {rfBilinear, rfBicubic}) {
            TQkBitmap destination(c.NewWidth, c.NewHeight, qk8g);
            ResampleBitmap(source, destination, filter, nullptr, TQkProgressEvent());
            for (int32_t y = 0; y < c.NewHeight; ++y)
                for (int32_t x = 0; x < c.NewWidth; ++x)
                    ASSERT_EQ(destination.GetScanline(y)[x], static_cast<uint8_t>(expected[y * c.NewWidth + x]))
                        << x << "," << y;
        }
    }
}

TEST(FastResampleTest, EightAndSixteenBitAreaResamplersAgree)
{
    for (TResampleFilter filter : {rfBilinear, rfBicubic})
        for (int32_t size : {5, 13}) {
            SCOPED_TRACE(::testing::Message() << filter << " to " << size);
            TQkBitmap narrow(7, 9, qk8g);
            RandomGray(narrow, 5);
            TQkBitmap wide(7, 9, qk16g);
            for (int32_t y = 0; y < 9; ++y)
                for (int32_t x = 0; x < 7; ++x)
                    wide.SetPixel16(x, y, static_cast<uint16_t>(narrow.GetPixel8(x, y) * 257));
            TQkBitmap narrowOut(size, size, qk8g);
            TQkBitmap wideOut(size, size, qk16g);
            ResampleBitmap(narrow, narrowOut, filter, nullptr, TQkProgressEvent());
            ResampleBitmap(wide, wideOut, filter, nullptr, TQkProgressEvent());
            for (int32_t y = 0; y < size; ++y)
                for (int32_t x = 0; x < size; ++x)
                    EXPECT_NEAR(wideOut.GetPixel16(x, y) / 257.0, narrowOut.GetPixel8(x, y), 1.0) << x << "," << y;
        }
}

TEST(FastResampleTest, ProgressOfTheAreaResamplerReachesEveryRow)
{
    TQkBitmap source(8, 8, qk24RGB);
    TQkBitmap destination(4, 4, qk24RGB);
    std::vector<int32_t> percents;
    ResampleBitmap(source, destination, rfBilinear, nullptr, [&](TObject*, int32_t per) { percents.push_back(per); });
    EXPECT_EQ(percents, (std::vector<int32_t>{25, 50, 75, 100}));
}

} // namespace

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkColorRoutines.h"
#include "imaging/core/QkRender.h"

namespace {

// A one-row source of `format` that `Prepare` fills.
struct TSourceCase {
    const char* Name;
    TQkPixelFormat Format;
    int32_t Width;
    std::function<void(TQkBitmap&)> Prepare;
    std::vector<TRGBPixel> Expected;
};

TRGBPixel Gray(uint8_t value) { return MakeRGBPixel(value, value, value); }

template <typename T>
void WriteRow(TQkBitmap& bitmap, std::initializer_list<T> values)
{
    std::memcpy(bitmap.GetScanline(0), std::data(values), values.size() * sizeof(T));
}

// Drawn 1:1 onto a destination filled with red 1, green 2, blue 3; pixels that draw
// nothing keep it.
std::vector<TRGBPixel> Drawn(TQkBitmap& source, int32_t transparency = 255, bool useAlpha = true)
{
    TQkBitmap destination(source.GetWidth(), 1, qk24RGB);
    destination.Fill(0x030201);
    TQkRenderTables tables;
    TQkRenderOptions options;
    options.Transparency = transparency;
    options.UseAlpha = useAlpha;
    RenderToTQkBitmapEx(source, destination, tables, {0, 0, source.GetWidth(), 1}, {0, 0, source.GetWidth(), 1},
                        options);
    std::vector<TRGBPixel> pixels;
    for (int32_t x = 0; x < source.GetWidth(); ++x)
        pixels.push_back(destination.GetPixel24(x, 0));
    return pixels;
}

void ExpectPixels(const std::vector<TRGBPixel>& actual, const std::vector<TRGBPixel>& expected, const char* name)
{
    ASSERT_EQ(actual.size(), expected.size()) << name;
    for (size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].r, expected[i].r) << name << " pixel " << i;
        EXPECT_EQ(actual[i].g, expected[i].g) << name << " pixel " << i;
        EXPECT_EQ(actual[i].b, expected[i].b) << name << " pixel " << i;
    }
}

TRGBPixel Cmyk(TCMYKPixel cmyk)
{
    TRGBPixel rgb;
    CmykToRgb(cmyk, rgb);
    return rgb;
}

TRGBPixel Lab(TCIELabPixel lab)
{
    TRGBPixel rgb;
    CieLabToRgb(rgb, lab);
    return rgb;
}

const TRGBPixel Untouched = MakeRGBPixel(1, 2, 3);

} // namespace

TEST(RenderSources, EveryFormatDrawsItsColour)
{
    const TSourceCase cases[] = {
        {"qk1g",
         qk1g,
         10,
         [](TQkBitmap& b) {
             WriteRow<uint8_t>(b, {0xA0, 0x40});
         },
         {Gray(255), Gray(0), Gray(255), Gray(0), Gray(0), Gray(0), Gray(0), Gray(0), Gray(0), Gray(255)}},
        {"qk8g",
         qk8g,
         3,
         [](TQkBitmap& b) {
             WriteRow<uint8_t>(b, {0, 77, 255});
         },
         {Gray(0), Gray(77), Gray(255)}},
        {"qk8g range 50..150",
         qk8g,
         3,
         [](TQkBitmap& b) {
             WriteRow<uint8_t>(b, {10, 100, 200});
             b.SetRange(50, 150);
         },
         {Gray(0), Gray(127), Gray(255)}},
        {"qk16g high byte",
         qk16g,
         2,
         [](TQkBitmap& b) {
             WriteRow<uint16_t>(b, {0x1234, 0xFFFF});
         },
         {Gray(0x12), Gray(255)}},
        {"qk16g range 1000..2000",
         qk16g,
         3,
         [](TQkBitmap& b) {
             WriteRow<uint16_t>(b, {999, 1500, 60000});
             b.SetRange(1000, 2000);
         },
         {Gray(0), Gray(127), Gray(255)}},
        {"qk32f",
         qk32f,
         4,
         [](TQkBitmap& b) {
             WriteRow<float>(b, {0.5f, -1.0f, 3.0f, 1.0f});
         },
         {Gray(127), Gray(0), Gray(255), Gray(255)}},
        {"qk32f range 0..2",
         qk32f,
         3,
         [](TQkBitmap& b) {
             WriteRow<float>(b, {1.0f, 3.0f, -5.0f});
             b.SetRange(0, 2);
         },
         {Gray(127), Gray(255), Gray(0)}},
        {"qk8p, an index beyond the palette draws nothing",
         qk8p,
         3,
         [](TQkBitmap& b) {
             b.AssignPalette({MakeRGBPixel(10, 20, 30), MakeRGBPixel(40, 50, 60)});
             WriteRow<uint8_t>(b, {1, 0, 2});
         },
         {MakeRGBPixel(40, 50, 60), MakeRGBPixel(10, 20, 30), Untouched}},
        {"qkCMYK",
         qkCMYK,
         2,
         [](TQkBitmap& b) {
             WriteRow<uint8_t>(b, {255, 255, 255, 255, 200, 100, 50, 230});
         },
         {Cmyk({255, 255, 255, 255}), Cmyk({200, 100, 50, 230})}},
        {"qkCIELab",
         qkCIELab,
         2,
         [](TQkBitmap& b) {
             WriteRow<uint8_t>(b, {255, 0, 0, 120, 40, 0xE0});
         },
         {Lab({255, 0, 0}), Lab({120, 40, -32})}},
        {"qkRGB48 high bytes",
         qkRGB48,
         1,
         [](TQkBitmap& b) {
             WriteRow<uint16_t>(b, {0x1234, 0x5678, 0x9ABC});
         },
         {MakeRGBPixel(0x12, 0x56, 0x9A)}},
        {"qk32RGB",
         qk32RGB,
         2,
         [](TQkBitmap& b) {
             WriteRow<uint8_t>(b, {1, 2, 3, 4, 5, 6, 7, 8});
         },
         {MakeRGBPixel(3, 2, 1), MakeRGBPixel(7, 6, 5)}},
        {"qk24RGB range 100..200",
         qk24RGB,
         1,
         [](TQkBitmap& b) {
             WriteRow<uint8_t>(b, {250, 50, 150});
             b.SetRange(100, 200);
         },
         {MakeRGBPixel(127, 0, 255)}},
    };
    for (const TSourceCase& c : cases) {
        TQkBitmap source(c.Width, 1, c.Format);
        c.Prepare(source);
        ExpectPixels(Drawn(source), c.Expected, c.Name);
    }
}

TEST(RenderSources, ContrastAndChannelOffsets)
{
    struct TCase {
        int32_t Contrast;
        bool Offsets;
        TRGBPixel Expected;
    };
    // Source red 192, green 64, blue 128; offsets red +10, green -10.
    const TCase cases[] = {
        {10, false, MakeRGBPixel(255, 0, 128)},
        {-100, false, MakeRGBPixel(128, 128, 128)},
        {0, true, MakeRGBPixel(202, 54, 128)},
        {10, true, MakeRGBPixel(255, 0, 128)},
    };
    for (const TQkPixelFormat format : {qk24RGB, qk32RGB, qkRGB48})
        for (const TCase& c : cases) {
            TQkBitmap source(1, 1, format);
            if (format == qkRGB48)
                WriteRow<uint16_t>(source, {192 << 8, 64 << 8, 128 << 8});
            else
                WriteRow<uint8_t>(source, {128, 64, 192, 0});
            source.RenderAdjustments().Contrast = c.Contrast;
            source.RenderAdjustments().ChannelOffsetEnabled = c.Offsets;
            // 48-bit offsets are in 16-bit units.
            const int32_t unit = format == qkRGB48 ? 256 : 1;
            source.RenderAdjustments().ChannelOffset = {10 * unit, -10 * unit, 0, 99};
            ExpectPixels(Drawn(source), {c.Expected}, "contrast");
        }
}

TEST(RenderSources, TransparencyAndAlphaChannel)
{
    TQkBitmap white(2, 1, qk24RGB);
    white.Fill(0xFFFFFF);
    // The destination moves toward 255 by 128/256, rounding down.
    ExpectPixels(Drawn(white, 128), {MakeRGBPixel(128, 128, 129), MakeRGBPixel(128, 128, 129)}, "transparency");
    ExpectPixels(Drawn(white, 0), {Untouched, Untouched}, "invisible");

    TQkBitmap black(1, 1, qk24RGB);
    TQkBitmap overWhite(1, 1, qk24RGB);
    overWhite.Fill(0xFFFFFF);
    ASSERT_TRUE(RenderToTQkBitmap(overWhite, black, {0, 0, 1, 1}, {0, 0, 1, 1}, 128, rfNone, 0));
    EXPECT_EQ(black.GetPixel24(0, 0).g, 127);

    // Alpha 64 and 200: the weight is the smaller of alpha and transparency.
    TQkBitmap layered(2, 1, qk24RGB);
    layered.Fill(0xFFFFFF);
    TQkBitmap& alpha = *layered.GetAlphaChannel();
    alpha.SetPixel8(0, 0, 64);
    alpha.SetPixel8(1, 0, 200);
    alpha.SetFull(false);
    ExpectPixels(Drawn(layered), {MakeRGBPixel(64, 65, 66), MakeRGBPixel(199, 199, 199)}, "alpha");
    ExpectPixels(Drawn(layered, 100), {MakeRGBPixel(64, 65, 66), MakeRGBPixel(100, 100, 101)},
                 "alpha and transparency");
    ExpectPixels(Drawn(layered, 255, false), {Gray(255), Gray(255)}, "alpha not used");
    // A channel marked wholly opaque is not read.
    alpha.SetFull(true);
    ExpectPixels(Drawn(layered), {Gray(255), Gray(255)}, "full alpha");

    // Bilevel sources blend white or black; moving down rounds down too.
    TQkBitmap bilevel(2, 1, qk1g);
    WriteRow<uint8_t>(bilevel, {0x80});
    ExpectPixels(Drawn(bilevel, 128), {MakeRGBPixel(128, 128, 129), MakeRGBPixel(0, 1, 1)}, "qk1g blended");
}

#include "platform/gfx/tests/GfxTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

namespace {

struct TRopCase {
    const char* Name;
    uint32_t Rop;
    std::function<uint32_t(uint32_t p, uint32_t s, uint32_t d)> Expected;
};

// 24-bit raw values 0xRRGGBB of the three operands.
constexpr uint32_t Pattern = 0x3C5A96, Source = 0x0FF00F, Dest = 0x00FFF0;

TColor ColorOfRaw(uint32_t raw) { return RGB((raw >> 16) & 0xFF, (raw >> 8) & 0xFF, raw & 0xFF); }

class RasterOperations : public ::testing::TestWithParam<TRopCase> {};

TEST_P(RasterOperations, CombinePatternSourceAndDestinationBitwise)
{
    const TRopCase c = GetParam();
    auto source = MakeBitmap(2, 1, pf24bit, ColorOfRaw(Source));
    auto dest = MakeBitmap(3, 1, pf24bit, ColorOfRaw(Dest));
    dest->Canvas()->Brush()->SetColor(ColorOfRaw(Pattern));
    dest->Canvas()->BitBlt(1, 0, 2, 1, source->Canvas(), 0, 0, c.Rop);
    EXPECT_EQ(dest->Canvas()->Pixels(1, 0), ColorOfRaw(c.Expected(Pattern, Source, Dest) & 0xFFFFFF)) << c.Name;
    EXPECT_EQ(dest->Canvas()->Pixels(0, 0), ColorOfRaw(Dest)) << "outside the blit";
}

TEST_P(RasterOperations, MonochromeSourceEntersAsTextAndBackgroundColours)
{
    const TRopCase c = GetParam();
    TBitmap mono(2, 1, pf1bit);
    mono.Canvas()->SetPixel(0, 0, clWhite);
    mono.Canvas()->SetPixel(1, 0, clBlack);
    const uint32_t textRaw = 0x123456;
    auto dest = MakeBitmap(2, 1, pf24bit, ColorOfRaw(Dest));
    dest->Canvas()->Brush()->SetColor(ColorOfRaw(Pattern));
    dest->Canvas()->SetBackgroundColor(ColorOfRaw(Source));
    dest->Canvas()->SetTextColor(ColorOfRaw(textRaw));
    dest->Canvas()->BitBlt(0, 0, 2, 1, mono.Canvas(), 0, 0, c.Rop);
    EXPECT_EQ(dest->Canvas()->Pixels(0, 0), ColorOfRaw(c.Expected(Pattern, Source, Dest) & 0xFFFFFF)) << c.Name;
    EXPECT_EQ(dest->Canvas()->Pixels(1, 0), ColorOfRaw(c.Expected(Pattern, textRaw, Dest) & 0xFFFFFF)) << c.Name;
}

TEST_P(RasterOperations, MonochromeDestinationWorksOnBits)
{
    // Source pixels: background colour (bit 1), other colour (bit 0);
    // destination bits 1 and 0 under each; a white brush is bit 1.
    const TRopCase c = GetParam();
    auto source = MakeBitmap(4, 1, pf24bit, clRed);
    source->Canvas()->SetPixel(0, 0, clLime);
    source->Canvas()->SetPixel(1, 0, clLime);
    source->Canvas()->SetBackgroundColor(clLime);
    TBitmap dest(4, 1, pf1bit);
    for (int32_t x : {0, 2})
        dest.Canvas()->SetPixel(x, 0, clWhite);
    for (int32_t x : {1, 3})
        dest.Canvas()->SetPixel(x, 0, clBlack);
    dest.Canvas()->Brush()->SetColor(clWhite);
    dest.Canvas()->BitBlt(0, 0, 4, 1, source->Canvas(), 0, 0, c.Rop);
    const uint32_t sourceBits[4] = {1, 1, 0, 0}, destBits[4] = {1, 0, 1, 0};
    for (int32_t x = 0; x < 4; ++x)
        EXPECT_EQ(ReadRaw(dest.ScanLine(0), x, 1), c.Expected(1, sourceBits[x], destBits[x]) & 1u)
            << c.Name << " " << x;
}

INSTANTIATE_TEST_SUITE_P(
    All, RasterOperations,
    ::testing::Values(TRopCase{"SRCCOPY", SRCCOPY, [](auto, auto s, auto) { return s; }},
                      TRopCase{"SRCAND", SRCAND, [](auto, auto s, auto d) { return s & d; }},
                      TRopCase{"SRCPAINT", SRCPAINT, [](auto, auto s, auto d) { return s | d; }},
                      TRopCase{"SRCINVERT", SRCINVERT, [](auto, auto s, auto d) { return s ^ d; }},
                      TRopCase{"SRCERASE", SRCERASE, [](auto, auto s, auto d) { return s & ~d; }},
                      TRopCase{"MERGEPAINT", MERGEPAINT, [](auto, auto s, auto d) { return ~s | d; }},
                      TRopCase{"NOTSRCCOPY", NOTSRCCOPY, [](auto, auto s, auto) { return ~s; }},
                      TRopCase{"PATCOPY", PATCOPY, [](auto p, auto, auto) { return p; }},
                      TRopCase{"PATINVERT", PATINVERT, [](auto p, auto, auto d) { return p ^ d; }},
                      TRopCase{"DSTINVERT", DSTINVERT, [](auto, auto, auto d) { return ~d; }},
                      TRopCase{"BLACKNESS", BLACKNESS, [](auto, auto, auto) { return 0u; }},
                      TRopCase{"WHITENESS", WHITENESS, [](auto, auto, auto) { return 0xFFFFFFu; }},
                      TRopCase{"MERGECOPY", MERGECOPY, [](auto p, auto s, auto) { return p & s; }}),
    [](const auto& testCase) { return std::string(testCase.param.Name); });

} // namespace

TEST(Blits, MonochromeSourceTakesTheDestinationsTextAndBackgroundColours)
{
    TBitmap mono(2, 1, pf1bit);
    mono.Canvas()->SetPixel(0, 0, clWhite); // bit 1
    mono.Canvas()->SetPixel(1, 0, clBlack); // bit 0
    auto dest = MakeBitmap(2, 1);
    dest->Canvas()->SetBackgroundColor(clLime);
    dest->Canvas()->SetTextColor(clRed);
    dest->Canvas()->BitBlt(0, 0, 2, 1, mono.Canvas(), 0, 0, SRCCOPY);
    EXPECT_EQ(dest->Canvas()->Pixels(0, 0), clLime);
    EXPECT_EQ(dest->Canvas()->Pixels(1, 0), clRed);
}

TEST(Blits, ColourToMonochromeMarksTheSourceBackgroundColourAsOne)
{
    auto source = MakeBitmap(3, 1, pf24bit, clBlue);
    source->Canvas()->SetPixel(1, 0, clFuchsia);
    source->Canvas()->SetBackgroundColor(clFuchsia);
    TBitmap mask(3, 1, pf1bit);
    mask.Canvas()->BitBlt(0, 0, 3, 1, source->Canvas(), 0, 0, SRCCOPY);
    EXPECT_EQ(ReadRaw(mask.ScanLine(0), 0, 1), 0u);
    EXPECT_EQ(ReadRaw(mask.ScanLine(0), 1, 1), 1u);
    EXPECT_EQ(ReadRaw(mask.ScanLine(0), 2, 1), 0u);
}

TEST(Blits, MaskAndImageMakeATransparentCopy)
{
    // The classic recipe: mask with SRCAND, blacked-out image with SRCPAINT.
    auto image = MakeBitmap(3, 1, pf24bit, clRed);
    image->Canvas()->SetPixel(1, 0, clLime); // the transparent colour
    image->Canvas()->SetBackgroundColor(clLime);
    TBitmap mask(3, 1, pf1bit);
    mask.Canvas()->BitBlt(0, 0, 3, 1, image->Canvas(), 0, 0, SRCCOPY);
    image->Canvas()->SetBackgroundColor(clBlack);
    image->Canvas()->SetTextColor(clWhite);
    image->Canvas()->BitBlt(0, 0, 3, 1, mask.Canvas(), 0, 0, SRCAND);
    auto dest = MakeBitmap(3, 1, pf24bit, clBlue);
    dest->Canvas()->SetBackgroundColor(clWhite);
    dest->Canvas()->SetTextColor(clBlack);
    dest->Canvas()->BitBlt(0, 0, 3, 1, mask.Canvas(), 0, 0, SRCAND);
    dest->Canvas()->BitBlt(0, 0, 3, 1, image->Canvas(), 0, 0, SRCPAINT);
    EXPECT_EQ(InkMap(*dest, clRed), "#.#\n");
    EXPECT_EQ(dest->Canvas()->Pixels(1, 0), clBlue);
}

TEST(Blits, PaletteSourcesConvertByColour)
{
    TBitmap source(1, 1, pf8bit);
    source.Canvas()->SetPixel(0, 0, clTeal);
    for (TPixelFormat f : {pf4bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
        TBitmap dest(1, 1, f);
        dest.Canvas()->BitBlt(0, 0, 1, 1, source.Canvas(), 0, 0, SRCCOPY);
        EXPECT_EQ(dest.Canvas()->Pixels(0, 0) & 0xF0F0F0, clTeal & 0xF0F0F0) << f;
    }
}

namespace {

struct TStretchCase {
    const char* Name;
    int32_t X, Width, SourceX, SourceWidth;
    const char* Expected; // destination row of six pixels, letters of source pixels
};

class StretchExtents : public ::testing::TestWithParam<TStretchCase> {};

TEST_P(StretchExtents, NegativeExtentsMirror)
{
    const TStretchCase c = GetParam();
    const TColor colours[] = {clRed, clLime, clBlue};
    auto source = MakeBitmap(3, 1);
    for (int i = 0; i < 3; ++i)
        source->Canvas()->SetPixel(i, 0, colours[i]);
    auto dest = MakeBitmap(6, 1);
    dest->Canvas()->SetStretchMode(COLORONCOLOR);
    dest->Canvas()->StretchBlt(c.X, 0, c.Width, 1, source->Canvas(), c.SourceX, 0, c.SourceWidth, 1, SRCCOPY);
    std::string row;
    for (int x = 0; x < 6; ++x) {
        const TColor p = dest->Canvas()->Pixels(x, 0);
        row += p == clRed ? 'r' : p == clLime ? 'g' : p == clBlue ? 'b' : '.';
    }
    EXPECT_EQ(row, c.Expected) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(All, StretchExtents,
                         ::testing::Values(TStretchCase{"copy", 0, 3, 0, 3, "rgb..."},
                                           TStretchCase{"double", 0, 6, 0, 3, "rrggbb"},
                                           TStretchCase{"mirrored destination", 2, -3, 0, 3, "bgr..."},
                                           TStretchCase{"mirrored source", 0, 3, 2, -3, "bgr..."},
                                           TStretchCase{"both mirrored", 5, -3, 2, -3, "...rgb"},
                                           TStretchCase{"mirrored double", 5, -6, 0, 3, "bbggrr"},
                                           TStretchCase{"shrink", 0, 1, 0, 3, "g....."}),
                         [](const auto& testCase) {
                             std::string name = testCase.param.Name;
                             for (char& ch : name)
                                 if (ch == ' ')
                                     ch = '_';
                             return name;
                         });

} // namespace

TEST(Blits, HalftoneShrinkAveragesAndBlackOnWhiteKeepsDarkPixels)
{
    auto source = MakeBitmap(2, 2, pf24bit, clWhite);
    source->Canvas()->SetPixel(0, 0, clBlack);
    auto halftone = MakeBitmap(1, 1), blackOnWhite = MakeBitmap(1, 1);
    halftone->Canvas()->SetStretchMode(HALFTONE);
    halftone->Canvas()->StretchBlt(0, 0, 1, 1, source->Canvas(), 0, 0, 2, 2, SRCCOPY);
    blackOnWhite->Canvas()->StretchBlt(0, 0, 1, 1, source->Canvas(), 0, 0, 2, 2, SRCCOPY);
    EXPECT_EQ(halftone->Canvas()->Pixels(0, 0), RGB(191, 191, 191));
    EXPECT_EQ(blackOnWhite->Canvas()->Pixels(0, 0), clBlack);
}

TEST(Blits, OverlappingCopyWithinOneBitmapReadsTheOriginalPixels)
{
    auto bitmap = MakeBitmap(4, 1);
    bitmap->Canvas()->SetPixel(0, 0, clRed);
    bitmap->Canvas()->SetPixel(1, 0, clLime);
    bitmap->Canvas()->BitBlt(1, 0, 3, 1, bitmap->Canvas(), 0, 0, SRCCOPY);
    EXPECT_EQ(bitmap->Canvas()->Pixels(1, 0), clRed);
    EXPECT_EQ(bitmap->Canvas()->Pixels(2, 0), clLime);
}

TEST(Blits, TransparentBltSkipsTheKeyColour)
{
    auto source = MakeBitmap(2, 1, pf24bit, clFuchsia);
    source->Canvas()->SetPixel(1, 0, clRed);
    auto dest = MakeBitmap(2, 1, pf24bit, clBlue);
    dest->Canvas()->TransparentBlt(0, 0, 2, 1, source->Canvas(), 0, 0, 2, 1, clFuchsia);
    EXPECT_EQ(dest->Canvas()->Pixels(0, 0), clBlue);
    EXPECT_EQ(dest->Canvas()->Pixels(1, 0), clRed);
}

TEST(Blits, MaskBltChoosesForegroundOperationWhereTheMaskIsSet)
{
    auto source = MakeBitmap(2, 1, pf24bit, clRed);
    TBitmap mask(2, 1, pf1bit);
    mask.Canvas()->SetPixel(0, 0, clWhite);
    mask.Canvas()->SetPixel(1, 0, clBlack);
    auto dest = MakeBitmap(2, 1, pf24bit, clBlue);
    dest->Canvas()->MaskBlt(0, 0, 2, 1, source->Canvas(), 0, 0, &mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029));
    EXPECT_EQ(dest->Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(dest->Canvas()->Pixels(1, 0), clBlue);
}

TEST(Blits, AlphaBlendUsesPremultipliedSourcePixels)
{
    TBitmap source(1, 1, pf32bit);
    const uint32_t halfRed = 0x80800000; // alpha 128, red 128 premultiplied
    WriteRaw(source.ScanLine(0), 0, 32, halfRed);
    auto dest = MakeBitmap(1, 1, pf24bit, clBlue);
    dest->Canvas()->AlphaBlend(0, 0, 1, 1, source.Canvas(), 0, 0, 1, 1, TBlendFunction{});
    EXPECT_EQ(dest->Canvas()->Pixels(0, 0), RGB(128, 0, 127));
    auto faded = MakeBitmap(1, 1, pf24bit, clBlack);
    faded->Canvas()->AlphaBlend(0, 0, 1, 1, source.Canvas(), 0, 0, 1, 1, TBlendFunction{128, true});
    EXPECT_EQ(faded->Canvas()->Pixels(0, 0), RGB(64, 0, 0));
}

TEST(Blits, BrushCopyReplacesTheKeyColourByTheBrush)
{
    auto source = MakeBitmap(2, 1, pf24bit, clWhite);
    source->Canvas()->SetPixel(0, 0, clRed);
    auto dest = MakeBitmap(2, 1, pf24bit, clBlack);
    dest->Canvas()->Brush()->SetColor(clLime);
    dest->Canvas()->BrushCopy(Rect(0, 0, 2, 1), source.get(), Rect(0, 0, 2, 1), clWhite);
    EXPECT_EQ(dest->Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(dest->Canvas()->Pixels(1, 0), clLime);
}

TEST(Blits, DrawingABitmapStretchesAndHonoursTransparency)
{
    auto picture = MakeBitmap(2, 2, pf24bit, clLime);
    picture->Canvas()->SetPixel(0, 0, clRed);
    auto dest = MakeBitmap(4, 4, pf24bit, clWhite);
    dest->Canvas()->StretchDraw(Rect(0, 0, 4, 4), picture.get());
    EXPECT_EQ(InkMap(*dest, clRed), "##..\n##..\n....\n....\n");
    EXPECT_EQ(dest->Canvas()->StretchMode(), BLACKONWHITE) << "the canvas keeps its own mode";
    picture->SetTransparent(true); // the bottom-left lime is transparent
    auto second = MakeBitmap(2, 2, pf24bit, clBlue);
    second->Canvas()->Draw(0, 0, picture.get());
    EXPECT_EQ(InkMap(*second, clBlue), ".#\n##\n");
}

namespace {

// A bitmap of random bytes, alpha included.
std::unique_ptr<TBitmap> RandomBitmap(std::mt19937& random, int32_t width, int32_t height, TPixelFormat format)
{
    auto bitmap = std::make_unique<TBitmap>(width, height, format);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < bitmap->RowBytes(); ++x)
            bitmap->ScanLine(y)[x] = static_cast<uint8_t>(random());
    return bitmap;
}

bool SamePixels(TBitmap& a, TBitmap& b)
{
    const auto rowBytes = static_cast<size_t>(a.Width()) * (a.BitCount() / 8);
    for (int32_t y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.ScanLine(y), b.ScanLine(y), rowBytes) != 0)
            return false;
    return true;
}

} // namespace

// The nearest-pixel copy between 24- and 32-bit bitmaps has its own loops;
// OR-ing the source onto zeros takes the general per-pixel path, and both
// must agree on random pictures, extents (mirrored ones too) and clips.
TEST(Blits, StretchedCopiesMatchThePixelByPixelPath)
{
    std::mt19937 random(7);
    const TPixelFormat formats[] = {pf24bit, pf32bit};
    for (int round = 0; round < 120; ++round) {
        const TPixelFormat from = formats[round % 2], to = formats[(round / 2) % 2];
        auto pick = [&](int32_t range) {
            return static_cast<int32_t>(random() % static_cast<uint32_t>(2 * range + 1)) - range;
        };
        auto source = RandomBitmap(random, 41 + pick(40), 21 + pick(20), from);
        auto fast = std::make_unique<TBitmap>(48, 24, to), general = std::make_unique<TBitmap>(48, 24, to);
        for (TBitmap* dest : {fast.get(), general.get()}) {
            for (int32_t row = 0; row < dest->Height(); ++row)
                std::memset(dest->ScanLine(row), 0, static_cast<size_t>(dest->RowBytes()));
            dest->Canvas()->SetStretchMode(COLORONCOLOR);
        }
        const int32_t x = pick(10) + 10, y = pick(5) + 5, width = pick(50), height = pick(25);
        const int32_t sx = pick(4) + 4, sy = pick(3) + 3, sw = pick(30), sh = pick(15);
        if (round % 3 == 0) {
            fast->Canvas()->ExcludeClipRect(5, 5, 20, 12);
            general->Canvas()->ExcludeClipRect(5, 5, 20, 12);
        }
        fast->Canvas()->StretchBlt(x, y, width, height, source->Canvas(), sx, sy, sw, sh, SRCCOPY);
        general->Canvas()->StretchBlt(x, y, width, height, source->Canvas(), sx, sy, sw, sh, SRCPAINT);
        ASSERT_TRUE(SamePixels(*fast, *general)) << "round " << round;
    }
}

namespace {

uint32_t Scaled(uint32_t value, uint32_t alpha) { return (value * alpha + 127) / 255; }

// The blend of one pixel by its rules, written out channel by channel.
uint32_t BlendedPixel(uint32_t source, uint32_t dest, TBlendFunction blend, bool sourceHasAlpha)
{
    const uint32_t constant = blend.SourceConstantAlpha;
    const uint32_t alpha = blend.UseSourceAlpha && sourceHasAlpha ? Scaled(source >> 24, constant) : constant;
    if (source == 0)
        return dest;
    if (alpha == 255 && constant == 255)
        return source | 0xFF000000u;
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
        out |= std::min<uint32_t>(
                   255, Scaled((source >> shift) & 0xFF, constant) + Scaled((dest >> shift) & 0xFF, 255 - alpha))
            << shift;
    return out | std::min<uint32_t>(255, alpha + Scaled(dest >> 24, 255 - alpha)) << 24;
}

} // namespace

// Blends take pixman's or the word-at-a-time loop by format and mode; on
// random premultiplied-or-not pixels, constants and placements (partly
// outside either bitmap) every pixel must be what the rules give.
TEST(Blits, AlphaBlendMatchesTheRulesOnRandomPixels)
{
    std::mt19937 random(11);
    const TPixelFormat formats[] = {pf24bit, pf32bit};
    const uint8_t constants[] = {0, 1, 128, 200, 254, 255};
    for (int round = 0; round < 96; ++round) {
        const TPixelFormat from = formats[round % 2], to = formats[(round / 2) % 2];
        const TBlendFunction blend{constants[(round / 4) % 6], round % 24 < 12};
        auto source = RandomBitmap(random, 20, 12, from);
        if (round % 3 == 0) // zero and opaque pixels take their own ways
            for (int32_t x = 0; x < 20; ++x) {
                const uint32_t special = x % 2 ? 0u : (0xFF000000u | static_cast<uint32_t>(random()));
                WriteRaw(source->ScanLine(x % 12), x, source->BitCount(), special & RawMask(source->BitCount()));
            }
        auto dest = RandomBitmap(random, 24, 16, to);
        TBitmap before;
        before.Assign(dest.get());
        const int32_t x = static_cast<int32_t>(random() % 12) - 4, y = static_cast<int32_t>(random() % 10) - 3;
        const int32_t sx = static_cast<int32_t>(random() % 8) - 2, sy = static_cast<int32_t>(random() % 6) - 2;
        dest->Canvas()->AlphaBlend(x, y, 20, 12, source->Canvas(), sx, sy, 20, 12, blend);
        for (int32_t py = 0; py < dest->Height(); ++py)
            for (int32_t px = 0; px < dest->Width(); ++px) {
                const int32_t qx = px - x + sx, qy = py - y + sy;
                const uint32_t old = ReadRaw(before.ScanLine(py), px, before.BitCount());
                const bool covered =
                    px >= x && px < x + 20 && py >= y && py < y + 12 && qx >= 0 && qx < 20 && qy >= 0 && qy < 12;
                uint32_t expected = old;
                if (covered)
                    expected = BlendedPixel(ReadRaw(source->ScanLine(qy), qx, source->BitCount()), old, blend,
                                            from == pf32bit) &
                        RawMask(dest->BitCount());
                ASSERT_EQ(ReadRaw(dest->ScanLine(py), px, dest->BitCount()), expected)
                    << "round " << round << " at " << px << ", " << py;
            }
    }
}

// Copies of a bitmap onto itself, shifted each way, equal copies made
// through a separate bitmap, for plain and stretched blits.
TEST(Blits, SelfCopiesInEveryDirectionMatchCopiesThroughAnotherBitmap)
{
    const auto pattern = [](TBitmap& bitmap) {
        for (int32_t y = 0; y < bitmap.Height(); ++y)
            for (int32_t x = 0; x < bitmap.Width(); ++x)
                bitmap.Canvas()->SetPixel(x, y, RGB(uint8_t(x * 20), uint8_t(y * 30), uint8_t(x * y)));
    };
    const TPoint shifts[] = {{3, 0}, {-3, 0}, {0, 2}, {0, -2}};
    for (const TPoint shift : shifts)
        for (const bool stretched : {false, true}) {
            auto self = MakeBitmap(12, 8), through = MakeBitmap(12, 8), copy = MakeBitmap(12, 8);
            pattern(*self);
            pattern(*through);
            copy->Canvas()->BitBlt(0, 0, 12, 8, through->Canvas(), 0, 0, SRCCOPY);
            const int32_t w = stretched ? 6 : 9, h = stretched ? 4 : 6;
            for (auto& [target, source] : {std::pair{self.get(), self.get()}, {through.get(), copy.get()}}) {
                target->Canvas()->SetStretchMode(HALFTONE);
                target->Canvas()->StretchBlt(2 + shift.X, 1 + shift.Y, w, h, source->Canvas(), 2, 1, 9, 6, SRCCOPY);
            }
            for (int32_t y = 0; y < 8; ++y)
                for (int32_t x = 0; x < 12; ++x)
                    ASSERT_EQ(self->Canvas()->Pixels(x, y), through->Canvas()->Pixels(x, y))
                        << shift.X << "," << shift.Y << (stretched ? " stretched" : "") << " at " << x << "," << y;
        }
}

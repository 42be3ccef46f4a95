// The anti-aliased text engine: mask effects and blends on small synthetic
// masks, the settings objects, and renderings of real text.

#include "controls/aa/AAFont.h"

#include "platform/core/IniFile.h"
#include "platform/core/Types.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <numbers>
#include <stdexcept>

namespace {

using Rows = std::vector<std::vector<int>>;

void FillMask(TAAMask& mask, const Rows& rows)
{
    mask.SetSize(static_cast<int32_t>(rows[0].size()), static_cast<int32_t>(rows.size()));
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            mask.MaskRow(static_cast<int32_t>(y))[x] = static_cast<uint8_t>(rows[y][x]);
}

Rows MaskRows(const TAAMask& mask)
{
    Rows rows(mask.Height(), std::vector<int>(mask.Width()));
    for (int32_t y = 0; y < mask.Height(); ++y)
        for (int32_t x = 0; x < mask.Width(); ++x)
            rows[y][x] = mask.MaskRow(y)[x];
    return rows;
}

// Answers a fixed script; each draw checks the range it was asked for.
class TScriptedRandom : public TAARandom {
public:
    struct TDraw {
        int32_t Range;
        int32_t Value;
    };
    explicit TScriptedRandom(std::deque<TDraw> script) : FScript(std::move(script)) {}
    bool Finished() const { return FScript.empty(); }

protected:
    int32_t Next(int32_t range) override
    {
        if (FScript.empty())
            throw std::runtime_error("random script exhausted");
        TDraw draw = FScript.front();
        FScript.pop_front();
        EXPECT_EQ(draw.Range, range);
        return draw.Value;
    }

private:
    std::deque<TDraw> FScript;
};

class TThrowingRandom : public TAARandom {
protected:
    int32_t Next(int32_t) override { throw std::runtime_error("no numbers"); }
};

struct TTarget {
    TBitmap Bitmap;
    TAAFontEx Drawer;
    explicit TTarget(int32_t width = 8, int32_t height = 4, TColor background = clWhite)
        : Bitmap(width, height, pf24bit), Drawer(Bitmap.Canvas())
    {
        Bitmap.Canvas()->FillSolidRect(Rect(0, 0, width, height), background);
    }
    TCanvas& Canvas() { return *Bitmap.Canvas(); }
};

TRect InkBox(TBitmap& bitmap, TColor background)
{
    TRect box{bitmap.Width(), bitmap.Height(), 0, 0};
    for (int32_t y = 0; y < bitmap.Height(); ++y)
        for (int32_t x = 0; x < bitmap.Width(); ++x)
            if (bitmap.Canvas()->Pixels(x, y) != background)
                box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                       std::max(box.Bottom, y + 1)};
    return box;
}

void UseFont(TCanvas& canvas, const std::string& name, int32_t height, TColor color, TFontStyles style = {})
{
    canvas.Font()->SetName(name);
    canvas.Font()->SetHeight(height);
    canvas.Font()->SetColor(color);
    canvas.Font()->SetStyle(style);
}

} // namespace

// ---- Blending ------------------------------------------------------------------------

TEST(AABlend, SolidColourFollowsCoverageTimesAlpha)
{
    struct TCase {
        int Alpha, Coverage;
        TColor Background, Color, Expected;
    };
    const TCase cases[] = {
        {100, 255, clWhite, RGB(10, 20, 30), RGB(10, 20, 30)}, // p = 65280: copied exactly
        {50, 255, clBlack, clWhite, RGB(126, 126, 126)}, // k = 127
        {100, 1, clWhite, clBlack, RGB(254, 254, 254)}, // k = 1, the shift rounds down
        {100, 0, clWhite, clBlack, clWhite}, // no coverage, no change
        {0, 255, clWhite, clBlack, clWhite},
        {100, 254, clWhite, clBlack, RGB(1, 1, 1)}, // full coverage at aqNormal
    };
    for (const TCase& c : cases) {
        TTarget target(3, 1, c.Background);
        target.Canvas().Brush()->SetStyle(bsClear);
        TAAMask mask(&target.Drawer);
        FillMask(mask, {{c.Coverage}});
        target.Drawer.Blend()->BlendSolidColor(1, 0, mask, c.Alpha, c.Color);
        EXPECT_EQ(c.Expected, target.Canvas().Pixels(1, 0)) << c.Alpha << "% of " << c.Coverage;
        EXPECT_EQ(c.Background, target.Canvas().Pixels(0, 0));
        EXPECT_EQ(c.Background, target.Canvas().Pixels(2, 0));
    }
}

TEST(AABlend, SolidBrushBoxesTheTextClearBrushKeepsTheBackground)
{
    TTarget target(2, 1, clWhite);
    target.Canvas().Brush()->SetColor(clYellow);
    TAAMask mask(&target.Drawer);
    FillMask(mask, {{0, 255}});
    target.Drawer.Blend()->BlendSolidColor(0, 0, mask, 100, clBlue);
    EXPECT_EQ(clYellow, target.Canvas().Pixels(0, 0));
    EXPECT_EQ(clBlue, target.Canvas().Pixels(1, 0));

    TTarget clear(2, 1, clWhite);
    clear.Canvas().Brush()->SetStyle(bsClear);
    clear.Drawer.Blend()->BlendSolidColor(0, 0, mask, 100, clBlue);
    EXPECT_EQ(clWhite, clear.Canvas().Pixels(0, 0));
}

TEST(AABlend, ForeBitmapGivesEachPixelItsColourAndMustMatchTheMask)
{
    TTarget target(2, 1, clWhite);
    target.Canvas().Brush()->SetStyle(bsClear);
    TAAMask mask(&target.Drawer);
    FillMask(mask, {{255, 255}});
    TBitmap& fore = *target.Drawer.Blend()->ForeBmp();
    fore.SetSize(2, 1);
    fore.Canvas()->SetPixel(0, 0, clRed);
    fore.Canvas()->SetPixel(1, 0, clLime);
    target.Drawer.Blend()->BlendForeBitmap(0, 0, mask, 100);
    EXPECT_EQ(clRed, target.Canvas().Pixels(0, 0));
    EXPECT_EQ(clLime, target.Canvas().Pixels(1, 0));

    fore.SetSize(3, 1);
    EXPECT_THROW(target.Drawer.Blend()->BlendForeBitmap(0, 0, mask, 100), EInvalidForeBmp);
    fore.SetSize(2, 1);
    fore.SetPixelFormat(pf32bit);
    try {
        target.Drawer.Blend()->BlendForeBitmap(0, 0, mask, 100);
        FAIL() << "a 32-bit foreground was accepted";
    } catch (const EInvalidForeBmp& e) {
        EXPECT_EQ("Invalid foreground bitmap!", e.Message());
    }
}

TEST(AABlend, NothingHappensWithoutACanvas)
{
    TAAFontEx drawer(nullptr);
    FillMask(*drawer.Mask(), {{255}});
    drawer.Blend()->BlendSolidColor(0, 0, *drawer.Mask(), 100, clRed);
    EXPECT_EQ(TSize{}, drawer.MeasureText("text"));
    drawer.RenderText(0, 0, "text");
    EXPECT_EQ(1, drawer.Mask()->Width());
}

// ---- Mask effects --------------------------------------------------------------------

TEST(AAMask, RowsOutsideTheMaskAreRefused)
{
    TAAMask mask(nullptr);
    FillMask(mask, {{1, 2, 3}, {4, 5, 6}});
    EXPECT_EQ(4, mask.RowStride());
    EXPECT_EQ(4, mask.MaskRow(1)[0]);
    EXPECT_THROW(mask.MaskRow(2), EInvalidLine);
    EXPECT_THROW(mask.MaskRow(-1), EInvalidLine);
}

TEST(AAMask, BlurAveragesTheClampedNeighbourhoodAndBlendsByStrength)
{
    TAAMask mask(nullptr);
    FillMask(mask, {{0, 0, 0, 0, 250}});
    mask.BlurMask(100); // A = 255: the plain average; edge pixels repeat
    EXPECT_EQ((Rows{{0, 0, 50, 100, 150}}), MaskRows(mask));

    FillMask(mask, {{0, 0, 0, 0, 250}});
    mask.BlurMask(50); // A = 128: half-way, differences rounded down
    EXPECT_EQ((Rows{{0, 0, 25, 50, 200}}), MaskRows(mask));

    FillMask(mask, {{0, 0, 0, 0, 250}});
    mask.BlurMask(0);
    EXPECT_EQ((Rows{{0, 0, 0, 0, 250}}), MaskRows(mask));
}

TEST(AAMask, OutlineKeepsEdgesOfTheGradientOnly)
{
    TAAMask mask(nullptr);
    FillMask(mask, {{0, 0, 255, 255}, {0, 0, 255, 255}, {0, 0, 255, 255}});
    mask.OutlineMask();
    // Inner pixels: v = the four opposite differences; the border is kept.
    EXPECT_EQ((Rows{{0, 0, 255, 255}, {0, 191, 191, 255}, {0, 0, 255, 255}}), MaskRows(mask));

    FillMask(mask, {{0, 255, 0}, {255, 0, 255}});
    mask.OutlineMask();
    EXPECT_EQ((Rows{{0, 255, 0}, {255, 0, 255}}), MaskRows(mask));
}

TEST(AAMask, MirrorsReverseRowsAndColumns)
{
    TAAMask mask(nullptr);
    FillMask(mask, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    mask.MirrorHorizontally();
    EXPECT_EQ((Rows{{3, 2, 1}, {6, 5, 4}, {9, 8, 7}}), MaskRows(mask));
    mask.MirrorVertically();
    EXPECT_EQ((Rows{{9, 8, 7}, {6, 5, 4}, {3, 2, 1}}), MaskRows(mask));
}

TEST(AAMask, SprayTakesPixelsFromRandomNeighboursInPlace)
{
    TAAMask mask(nullptr);
    FillMask(mask, {{10, 20}, {30, 40}});
    TScriptedRandom random({
        {3, 1},
        {2, 0},
        {2, 1}, // (0, 0) <- (1, 0)
        {3, 0}, // (1, 0) stays: c = 0 draws nothing more
        {3, 2},
        {4, 1},
        {4, 0}, // (0, 1) <- (1, 1), the row clamped
        {3, 1},
        {2, 1},
        {2, 1}, // (1, 1) <- (1, 1)
    });
    mask.SprayMask(2, random);
    EXPECT_TRUE(random.Finished());
    EXPECT_EQ((Rows{{20, 20}, {40, 40}}), MaskRows(mask));

    // (1, 0) reads (0, 0), which already holds a sprayed value.
    FillMask(mask, {{10, 50, 30}});
    TScriptedRandom chained({{3, 1}, {2, 0}, {2, 0}, {3, 2}, {4, 3}, {4, 0}, {3, 0}});
    mask.SprayMask(2, chained);
    EXPECT_TRUE(chained.Finished());
    EXPECT_EQ((Rows{{50, 50, 30}}), MaskRows(mask));
}

TEST(AAMask, RotatedBoxAndOrigin)
{
    TTextExtent upright = RotatedTextBox(100, 20, 0);
    EXPECT_EQ((TSize{100, 20}), upright.Size);
    EXPECT_EQ((TPoint{0, 0}), upright.Origin);
    // A quarter turn counter-clockwise: the text starts at the bottom left.
    TTextExtent turned = RotatedTextBox(100, 20, std::numbers::pi / 2);
    EXPECT_EQ((TSize{20, 100}), turned.Size);
    EXPECT_EQ((TPoint{0, 100}), turned.Origin);
}

// ---- Foregrounds ---------------------------------------------------------------------

TEST(AAForeground, GradientLines)
{
    struct TCase {
        TGradualStyle Style;
        int32_t Width, Height;
        std::vector<int> Reds; // along the gradient: columns, or rows
    };
    // StartColor red 100, EndColor red 0.
    const TCase cases[] = {
        {gsLeftToRight, 5, 2, {100, 80, 60, 40, 20}},
        {gsRightToLeft, 5, 2, {0, 20, 40, 60, 80}},
        {gsTopToBottom, 2, 4, {100, 75, 50, 25}},
        {gsBottomToTop, 2, 4, {0, 25, 50, 75}},
        {gsCenterToLR, 9, 1, {0, 20, 40, 60, 80, 60, 40, 20, 0}},
        {gsCenterToTB, 1, 4, {0, 50, 50, 0}},
    };
    for (const TCase& c : cases) {
        TTarget target;
        TAAGradual& gradual = *target.Drawer.Effect()->Gradual();
        gradual.SetEnabled(true);
        gradual.SetStyle(c.Style);
        gradual.SetStartColor(RGB(100, 7, 0));
        gradual.SetEndColor(RGB(0, 7, 0));
        target.Drawer.Mask()->SetSize(c.Width, c.Height);
        target.Drawer.BuildGradualFore();
        TBitmap& fore = *target.Drawer.Blend()->ForeBmp();
        ASSERT_EQ(c.Width, fore.Width());
        const bool horizontal = c.Style == gsLeftToRight || c.Style == gsRightToLeft || c.Style == gsCenterToLR;
        for (int32_t y = 0; y < c.Height; ++y)
            for (int32_t x = 0; x < c.Width; ++x)
                EXPECT_EQ(RGB(c.Reds[horizontal ? x : y], 7, 0), fore.Canvas()->Pixels(x, y))
                    << "style " << c.Style << " at " << x << "," << y;
    }
}

TEST(AAForeground, NoiseAroundTheFontColourIsClamped)
{
    TTarget target;
    target.Canvas().Font()->SetColor(RGB(100, 250, 3));
    target.Drawer.Effect()->SetNoise(10);
    target.Drawer.Mask()->SetSize(1, 1);
    target.Drawer.SetRandom(std::make_unique<TScriptedRandom>(
        std::deque<TScriptedRandom::TDraw>{{10, 0}, {10, 9}, {10, 1}})); // red, green, blue
    target.Drawer.BuildNoiseFore();
    EXPECT_EQ(RGB(95, 254, 0), target.Drawer.Blend()->ForeBmp()->Canvas()->Pixels(0, 0));

    target.Drawer.SetRandom(std::make_unique<TScriptedRandom>(
        std::deque<TScriptedRandom::TDraw>{{4, 3}, {4, 0}, {4, 2}})); // blue, green, red in memory order
    target.Drawer.AddNoise(4);
    EXPECT_EQ(RGB(95, 252, 1), target.Drawer.Blend()->ForeBmp()->Canvas()->Pixels(0, 0));
}

TEST(AAForeground, TextureModesPlaceThePicture)
{
    TBitmap tile(2, 2, pf24bit);
    tile.Canvas()->FillSolidRect(Rect(0, 0, 2, 2), clRed);
    tile.Canvas()->SetPixel(0, 0, clBlue);
    struct TPixel {
        TPoint At;
        TColor Color;
    };
    struct TCase {
        TTextureMode Mode;
        std::vector<TPixel> Pixels; // lime: the font colour behind the picture
    };
    const TCase cases[] = {
        {tmTiled, {{{0, 0}, clBlue}, {{2, 0}, clBlue}, {{4, 2}, clBlue}, {{3, 3}, clRed}}},
        {tmCenter, {{{1, 1}, clBlue}, {{2, 2}, clRed}, {{0, 0}, clLime}, {{4, 3}, clLime}}},
        {tmNormal, {{{0, 0}, clBlue}, {{1, 1}, clRed}, {{2, 0}, clLime}, {{4, 3}, clLime}}},
        {tmStretched, {{{0, 0}, clBlue}, {{1, 1}, clBlue}, {{4, 3}, clRed}}},
    };
    for (const TCase& c : cases) {
        TTarget target;
        target.Canvas().Font()->SetColor(clLime);
        TAATexture& texture = *target.Drawer.Effect()->Texture();
        texture.SetEnabled(true);
        texture.Picture()->SetGraphic(&tile);
        texture.SetMode(c.Mode);
        target.Drawer.Mask()->SetSize(5, 4);
        target.Drawer.BuildTextureFore();
        TCanvas& fore = *target.Drawer.Blend()->ForeBmp()->Canvas();
        for (const TPixel& p : c.Pixels)
            EXPECT_EQ(p.Color, fore.Pixels(p.At.X, p.At.Y)) << "mode " << c.Mode << " at " << p.At.X << "," << p.At.Y;
    }
}

// ---- Settings ------------------------------------------------------------------------

TEST(AAEffect, ChangesReachTheEffectOnlyWhileTheirPartIsEnabled)
{
    int changes = 0;
    TAAEffect effect([&](TObject*) { ++changes; });
    effect.Shadow()->SetAlpha(10); // disabled: silent
    EXPECT_EQ(0, changes);
    effect.Shadow()->SetEnabled(true);
    effect.Shadow()->SetAlpha(20);
    effect.Shadow()->SetAlpha(20); // unchanged
    effect.SetBlur(30);
    EXPECT_EQ(3, changes);
    effect.Shadow()->SetEnabled(false); // switching off is always reported
    EXPECT_EQ(4, changes);
}

TEST(AAEffect, AssignCopiesEverythingWithoutReporting)
{
    int changes = 0;
    TAAEffect source;
    source.SetAlpha(80);
    source.SetAngle(45);
    source.SetOutline(true);
    source.Shadow()->SetEnabled(true);
    source.Shadow()->SetAlpha(33);
    source.Gradual()->SetStyle(gsCenterToTB);
    TAAEffect copy([&](TObject*) { ++changes; });
    copy.Assign(&source);
    EXPECT_EQ(0, changes);
    EXPECT_EQ(80, copy.Alpha());
    EXPECT_EQ(45, copy.Angle());
    EXPECT_TRUE(copy.Outline());
    EXPECT_TRUE(copy.Shadow()->Enabled());
    EXPECT_EQ(33, copy.Shadow()->Alpha());
    EXPECT_EQ(gsCenterToTB, copy.Gradual()->Style());

    TAAShadow shadow;
    shadow.SetAlpha(12);
    copy.SetShadow(&shadow); // assigning the property reports once
    EXPECT_EQ(12, copy.Shadow()->Alpha());
    EXPECT_EQ(1, changes);
}

TEST(AAEffect, IniRoundTripAndFallbacks)
{
    const std::string file = std::string(TEST_BINARY_DIR) + "/aaeffect.ini";
    std::filesystem::remove(file);
    TIniFile ini(file);
    TAAEffect saved;
    saved.SetAlpha(90);
    saved.SetNoise(7);
    saved.SetAngle(-30);
    saved.SetVertMirror(true);
    saved.Shadow()->SetEnabled(true);
    saved.Shadow()->SetColor(0x00F1AB47);
    saved.Shadow()->SetOffsetX(-3);
    saved.Gradual()->SetEnabled(true);
    saved.Gradual()->SetStyle(gsBottomToTop);
    saved.Texture()->SetMode(tmCenter);
    saved.SaveToIni(ini, "Title");
    EXPECT_EQ("-30", ini.ReadString("Title", "Angle", ""));
    EXPECT_EQ("15838023", ini.ReadString("Title", "ShadowColor", ""));

    TAAEffect loaded;
    loaded.LoadFromIni(ini, "Title");
    EXPECT_EQ(90, loaded.Alpha());
    EXPECT_EQ(7, loaded.Noise());
    EXPECT_EQ(-30, loaded.Angle());
    EXPECT_TRUE(loaded.VertMirror());
    EXPECT_TRUE(loaded.Shadow()->Enabled());
    EXPECT_EQ(0x00F1AB47u, loaded.Shadow()->Color());
    EXPECT_EQ(-3, loaded.Shadow()->OffsetX());
    EXPECT_EQ(gsBottomToTop, loaded.Gradual()->Style());
    EXPECT_EQ(tmCenter, loaded.Texture()->Mode());

    ini.WriteInteger("Title", "GradualStyle", 6);
    ini.WriteInteger("Title", "TextureMode", 4);
    ini.WriteInteger("Title", "Blur", 1000);
    loaded.LoadFromIni(ini, "Title");
    EXPECT_EQ(gsLeftToRight, loaded.Gradual()->Style());
    EXPECT_EQ(tmTiled, loaded.Texture()->Mode());
    EXPECT_EQ(100, loaded.Blur());

    TAAEffect untouched;
    untouched.SetSpray(5);
    untouched.LoadFromIni(ini, "Missing");
    EXPECT_EQ(5, untouched.Spray());
}

// ---- Real text -----------------------------------------------------------------------

TEST(AAFontText, RendersShippedFontWithSupersampledCoverage)
{
    // At aqNormal a fully covered pixel is 254, blended at 254/256: never
    // the exact text colour; aqHigh reaches it.
    for (auto [quality, darkest] : {std::pair{aqNormal, 1}, std::pair{aqHigh, 0}}) {
        TTarget target(120, 60);
        UseFont(target.Canvas(), "DejaVu Sans", -40, clBlack, TFontStyles{fsBold});
        target.Canvas().Brush()->SetStyle(bsClear);
        target.Drawer.SetQuality(quality);
        const TSize size = target.Drawer.MeasureText("Hi");
        EXPECT_GT(size.cx, 30);
        EXPECT_GT(size.cy, 30);
        target.Drawer.RenderText(5, 5, "Hi");
        const TRect ink = InkBox(target.Bitmap, clWhite);
        EXPECT_GE(ink.Left, 5);
        EXPECT_GE(ink.Top, 5);
        EXPECT_LE(ink.Right, 5 + size.cx);
        EXPECT_LE(ink.Bottom, 5 + size.cy);
        int minimum = 255, greys = 0;
        for (int32_t y = 0; y < 60; ++y)
            for (int32_t x = 0; x < 120; ++x) {
                int v = GetRValue(target.Canvas().Pixels(x, y));
                minimum = std::min(minimum, v);
                greys += v > 0 && v < 255 && v != darkest;
            }
        EXPECT_EQ(darkest, minimum) << "quality " << quality;
        EXPECT_GT(greys, 10) << "edges are smoothed";
    }
}

TEST(AAFontText, ItalicWidthGrowsByThreeTenthsOfTheAverageCharacter)
{
    TTarget target;
    UseFont(target.Canvas(), "DejaVu Sans", -20, clBlack, TFontStyles{fsItalic});
    const std::string text = "abcdefghij";
    TBitmap probe(1, 1);
    UseFont(*probe.Canvas(), "DejaVu Sans", -60, clBlack, TFontStyles{fsItalic});
    const int32_t upright = (probe.Canvas()->TextWidth(text) + 2) / 3;
    EXPECT_EQ(upright + Round(upright / 10.0L * 0.3L), target.Drawer.MeasureText(text).cx);
}

TEST(AAFontText, ShadowOffsetsPlaceTextAndShadow)
{
    TTarget plain(120, 70);
    UseFont(plain.Canvas(), "DejaVu Sans", -40, clRed, TFontStyles{fsBold});
    plain.Canvas().Brush()->SetStyle(bsClear);
    plain.Drawer.SetQuality(aqHigh);
    plain.Drawer.Effect()->SetAlpha(80); // the same faintest visible coverage as the shadow's
    const TSize textSize = plain.Drawer.MeasureText("H");
    plain.Drawer.RenderText(10, 10, "H");
    const TRect textInk = InkBox(plain.Bitmap, clWhite);

    TTarget shadowed(120, 70);
    UseFont(shadowed.Canvas(), "DejaVu Sans", -40, clRed, TFontStyles{fsBold});
    shadowed.Canvas().Brush()->SetStyle(bsClear);
    shadowed.Drawer.SetQuality(aqHigh);
    TAAEffect& effect = *shadowed.Drawer.Effect();
    effect.SetAlpha(80);
    effect.Shadow()->SetEnabled(true);
    effect.Shadow()->SetAlpha(70);
    effect.Shadow()->SetBlur(0);
    effect.Shadow()->SetColor(clBlack);
    effect.Shadow()->SetOffsetX(-3);
    effect.Shadow()->SetOffsetY(2);
    EXPECT_EQ((TSize{textSize.cx + 3, textSize.cy + 2}), shadowed.Drawer.MeasureText("H"));
    shadowed.Drawer.RenderText(10, 10, "H");
    // Text 3 pixels right of x, shadow at x and 2 pixels down.
    EXPECT_EQ(Rect(textInk.Left, textInk.Top, textInk.Right + 3, textInk.Bottom + 2), InkBox(shadowed.Bitmap, clWhite));
    EXPECT_EQ(bsClear, shadowed.Canvas().Brush()->Style());
    // The rows below the text hold only shadow, at 80% of 70%: white moved
    // 142/256 of the way to black.
    int darkest = 255;
    for (int32_t x = 0; x < 120; ++x) {
        TColor c = shadowed.Canvas().Pixels(x, textInk.Bottom);
        EXPECT_EQ(GetRValue(c), GetBValue(c));
        darkest = std::min<int>(darkest, GetRValue(c));
    }
    EXPECT_EQ(113, darkest);
}

TEST(AAFontText, SprayWithTheSameSeedRepeats)
{
    auto render = [](uint32_t seed) {
        auto target = std::make_unique<TTarget>(80, 50);
        UseFont(target->Canvas(), "DejaVu Sans", -30, clBlack);
        target->Canvas().Brush()->SetStyle(bsClear);
        target->Drawer.Effect()->SetSpray(3);
        target->Drawer.Random().Seed(seed);
        target->Drawer.RenderText(2, 2, "Ab");
        return target;
    };
    auto first = render(7), again = render(7), other = render(8);
    auto same = [](TBitmap& a, TBitmap& b) {
        for (int32_t y = 0; y < a.Height(); ++y)
            if (!std::equal(a.ScanLine(y), a.ScanLine(y) + 3 * a.Width(), b.ScanLine(y)))
                return false;
        return true;
    };
    EXPECT_TRUE(same(first->Bitmap, again->Bitmap));
    EXPECT_FALSE(same(first->Bitmap, other->Bitmap));
}

TEST(AAFontText, EmptyTextureFallsBackToTheGradient)
{
    auto render = [](bool emptyTexture) {
        auto target = std::make_unique<TTarget>(80, 50);
        UseFont(target->Canvas(), "DejaVu Sans", -30, clBlack, TFontStyles{fsBold});
        target->Canvas().Brush()->SetStyle(bsClear);
        TAAEffect& effect = *target->Drawer.Effect();
        effect.Gradual()->SetEnabled(true);
        effect.Gradual()->SetStartColor(clBlue);
        effect.Gradual()->SetEndColor(clRed);
        effect.Texture()->SetEnabled(emptyTexture);
        target->Drawer.RenderText(2, 2, "W");
        return target;
    };
    auto withTexture = render(true), gradientOnly = render(false);
    for (int32_t y = 0; y < 50; ++y)
        ASSERT_TRUE(std::equal(withTexture->Bitmap.ScanLine(y), withTexture->Bitmap.ScanLine(y) + 240,
                               gradientOnly->Bitmap.ScanLine(y)));
    EXPECT_NE(InkBox(gradientOnly->Bitmap, clWhite), TRect{});
}

TEST(AAFontText, RotatedTextRestoresTheCanvasFontEvenOnFailure)
{
    TTarget target(80, 80);
    UseFont(target.Canvas(), "DejaVu Sans", -20, clBlack);
    target.Drawer.Effect()->SetAngle(90);
    const TSize flat = [&] {
        TTarget upright(10, 10);
        UseFont(upright.Canvas(), "DejaVu Sans", -20, clBlack);
        return upright.Drawer.MeasureText("Long");
    }();
    // Corners on half pixels round to even, so an odd side may lose one.
    const TSize turned = RotatedTextBox(flat.cx, flat.cy, std::numbers::pi / 2).Size;
    EXPECT_LE(std::abs(turned.cx - flat.cy), 1);
    EXPECT_LE(std::abs(turned.cy - flat.cx), 1);
    EXPECT_EQ(turned, target.Drawer.MeasureText("Long"));
    EXPECT_EQ(0, target.Canvas().Font()->Orientation());
    target.Canvas().Brush()->SetStyle(bsClear);
    target.Drawer.RenderText(0, 0, "Long");
    const TRect ink = InkBox(target.Bitmap, clWhite);
    EXPECT_GT(ink.Height(), ink.Width()) << "the text runs upwards";

    target.Drawer.Effect()->SetSpray(2);
    target.Drawer.SetRandom(std::make_unique<TThrowingRandom>());
    EXPECT_THROW(target.Drawer.RenderText(0, 0, "Long"), std::runtime_error);
    EXPECT_EQ(0, target.Canvas().Font()->Orientation());
}

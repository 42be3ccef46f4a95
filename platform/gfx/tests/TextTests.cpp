#include "platform/gfx/DrawText.h"
#include "platform/gfx/FontLookup.h"
#include "platform/gfx/LogFont.h"
#include "platform/gfx/tests/GfxTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Bounding box of every pixel that is not the background colour.
TRect InkBox(TBitmap& bitmap, TColor background = clWhite)
{
    TRect box{bitmap.Width(), bitmap.Height(), 0, 0};
    for (int32_t y = 0; y < bitmap.Height(); ++y)
        for (int32_t x = 0; x < bitmap.Width(); ++x)
            if (bitmap.Canvas()->Pixels(x, y) != background) {
                box.Left = std::min(box.Left, x);
                box.Top = std::min(box.Top, y);
                box.Right = std::max(box.Right, x + 1);
                box.Bottom = std::max(box.Bottom, y + 1);
            }
    return box;
}

bool SamePixels(TBitmap& a, TBitmap& b)
{
    for (int32_t y = 0; y < a.Height(); ++y)
        for (int32_t x = 0; x < a.Width(); ++x)
            if (a.Canvas()->Pixels(x, y) != b.Canvas()->Pixels(x, y))
                return false;
    return true;
}

std::unique_ptr<TBitmap> TextBitmap(int32_t width = 120, int32_t height = 60)
{
    auto bitmap = MakeBitmap(width, height);
    TCanvas* c = bitmap->Canvas();
    c->Font()->SetName("Tahoma");
    c->Font()->SetHeight(-13);
    c->Font()->SetColor(clBlack);
    c->Brush()->SetStyle(bsClear);
    return bitmap;
}

} // namespace

TEST(Fonts, SubstitutesFamiliesThatLinuxLacks)
{
    EXPECT_EQ(SubstituteFamily("Tahoma"), "DejaVu Sans");
    EXPECT_EQ(SubstituteFamily("ms sans serif"), "DejaVu Sans");
    EXPECT_EQ(SubstituteFamily("Arial"), "Liberation Sans");
    EXPECT_EQ(SubstituteFamily("宋体"), "WenQuanYi Micro Hei");
    EXPECT_EQ(SubstituteFamily("DejaVu Serif"), "DejaVu Serif");
    EXPECT_NE(FindFontFile("Arial", false, false).Path.find("LiberationSans"), std::string::npos);
    EXPECT_NE(FindFontFile("SimSun", false, false).Path.find("wqy"), std::string::npos);
    EXPECT_NE(FindFontFile("Tahoma", true, false).Path.find("DejaVuSans-Bold"), std::string::npos);
}

TEST(Fonts, SizeAndHeightFollowTheClassicRule)
{
    TFont font;
    EXPECT_EQ(font.Height(), -11);
    EXPECT_EQ(font.Size(), 8);
    font.SetSize(10);
    EXPECT_EQ(font.Height(), -13);
    int changes = 0;
    font.OnChange = [&](TObject*) { ++changes; };
    font.SetStyle({fsBold, fsItalic});
    font.SetStyle({fsItalic, fsBold});
    EXPECT_EQ(changes, 1);
}

TEST(Fonts, NegativeHeightIsTheEmAndPositiveTheCell)
{
    auto bitmap = TextBitmap();
    TCanvas* c = bitmap->Canvas();
    c->Font()->SetHeight(-20);
    TTextMetric m = c->GetTextMetrics();
    EXPECT_EQ(m.tmHeight - m.tmInternalLeading, 20);
    EXPECT_EQ(m.tmAscent + m.tmDescent, m.tmHeight);
    EXPECT_GT(m.tmInternalLeading, 0);
    EXPECT_TRUE(m.tmPitchAndFamily & TMPF_TRUETYPE);
    EXPECT_GT(m.tmAveCharWidth, 0);
    c->Font()->SetHeight(20);
    m = c->GetTextMetrics();
    EXPECT_EQ(m.tmHeight, 20);
    EXPECT_EQ(c->TextHeight("Hg"), 20);
}

TEST(Text, WidthIsTheSumOfCharacterAdvancesAndBoldIsWider)
{
    auto bitmap = TextBitmap();
    TCanvas* c = bitmap->Canvas();
    EXPECT_EQ(c->TextWidth("Wide"), c->TextWidth("Wi") + c->TextWidth("de"));
    EXPECT_EQ(c->TextWidth(""), 0);
    const int32_t normal = c->TextWidth("WWWW");
    c->Font()->SetStyle({fsBold});
    EXPECT_GT(c->TextWidth("WWWW"), normal);
}

struct TAlignCase {
    const char* Name;
    uint32_t Align;
    // Expected ink box edges from the reference point (x 60, y 30) and the metrics.
    std::function<void(const TRect& ink, int32_t width, const TTextMetric& m)> Check;
};

class TextAlignment : public ::testing::TestWithParam<TAlignCase> {};

TEST_P(TextAlignment, PlacesTheTextAgainstTheReferencePoint)
{
    const TAlignCase c = GetParam();
    auto bitmap = TextBitmap();
    TCanvas* canvas = bitmap->Canvas();
    canvas->SetTextAlign(c.Align);
    canvas->TextOut(60, 30, "HHH");
    c.Check(InkBox(*bitmap), canvas->TextWidth("HHH"), canvas->GetTextMetrics());
}

INSTANTIATE_TEST_SUITE_P(All, TextAlignment,
                         ::testing::Values(TAlignCase{"top_left", TA_TOP | TA_LEFT,
                                                      [](const TRect& ink, int32_t w, const TTextMetric& m) {
                                                          EXPECT_EQ(ink.Bottom, 30 + m.tmAscent);
                                                          EXPECT_GE(ink.Top, 30);
                                                          EXPECT_GE(ink.Left, 60);
                                                          EXPECT_LE(ink.Right, 60 + w);
                                                      }},
                                           TAlignCase{"baseline_right", TA_BASELINE | TA_RIGHT,
                                                      [](const TRect& ink, int32_t w, const TTextMetric&) {
                                                          EXPECT_EQ(ink.Bottom, 30);
                                                          EXPECT_LE(ink.Right, 60);
                                                          EXPECT_GE(ink.Left, 60 - w);
                                                      }},
                                           TAlignCase{"bottom_center", TA_BOTTOM | TA_CENTER,
                                                      [](const TRect& ink, int32_t w, const TTextMetric& m) {
                                                          EXPECT_EQ(ink.Bottom, 30 - m.tmDescent);
                                                          EXPECT_GE(ink.Left, 60 - w / 2);
                                                          EXPECT_LE(ink.Right, 60 - w / 2 + w);
                                                          EXPECT_LE(std::abs((ink.Left + ink.Right) - 120), 2);
                                                      }}),
                         [](const auto& testCase) { return std::string(testCase.param.Name); });

TEST(Text, UpdateCurrentPositionAdvancesThePen)
{
    auto bitmap = TextBitmap();
    TCanvas* c = bitmap->Canvas();
    c->SetTextAlign(TA_UPDATECP);
    c->MoveTo(5, 5);
    c->TextOut(0, 0, "Ab");
    EXPECT_EQ(c->PenPos(), (TPoint{5 + c->TextWidth("Ab"), 5}));
    c->SetTextAlign(TA_LEFT);
    c->TextOut(10, 20, "Ab");
    EXPECT_EQ(c->PenPos(), (TPoint{10 + c->TextWidth("Ab"), 20}));
}

TEST(Text, RotatedTextFillsTheRotatedBox)
{
    for (int orientation : {900, 1800, 2700}) {
        auto bitmap = TextBitmap(120, 120);
        TCanvas* c = bitmap->Canvas();
        const int32_t width = c->TextWidth("HHHHH");
        const TTextMetric m = c->GetTextMetrics();
        c->Font()->SetOrientation(orientation);
        c->TextOut(60, 60, "HHHHH");
        const TRect ink = InkBox(*bitmap);
        // The run lies along the rotated baseline; the cell across it.
        const TRect expected = orientation == 900 ? Rect(60, 60 - width, 60 + m.tmHeight, 60)
            : orientation == 1800                 ? Rect(60 - width, 60 - m.tmHeight, 60, 60)
                                                  : Rect(60 - m.tmHeight, 60, 60, 60 + width);
        EXPECT_EQ(IntersectRect(ink, InflateRect(expected, 1, 1)), ink) << orientation;
        const int32_t along = orientation == 1800 ? ink.Width() : ink.Height();
        EXPECT_GE(along, width - 3) << orientation;
    }
}

TEST(Text, FortyFiveDegreesSpreadsOverBothAxes)
{
    auto bitmap = TextBitmap(160, 160);
    TCanvas* c = bitmap->Canvas();
    const int32_t width = c->TextWidth("HHHHHHHH");
    c->Font()->SetOrientation(450);
    c->TextOut(40, 120, "HHHHHHHH");
    const TRect ink = InkBox(*bitmap);
    const int32_t diagonal = static_cast<int32_t>(width / std::sqrt(2.0));
    EXPECT_NEAR(ink.Left, 40, 3);
    EXPECT_NEAR(ink.Top, 120 - diagonal, 6);
    EXPECT_GE(ink.Width(), diagonal);
}

TEST(Text, AliasedTextHasOnlyTwoColoursAndGreyTextHasMore)
{
    auto aliased = TextBitmap(), grey = TextBitmap();
    aliased->Canvas()->Font()->SetQuality(fqNonAntialiased);
    grey->Canvas()->Font()->SetQuality(fqAntialiased);
    aliased->Canvas()->TextOut(2, 2, "Sample text");
    grey->Canvas()->TextOut(2, 2, "Sample text");
    const int total = 120 * 60;
    EXPECT_EQ(CountInk(*aliased, clBlack) + CountInk(*aliased, clWhite), total);
    EXPECT_LT(CountInk(*grey, clBlack) + CountInk(*grey, clWhite), total);
}

TEST(Text, GreyPaletteTargetReceivesCoverageAsIndices)
{
    TBitmap mask(60, 20, pf8bit);
    mask.SetPalette(TPalette::Grey256());
    TCanvas* c = mask.Canvas();
    c->Brush()->SetColor(clBlack);
    c->FillRect(Rect(0, 0, 60, 20));
    c->Font()->SetColor(clWhite);
    c->Font()->SetQuality(fqAntialiased);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(1, 1, "Mask");
    bool full = false, partial = false;
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 60; ++x) {
            const uint8_t v = mask.ScanLine(y)[x];
            full |= v == 255;
            partial |= v > 0 && v < 255;
        }
    EXPECT_TRUE(full);
    EXPECT_TRUE(partial);
}

TEST(Text, ExtTextOutOpaqueFillsTheRectangleAndClipsToIt)
{
    auto bitmap = TextBitmap();
    TCanvas* c = bitmap->Canvas();
    c->SetBackgroundColor(clYellow);
    const TRect box = Rect(10, 10, 30, 20);
    c->ExtTextOut(12, 8, ETO_OPAQUE | ETO_CLIPPED, &box, "WWWWWWWW");
    const TRect ink = InkBox(*bitmap);
    EXPECT_EQ(ink, box);
    EXPECT_EQ(c->Pixels(10, 10), clYellow);
}

TEST(Text, OpaqueBackgroundModeFillsTheTextCell)
{
    auto bitmap = TextBitmap();
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetColor(clAqua);
    c->TextOut(5, 5, "Cell");
    EXPECT_EQ(InkBox(*bitmap), Rect(5, 5, 5 + c->TextWidth("Cell"), 5 + c->TextHeight("Cell")));
}

TEST(Text, UnderlineDrawsALineAcrossTheRun)
{
    auto bitmap = TextBitmap();
    TCanvas* c = bitmap->Canvas();
    c->Font()->SetStyle({fsUnderline});
    c->TextOut(10, 10, "a b");
    const int32_t width = c->TextWidth("a b");
    bool found = false;
    for (int32_t y = 10; y < 10 + c->TextHeight("a"); ++y) {
        int run = 0;
        for (int32_t x = 10; x < 10 + width; ++x)
            run += c->Pixels(x, y) == clBlack;
        found |= run == width;
    }
    EXPECT_TRUE(found);
}

// ---- DrawText -----------------------------------------------------------------

TEST(DrawTextLayout, CalcRectMeasuresSingleAndWrappedText)
{
    auto bitmap = TextBitmap();
    TCanvas* c = bitmap->Canvas();
    const int32_t lineHeight = c->TextHeight("A");
    TRect r = Rect(5, 5, 5, 5);
    EXPECT_EQ(DrawText(*c, "Hello", r, DT_CALCRECT | DT_SINGLELINE), lineHeight);
    EXPECT_EQ(r, Rect(5, 5, 5 + c->TextWidth("Hello"), 5 + lineHeight));

    const int32_t fits = c->TextWidth("one two");
    r = Rect(0, 0, fits, 0);
    DrawText(*c, "one two three", r, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(r.Height(), 2 * lineHeight);
    EXPECT_EQ(r.Width(), fits);

    r = Rect(0, 0, 5, 0);
    DrawText(*c, "unbreakable word", r, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(r.Width(), c->TextWidth("unbreakable")) << "a long word keeps its own line";
    EXPECT_EQ(r.Height(), 2 * lineHeight);

    r = Rect(0, 0, 200, 0);
    DrawText(*c, "a\r\nbb\ncc", r, DT_CALCRECT);
    EXPECT_EQ(r.Height(), 3 * lineHeight);
}

TEST(DrawTextLayout, CentredSingleLineMatchesTextOutAtTheCentre)
{
    auto drawn = TextBitmap(), expected = TextBitmap();
    TRect r = Rect(10, 10, 110, 50);
    DrawText(*drawn->Canvas(), "Mid", r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    TCanvas* e = expected->Canvas();
    e->TextOut(10 + (100 - e->TextWidth("Mid")) / 2, 10 + (40 - e->TextHeight("Mid")) / 2, "Mid");
    EXPECT_TRUE(SamePixels(*drawn, *expected));
}

TEST(DrawTextLayout, RightAndBottomAlignment)
{
    auto drawn = TextBitmap(), expected = TextBitmap();
    TRect r = Rect(0, 0, 100, 50);
    DrawText(*drawn->Canvas(), "End", r, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
    TCanvas* e = expected->Canvas();
    e->TextOut(100 - e->TextWidth("End"), 50 - e->TextHeight("End"), "End");
    EXPECT_TRUE(SamePixels(*drawn, *expected));
}

TEST(DrawTextLayout, TabsExpandToEightAverageCharacterWidths)
{
    auto drawn = TextBitmap(), expected = TextBitmap();
    TRect r = Rect(0, 0, 120, 30);
    DrawText(*drawn->Canvas(), "a\tb", r, DT_EXPANDTABS | DT_SINGLELINE);
    TCanvas* e = expected->Canvas();
    e->TextOut(0, 0, "a");
    e->TextOut(8 * e->GetTextMetrics().tmAveCharWidth, 0, "b");
    EXPECT_TRUE(SamePixels(*drawn, *expected));
}

TEST(DrawTextLayout, PrefixUnderlinesTheMarkedCharacterAndDoubleAmpersandShowsOne)
{
    auto drawn = TextBitmap(), plain = TextBitmap(), noPrefix = TextBitmap();
    TRect r = Rect(0, 0, 120, 30);
    DrawText(*drawn->Canvas(), "&File && more", r, DT_SINGLELINE);
    plain->Canvas()->TextOut(0, 0, "File & more");
    DrawText(*noPrefix->Canvas(), "&File", r, DT_SINGLELINE | DT_NOPREFIX);
    TCanvas* c = drawn->Canvas();
    const int32_t underlineRow = c->GetTextMetrics().tmAscent + 1;
    const int32_t fWidth = c->TextWidth("F");
    for (int32_t x = 0; x < fWidth; ++x)
        EXPECT_EQ(c->Pixels(x, underlineRow), clBlack) << x;
    EXPECT_NE(c->Pixels(fWidth + 1, underlineRow), clBlack);
    // Apart from the underline row the text is the plain text.
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 120; ++x)
            if (y != underlineRow) {
                ASSERT_EQ(c->Pixels(x, y), plain->Canvas()->Pixels(x, y)) << x << "," << y;
            }
    EXPECT_GT(InkBox(*noPrefix).Right, c->TextWidth("File")) << "the ampersand is shown";
}

TEST(DrawTextLayout, EndEllipsisKeepsTheLongestPrefixThatFits)
{
    auto drawn = TextBitmap(), expected = TextBitmap();
    TCanvas* e = expected->Canvas();
    const std::string text = "A rather long caption";
    const int32_t width = e->TextWidth("A rather");
    std::string head = text;
    while (e->TextWidth(head + "...") > width)
        head.pop_back();
    TRect r = Rect(0, 0, width, 20);
    DrawText(*drawn->Canvas(), text, r, DT_END_ELLIPSIS | DT_SINGLELINE);
    e->TextOut(0, 0, head + "...");
    EXPECT_TRUE(SamePixels(*drawn, *expected));
    EXPECT_LT(head.size(), text.size());
}

TEST(DrawTextLayout, PathEllipsisKeepsTheFileName)
{
    auto drawn = TextBitmap(200, 20), expected = TextBitmap(200, 20);
    TCanvas* e = expected->Canvas();
    const std::string tail = "/movie.mp4";
    const int32_t width = e->TextWidth("/home/user" + tail);
    std::string head = "/home/user/videos/holiday";
    while (e->TextWidth(head + "..." + tail) > width)
        head.pop_back();
    TRect r = Rect(0, 0, width, 20);
    DrawText(*drawn->Canvas(), "/home/user/videos/holiday" + tail, r, DT_PATH_ELLIPSIS | DT_SINGLELINE);
    e->TextOut(0, 0, head + "..." + tail);
    EXPECT_TRUE(SamePixels(*drawn, *expected));
}

TEST(DrawTextLayout, ClipsToTheRectangleUnlessNoClip)
{
    auto clipped = TextBitmap(), unclipped = TextBitmap();
    TRect r = Rect(0, 0, 10, 20);
    DrawText(*clipped->Canvas(), "WWWW", r, DT_SINGLELINE);
    DrawText(*unclipped->Canvas(), "WWWW", r, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_LE(InkBox(*clipped).Right, 10);
    EXPECT_GT(InkBox(*unclipped).Right, 10);
}

TEST(Fonts, FixedPitchAsksForAMonospacedFace)
{
    auto bitmap = TextBitmap();
    TCanvas* c = bitmap->Canvas();
    c->Font()->SetName("Courier New");
    c->Font()->SetPitch(fpFixed);
    EXPECT_EQ(c->TextWidth("iiii"), c->TextWidth("WWWW"));
    EXPECT_FALSE(c->GetTextMetrics().tmPitchAndFamily & TMPF_FIXED_PITCH) << "the bit marks variable pitch";
    c->Font()->SetPitch(fpDefault);
    c->Font()->SetName("Tahoma");
    EXPECT_LT(c->TextWidth("iiii"), c->TextWidth("WWWW"));
}

TEST(Fonts, LogicalFontRecordsRoundTrip)
{
    TFont font;
    font.SetName("Tahoma");
    font.SetHeight(-26);
    font.SetStyle({fsBold, fsStrikeOut});
    font.SetOrientation(900);
    font.SetPitch(fpFixed);
    TLogFont log = FontToLogFont(font);
    EXPECT_EQ(log.lfWeight, FW_BOLD);
    EXPECT_EQ(log.lfEscapement, 900);
    log.lfHeight *= 3;
    TFont scaled;
    LogFontToFont(log, scaled);
    EXPECT_EQ(scaled.Height(), -78);
    EXPECT_EQ(scaled.Style(), (TFontStyles{fsBold, fsStrikeOut}));
    EXPECT_EQ(scaled.Orientation(), 900);
    EXPECT_EQ(scaled.Pitch(), fpFixed);
    EXPECT_EQ(scaled.Name(), "Tahoma");
}

TEST(Geometry, SubtractRectGivesTheRemainderOnlyWhenItIsARectangle)
{
    EXPECT_EQ(SubtractRect(Rect(0, 0, 10, 10), Rect(0, 0, 10, 4)), Rect(0, 4, 10, 10));
    EXPECT_EQ(SubtractRect(Rect(0, 0, 10, 10), Rect(6, -2, 12, 12)), Rect(0, 0, 6, 10));
    EXPECT_EQ(SubtractRect(Rect(0, 0, 10, 10), Rect(2, 2, 4, 4)), Rect(0, 0, 10, 10));
    EXPECT_EQ(SubtractRect(Rect(0, 0, 10, 10), Rect(-1, -1, 11, 11)), TRect{});
    EXPECT_EQ(SubtractRect(Rect(0, 0, 10, 10), Rect(20, 20, 30, 30)), Rect(0, 0, 10, 10));
}

TEST(DrawTextLayout, IdeographsWrapBetweenAnyTwoCharacters)
{
    auto bitmap = TextBitmap();
    TCanvas* c = bitmap->Canvas();
    c->Font()->SetName("SimSun");
    const int32_t lineHeight = c->TextHeight("中");
    TRect r = Rect(0, 0, c->TextWidth("中文字"), 0);
    DrawText(*c, "中文字符测试", r, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(r.Height(), 2 * lineHeight);
    EXPECT_EQ(r.Width(), c->TextWidth("中文字"));
    r = Rect(0, 0, c->TextWidth("ab"), 0);
    DrawText(*c, "ab  cd", r, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(r.Height(), 2 * lineHeight) << "the spaces at the break go";
    EXPECT_EQ(r.Width(), c->TextWidth("ab"));
}

TEST(Fonts, AbsurdHeightsRenderAtABoundedSize)
{
    auto bitmap = TextBitmap();
    TCanvas* c = bitmap->Canvas();
    c->Font()->SetHeight(-1000000);
    EXPECT_EQ(c->GetTextMetrics().tmHeight - c->GetTextMetrics().tmInternalLeading, 2048);
    c->TextOut(0, 0, "W");
    c->Font()->SetHeight(0);
    EXPECT_GT(c->TextHeight("W"), 0);
}

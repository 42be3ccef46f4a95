#include "platform/gfx/BidiRuns.h"
#include "platform/gfx/DrawText.h"
#include "platform/gfx/FontFace.h"
#include "platform/gfx/FontLookup.h"
#include "platform/gfx/tests/GfxTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "platform/core/Strings.h"

namespace {

// Glyph ids the hb-shape tool gives for the text in the font file, in its
// (visual) order.
std::vector<uint32_t> ReferenceGlyphs(const std::string& fontPath, const std::string& text)
{
    const std::string command =
        "hb-shape --no-glyph-names --no-positions --no-clusters '" + fontPath + "' '" + text + "'";
    std::unique_ptr<FILE, decltype(&pclose)> pipe(popen(command.c_str(), "r"), &pclose);
    std::string output;
    char chunk[256];
    while (pipe && fgets(chunk, sizeof chunk, pipe.get()))
        output += chunk;
    std::vector<uint32_t> glyphs;
    for (size_t pos = output.find('['); pos != std::string::npos && pos + 1 < output.size();
         pos = output.find('|', pos + 1))
        glyphs.push_back(static_cast<uint32_t>(std::stoul(output.substr(pos + 1))));
    return glyphs;
}

std::shared_ptr<TFontFace> DejaVuFace()
{
    TFont font;
    font.SetName("DejaVu Sans");
    font.SetHeight(-16);
    return TFontFace::Get(font, true);
}

std::vector<uint32_t> GlyphIds(const TShapedText& shaped)
{
    std::vector<uint32_t> ids;
    for (const TShapedGlyph& glyph : shaped.Glyphs)
        ids.push_back(glyph.Glyph);
    return ids;
}

// Persian captions: "parameters preview" and "cancel".
const std::string PreviewCaption = "پيش نمايش پارامترها";
const std::string CancelCaption = "انصراف";

TEST(TextShaping, FarsiGlyphsAndOrderMatchTheShapingTool)
{
    const std::string path = FindFontFile("DejaVu Sans", false, false).Path;
    for (const std::string& text : {PreviewCaption, CancelCaption}) {
        const std::vector<uint32_t> reference = ReferenceGlyphs(path, text);
        ASSERT_FALSE(reference.empty()) << "hb-shape gave nothing for " << text;
        const TShapedText shaped = DejaVuFace()->Shape(Utf8ToUtf32(text));
        EXPECT_EQ(GlyphIds(shaped), reference) << text;
        // Visual order: the first letter is the rightmost glyph.
        EXPECT_EQ(shaped.Glyphs.back().Cluster, 0u) << text;
        EXPECT_GT(shaped.Width, 0);
    }
}

TEST(TextShaping, MixedDirectionsAreReorderedByTheFirstStrongCharacter)
{
    const std::string path = FindFontFile("DejaVu Sans", false, false).Path;
    const std::vector<uint32_t> farsi = ReferenceGlyphs(path, CancelCaption);
    const std::vector<uint32_t> latin = ReferenceGlyphs(path, "ab ");

    // A left-to-right paragraph: the Latin run, then the Farsi word.
    std::vector<uint32_t> expected = latin;
    expected.insert(expected.end(), farsi.begin(), farsi.end());
    EXPECT_EQ(GlyphIds(DejaVuFace()->Shape(Utf8ToUtf32("ab " + CancelCaption))), expected);

    // A right-to-left paragraph puts the Latin word on the left.
    const std::vector<TBidiRun> runs = VisualBidiRuns(Utf8ToUtf32(CancelCaption + " ab"));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].Start, 7u);
    EXPECT_FALSE(runs[0].RightToLeft);
    EXPECT_EQ(runs[1].Start, 0u);
    EXPECT_TRUE(runs[1].RightToLeft);

    EXPECT_EQ(VisualBidiRuns(U"plain").size(), 1u);
    EXPECT_TRUE(VisualBidiRuns(U"").empty());
}

TEST(TextShaping, OnlyJoiningAndRightToLeftScriptsAreShaped)
{
    struct TCase {
        std::u32string Text;
        bool Shaped;
    };
    const TCase cases[] = {{U"Hello, World", false}, {U"中文 é", false},  {U"\u0633\u0644\u0627\u0645", true},
                           {U"x \u05E9", true},      {U"a\u200Fb", true}, {U"\uFEFB", true}};
    for (const TCase& c : cases)
        EXPECT_EQ(NeedsShaping(c.Text), c.Shaped) << Utf32ToUtf8(c.Text);
}

TEST(TextShaping, TheCanvasDrawsShapedTextWithinItsExtent)
{
    TBitmap bitmap(200, 40, pf24bit);
    TCanvas& canvas = *bitmap.Canvas();
    canvas.Brush()->SetColor(clWhite);
    canvas.FillRect(Rect(0, 0, 200, 40));
    canvas.Font()->SetName("DejaVu Sans");
    canvas.Font()->SetHeight(-16);
    canvas.Font()->SetColor(clBlack);
    canvas.Brush()->SetStyle(bsClear);
    const TSize extent = canvas.TextExtent(PreviewCaption);
    EXPECT_EQ(extent.cx, DejaVuFace()->Shape(Utf8ToUtf32(PreviewCaption)).Width);
    canvas.TextOut(10, 10, PreviewCaption);
    int32_t left = 200, right = -1;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 200; ++x)
            if (canvas.Pixels(x, y) != clWhite) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    ASSERT_GE(right, 0) << "no ink";
    EXPECT_GE(left, 10 - 1);
    EXPECT_LE(right, 10 + extent.cx);
    EXPECT_GT(right - left, extent.cx * 3 / 4);
}

TEST(TextShaping, DrawTextMeasuresAndDrawsShapedLinesAsTheCanvasDoes)
{
    auto draw = [](bool withDrawText) {
        auto bitmap = std::make_unique<TBitmap>(200, 30, pf24bit);
        TCanvas& canvas = *bitmap->Canvas();
        canvas.Brush()->SetColor(clWhite);
        canvas.FillRect(Rect(0, 0, 200, 30));
        canvas.Font()->SetName("DejaVu Sans");
        canvas.Font()->SetHeight(-16);
        canvas.Brush()->SetStyle(bsClear);
        if (withDrawText) {
            TRect rect = Rect(5, 5, 195, 25);
            DrawText(canvas, PreviewCaption, rect, DT_SINGLELINE);
        } else {
            canvas.TextOut(5, 5, PreviewCaption);
        }
        return bitmap;
    };
    const auto viaDrawText = draw(true), viaTextOut = draw(false);
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 200; ++x)
            ASSERT_EQ(viaDrawText->Canvas()->Pixels(x, y), viaTextOut->Canvas()->Pixels(x, y)) << x << "," << y;

    TRect measured = Rect(0, 0, 500, 30);
    DrawText(*viaTextOut->Canvas(), PreviewCaption, measured, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(measured.Width(), viaTextOut->Canvas()->TextExtent(PreviewCaption).cx);
}

} // namespace

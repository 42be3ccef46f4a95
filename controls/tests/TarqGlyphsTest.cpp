#include <gtest/gtest.h>

#include "TarqTestSupport.h"
#include "controls/TarqColors.h"
#include "controls/TarqGlyphs.h"
#include "controls/TarqScheme.h"
#include "platform/ui/Themes.h"

namespace {

using Rows = std::vector<std::string>;

TCheckBoxLook Look(TCheckBoxState check, TCheckDrawState draw)
{
    TCheckBoxLook look;
    look.CheckState = check;
    look.DrawState = draw;
    look.Colors.Frame = clBlue;
    look.Colors.Glyph = clBlack;
    look.Colors.Fill = clWhite;
    look.Colors.Focus = clYellow;
    look.Colors.Disabled = clSilver;
    look.Colors.ReadOnly = clAqua;
    look.Colors.HotDark = clRed;
    look.Colors.HotLight = clLime;
    return look;
}

TEST(TarqGlyphs, CheckedSquareDrawsTheMarkAsSinglePixels)
{
    auto bitmap = BlankBitmap(13, 13);
    DrawCheckBoxSquare(*bitmap->Canvas(), Rect(0, 0, 13, 13), Look(cbChecked, cdsNormal));
    const TLegend legend = {{'.', Untouched}, {'f', clBlue}, {' ', clWhite}, {'x', clBlack}};
    EXPECT_EQ(Grid(*bitmap, legend),
              (Rows{"fffffffffffff", "f           f", "f           f", "f        x  f", "f       xx  f",
                    "f  x   xxx  f", "f  xx xxx   f", "f  xxxxx    f", "f   xxx     f", "f    x      f",
                    "f           f", "f           f", "fffffffffffff"}));
}

TEST(TarqGlyphs, CheckSquareFillFollowsTheState)
{
    struct TCase {
        TCheckDrawState Draw;
        bool Focused, ReadOnly, ReadOnlyOnFocus;
        TColor Fill;
    };
    const TCase cases[] = {
        {cdsNormal, false, false, false, clWhite}, {cdsNormal, false, true, false, clAqua},
        {cdsNormal, true, false, false, clYellow}, {cdsNormal, true, true, false, clYellow},
        {cdsNormal, true, true, true, clAqua},     {cdsPressed, false, false, false, DarkenColor(clYellow, 20)},
        {cdsDisabled, true, true, true, clSilver},
    };
    for (const auto& c : cases) {
        TCheckBoxLook look = Look(cbGrayed, c.Draw);
        look.Focused = c.Focused;
        look.ReadOnly = c.ReadOnly;
        look.ReadOnlyColorOnFocus = c.ReadOnlyOnFocus;
        auto bitmap = BlankBitmap(13, 13);
        DrawCheckBoxSquare(*bitmap->Canvas(), Rect(0, 0, 13, 13), look);
        EXPECT_EQ(PixelAt(*bitmap, 1, 1), c.Fill) << int(c.Draw) << c.Focused << c.ReadOnly << c.ReadOnlyOnFocus;
        // The grayed mark fills the inner square less two pixels, in the glyph colour.
        const TColor glyph = c.Draw == cdsDisabled ? ColorToRGB(clBtnShadow) : clBlack;
        EXPECT_EQ(PixelAt(*bitmap, 3, 3), glyph);
        EXPECT_EQ(PixelAt(*bitmap, 9, 9), glyph);
        EXPECT_EQ(PixelAt(*bitmap, 10, 10), c.Fill);
    }
}

TEST(TarqGlyphs, HotSquareGetsAFrameOrAGradientRing)
{
    TCheckBoxLook frame = Look(cbUnchecked, cdsHot);
    frame.HotTrackStyle = htsFrame;
    auto framed = BlankBitmap(13, 13);
    DrawCheckBoxSquare(*framed->Canvas(), Rect(0, 0, 13, 13), frame);
    EXPECT_EQ(PixelAt(*framed, 0, 0), clRed);
    EXPECT_EQ(PixelAt(*framed, 1, 6), clRed);
    EXPECT_EQ(PixelAt(*framed, 2, 6), clWhite);

    auto ring = BlankBitmap(13, 13);
    DrawCheckBoxSquare(*ring->Canvas(), Rect(0, 0, 13, 13), Look(cbUnchecked, cdsHot));
    EXPECT_EQ(PixelAt(*ring, 0, 0), clBlue);
    EXPECT_NE(PixelAt(*ring, 1, 1), clWhite); // the ring, lime at the top-left toward red
    EXPECT_GT(GetGValue(PixelAt(*ring, 1, 1)), GetRValue(PixelAt(*ring, 1, 1)));
    EXPECT_GT(GetRValue(PixelAt(*ring, 11, 11)), GetGValue(PixelAt(*ring, 11, 11)));
    EXPECT_EQ(PixelAt(*ring, 3, 3), clWhite); // inside the ring
    // The ring leaves no clipping behind.
    ring->Canvas()->FillSolidRect(Rect(0, 0, 13, 13), clBlack);
    EXPECT_EQ(PixelAt(*ring, 6, 6), clBlack);

    const bool saved = FullColorDisplay;
    FullColorDisplay = false;
    auto plain = BlankBitmap(13, 13);
    DrawCheckBoxSquare(*plain->Canvas(), Rect(0, 0, 13, 13), Look(cbUnchecked, cdsHot));
    EXPECT_EQ(PixelAt(*plain, 1, 1), clWhite);
    FullColorDisplay = saved;
}

TEST(TarqGlyphs, ClassicArrowsAndCross)
{
    const TLegend legend = {{'.', Untouched}, {'K', clBlack}, {'S', ColorToRGB(clBtnShadow)}};
    auto drop = BlankBitmap(11, 11);
    drop->Canvas()->Brush()->SetColor(clLime);
    DrawDropDownArrow(*drop->Canvas(), Rect(0, 0, 11, 11), false, true, false);
    EXPECT_EQ(drop->Canvas()->Brush()->Color(), clLime);
    EXPECT_EQ(Grid(*drop, legend)[2], "...........");
    EXPECT_EQ(Grid(*drop, legend)[5], "....KKK....");
    EXPECT_EQ(Grid(*drop, legend)[7], "...........");

    struct TArrowCase {
        TArrowDirection Direction;
        TPoint Inside, Outside;
    };
    const TArrowCase arrows[] = {{adUp, {5, 5}, {5, 1}},
                                 {adDown, {5, 6}, {5, 3}},
                                 {adLeft, {6, 5}, {2, 5}},
                                 {adRight, {4, 5}, {8, 5}}};
    for (const auto& a : arrows) {
        auto bitmap = BlankBitmap(11, 11);
        DrawDirectionArrow(*bitmap->Canvas(), Rect(0, 0, 11, 11), false, true, false, a.Direction);
        EXPECT_EQ(PixelAt(*bitmap, a.Inside.X, a.Inside.Y), clBlack) << int(a.Direction);
        EXPECT_EQ(PixelAt(*bitmap, a.Outside.X, a.Outside.Y), Untouched) << int(a.Direction);
        auto disabled = BlankBitmap(11, 11);
        DrawDirectionArrow(*disabled->Canvas(), Rect(0, 0, 11, 11), false, false, true, a.Direction);
        EXPECT_EQ(PixelAt(*disabled, a.Inside.X, a.Inside.Y), ColorToRGB(clBtnShadow)) << int(a.Direction);
    }

    auto cross = BlankBitmap(11, 11);
    DrawCloseCross(*cross->Canvas(), Rect(0, 0, 11, 11), false, true, false);
    EXPECT_EQ(PixelAt(*cross, 5, 5), clBlack);
    EXPECT_EQ(PixelAt(*cross, 3, 3), clBlack);
    EXPECT_EQ(PixelAt(*cross, 7, 7), clBlack);
    EXPECT_EQ(PixelAt(*cross, 5, 2), Untouched);
    EXPECT_EQ(PixelAt(*cross, 2, 5), Untouched);
}

TEST(TarqGlyphs, PressedGlyphsMoveOnePixelDownAndRight)
{
    using TDraw = std::function<void(TCanvas&, const TRect&, bool)>;
    const TDraw glyphs[] = {
        [](TCanvas& c, const TRect& r, bool p) { DrawDropDownArrow(c, r, false, true, p); },
        [](TCanvas& c, const TRect& r, bool p) { DrawDropDownArrow(c, r, true, true, p); },
        [](TCanvas& c, const TRect& r, bool p) { DrawDirectionArrow(c, r, true, true, p, adLeft); },
        [](TCanvas& c, const TRect& r, bool p) { DrawCloseCross(c, r, false, true, p); },
    };
    for (const auto& draw : glyphs) {
        auto normal = BlankBitmap(16, 16), pressed = BlankBitmap(16, 16);
        draw(*normal->Canvas(), Rect(0, 0, 14, 14), false);
        draw(*pressed->Canvas(), Rect(0, 0, 14, 14), true);
        for (int32_t y = 0; y < 15; ++y)
            for (int32_t x = 0; x < 15; ++x)
                ASSERT_EQ(PixelAt(*normal, x, y), PixelAt(*pressed, x + 1, y + 1)) << x << "," << y;
    }
}

TEST(TarqGlyphs, XPStyleTakesTheThemesButtonGlyphColour)
{
    TRecordingThemeServices themes;
    SetThemeServices(&themes);
    auto bitmap = BlankBitmap(14, 14);
    DrawDropDownArrow(*bitmap->Canvas(), Rect(0, 0, 14, 14), true, true, false);
    const TColor element =
        TRecordingThemeServices::ElementColor({TThemedClass::ComboBox, CP_DROPDOWNBUTTON, CBXS_NORMAL});
    ASSERT_FALSE(themes.Calls.empty());
    EXPECT_EQ(themes.Calls[0].Details, (TThemedElementDetails{TThemedClass::ComboBox, CP_DROPDOWNBUTTON, CBXS_NORMAL}));
    const TColor expected = ColorsAreClose(element, clWindow) ? ColorToRGB(cl3DDkShadow) : element;
    // Chevron point (x, y) = (7, 10).
    EXPECT_EQ(PixelAt(*bitmap, 7, 8), expected);
    SetThemeServices(nullptr);
}

} // namespace

#include <gtest/gtest.h>

#include "ButtonTestSupport.h"
#include "controls/TarqButton.h"
#include "platform/core/Properties.h"

namespace {

// A custom button that counts its completed presses and its paints.
class TCountingButton : public TTarqCustomButton {
public:
    using TTarqCustomButton::TTarqCustomButton;
    int Advances = 0;
    int Paints = 0;

protected:
    void AdvanceState() override { ++Advances; }
    void Paint() override { ++Paints; }
};

constexpr TColor Light = clRed, Dark = clBlue, Ink = clLime;

class CustomButton : public ButtonUiTest {
protected:
    CustomButton()
    {
        button = new TCountingButton(form.get());
        button->SetBounds(10, 10, 60, 30);
        button->SetParent(form.get());
        button->SetCaption("HH");
        button->Font()->SetName("DejaVu Sans");
        button->Font()->SetHeight(-14);
        button->Font()->SetQuality(fqNonAntialiased);
        button->Font()->SetColor(Ink);
        button->SetTextHighlightColor(Light);
        button->SetTextShadowColor(Dark);
        Pump();
    }
    std::unique_ptr<TBitmap> Caption(uint32_t flags = DT_CENTER)
    {
        auto bitmap = BlankBitmap(60, 30);
        button->DrawStyledText(*bitmap->Canvas(), Rect(0, 0, 60, 30), flags);
        return bitmap;
    }
    TCountingButton* button;
};

struct TPassCase {
    TTextStyle Style;
    bool LightStyle;
    TColor First; // colour of the pass below the caption, clNone for none
    TPoint Offset; // its offset from the caption
    TColor Second;
    TPoint SecondOffset;
};

// Where a pass drawn at `offset` from the caption shows beside it.
void ExpectPassAt(TBitmap& image, TColor color, TPoint offset, const TRect& caption)
{
    const TRect box = InkBox(image, color);
    ASSERT_FALSE(IsRectEmpty(box)) << "no pass in colour " << color;
    EXPECT_EQ(offset.X < 0 ? box.Left - caption.Left : box.Right - caption.Right, offset.X);
    EXPECT_EQ(offset.Y < 0 ? box.Top - caption.Top : box.Bottom - caption.Bottom, offset.Y);
}

TEST_F(CustomButton, StyledCaptionPassesFollowTextStyleAndLightTextStyle)
{
    const TPassCase cases[] = {
        {tsNormal, false, clNone, {}, clNone, {}},     {tsRaised, false, Dark, {1, 1}, Light, {-1, -1}},
        {tsRaised, true, Light, {-1, -1}, clNone, {}}, {tsRecessed, false, Light, {1, 1}, Dark, {-1, -1}},
        {tsRecessed, true, Light, {1, 1}, clNone, {}}, {tsShadow, false, Dark, {2, 2}, clNone, {}},
    };
    for (const TPassCase& c : cases) {
        SCOPED_TRACE(c.Style * 10 + c.LightStyle);
        button->SetTextStyle(c.Style);
        button->SetLightTextStyle(c.LightStyle);
        auto image = Caption();
        const TRect caption = InkBox(*image, Ink);
        ASSERT_FALSE(IsRectEmpty(caption));
        for (const auto& [color, offset] : {std::pair{c.First, c.Offset}, std::pair{c.Second, c.SecondOffset}})
            if (color != clNone)
                ExpectPassAt(*image, color, offset, caption);
        const bool darkDrawn = c.First == Dark || c.Second == Dark;
        const bool lightDrawn = c.First == Light || c.Second == Light;
        EXPECT_EQ(!IsRectEmpty(InkBox(*image, Dark)), darkDrawn);
        EXPECT_EQ(!IsRectEmpty(InkBox(*image, Light)), lightDrawn);
    }
}

TEST_F(CustomButton, RightAlignedShadowStaysInsideAndDisabledCaptionIsEmbossed)
{
    button->SetTextStyle(tsShadow);
    button->SetTextShadowDepth(0);
    const int32_t flushRight = InkBox(*Caption(DT_RIGHT), Ink).Right;
    button->SetTextShadowDepth(3);
    auto right = Caption(DT_RIGHT);
    const TRect caption = InkBox(*right, Ink);
    EXPECT_EQ(caption.Right, flushRight - 3); // the caption makes room for the shadow
    ExpectPassAt(*right, Dark, {3, 3}, caption);

    button->SetEnabled(false);
    auto disabled = Caption();
    EXPECT_TRUE(IsRectEmpty(InkBox(*disabled, Ink)));
    const TRect shadow = InkBox(*disabled, clBtnShadow);
    ExpectPassAt(*disabled, clBtnHighlight, {1, 1}, shadow);
}

TEST_F(CustomButton, AlignmentVerticalPlacesTheMeasuredCaption)
{
    TRect measured = Rect(0, 0, 60, 30);
    TBitmap scratch(1, 1);
    scratch.Canvas()->Font()->Assign(button->Font());
    const int32_t h = DrawText(*scratch.Canvas(), "HH", measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    button->SetAlignmentVertical(avTop);
    const int32_t top = InkBox(*Caption(), Ink).Top;
    button->SetAlignmentVertical(avCenter);
    EXPECT_EQ(InkBox(*Caption(), Ink).Top - top, (30 - h) / 2);
    button->SetAlignmentVertical(avBottom);
    EXPECT_EQ(InkBox(*Caption(), Ink).Top - top, 30 - h - 1);
}

TEST_F(CustomButton, DraggingOutClearsThePressAndOnlyAReleaseInsideAdvances)
{
    backend.MouseDown(At(*button, 5, 5));
    Pump();
    EXPECT_TRUE(button->ShowDownVersion());
    EXPECT_TRUE(button->Focused());
    backend.MouseMove(At(*button, 70, 5));
    Pump();
    EXPECT_FALSE(button->ShowDownVersion());
    backend.MouseMove(At(*button, 5, 30)); // the row below still counts as inside
    Pump();
    EXPECT_TRUE(button->ShowDownVersion());
    backend.MouseUp(At(*button, 5, 30)); // but a release there is outside
    Pump();
    EXPECT_FALSE(button->ShowDownVersion());
    EXPECT_EQ(button->Advances, 0);

    ClickAt(*button, 5, 5);
    EXPECT_EQ(button->Advances, 1);
    backend.Click(At(*button, 5, 5), 1); // the right button does not press
    Pump();
    button->SetEnabled(false);
    ClickAt(*button, 5, 5);
    EXPECT_EQ(button->Advances, 1);
}

TEST_F(CustomButton, HotTrackingRepaintsOnlyWhenAskedOrThemed)
{
    int enters = 0, leaves = 0;
    button->OnMouseEnter = [&](TObject*) { ++enters; };
    button->OnMouseLeave = [&](TObject*) { ++leaves; };
    const auto hover = [&](bool over) {
        const int before = button->Paints;
        backend.MouseMove(over ? At(*button, 5, 5) : At(*form, 200, 150));
        Pump();
        EXPECT_EQ(button->MouseOverButton(), over);
        return button->Paints - before;
    };
    EXPECT_EQ(hover(true), 0);
    EXPECT_EQ(hover(false), 0);
    button->SetHotTrack(true);
    Pump();
    EXPECT_EQ(hover(true), 1);
    EXPECT_EQ(hover(false), 1);
    button->SetHotTrack(false);
    UseRecordingTheme();
    Pump();
    EXPECT_EQ(hover(true), 1);
    button->SetThemeAware(false);
    Pump();
    EXPECT_EQ(hover(false), 0);
    EXPECT_EQ(enters, 3);
    EXPECT_EQ(leaves, 3);
}

// ---- Control button ----------------------------------------------------------------------

class ControlButton : public ButtonUiTest {
protected:
    ControlButton()
    {
        button = new TTarqControlButton(form.get());
        button->SetBounds(10, 10, 17, 21);
        button->SetParent(form.get());
        button->OnClick = [this](TObject*) { ++clicks; };
        Pump();
    }
    TTarqControlButton* button;
    int clicks = 0;
};

TEST_F(ControlButton, HeldDownRepeatsAfterTheInitialDelayThenEveryDelay)
{
    button->SetRepeatClicks(true);
    backend.MouseDown(At(*button, 5, 5));
    Pump();
    EXPECT_TRUE(button->Down());
    Wait(399);
    EXPECT_EQ(clicks, 0);
    Wait(1);
    EXPECT_EQ(clicks, 1);
    Wait(100);
    Wait(100);
    EXPECT_EQ(clicks, 3);
    backend.MouseUp(At(*button, 5, 5));
    Pump();
    EXPECT_EQ(clicks, 4); // the release inside clicks once more
    Wait(500);
    EXPECT_EQ(clicks, 4);

    backend.MouseDown(At(*button, 5, 5));
    Pump();
    Wait(400);
    backend.MouseUp(At(*button, 30, 5)); // outside: no release click
    Pump();
    EXPECT_EQ(clicks, 5);
    EXPECT_FALSE(button->Down());
}

TEST_F(ControlButton, RightButtonStartsTheTimerButNeverClicks)
{
    button->SetRepeatClicks(true);
    backend.MouseDown(At(*button, 5, 5), 1);
    Pump();
    EXPECT_FALSE(button->Down());
    Wait(600);
    backend.MouseUp(At(*button, 5, 5), 1);
    Pump();
    EXPECT_EQ(clicks, 0);
}

TEST_F(ControlButton, SquareGlyphStripsSetTheCellCount)
{
    struct {
        int32_t Width, Height, Before, After;
    } const cases[] = {{32, 16, 1, 2}, {80, 16, 3, 1}, {30, 16, 3, 3}, {16, 16, 2, 1}};
    for (const auto& c : cases) {
        button->SetNumGlyphs(c.Before);
        button->SetGlyph(SolidBitmap(c.Width, c.Height, clRed).get());
        EXPECT_EQ(button->NumGlyphs(), c.After) << c.Width << "x" << c.Height;
    }
}

TEST_F(ControlButton, ClassicFaceRaisedOrOutlinedWhenDownWithTheGlyphShifted)
{
    auto glyph = SolidBitmap(4, 4, clRed);
    glyph->Canvas()->SetPixel(0, 0, clOlive);
    glyph->Canvas()->SetPixel(0, 3, clOlive); // the transparent colour (bottom-left pixel)
    button->SetGlyph(glyph.get());
    TLegend legend = SystemLegend();
    legend.insert(legend.begin() + 1, {'F', clBtnFace});
    legend.push_back({'r', clRed});
    const auto rows = Grid(*PaintedImage(*button), legend);
    EXPECT_EQ(rows[0], "FFFFFFFFFFFFFFFFD");
    EXPECT_EQ(rows[1], "FWWWWWWWWWWWWWWSD");
    EXPECT_EQ(rows[7], "FWFFFFFFFFFFFFFSD");
    EXPECT_EQ(rows[8], "FWFFFFFrrrFFFFFSD"); // the transparent corners show the face
    EXPECT_EQ(rows[9], "FWFFFFrrrrFFFFFSD");
    EXPECT_EQ(rows[12], "FWFFFFFFFFFFFFFSD");
    EXPECT_EQ(rows[20], "DDDDDDDDDDDDDDDDD");

    backend.MouseDown(At(*button, 5, 5));
    Pump();
    const auto down = Grid(*PaintedImage(*button), legend);
    EXPECT_EQ(down[0], "SSSSSSSSSSSSSSSSS");
    EXPECT_EQ(down[9], "SFFFFFFFrrrFFFFFS");
    EXPECT_EQ(down[10], "SFFFFFFrrrrFFFFFS");
    backend.MouseUp(At(*button, 5, 5));
    Pump();
}

TEST_F(ControlButton, DisabledLookUsesTheSecondCellOnlyWithTwoCells)
{
    auto strip = SolidBitmap(16, 8, clRed);
    strip->Canvas()->FillSolidRect(Rect(8, 0, 16, 8), clBlue);
    strip->SetTransparentMode(tmFixed);
    strip->SetTransparentColor(clOlive);
    button->SetGlyph(strip.get());
    button->SetEnabled(false);
    EXPECT_EQ(PixelAt(*PaintedImage(*button), 8, 10), clBlue);
    strip->SetSize(8, 8);
    button->SetGlyph(strip.get());
    ASSERT_EQ(button->NumGlyphs(), 1);
    EXPECT_EQ(PixelAt(*PaintedImage(*button), 8, 10), clRed);
}

TEST_F(ControlButton, FlatButtonShowsAFrameOnlyWhileHot)
{
    button->SetFlat(true);
    button->SetColor(clWhite);
    EXPECT_EQ(PixelAt(*PaintedImage(*button), 0, 0), clWhite);
    backend.MouseMove(At(*button, 5, 5));
    Pump();
    EXPECT_TRUE(button->MouseOverButton());
    auto hot = PaintedImage(*button);
    EXPECT_EQ(PixelAt(*hot, 0, 0), ColorToRGB(clBtnHighlight)); // fsPopup
    EXPECT_EQ(PixelAt(*hot, 16, 20), ColorToRGB(clBtnShadow));
}

TEST_F(ControlButton, ClassicArrowsAreDrawnInBlackOnAButtonUpFrame)
{
    button->SetStyle(cbsUp);
    auto image = PaintedImage(*button);
    EXPECT_EQ(PixelAt(*image, 0, 0), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(PixelAt(*image, 16, 20), ColorToRGB(cl3DDkShadow));
    const TRect arrow = InkBox(*image, clBlack);
    EXPECT_FALSE(IsRectEmpty(arrow));
    EXPECT_LT(arrow.Width(), 10);
    button->SetEnabled(false);
    EXPECT_TRUE(IsRectEmpty(InkBox(*PaintedImage(*button), clBlack)));
}

TEST_F(ControlButton, ThemedButtonsDrawTheirElementInTheButtonsState)
{
    UseRecordingTheme();
    struct {
        TTarqControlButtonStyle Style;
        TThemedClass Class;
        int32_t Part, Normal, Disabled;
        TRect Rect;
    } const cases[] = {
        {cbsNone, TThemedClass::ScrollBar, SBP_THUMBBTNHORZ, SCRBS_NORMAL, SCRBS_DISABLED, Rect(-1, -2, 19, 23)},
        {cbsUp, TThemedClass::Spin, SPNP_UP, UPS_NORMAL, UPS_DISABLED, Rect(0, 0, 17, 21)},
        {cbsLeft, TThemedClass::Spin, SPNP_DOWNHORZ, UPS_NORMAL, UPS_DISABLED, Rect(0, 0, 17, 21)},
        {cbsRight, TThemedClass::Spin, SPNP_UPHORZ, UPS_NORMAL, UPS_DISABLED, Rect(0, 0, 17, 21)},
        {cbsDropDown, TThemedClass::ComboBox, CP_DROPDOWNBUTTON, CBXS_NORMAL, CBXS_DISABLED, Rect(-1, -1, 18, 22)},
    };
    for (const auto& c : cases) {
        button->SetStyle(c.Style);
        for (bool enabled : {true, false}) {
            button->SetEnabled(enabled);
            themes.Calls.clear();
            PaintedImage(*button);
            ASSERT_EQ(themes.Calls.size(), 1u) << c.Style;
            const TThemedElementDetails expected{c.Class, c.Part, enabled ? c.Normal : c.Disabled};
            EXPECT_EQ(themes.Calls[0].Details, expected) << c.Style;
            EXPECT_EQ(themes.Calls[0].Rect, c.Rect) << c.Style;
        }
    }
    button->SetEnabled(true);
    backend.MouseMove(At(*button, 5, 5));
    backend.MouseDown(At(*button, 5, 5));
    Pump();
    themes.Calls.clear();
    PaintedImage(*button);
    EXPECT_EQ(themes.Calls.at(0).Details.State, CBXS_PRESSED);
    backend.MouseUp(At(*button, 5, 5));
    Pump();

    button->SetFlat(true); // a flat button that is not hot draws only its arrow
    backend.MouseMove(At(*form, 200, 150));
    Pump();
    EXPECT_FALSE(button->MouseOverButton());
    EXPECT_FALSE(button->Down());
    themes.Calls.clear();
    PaintedImage(*button);
    for (const auto& call : themes.Calls)
        EXPECT_NE(call.Rect, Rect(-1, -1, 18, 22));
}

TEST_F(ControlButton, PublishedPropertiesAreSetByName)
{
    SetPropText(*button, "Style", "cbsDropDown");
    SetPropText(*button, "InitialDelay", "250");
    SetPropText(*button, "Flat", "True");
    EXPECT_EQ(button->Style(), cbsDropDown);
    EXPECT_EQ(button->InitialDelay(), 250);
    EXPECT_TRUE(button->Flat());
    auto* created = dynamic_cast<TTarqControlButton*>(CreateComponentByClassName("TTarqControlButton", form.get()));
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->Delay(), 100);
}

} // namespace

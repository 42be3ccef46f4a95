#include <gtest/gtest.h>

#include "ButtonTestSupport.h"
#include "controls/TarqBmpBtn.h"
#include "platform/core/Properties.h"

namespace {

// A bitmap of one colour with an olive (transparent) top-left pixel.
std::unique_ptr<TBitmap> StateBitmap(int32_t width, int32_t height, TColor color)
{
    auto bitmap = SolidBitmap(width, height, color);
    bitmap->Canvas()->SetPixel(0, 0, clOlive);
    return bitmap;
}

class BmpButton : public ButtonUiTest {
protected:
    BmpButton() { button = AddButton(10, 10); }
    TTarqBmpButton* AddButton(int32_t left, int32_t top)
    {
        auto* b = new TTarqBmpButton(form.get());
        b->SetBounds(left, top, 80, 30);
        b->SetParent(form.get());
        b->OnClick = [this](TObject* sender) { clicked.push_back(static_cast<TTarqBmpButton*>(sender)); };
        Pump();
        return b;
    }
    TTarqBmpButton* button;
    std::vector<TTarqBmpButton*> clicked;
};

TEST_F(BmpButton, TakesTheSizeOfItsUpBitmapPlusTheBorder)
{
    struct {
        TButtonBorder Border;
        TButtonStyle Style;
        TBtnSize Size;
        TSize Expected;
    } const cases[] = {
        {bbNone, bsAutoDetect, bszButtonToBitmap, {100, 26}},
        {bbSingle, bsAutoDetect, bszButtonToBitmap, {102, 28}},
        {bbButton, bsNew, bszButtonToBitmap, {104, 30}},
        {bbButton, bsWin31, bszButtonToBitmap, {106, 32}},
        {bbButton, bsWin31, bszNeither, {80, 30}},
    };
    for (const auto& c : cases) {
        auto* b = AddButton(0, 0);
        b->SetButtonSize(c.Size);
        b->SetButtonBorder(c.Border);
        b->SetButtonStyle(c.Style);
        b->Bitmaps()->SetUp(StateBitmap(100, 26, clRed).get());
        EXPECT_EQ(b->Width(), c.Expected.cx) << c.Border << c.Style << c.Size;
        EXPECT_EQ(b->Height(), c.Expected.cy) << c.Border << c.Style << c.Size;
        b->SetWidth(300); // a later resize snaps back to the bitmap
        EXPECT_EQ(b->Width(), c.Size == bszNeither ? 300 : c.Expected.cx);
        delete b;
    }
}

TEST_F(BmpButton, CaptionBesideTheBitmapByMarginAndSpacing)
{
    button->SetButtonSize(bszNeither);
    button->SetCaption("Add");
    auto bitmap = StateBitmap(24, 24, clRed);
    button->SetMargin(40);
    button->SetSpacing(5);
    TRect face = Rect(0, 0, 126, 36);
    TRect caption = button->CalcLayout(face, bitmap.get());
    EXPECT_EQ(face, Rect(40, 6, 64, 30));
    EXPECT_EQ(caption.Left, 69);

    button->SetMargin(-5); // ignored
    EXPECT_EQ(button->Margin(), 40);

    // Automatic margin and spacing: three equal gaps up to rounding.
    button->SetMargin(-1);
    button->SetSpacing(-1);
    face = Rect(0, 0, 126, 36);
    caption = button->CalcLayout(face, bitmap.get());
    const int32_t gaps[] = {face.Left, caption.Left - face.Right, 126 - caption.Right};
    EXPECT_EQ(gaps[0], gaps[1]);
    EXPECT_LE(std::abs(gaps[0] - gaps[2]), 2);

    button->SetLayout(blGlyphBottom);
    button->SetMargin(3);
    button->SetSpacing(4);
    face = Rect(10, 10, 136, 110);
    caption = button->CalcLayout(face, bitmap.get());
    EXPECT_EQ(face, Rect(61, 83, 85, 107));
    EXPECT_EQ(caption.Bottom, 83 - 4);
}

TEST_F(BmpButton, EachStateShowsItsBitmap)
{
    TTarqButtonBitmaps& bitmaps = *button->Bitmaps();
    bitmaps.SetUp(StateBitmap(40, 20, clRed).get());
    bitmaps.SetHot(StateBitmap(40, 20, clLime).get());
    bitmaps.SetDown(StateBitmap(40, 20, clBlue).get());
    const auto centre = [&] { return PixelAt(*PaintedImage(*button), 20, 10); };
    EXPECT_EQ(centre(), clRed);
    backend.MouseMove(At(*button, 20, 10));
    Pump();
    EXPECT_EQ(centre(), clLime);
    backend.MouseDown(At(*button, 20, 10));
    Pump();
    EXPECT_EQ(button->State(), TTarqBmpButton::bsPressed);
    EXPECT_EQ(centre(), clBlue);
    backend.MouseUp(At(*button, 20, 10));
    Pump();
    EXPECT_EQ(clicked.size(), 1u);
    EXPECT_EQ(PixelAt(*PaintedImage(*button), 0, 0), ColorToRGB(clBtnFace)); // the parent shows through

    button->SetEnabled(false); // no Disabled bitmap: the embossed grey of Up
    auto greyed = PaintedImage(*button);
    EXPECT_EQ(PixelAt(*greyed, 20, 10), ColorToRGB(clBtnFace));
    bitmaps.SetDisabled(StateBitmap(40, 20, clYellow).get());
    bitmaps.SetUp(nullptr); // a Disabled bitmap alone is still drawn
    EXPECT_EQ(PixelAt(*PaintedImage(*button), 20, 10), clYellow);
}

TEST_F(BmpButton, GreyedImageEmbossesTheBlackInk)
{
    auto up = SolidBitmap(5, 5, clWhite);
    up->Canvas()->SetPixel(2, 2, clBlack);
    up->Canvas()->SetPixel(1, 1, clRed); // not black: no ink
    auto greyed = CreateGreyedBitmap(*up);
    const TLegend legend = {{'F', clBtnFace}, {'S', clBtnShadow}, {'W', clBtnHighlight}};
    const auto rows = Grid(*greyed, legend);
    EXPECT_EQ(rows[1], "FFFFF");
    EXPECT_EQ(rows[2], "FFSFF");
    EXPECT_EQ(rows[3], "FFFWF");
}

TEST_F(BmpButton, GroupedButtonsKeepOneDown)
{
    auto* second = AddButton(100, 10);
    button->SetGroupIndex(1);
    second->SetGroupIndex(1);
    ClickAt(*second, 5, 5);
    EXPECT_TRUE(second->Down());
    ClickAt(*button, 5, 5);
    EXPECT_TRUE(button->Down());
    EXPECT_FALSE(second->Down());
    EXPECT_EQ(second->State(), TTarqBmpButton::bsUp);

    ClickAt(*button, 5, 5); // the down button stays down
    EXPECT_TRUE(button->Down());
    EXPECT_EQ(button->State(), TTarqBmpButton::bsStayDown);
    EXPECT_EQ(clicked.size(), 3u);

    second->SetAllowAllUp(true); // the whole group follows
    EXPECT_TRUE(button->AllowAllUp());
    ClickAt(*button, 5, 5);
    EXPECT_FALSE(button->Down());

    backend.MouseDown(At(*second, 5, 5)); // released outside: no click, no change
    Pump();
    backend.MouseUp(At(*second, 5, 40));
    Pump();
    EXPECT_FALSE(second->Down());
    EXPECT_EQ(clicked.size(), 4u);

    second->SetDown(true);
    button->SetGroupIndex(0); // an ungrouped button never stays down
    button->SetDown(true);
    EXPECT_FALSE(button->Down());
}

TEST_F(BmpButton, StayDownFaceShowsTheCheckerPatternInsideTheBorder)
{
    button->SetButtonSize(bszNeither);
    button->SetButtonBorder(bbSingle);
    button->SetGroupIndex(1);
    button->SetDown(true);
    auto image = PaintedImage(*button);
    EXPECT_EQ(PixelAt(*image, 79, 0), clBlack);
    EXPECT_EQ(PixelAt(*image, 2, 2), clWhite);
    EXPECT_EQ(PixelAt(*image, 3, 2), ColorToRGB(clBtnFace));
    button->SetShowDownPattern(false);
    EXPECT_EQ(PixelAt(*PaintedImage(*button), 2, 2), ColorToRGB(clBtnFace));
}

TEST_F(BmpButton, KeyboardAndAcceleratorClickAndTheFormTakesTheModalResult)
{
    button->SetCaption("&Save");
    button->SetModalResult(mrOk);
    button->SetFocus();
    backend.PressKey(VK_SPACE);
    Pump();
    EXPECT_EQ(clicked.size(), 1u);
    EXPECT_EQ(form->ModalResult(), mrOk);
    EXPECT_EQ(button->Perform(CM_DIALOGCHAR, 's'), 1);
    EXPECT_EQ(button->Perform(CM_DIALOGCHAR, 'x'), 0);
    EXPECT_EQ(clicked.size(), 2u);
    backend.PressKey(VK_RETURN);
    Pump();
    EXPECT_EQ(clicked.size(), 3u);
    button->SetEnabled(false);
    EXPECT_EQ(button->Perform(CM_DIALOGCHAR, 's'), 0);
}

TEST_F(BmpButton, SpaceOnADownButtonOfAGroupKeepsItsStayDownLook)
{
    button->SetGroupIndex(1);
    button->SetDown(true);
    button->SetFocus();
    backend.PressKey(VK_SPACE);
    Pump();
    EXPECT_EQ(clicked.size(), 1u);
    EXPECT_TRUE(button->Down());
    EXPECT_EQ(button->State(), TTarqBmpButton::bsStayDown);
}

TEST_F(BmpButton, PressedCaptionMovesByTheDownOffsetAndFocusIsOutlined)
{
    button->SetCaption("HH");
    button->Font()->SetQuality(fqNonAntialiased);
    button->Font()->SetColor(clBlue);
    const TRect up = InkBox(*PaintedImage(*button), clBlue);
    button->SetCaptionDownOffset(3);
    backend.MouseDown(At(*button, 5, 5));
    Pump();
    EXPECT_EQ(InkBox(*PaintedImage(*button), clBlue), OffsetRect(up, 3, 3));
    backend.MouseUp(At(*button, 5, 5));
    Pump();
    ASSERT_TRUE(button->Focused());
    auto focused = PaintedImage(*button);
    button->SetShowFocus(false);
    auto unfocused = PaintedImage(*button);
    int differences = 0;
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 80; ++x)
            differences += PixelAt(*focused, x, y) != PixelAt(*unfocused, x, y);
    EXPECT_GT(differences, 0);
    button->SetCaption(""); // no caption, no focus rectangle
    auto empty = PaintedImage(*button);
    button->SetShowFocus(true);
    EXPECT_EQ(Grid(*PaintedImage(*button), {{'F', clBtnFace}}), Grid(*empty, {{'F', clBtnFace}}));
}

TEST_F(BmpButton, DownReadBeforeGroupIndexSurvivesLoading)
{
    auto* loaded = new TTarqBmpButton(form.get());
    loaded->SetStateFlag(csLoading, true);
    SetPropText(*loaded, "Down", "True");
    SetPropText(*loaded, "GroupIndex", "2");
    static_cast<TComponent*>(loaded)->Loaded();
    EXPECT_TRUE(loaded->Down());
    EXPECT_EQ(loaded->State(), TTarqBmpButton::bsStayDown);

    auto* ungrouped = new TTarqBmpButton(form.get());
    ungrouped->SetStateFlag(csLoading, true);
    SetPropText(*ungrouped, "Down", "True");
    static_cast<TComponent*>(ungrouped)->Loaded();
    EXPECT_FALSE(ungrouped->Down());
}

TEST_F(BmpButton, PublishedPropertiesAreSetByName)
{
    SetPropText(*button, "ButtonBorder", "bbButton");
    SetPropText(*button, "Layout", "blGlyphTop");
    SetPropText(*button, "Bitmaps.TransparentColor", "clFuchsia");
    EXPECT_EQ(button->ButtonBorder(), bbButton);
    EXPECT_EQ(button->Layout(), blGlyphTop);
    EXPECT_EQ(button->Bitmaps()->TransparentColor(), clFuchsia);
    EXPECT_NE(CreateComponentByClassName("TTarqBmpButton", form.get()), nullptr);
}

} // namespace

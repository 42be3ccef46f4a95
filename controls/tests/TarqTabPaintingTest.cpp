#include <gtest/gtest.h>

#include "TarqTabTestSupport.h"
#include "controls/TarqColors.h"
#include "platform/ui/Themes.h"

namespace {

// The converter's page control: rounded tabs over three white pages.
class TarqTabPainting : public TarqUiTest {
protected:
    TarqTabPainting()
    {
        control = new TTarqPageControl(form.get());
        UseFixedMeasurer(*control);
        control->SetBounds(10, 10, 368, 171);
        control->SetParent(form.get());
        control->SetTabStyle(tsRoundCorners);
        for (const char* caption : {"Normal", "Watermark", "Edit"})
            AddPage(*control, caption)->SetColor(clWhite);
        control->SetActivePageIndex(0);
    }
    TColor Line() const { return ColorToRGB(clBtnShadow); }
    static TColor Shadow(uint8_t weight) { return MixColors(clBlack, ColorToRGB(clBtnFace), weight); }

    std::unique_ptr<TForm> form = MakeForm(400, 200);
    TTarqPageControl* control;
};

TEST_F(TarqTabPainting, CurrentTabOpensIntoTheCardWithAShadowedFrame)
{
    EXPECT_TRUE(control->UseColoredTabs());
    EXPECT_EQ(control->ActivePage()->BoundsRect(), Rect(1, 23, 365, 168));
    auto image = Snapshot(*control);
    // Current tab (0, 1, 58, 22): outline, highlight bar, white inside.
    EXPECT_EQ(PixelAt(*image, 30, 1), Line());
    EXPECT_EQ(PixelAt(*image, 0, 10), Line());
    EXPECT_EQ(PixelAt(*image, 58, 10), Line());
    EXPECT_EQ(PixelAt(*image, 30, 3), ColorToRGB(clHighlight));
    EXPECT_EQ(PixelAt(*image, 2, 15), clWhite);
    // The card's top edge is open under the current tab only.
    EXPECT_EQ(PixelAt(*image, 0, 22), Line());
    EXPECT_EQ(PixelAt(*image, 30, 22), clWhite);
    EXPECT_EQ(PixelAt(*image, 100, 22), Line());
    // Frame two pixels inside the right and bottom edges, shadows beyond it.
    EXPECT_EQ(PixelAt(*image, 365, 100), Line());
    EXPECT_EQ(PixelAt(*image, 366, 100), Shadow(30));
    EXPECT_EQ(PixelAt(*image, 367, 100), Shadow(15));
    EXPECT_EQ(PixelAt(*image, 200, 168), Line());
    EXPECT_EQ(PixelAt(*image, 200, 169), Shadow(30));
    EXPECT_EQ(PixelAt(*image, 200, 170), Shadow(15));
    EXPECT_EQ(PixelAt(*image, 200, 100), clWhite);
}

TEST_F(TarqTabPainting, UnselectedWhiteTabRunsFromTheButtonFaceToWhite)
{
    auto image = Snapshot(*control);
    // Second tab (58, 3, 112, 22).
    const TColor top = PixelAt(*image, 61, 4), bottom = PixelAt(*image, 61, 21);
    EXPECT_LT(GetRValue(top), GetRValue(bottom));
    EXPECT_GE(GetRValue(bottom), 245);
    EXPECT_EQ(PixelAt(*image, 85, 3), Line());
}

TEST_F(TarqTabPainting, ShadowSurvivesTheExposeAfterAHotTrackingRepaint)
{
    control->Perform(WM_MOUSEMOVE, 0, PointToLParam({85, 12}));
    EXPECT_EQ(control->HotTab(), 1);
    EXPECT_TRUE(control->HotRepaint());
    auto hot = Snapshot(*control);
    EXPECT_EQ(PixelAt(*hot, 366, 100), clWhite);
    EXPECT_EQ(PixelAt(*hot, 85, 5), ColorToRGB(control->HotTrackColor()));

    auto exposed = Snapshot(*control);
    EXPECT_EQ(PixelAt(*exposed, 366, 100), Shadow(30));
    EXPECT_EQ(PixelAt(*exposed, 367, 100), Shadow(15));
}

TEST_F(TarqTabPainting, OnlyTheTopStandardStripCastsAShadow)
{
    control->SetTabOrientation(toBottom);
    auto image = Snapshot(*control);
    EXPECT_EQ(PixelAt(*image, 367, 100), Line());
    EXPECT_EQ(PixelAt(*image, 366, 100), clWhite);
}

TEST_F(TarqTabPainting, BackgroundComesFromTheParentOrTheHandler)
{
    form->SetColor(clBlue);
    control->SetTransparent(true);
    auto parent = Snapshot(*control);
    EXPECT_EQ(PixelAt(*parent, 300, 5), clBlue);

    control->OnPaintBackground = [](TObject*, TCanvas* canvas, const TRect& rect, bool& handled) {
        canvas->FillSolidRect(rect, clLime);
        handled = true;
    };
    auto handled = Snapshot(*control);
    EXPECT_EQ(PixelAt(*handled, 300, 5), clLime);
}

TEST_F(TarqTabPainting, ChildButtonsDrawTheirThemeElements)
{
    TRecordingThemeServices themes;
    SetThemeServices(&themes);
    control->SetShowCloseButton(true);
    control->SetWidth(120);
    Snapshot(*control);
    auto drawn = [&](TThemedClass element, int32_t part, int32_t state) {
        for (const auto& call : themes.Calls)
            if (call.Operation == "DrawElement" && call.Details == TThemedElementDetails{element, part, state})
                return true;
        return false;
    };
    ASSERT_TRUE(control->Scrolling());
    EXPECT_TRUE(drawn(TThemedClass::Spin, SPNP_DOWNHORZ, UPS_DISABLED));
    EXPECT_TRUE(drawn(TThemedClass::Spin, SPNP_UPHORZ, UPS_NORMAL));
    EXPECT_TRUE(drawn(TThemedClass::Window, 19, 1));
    SetThemeServices(nullptr);
}

TEST_F(TarqTabPainting, DisabledCaptionIsDrawnInBothDisabledColours)
{
    auto* tabs = new TTarqCustomTabControl(form.get());
    tabs->SetBounds(0, 0, 200, 80);
    tabs->SetParent(form.get());
    tabs->Font()->SetHeight(-24);
    tabs->Font()->SetStyle(TFontStyles{fsBold});
    tabs->SetUseGradients(false);
    tabs->TabColors()->SetUnselected(clBtnFace);
    AddTab(*tabs, "One");
    AddTab(*tabs, "Off")->Enabled = false;
    auto image = Snapshot(*tabs);
    tabs->UpdateLayout();
    const TRect r = tabs->GetTabControlRect(1);
    int highlight = 0, shadow = 0;
    for (int32_t y = r.Top; y < r.Bottom; ++y)
        for (int32_t x = r.Left; x < r.Right; ++x) {
            highlight += PixelAt(*image, x, y) == ColorToRGB(clBtnHighlight);
            shadow += PixelAt(*image, x, y) == ColorToRGB(clBtnShadow);
        }
    EXPECT_GT(highlight, 10);
    EXPECT_GT(shadow, 10);
}

} // namespace

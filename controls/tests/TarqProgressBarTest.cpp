#include <gtest/gtest.h>

#include "TarqTestSupport.h"
#include "controls/TarqProgressBar.h"
#include "platform/core/Properties.h"
#include "platform/ui/Themes.h"

namespace {

class TarqProgressBar : public TarqUiTest {
protected:
    TarqProgressBar()
    {
        bar = new TTarqProgressBar(form.get());
        bar->SetParent(form.get());
        bar->OnChange = [this](TObject*, int32_t percent) { changes.push_back(percent); };
    }
    std::unique_ptr<TForm> form = MakeForm();
    TTarqProgressBar* bar;
    std::vector<int32_t> changes;
};

TEST_F(TarqProgressBar, PartsGiveTheRoundedPercentAndNeverExceedTheTotal)
{
    bar->SetTotalParts(3);
    bar->SetPartsComplete(2);
    EXPECT_EQ(bar->Percent(), 67);
    bar->SetPartsComplete(5);
    EXPECT_EQ(bar->PartsComplete(), 3u);
    EXPECT_EQ(bar->Percent(), 100);
    EXPECT_EQ(changes, (std::vector<int32_t>{67, 100}));

    bar->SetTotalParts(8); // resets both
    EXPECT_EQ(bar->PartsComplete(), 0u);
    EXPECT_EQ(bar->Percent(), 0);
    EXPECT_EQ(changes.back(), 0);
    changes.clear();
    bar->SetTotalParts(9); // already at 0: no change event
    EXPECT_TRUE(changes.empty());

    bar->SetTotalParts(0);
    bar->SetPartsComplete(4); // limited to the total of 0
    EXPECT_EQ(bar->PartsComplete(), 0u);
    bar->SetTotalParts(0xFFFFFFFFu);
    EXPECT_EQ(bar->TotalParts(), 2147483647u);
}

TEST_F(TarqProgressBar, BarStyleSetsPercentTextAndInteriorOffset)
{
    bar->SetBarStyle(bsLED);
    EXPECT_FALSE(bar->ShowPercent());
    EXPECT_EQ(bar->InteriorOffset(), 1);
    bar->SetBarStyle(bsGradient);
    EXPECT_TRUE(bar->ShowPercent());
    EXPECT_EQ(bar->InteriorOffset(), 0);
}

TEST_F(TarqProgressBar, TheProgressWindowsSixPixelBar)
{
    bar->SetBounds(0, 0, 259, 6);
    bar->SetBarStyle(bsGradient);
    bar->SetBorderOuter(fsFlat);
    bar->SetFlatColor(0xB99D7F);
    bar->SetFlatColorAdjustment(0);
    bar->SetShowPercent(false);
    bar->SetThemeAware(false);
    bar->SetPercent(50);
    auto image = Snapshot(*bar);
    const TColor ring = 0xB99D7F;
    for (int32_t x = 0; x < 259; ++x) {
        ASSERT_EQ(PixelAt(*image, x, 0), ring) << x;
        ASSERT_EQ(PixelAt(*image, x, 5), ring) << x;
    }
    EXPECT_EQ(PixelAt(*image, 0, 3), ring);
    EXPECT_EQ(PixelAt(*image, 258, 3), ring);
    // Interior (1, 1, 258, 5): 128 columns of the bar gradient (128.5 rounds
    // to even), the back gradient after them; stop colours on the centre row
    // (interior row 4 div 2 = 2) and start colours on the last one.
    EXPECT_EQ(PixelAt(*image, 5, 3), ColorToRGB(clHotLight));
    EXPECT_EQ(PixelAt(*image, 128, 3), ColorToRGB(clHotLight));
    EXPECT_EQ(PixelAt(*image, 129, 3), ColorToRGB(clBtnFace));
    EXPECT_EQ(PixelAt(*image, 5, 4), ColorToRGB(clHighlight));
    EXPECT_EQ(PixelAt(*image, 200, 4), clWhite);
}

TEST_F(TarqProgressBar, FullBarInTheTraditionalAndGradientStyles)
{
    bar->SetBounds(0, 0, 50, 12);
    bar->SetBorderOuter(fsNone);
    bar->SetShowPercent(false);
    bar->SetBarColor(clRed);
    bar->SetPercent(130);
    auto plain = Snapshot(*bar);
    EXPECT_EQ(PixelAt(*plain, 0, 0), clRed);
    EXPECT_EQ(PixelAt(*plain, 49, 11), clRed);

    bar->SetBarStyle(bsGradient);
    bar->SetShowPercent(false);
    bar->SetBarColorStop(clRed);
    bar->SetPercent(100);
    auto gradient = Snapshot(*bar);
    EXPECT_EQ(PixelAt(*gradient, 0, 0), clRed);
    EXPECT_EQ(PixelAt(*gradient, 49, 11), clRed);
}

TEST_F(TarqProgressBar, TallBarsFillFromTheBottom)
{
    bar->SetBounds(0, 0, 12, 40);
    EXPECT_EQ(bar->Orientation(), orVertical);
    bar->SetBorderOuter(fsNone);
    bar->SetShowPercent(false);
    bar->SetBarColor(clRed);
    bar->SetBackColor(clLime);
    bar->SetPercent(25);
    auto image = Snapshot(*bar);
    EXPECT_EQ(PixelAt(*image, 6, 39), clRed);
    EXPECT_EQ(PixelAt(*image, 6, 30), clRed);
    EXPECT_EQ(PixelAt(*image, 6, 29), clLime);
    bar->SetBounds(0, 0, 40, 12);
    EXPECT_EQ(bar->Orientation(), orHorizontal);
}

TEST_F(TarqProgressBar, InteriorOffsetFrameAndLedSegments)
{
    bar->SetBounds(0, 0, 64, 10);
    bar->SetBorderOuter(fsFlat);
    bar->SetFlatColor(clBlack);
    bar->SetFlatColorAdjustment(0);
    bar->SetBarStyle(bsLED); // offset 1
    bar->SetThemeAware(false);
    bar->SetBackColor(clLime);
    bar->SetBarColor(clRed);
    bar->SetPercent(100);
    auto image = Snapshot(*bar);
    const TLegend legend = {{'k', clBlack}, {'g', clLime}, {'r', clRed}};
    // Ring, offset frame, then 60 pixels of 10 segments of 6.
    EXPECT_EQ(
        Grid(*image, legend)[5],
        "kg" +
            [] {
                std::string s;
                for (int i = 0; i < 10; ++i)
                    s += "grrrrg";
                return s;
            }() +
            "gk");
    EXPECT_EQ(Grid(*image, legend)[1], "k" + std::string(62, 'g') + "k");
}

TEST_F(TarqProgressBar, ThemedFrameWhenThemesAreOnAndTheBarIsThemeAware)
{
    TRecordingThemeServices themes;
    SetThemeServices(&themes);
    bar->SetBounds(0, 0, 40, 16);
    bar->SetShowPercent(false);
    bar->SetPercent(50);
    auto image = Snapshot(*bar);
    ASSERT_FALSE(themes.Calls.empty());
    EXPECT_EQ(themes.Calls[0].Details, (TThemedElementDetails{TThemedClass::Progress, PP_BAR, 1}));
    EXPECT_EQ(themes.Calls[0].Rect, Rect(0, 0, 40, 16));
    EXPECT_EQ(PixelAt(*image, 0, 0), TRecordingThemeServices::ElementColor(themes.Calls[0].Details));
    EXPECT_EQ(PixelAt(*image, 3, 3), ColorToRGB(clHighlight)); // interior inset by 3

    themes.Calls.clear();
    bar->SetThemeAware(false);
    Snapshot(*bar);
    EXPECT_TRUE(themes.Calls.empty());
    SetThemeServices(nullptr);
}

TEST_F(TarqProgressBar, FrameControllerSetsTheFrameAndBackColour)
{
    TTarqFrameController controller(nullptr);
    controller.SetFrameVisible(true);
    controller.SetFrameStyle(fsFlatBold);
    controller.SetFrameColor(clRed);
    controller.SetColor(clYellow);
    bar->SetFrameController(&controller);
    EXPECT_EQ(bar->BorderOuter(), fsFlatBold);
    EXPECT_EQ(bar->FlatColor(), clRed);
    EXPECT_EQ(bar->FlatColorAdjustment(), 0);
    EXPECT_EQ(bar->BackColor(), clYellow);
    bar->SetFrameController(nullptr);
    EXPECT_EQ(controller.ControlCount(), 0);
}

TEST_F(TarqProgressBar, PublishedDefaultsAndBarColourAsFontColour)
{
    EXPECT_EQ(bar->Width(), 200);
    EXPECT_EQ(bar->Height(), 24);
    EXPECT_EQ(GetPropText(*bar, "BarColorStop"), "clHotLight");
    EXPECT_EQ(GetPropText(*bar, "GradientDirection"), "gdHorizontalCenter");
    EXPECT_EQ(GetPropText(*bar, "BorderOuter"), "fsLowered");
    SetPropText(*bar, "BarColor", "clRed");
    EXPECT_EQ(bar->Font()->Color(), clRed);
    SetPropText(*bar, "NumSegments", "500");
    EXPECT_EQ(bar->NumSegments(), 100);
}

} // namespace

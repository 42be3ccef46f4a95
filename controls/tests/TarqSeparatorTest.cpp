#include <gtest/gtest.h>

#include "TarqTestSupport.h"
#include "controls/TarqScheme.h"
#include "controls/TarqSeparator.h"
#include "platform/core/Properties.h"

namespace {

class TarqSeparator : public TarqUiTest {
protected:
    TarqSeparator()
    {
        separator = new TTarqSeparator(form.get());
        separator->SetParent(form.get());
    }
    std::unique_ptr<TForm> form = MakeForm(500, 300);
    TTarqSeparator* separator;
};

TEST_F(TarqSeparator, GradientColoursFollowOrientationAndHighlightLocation)
{
    struct TCase {
        TOrientation Orientation;
        TTarqHighlightLocation Location;
        TGradientDirection Direction;
        bool HighlightFirst;
    };
    const TCase cases[] = {
        {orHorizontal, hlCenter, gdVerticalCenter, false},  {orHorizontal, hlUpperLeft, gdVerticalEnd, true},
        {orHorizontal, hlLowerRight, gdVerticalEnd, false}, {orVertical, hlCenter, gdHorizontalCenter, false},
        {orVertical, hlUpperLeft, gdHorizontalEnd, true},   {orVertical, hlLowerRight, gdHorizontalEnd, false},
    };
    separator->SetColor(clWhite);
    separator->SetHighlightColor(clRed);
    for (const auto& c : cases) {
        separator->SetOrientation(c.Orientation);
        separator->SetHighlightLocation(c.Location);
        EXPECT_EQ(separator->Direction(), c.Direction);
        EXPECT_EQ(separator->StartColor(), c.HighlightFirst ? clRed : clWhite);
        EXPECT_EQ(separator->StopColor(), c.HighlightFirst ? clWhite : clRed);
    }
    separator->SetColor(clBlue); // a colour change recomputes the gradient
    EXPECT_EQ(separator->StartColor(), clBlue);
}

TEST_F(TarqSeparator, WhiteLineWithTheHighlightInTheMiddle)
{
    separator->SetBounds(0, 0, 416, 1);
    separator->SetColor(clWhite);
    auto image = Snapshot(*separator);
    const TColor left = PixelAt(*image, 0, 0); // within a step of white
    EXPECT_GE(std::min({GetRValue(left), GetGValue(left), GetBValue(left)}), 250);
    EXPECT_EQ(PixelAt(*image, 415, 0), clWhite);
    EXPECT_EQ(PixelAt(*image, 208, 0), ColorToRGB(clHighlight));
    EXPECT_GT(GetRValue(PixelAt(*image, 100, 0)), GetRValue(PixelAt(*image, 200, 0)));

    separator->SetHighlightLocation(hlUpperLeft);
    auto end = Snapshot(*separator);
    EXPECT_EQ(PixelAt(*end, 415, 0), clWhite);
    EXPECT_LT(GetRValue(PixelAt(*end, 0, 0)), 20);
}

TEST_F(TarqSeparator, SwitchingOrientationSwapsTheSizeUnlessLoading)
{
    EXPECT_EQ(separator->Width(), 200);
    EXPECT_EQ(separator->Height(), 2);
    separator->SetOrientation(orVertical);
    EXPECT_EQ(separator->Width(), 2);
    EXPECT_EQ(separator->Height(), 200);

    separator->SetStateFlag(csLoading, true);
    separator->SetOrientation(orHorizontal);
    EXPECT_EQ(separator->Width(), 2);
    separator->SetStateFlag(csLoading, false);
}

TEST_F(TarqSeparator, PlainLineWithoutGradientOrFullColour)
{
    separator->SetColor(clLime);
    separator->SetShowGradient(false);
    auto plain = Snapshot(*separator);
    EXPECT_EQ(PixelAt(*plain, 100, 1), clLime);

    separator->SetShowGradient(true);
    const bool saved = FullColorDisplay;
    FullColorDisplay = false;
    auto fewColours = Snapshot(*separator);
    EXPECT_EQ(PixelAt(*fewColours, 0, 0), ColorToRGB(clHighlight));
    EXPECT_EQ(PixelAt(*fewColours, 199, 1), ColorToRGB(clHighlight));
    FullColorDisplay = saved;

    EXPECT_TRUE(IsStoredProp(*separator, *GetPropInfo(*separator, "ShowGradient")));
}

} // namespace

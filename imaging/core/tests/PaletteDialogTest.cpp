#include <gtest/gtest.h>

#include <vector>

#include "QkHeadlessUi.h"
#include "imaging/core/QkPaletteDialog.h"
#include "platform/ui/Application.h"

namespace {

std::vector<TRGBPixel> Colours()
{
    std::vector<TRGBPixel> colours;
    for (int32_t i = 0; i < 256; ++i)
        colours.push_back(MakeRGBPixel(uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)));
    return colours;
}

TPoint Centre(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

class PaletteDialogTest : public HeadlessUiTest {
protected:
    PaletteDialogTest() { dialog.SetPalette(colours.data(), static_cast<int32_t>(colours.size())); }

    // Input that reaches the dialog once it is on the screen.
    void OnShowing(std::function<void()> input)
    {
        dialog.OnShow = [input](TObject*) { input(); };
    }
    TPoint OnScreen(TPoint client) { return dialog.ClientToScreen(client); }

    std::vector<TRGBPixel> colours = Colours();
    TBrelvixPaletteDialog dialog{nullptr};
};

TEST_F(PaletteDialogTest, ShowsEightRowsOfThirtyTwoAndHighlightsTheHoveredColour)
{
    EXPECT_EQ(dialog.Caption(), "Palette");
    EXPECT_EQ(dialog.Width(), 520);
    EXPECT_EQ(dialog.Height(), 199);
    EXPECT_EQ(dialog.CancelButton()->Caption(), "&Cancel");
    dialog.Show();
    backend.MouseMove(OnScreen(Centre(TBrelvixPaletteDialog::CellRect(67))));
    Application()->ProcessMessages();
    EXPECT_EQ(dialog.HighlightedIndex(), 67);
    dialog.PaintTree();
    const auto screen = backend.ScreenImage();
    auto pixel = [&](TPoint client) {
        const TPoint p = OnScreen(client);
        return screen->Canvas()->Pixels(p.X, p.Y);
    };
    EXPECT_EQ(pixel(TBrelvixPaletteDialog::CellRect(67).TopLeft()), clBlack);
    EXPECT_EQ(pixel(TBrelvixPaletteDialog::CellRect(66).TopLeft()), clWhite);
    EXPECT_EQ(pixel(Centre(TBrelvixPaletteDialog::CellRect(67))), RGBPixelToColor(colours[67]));
    EXPECT_EQ(TBrelvixPaletteDialog::CellRect(255), Bounds(31 * 16 + 1, 7 * 16 + 1, 15, 15));
    EXPECT_EQ(pixel(Centre(TBrelvixPaletteDialog::CellRect(255))), RGBPixelToColor(colours[255]));
    // Past the last colour nothing is highlighted.
    dialog.SetPalette(colours.data(), 10);
    backend.MouseMove(OnScreen(Centre(TBrelvixPaletteDialog::CellRect(12))));
    Application()->ProcessMessages();
    EXPECT_EQ(dialog.HighlightedIndex(), -1);
    dialog.Close();
}

TEST_F(PaletteDialogTest, ClickingAColourChoosesItAndClosesWithOk)
{
    OnShowing([&] { backend.Click(OnScreen(Centre(TBrelvixPaletteDialog::CellRect(200)))); });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.ModalResult(), mrOk);
    EXPECT_EQ(dialog.ChosenColor(), RGBPixelToColor(colours[200]));
}

TEST_F(PaletteDialogTest, CancelClosesWithTwo)
{
    OnShowing([&] { backend.Click(OnScreen(Centre(dialog.CancelButton()->BoundsRect()))); });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.ModalResult(), mrCancel);
}

TEST_F(PaletteDialogTest, AClickWithNothingHighlightedChangesNothing)
{
    OnShowing([&] {
        backend.Click(OnScreen({300, 150}));
        backend.PressKey(VK_ESCAPE);
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.HighlightedIndex(), -1);
    EXPECT_EQ(dialog.ChosenColor(), clBlack);
}

} // namespace

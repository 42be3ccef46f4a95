#include "UiTestSupport.h"

#include "platform/gfx/FontLookup.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/ColorDialog.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/FontDialog.h"
#include "platform/ui/ListView.h"
#include "platform/ui/StdCtrls.h"

namespace {

TEST(ColorHlsTest, ConvertsOnTheDialogsScaleBothWays)
{
    struct TCase {
        TColor Rgb;
        THls Hls;
    };
    const TCase cases[] = {
        {RGB(255, 0, 0), {0, 120, 240}},     {RGB(0, 255, 0), {80, 120, 240}},   {RGB(0, 0, 255), {160, 120, 240}},
        {RGB(255, 255, 255), {0, 240, 0}},   {RGB(0, 0, 0), {0, 0, 0}},          {RGB(128, 128, 128), {0, 120, 0}},
        {RGB(255, 128, 128), {0, 180, 240}}, {RGB(128, 0, 128), {200, 60, 240}},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(ColorToHls(c.Rgb), c.Hls) << std::hex << c.Rgb;
        const TColor back = HlsToColor(c.Hls);
        for (int shift : {0, 8, 16})
            EXPECT_LE(std::abs(int((back >> shift) & 0xFF) - int((c.Rgb >> shift) & 0xFF)), 1) << std::hex << c.Rgb;
    }
    EXPECT_EQ(HlsToColor({-5, 500, 120}), RGB(255, 255, 255)) << "held to the range";
}

TEST(ColorHlsTest, BasicColorsAreDistinctWithGreysLast)
{
    const auto& colors = BasicColors();
    for (size_t i = 0; i < colors.size(); ++i)
        for (size_t j = i + 1; j < colors.size(); ++j)
            EXPECT_NE(colors[i], colors[j]) << i << " " << j;
    EXPECT_EQ(colors[40], RGB(0, 0, 0));
    EXPECT_EQ(colors[47], RGB(255, 255, 255));
    EXPECT_EQ(colors[16], RGB(255, 0, 0)) << "row 3 holds the pure hues";
}

class ColorFontDialogsTest : public UiTest {
protected:
    static TPoint Centre(TControl* control)
    {
        return control->ClientToScreen({control->Width() / 2, control->Height() / 2});
    }
    // Queues a click into an edit, a selection of all its text and typing.
    void QueueRetype(TControl* edit, const std::string& text)
    {
        backend.Click(Centre(edit));
        backend.PressKey(VK_HOME);
        backend.KeyDown(VK_SHIFT);
        backend.PressKey(VK_END);
        backend.KeyUp(VK_SHIFT);
        backend.TypeText(text);
    }
};

TEST_F(ColorFontDialogsTest, ColorDialogReturnsAClickedBasicColor)
{
    TColorDialog dialog(nullptr);
    dialog.SetColor(RGB(1, 2, 3));
    std::string red;
    dialog.OnShow = [&](TObject*) {
        TColorSwatches* swatches = dialog.Form()->Swatches();
        backend.Click(swatches->ClientToScreen(TColorSwatches::CellCentre(9)));
        backend.PressKey(VK_RIGHT);
        backend.PressKey(VK_RETURN);
    };
    dialog.OnClose = [&](TObject*) { red = dialog.Form()->Field(TColorDialogForm::fdRed)->Text(); };
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Color(), BasicColors()[10]);
    EXPECT_EQ(red, std::to_string(GetRValue(BasicColors()[10])));
}

TEST_F(ColorFontDialogsTest, ColorDialogTakesTypedRgbAndShowsItsHls)
{
    TColorDialog dialog(nullptr);
    dialog.SetColor(BasicColors()[3]);
    int32_t selectedAtStart = -2;
    std::vector<std::string> hls;
    dialog.OnShow = [&](TObject*) {
        TColorDialogForm* form = dialog.Form();
        selectedAtStart = form->Swatches()->Selected();
        QueueRetype(form->Field(TColorDialogForm::fdRed), "300");
        QueueRetype(form->Field(TColorDialogForm::fdGreen), "x");
        QueueRetype(form->Field(TColorDialogForm::fdGreen), "0");
        QueueRetype(form->Field(TColorDialogForm::fdBlue), "0");
        backend.Click(Centre(form->OkButton()));
    };
    dialog.OnClose = [&](TObject*) {
        for (int32_t i : {TColorDialogForm::fdHue, TColorDialogForm::fdLum, TColorDialogForm::fdSat})
            hls.push_back(dialog.Form()->Field(i)->Text());
    };
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(selectedAtStart, 3);
    EXPECT_EQ(dialog.Color(), RGB(255, 0, 0)) << "300 is held to 255; \"x\" changes nothing";
    EXPECT_EQ(hls, (std::vector<std::string>{"0", "120", "240"}));
}

TEST_F(ColorFontDialogsTest, ColorDialogTakesTypedHls)
{
    TColorDialog dialog(nullptr);
    dialog.SetColor(RGB(255, 0, 0));
    dialog.OnShow = [&](TObject*) {
        QueueRetype(dialog.Form()->Field(TColorDialogForm::fdHue), "160");
        backend.Click(Centre(dialog.Form()->OkButton()));
    };
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Color(), RGB(0, 0, 255));
}

TEST_F(ColorFontDialogsTest, CancelChangesNothing)
{
    TColorDialog colors(nullptr);
    colors.SetColor(RGB(1, 2, 3));
    colors.OnShow = [&](TObject*) {
        backend.Click(colors.Form()->Swatches()->ClientToScreen(TColorSwatches::CellCentre(0)));
        backend.PressKey(VK_ESCAPE);
    };
    EXPECT_FALSE(colors.Execute());
    EXPECT_EQ(colors.Color(), RGB(1, 2, 3));

    TFontDialog fonts(nullptr);
    fonts.Font()->SetName("DejaVu Sans");
    fonts.Font()->SetSize(11);
    fonts.OnShow = [&](TObject*) {
        backend.Click(Centre(fonts.Form()->StyleBox(fsBold)));
        QueueRetype(fonts.Form()->FamilyEdit(), "DejaVu Serif");
        backend.PressKey(VK_ESCAPE);
    };
    EXPECT_FALSE(fonts.Execute());
    EXPECT_EQ(fonts.Font()->Name(), "DejaVu Sans");
    EXPECT_EQ(fonts.Font()->Size(), 11);
    EXPECT_TRUE(fonts.Font()->Style().Empty());
}

TEST_F(ColorFontDialogsTest, FontDialogReturnsTheChosenFaceSizeAndStyle)
{
    const std::vector<std::string> families = InstalledFontFamilies();
    ASSERT_NE(std::find(families.begin(), families.end(), "DejaVu Serif"), families.end());
    TFontDialog dialog(nullptr);
    dialog.Font()->SetColor(clRed);
    std::string selectedRow;
    dialog.OnShow = [&](TObject*) {
        TFontDialogForm* form = dialog.Form();
        QueueRetype(form->FamilyEdit(), "dejavu ser");
        QueueRetype(form->SizeBox(), "14");
        backend.Click(Centre(form->StyleBox(fsBold)));
        backend.Click(Centre(form->StyleBox(fsStrikeOut)));
        // "dejavu ser" selects the row but is no family: OK beeps and stays.
        backend.Click(Centre(form->OkButton()));
        QueueRetype(form->FamilyEdit(), "DejaVu Serif");
        backend.Click(Centre(form->OkButton()));
    };
    dialog.OnClose = [&](TObject*) {
        if (TListItem* row = dialog.Form()->FamilyList()->Selected())
            selectedRow = row->Caption();
    };
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(Beeps(), 1u);
    EXPECT_EQ(selectedRow, "DejaVu Serif");
    EXPECT_EQ(dialog.Font()->Name(), "DejaVu Serif");
    EXPECT_EQ(dialog.Font()->Size(), 14);
    EXPECT_EQ(dialog.Font()->Style(), (TFontStyles{fsBold, fsStrikeOut}));
    EXPECT_EQ(dialog.Font()->Color(), clRed) << "the colour passes through";
}

TEST_F(ColorFontDialogsTest, FontDialogKeepsAGivenFamilyThatIsNotInstalledAndRefusesABadSize)
{
    TFontDialog dialog(nullptr);
    dialog.Font()->SetName("MS Sans Serif");
    dialog.Font()->SetStyle({fsItalic});
    bool italicShown = false;
    dialog.OnShow = [&](TObject*) {
        italicShown = dialog.Form()->StyleBox(fsItalic)->Checked();
        QueueRetype(dialog.Form()->SizeBox(), "0");
        backend.Click(Centre(dialog.Form()->OkButton()));
        QueueRetype(dialog.Form()->SizeBox(), "9");
        backend.Click(Centre(dialog.Form()->OkButton()));
    };
    ASSERT_TRUE(dialog.Execute());
    EXPECT_TRUE(italicShown);
    EXPECT_EQ(Beeps(), 1u);
    EXPECT_EQ(dialog.Font()->Name(), "MS Sans Serif");
    EXPECT_EQ(dialog.Font()->Size(), 9);
    EXPECT_EQ(dialog.Font()->Style(), TFontStyles{fsItalic});
}

} // namespace

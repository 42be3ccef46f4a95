#include <gtest/gtest.h>

#include "ButtonTestSupport.h"
#include "controls/TarqBtnEdt.h"
#include "platform/gfx/Resources.h"
#include "platform/ui/FormResources.h"

namespace {

constexpr uint16_t KeyF2 = VK_F1 + 1;
constexpr uint16_t KeyF5 = VK_F1 + 4;

bool SamePixels(const TBitmap& a, const TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    TBitmap left, right;
    left.Assign(&a);
    right.Assign(&b);
    for (int32_t y = 0; y < a.Height(); ++y)
        for (int32_t x = 0; x < a.Width(); ++x)
            if (left.Canvas()->Pixels(x, y) != right.Canvas()->Pixels(x, y))
                return false;
    return true;
}

class TarqButtonEdit : public ButtonUiTest {
protected:
    TarqButtonEdit()
    {
        edit = new TTarqButtonEdit(form.get());
        edit->SetBounds(10, 10, 121, 21);
        edit->SetParent(form.get());
        edit->OnButtonClick = [this](TObject*) { ++mainClicks; };
        edit->OnAltBtnClick = [this](TObject*) { ++altClicks; };
        Pump();
    }
    void Focus() { ButtonUiTest::Focus(*edit); }
    TTarqControlButton& Main() { return *edit->GetButton(TTarqCustomButtonEdit::MainButtonIndex); }
    TTarqControlButton& Alt() { return *edit->GetButton(TTarqCustomButtonEdit::AltButtonIndex); }

    TTarqButtonEdit* edit;
    int mainClicks = 0;
    int altClicks = 0;
};

TEST_F(TarqButtonEdit, DefaultIsOneLookupButtonClickedByF4WhichTypesNothing)
{
    EXPECT_TRUE(Main().Visible());
    EXPECT_FALSE(Alt().Visible());
    EXPECT_TRUE(SamePixels(*Main().Glyph(), GetButtonKindGlyph(bkLookup)));
    EXPECT_EQ(Main().NumGlyphs(), 2);
    EXPECT_EQ(Main().Width(), 17);

    std::vector<char32_t> typed;
    edit->OnKeyPress = [&](TObject*, char32_t& key) { typed.push_back(key); };
    Focus();
    Press(VK_F4);
    EXPECT_EQ(mainClicks, 1);
    EXPECT_EQ(edit->Text(), "");
    ClickAt(Main(), 5, 5);
    EXPECT_EQ(mainClicks, 2);
}

TEST_F(TarqButtonEdit, ShortCutsClickOnlyTheirVisibleEnabledButton)
{
    edit->SetAltBtnVisible(true);
    edit->SetButtonShortCut(ShortCut('B', ssCtrl));
    edit->SetAltBtnShortCut(KeyF5);
    Focus();
    backend.KeyDown(VK_CONTROL);
    backend.PressKey('B');
    backend.KeyUp(VK_CONTROL);
    Press('B');
    Press(KeyF5);
    EXPECT_EQ(mainClicks, 1);
    EXPECT_EQ(altClicks, 1);

    Alt().SetEnabled(false);
    Press(KeyF5);
    edit->SetButtonVisible(false);
    backend.KeyDown(VK_CONTROL);
    backend.PressKey('B');
    backend.KeyUp(VK_CONTROL);
    Pump();
    EXPECT_EQ(mainClicks, 1);
    EXPECT_EQ(altClicks, 1);
}

TEST_F(TarqButtonEdit, ShortCutZeroNeverClicksEvenForAKeyTakenEarlier)
{
    edit->SetButtonShortCut(0);
    edit->OnKeyDown = [](TObject*, uint16_t& key, TShiftState) {
        if (key == KeyF2)
            key = 0; // taken by an earlier handler
    };
    Focus();
    for (uint16_t key : {KeyF2, VK_F4, VK_RETURN})
        Press(key);
    backend.TypeText("a");
    Pump();
    EXPECT_EQ(mainClicks, 0);
    EXPECT_EQ(edit->Text(), "a");
}

TEST_F(TarqButtonEdit, ButtonsSitAtTheRightEdgeAndNarrowTheText)
{
    edit->SetAltBtnVisible(true);
    TTarqButtonPair& pair = *edit->ButtonPair();
    EXPECT_EQ(pair.BoundsRect(), Bounds(121 - 34 - 4, 0, 34, 18));
    EXPECT_EQ(Main().BoundsRect(), Bounds(0, 0, 17, 17));
    EXPECT_EQ(Alt().BoundsRect(), Bounds(17, 0, 17, 17));
    EXPECT_EQ(edit->RightMargin(), 36);
    // The text keeps the edit's own margin from the left frame.
    EXPECT_EQ(edit->LeftMargin(), 1);

    edit->SetAltBtnWidth(20);
    EXPECT_EQ(pair.Width(), 37);
    edit->SetButtonVisible(false);
    EXPECT_EQ(Alt().Left(), 0);
    EXPECT_EQ(edit->RightMargin(), 22);

    edit->SetCtl3D(false);
    edit->SetFrameStyle(fsFlat);
    EXPECT_EQ(pair.BoundsRect(), Bounds(121 - 20 - 1, 1, 20, 18));
}

TEST_F(TarqButtonEdit, ReadOnlyHidesTheButtonsUnlessAskedToKeepThem)
{
    edit->SetReadOnly(true);
    EXPECT_FALSE(edit->ButtonPair()->Visible());
    EXPECT_EQ(edit->RightMargin(), 1);
    edit->SetHideButtonsOnReadOnly(false);
    EXPECT_TRUE(edit->ButtonPair()->Visible());
    EXPECT_EQ(edit->RightMargin(), 19);
    edit->SetReadOnly(false);
    edit->SetHideButtonsOnReadOnly(true);
    EXPECT_TRUE(edit->ButtonPair()->Visible());
}

TEST_F(TarqButtonEdit, GlyphAndKindReplaceEachOther)
{
    auto glyph = SolidBitmap(10, 10, clRed);
    edit->SetButtonGlyph(glyph.get());
    EXPECT_EQ(edit->ButtonKind(), bkCustom);
    EXPECT_TRUE(SamePixels(*Main().Glyph(), *glyph));

    edit->SetButtonKind(bkDropDown);
    EXPECT_TRUE(Main().Glyph()->Empty());
    EXPECT_EQ(Main().Style(), cbsDropDown);
    edit->SetButtonKind(bkFolder);
    EXPECT_TRUE(SamePixels(*Main().Glyph(), GetButtonKindGlyph(bkFolder)));
    EXPECT_EQ(Main().Style(), cbsNone);
}

TEST_F(TarqButtonEdit, WithoutKeyEditOnlyTheProgramAndTheButtonsChangeTheText)
{
    edit->SetAllowKeyEdit(false);
    edit->SetText("/video/in");
    Focus();
    backend.TypeText("x");
    Press(VK_BACK);
    Press(VK_DELETE);
    backend.SetClipboardText("/other");
    edit->Perform(WM_PASTE);
    edit->Perform(WM_CUT);
    EXPECT_EQ(edit->Text(), "/video/in");
    EXPECT_EQ(backend.Beeps().size(), 3u);
    Press(VK_F4);
    EXPECT_EQ(mainClicks, 1);

    edit->SetAllowKeyEdit(true);
    edit->SelectAll();
    edit->Perform(WM_PASTE);
    EXPECT_EQ(edit->Text(), "/other");
}

TEST_F(TarqButtonEdit, ButtonsKeepTheirWidthWithThemes)
{
    UseRecordingTheme();
    themes.Enabled = true;
    TTarqButtonEdit themed(form.get());
    EXPECT_EQ(themed.ButtonWidth(), 17);
    EXPECT_EQ(themed.AltBtnWidth(), 17);
}

TEST_F(TarqButtonEdit, FormResourceReadsKindsAndOldShortCutTexts)
{
    const std::string text = "object F: TForm\n  object E: TTarqButtonEdit\n    ButtonKind = bkFolder\n"
                             "    AltBtnKind = bkCustom\n    ButtonShortCutText = '" +
        ShortCutToText(ShortCut(KeyF5, ssCtrl)) + "'\n  end\nend\n";
    TForm loaded(nullptr);
    ReadComponentText(&loaded, text, nullptr);
    auto* e = dynamic_cast<TTarqButtonEdit*>(loaded.FindComponent("E"));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->ButtonShortCut(), ShortCut(KeyF5, ssCtrl));
    EXPECT_TRUE(SamePixels(*e->ButtonGlyph(), GetButtonKindGlyph(bkFolder)));
    EXPECT_EQ(e->AltBtnKind(), bkCustom);
}

TEST(TarqButtonEditGlyphs, EveryKindButCustomHasATwoCellStrip)
{
    EXPECT_TRUE(GetButtonKindGlyph(bkCustom).Empty());
    for (const char* name : {"TARQBTNEDT_LOOKUP", "TARQBTNEDT_DROPDOWN", "TARQBTNEDT_CALENDAR", "TARQBTNEDT_ACCEPT",
                             "TARQBTNEDT_REJECT", "TARQBTNEDT_FOLDER", "TARQBTNEDT_FIND", "TARQBTNEDT_SEARCH"}) {
        auto strip = LoadBitmapResource(name);
        EXPECT_EQ(strip->Width(), 20) << name;
        EXPECT_EQ(strip->Height(), 10) << name;
        EXPECT_EQ(strip->PixelFormat(), pf8bit) << name;
        EXPECT_EQ(strip->Canvas()->Pixels(0, 9), clOlive) << name; // the transparent corner
    }
}

} // namespace

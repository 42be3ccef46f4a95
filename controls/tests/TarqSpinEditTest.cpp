#include <gtest/gtest.h>

#include "ButtonTestSupport.h"
#include "controls/TarqSpnEdt.h"

namespace {

class TarqSpinEdit : public ButtonUiTest {
protected:
    TarqSpinEdit()
    {
        spin = new TTarqSpinEdit(form.get());
        spin->SetBounds(10, 10, 60, 21);
        spin->SetParent(form.get());
        other = new TTarqEdit(form.get());
        other->SetBounds(10, 40, 60, 21);
        other->SetParent(form.get());
        Pump();
    }

    TTarqSpinEdit* spin;
    TTarqEdit* other;
};

struct ValueCase {
    long double Min, Max;
    bool CheckRange;
    uint8_t Decimals;
    long double Value;
    const char* Text;
};

TEST_F(TarqSpinEdit, ValueIsClampedAndFormattedIntoTheText)
{
    const ValueCase cases[] = {
        {0, 100, false, 0, 250, "100"},     {0, 100, false, 0, -5, "0"},     {0, 0, false, 0, -7, "-7"},
        {0, 0, true, 0, -7, "0"},           {0, 100, false, 2, 1.5, "1.50"}, {0, 100, false, 0, 2.5, "2"},
        {-10, 10, false, 1, -3.25, "-3.2"}, {0, 100, false, 0, 42, "42"},
    };
    spin->SetIntegersOnly(false);
    for (const ValueCase& c : cases) {
        spin->SetMin(-1000);
        spin->SetMax(1000);
        spin->SetMax(c.Max);
        spin->SetMin(c.Min);
        spin->SetCheckRange(c.CheckRange);
        spin->SetDecimals(c.Decimals);
        spin->SetValue(c.Value);
        EXPECT_EQ(spin->Text(), c.Text) << "value " << static_cast<double>(c.Value);
    }
}

TEST_F(TarqSpinEdit, StartsAtZeroAndIntegersOnlyRoundsTheValue)
{
    EXPECT_EQ(spin->Text(), "0");
    spin->SetIntegersOnly(false);
    spin->SetDecimals(1);
    spin->SetValue(3.5);
    spin->SetIntegersOnly(true);
    EXPECT_EQ(spin->Decimals(), 0);
    EXPECT_EQ(spin->Text(), "4");
    spin->SetValue(2.5);
    EXPECT_EQ(spin->IntValue(), 2); // ties to even
}

TEST_F(TarqSpinEdit, BoundsDragEachOtherAlong)
{
    spin->SetMin(150);
    EXPECT_EQ(spin->Max(), 150);
    EXPECT_EQ(spin->Text(), "0"); // equal bounds are no range...
    spin->SetMin(0);
    spin->SetMax(100);
    spin->SetCheckRange(true); // ...unless asked
    spin->SetMin(150);
    EXPECT_EQ(spin->Max(), 150);
    EXPECT_EQ(spin->Text(), "150");
    spin->SetMax(20);
    EXPECT_EQ(spin->Min(), 20);
    EXPECT_EQ(spin->Text(), "20");
}

TEST_F(TarqSpinEdit, BlankTextRules)
{
    spin->SetMin(5);
    spin->SetBlankValue(-1);
    spin->SetText("");
    EXPECT_EQ(spin->Value(), 5); // without AllowBlank reading writes the text of Min
    EXPECT_EQ(spin->Text(), "5");

    spin->SetAllowBlank(true);
    spin->SetAllowKeyEdit(true);
    Focus(*spin);
    spin->SetText("");
    Focus(*other);
    EXPECT_EQ(spin->Text(), "");
    EXPECT_EQ(spin->Value(), -1);
}

TEST_F(TarqSpinEdit, LeavingTheControlClampsTypedAndPastedText)
{
    spin->SetAllowKeyEdit(true);
    Focus(*spin);
    Type("250");
    EXPECT_EQ(spin->Text(), "250");
    Focus(*other);
    EXPECT_EQ(spin->Text(), "100");

    spin->SetMin(5);
    Focus(*spin);
    backend.SetClipboardText("abc");
    spin->Perform(WM_PASTE);
    EXPECT_EQ(spin->Text(), "abc");
    EXPECT_EQ(spin->Value(), 5); // unparseable text reads Min
    Focus(*other);
    EXPECT_EQ(spin->Text(), "5");
}

TEST_F(TarqSpinEdit, TypingIsFilteredKeyByKey)
{
    spin->SetAllowKeyEdit(true);
    spin->SetIntegersOnly(false);
    spin->SetDecimals(2);
    spin->SetValue(1.5);
    Focus(*spin); // selects all
    Type("x");
    EXPECT_EQ(spin->Text(), "1.50");
    EXPECT_EQ(Beeps(), 1u);

    spin->SetSelStart(4);
    Type(".");
    EXPECT_EQ(spin->Text(), "1.50"); // a second separator
    spin->SetSelStart(1);
    spin->SetSelLength(1);
    Type(".");
    EXPECT_EQ(spin->Text(), "1.50"); // the selection held the separator
    spin->SetSelStart(2);
    Type("-");
    EXPECT_EQ(spin->Text(), "1.50"); // a sign only at the start
    spin->SetSelStart(0);
    Type("-");
    EXPECT_EQ(spin->Text(), "-1.50");
    EXPECT_EQ(Beeps(), 3u);

    spin->SetIntegersOnly(true);
    spin->SelectAll();
    Type("7.");
    EXPECT_EQ(spin->Text(), "7");
}

TEST_F(TarqSpinEdit, WithoutKeyEditTheTextChangesOnlyByStepping)
{
    Focus(*spin);
    spin->SetSelStart(1);
    Type("5");
    Press(VK_BACK);
    Press(VK_DELETE);
    backend.SetClipboardText("9");
    spin->Perform(WM_PASTE);
    spin->Perform(WM_CUT);
    EXPECT_EQ(spin->Text(), "0");
    EXPECT_EQ(Beeps(), 3u);
    Press(VK_UP);
    EXPECT_EQ(spin->Text(), "1");
}

TEST_F(TarqSpinEdit, StepsByButtonsKeysAndWheel)
{
    spin->SetMax(1000);
    spin->SetValue(500);
    std::vector<TSpinButtonType> clicks;
    spin->OnButtonClick = [&](TObject*, TSpinButtonType b) { clicks.push_back(b); };
    Focus(*spin);
    struct {
        std::function<void()> Act;
        const char* Text;
    } steps[] = {
        {[&] { Press(VK_UP); }, "501"},
        {[&] { Press(VK_DOWN); }, "500"},
        {[&] { Press(VK_PRIOR); }, "510"},
        {[&] { Press(VK_NEXT); }, "500"},
        {[&] {
             backend.Wheel(At(*spin, 5, 5), 120);
             Pump();
         },
         "501"},
        {[&] {
             backend.Wheel(At(*spin, 5, 5), -120);
             Pump();
         },
         "500"},
        {[&] {
             backend.KeyDown(VK_CONTROL);
             backend.Wheel(At(*spin, 5, 5), 120);
             backend.KeyUp(VK_CONTROL);
             Pump();
         },
         "510"},
        {[&] { ClickAt(*spin->SpinButtons()->UpRightButton(), 3, 3); }, "511"},
        {[&] { ClickAt(*spin->SpinButtons()->DownLeftButton(), 3, 3); }, "510"},
    };
    for (auto& step : steps) {
        step.Act();
        EXPECT_EQ(spin->Text(), step.Text);
    }
    EXPECT_EQ(clicks, (std::vector<TSpinButtonType>{sbUp, sbDown, sbUp, sbDown, sbUp, sbDown, sbUp, sbUp, sbDown}));
}

TEST_F(TarqSpinEdit, ChangingSeesTheUnclampedCandidateAndCanVeto)
{
    std::vector<long double> candidates;
    bool allow = false;
    int clicks = 0;
    spin->OnChanging = [&](TObject*, long double v, bool& a) {
        candidates.push_back(v);
        a = allow;
    };
    spin->OnButtonClick = [&](TObject*, TSpinButtonType) { ++clicks; };
    spin->SetValue(100);
    spin->IncrementValue(5);
    EXPECT_EQ(spin->Text(), "100");
    EXPECT_EQ(clicks, 0);
    allow = true;
    spin->IncrementValue(5);
    EXPECT_EQ(candidates, (std::vector<long double>{105, 105}));
    EXPECT_EQ(spin->Text(), "100");
    EXPECT_EQ(clicks, 1);

    spin->SetReadOnly(true);
    spin->DecrementValue(1);
    EXPECT_EQ(spin->Text(), "100");
    EXPECT_EQ(Beeps(), 1u);
}

TEST_F(TarqSpinEdit, CaretFollowsAGrowingOrShrinkingText)
{
    spin->SetValue(9);
    Focus(*spin);
    spin->SetSelStart(1);
    Press(VK_UP);
    EXPECT_EQ(spin->Text(), "10");
    EXPECT_EQ(spin->SelStart(), 2);
    Press(VK_DOWN);
    EXPECT_EQ(spin->SelStart(), 1);
}

TEST_F(TarqSpinEdit, ButtonsSitAtTheRightAndVanishWhileReadOnly)
{
    TTarqSpinButtons* buttons = spin->SpinButtons();
    EXPECT_EQ(buttons->BoundsRect(), Bounds(60 - 17 - 4, 0, 17, 18));
    EXPECT_EQ(spin->RightMargin(), 19);
    EXPECT_EQ(buttons->UpRightButton()->BoundsRect(), Bounds(0, 0, 17, 9));
    EXPECT_EQ(buttons->DownLeftButton()->BoundsRect(), Bounds(0, 9, 17, 8));

    spin->SetReadOnly(true);
    EXPECT_FALSE(buttons->Visible());
    EXPECT_EQ(spin->RightMargin(), 1);
    spin->SetReadOnly(false);

    spin->SetOrientation(orHorizontal);
    EXPECT_EQ(buttons->Width(), 34);
    EXPECT_EQ(buttons->DownLeftButton()->BoundsRect(), Bounds(0, 0, 17, 17));
    EXPECT_EQ(buttons->UpRightButton()->BoundsRect(), Bounds(17, 0, 17, 17));
    EXPECT_EQ(buttons->UpRightButton()->Style(), cbsUp);
    spin->SetDirection(sdLeftRight);
    EXPECT_EQ(buttons->UpRightButton()->Style(), cbsRight);
    EXPECT_EQ(buttons->DownLeftButton()->Style(), cbsLeft);
}

TEST_F(TarqSpinEdit, FlatButtonsLookHotWithTheEdit)
{
    spin->SetFlatButtons(true);
    spin->SetFlatButtonColor(clYellow);
    spin->SetColor(clAqua);
    TTarqSpinButtons& buttons = *spin->SpinButtons();
    const TPoint inside = At(*spin, 5, 5), outside = At(*form, 250, 150);
    backend.MouseMove(inside);
    Pump();
    EXPECT_EQ(buttons.Color(), clYellow);
    backend.MouseMove(outside);
    Pump();
    EXPECT_EQ(buttons.Color(), clAqua);
    EXPECT_TRUE(buttons.Flat());

    UseRecordingTheme();
    themes.Enabled = true;
    backend.MouseMove(inside);
    Pump();
    EXPECT_FALSE(buttons.Flat());
    EXPECT_EQ(buttons.Color(), clAqua);
    backend.MouseMove(outside);
    Pump();
    EXPECT_TRUE(buttons.Flat());
}

TEST_F(TarqSpinEdit, PressingAButtonFocusesTheEditFirst)
{
    Focus(*other);
    ClickAt(*spin->SpinButtons()->UpRightButton(), 3, 3);
    EXPECT_TRUE(spin->Focused());
    EXPECT_EQ(spin->Text(), "1");
}

TEST_F(TarqSpinEdit, CustomGlyphReplacesTheArrowUntilCleared)
{
    TTarqSpinButtons* buttons = spin->SpinButtons();
    auto glyph = SolidBitmap(10, 5, clRed);
    spin->SetButtonUpGlyph(glyph.get());
    EXPECT_TRUE(buttons->CustomGlyphUpRight());
    EXPECT_EQ(buttons->UpRightButton()->Style(), cbsNone);
    spin->SetButtonUpGlyph(nullptr);
    EXPECT_FALSE(buttons->CustomGlyphUpRight());
    EXPECT_EQ(buttons->UpRightButton()->Style(), cbsUp);
    EXPECT_TRUE(buttons->UpRightButton()->Glyph()->Empty());
}

} // namespace

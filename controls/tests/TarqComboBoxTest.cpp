#include <gtest/gtest.h>

#include "ButtonTestSupport.h"
#include "controls/TarqCmboBx.h"
#include "platform/ui/FormResources.h"
#include "platform/ui/StdCtrls.h"

namespace {

class TarqComboBox : public ButtonUiTest {
protected:
    TarqComboBox()
    {
        combo = new TTarqComboBox(form.get());
        combo->SetBounds(10, 10, 120, 21);
        combo->SetParent(form.get());
        other = new TTarqComboBox(form.get());
        other->SetBounds(10, 60, 120, 21);
        other->SetParent(form.get());
        combo->OnChange = [this](TObject*) { ++changes; };
        Pump();
    }
    void Fill(std::initializer_list<const char*> items, TComboBoxStyle style)
    {
        combo->SetStyle(style);
        for (const char* item : items)
            combo->AddItem(item);
        Pump();
        Focus(*combo);
    }
    void Wheel(int32_t delta)
    {
        backend.Wheel(At(*combo, 20, 5), delta);
        Pump();
    }

    TTarqComboBox* combo;
    TTarqComboBox* other;
    int changes = 0;
};

// ---- List styles: multi-character search ----------------------------------------------

TEST_F(TarqComboBox, TypedCharactersSearchTogetherUntilThePauseResetsTheSearch)
{
    Fill({"AAC", "AC3", "AVI"}, csDropDownList);
    Type("A");
    EXPECT_EQ(combo->ItemIndex(), 0);
    Type("C");
    EXPECT_EQ(combo->ItemIndex(), 1);
    Type("V"); // "ACV" matches nothing: beeps and is dropped from the search
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(Beeps(), 1u);
    EXPECT_EQ(combo->SearchText(), "AC");

    Wait(1499);
    EXPECT_EQ(combo->SearchText(), "AC");
    Wait(1);
    EXPECT_EQ(combo->SearchText(), "");
    Type("av"); // without regard to case
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), "AVI");
}

TEST_F(TarqComboBox, SearchCountsCodePoints)
{
    Fill({"Ärger", "Äxte", "Zoo"}, csDropDownList);
    Type("Äx");
    EXPECT_EQ(combo->ItemIndex(), 1);
    Press(VK_BACK);
    EXPECT_EQ(combo->SearchText(), "Ä");
    EXPECT_EQ(combo->ItemIndex(), 0);
}

TEST_F(TarqComboBox, BackspaceShortensTheSearchAndFromOneCharacterSelectsTheFirstItem)
{
    Fill({"AAC", "MP2", "MP3", "MP4"}, csDropDownList);
    Type("MP4");
    EXPECT_EQ(combo->ItemIndex(), 3);
    Press(VK_BACK);
    EXPECT_EQ(combo->SearchText(), "MP");
    EXPECT_EQ(combo->ItemIndex(), 1);
    Press(VK_BACK);
    EXPECT_EQ(combo->SearchText(), "M");
    changes = 0;
    Press(VK_BACK);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(combo->SearchText(), "");
    EXPECT_EQ(changes, 1);

    Press(VK_BACK); // nothing left to remove
    EXPECT_EQ(Beeps(), 1u);
}

TEST_F(TarqComboBox, EscSelectsTheFirstItemUnlessItOnlyClosedTheList)
{
    Fill({"AAC", "AC3", "AVI"}, csDropDownList);
    combo->SetItemIndex(2);
    combo->SetDroppedDown(true);
    Press(VK_ESCAPE);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->ItemIndex(), 2);
    changes = 0;
    Press(VK_ESCAPE);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(changes, 1);
}

TEST_F(TarqComboBox, NoBeepForAMismatchWhenSwitchedOff)
{
    Fill({"AAC"}, csDropDownList);
    combo->SetBeepOnInvalidKey(false);
    Type("X");
    EXPECT_EQ(Beeps(), 0u);
}

// ---- Wheel ---------------------------------------------------------------------------------

TEST_F(TarqComboBox, WheelStepsThroughAClosedListWithinItsEnds)
{
    Fill({"A", "B", "C"}, csDropDownList);
    combo->SetItemIndex(1);
    Wheel(-120);
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(changes, 1);
    Wheel(-120); // the last item stays, without events
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(changes, 1);
    Wheel(120);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(changes, 2);

    combo->SetItemIndex(-1);
    Wheel(120); // nothing selected: the first item, silently
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(changes, 2);
}

TEST_F(TarqComboBox, WheelEventsCanTakeOverTheStepsExceptWhenReadOnly)
{
    Fill({"A", "B", "C"}, csDropDownList);
    combo->SetItemIndex(1);
    int downs = 0;
    combo->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& handled) {
        ++downs;
        handled = true;
    };
    Wheel(-120);
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(combo->ItemIndex(), 1);
    combo->SetReadOnly(true);
    Wheel(-120);
    EXPECT_EQ(downs, 1);
}

TEST_F(TarqComboBox, WheelScrollsAnOpenListWithoutChangingTheSelection)
{
    Fill({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}, csDropDownList);
    combo->SetItemIndex(0);
    combo->SetDroppedDown(true);
    Pump();
    Wheel(-120);
    EXPECT_EQ(combo->Perform(CB_GETTOPINDEX), 3);
    Wheel(120);
    Wheel(120);
    EXPECT_EQ(combo->Perform(CB_GETTOPINDEX), 0);
    EXPECT_EQ(combo->ItemIndex(), 0);
}

// ---- Read-only -------------------------------------------------------------------------------

TEST_F(TarqComboBox, ReadOnlyListStaysOnItsItemButStillSearches)
{
    Fill({"A", "B", "C"}, csDropDownList);
    combo->SetItemIndex(0);
    combo->SetReadOnly(true);
    Press(VK_DOWN);
    Wheel(-120);
    Press(VK_F4);
    ClickAt(*combo, 110, 8);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(changes, 0);
    Type("C");
    EXPECT_EQ(combo->ItemIndex(), 2);
}

TEST_F(TarqComboBox, ReadOnlyEditBlocksTypingAndDeletingButNotCaretMovement)
{
    Fill({"AVI", "MP4"}, csDropDown);
    combo->SetItemIndex(0);
    combo->SetReadOnly(true);
    Type("m");
    Press(VK_BACK);
    Press(VK_DELETE);
    Press(VK_DOWN);
    EXPECT_EQ(combo->Text(), "AVI");
    EXPECT_EQ(combo->ItemIndex(), 0);
    Press(VK_HOME);
    EXPECT_EQ(combo->SelStart(), 0);
}

// ---- Edit styles: completion --------------------------------------------------------------

TEST_F(TarqComboBox, TypingCompletesToAnItemWithTheTailSelected)
{
    Fill({"AAC", "AVI"}, csDropDown);
    int matches = 0;
    combo->OnMatch = [&](TObject*) { ++matches; };
    Type("av");
    EXPECT_EQ(combo->Text(), "AVI");
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->SelStart(), 2);
    EXPECT_EQ(combo->SelLength(), 1);
    EXPECT_EQ(matches, 2); // AAC for "a", then AVI
}

TEST_F(TarqComboBox, KeepSearchCaseKeepsTheTypedLetters)
{
    Fill({"AVI"}, csDropDown);
    combo->SetKeepSearchCase(true);
    Type("av");
    EXPECT_EQ(combo->Text(), "avI");
    EXPECT_EQ(combo->SelStart(), 2);
    EXPECT_EQ(combo->SelLength(), 1);
}

TEST_F(TarqComboBox, FreeTextIsTypedNormallyWithAllowEdit)
{
    Fill({"AVI"}, csDropDown);
    Type("ax");
    // "a" completed to AVI; "ax" matched nothing, so the typed text returns
    EXPECT_EQ(combo->Text(), "ax");
    EXPECT_EQ(combo->SelLength(), 0);
}

TEST_F(TarqComboBox, WithoutAllowEditUnmatchedCharactersBeepAndOnlyTheWholeTextDeletes)
{
    Fill({"AVI", "MP4"}, csDropDown);
    combo->SetAllowEdit(false);
    Type("ax");
    EXPECT_EQ(combo->Text(), "AVI");
    EXPECT_EQ(Beeps(), 1u);

    combo->SetSelStart(1);
    combo->SetSelLength(1);
    Press(VK_DELETE);
    EXPECT_EQ(combo->Text(), "AVI");
    combo->SelectAll();
    Press(VK_DELETE);
    EXPECT_EQ(combo->Text(), "");
}

TEST_F(TarqComboBox, BackspaceInTheEditRemovesTheLastTypedCharacterAndCompletesAgain)
{
    Fill({"AAC", "AVI"}, csDropDown);
    Type("av");
    Press(VK_BACK);
    EXPECT_EQ(combo->Text(), "AAC");
    EXPECT_EQ(combo->SelStart(), 1);
    Press(VK_BACK);
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->SearchText(), "");
}

TEST_F(TarqComboBox, SettingTheTextCompletesUnlessSetSilently)
{
    Fill({"AVI"}, csDropDown);
    combo->SetText("av");
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(combo->Text(), "AVI");
    combo->SetTextSilently("a");
    EXPECT_EQ(combo->Text(), "a");
}

TEST_F(TarqComboBox, LeavingWithTextThatIsNoItemFiresNotInList)
{
    Fill({"AVI"}, csDropDown);
    int notInList = 0;
    combo->OnNotInList = [&](TObject*) { ++notInList; };
    combo->SetTextSilently("zzz");
    Focus(*other);
    EXPECT_EQ(notInList, 1);
    Focus(*combo);
    combo->SetTextSilently("");
    Focus(*other);
    EXPECT_EQ(notInList, 1);
}

// ---- Values ------------------------------------------------------------------------------------

TEST_F(TarqComboBox, ValuesStandForTheirItemsAndFallBackToTheText)
{
    Fill({"A", "B", "C"}, csDropDownList);
    combo->Values()->Add("x");
    combo->Values()->Add("");
    combo->Values()->Add("z");
    combo->SetItemIndex(1);
    EXPECT_EQ(combo->Value(), "B");
    combo->SetItemIndex(0);
    EXPECT_EQ(combo->Value(), "x");
    combo->SetValue("z");
    EXPECT_EQ(combo->ItemIndex(), 2);
    combo->SetValue("nowhere");
    EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST_F(TarqComboBox, NewValuesReselectTheCurrentValue)
{
    Fill({"A", "B"}, csDropDownList);
    combo->SetValue("q");
    EXPECT_EQ(combo->ItemIndex(), -1);
    combo->Values()->Add("p");
    combo->Values()->Add("q");
    EXPECT_EQ(combo->ItemIndex(), 1);
}

// ---- Colours and frame ----------------------------------------------------------------------

TEST_F(TarqComboBox, ColourFollowsTheState)
{
    combo->SetColor(clLime);
    combo->SetFocusColor(clAqua);
    combo->SetDisabledColor(clGray);
    combo->SetReadOnlyColor(clYellow);

    combo->SetReadOnly(true);
    EXPECT_EQ(combo->Color(), clYellow);
    Focus(*combo);
    EXPECT_TRUE(combo->Focused());
    EXPECT_EQ(combo->Color(), clAqua);
    combo->SetReadOnlyColorOnFocus(true);
    EXPECT_EQ(combo->Color(), clYellow);
    combo->SetEnabled(false);
    EXPECT_EQ(combo->Color(), clGray);
    combo->SetEnabled(true);
    combo->SetReadOnly(false);
    Focus(*other);
    EXPECT_FALSE(combo->Focused());
    EXPECT_EQ(combo->Color(), clLime);
    EXPECT_EQ(combo->NormalColor(), clLime);
}

TEST_F(TarqComboBox, EditStyleCountsAsFocusedWhileItsEditHasTheFocus)
{
    Fill({"AVI"}, csDropDown);
    combo->SetFocusColor(clAqua);
    EXPECT_TRUE(combo->Focused());
    EXPECT_EQ(combo->Color(), clAqua);
}

struct FrameCase {
    TFrameStyle style;
    TColor outer, second; // pixels at (0, 5) and (1, 5)
};

TEST_F(TarqComboBox, FramePaintsOwnStyleOverTheFace)
{
    combo->SetFrameColor(clRed);
    combo->SetFrameVisible(true);
    EXPECT_FALSE(combo->Ctl3D());
    for (const FrameCase& c : {FrameCase{fsFlat, clRed, clWindow}, FrameCase{fsFlatBold, clRed, clRed}}) {
        combo->SetFrameStyle(c.style);
        auto image = PaintedImage(*combo);
        EXPECT_EQ(PixelAt(*image, 0, 5), ColorToPixelRGB(c.outer)) << c.style;
        EXPECT_EQ(PixelAt(*image, 1, 5), ColorToPixelRGB(ColorToRGB(c.second))) << c.style;
    }
}

TEST_F(TarqComboBox, HotTrackingFramesWithTheHotStyleWhileFocused)
{
    combo->SetFrameColor(clRed);
    combo->SetFrameHotColor(clBlue);
    combo->SetFrameSides(TSides{sdLeft});
    combo->SetFrameHotTrack(true);
    EXPECT_TRUE(combo->FrameVisible());
    EXPECT_EQ(combo->FrameSides(), AllSides);
    auto idle = PaintedImage(*combo);
    EXPECT_EQ(PixelAt(*idle, 0, 5), ColorToPixelRGB(clRed));
    EXPECT_EQ(PixelAt(*idle, 1, 5), ColorToPixelRGB(ColorToRGB(clWindow)));
    Focus(*combo);
    auto hot = PaintedImage(*combo);
    EXPECT_EQ(PixelAt(*hot, 0, 5), ColorToPixelRGB(clBlue));
    EXPECT_EQ(PixelAt(*hot, 1, 5), ColorToPixelRGB(clBlue)); // fsFlatBold
}

TEST_F(TarqComboBox, ReadOnlyPaintsTheButtonOver)
{
    combo->SetColor(clLime);
    combo->SetReadOnly(true);
    combo->SetReadOnlyColor(clLime);
    auto image = PaintedImage(*combo);
    const TRect button = Rect(combo->Width() - 18, 2, combo->Width() - 2, combo->Height() - 2);
    EXPECT_EQ(InkBox(*image, clLime).Right, combo->Width() - 2);
    EXPECT_EQ(PixelAt(*image, button.Left + 8, button.Top + 8), ColorToPixelRGB(clLime));
}

// ---- Other keys and events ------------------------------------------------------------------

TEST_F(TarqComboBox, EnterActsAsTabWhenAskedWhileTheListIsClosed)
{
    Fill({"AVI"}, csDropDown);
    combo->SetTabOnEnter(true);
    Press(VK_RETURN);
    EXPECT_FALSE(combo->Focused());
    EXPECT_TRUE(other->Focused());
}

TEST_F(TarqComboBox, EnterWithTheListOpenEndsTheSelection)
{
    Fill({"AAC", "AVI"}, csDropDown);
    int ends = 0;
    combo->OnSelEndOk = [&](TObject*) { ++ends; };
    combo->SetDroppedDown(true);
    Pump();
    Press(VK_DOWN);
    Press(VK_RETURN);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_GE(ends, 1);
    EXPECT_EQ(combo->Text(), "AAC");
}

TEST_F(TarqComboBox, TypingPastMaxLengthBeepsEvenWhenBeepsAreOff)
{
    Fill({"AVI"}, csDropDown);
    combo->SetBeepOnInvalidKey(false);
    combo->SetMaxLength(3);
    Type("xyz");
    EXPECT_EQ(combo->Text(), "xyz");
    Type("w");
    EXPECT_EQ(combo->Text(), "xyz");
    EXPECT_EQ(Beeps(), 1u);
}

TEST_F(TarqComboBox, DeletingAnItemWithDataReportsTheData)
{
    Fill({"A", "B"}, csDropDownList);
    TObject data;
    combo->SetItemData(1, &data);
    void* reported = nullptr;
    combo->OnDeleteItem = [&](TObject*, void* item) { reported = item; };
    combo->Items()->Delete(0);
    EXPECT_EQ(reported, nullptr); // no data, no event
    combo->Items()->Delete(0);
    EXPECT_EQ(reported, &data);
}

TEST_F(TarqComboBox, DropDownWidthSurvivesRecreatingTheWindow)
{
    combo->SetDropDownWidth(300);
    EXPECT_EQ(combo->Perform(CB_GETDROPPEDWIDTH), 300);
    combo->SetStyle(csDropDownList);
    Pump();
    EXPECT_EQ(combo->Perform(CB_GETDROPPEDWIDTH), 300);
}

TEST_F(TarqComboBox, HoverFiresEnterAndLeaveAndShowsTheFlatButton)
{
    int enters = 0, leaves = 0;
    combo->OnMouseEnter = [&](TObject*) { ++enters; };
    combo->OnMouseLeave = [&](TObject*) { ++leaves; };
    combo->SetStyle(csDropDownList);
    combo->SetColor(clLime);
    combo->SetFlatButtons(true);
    const TRect button = Rect(combo->Width() - 18, 2, combo->Width() - 2, combo->Height() - 2);
    auto idle = PaintedImage(*combo);
    EXPECT_EQ(PixelAt(*idle, button.Left, button.Top), ColorToPixelRGB(clLime));

    backend.MouseMove(At(*combo, 20, 5));
    Pump();
    EXPECT_EQ(enters, 1);
    auto hot = PaintedImage(*combo);
    EXPECT_EQ(PixelAt(*hot, button.Left, button.Top), ColorToPixelRGB(ColorToRGB(clBtnHighlight)));
    EXPECT_EQ(PixelAt(*hot, button.Right - 1, button.Bottom - 1), ColorToPixelRGB(ColorToRGB(clBtnShadow)));
    EXPECT_EQ(PixelAt(*hot, button.Left + 1, button.Top + 1), ColorToPixelRGB(ColorToRGB(clBtnFace)));

    backend.MouseMove(At(*form, 250, 150));
    Pump();
    EXPECT_EQ(leaves, 1);
}

TEST_F(TarqComboBox, EditChildCountsAsPartOfTheComboForHovering)
{
    int enters = 0, leaves = 0;
    combo->OnMouseEnter = [&](TObject*) { ++enters; };
    combo->OnMouseLeave = [&](TObject*) { ++leaves; };
    for (TPoint p : {At(*combo, 20, 8), At(*combo, combo->Width() - 6, 8), At(*combo, 20, 8)}) {
        backend.MouseMove(p);
        Pump();
    }
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(leaves, 0);
    EXPECT_TRUE(combo->IsHot());
    backend.MouseMove(At(*form, 250, 150));
    Pump();
    EXPECT_EQ(leaves, 1);
    EXPECT_FALSE(combo->IsHot());
}

TEST_F(TarqComboBox, ThemedHotFlatButtonIsTheThemesDropDownButton)
{
    UseRecordingTheme();
    combo->SetStyle(csDropDownList);
    combo->SetFlatButtons(true);
    Focus(*combo);
    themes.Calls.clear();
    PaintedImage(*combo);
    const auto hotButton = themes.GetElementDetails(TThemedClass::ComboBox, CP_DROPDOWNBUTTON, CBXS_HOT);
    bool drawn = false;
    for (const auto& call : themes.Calls)
        if (call.Operation == "DrawElement" && call.Details == hotButton) {
            drawn = true;
            EXPECT_EQ(call.Rect, Rect(combo->Width() - 17, 1, combo->Width() - 1, combo->Height() - 1));
        }
    EXPECT_TRUE(drawn);
}

TEST_F(TarqComboBox, SelectedOwnerDrawnFaceShowsADottedFocusRectangle)
{
    Fill({"A", "B"}, csOwnerDrawFixed);
    combo->SetItemIndex(0);
    combo->OnDrawItem = [this](TWinControl*, int32_t, const TRect& rect, TOwnerDrawState state) {
        EXPECT_TRUE(state & odSelected);
        combo->Canvas()->FillRect(rect);
    };
    auto image = PaintedImage(*combo);
    const TColor black = ColorToPixelRGB(clBlack);
    const TColor highlight = ColorToPixelRGB(ColorToRGB(clHighlight));
    std::string row;
    for (int32_t x = 3; x < 9; ++x)
        row += PixelAt(*image, x, 3) == black ? 'K' : PixelAt(*image, x, 3) == highlight ? 'h' : '?';
    EXPECT_EQ(row, "hKhKhK");
}

// A modal dialog disables the form under it; a combo repainted meanwhile
// (uncovered, say) must not keep a disabled look once the form is back.
TEST_F(TarqComboBox, FaceRepaintedUnderAModalDialogLooksTheSameAfterwards)
{
    Fill({"AVI", "MP4"}, csDropDownList);
    combo->SetItemIndex(0);
    Focus(*other);
    auto face = [this] {
        std::vector<TColor> pixels;
        for (int32_t y = 0; y < combo->Height(); ++y)
            for (int32_t x = 0; x < combo->Width(); ++x)
                pixels.push_back(StorePixel(*form, combo->Left() + x, combo->Top() + y));
        return pixels;
    };
    const std::vector<TColor> before = face();

    auto dialog = UiTest::MakeForm(400, 50, 100, 60);
    auto* ok = new TButton(dialog.get());
    ok->SetBounds(10, 10, 60, 24);
    ok->SetModalResult(mrOk);
    ok->SetParent(dialog.get());
    dialog->OnShow = [this](TObject*) { combo->Repaint(); };
    backend.Click({400 + 20, 50 + 20});
    ASSERT_EQ(dialog->ShowModal(), mrOk);
    Pump();

    EXPECT_TRUE(form->Enabled());
    EXPECT_EQ(face(), before);
}

TEST(TarqComboBoxResource, ReadsItsSettingsAndRetiredOnes)
{
    RegisterTarqComboBoxClasses();
    THeadlessBackend backend;
    InstallWindowSystem(backend);
    {
        const std::string text = R"(object Form1: TForm
  object Combo: TTarqComboBox
    Style = csDropDownList
    Items.Strings = (
      'A'
      'B')
    Values.Strings = (
      'x'
      'y')
    AllowEdit = False
    DropDownWidth = 200
    FrameFlat = True
    ItemHeight = 40
  end
  object Drawn: TTarqComboBox
    Style = csOwnerDrawFixed
    ItemHeight = 40
  end
end
)";
        TForm form(nullptr);
        ReadComponentText(&form, text, nullptr);
        auto* combo = dynamic_cast<TTarqComboBox*>(form.FindComponent("Combo"));
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->Style(), csDropDownList);
        EXPECT_EQ(combo->Values()->Count(), 2);
        EXPECT_FALSE(combo->AllowEdit());
        EXPECT_EQ(combo->DropDownWidth(), 200);
        EXPECT_NE(combo->ItemHeight(), 40); // a list style takes its height from the font
        EXPECT_EQ(dynamic_cast<TTarqComboBox*>(form.FindComponent("Drawn"))->ItemHeight(), 40);
        EXPECT_TRUE(combo->FrameHotTrack());
        EXPECT_EQ(combo->FrameStyle(), fsStatus);
        const std::string written = WriteComponentText(&form, nullptr);
        EXPECT_EQ(written.find("FrameFlat"), std::string::npos);
        EXPECT_NE(written.find("AllowEdit = False"), std::string::npos);
    }
    UninstallWindowSystem();
}

} // namespace

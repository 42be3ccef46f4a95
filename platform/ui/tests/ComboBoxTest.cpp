#include "UiTestSupport.h"

#include "platform/ui/ComboBox.h"
#include "platform/ui/ComboListWindow.h"
#include "platform/ui/Edit.h"
#include "platform/ui/ScrollBars.h"
#include "platform/ui/StdCtrls.h"

namespace {

// Logs the notifications and events a combo box goes through.
class TLoggingCombo : public TComboBox {
public:
    TLoggingCombo(TComponent* owner, std::vector<std::string>& log) : TComboBox(owner), log_(log)
    {
        OnChange = [this](TObject*) { log_.push_back("OnChange"); };
        OnClick = [this](TObject*) { log_.push_back("OnClick"); };
        OnDropDown = [this](TObject*) { log_.push_back("OnDropDown"); };
        OnCloseUp = [this](TObject*) { log_.push_back("OnCloseUp"); };
    }
    std::vector<char32_t> SwallowedChars;
    std::vector<std::string> EditMessages;

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == CN_COMMAND) {
            static const char* names[] = {"",           "selchange", "dblclk",  "setfocus", "killfocus",   "editchange",
                                          "editupdate", "dropdown",  "closeup", "selendok", "selendcancel"};
            uint16_t code = HiWord(message.WParam);
            if (code != CBN_SETFOCUS && code != CBN_KILLFOCUS && code != CBN_EDITUPDATE)
                log_.push_back(names[code]);
        }
        if (message.Msg == WM_DELETEITEM)
            log_.push_back("delete:" + std::to_string(reinterpret_cast<TDeleteItemStruct*>(message.LParam)->itemData));
        TComboBox::Dispatch(message);
    }
    void ComboWndProc(TMessage& message, HWND comboWnd, const TWndMethod& comboProc) override
    {
        if (message.Msg == WM_CHAR) {
            EditMessages.push_back("char");
            for (char32_t c : SwallowedChars)
                if (message.WParam == c)
                    return;
        }
        TComboBox::ComboWndProc(message, comboWnd, comboProc);
    }

private:
    std::vector<std::string>& log_;
};

class ComboBoxTest : public UiTest {
protected:
    void SetUp() override
    {
        form = MakeForm(100, 100, 300, 300);
        combo = new TLoggingCombo(form.get(), log);
        combo->SetParent(form.get());
        combo->SetBounds(10, 10, 145, 21);
        for (const char* text : {"AAC", "AC3", "AVI", "MP3", "OGG"})
            combo->Items()->Add(text);
        form->Show();
        Pump();
    }

    void UseListStyle()
    {
        combo->SetStyle(csDropDownList);
        combo->SetFocus();
        Pump();
        log.clear();
    }

    TPoint ButtonPoint() { return combo->ClientToScreen({combo->ButtonRect().Left + 5, 8}); }

    // Screen point inside the list's row `row`.
    TPoint ListRow(int32_t row)
    {
        TComboListWindow* list = combo->ListWindow();
        TRect r = list->ItemRect(list->TopIndex() + row);
        return list->ClientToScreen({r.Left + 5, r.Top + r.Height() / 2});
    }

    std::unique_ptr<TForm> form;
    TLoggingCombo* combo = nullptr;
    std::vector<std::string> log;
};

TEST_F(ComboBoxTest, ListStyleStepsWithArrowsAndJumpsByLetter)
{
    UseListStyle();
    Press(VK_DOWN);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(combo->Text(), "AAC");
    EXPECT_EQ(log, (std::vector<std::string>{"selchange", "OnClick", "OnChange"}));

    Press(VK_END);
    EXPECT_EQ(combo->Text(), "OGG");
    Press(VK_DOWN);
    EXPECT_EQ(combo->ItemIndex(), 4) << "no step past the last item";

    backend.TypeText("a");
    Pump();
    EXPECT_EQ(combo->Text(), "AAC");
    backend.TypeText("a");
    Pump();
    EXPECT_EQ(combo->Text(), "AC3") << "the same letter again finds the next match";
}

TEST_F(ComboBoxTest, OnSelectReplacesOnChangeForAListChoice)
{
    UseListStyle();
    combo->OnSelect = [this](TObject*) { log.push_back("OnSelect"); };
    Press(VK_DOWN);
    EXPECT_EQ(log, (std::vector<std::string>{"selchange", "OnClick", "OnSelect"}));
}

TEST_F(ComboBoxTest, ClickingTheFaceDropsTheListAndClickingAnItemChoosesIt)
{
    UseListStyle();
    combo->SetItemIndex(1);
    backend.Click(ButtonPoint());
    Pump();
    ASSERT_TRUE(combo->DroppedDown());
    TComboListWindow* list = combo->ListWindow();
    EXPECT_EQ(list->Left(), 110);
    EXPECT_EQ(list->Top(), 131);
    EXPECT_EQ(list->Height(), 5 * combo->ItemHeight() + 2);
    EXPECT_EQ(list->HotIndex(), 1);

    backend.MouseMove(ListRow(3));
    Pump();
    EXPECT_EQ(list->HotIndex(), 3) << "the highlight follows the mouse";
    backend.Click(ListRow(3));
    Pump();
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->Text(), "MP3");
    EXPECT_EQ(log,
              (std::vector<std::string>{"dropdown", "OnDropDown", "selendok", "closeup", "OnCloseUp", "selchange",
                                        "OnClick", "OnChange"}));
}

TEST_F(ComboBoxTest, PressDragAndReleaseOnAnItemChoosesIt)
{
    UseListStyle();
    backend.MouseDown(ButtonPoint());
    Pump();
    backend.MouseMove(ListRow(2));
    backend.MouseUp(ListRow(2));
    Pump();
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->ItemIndex(), 2);
}

TEST_F(ComboBoxTest, AClickOutsideClosesTheListWithoutChoosingAndIsNotPassedOn)
{
    std::vector<std::string> otherLog;
    auto* other = new TRecordingControl(form.get(), &otherLog);
    other->SetParent(form.get());
    other->SetBounds(200, 200, 50, 50);
    other->OnMouseDown = [&otherLog](TObject*, TMouseButton, TShiftState, int32_t, int32_t) {
        otherLog.push_back("down");
    };
    UseListStyle();
    combo->SetItemIndex(0);
    backend.Click(ButtonPoint());
    Pump();
    log.clear();
    backend.Click({320, 320});
    Pump();
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"selendcancel", "closeup", "OnCloseUp"}));
    EXPECT_TRUE(std::find(otherLog.begin(), otherLog.end(), "down") == otherLog.end());

    backend.Click(ButtonPoint());
    backend.Click(ButtonPoint());
    Pump();
    EXPECT_FALSE(combo->DroppedDown()) << "a second click on the button closes the list";
}

TEST_F(ComboBoxTest, KeyboardOpensStepsAndClosesTheList)
{
    auto* button = new TButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(10, 200, 75, 25);
    button->SetDefault(true);
    int32_t clicks = 0;
    button->OnClick = [&clicks](TObject*) { ++clicks; };
    UseListStyle();

    Press(VK_F4);
    ASSERT_TRUE(combo->DroppedDown());
    Press(VK_DOWN);
    Press(VK_DOWN);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->ListWindow()->HotIndex(), 1);
    Press(VK_RETURN);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(clicks, 0) << "Enter closes the list before it reaches the default button";

    Press(VK_DOWN, {VK_MENU});
    ASSERT_TRUE(combo->DroppedDown());
    log.clear();
    Press(VK_ESCAPE);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(log, (std::vector<std::string>{"selendcancel", "closeup", "OnCloseUp"}));
}

TEST_F(ComboBoxTest, LongListsScrollAndKeepTheirTopIndex)
{
    for (int i = 0; i < 15; ++i)
        combo->Items()->Add("Item " + std::to_string(i));
    UseListStyle();
    backend.Click(ButtonPoint());
    Pump();
    TComboListWindow* list = combo->ListWindow();
    EXPECT_EQ(list->Height(), 8 * combo->ItemHeight() + 2);
    EXPECT_EQ(list->ClientWidth(), combo->Width() - 2 - ScrollBarSize);

    TPoint downArrow = list->ClientToScreen({list->ClientWidth() + 5, list->ClientHeight() - 5});
    backend.Click(downArrow);
    Pump();
    EXPECT_TRUE(combo->DroppedDown()) << "the scroll bar keeps the list open";
    EXPECT_EQ(combo->Perform(CB_GETTOPINDEX), 1);

    combo->Perform(CB_SETTOPINDEX, 100);
    EXPECT_EQ(combo->Perform(CB_GETTOPINDEX), 20 - 8);
    backend.Click(ListRow(0));
    Pump();
    EXPECT_EQ(combo->ItemIndex(), 12);
}

TEST_F(ComboBoxTest, DroppedWidthWidensTheList)
{
    combo->Perform(CB_SETDROPPEDWIDTH, 260);
    combo->SetDroppedDown(true);
    Pump();
    EXPECT_EQ(combo->ListWindow()->Width(), 260);
    combo->Perform(CB_SETDROPPEDWIDTH, 50);
    EXPECT_EQ(combo->Perform(CB_GETDROPPEDWIDTH), 145) << "never narrower than the combo";
}

TEST_F(ComboBoxTest, FindStringIsACaseInsensitivePrefixSearchThatWraps)
{
    struct TCase {
        int32_t After;
        const char* Prefix;
        LRESULT Found;
    };
    const TCase cases[] = {{-1, "a", 0}, {-1, "av", 2}, {0, "A", 1}, {3, "aa", 0}, {-1, "x", CB_ERR}, {-1, "mp3", 3}};
    for (const TCase& c : cases)
        EXPECT_EQ(combo->Perform(CB_FINDSTRING, static_cast<WPARAM>(c.After), reinterpret_cast<LPARAM>(c.Prefix)),
                  c.Found)
            << c.Prefix << " after " << c.After;
    EXPECT_EQ(combo->Perform(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("ac")), CB_ERR);
}

TEST_F(ComboBoxTest, EditStyleTypesIntoItsEditAndPassesCharsThroughComboWndProc)
{
    combo->SetFocus();
    Pump();
    ASSERT_NE(combo->EditControl(), nullptr);
    EXPECT_TRUE(combo->EditControl()->Focused());
    log.clear();
    combo->SwallowedChars = {U'#'};
    backend.TypeText("a#b");
    Pump();
    EXPECT_EQ(combo->Text(), "ab");
    EXPECT_EQ(combo->EditMessages.size(), 3u);
    EXPECT_EQ(log, (std::vector<std::string>{"editchange", "OnChange", "editchange", "OnChange"}));

    Press(VK_DOWN);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(combo->Text(), "AAC");
    EXPECT_EQ(combo->EditControl()->Text(), "AAC");
    EXPECT_EQ(combo->SelLength(), 3);

    combo->SetCharCase(ecUpperCase);
    backend.TypeText("m");
    Pump();
    EXPECT_EQ(combo->Text(), "M") << "typing replaces the selected text, in the combo's case";
}

TEST_F(ComboBoxTest, SortedItemsInsertInOrderAndTheSelectionFollows)
{
    combo->Items()->Clear();
    combo->SetSorted(true);
    combo->Items()->Add("pear");
    combo->Items()->Add("Apple");
    combo->SetItemIndex(1);
    combo->Items()->Add("banana");
    EXPECT_EQ(combo->Items()->CommaText(), "Apple,banana,pear");
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), "pear");
}

TEST_F(ComboBoxTest, DeletingItemsWithDataAnnouncesEach)
{
    combo->SetItemData(1, reinterpret_cast<TObject*>(uintptr_t{7}));
    combo->SetItemData(3, reinterpret_cast<TObject*>(uintptr_t{9}));
    log.clear();
    combo->Items()->Delete(1);
    combo->Items()->Delete(0);
    EXPECT_EQ(log, (std::vector<std::string>{"delete:7"}));
    combo->Items()->Clear();
    EXPECT_EQ(log, (std::vector<std::string>{"delete:7", "delete:9"}));
}

TEST_F(ComboBoxTest, OwnerDrawFixedDrawsTheFaceThroughDrawItem)
{
    std::vector<std::string> drawn;
    combo->SetStyle(csOwnerDrawFixed);
    combo->SetItemHeight(20);
    combo->OnDrawItem = [&drawn](TWinControl*, int32_t index, const TRect& rect, TOwnerDrawState state) {
        drawn.push_back(std::to_string(index) + ((state & odComboBoxEdit) ? " face" : " list") + " h" +
                        std::to_string(rect.Height()));
    };
    EXPECT_EQ(combo->Height(), 28);
    combo->SetItemIndex(2);
    Pump();
    EXPECT_EQ(drawn, (std::vector<std::string>{"2 face h22"}));
    drawn.clear();
    combo->SetDroppedDown(true);
    Pump();
    std::vector<std::string> listRows;
    std::copy_if(drawn.begin(), drawn.end(), std::back_inserter(listRows),
                 [](const std::string& s) { return s.find("list") != std::string::npos; });
    EXPECT_EQ(listRows,
              (std::vector<std::string>{"0 list h20", "1 list h20", "2 list h20", "3 list h20", "4 list h20"}));
}

TEST_F(ComboBoxTest, FocusedListFacePaintsTheSelectionInHighlight)
{
    UseListStyle();
    combo->SetItemIndex(0);
    Pump();
    EXPECT_EQ(StorePixel(*form, combo->Left() + 5, combo->Top() + 10), ColorToRGB(clHighlight));
    EXPECT_EQ(StorePixel(*form, combo->Left(), combo->Top()), ColorToRGB(clBtnShadow));
}

} // namespace

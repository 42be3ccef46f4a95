#include "UiTestSupport.h"

#include "platform/ui/Clipboard.h"
#include "platform/ui/Edit.h"

namespace {

// An edit whose text can be right-aligned through its window style, as the
// framed edits do it.
class TAlignedEdit : public TEdit {
public:
    using TEdit::TEdit;
    bool RightAligned = false;

protected:
    void CreateParams(TCreateParams& params) override
    {
        TEdit::CreateParams(params);
        if (RightAligned)
            params.Style |= ES_RIGHT;
    }
};

class EditTest : public UiTest {
protected:
    void SetUp() override
    {
        form = MakeForm(100, 100, 300, 100);
        edit = new TAlignedEdit(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(10, 10, 150, 21);
        edit->OnChange = [this](TObject*) { log.push_back("change:" + edit->Text()); };
        form->Show();
        edit->SetFocus();
        Pump();
    }

    // Screen point of the boundary before character `index`.
    TPoint CharPoint(int32_t index)
    {
        TPoint p = LParamToPoint(edit->Perform(EM_POSFROMCHAR, static_cast<WPARAM>(index)));
        return edit->ClientToScreen({p.X, p.Y + 3});
    }

    std::unique_ptr<TForm> form;
    TAlignedEdit* edit = nullptr;
    std::vector<std::string> log;
};

TEST_F(EditTest, TypingInsertsAtTheCaretCountingCodePointsAndFiresOnChangePerCharacter)
{
    Type("hé€");
    EXPECT_EQ(edit->Text(), "hé€");
    EXPECT_EQ(edit->CaretIndex(), 3);
    EXPECT_EQ(edit->SelStart(), 3);
    EXPECT_EQ(log, (std::vector<std::string>{"change:h", "change:hé", "change:hé€"}));
    EXPECT_TRUE(edit->Modified());

    Press(VK_LEFT);
    Press(VK_LEFT);
    Type("x");
    EXPECT_EQ(edit->Text(), "hxé€");
    EXPECT_EQ(edit->CaretIndex(), 2);
}

TEST_F(EditTest, SettingTheTextResetsCaretUndoAndModifiedAndFiresOnceOnlyOnAChange)
{
    Type("ab");
    log.clear();
    edit->SetText("hello");
    edit->SetText("hello");
    EXPECT_EQ(log, (std::vector<std::string>{"change:hello"}));
    EXPECT_EQ(edit->CaretIndex(), 0);
    EXPECT_FALSE(edit->Modified());
    EXPECT_FALSE(edit->CanUndo());
}

struct TKeyCase {
    const char* Name;
    int32_t StartCaret;
    uint16_t Key;
    std::vector<uint16_t> Modifiers;
    int32_t SelStart;
    int32_t SelLength;
    std::string Text;
};

TEST_F(EditTest, NavigationAndDeletionKeys)
{
    const std::vector<TKeyCase> cases = {
        {"home", 5, VK_HOME, {}, 0, 0, "one two three"},
        {"shift end", 4, VK_END, {VK_SHIFT}, 4, 9, "one two three"},
        {"shift left", 4, VK_LEFT, {VK_SHIFT}, 3, 1, "one two three"},
        {"ctrl left", 9, VK_LEFT, {VK_CONTROL}, 8, 0, "one two three"},
        {"ctrl right", 1, VK_RIGHT, {VK_CONTROL}, 4, 0, "one two three"},
        {"ctrl shift right", 0, VK_RIGHT, {VK_CONTROL, VK_SHIFT}, 0, 4, "one two three"},
        {"delete", 3, VK_DELETE, {}, 3, 0, "onetwo three"},
        {"backspace", 3, VK_BACK, {}, 2, 0, "on two three"},
        {"delete at end", 13, VK_DELETE, {}, 13, 0, "one two three"},
        {"backspace at start", 0, VK_BACK, {}, 0, 0, "one two three"},
    };
    for (const TKeyCase& c : cases) {
        SCOPED_TRACE(c.Name);
        edit->SetText("one two three");
        edit->SetSelStart(c.StartCaret);
        Press(c.Key, c.Modifiers);
        EXPECT_EQ(edit->Text(), c.Text);
        EXPECT_EQ(edit->SelStart(), c.SelStart);
        EXPECT_EQ(edit->SelLength(), c.SelLength);
    }
}

TEST_F(EditTest, ArrowWithoutShiftCollapsesTheSelectionToItsEdge)
{
    edit->SetText("abcdef");
    edit->SetSelStart(1);
    edit->SetSelLength(3);
    Press(VK_RIGHT);
    EXPECT_EQ(edit->SelStart(), 4);
    EXPECT_EQ(edit->SelLength(), 0);
}

TEST_F(EditTest, ClipboardShortcutsAndUndoRedo)
{
    edit->SetText("hello world");
    edit->SetSelStart(0);
    edit->SetSelLength(5);
    Press('C', {VK_CONTROL});
    EXPECT_EQ(Clipboard()->AsText(), "hello");

    Press('X', {VK_CONTROL});
    EXPECT_EQ(edit->Text(), " world");
    Press(VK_END);
    Press('V', {VK_CONTROL});
    EXPECT_EQ(edit->Text(), " worldhello");

    Press('Z', {VK_CONTROL});
    EXPECT_EQ(edit->Text(), " world");
    Press('Z', {VK_CONTROL});
    EXPECT_EQ(edit->Text(), " worldhello") << "undoing the undo redoes";

    Clipboard()->SetAsText("first\nsecond");
    edit->SelectAll();
    Press(VK_INSERT, {VK_SHIFT});
    EXPECT_EQ(edit->Text(), "first") << "a paste stops at the line break";
}

TEST_F(EditTest, ConsecutiveTypingIsUndoneAsOneStep)
{
    edit->SetText("x");
    edit->SelectAll();
    Type("abc");
    Press('Z', {VK_CONTROL});
    EXPECT_EQ(edit->Text(), "x");
    EXPECT_EQ(edit->SelLength(), 1);
}

TEST_F(EditTest, MaxLengthRefusesTypingWithABeepAndCutsPastes)
{
    edit->SetMaxLength(4);
    Type("abc€x");
    EXPECT_EQ(edit->Text(), "abc€");
    EXPECT_EQ(backend.Beeps().size(), 1u);

    Clipboard()->SetAsText("123456");
    edit->SetSelStart(1);
    edit->SetSelLength(2);
    edit->PasteFromClipboard();
    EXPECT_EQ(edit->Text(), "a12€");
}

TEST_F(EditTest, ReadOnlyRefusesChangesButCopies)
{
    edit->SetText("fixed");
    edit->SetReadOnly(true);
    edit->SelectAll();
    Type("z");
    Press(VK_DELETE);
    Press('X', {VK_CONTROL});
    Press('C', {VK_CONTROL});
    EXPECT_EQ(edit->Text(), "fixed");
    EXPECT_EQ(backend.Beeps().size(), 3u);
    EXPECT_EQ(Clipboard()->AsText(), "fixed");
}

TEST_F(EditTest, PasswordCharHidesTheTextFromTheClipboard)
{
    Clipboard()->SetAsText("before");
    edit->SetPasswordChar(U'*');
    edit->SetText("secret");
    edit->SelectAll();
    edit->CopyToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), "before");
}

TEST_F(EditTest, CharCaseConvertsTypedAndExistingText)
{
    edit->SetText("Mixed é");
    edit->SetCharCase(ecUpperCase);
    EXPECT_EQ(edit->Text(), "MIXED É");
    edit->SetSelStart(7);
    Type("ab");
    EXPECT_EQ(edit->Text(), "MIXED ÉAB");
}

TEST_F(EditTest, MouseClickDragShiftClickAndDoubleClickSelect)
{
    edit->SetText("alpha beta gamma");
    backend.Click(CharPoint(2));
    Pump();
    EXPECT_EQ(edit->CaretIndex(), 2);
    EXPECT_EQ(edit->SelLength(), 0);

    backend.MouseDown(CharPoint(6));
    backend.MouseMove(CharPoint(9));
    backend.MouseUp(CharPoint(9));
    Pump();
    EXPECT_EQ(edit->SelStart(), 6);
    EXPECT_EQ(edit->SelLength(), 3);

    backend.KeyDown(VK_SHIFT);
    backend.Click(CharPoint(1));
    backend.KeyUp(VK_SHIFT);
    Pump();
    EXPECT_EQ(edit->SelStart(), 1);
    EXPECT_EQ(edit->SelLength(), 5) << "shift-click extends from the anchor";

    backend.TestClock().AdvanceMs(1000);
    TPoint inBeta = CharPoint(8);
    backend.Click(inBeta);
    backend.Click(inBeta);
    Pump();
    EXPECT_EQ(edit->SelText(), "beta");
}

TEST_F(EditTest, LongTextScrollsToKeepTheCaretVisible)
{
    edit->SetText(std::string(60, 'W'));
    EXPECT_EQ(edit->ScrollOffset(), 0);
    Press(VK_END);
    TRect format;
    edit->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    TPoint caret = LParamToPoint(edit->Perform(EM_POSFROMCHAR, 60));
    EXPECT_GT(edit->ScrollOffset(), 0);
    EXPECT_GE(caret.X, format.Left);
    EXPECT_LT(caret.X, format.Right);
    Press(VK_HOME);
    EXPECT_EQ(edit->ScrollOffset(), 0);
}

TEST_F(EditTest, MarginsMoveTheTextAndRightAlignmentFollowsTheWindowStyle)
{
    edit->SetText("ab");
    int32_t plain = LParamToPoint(edit->Perform(EM_POSFROMCHAR, 0)).X;
    edit->Perform(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, static_cast<LPARAM>(MakeWParam(7, 20)));
    EXPECT_EQ(LParamToPoint(edit->Perform(EM_POSFROMCHAR, 0)).X, plain + 6);
    EXPECT_EQ(edit->Perform(EM_GETMARGINS), static_cast<LRESULT>(MakeWParam(7, 20)));

    edit->RightAligned = true;
    edit->RecreateWnd();
    TRect format;
    edit->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(LParamToPoint(edit->Perform(EM_POSFROMCHAR, 2)).X, format.Right - 1);
}

TEST_F(EditTest, RecreatingTheWindowKeepsTextSelectionAndState)
{
    edit->SetText("keep me");
    edit->SetSelStart(2);
    edit->SetSelLength(3);
    edit->SetModified(true);
    edit->SetMaxLength(9);
    int32_t clientWidth = edit->ClientWidth();
    edit->SetCtl3D(false);
    EXPECT_EQ(edit->ClientWidth(), clientWidth + 2) << "a one-pixel border replaces the 2-pixel edge";
    EXPECT_EQ(edit->Text(), "keep me");
    EXPECT_EQ(edit->SelStart(), 2);
    EXPECT_EQ(edit->SelLength(), 3);
    EXPECT_TRUE(edit->Modified());
    EXPECT_EQ(edit->MaxLength(), 9);
}

TEST_F(EditTest, AutoSelectSelectsAllOnKeyboardEntryOnly)
{
    auto* other = new TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(10, 50, 100, 21);
    edit->SetText("select me");
    other->SetFocus();
    Pump();
    Press(VK_TAB, {VK_SHIFT});
    ASSERT_TRUE(edit->Focused());
    EXPECT_EQ(edit->SelLength(), 9);

    other->SetFocus();
    Pump();
    backend.Click(CharPoint(3));
    Pump();
    EXPECT_EQ(edit->SelLength(), 0);
    EXPECT_EQ(edit->CaretIndex(), 3);
}

TEST_F(EditTest, CaretBlinksOnTheClockAndShowsAgainAfterAMove)
{
    edit->SetText("abc");
    EXPECT_TRUE(edit->CaretShown());
    backend.TestClock().AdvanceMs(TCustomEdit::CaretBlinkMs);
    Pump();
    EXPECT_FALSE(edit->CaretShown());
    backend.TestClock().AdvanceMs(TCustomEdit::CaretBlinkMs);
    Pump();
    EXPECT_TRUE(edit->CaretShown());
    backend.TestClock().AdvanceMs(TCustomEdit::CaretBlinkMs);
    Pump();
    Press(VK_LEFT);
    EXPECT_TRUE(edit->CaretShown());

    auto* other = new TEdit(form.get());
    other->SetParent(form.get());
    other->SetTop(50);
    other->SetFocus();
    Pump();
    EXPECT_FALSE(edit->CaretShown()) << "no caret without the focus";
}

TEST_F(EditTest, EnterBeepsUnlessKeyPressTakesIt)
{
    Press(VK_RETURN);
    EXPECT_EQ(backend.Beeps().size(), 1u);
    edit->OnKeyPress = [](TObject*, char32_t& key) {
        if (key == 13)
            key = 0;
    };
    Press(VK_RETURN);
    EXPECT_EQ(backend.Beeps().size(), 1u);
}

TEST_F(EditTest, PaintsSelectionInHighlightInsideTheSunkenEdge)
{
    edit->SetText("WWWW");
    edit->SelectAll();
    Pump();
    TPoint inside = form->ScreenToClient(CharPoint(1));
    EXPECT_EQ(StorePixel(*form, edit->Left(), edit->Top()), ColorToRGB(clBtnShadow));
    EXPECT_EQ(StorePixel(*form, edit->Left() + 1, edit->Top() + 1), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(StorePixel(*form, inside.X, edit->Top() + 3), ColorToRGB(clHighlight));
    edit->SetSelLength(0);
    Pump();
    EXPECT_EQ(StorePixel(*form, inside.X, edit->Top() + 3), ColorToRGB(clWindow));
}

} // namespace

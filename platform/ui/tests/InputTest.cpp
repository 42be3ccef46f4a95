#include "UiTestSupport.h"

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Screen.h"

namespace {

// A button-like window: takes the focus on a press, answers its
// accelerator and the default/cancel dialog keys.
class TProbeButton : public TCustomControl {
public:
    TProbeButton(TComponent* owner, std::string caption) : TCustomControl(owner)
    {
        SetText(caption);
        SetTabStop(true);
    }
    bool IsDefault = false;
    bool IsCancel = false;
    TModalResult Result = mrNone;
    int32_t Clicks = 0;

    void Click() override
    {
        ++Clicks;
        if (Result != mrNone)
            if (TCustomForm* form = ParentForm())
                form->SetModalResult(Result);
        TCustomControl::Click();
    }

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == CM_DIALOGCHAR && IsAccel(static_cast<char32_t>(message.WParam), Text()) && CanFocus()) {
            Click();
            message.Result = 1;
            return;
        }
        if (message.Msg == CM_DIALOGKEY &&
            ((message.WParam == VK_RETURN && IsDefault) || (message.WParam == VK_ESCAPE && IsCancel))) {
            Click();
            message.Result = 1;
            return;
        }
        TCustomControl::Dispatch(message);
    }
};

// A window-less control with hover and press tracking.
class TProbeGraphic : public TGraphicControl {
public:
    TProbeGraphic(TComponent* owner, std::vector<std::string>& log) : TGraphicControl(owner), log_(log) {}

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == CM_MOUSEENTER)
            log_.push_back("enter");
        if (message.Msg == CM_MOUSELEAVE)
            log_.push_back("leave");
        TGraphicControl::Dispatch(message);
    }
    void MouseMove(TShiftState, int32_t x, int32_t y) override
    {
        log_.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    }

private:
    std::vector<std::string>& log_;
};

} // namespace

class InputTest : public UiTest {
protected:
    InputTest()
    {
        form = MakeForm(100, 100, 300, 200);
        first = AddEdit("a", 10);
        second = AddEdit("b", 40);
        third = AddEdit("c", 70);
        form->Show();
        Pump();
        log.clear();
    }
    TRecordingControl* AddEdit(const std::string& name, int32_t top)
    {
        auto* edit = new TRecordingControl(form.get(), &log, name);
        edit->SetBounds(10, top, 100, 20);
        edit->SetParent(form.get());
        return edit;
    }
    TPoint ScreenOf(TControl* control, int32_t x = 2, int32_t y = 2) { return control->ClientToScreen({x, y}); }

    std::vector<std::string> log;
    std::unique_ptr<TForm> form;
    TRecordingControl* first = nullptr;
    TRecordingControl* second = nullptr;
    TRecordingControl* third = nullptr;
};

TEST_F(InputTest, SettingFocusSendsExitAndEnterAndMovesTheKeyboard)
{
    first->SetFocus();
    log.clear();
    second->SetFocus();
    EXPECT_EQ(log, (std::vector<std::string>{"a.killfocus", "b.setfocus", "a.exit", "b.enter"}));
    EXPECT_TRUE(second->Focused());
    EXPECT_EQ(form->ActiveControl(), second);
}

TEST_F(InputTest, TabAndShiftTabFollowTheTabOrderAndSkipControlsThatCannotFocus)
{
    third->SetTabOrder(0); // order: c, a, b
    second->SetEnabled(false);
    third->SetFocus();
    backend.PressKey(VK_TAB);
    Pump();
    EXPECT_TRUE(first->Focused());
    backend.PressKey(VK_TAB); // b is disabled: wraps to c
    Pump();
    EXPECT_TRUE(third->Focused());
    backend.KeyDown(VK_SHIFT);
    backend.PressKey(VK_TAB);
    backend.KeyUp(VK_SHIFT);
    Pump();
    EXPECT_TRUE(first->Focused());
    // Tab never reached the controls as a key.
    EXPECT_EQ(std::count(log.begin(), log.end(), "a.keydown:9") + std::count(log.begin(), log.end(), "c.keydown:9"), 0);
}

TEST_F(InputTest, AControlThatWantsTabGetsItAsAKey)
{
    first->DialogCode = DLGC_WANTTAB;
    first->SetFocus();
    backend.PressKey(VK_TAB);
    Pump();
    EXPECT_TRUE(first->Focused());
    EXPECT_EQ(std::count(log.begin(), log.end(), "a.keydown:9"), 1);
}

TEST_F(InputTest, ArrowsMoveAmongSiblingsWithoutTabStops)
{
    second->SetTabStop(false);
    first->SetFocus();
    backend.PressKey(VK_DOWN);
    Pump();
    EXPECT_TRUE(second->Focused());
    backend.PressKey(VK_UP);
    Pump();
    EXPECT_TRUE(first->Focused());
}

TEST_F(InputTest, EnterEscapeAndAcceleratorsReachTheButtonsAlsoForPostedKeys)
{
    auto* ok = new TProbeButton(form.get(), "&Save");
    ok->SetParent(form.get());
    ok->IsDefault = true;
    auto* cancel = new TProbeButton(form.get(), "Cancel");
    cancel->SetParent(form.get());
    cancel->IsCancel = true;
    first->SetFocus();

    backend.PressKey(VK_RETURN);
    Pump();
    EXPECT_EQ(ok->Clicks, 1);
    PostMessage(first->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
    Pump();
    EXPECT_EQ(cancel->Clicks, 1);

    // The focused edit wants characters, so a plain 's' is typed; with Alt it
    // is the accelerator.
    first->DialogCode = DLGC_WANTCHARS;
    backend.TypeText("s");
    Pump();
    EXPECT_EQ(ok->Clicks, 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "a.char:s"), 1);
    backend.KeyDown(VK_MENU);
    backend.PressKey('S');
    backend.KeyUp(VK_MENU);
    Pump();
    EXPECT_EQ(ok->Clicks, 2);
}

TEST_F(InputTest, PressCapturesTheMouseSoMovesAndReleaseOutsideStillArriveWithoutClick)
{
    auto* button = new TProbeButton(form.get(), "Go");
    button->SetBounds(150, 10, 50, 20);
    button->SetParent(form.get());
    std::vector<TPoint> moves;
    button->OnMouseMove = [&](TObject*, TShiftState, int32_t x, int32_t y) { moves.push_back({x, y}); };

    backend.MouseDown(ScreenOf(button));
    backend.MouseMove(ScreenOf(button, 120, 90)); // far outside the button
    backend.MouseUp(ScreenOf(button, 120, 90));
    Pump();
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], (TPoint{120, 90}));
    EXPECT_EQ(button->Clicks, 0);
    EXPECT_EQ(GetCapture(), 0u);

    backend.TestClock().AdvanceMs(600); // not a double click
    backend.Click(ScreenOf(button));
    Pump();
    EXPECT_EQ(button->Clicks, 1);
}

TEST_F(InputTest, WindowlessControlsGetHoverEnterAndLeaveAndCaptureThroughTheirParent)
{
    std::vector<std::string> events;
    auto* graphic = new TProbeGraphic(form.get(), events);
    graphic->SetBounds(150, 100, 40, 40);
    graphic->SetParent(form.get());
    TPoint inside = form->ClientToScreen({160, 110});
    backend.MouseMove(inside);
    backend.MouseDown(inside);
    backend.MouseMove(form->ClientToScreen({250, 180})); // captured: still ours
    backend.MouseUp(form->ClientToScreen({250, 180}));
    backend.MouseMove({5, 5}); // off every window
    Pump();
    EXPECT_EQ(events, (std::vector<std::string>{"move 10,10", "enter", "move 100,80", "leave"}));
}

TEST_F(InputTest, ExplicitCaptureSendsCaptureChangedToTheLoser)
{
    std::vector<uint32_t> seen;
    TWndMethod previous = first->WindowProc;
    first->WindowProc = [&](TMessage& m) {
        seen.push_back(m.Msg);
        previous(m);
    };
    SetCapture(first->Handle());
    SetCapture(second->Handle());
    EXPECT_EQ(std::count(seen.begin(), seen.end(), WM_CAPTURECHANGED), 1);
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), 0u);
    first->WindowProc = previous;
}

TEST_F(InputTest, DoubleClickNeedsTwoPressesWithinTheDoubleClickTime)
{
    auto* button = new TProbeButton(form.get(), "Go");
    button->SetParent(form.get());
    button->SetBounds(150, 10, 50, 20);
    int32_t doubles = 0;
    button->OnDblClick = [&](TObject*) { ++doubles; };
    backend.Click(ScreenOf(button));
    backend.Click(ScreenOf(button));
    Pump();
    EXPECT_EQ(doubles, 1);
    backend.Click(ScreenOf(button));
    Pump();
    backend.TestClock().AdvanceMs(600);
    backend.Click(ScreenOf(button));
    Pump();
    EXPECT_EQ(doubles, 1);
}

TEST_F(InputTest, TimersFireOnTheControllableClockOncePerDueInterval)
{
    TTimer timer(nullptr);
    timer.SetInterval(100);
    std::vector<int64_t> firedAt;
    timer.OnTimer = [&](TObject*) { firedAt.push_back(TWindowSystem::TickCount()); };
    Pump();
    EXPECT_TRUE(firedAt.empty());
    backend.TestClock().AdvanceMs(99);
    Pump();
    EXPECT_TRUE(firedAt.empty());
    backend.TestClock().AdvanceMs(1);
    Pump();
    EXPECT_EQ(firedAt.size(), 1u);
    backend.TestClock().AdvanceMs(350); // three intervals late: still one tick
    Pump();
    EXPECT_EQ(firedAt.size(), 2u);
    timer.SetEnabled(false);
    backend.TestClock().AdvanceMs(1000);
    Pump();
    EXPECT_EQ(firedAt.size(), 2u);
}

TEST_F(InputTest, WaitingLoopMovesTheClockToTheNextTimer)
{
    TTimer timer(nullptr);
    timer.SetInterval(250);
    int32_t ticks = 0;
    timer.OnTimer = [&](TObject*) {
        if (++ticks == 3)
            Application()->Terminate();
    };
    int64_t start = TWindowSystem::TickCount();
    Application()->Run();
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(TWindowSystem::TickCount() - start, 750);
}

TEST_F(InputTest, TheCursorFollowsTheControlUnderTheMouseUnlessTheScreenOverridesIt)
{
    first->SetCursor(crHandPoint);
    auto* native = static_cast<THeadlessWindow*>(form->NativeWindow());
    backend.MouseMove(ScreenOf(first));
    Pump();
    EXPECT_EQ(native->Cursor(), crHandPoint);
    backend.MouseMove(ScreenOf(second));
    Pump();
    EXPECT_EQ(native->Cursor(), crArrow);
    Screen()->SetCursor(crHourGlass);
    EXPECT_EQ(native->Cursor(), crHourGlass);
    Screen()->SetCursor(crDefault);
}

TEST_F(InputTest, AutoSizeWrapsTheChildren)
{
    auto* box = new TRecordingControl(form.get());
    box->SetParent(form.get());
    auto* child = new TRecordingControl(form.get());
    child->SetBounds(5, 5, 30, 20);
    child->SetParent(box);
    box->SetAutoSize(true);
    EXPECT_EQ(box->Width(), 35);
    EXPECT_EQ(box->Height(), 25);
    child->SetWidth(50);
    EXPECT_EQ(box->Width(), 55);
}

TEST_F(InputTest, TheWheelGoesToTheFocusedControlThenUpToItsParents)
{
    std::vector<std::string> wheels;
    first->OnMouseWheel = [&](TObject*, TShiftState, int32_t delta, TPoint, bool& handled) {
        wheels.push_back("first " + std::to_string(delta));
        handled = delta > 0;
    };
    form->OnMouseWheel = [&](TObject*, TShiftState, int32_t delta, TPoint, bool& handled) {
        wheels.push_back("form " + std::to_string(delta));
        handled = true;
    };
    first->SetFocus();
    backend.Wheel({150, 150}, 120);
    backend.Wheel({150, 150}, -240);
    Pump();
    EXPECT_EQ(wheels, (std::vector<std::string>{"first 120", "first -240", "form -240"}));
}

TEST_F(InputTest, ParentsHearOfChildWindowsCreatedAndPressed)
{
    std::vector<uint16_t> notes;
    TWndMethod previous = form->WindowProc;
    form->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_PARENTNOTIFY)
            notes.push_back(LoWord(m.WParam));
        previous(m);
    };
    auto* child = new TRecordingControl(form.get());
    child->SetBounds(150, 100, 30, 30);
    child->SetParent(form.get());
    child->HandleNeeded();
    backend.Click(ScreenOf(child));
    Pump();
    delete child;
    form->WindowProc = previous;
    EXPECT_EQ(notes, (std::vector<uint16_t>{WM_CREATE, WM_LBUTTONDOWN, WM_DESTROY}));
}

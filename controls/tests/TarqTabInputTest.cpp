#include <gtest/gtest.h>

#include "TarqTabTestSupport.h"
#include "controls/TarqTabButtons.h"
#include "platform/ui/Menus.h"

namespace {

class TarqTabInput : public TarqUiTest {
protected:
    TarqTabInput()
    {
        control = new TTarqCustomTabControl(form.get());
        UseFixedMeasurer(*control);
        control->SetBounds(0, 0, 300, 100);
        control->SetParent(form.get());
        control->OnChanging = [this](TObject*, int32_t index, bool& allow) {
            log += "changing " + std::to_string(index) + ";";
            allow = index != vetoed;
        };
        control->OnChange = [this](TObject*) { log += "change;"; };
        control->OnPageChange = [this](TObject*) { log += "page;"; };
        control->OnTabClick = [this](TObject*) { log += "click;"; };
    }
    void Tabs(int count)
    {
        for (int i = 0; i < count; ++i)
            AddTab(*control, "Ab");
        control->UpdateLayout();
        log.clear();
    }
    void Key(uint16_t key) { control->Perform(WM_KEYDOWN, key, 0); }
    static void Press(TControl& target, TPoint p, uint32_t msg)
    {
        target.Perform(msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, PointToLParam(p));
    }
    static void Click(TControl& target, TPoint p)
    {
        Press(target, p, WM_LBUTTONDOWN);
        Press(target, p, WM_LBUTTONUP);
    }
    TPoint Centre(int32_t tab)
    {
        const TRect r = control->GetTabControlRect(tab);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }

    std::string log;
    int32_t vetoed = -1;
    std::unique_ptr<TForm> form = MakeForm(400, 200);
    TTarqCustomTabControl* control;
};

TEST_F(TarqTabInput, TabIndexAsksRaisesAndRefuses)
{
    Tabs(3);
    EXPECT_EQ(control->TabIndex(), 0);
    control->SetTabIndex(1);
    EXPECT_EQ(log, "changing 1;change;page;");
    log.clear();
    control->SetTabIndex(1);
    EXPECT_EQ(log, "");

    vetoed = 2;
    control->SetTabIndex(2);
    EXPECT_EQ(control->TabIndex(), 1);
    EXPECT_EQ(log, "changing 2;");

    for (int32_t outside : {3, -2}) {
        control->SetTabIndex(1);
        log.clear();
        control->SetTabIndex(outside);
        EXPECT_EQ(control->TabIndex(), -1);
        EXPECT_EQ(log, "");
    }
}

TEST_F(TarqTabInput, ArrowsAndHomeEndWalkOverTabsThatCannotBeCurrent)
{
    Tabs(4);
    control->Tabs()->Item(1)->Enabled = false;
    control->Tabs()->Item(3)->Visible = false;
    control->SetTabIndex(2);
    log.clear();

    Key(VK_RIGHT);
    EXPECT_EQ(control->TabIndex(), 0);
    EXPECT_EQ(log, "changing 0;change;page;click;");
    Key(VK_LEFT);
    EXPECT_EQ(control->TabIndex(), 2);
    Key(VK_HOME);
    EXPECT_EQ(control->TabIndex(), 0);
    Key(VK_END);
    EXPECT_EQ(control->TabIndex(), 2);

    // The only other candidate refuses: nothing changes, nothing is clicked.
    vetoed = 0;
    log.clear();
    Key(VK_DOWN);
    EXPECT_EQ(control->TabIndex(), 2);
    EXPECT_EQ(log, "changing 0;");
}

TEST_F(TarqTabInput, ArrowDirectionFollowsOrientationAndSequence)
{
    Tabs(3);
    control->SetTabOrientation(toLeft);
    Key(VK_UP);
    EXPECT_EQ(control->TabIndex(), 1);
    Key(VK_HOME);
    EXPECT_EQ(control->TabIndex(), 2);
    control->SetTabSequence(tsReverse);
    Key(VK_UP);
    EXPECT_EQ(control->TabIndex(), 1);
    Key(VK_HOME);
    EXPECT_EQ(control->TabIndex(), 0);
}

TEST_F(TarqTabInput, ClicksSelectTabsAndIgnoreDisabledOnes)
{
    form->Show();
    Tabs(3);
    control->Tabs()->Item(2)->Enabled = false;
    Click(*control, Centre(1));
    EXPECT_EQ(control->TabIndex(), 1);
    EXPECT_EQ(log, "changing 1;change;page;click;");
    EXPECT_FALSE(control->Focused());

    log.clear();
    Click(*control, Centre(2));
    EXPECT_EQ(control->TabIndex(), 1);
    EXPECT_EQ(log, "");

    Click(*control, Centre(1));
    EXPECT_TRUE(control->Focused());
    EXPECT_EQ(log, "click;");
}

TEST_F(TarqTabInput, AcceleratorSelectsTheFirstMatchingTab)
{
    form->Show();
    Tabs(2);
    AddTab(*control, "&Save");
    control->UpdateLayout();
    EXPECT_EQ(control->Perform(CM_DIALOGCHAR, 's'), 1);
    EXPECT_EQ(control->TabIndex(), 2);
    EXPECT_TRUE(control->Focused());
    EXPECT_EQ(control->Perform(CM_DIALOGCHAR, 'q'), 0);
}

TEST_F(TarqTabInput, ScrollerRepeatsOnTheClockAndOnceOnRelease)
{
    control->SetWidth(150);
    Tabs(10);
    ASSERT_TRUE(control->Scrolling());
    auto image = Snapshot(*control);
    TTarqTabScroller* scroller = control->Scroller();
    ASSERT_NE(scroller, nullptr);
    const TPoint forward{scroller->Width() - 3, scroller->Height() / 2};

    Click(*scroller, forward);
    EXPECT_EQ(control->FirstDisplayedTab(), 1);

    Press(*scroller, forward, WM_LBUTTONDOWN);
    backend.TestClock().AdvanceMs(399);
    Pump();
    EXPECT_EQ(control->FirstDisplayedTab(), 1);
    backend.TestClock().AdvanceMs(1);
    Pump();
    EXPECT_EQ(control->FirstDisplayedTab(), 2);
    backend.TestClock().AdvanceMs(100);
    Pump();
    EXPECT_EQ(control->FirstDisplayedTab(), 3);
    Press(*scroller, forward, WM_LBUTTONUP);
    EXPECT_EQ(control->FirstDisplayedTab(), 4);
    backend.TestClock().AdvanceMs(500);
    Pump();
    EXPECT_EQ(control->FirstDisplayedTab(), 4);

    Click(*scroller, {2, scroller->Height() / 2});
    EXPECT_EQ(control->FirstDisplayedTab(), 3);
}

TEST_F(TarqTabInput, HotTabClearsOnTheTimerOnceTheCursorLeavesTheTabs)
{
    form->Show();
    Tabs(2);
    control->Perform(WM_MOUSEMOVE, 0, PointToLParam(Centre(1)));
    EXPECT_EQ(control->HotTab(), 1);
    EXPECT_TRUE(control->HotTimerRunning());
    WindowSystem().SetCursorPos(control->ClientToScreen(Centre(1)));
    backend.TestClock().AdvanceMs(60);
    Pump();
    EXPECT_EQ(control->HotTab(), 1);
    WindowSystem().SetCursorPos(control->ClientToScreen({150, 80}));
    backend.TestClock().AdvanceMs(60);
    Pump();
    EXPECT_EQ(control->HotTab(), -1);
    EXPECT_FALSE(control->HotTimerRunning());
}

TEST_F(TarqTabInput, MenuListsVisibleTabsAndSelectsTheChosenOne)
{
    Tabs(3);
    control->Tabs()->Item(1)->Visible = false;
    control->SetShowMenuButton(true);
    control->UpdateLayout();
    TTarqTabMenuButton* button = control->MenuButton();
    ASSERT_NE(button, nullptr);
    button->FillMenu();
    TMenuItem* items = button->Menu()->Items();
    ASSERT_EQ(items->Count(), 2);
    EXPECT_TRUE(items->Items(0)->Checked());
    EXPECT_FALSE(items->Items(1)->Checked());
    EXPECT_EQ(items->Items(1)->Tag(), 2);
    items->Items(1)->Click();
    EXPECT_EQ(control->TabIndex(), 2);
    button->FillMenu();
    EXPECT_EQ(button->Menu()->Items()->Count(), 2);
}

// The drag is the window system's: the tab follows the mouse, and the
// indicator is drawn over the form too, above the control's top edge.
TEST_F(TarqTabInput, DraggingATabMarksTheTargetTabBeyondTheControlsEdge)
{
    control->SetBounds(20, 20, 300, 100);
    form->Show();
    Tabs(3);
    control->SetAllowTabDragging(true);
    Pump();
    const TRect target = control->GetTabControlRect(2);
    const TPoint from = control->ClientToScreen(Centre(0));
    backend.MouseMove(from);
    backend.MouseDown(from);
    backend.MouseMove({from.X + 1, from.Y});
    backend.MouseMove(control->ClientToScreen(Centre(2)));
    Pump();
    EXPECT_TRUE(control->Dragging());
    EXPECT_TRUE(control->DropIndicatorShown());
    EXPECT_EQ(control->DropTarget(), 2);
    const TRect indicator = control->DropIndicatorRect();
    EXPECT_EQ(indicator, Rect(target.Right - 7 - 9, target.Top - 2, target.Right + 8 - 9, target.Top + 6));
    // A pixel of the arrow one row above the control: the form's face
    // inverted with the shadow colour.
    const TPoint arrow{20 + indicator.Left + 7, 20 + indicator.Top + 1};
    ASSERT_LT(arrow.Y, 20);
    EXPECT_EQ(StorePixel(*form, arrow.X, arrow.Y), ColorToRGB(clBtnFace) ^ ColorToRGB(clBtnShadow));

    backend.MouseMove(control->ClientToScreen({150, -15}));
    Pump();
    EXPECT_FALSE(control->DropIndicatorShown());
    EXPECT_EQ(control->DropTarget(), -1);
    EXPECT_EQ(StorePixel(*form, arrow.X, arrow.Y), ColorToRGB(clBtnFace));
    backend.MouseUp(control->ClientToScreen({150, -15}));
    Pump();
    EXPECT_FALSE(control->Dragging());
}

} // namespace

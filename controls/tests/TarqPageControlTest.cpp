#include <gtest/gtest.h>

#include "TarqTabTestSupport.h"
#include "controls/TarqTabButtons.h"
#include "platform/core/Exceptions.h"
#include "platform/ui/FormResources.h"

namespace {

class TarqPageControl : public TarqUiTest {
protected:
    TarqPageControl()
    {
        control = new TTarqPageControl(form.get());
        UseFixedMeasurer(*control);
        control->SetBounds(0, 0, 300, 150);
        control->SetParent(form.get());
        for (const char* caption : {"One", "Two", "Three"})
            pages.push_back(AddPage(*control, caption));
        control->SetActivePage(pages[0]);
        control->UpdateLayout();
        control->OnChange = [this](TObject*) { log += "change;"; };
        control->OnPageChange = [this](TObject*) { log += "page;"; };
    }
    // Outlives the form: freeing the pages may still raise events.
    std::string log;
    std::unique_ptr<TForm> form = MakeForm(400, 200);
    TTarqPageControl* control;
    std::vector<TTarqTabSheet*> pages;
};

TEST_F(TarqPageControl, TabsFollowThePagesAndSwitchThem)
{
    EXPECT_EQ(control->Tabs()->Count(), 3);
    EXPECT_EQ(control->Tabs()->Item(2)->Caption, "Three");
    control->SetTabIndex(2);
    EXPECT_EQ(control->ActivePage(), pages[2]);
    EXPECT_TRUE(pages[2]->Visible());
    EXPECT_FALSE(pages[0]->Visible());
    EXPECT_EQ(log, "change;page;");
    EXPECT_EQ(control->ActivePageIndex(), 2);
}

TEST_F(TarqPageControl, HidingTheActiveTabKeepsThePageShown)
{
    control->SetActivePage(pages[1]);
    pages[1]->SetTabVisible(false);
    EXPECT_EQ(control->ActivePage(), pages[1]);
    EXPECT_TRUE(pages[1]->Visible());
    EXPECT_EQ(control->TabIndex(), -1);
    EXPECT_EQ(control->Tabs()->Count(), 2);
    pages[1]->SetTabVisible(true);
    EXPECT_EQ(control->TabIndex(), 1);
}

TEST_F(TarqPageControl, ActivePageIndexOutsideThePagesOnlyClearsTheTab)
{
    control->SetActivePageIndex(control->PageCount());
    EXPECT_EQ(control->TabIndex(), -1);
    EXPECT_EQ(control->ActivePage(), pages[0]);
    EXPECT_TRUE(pages[0]->Visible());
}

TEST_F(TarqPageControl, CtrlTabCyclesThroughPagesWithVisibleTabs)
{
    form->Show();
    form->SetActiveControl(control);
    pages[0]->SetTabVisible(false);
    control->SetActivePage(pages[2]);
    WindowSystem().SetKeyDown(VK_CONTROL, true);
    form->Perform(CM_DIALOGKEY, VK_TAB);
    EXPECT_EQ(control->ActivePage(), pages[1]);
    WindowSystem().SetKeyDown(VK_SHIFT, true);
    form->Perform(CM_DIALOGKEY, VK_TAB);
    EXPECT_EQ(control->ActivePage(), pages[2]);
    WindowSystem().SetKeyDown(VK_SHIFT, false);
    WindowSystem().SetKeyDown(VK_CONTROL, false);
}

TEST_F(TarqPageControl, MovingAPageReportsTheOrderChange)
{
    std::string moves;
    control->OnTabOrderChange = [&](TObject*, int32_t from, int32_t to) {
        moves += std::to_string(from) + ">" + std::to_string(to) + ";";
    };
    pages[0]->SetPageIndex(2);
    EXPECT_EQ(moves, "0>2;");
    EXPECT_EQ(control->Pages(2), pages[0]);
    EXPECT_EQ(control->Tabs()->Item(2)->Caption, "One");
    try {
        pages[0]->SetPageIndex(3);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "3 is an invalid PageIndex value. PageIndex must be between 0 and 2");
    }
    EXPECT_EQ(control->Pages(2), pages[0]);
    EXPECT_THROW(pages[0]->SetSheetVisible(true), Exception);
}

TEST_F(TarqPageControl, PageColoursTurnColouredTabsOnAndFollowTheControl)
{
    EXPECT_FALSE(control->UseColoredTabs());
    pages[1]->SetColor(clWhite);
    EXPECT_TRUE(control->UseColoredTabs());
    EXPECT_EQ(control->Tabs()->Item(1)->Color, clWhite);

    control->SetUseColoredTabs(false);
    EXPECT_EQ(pages[1]->Color(), control->Color());
    control->SetColor(clYellow);
    for (TTarqTabSheet* page : pages)
        EXPECT_EQ(page->Color(), clYellow);
}

TEST_F(TarqPageControl, CloseButtonClosesOnlyWhenAllowed)
{
    control->SetShowCloseButton(true);
    control->SetActivePage(pages[1]);
    control->UpdateLayout();
    control->PositionCloseButton();
    TTarqTabCloseButton* button = control->CloseButton();
    ASSERT_NE(button, nullptr);
    ASSERT_GT(button->Width(), 0);
    auto click = [&] {
        button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam({2, 2}));
        button->Perform(WM_LBUTTONUP, 0, PointToLParam({2, 2}));
    };
    click();
    EXPECT_EQ(control->PageCount(), 3);

    control->OnClose = [](TObject*, bool& allow) { allow = true; };
    click();
    EXPECT_EQ(control->PageCount(), 2);
    EXPECT_EQ(control->ActivePage(), pages[0]);
    EXPECT_EQ(control->TabIndex(), 0);

    click();
    click();
    EXPECT_EQ(control->PageCount(), 0);
    EXPECT_EQ(control->ActivePage(), nullptr);
    EXPECT_EQ(control->TabIndex(), -1);
}

TEST_F(TarqPageControl, DroppingTheActiveTabOnAnotherMovesItsPage)
{
    form->Show();
    control->SetAllowTabDragging(true);
    auto centre = [&](int32_t tab) {
        const TRect r = control->GetTabControlRect(tab);
        return control->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
    };
    const TPoint from = centre(0), to = centre(2);
    backend.MouseMove(from);
    backend.MouseDown(from);
    backend.MouseMove({from.X + 1, from.Y});
    backend.MouseMove(to);
    backend.MouseUp(to);
    Pump();
    EXPECT_EQ(control->Pages(2), pages[0]);
    EXPECT_EQ(control->ActivePage(), pages[0]);
    EXPECT_EQ(control->TabIndex(), 2);
    EXPECT_FALSE(control->DropIndicatorShown());
}

TEST_F(TarqPageControl, TabHintsReplaceTheControlsHintOverTheirTabs)
{
    pages[1]->SetHint("Second page");
    control->SetHint("Pages");
    control->SetTabHints(true);
    control->RequestLayout();
    control->Loaded();
    control->UpdateLayout();
    const TRect tab = control->GetTabControlRect(1);
    control->Perform(WM_MOUSEMOVE, 0, PointToLParam({tab.Left + 10, tab.Top + 8}));
    EXPECT_EQ(control->Hint(), "Second page");
    control->Perform(WM_MOUSEMOVE, 0, PointToLParam({150, 100}));
    EXPECT_EQ(control->Hint(), "Pages");
}

using TarqPageControlLoading = TarqUiTest;

TEST_F(TarqPageControlLoading, DefaultPageIsShownWithoutEvents)
{
    RegisterTarqTabClasses();
    {
        const char* text = R"(object Form1: TForm
  object Pc: TTarqPageControl
    ActivePage = Sheet1
    ActivePageDefault = Sheet3
    FixedDimension = 25
    TabStyle = tsRoundCorners
    OnChange = PcChange
    OnChanging = PcChanging
    OnPageChange = PcChange
    object Sheet1: TTarqTabSheet
      Caption = 'One'
      PageIndex = 0
    end
    object Sheet2: TTarqTabSheet
      Caption = 'Two'
      PageIndex = 1
    end
    object Sheet3: TTarqTabSheet
      Caption = 'Three'
      PageIndex = 2
    end
  end
end
)";
        int events = 0;
        THandlerTable handlers;
        handlers.Add("PcChange", TNotifyEvent([&](TObject*) { ++events; }));
        handlers.Add("PcChanging", TTarqTabChangingEvent([&](TObject*, int32_t, bool&) { ++events; }));
        auto form = std::make_unique<TForm>(nullptr);
        ReadComponentText(form.get(), text, &handlers);
        auto* pc = dynamic_cast<TTarqPageControl*>(form->FindComponent("Pc"));
        ASSERT_NE(pc, nullptr);
        EXPECT_EQ(events, 0);
        EXPECT_EQ(pc->PageCount(), 3);
        EXPECT_EQ(pc->ActivePage()->Name(), "Sheet3");
        EXPECT_EQ(pc->TabIndex(), 2);
        EXPECT_TRUE(pc->ActivePage()->Visible());
        EXPECT_FALSE(pc->Pages(0)->Visible());
        EXPECT_NE(WriteComponentText(form.get(), &handlers).find("FixedDimension = "), std::string::npos);
    }
}

// A control docked into the page control gets a page of its own whose tab
// follows its caption (up to a line break) and visibility; a double click
// on that tab floats it again and its page goes.
TEST_F(TarqPageControl, DockedControlsBecomePagesAndADoubleClickFloatsThemAgain)
{
    control->SetDockSite(true);
    form->Show();
    Pump();
    auto* tool = new TCustomControl(form.get());
    tool->SetBounds(0, 160, 50, 30);
    tool->SetParent(form.get());
    tool->SetDragKind(dkDock);
    ASSERT_TRUE(tool->ManualDock(control));
    ASSERT_EQ(control->PageCount(), 4);
    TTarqTabSheet* page = control->Pages(3);
    EXPECT_EQ(tool->Parent(), page);
    EXPECT_EQ(tool->HostDockSite(), control);
    EXPECT_EQ(tool->Align(), alClient);
    EXPECT_EQ(control->ActivePage(), page);
    tool->SetCaption("Tools\nand more");
    EXPECT_EQ(page->Caption(), "Tools");
    tool->Hide();
    EXPECT_FALSE(page->TabVisible());
    tool->Show();
    EXPECT_TRUE(page->TabVisible());

    // A client already on one of the pages cannot dock here again.
    TRect influence;
    bool canDock = true;
    control->GetSiteInfo(tool, influence, {}, canDock);
    EXPECT_FALSE(canDock);

    control->UpdateLayout();
    auto centreOf = [&](int32_t index) {
        const TRect tab = control->GetTabControlRect(index);
        return TPoint{(tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2};
    };
    const TPoint centre = centreOf(3);
    EXPECT_EQ(control->DockClientAtPos(centre), tool);
    EXPECT_EQ(control->DockClientAtPos(centreOf(0)), nullptr);
    backend.Click(control->ClientToScreen(centre));
    backend.Click(control->ClientToScreen(centre));
    Pump();
    EXPECT_TRUE(tool->Floating());
    EXPECT_EQ(control->PageCount(), 3);
    EXPECT_EQ(tool->Align(), alNone);
}

} // namespace

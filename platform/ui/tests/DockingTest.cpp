#include "UiTestSupport.h"

#include "platform/ui/Controls.h"
#include "platform/ui/DockForm.h"

// A dockable control and a dock site on one form.
class DockingTest : public UiTest {
protected:
    DockingTest()
    {
        form = MakeForm(0, 0, 300, 120);
        form->SetColor(clWhite);
        client = new TCustomControl(form.get());
        client->SetBounds(10, 10, 40, 40);
        client->SetParent(form.get());
        client->SetDragKind(dkDock);
        client->SetDragMode(dmAutomatic);
        client->SetCaption("Tools");
        site = new TCustomControl(form.get());
        site->SetBounds(100, 10, 150, 80);
        site->SetParent(form.get());
        site->SetColor(clWhite);
        site->SetDockSite(true);
        form->Show();
        Pump();
    }

    void Drag(TPoint from, TPoint to, const std::function<void()>& whileOver = {})
    {
        backend.MouseMove(from);
        backend.MouseDown(from);
        Pump();
        backend.MouseMove(to);
        Pump();
        if (whileOver)
            whileOver();
        backend.MouseUp(to);
        Pump();
    }
    size_t TopLevelCount() const { return WindowSystem().TopLevelOrder().size(); }

    std::unique_ptr<TForm> form;
    TCustomControl* client = nullptr;
    TCustomControl* site = nullptr;
};

TEST_F(DockingTest, DroppingOnADockSiteDocksTheControlThereAndTheFrameShowsWhereOverEveryWindow)
{
    std::vector<std::string> log;
    site->OnDockOver = [&](TObject*, TDragDockObject* source, int32_t x, int32_t y, TDragState, bool& accept) {
        log.push_back("over " + std::to_string(x) + "," + std::to_string(y));
        accept = source->Control() == client;
    };
    site->OnDockDrop = [&](TObject*, TDragDockObject*, int32_t, int32_t) { log.push_back("drop"); };
    client->OnEndDock = [&](TObject*, TObject* target, int32_t, int32_t) {
        log.push_back(target == site ? "end site" : "end elsewhere");
    };
    // The outline covers the site's client area: its left edge, a pixel of the
    // site's white, shows inverted with grey while the drag is over it.
    TColor framed = clNone;
    Drag({20, 20}, {120, 30}, [&] { framed = StorePixel(*form, 101, 50); });
    EXPECT_EQ(framed, static_cast<TColor>(clWhite ^ 0x808080));
    EXPECT_EQ(log, (std::vector<std::string>{"over 20,20", "drop", "end site"}));
    EXPECT_EQ(client->Parent(), site);
    EXPECT_EQ(client->HostDockSite(), site);
    ASSERT_EQ(site->DockClientCount(), 1);
    EXPECT_EQ(site->DockClients(0), client);
    EXPECT_EQ(client->BoundsRect(), Rect(0, 0, 150, 80));
    EXPECT_EQ(StorePixel(*form, 101, 50), clWhite);
}

TEST_F(DockingTest, DroppingOnNoSiteFloatsTheControlInAWindowThatGoesWhenItDocksAgain)
{
    const size_t windows = TopLevelCount();
    Drag({20, 20}, {40, 100});
    auto* host = dynamic_cast<TCustomDockForm*>(client->Parent());
    ASSERT_NE(host, nullptr);
    EXPECT_TRUE(client->Floating());
    EXPECT_EQ(client->HostDockSite(), host);
    EXPECT_TRUE(host->Showing());
    EXPECT_EQ(host->ClientOrigin(), (TPoint{30, 90})); // the grab point stays under the cursor
    EXPECT_EQ(client->Align(), alClient);
    EXPECT_EQ(TopLevelCount(), windows + 1);

    EXPECT_TRUE(client->ManualDock(site));
    Pump();
    EXPECT_EQ(client->Parent(), site);
    EXPECT_EQ(client->Align(), alNone);
    EXPECT_FALSE(client->Floating());
    EXPECT_EQ(TopLevelCount(), windows);
}

TEST_F(DockingTest, ASiteThatRefusesToLetGoKeepsItsClient)
{
    ASSERT_TRUE(client->ManualDock(site));
    site->OnUnDock = [](TObject*, TControl*, TWinControl*, bool& allow) { allow = false; };
    EXPECT_FALSE(client->ManualDock(nullptr));
    Drag(At(*client, 5, 5), {40, 100});
    EXPECT_EQ(client->HostDockSite(), site);
    EXPECT_EQ(client->Parent(), site);
}

// With a dock manager the clients share the site, each under a grabber:
// a double click on a grabber floats its client, the close button hides it.
TEST_F(DockingTest, ADockManagerStacksItsClientsUnderGrabbers)
{
    site->SetUseDockManager(true);
    auto* second = new TCustomControl(form.get());
    second->SetBounds(10, 60, 40, 40);
    second->SetParent(form.get());
    ASSERT_TRUE(client->ManualDock(site));
    ASSERT_TRUE(second->ManualDock(site));
    EXPECT_EQ(client->BoundsRect(), Rect(0, 12, 150, 40));
    EXPECT_EQ(second->BoundsRect(), Rect(0, 52, 150, 80));

    backend.MouseMove(At(*site, 60, 5));
    backend.MouseDown(At(*site, 60, 5));
    backend.MouseUp(At(*site, 60, 5));
    backend.MouseDown(At(*site, 60, 5));
    backend.MouseUp(At(*site, 60, 5));
    Pump();
    EXPECT_TRUE(client->Floating());
    EXPECT_EQ(second->BoundsRect(), Rect(0, 12, 150, 80));

    ClickAt(*site, 150 - 6, 6); // the close button
    EXPECT_FALSE(second->Visible());
    EXPECT_EQ(second->HostDockSite(), site);
}

// A form docks as a child window and floats again as a window of its own.
TEST_F(DockingTest, AFormDocksAndFloatsOnItsOwn)
{
    auto tool = MakeForm(400, 0, 60, 40);
    tool->SetCaption("Tool");
    tool->Show();
    Pump();
    ASSERT_TRUE(tool->ManualDock(site));
    Pump();
    EXPECT_EQ(tool->Parent(), site);
    EXPECT_FALSE(tool->Floating());
    EXPECT_EQ(tool->NativeWindow(), nullptr);
    ASSERT_TRUE(tool->ManualFloat(Bounds(400, 0, 60, 40)));
    Pump();
    EXPECT_EQ(tool->Parent(), nullptr);
    EXPECT_TRUE(tool->Floating());
    EXPECT_EQ(site->DockClientCount(), 0);
    EXPECT_TRUE(tool->Showing());
}

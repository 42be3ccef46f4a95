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
        client = NewDockable(10, 10);
        client->SetCaption("Tools");
        site = new TCustomControl(form.get());
        site->SetBounds(100, 10, 150, 80);
        site->SetParent(form.get());
        site->SetColor(clWhite);
        site->SetDockSite(true);
        form->Show();
        Pump();
    }

    // A 40 x 40 control on the form that a drag docks.
    TCustomControl* NewDockable(int32_t left, int32_t top)
    {
        auto* control = new TCustomControl(form.get());
        control->SetBounds(left, top, 40, 40);
        control->SetParent(form.get());
        control->SetDragKind(dkDock);
        control->SetDragMode(dmAutomatic);
        return control;
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
    EXPECT_EQ(client->BoundsRect(), Rect(0, 12, 150, 38));
    EXPECT_EQ(second->BoundsRect(), Rect(0, 54, 150, 80)); // below a 4-pixel splitter

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

// A second dockable control beside `client`, which is docked on a site with
// a dock manager.
class DockZonesTest : public DockingTest {
protected:
    DockZonesTest()
    {
        site->SetUseDockManager(true);
        client->SetColor(clWhite);
        second = NewDockable(10, 60);
        client->ManualDock(site);
        Pump();
    }
    void DragSplitter(int32_t fromX, int32_t toX)
    {
        backend.MouseMove(At(*site, fromX, 40));
        backend.MouseDown(At(*site, fromX, 40));
        Pump();
        backend.MouseMove(At(*site, toX, 40));
        Pump();
        backend.MouseUp(At(*site, toX, 40));
        Pump();
    }
    TCustomControl* second = nullptr;
};

TEST_F(DockZonesTest, AControlDockedBesideAClientTakesHalfItsZoneOnThatSide)
{
    struct TCase {
        TAlign side;
        TRect clientBounds, secondBounds;
    };
    // The zones split 150 x 80 around a 4-pixel splitter; the grabber takes 12
    // pixels off each zone's top.
    const TCase cases[] = {
        {alLeft, Rect(77, 12, 150, 80), Rect(0, 12, 73, 80)},
        {alRight, Rect(0, 12, 73, 80), Rect(77, 12, 150, 80)},
        {alTop, Rect(0, 54, 150, 80), Rect(0, 12, 150, 38)},
        {alBottom, Rect(0, 12, 150, 38), Rect(0, 54, 150, 80)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.side);
        ASSERT_TRUE(second->ManualDock(site, client, c.side));
        EXPECT_EQ(client->BoundsRect(), c.clientBounds);
        EXPECT_EQ(second->BoundsRect(), c.secondBounds);
        ASSERT_TRUE(second->ManualDock(nullptr));
        EXPECT_EQ(client->BoundsRect(), Rect(0, 12, 150, 80)); // the space goes back
    }
}

// Dragged over a docked client, the outline shows the half of its zone the
// control would take, on the side nearest the cursor; the drop puts it there.
TEST_F(DockZonesTest, DroppingNearAClientsEdgeSplitsItsZoneThere)
{
    const TColor underOutline = StorePixel(*form, 100 + 78, 50);
    TColor outlined = clNone;
    TColor leftHalf = clNone;
    Drag(At(*second, 5, 5), At(*site, 140, 40), [&] {
        outlined = StorePixel(*form, 100 + 78, 50);
        leftHalf = StorePixel(*form, 100 + 40, 50);
    });
    EXPECT_EQ(outlined, static_cast<TColor>(underOutline ^ 0x808080));
    EXPECT_EQ(leftHalf, clWhite);
    EXPECT_EQ(second->HostDockSite(), site);
    EXPECT_EQ(client->BoundsRect(), Rect(0, 12, 73, 80));
    EXPECT_EQ(second->BoundsRect(), Rect(77, 12, 150, 80));
}

// Dragging the splitter between two zones resizes both; they keep their
// proportions when the site is resized.
TEST_F(DockZonesTest, DraggingTheSplitterResizesTheZonesOnEitherSide)
{
    ASSERT_TRUE(second->ManualDock(site, client, alRight));
    auto* native = static_cast<THeadlessWindow*>(form->NativeWindow());
    backend.MouseMove(At(*site, 75, 40));
    Pump();
    EXPECT_EQ(native->Cursor(), crHSplit);
    DragSplitter(75, 100);
    EXPECT_EQ(client->BoundsRect(), Rect(0, 12, 100, 80));
    EXPECT_EQ(second->BoundsRect(), Rect(104, 12, 150, 80));

    // Neither zone shrinks below twice the grabber.
    DragSplitter(102, 149);
    EXPECT_EQ(client->BoundsRect(), Rect(0, 12, 122, 80));
    EXPECT_EQ(second->BoundsRect(), Rect(126, 12, 150, 80));

    site->SetWidth(300);
    Pump();
    EXPECT_EQ(client->BoundsRect(), Rect(0, 12, 247, 80));
    EXPECT_EQ(second->BoundsRect(), Rect(251, 12, 300, 80));
}

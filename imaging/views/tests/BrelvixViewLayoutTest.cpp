#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ViewTestSupport.h"
#include "platform/ui/ScrollBars.h"

namespace {

class ViewLayoutTest : public ViewTest {
protected:
    void RecordEvents()
    {
        view->OnViewChanging = [this](TObject*, int32_t change, double value) {
            events.push_back("changing " + std::to_string(change) + " " + std::to_string(static_cast<int64_t>(value)));
        };
        view->OnViewChange = [this](TObject*, int32_t change) { events.push_back("change " + std::to_string(change)); };
    }
    // A screen point of the view's window (frame and bars included).
    TPoint WindowToScreen(TPoint p) { return view->ClientToScreen(p); }
    TRect HorizontalThumb() { return view->WindowScrollBars()->Bar(SB_HORZ).PartRect(TScrollPart::Thumb); }

    std::vector<std::string> events;
};

TEST_F(ViewLayoutTest, ABarThatAppearsRunsTheLayoutOnceMoreAndSetsTheRange)
{
    Show();
    EXPECT_EQ(view->CreatedStyle() & (WS_HSCROLL | WS_VSCROLL), 0u);
    view->Passes = 0;
    SetImage(1000, 1000);
    EXPECT_EQ(view->Passes, 2);
    EXPECT_EQ(view->CreatedStyle() & (WS_HSCROLL | WS_VSCROLL), WS_HSCROLL | WS_VSCROLL);
    EXPECT_EQ(view->GetViewWidth(), 400 - ScrollBarSize);
    EXPECT_EQ(view->GetViewHeight(), 300 - ScrollBarSize);
    int32_t maxX = 0, maxY = 0;
    view->GetMaxViewXY(maxX, maxY);
    // The last image column and row are reachable.
    EXPECT_EQ(maxX, 1001 - view->GetViewWidth());
    EXPECT_EQ(maxY, 1001 - view->GetViewHeight());
    TScrollInfo info;
    ASSERT_TRUE(GetScrollInfo(*view, SB_HORZ, info));
    EXPECT_EQ(info.Min, 0);
    EXPECT_EQ(info.Max, 65535);

    // A small image takes both bars away again.
    SetImage(100, 50);
    EXPECT_EQ(view->CreatedStyle() & (WS_HSCROLL | WS_VSCROLL), 0u);
    EXPECT_EQ(view->Geometry().OffsetX(), 150);
    EXPECT_EQ(view->Geometry().OffsetY(), 125);
}

TEST_F(ViewLayoutTest, TheThumbMovesTheViewAtOnceOnlyWhileTracking)
{
    SetImage(1000, 1000);
    Show();
    for (const bool tracking : {true, false}) {
        view->SetViewXY(0, 0);
        view->HorizontalScrollBar.Tracking = tracking;
        const TRect thumb = HorizontalThumb();
        const TPoint grab{(thumb.Left + thumb.Right) / 2, (thumb.Top + thumb.Bottom) / 2};
        backend.MouseDown(WindowToScreen(grab));
        backend.MouseMove(WindowToScreen({grab.X + 100, grab.Y}));
        Pump();
        EXPECT_EQ(view->ViewX() > 0, tracking) << tracking;
        backend.MouseUp(WindowToScreen({grab.X + 100, grab.Y}));
        Pump();
        EXPECT_GT(view->ViewX(), 100) << tracking;
    }
    // An arrow steps one zoomed pixel; the bar's end goes to the maximum.
    view->SetViewXY(0, 0);
    const TRect right = view->WindowScrollBars()->Bar(SB_HORZ).PartRect(TScrollPart::LineDown);
    backend.Click(WindowToScreen({(right.Left + right.Right) / 2, (right.Top + right.Bottom) / 2}));
    Pump();
    EXPECT_EQ(view->ViewX(), 1);
    view->Perform(WM_HSCROLL, MakeWParam(SB_BOTTOM, 0), 0);
    int32_t maxX = 0, maxY = 0;
    view->GetMaxViewXY(maxX, maxY);
    EXPECT_EQ(view->ViewX(), maxX);
}

TEST_F(ViewLayoutTest, ZoomChangesFireTheirEventsAndStopAtTheCap)
{
    SetImage(1000, 1000);
    Show();
    RecordEvents();
    view->ChangeZoom(100);
    EXPECT_EQ(events, std::vector<std::string>{"changing 2 100"});
    events.clear();
    view->ChangeZoom(0);
    view->ChangeZoom(-5);
    EXPECT_EQ(view->ZoomX(), 100);
    events.clear();
    view->ChangeZoom(400);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front(), "changing 2 400");
    EXPECT_EQ(events.back(), "change 1");
    EXPECT_EQ(view->ZoomX(), 400);
    EXPECT_EQ(view->ZoomY(), 400);

    // Past the cap the zoom lands on it, and asking again changes nothing.
    const double cap = MaxZoomedSide * 100.0 / 1000;
    view->ChangeZoom(cap * 10);
    EXPECT_EQ(view->ZoomX(), cap);
    events.clear();
    view->ChangeZoom(cap * 20);
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(ViewLayoutTest, AutomaticZoomFitsByItsFlags)
{
    struct TCase {
        int32_t Width, Height;
        bool Fit, Stretch, Shrink;
        double Zoom;
    };
    const TCase cases[] = {
        {1, 1, true, false, false, 100},     {200, 100, false, false, true, 100}, {200, 100, false, true, false, 200},
        {200, 100, true, false, false, 200}, {800, 600, false, true, false, 100}, {800, 600, false, false, true, 50},
        {800, 600, true, false, false, 50},
    };
    Show();
    for (const TCase& c : cases) {
        view->BeginUpdateLock();
        view->SetAutoFit(c.Fit);
        view->SetAutoStretch(c.Stretch);
        view->SetAutoShrink(c.Shrink);
        view->EndUpdateLockNoRefresh();
        view->ChangeZoom(100);
        SetImage(c.Width, c.Height);
        EXPECT_DOUBLE_EQ(view->ZoomX(), c.Zoom)
            << c.Width << " x " << c.Height << " " << c.Fit << c.Stretch << c.Shrink;
    }
}

TEST_F(ViewLayoutTest, TheWheelZoomsAboutTheCentreForwardOut)
{
    SetImage(1000, 1000);
    Show();
    // The wheel goes to the focused window.
    Focus(*view);
    std::vector<double> outs;
    view->OnZoomOut = [&](TObject*, double& zoom) { outs.push_back(zoom); };
    view->OnZoomIn = [&](TObject*, double& zoom) { zoom = 150; };
    backend.Wheel(view->ClientToScreen({50, 50}), 120);
    Pump();
    EXPECT_EQ(view->ZoomX(), 92);
    EXPECT_EQ(outs, std::vector<double>{92});
    // The handler may change the zoom asked for.
    backend.Wheel(view->ClientToScreen({50, 50}), -120);
    Pump();
    EXPECT_EQ(view->ZoomX(), 150);
    // With AutoFit on the wheel does nothing.
    view->SetAutoFit(true);
    const double fitted = view->ZoomX();
    backend.Wheel(view->ClientToScreen({50, 50}), 120);
    Pump();
    EXPECT_EQ(view->ZoomX(), fitted);
}

TEST_F(ViewLayoutTest, SmoothScrollingStepsOnTheClockAndStopsOnAPress)
{
    SetImage(1000, 1000);
    Show();
    view->SmoothScrollTo(100, 0);
    EXPECT_EQ(view->ViewX(), 12);
    Wait(30);
    EXPECT_EQ(view->ViewX(), 23);
    for (int i = 0; i < 40 && view->SmoothScrolling(); ++i)
        Wait(30);
    EXPECT_FALSE(view->SmoothScrolling());
    EXPECT_GE(view->ViewX(), 96);

    view->SmoothScrollTo(600, 0);
    backend.MouseDown(form->ClientToScreen({450, 350}));
    Pump();
    Wait(30);
    EXPECT_FALSE(view->SmoothScrolling());
    const int32_t stoppedAt = view->ViewX();
    Wait(90);
    EXPECT_EQ(view->ViewX(), stoppedAt);
    backend.MouseUp(form->ClientToScreen({450, 350}));
    Pump();

    // Without a divisor the scroll jumps to the target.
    view->SmoothScrollDivisor = 0;
    view->SmoothScrollTo(300, 200);
    EXPECT_EQ(view->ViewX(), 300);
    EXPECT_EQ(view->ViewY(), 200);
    Wait(30);
    EXPECT_FALSE(view->SmoothScrolling());
}

// Two columns, black and white: at 300 % the zoom filter blends their edge.
TEST_F(ViewLayoutTest, TheZoomFilterWaitsUntilTheViewIsStill)
{
    view->SetCenter(false);
    TBitmap& image = *view->GetLegacyBitmap();
    image.SetSize(2, 1);
    image.Canvas()->SetPixel(0, 0, clBlack);
    image.Canvas()->SetPixel(1, 0, clWhite);
    view->ZoomFilter = rfBilinear;
    view->DelayZoomFilter = true;
    Show();
    view->ChangeZoom(200);
    // From 100 % the filter is not held back.
    EXPECT_EQ(view->ZoomFilterDelayCount(), 0);
    view->ChangeZoom(300);
    EXPECT_EQ(view->ZoomFilterDelayCount(), 4);
    Pump();
    EXPECT_EQ(ViewPixel(1, 1), 0x000000u);
    for (int tick = 0; tick < 3; ++tick)
        Wait(TBrelvixView::DelayTickMs);
    EXPECT_EQ(view->ZoomFilterDelayCount(), 1);
    Wait(TBrelvixView::DelayTickMs);
    EXPECT_EQ(view->ZoomFilterDelayCount(), 0);
    const TColor blended = ViewPixel(1, 1);
    EXPECT_NE(blended, 0x000000u);
    EXPECT_NE(blended, 0xFFFFFFu);
}

} // namespace

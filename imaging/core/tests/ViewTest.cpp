#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "QkHeadlessUi.h"
#include "imaging/core/QkEffects.h"
#include "imaging/core/QkView.h"
#include "platform/ui/tests/UiTestSupport.h"

namespace {

using QkViewTest = HeadlessUiTest;

TEST_F(QkViewTest, HandlersHearChangesAndDestructionAndStaleHandlesAreHarmless)
{
    std::vector<std::string> heard;
    auto view = std::make_unique<TQkView>(nullptr);
    TObject* sender = nullptr;
    const TBitmapChangeHandle first = view->RegisterBitmapChangeHandler([&](TObject* s, bool destroying) {
        sender = s;
        heard.push_back(destroying ? "first destroying" : "first");
    });
    const TBitmapChangeHandle second = view->RegisterBitmapChangeHandler(
        [&](TObject*, bool destroying) { heard.push_back(destroying ? "second destroying" : "second"); });
    view->CallBitmapChangeHandlers();
    EXPECT_EQ(sender, view.get());

    view->UnregisterBitmapChangeHandler(second);
    view->UnregisterBitmapChangeHandler(second);
    view->UnregisterBitmapChangeHandler(0);
    view->UnregisterBitmapChangeHandler(first + 100);
    view->CallBitmapChangeHandlers();
    view.reset();
    EXPECT_EQ(heard, (std::vector<std::string>{"first", "second", "first", "first destroying"}));
}

TEST_F(QkViewTest, AHandlerMayUnregisterAnotherWhileCalled)
{
    TQkView view(nullptr);
    int laterCalls = 0;
    TBitmapChangeHandle later = 0;
    view.RegisterBitmapChangeHandler([&](TObject*, bool) { view.UnregisterBitmapChangeHandler(later); });
    later = view.RegisterBitmapChangeHandler([&](TObject*, bool) { ++laterCalls; });
    view.CallBitmapChangeHandlers();
    EXPECT_EQ(laterCalls, 0);
}

TEST_F(QkViewTest, BaseDefaultsAndThePaintLockNeverBelowZero)
{
    TQkView view(nullptr);
    EXPECT_EQ(view.GetImageBitmap(), nullptr);
    EXPECT_EQ(view.GetLegacyBitmap(), nullptr);
    EXPECT_EQ(view.AsBrelvixView(), nullptr);
    EXPECT_EQ(view.AsBrelvixVect(), nullptr);
    EXPECT_EQ(view.EndPaintLockNoRefresh(), 0);
    view.BeginPaintLock();
    view.BeginPaintLock();
    EXPECT_EQ(view.EndPaintLockNoRefresh(), 1);
    EXPECT_EQ(view.EndPaintLockNoRefresh(), 0);
    EXPECT_EQ(view.EndPaintLockNoRefresh(), 0);
    view.SetBackground(clRed);
    EXPECT_EQ(view.Background(), clRed);
    EXPECT_NE(GetViewCanvas(view), nullptr);
    view.SetDpi(72, 96);
    view.SetDpi(0, 150);
    EXPECT_EQ(view.DpiX(), 72);
    EXPECT_EQ(view.DpiY(), 150);
}

// Counts the windows it creates.
class TCountingView : public TQkView {
public:
    using TQkView::TQkView;
    int32_t Created = 0;

protected:
    void CreateWnd() override
    {
        ++Created;
        TQkView::CreateWnd();
    }
};

using QkViewWindowTest = UiTest;

TEST_F(QkViewWindowTest, BorderStyleAndCtl3DChooseTheFrameAndRecreateOnlyOnAChange)
{
    auto form = MakeForm(0, 0, 200, 150);
    auto* view = new TCountingView(form.get());
    view->SetParent(form.get());
    view->SetBounds(10, 10, 100, 80);
    form->Show();
    Pump();
    struct TCase {
        TBorderStyle Style;
        bool Ctl3D;
        int32_t Edge;
    };
    for (const TCase& c : {TCase{bsSingle, true, 2}, TCase{bsSingle, false, 1}, TCase{bsNone, true, 0},
                           TCase{bsNone, false, 0}, TCase{bsSingle, true, 2}}) {
        view->SetBorderStyle(c.Style);
        view->SetCtl3D(c.Ctl3D);
        Pump();
        const int32_t created = view->Created;
        view->SetBorderStyle(c.Style);
        view->SetCtl3D(c.Ctl3D);
        EXPECT_EQ(view->Created, created) << c.Edge;
        EXPECT_EQ(view->ClientWidth(), 100 - 2 * c.Edge) << c.Edge;
        EXPECT_EQ(view->ClientHeight(), 80 - 2 * c.Edge) << c.Edge;
        const TPoint origin = view->ClientOrigin();
        EXPECT_EQ(origin.X, form->ClientOrigin().X + 10 + c.Edge) << c.Edge;
    }
    // The sunken edge: shadow above and left, highlight below and right.
    EXPECT_EQ(StorePixel(*form, 10, 40), ColorToRGB(clBtnShadow));
    EXPECT_EQ(StorePixel(*form, 109, 40), ColorToRGB(clBtnHighlight));
}

TEST_F(QkViewWindowTest, PointerCrossingFiresEnterThenLeave)
{
    auto form = MakeForm(0, 0, 200, 150);
    auto* view = new TQkView(form.get());
    view->SetParent(form.get());
    view->SetBounds(50, 50, 60, 40);
    std::vector<std::string> heard;
    view->OnMouseEnter = [&](TObject* sender) { heard.push_back(sender == view ? "enter" : "?"); };
    view->OnMouseLeave = [&](TObject* sender) { heard.push_back(sender == view ? "leave" : "?"); };
    form->Show();
    Pump();
    backend.MouseMove(form->ClientToScreen({10, 10}));
    Pump();
    backend.MouseMove(At(*view, 20, 20));
    Pump();
    backend.MouseMove(form->ClientToScreen({180, 140}));
    Pump();
    EXPECT_EQ(heard, (std::vector<std::string>{"enter", "leave"}));
}

} // namespace

namespace {

TEST(Effects, NumbersPaintThroughTheRowBefore)
{
    EXPECT_EQ(Effects().size(), 214u);
    EXPECT_EQ(EffectOfNumber(31), &Effects()[30]);
    EXPECT_EQ(EffectOfNumber(214), &Effects()[213]);
    for (const int32_t none : {0, 30, 213, 215, -1})
        EXPECT_EQ(EffectOfNumber(none), nullptr) << none;
    EXPECT_EQ(EffectOfNumber(100)->Painter, nullptr);
}

} // namespace

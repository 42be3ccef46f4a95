#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "QkHeadlessUi.h"
#include "imaging/core/QkEffects.h"
#include "imaging/core/QkView.h"

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

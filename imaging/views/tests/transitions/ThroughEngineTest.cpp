#include <gtest/gtest.h>

#include <vector>

#include "TransitionTestSupport.h"
#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkTransitions.h"
#include "imaging/core/QkView.h"
#include "imaging/core/tests/QkHeadlessUi.h"
#include "platform/core/Clock.h"

namespace {

std::vector<int32_t> progressSeen;
TEffectPainter realPainter = nullptr;

void RecordingPainter(TCanvas& canvas, TBitmap& prev, TBitmap& next, int32_t progress, int32_t factor,
                      const TRect& rect)
{
    progressSeen.push_back(progress);
    if (realPainter)
        realPainter(canvas, prev, next, progress, factor, rect);
}

class ThroughEngine : public HeadlessUiTest {
protected:
    void SetUp() override
    {
        InstallBrelvixViewStartup();
        LibraryStaticInit();
        SetClock(&clock);
    }
    void TearDown() override
    {
        SetClock(nullptr);
        LibraryStaticFinal();
    }

    // Runs `effect` (213 as a zoom) for 1000 ms in steps of 50 ms while row
    // `row` records.
    void RunRecording(int32_t effect, size_t row)
    {
        TQkBitmap zoomSource;
        zoomSource.CopyFromTBitmap(*Solid(40, 30, clLime));
        const auto prev = Solid(40, 30, clRed), next = Solid(40, 30, clBlue);
        TQkView view(nullptr);
        TQkTransitionEffects engine(view);
        realPainter = Effects()[row].Painter;
        Effects()[row].Painter = RecordingPainter;
        progressSeen.clear();
        const bool started = effect == 213
            ? engine.StartZoom(*prev, *next, zoomSource, {0, 0, 40, 30}, {5, 5, 35, 25}, 1000, tpLinear, false)
            : engine.Start(*prev, *next, effect, 1000, tpLinear, false);
        ASSERT_TRUE(started);
        for (int i = 0; i <= 21 && engine.Running(); ++i) {
            engine.TimerStep();
            clock.AdvanceMs(50);
        }
        Effects()[row].Painter = realPainter;
        engine.Stop();
    }

    TTestClock clock;
};

} // namespace

TEST_F(ThroughEngine, Effect31CallsRow30WithRisingProgress)
{
    RunRecording(31, 30);
    ASSERT_GE(progressSeen.size(), 10u);
    for (size_t i = 1; i < progressSeen.size(); ++i)
        EXPECT_GT(progressSeen[i], progressSeen[i - 1]);
    EXPECT_GE(progressSeen.back(), 95);
}

TEST_F(ThroughEngine, Effect213StaysTheEnginesZoom)
{
    RunRecording(213, 212);
    EXPECT_TRUE(progressSeen.empty());
}

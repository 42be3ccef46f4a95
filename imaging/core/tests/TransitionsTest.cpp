#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "QkHeadlessUi.h"
#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkEffects.h"
#include "imaging/core/QkMask.h"
#include "imaging/core/QkRandom.h"
#include "imaging/core/QkRender.h"
#include "imaging/core/QkTransitions.h"
#include "imaging/core/QkView.h"
#include "platform/core/Clock.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/Form.h"

namespace {

// A view that counts its updates and, as an image view, paints its
// background green.
class TFakeView : public TQkView, public IBrelvixView {
public:
    // Frameless, so that the view's client area is where the form shows it.
    explicit TFakeView(bool imageView) : TQkView(nullptr), imageView_(imageView) { SetBorderStyle(bsNone); }

    void Update() override
    {
        ++Updates;
        TQkView::Update();
    }
    IBrelvixView* AsBrelvixView() override { return imageView_ ? this : nullptr; }
    void DrawBackground(TCanvas& canvas) override
    {
        canvas.Brush()->SetColor(clLime);
        canvas.FillRect(TRect{0, 0, 10000, 10000});
    }

    int32_t LayersCurrent() const override { return 0; }
    bool Selected() const override { return false; }
    TQkMask& SelectionMask() override { return mask_; }
    const TPoint* GetSelectionPolygon() const override { return nullptr; }
    int32_t GetSelectionPolygonCount() const override { return 0; }
    int32_t GetLayerCount() const override { return 0; }
    IQkLayer* GetLayer(int32_t) override { return nullptr; }
    void SaveSelectionToStream(TMemoryStream&) override {}
    bool LoadSelectionFromStream(TStream&, bool) override { return false; }
    void SaveLayersToStream(TMemoryStream&, int32_t) override {}
    bool LoadLayersFromStream(TStream&) override { return false; }
    void SetLegacyBitmap(bool) override {}
    void BeginUpdateLock() override {}
    void EndUpdateLockNoRefresh() override {}

    int32_t Updates = 0;

private:
    bool imageView_;
    TQkMask mask_;
};

// Pixels named by letters: a pixel's three channels all hold the letter's
// code, red is 'R' drawn as pure red.
void Paint(TBitmap& bitmap, const std::vector<std::string>& rows)
{
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(int32_t(rows[0].size()), int32_t(rows.size()));
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x) {
            uint8_t* pixel = bitmap.ScanLine(int32_t(y)) + 3 * x;
            pixel[0] = pixel[1] = pixel[2] = uint8_t(rows[y][x]);
        }
}

std::vector<std::string> Letters(const TBitmap& bitmap)
{
    std::vector<std::string> rows;
    for (int32_t y = 0; y < bitmap.Height(); ++y) {
        rows.emplace_back();
        for (int32_t x = 0; x < bitmap.Width(); ++x) {
            const uint8_t* pixel = bitmap.ScanLine(y) + 3 * x;
            const bool red = pixel[0] == 0 && pixel[1] == 0 && pixel[2] == 255;
            rows.back() += red ? 'R' : char(pixel[0]);
        }
    }
    return rows;
}

void Fill(TBitmap& bitmap, int32_t width, int32_t height, TColor colour)
{
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    bitmap.Canvas()->Brush()->SetColor(colour);
    bitmap.Canvas()->FillRect(TRect{0, 0, width, height});
}

// A 16 x 8 image of distinct pixels.
void Pattern(TBitmap& bitmap, uint8_t seed)
{
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(16, 8);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 16; ++x) {
            uint8_t* pixel = bitmap.ScanLine(y) + 3 * x;
            pixel[0] = uint8_t(seed + 9 * x);
            pixel[1] = uint8_t(seed * 3 + 17 * y);
            pixel[2] = uint8_t(x * y + seed);
        }
}

TColor PixelOf(const TBitmap& bitmap, int32_t x, int32_t y)
{
    const uint8_t* pixel = bitmap.ScanLine(y) + 3 * x;
    return RGB(pixel[2], pixel[1], pixel[0]);
}

bool SamePixels(const TBitmap& a, const TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int32_t y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.ScanLine(y), b.ScanLine(y), 3 * size_t(a.Width())) != 0)
            return false;
    return true;
}

class TransitionsTest : public HeadlessUiTest {
protected:
    TransitionsTest() { SetClock(&clock); }
    ~TransitionsTest() override { SetClock(nullptr); }

    // Starts `effect` lasting 1024 ms, linear, so that a position is the
    // milliseconds since the start; paints position 0, then `position`.
    const TBitmap& FrameAt(TBitmap& start, TBitmap& target, int32_t effect, int32_t position)
    {
        EXPECT_TRUE(engine.Start(start, target, effect, 1024, tpLinear, false));
        return StepsTo(position);
    }

    // The engine paints a position one step after it is reached.
    const TBitmap& StepsTo(int32_t position)
    {
        engine.TimerStep();
        clock.AdvanceMs(position);
        engine.TimerStep();
        EXPECT_EQ(engine.Position(), position);
        engine.TimerStep();
        return engine.CurrentFrame();
    }

    TTestClock clock;
    TFakeView view{false};
    TQkTransitionEffects engine{view};
};

} // namespace

TEST(TransitionPosition, ProfilesFollowTheElapsedTime)
{
    struct TCase {
        TQkTransitionProfile Profile;
        uint32_t Elapsed;
        int32_t Expected;
    };
    const TCase cases[] = {
        {tpLinear, 500, 512},  {tpLinear, 333, 340},        {tpLinear, 2000, 1024},
        {tpExponential, 0, 6}, {tpExponential, 1000, 1003}, {tpLogarithmic, 1, 0},
        {tpLogarithmic, 0, 0}, {tpLogarithmic, 1000, 1024}, {tpLogarithmic, 100, 556},
    };
    for (const TCase& test : cases)
        EXPECT_EQ(TransitionPosition(test.Profile, test.Elapsed, 1000), test.Expected)
            << int(test.Profile) << " at " << test.Elapsed;
}

TEST(FitRectKeepingAspect, CentresTheLargestFittingRectangle)
{
    int32_t w, h, x, y;
    FitRectKeepingAspect(8, 8, 16, 8, w, h, x, y);
    EXPECT_EQ((std::vector<int32_t>{w, h, x, y}), (std::vector<int32_t>{8, 8, 4, 0}));
    FitRectKeepingAspect(30, 10, 15, 15, w, h, x, y);
    EXPECT_EQ((std::vector<int32_t>{w, h, x, y}), (std::vector<int32_t>{15, 5, 0, 5}));
    FitRectKeepingAspect(0, 10, 15, 15, w, h, x, y);
    EXPECT_EQ((std::vector<int32_t>{w, h, x, y}), (std::vector<int32_t>{0, 0, 0, 0}));
}

// On the clock: the position a step sets for the next one, also after the
// last step; the tick count wraps at 2^32 ms and the elapsed time is the
// unsigned difference, so a start just before the wrap changes nothing.
TEST_F(TransitionsTest, PositionsFollowTheClockAcrossTheTickWrap)
{
    TBitmap start, target;
    Paint(start, {"AB"});
    Paint(target, {"ab"});
    struct TCase {
        TQkTransitionProfile Profile;
        int64_t Elapsed;
        int32_t Expected;
    };
    const TCase cases[] = {
        {tpLinear, 333, 340},  {tpLinear, 500, 512},        {tpLinear, 1000, 1024},
        {tpExponential, 0, 6}, {tpExponential, 1000, 1003}, {tpLogarithmic, 1, 0},
    };
    for (const uint32_t startTick : {0u, 0xFFFFFFFFu - 300}) {
        for (const TCase& test : cases) {
            clock.AdvanceMs(uint32_t(startTick - GetTickCount())); // forward, through the wrap
            ASSERT_EQ(GetTickCount(), startTick);
            ASSERT_TRUE(engine.Start(start, target, 1, 1000, test.Profile, false));
            clock.AdvanceMs(test.Elapsed);
            engine.TimerStep();
            EXPECT_EQ(engine.Position(), test.Expected) << int(test.Profile) << " at " << test.Elapsed;
            EXPECT_EQ(engine.Running(), test.Elapsed < 1000);
            engine.Stop();
        }
    }
}

TEST_F(TransitionsTest, FadesMixByWeightsOutOf1024)
{
    view.SetBackground(TColor(0x1E140A)); // red 10, green 20, blue 30
    TBitmap start, target;
    Fill(start, 4, 2, TColor(0x002864)); // red 100, green 40, blue 0 (as blue, green, red: 0, 40, 100)
    Fill(target, 4, 2, TColor(0xFFF0C8)); // red 200, green 240, blue 255
    struct TCase {
        int32_t Effect;
        int32_t Position;
        TColor Expected;
    };
    // Per channel, e.g. cross fade red (100 * 768 + 200 * 256) >> 10 = 125.
    const TCase cases[] = {
        {1, 256, TColor(0x3F5A7D)}, // 63, 90, 125
        {2, 256, TColor(0x07234D)}, // toward the background: 7, 35, 77
        {3, 256, TColor(0x564B39)}, // from the background: 86, 75, 57
        {4, 512, TColor(0x1E140A)}, // the background alone
        {4, 256, TColor(0x0F1E37)}, // halfway to the background
    };
    for (const TCase& test : cases) {
        const TBitmap& frame = FrameAt(start, target, test.Effect, test.Position);
        EXPECT_EQ(PixelOf(frame, 3, 1), test.Expected) << test.Effect << " at " << test.Position;
        engine.Stop();
    }
}

// Wipes, slides, pushes and slide-outs on a 4 x 2 image at positions 512
// and 256; red is the wipe's edge line.
TEST_F(TransitionsTest, WipesSlidesAndPushesMoveWholePixels)
{
    TBitmap start, target;
    Paint(start, {"ABCD", "EFGH"});
    Paint(target, {"abcd", "efgh"});
    struct TCase {
        int32_t Effect;
        int32_t Position;
        std::vector<std::string> Expected;
    };
    const TCase cases[] = {
        {5, 512, {"abCD", "efGH"}},  {6, 512, {"abRD", "efRH"}},  {7, 512, {"ABcd", "EFgh"}},
        {8, 512, {"ABRd", "EFRh"}},  {9, 512, {"abcd", "EFGH"}},  {10, 512, {"abcd", "RRRR"}},
        {11, 512, {"ABCD", "efgh"}}, {12, 512, {"ABCD", "RRRR"}}, {13, 512, {"ghCD", "EFGH"}},
        {14, 512, {"ABef", "EFGH"}}, {15, 512, {"ABCD", "cdGH"}}, {16, 512, {"ABCD", "EFab"}},
        {17, 512, {"cdAB", "ghEF"}}, {17, 256, {"dABC", "hEFG"}}, {18, 512, {"abAB", "efEF"}},
        {18, 256, {"aABC", "eEFG"}}, {19, 512, {"CDab", "GHef"}}, {19, 256, {"BCDa", "FGHe"}},
        {20, 512, {"ABab", "EFef"}}, {20, 256, {"ABCa", "EFGe"}}, {21, 512, {"efgh", "ABCD"}},
        {22, 512, {"abcd", "ABCD"}}, {23, 512, {"EFGH", "abcd"}}, {24, 512, {"EFGH", "efgh"}},
        {5, 256, {"aBCD", "eFGH"}},  {7, 256, {"ABCd", "EFGh"}},
    };
    for (const TCase& test : cases) {
        EXPECT_EQ(Letters(FrameAt(start, target, test.Effect, test.Position)), test.Expected)
            << test.Effect << " at " << test.Position;
        engine.Stop();
    }
}

// The centre rectangle at 512 of a 16 x 8 frame is (4, 2) to (12, 6): the
// other image uncovered there (27, 28) or stretched into it with HALFTONE
// (29, 30).
TEST_F(TransitionsTest, CentreRectanglesUncoverOrStretch)
{
    TBitmap start, target;
    Pattern(start, 11);
    Pattern(target, 90);
    for (const int32_t effect : {27, 28, 29, 30}) {
        const bool grow = effect == 27 || effect == 29;
        TBitmap expected;
        expected.Assign(grow ? &start : &target);
        TBitmap& inside = grow ? target : start;
        TCanvas& canvas = *expected.Canvas();
        if (effect <= 28) {
            canvas.BitBlt(4, 2, 8, 4, inside.Canvas(), 4, 2, SRCCOPY);
        } else {
            canvas.SetStretchMode(HALFTONE);
            canvas.StretchBlt(4, 2, 8, 4, inside.Canvas(), 0, 0, 16, 8, SRCCOPY);
        }
        EXPECT_TRUE(SamePixels(FrameAt(start, target, effect, 512), expected)) << effect;
        engine.Stop();
    }
}

// With a fixed seed the random effects repeat: 25 copies round(p * W *
// (p / 180) / 1024) random target pixels per row, 26 as many 8 x 8 boxes
// on a grid of 8 out of W * H div 64.
TEST_F(TransitionsTest, RandomPointsAndBoxesFollowTheSeed)
{
    TBitmap start, target;
    Paint(start, {"ABCD", "EFGH"});
    Paint(target, {"abcd", "efgh"});
    SetRandSeed(7);
    const std::vector<std::string> points = Letters(FrameAt(start, target, 25, 512));
    engine.Stop();
    SetRandSeed(7);
    std::vector<std::string> expected = {"ABCD", "EFGH"};
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t i = 0; i < 6; ++i) { // round(512 * 4 * 2.844 / 1024)
            const int32_t x = Random(4);
            expected[size_t(y)][size_t(x)] = (y == 0 ? "abcd" : "efgh")[x];
        }
    EXPECT_EQ(points, expected);

    Pattern(start, 11);
    Pattern(target, 90);
    SetRandSeed(3);
    TBitmap boxes;
    boxes.Assign(&FrameAt(start, target, 26, 512));
    engine.Stop();
    SetRandSeed(3);
    TBitmap expectedBoxes;
    expectedBoxes.Assign(&start);
    for (int32_t i = 0; i < 3; ++i) { // round(512 * 2 * 2.844 / 1024)
        const int32_t x = Random(16) & ~7;
        const int32_t y = Random(8) & ~7;
        expectedBoxes.Canvas()->BitBlt(x, y, 8, 8, target.Canvas(), x, y, SRCCOPY);
    }
    EXPECT_TRUE(SamePixels(boxes, expectedBoxes));
}

// Effect 213 renders the interpolated rectangle of the zoom source onto the
// whole frame; a rectangle cut at the source's edge is letterboxed over the
// view's background.
TEST_F(TransitionsTest, ZoomRendersTheInterpolatedRectangle)
{
    TBitmap start, target, sourceImage;
    Pattern(start, 1);
    Pattern(target, 2);
    Pattern(sourceImage, 50);
    TQkBitmap source;
    source.CopyFromTBitmap(sourceImage);

    // At 512 (0, 0, 16, 8) -> (4, 2, 12, 6) is (2, 1, 14, 7).
    ASSERT_TRUE(engine.StartZoom(start, target, source, {0, 0, 16, 8}, {4, 2, 12, 6}, 1024, tpLinear, false));
    TBitmap expected(16, 8, pf24bit);
    RenderToTBitmap(source, expected, {0, 0, 16, 8}, {2, 1, 12, 6}, 255, rfNone, 0);
    EXPECT_TRUE(SamePixels(StepsTo(512), expected));
    engine.Stop();

    // (-8, 0, 8, 8) starts at column 0 and is 8 wide: 8 x 8 centred at 4.
    for (const bool imageView : {false, true}) {
        TFakeView other(imageView);
        other.SetBackground(clBlue);
        TQkTransitionEffects zoom(other);
        ASSERT_TRUE(zoom.StartZoom(start, target, source, {-8, 0, 8, 8}, {-8, 0, 8, 8}, 1024, tpLinear, false));
        zoom.TimerStep();
        const TBitmap& frame = zoom.CurrentFrame();
        const TColor background = imageView ? clLime : clBlue;
        TBitmap drawn(16, 8, pf24bit);
        RenderToTBitmap(source, drawn, {4, 0, 8, 8}, {0, 0, 8, 8}, 255, rfNone, 0);
        for (int32_t y = 0; y < 8; ++y)
            for (int32_t x = 0; x < 16; ++x) {
                const TColor expectedColour = x < 4 || x >= 12 ? background : PixelOf(drawn, x, y);
                ASSERT_EQ(PixelOf(frame, x, y), expectedColour) << x << "," << y << (imageView ? " image view" : "");
            }
    }
}

namespace {

struct TPainterCall {
    TCanvas* Canvas;
    TBitmap* Start;
    TBitmap* Target;
    int32_t Percent;
    int32_t Step;
    TRect Rect;
    TStretchMode Mode;
};
std::vector<TPainterCall> painterCalls;

void RecordingPainter(TCanvas& canvas, TBitmap& start, TBitmap& target, int32_t percent, int32_t step,
                      const TRect& rect)
{
    painterCalls.push_back({&canvas, &start, &target, percent, step, rect, canvas.StretchMode()});
}

} // namespace

// Effect n of the named table paints through row n - 1: the start image at
// position 0, the painter with the percentage after.
TEST_F(TransitionsTest, NamedEffectsCallTheirPainter)
{
    TBitmap start, target;
    Pattern(start, 1);
    Pattern(target, 2);
    Effects()[40].Painter = RecordingPainter;
    painterCalls.clear();
    ASSERT_TRUE(engine.Start(start, target, 41, 1024, tpLinear, false));
    engine.TimerStep();
    EXPECT_TRUE(painterCalls.empty());
    EXPECT_TRUE(SamePixels(engine.CurrentFrame(), start));
    StepsTo(519);
    Effects()[40].Painter = nullptr;
    ASSERT_EQ(painterCalls.size(), 1u);
    const TPainterCall& call = painterCalls[0];
    EXPECT_EQ(call.Canvas, const_cast<TBitmap&>(engine.CurrentFrame()).Canvas());
    EXPECT_TRUE(SamePixels(*call.Start, start));
    EXPECT_TRUE(SamePixels(*call.Target, target));
    EXPECT_EQ(call.Percent, 51); // round(519 / 1024 * 100) = round(50.68)
    EXPECT_EQ(call.Step, 1);
    EXPECT_EQ(call.Rect, (TRect{0, 0, 16, 8}));
    EXPECT_EQ(call.Mode, HALFTONE);
}

// A whole run: a frame per step into the view, the events per step, the
// target image at the end with the finish flag, then Stop.
TEST_F(TransitionsTest, AWholeRunEndsThroughStop)
{
    for (const int32_t effect : {1, 213}) {
        SCOPED_TRACE(effect);
        TForm form(nullptr);
        form.SetBorderStyle(bsNone);
        form.SetBounds(0, 0, 16, 8);
        TFakeView shown(false);
        shown.SetParent(&form);
        shown.SetBounds(0, 0, 16, 8);
        form.Show();
        TQkTransitionEffects run(shown);
        TBitmap start, target;
        Pattern(start, 1);
        Pattern(target, 2);
        TQkBitmap source;
        source.CopyFromTBitmap(target);
        std::vector<int32_t> steps, paints;
        std::vector<const TBitmap*> painted;
        int32_t stops = 0;
        run.OnTransitionStep = [&](TObject* sender, int32_t step) {
            EXPECT_EQ(sender, &shown);
            steps.push_back(step);
        };
        run.SetOnTransitionPaint([&](TObject* sender, TBitmap& bitmap, TQkTransitionEffects& transition, int32_t step) {
            EXPECT_EQ(sender, &shown);
            EXPECT_EQ(&transition, &run);
            paints.push_back(step);
            painted.push_back(&bitmap);
            TBitmap onView(16, 8, pf24bit);
            onView.Canvas()->BitBlt(0, 0, 16, 8, form.BackingStore()->Canvas(), 0, 0, SRCCOPY);
            EXPECT_TRUE(SamePixels(onView, bitmap));
        });
        run.OnTransitionStop = [&](TObject* sender) {
            EXPECT_EQ(sender, &shown);
            ++stops;
        };
        const bool started = effect == 1
            ? run.Start(start, target, 1, 100, tpLinear, true)
            : run.StartZoom(start, target, source, {0, 0, 16, 8}, {0, 0, 16, 8}, 100, tpLinear, true);
        ASSERT_TRUE(started);
        EXPECT_EQ(shown.PaintLock(), 1);
        EXPECT_TRUE(run.TimerEnabled());
        for (int32_t i = 0; i < 10 && run.Running(); ++i) {
            run.TimerStep();
            clock.AdvanceMs(30);
        }
        EXPECT_FALSE(run.Running());
        EXPECT_EQ(steps, (std::vector<int32_t>{0, 0, 307, 614, 921}));
        std::vector<int32_t> expectedPaints = steps;
        if (effect == 1)
            expectedPaints.push_back(1024);
        EXPECT_EQ(paints, expectedPaints);
        EXPECT_EQ(painted.back(), effect == 1 ? &run.TargetImage() : &run.CurrentFrame());
        EXPECT_EQ(run.FrameCount(), 5);
        EXPECT_EQ(stops, 1);
        EXPECT_EQ(shown.Updates, 1);
        EXPECT_EQ(shown.PaintLock(), 0);
        EXPECT_FALSE(run.TimerEnabled());
        for (const TBitmap* frame : {&run.CurrentFrame(), &run.StartImage(), &run.TargetImage()})
            EXPECT_TRUE(frame->Width() == 1 && frame->Height() == 1);
        run.Stop();
        run.TimerStep();
        EXPECT_EQ(stops, 1);
        EXPECT_EQ(shown.PaintLock(), 0);
    }
}

TEST_F(TransitionsTest, StartRefusesWhatIsNoTransition)
{
    TBitmap small, large, empty(0, 0, pf24bit);
    Pattern(small, 1);
    Pattern(large, 2);
    large.SetSize(17, 8);
    TBitmap other;
    Pattern(other, 3);
    EXPECT_FALSE(engine.Start(small, large, 1, 100, tpLinear, false));
    EXPECT_FALSE(engine.Start(empty, empty, 1, 100, tpLinear, false));
    for (const int32_t effect : {0, -1, 213, 215})
        EXPECT_FALSE(engine.Start(small, other, effect, 100, tpLinear, false)) << effect;
    EXPECT_FALSE(engine.Start(small, other, 1, 100, TQkTransitionProfile(3), false));
    EXPECT_FALSE(engine.Running());
    EXPECT_EQ(view.PaintLock(), 0);
    engine.Stop();
    EXPECT_EQ(view.Updates, 0);
}

// A handler that stops or restarts the transition ends the step it runs in.
TEST_F(TransitionsTest, HandlersMayStopOrRestartDuringAStep)
{
    TBitmap start, target;
    Pattern(start, 1);
    Pattern(target, 2);
    TBitmap small(2, 2, pf24bit);
    int32_t stops = 0;
    engine.OnTransitionStop = [&](TObject*) { ++stops; };
    engine.OnTransitionStep = [&](TObject*, int32_t) { engine.Stop(); };
    ASSERT_TRUE(engine.Start(start, target, 17, 100, tpLinear, false));
    engine.TimerStep();
    EXPECT_FALSE(engine.Running());
    EXPECT_EQ(stops, 1);

    engine.OnTransitionStep = nullptr;
    engine.SetOnTransitionPaint([&](TObject*, TBitmap&, TQkTransitionEffects&, int32_t) {
        if (engine.CurrentFrame().Width() == 16)
            engine.Start(small, small, 21, 100, tpLinear, false);
    });
    ASSERT_TRUE(engine.Start(start, target, 17, 0, tpLinear, false));
    engine.TimerStep();
    EXPECT_TRUE(engine.Running());
    EXPECT_EQ(engine.CurrentFrame().Width(), 2);
    EXPECT_EQ(engine.Effect(), 21);
    EXPECT_EQ(view.PaintLock(), 1);
}

// Every painter of the table over whole runs: what it may write, where, and
// that it repeats itself.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TransitionTestSupport.h"
#include "imaging/core/QkRandom.h"

namespace {

constexpr int32_t Margin = 3;

bool Shredded(int32_t effect) { return (effect >= 95 && effect <= 112) || (effect >= 147 && effect <= 150); }
// The painters whose construction shows something at progress 0: the
// build-ups smear the new image over the whole frame, the shredded and
// speckled edges jitter past the start, the shapes shrinking to the centre
// do not cover the corners of every frame (the cross at all), the four
// triangles of 177 leave a seam on odd sizes, the diamond of 182 passes
// through the corners, the page's edge is drawn at
// x 0, and the closing zigzag band is only 11 steps wide on small frames.
bool DrawsAtProgressZero(int32_t effect)
{
    return (effect >= 57 && effect <= 60) || Shredded(effect) || effect == 118 || effect == 177 || effect == 182 ||
        effect == 189 || effect == 190 || effect == 191 || (effect >= 202 && effect <= 210 && effect % 2 == 0);
}
bool Squeeze(int32_t effect) { return effect >= 155 && effect <= 158; }
bool DrawsEdge(int32_t effect) { return effect == 187 || effect == 189; }

// Red and blue only; the squeezes may blend the two where their shrink meets
// the pushed-in image, the page flips with an edge draw it black.
bool Allowed(int32_t effect, TColor c)
{
    if (c == clRed || c == clBlue)
        return true;
    if (DrawsEdge(effect) && c == clBlack)
        return true;
    return Squeeze(effect) && GetGValue(c) == 0 && GetRValue(c) + GetBValue(c) >= 254 &&
        GetRValue(c) + GetBValue(c) <= 256;
}

// The first pixel written outside the rectangle or of a colour the images
// cannot give; empty when there is none.
std::string FirstFault(int32_t effect, const TBitmap& canvas, int32_t w, int32_t h)
{
    for (int32_t y = 0; y < canvas.Height(); ++y)
        for (int32_t x = 0; x < canvas.Width(); ++x) {
            const TColor c = PixelAt(canvas, x, y);
            const bool inside = x < w && y < h;
            if (inside ? !Allowed(effect, c) : c != clLime)
                return (inside ? "colour " + std::to_string(c) : std::string("outside")) + " at " + std::to_string(x) +
                    "," + std::to_string(y);
        }
    return "";
}

// A run at progress 0, 10, … 100 on one canvas larger than the rectangle by
// a green margin; the frames of the run, each checked on the way.
std::vector<std::unique_ptr<TBitmap>> PaintRun(int32_t effect, int32_t w, int32_t h)
{
    const auto prev = Solid(w, h, clRed), next = Solid(w, h, clBlue);
    const auto prevCopy = CopyOf(*prev), nextCopy = CopyOf(*next);
    TBitmap canvas;
    Fill(canvas, w + Margin, h + Margin, clLime);
    canvas.Canvas()->FillSolidRect(TRect{0, 0, w, h}, clRed);
    canvas.Canvas()->SetStretchMode(HALFTONE);
    const auto before = CopyOf(canvas);
    std::vector<std::unique_ptr<TBitmap>> frames;
    for (int32_t progress = 0; progress <= 100; progress += 10) {
        Effects()[size_t(effect - 1)].Painter(*canvas.Canvas(), *prevCopy, *nextCopy, progress, 1, TRect{0, 0, w, h});
        canvas.Canvas()->SetStretchMode(HALFTONE);
        frames.push_back(CopyOf(canvas));
        if (progress == 0 && !DrawsAtProgressZero(effect)) {
            EXPECT_TRUE(SamePixels(canvas, *before)) << "drew at progress 0";
        }
        EXPECT_EQ(FirstFault(effect, canvas, w, h), "") << "progress " << progress;
    }
    EXPECT_TRUE(SamePixels(*prevCopy, *prev) && SamePixels(*nextCopy, *next)) << "changed an image";
    return frames;
}

// A picture whose every pixel differs from its neighbours, so that any
// averaging shows.
std::unique_ptr<TBitmap> Picture(int32_t w, int32_t h, int seed)
{
    auto picture = std::make_unique<TBitmap>(w, h, pf24bit);
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = picture->ScanLine(y);
        for (int32_t i = 0; i < 3 * w; ++i)
            row[i] = uint8_t(i * 29 + y * 83 + seed * 101 + (i * y) % 23);
    }
    return picture;
}

// The frames 0, 10, … 100 of a run from `prev` to `next` on a canvas larger
// than the images by `margin`, cut to the images' size.
std::vector<std::unique_ptr<TBitmap>> PictureRun(int32_t effect, TBitmap& prev, TBitmap& next, int32_t margin)
{
    const int32_t w = prev.Width(), h = prev.Height();
    TBitmap canvas(w + margin, h + margin, pf24bit);
    canvas.Canvas()->Draw(0, 0, &prev);
    SetRandSeed(7);
    std::vector<std::unique_ptr<TBitmap>> frames;
    for (int32_t progress = 0; progress <= 100; progress += 10) {
        canvas.Canvas()->SetStretchMode(HALFTONE);
        Effects()[size_t(effect - 1)].Painter(*canvas.Canvas(), prev, next, progress, 1, TRect{0, 0, w, h});
        auto frame = std::make_unique<TBitmap>(w, h, pf24bit);
        frame->Canvas()->Draw(0, 0, &canvas);
        frames.push_back(std::move(frame));
    }
    return frames;
}

class EveryPainter : public TransitionTableTest, public testing::WithParamInterface<int32_t> {};

} // namespace

// A canvas of the frame's size takes the painters' direct copies and
// shrinks; a larger one is clipped to the frame and draws through the
// canvas. Both give the same pictures.
TEST_P(EveryPainter, DirectAndClippedCanvasesGiveTheSameFrames)
{
    const int32_t effect = GetParam();
    for (const auto& [w, h] : {std::pair{61, 47}, {130, 70}}) {
        const auto prev = Picture(w, h, 1), next = Picture(w, h, 2);
        const auto direct = PictureRun(effect, *prev, *next, 0), clipped = PictureRun(effect, *prev, *next, 5);
        for (size_t i = 0; i < direct.size(); ++i)
            EXPECT_TRUE(SamePixels(*direct[i], *clipped[i])) << w << "x" << h << " frame " << i * 10 << " differs";
    }
}

TEST_P(EveryPainter, DrawsOnlyTheImagesInsideTheRectangleAndRepeats)
{
    const int32_t effect = GetParam();
    for (const auto& [w, h] : {std::pair{400, 300}, {399, 301}, {19, 19}, {1, 1}, {1, 7}, {7, 1}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        SetRandSeed(7);
        const TRandomState before = SaveRandomState();
        const auto first = PaintRun(effect, w, h);
        // The shredded and speckled edges draw new numbers in every frame.
        if (!Shredded(effect)) {
            EXPECT_TRUE(SaveRandomState() == before) << "moved the generator";
        }
        SetRandSeed(7);
        const auto second = PaintRun(effect, w, h);
        for (size_t i = 0; i < first.size(); ++i)
            EXPECT_TRUE(SamePixels(*first[i], *second[i])) << "frame " << i * 10 << " differs";
    }
}

TEST_P(EveryPainter, EmptyRectanglesAndSmallImagesDrawNothing)
{
    const int32_t effect = GetParam();
    const auto prev = Solid(20, 20, clRed), next = Solid(20, 20, clBlue), small = Solid(10, 20, clBlue);
    const auto canvas = Solid(20, 20, clRed), before = Solid(20, 20, clRed);
    const TEffectPainter paint = Effects()[size_t(effect - 1)].Painter;
    for (const int32_t progress : {0, 50, 100}) {
        for (const TRect& rect : {TRect{}, TRect{0, 0, 0, 20}, TRect{0, 0, 20, 0}, TRect{0, 0, -5, 10}})
            paint(*canvas->Canvas(), *prev, *next, progress, 1, rect);
        paint(*canvas->Canvas(), *prev, *small, progress, 1, TRect{0, 0, 20, 20});
        paint(*canvas->Canvas(), *small, *next, progress, 1, TRect{0, 0, 20, 20});
    }
    EXPECT_TRUE(SamePixels(*canvas, *before));
}

INSTANTIATE_TEST_SUITE_P(Rows, EveryPainter, testing::Range(31, 215),
                         [](const testing::TestParamInfo<int32_t>& row) { return std::to_string(row.param); });

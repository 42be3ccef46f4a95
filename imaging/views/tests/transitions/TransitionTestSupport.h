#pragma once
// Frames for the painter tests: a solid red old image and a solid blue new
// one, so that geometry survives halftone smoothing exactly.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/core/QkEffects.h"
#include "imaging/core/QkStartup.h"
#include "imaging/views/BrelvixViewStartup.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Region.h"

// The library started with the views' hooks, so the table has its painters.
class TransitionTableTest : public testing::Test {
protected:
    void SetUp() override
    {
        InstallBrelvixViewStartup();
        LibraryStaticInit();
    }
    void TearDown() override { LibraryStaticFinal(); }
};

inline void Fill(TBitmap& bitmap, int32_t w, int32_t h, TColor colour)
{
    bitmap.ReshapeForOverwrite(w, h, pf24bit);
    bitmap.Canvas()->FillSolidRect(TRect{0, 0, w, h}, colour);
}

inline std::unique_ptr<TBitmap> Solid(int32_t w, int32_t h, TColor colour)
{
    auto bitmap = std::make_unique<TBitmap>();
    Fill(*bitmap, w, h, colour);
    return bitmap;
}

inline std::unique_ptr<TBitmap> CopyOf(const TBitmap& image)
{
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(&image);
    return copy;
}

inline bool SamePixels(const TBitmap& a, const TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int32_t y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.ScanLine(y), b.ScanLine(y), 3 * size_t(a.Width())) != 0)
            return false;
    return true;
}

inline TColor PixelAt(const TBitmap& bitmap, int32_t x, int32_t y)
{
    const uint8_t* p = bitmap.ScanLine(y) + 3 * size_t(x);
    return RGB(p[2], p[1], p[0]);
}

// One effect painted onto a red canvas of the images' size.
struct TPaintedFrame {
    TBitmap Prev, Next, Canvas;
    TPaintedFrame(int32_t w, int32_t h)
    {
        Fill(Prev, w, h, clRed);
        Fill(Next, w, h, clBlue);
        Fill(Canvas, w, h, clRed);
        Canvas.Canvas()->SetStretchMode(HALFTONE);
    }
    TPaintedFrame& Paint(int32_t effect, int32_t progress, int32_t factor = 1)
    {
        Effects()[size_t(effect - 1)].Painter(*Canvas.Canvas(), Prev, Next, progress, factor,
                                              TRect{0, 0, Canvas.Width(), Canvas.Height()});
        return *this;
    }
    bool Blue(int32_t x, int32_t y) const { return PixelAt(Canvas, x, y) == clBlue; }
    // The blue pixels as a region.
    TRegion BlueRegion() const
    {
        std::vector<TRect> runs;
        for (int32_t y = 0; y < Canvas.Height(); ++y)
            for (int32_t x = 0; x < Canvas.Width(); ++x)
                if (Blue(x, y))
                    runs.push_back({x, y, x + 1, y + 1});
        return TRegion::FromRects(runs);
    }
};

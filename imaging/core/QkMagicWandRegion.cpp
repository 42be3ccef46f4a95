#include "imaging/core/QkMagicWandRegion.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "imaging/core/QkBitmap.h"

bool TQkWandColorTest::Passes(TRGBPixel colour) const
{
    return std::abs(colour.r - seed_.r) <= tolerance_ && std::abs(colour.g - seed_.g) <= tolerance_ &&
        std::abs(colour.b - seed_.b) <= tolerance_;
}

TQkWandRegion::TQkWandRegion(int32_t width, int32_t height)
    : Left(std::numeric_limits<int32_t>::max()), Top(std::numeric_limits<int32_t>::max()), width_(width),
      height_(height), rowBytes_(size_t(width) / 8 + 1), visited_(rowBytes_ * size_t(height))
{}

bool TQkWandRegion::Contains(int32_t x, int32_t y) const
{
    return x >= 0 && y >= 0 && x < width_ && y < height_ && GetBit(&visited_[rowBytes_ * size_t(y)], x);
}

void TQkWandRegion::Mark(int32_t x, int32_t y)
{
    SetBit(&visited_[rowBytes_ * size_t(y)], x, true);
    Left = std::min(Left, x);
    Right = std::max(Right, x);
    Top = std::min(Top, y);
    Bottom = std::max(Bottom, y);
}

// The seed fill: each span on the stack is a run of filled pixels of row
// `Row - Direction`, whose neighbours on row `Row` are still to be looked at.
class TQkWandFill {
public:
    TQkWandFill(TQkBitmap& bitmap, TQkWandRegion& region, const TQkWandColorTest& test)
        : bitmap_(bitmap), region_(region), test_(test)
    {}

    void Run(int32_t x, int32_t y)
    {
        Push(y, x, x, 1);
        Push(y + 1, x, x, -1);
        while (!spans_.empty()) {
            const TSpan span = spans_.back();
            spans_.pop_back();
            ExploreRow(span.Row + span.Direction, span);
        }
    }

private:
    struct TSpan {
        int32_t Row;
        int32_t Left;
        int32_t Right;
        int32_t Direction;
    };

    bool Takes(int32_t x, int32_t y)
    {
        return x >= 0 && x < region_.width_ && !region_.Contains(x, y) && test_.Passes(bitmap_.GetPixelRGB(x, y));
    }

    // Spans whose next row lies outside the image are not kept.
    void Push(int32_t row, int32_t left, int32_t right, int32_t direction)
    {
        const int32_t next = row + direction;
        if (next >= 0 && next < region_.height_)
            spans_.push_back({row, left, right, direction});
    }

    // Fills the runs of row `y` that touch the span: first leftwards from its
    // left end, then rightwards across it. Runs go on in the same direction;
    // parts reaching beyond the span turn back.
    void ExploreRow(int32_t y, const TSpan& span)
    {
        int32_t x = span.Left;
        while (Takes(x, y))
            region_.Mark(x--, y);
        bool inRun = x < span.Left;
        int32_t left = x + 1;
        if (inRun) {
            if (left < span.Left)
                Push(y, left, span.Left - 1, -span.Direction);
            x = span.Left + 1;
        }
        for (;;) {
            if (inRun) {
                while (Takes(x, y))
                    region_.Mark(x++, y);
                Push(y, left, x - 1, span.Direction);
                if (x > span.Right + 1)
                    Push(y, span.Right + 1, x - 1, -span.Direction);
            }
            x = SkipToTaken(x + 1, y, span.Right);
            if (x > span.Right)
                return;
            left = x;
            inRun = true;
        }
    }

    int32_t SkipToTaken(int32_t x, int32_t y, int32_t last)
    {
        while (x <= last && !Takes(x, y))
            ++x;
        return x;
    }

    TQkBitmap& bitmap_;
    TQkWandRegion& region_;
    const TQkWandColorTest& test_;
    std::vector<TSpan> spans_;
};

std::optional<TQkWandRegion> TQkWandRegion::Fill(TQkBitmap& bitmap, int32_t x, int32_t y, int32_t tolerance)
{
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    if (x < 0 || y < 0 || x >= width || y >= height)
        return std::nullopt;
    const TQkAccessGuard reading(bitmap, qkaRead);
    TQkWandRegion region(width, height);
    const TQkWandColorTest test(bitmap.GetPixelRGB(x, y), tolerance);
    TQkWandFill(bitmap, region, test).Run(x, y);
    return region;
}

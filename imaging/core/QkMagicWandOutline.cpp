// The outline of a magic-wand region, traced on a grid of 4 x 4 cells per
// pixel so that the polygon follows the pixel edges.

#include <algorithm>
#include <array>
#include <cstdint>
#include <exception>
#include <optional>

#include "imaging/core/QkMagicWand.h"
#include "imaging/core/QkMagicWandRegion.h"

namespace {

enum TCell : uint8_t { Outside = 0, Inside = 1, Traced = 2, Border = 3 };

struct TDirection {
    int32_t Dx;
    int32_t Dy;
    int32_t Code;
};

// In the order the tracer tries them.
constexpr std::array<TDirection, 8> Directions{{
    {1, 0, 0},
    {0, -1, 2},
    {-1, 0, 4},
    {0, 1, 6},
    {1, -1, 1},
    {-1, -1, 3},
    {-1, 1, 5},
    {1, 1, 7},
}};

// The move of each chain code.
constexpr std::array<TPoint, 8> CodeMoves{{{1, 0}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0}, {-1, 1}, {0, 1}, {1, 1}}};

constexpr int32_t FirstDirection = 4;

// The region's bounding box as a bit per pixel, widened inside the box by
// the maximum filter.
class TBoxPixels {
public:
    TBoxPixels(const TQkWandRegion& region, bool maximumFilter)
        : Left(region.Left), Top(region.Top), Width(region.Right - region.Left + 1),
          Height(region.Bottom - region.Top + 1), set_(size_t(Width) * size_t(Height))
    {
        const int32_t reach = maximumFilter ? 1 : 0;
        for (int32_t j = 0; j < Height; ++j)
            for (int32_t i = 0; i < Width; ++i)
                if (region.Contains(Left + i, Top + j))
                    SetAround(i, j, reach);
    }

    bool IsSet(int32_t i, int32_t j) const { return set_[size_t(j) * size_t(Width) + size_t(i)] != 0; }

    const int32_t Left;
    const int32_t Top;
    const int32_t Width;
    const int32_t Height;

private:
    void SetAround(int32_t i, int32_t j, int32_t reach)
    {
        for (int32_t y = std::max(j - reach, 0); y <= std::min(j + reach, Height - 1); ++y)
            for (int32_t x = std::max(i - reach, 0); x <= std::min(i + reach, Width - 1); ++x)
                set_[size_t(y) * size_t(Width) + size_t(x)] = 1;
    }

    std::vector<uint8_t> set_;
};

class TOutlineGrid {
public:
    // Throws std::bad_alloc (or length_error) when the grid cannot be had.
    explicit TOutlineGrid(const TBoxPixels& box)
        : width_(4 * int64_t{box.Width} + 4), height_(4 * int64_t{box.Height} + 4),
          cells_(size_t(width_ * height_), Outside)
    {
        for (int32_t j = 0; j < box.Height; ++j)
            for (int32_t i = 0; i < box.Width; ++i)
                if (box.IsSet(i, j))
                    FillInside(4 * int64_t{i} + 2, 4 * int64_t{j} + 2);
        MarkBorders();
    }

    // The cell holding a border nearest to the corner of the smallest border
    // column and row; the first of equal distances, rows from the top.
    std::optional<TPoint> StartCell() const
    {
        int64_t minColumn = width_;
        int64_t minRow = height_;
        for (int64_t y = 0; y < height_; ++y)
            for (int64_t x = 1; x < width_; ++x)
                if (At(x, y) == Border) {
                    minColumn = std::min(minColumn, x);
                    minRow = std::min(minRow, y);
                }
        std::optional<TPoint> start;
        int64_t best = INT64_MAX;
        for (int64_t y = 0; y < height_; ++y)
            for (int64_t x = 0; x < width_; ++x) {
                const int64_t distance = (x - minColumn) * (x - minColumn) + (y - minRow) * (y - minRow);
                if (At(x, y) == Border && distance < best) {
                    best = distance;
                    start = TPoint{int32_t(x), int32_t(y)};
                }
            }
        return start;
    }

    // The chain codes of the border walked from `start`, each border cell
    // taken once.
    std::vector<uint8_t> Trace(TPoint start)
    {
        std::vector<uint8_t> codes;
        TPoint point = start;
        Set(point, Traced);
        int32_t previous = FirstDirection;
        for (;;) {
            Step(point, previous, codes);
            const std::optional<int32_t> next = FirstBorderAround(point);
            if (!next)
                break;
            Step(point, *next, codes);
            previous = *next;
        }
        for (const TDirection& direction : Directions)
            if (point.X + direction.Dx == start.X && point.Y + direction.Dy == start.Y) {
                codes.push_back(uint8_t(direction.Code));
                break;
            }
        return codes;
    }

private:
    uint8_t At(int64_t x, int64_t y) const
    {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            return Outside;
        return cells_[size_t(y * width_ + x)];
    }
    uint8_t& Cell(int64_t x, int64_t y) { return cells_[size_t(y * width_ + x)]; }
    void Set(TPoint point, TCell value) { Cell(point.X, point.Y) = value; }

    void FillInside(int64_t column, int64_t row)
    {
        for (int64_t y = row; y < row + 4; ++y)
            for (int64_t x = column; x < column + 4; ++x)
                Cell(x, y) = Inside;
    }

    // The cell before and after every run of inside cells, along the rows
    // and along the columns.
    void MarkBorders()
    {
        for (int64_t y = 0; y < height_; ++y) {
            MarkRunEnds(1, width_, 1, [&](int64_t x) -> uint8_t& { return Cell(x, y); });
            MarkRunEnds(width_ - 2, -1, -1, [&](int64_t x) -> uint8_t& { return Cell(x, y); });
        }
        for (int64_t x = 0; x < width_; ++x) {
            MarkRunEnds(1, height_, 1, [&](int64_t y) -> uint8_t& { return Cell(x, y); });
            MarkRunEnds(height_ - 2, -1, -1, [&](int64_t y) -> uint8_t& { return Cell(x, y); });
        }
    }

    // Walks from `first` up to (not including) `end` by `step`; the cell one
    // step before each run's first inside cell becomes a border.
    template <typename TCellAt>
    static void MarkRunEnds(int64_t first, int64_t end, int64_t step, TCellAt cell)
    {
        bool inRun = false;
        for (int64_t i = first; i != end; i += step) {
            if (cell(i) != Inside) {
                inRun = false;
                continue;
            }
            if (!inRun)
                cell(i - step) = Border;
            inRun = true;
        }
    }

    bool Step(TPoint& point, int32_t direction, std::vector<uint8_t>& codes)
    {
        const TDirection& d = Directions[size_t(direction)];
        if (At(int64_t{point.X} + d.Dx, int64_t{point.Y} + d.Dy) != Border)
            return false;
        point = {point.X + d.Dx, point.Y + d.Dy};
        Set(point, Traced);
        codes.push_back(uint8_t(d.Code));
        return true;
    }

    std::optional<int32_t> FirstBorderAround(TPoint point) const
    {
        for (int32_t i = 0; i < int32_t(Directions.size()); ++i)
            if (At(int64_t{point.X} + Directions[size_t(i)].Dx, int64_t{point.Y} + Directions[size_t(i)].Dy) == Border)
                return i;
        return std::nullopt;
    }

    int64_t width_;
    int64_t height_;
    std::vector<uint8_t> cells_;
};

// The start cell and a point wherever the chain turns, in image units.
std::vector<TPoint> Polygon(TPoint start, const std::vector<uint8_t>& codes, const TBoxPixels& box)
{
    int64_t x = start.X - 1 + 4 * int64_t{box.Left};
    int64_t y = start.Y - 1 + 4 * int64_t{box.Top};
    auto imagePoint = [&] { return TPoint{int32_t(x >> 2), int32_t(y >> 2)}; };
    std::vector<TPoint> points{imagePoint()};
    uint8_t previous = codes.empty() ? 0 : codes.front();
    for (const uint8_t code : codes) {
        if (code != previous) {
            points.push_back(imagePoint());
            previous = code;
        }
        x += CodeMoves[code].X;
        y += CodeMoves[code].Y;
    }
    return points;
}

} // namespace

std::vector<TPoint> MagicWandOutline(TQkBitmap& bitmap, int32_t x, int32_t y, int32_t tolerance, bool maximumFilter)
{
    const std::optional<TQkWandRegion> region = TQkWandRegion::Fill(bitmap, x, y, tolerance);
    if (!region || region->Empty())
        return {};
    try {
        const TBoxPixels box(*region, maximumFilter);
        TOutlineGrid grid(box);
        const std::optional<TPoint> start = grid.StartCell();
        if (!start)
            return {};
        return Polygon(*start, grid.Trace(*start), box);
    } catch (const std::exception&) {
        // A region too large for its grid has no outline.
        return {};
    }
}

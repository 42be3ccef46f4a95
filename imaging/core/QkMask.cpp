#include "imaging/core/QkMask.h"

#include "imaging/core/QkBitmapRoutines.h"
#include "imaging/core/QkPixels.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

int32_t MaskRowLength(int32_t width, int32_t bitsPerPixel)
{
    return static_cast<int32_t>((static_cast<int64_t>(width) * bitsPerPixel + 31) / 32 * 4);
}

// An edge of a polygon between its upper and lower end, stepped one row at
// a time with an integer error term, or moved to any row at once.
// 64-bit, so vertices far apart cannot overflow the steps.
struct TPolygonEdge {
    int64_t StartX = 0;
    int64_t UpperY = 0;
    int64_t LowerY = 0;
    int64_t Dx = 0;
    int64_t Dy = 0;
    int64_t X = 0;
    int64_t Error = 0;

    void Advance()
    {
        X += Dx / Dy;
        Error += 2 * (Dx % Dy);
        if (Error > Dy) {
            ++X;
            Error -= 2 * Dy;
        } else if (Error < -Dy) {
            --X;
            Error += 2 * Dy;
        }
    }

    // The state Advance reaches after the rows from UpperY to `row`: the
    // error term grows by 2 x (Dx mod Dy) a row and each correction brings
    // it back by 2 x Dy, so after k rows it is the value of the same residue
    // as 2 x (Dx mod Dy) x k within (-Dy, Dy] (mirrored when it falls), and
    // X has moved once per correction. Vertices are 32-bit, so the product
    // fits 64 unsigned bits.
    void MoveTo(int64_t row)
    {
        const auto steps = static_cast<uint64_t>(row - UpperY);
        const int64_t remainder = Dx % Dy;
        const uint64_t product = static_cast<uint64_t>(remainder < 0 ? -remainder : remainder) * steps;
        const auto whole = static_cast<int64_t>(product / static_cast<uint64_t>(Dy));
        const auto twice = static_cast<int64_t>(2 * (product % static_cast<uint64_t>(Dy)));
        const bool wraps = twice > Dy;
        const int64_t sign = remainder < 0 ? -1 : 1;
        X = StartX + static_cast<int64_t>(steps) * (Dx / Dy) + sign * (whole + (wraps ? 1 : 0));
        Error = sign * (wraps ? twice - 2 * Dy : twice);
    }
};

// True when edge `a` is steeper to the right than or as steep as `b`.
bool SlopeNotBelow(const TPolygonEdge& a, const TPolygonEdge& b)
{
    return static_cast<long double>(a.Dx) * b.Dy >= static_cast<long double>(b.Dx) * a.Dy;
}

// Keeps the active edges in the order their x had when each was inserted;
// the list is not sorted again when edges cross.
void InsertEdge(std::vector<TPolygonEdge>& active, const TPolygonEdge& edge)
{
    const auto place = std::find_if(active.begin(), active.end(), [&edge](const TPolygonEdge& other) {
        return other.X > edge.X || (other.X == edge.X && SlopeNotBelow(other, edge));
    });
    active.insert(place, edge);
}

// The active edges as the row-by-row scan leaves them after the row above
// `row`, visiting only the rows where edges start. Returns the number of
// edges (sorted by their upper row) entered.
size_t EnterEdgesAbove(const std::vector<TPolygonEdge>& edges, std::vector<TPolygonEdge>& active, int64_t row)
{
    size_t next = 0;
    while (next < edges.size() && edges[next].UpperY < row) {
        const int64_t start = edges[next].UpperY;
        std::erase_if(active, [start](const TPolygonEdge& edge) { return edge.LowerY <= start; });
        for (TPolygonEdge& edge : active)
            edge.MoveTo(start);
        for (; next < edges.size() && edges[next].UpperY == start; ++next)
            InsertEdge(active, edges[next]);
    }
    std::erase_if(active, [row](const TPolygonEdge& edge) { return edge.LowerY < row; });
    for (TPolygonEdge& edge : active)
        edge.MoveTo(row - 1);
    return next;
}

} // namespace

void TQkMask::AllocateBits(int32_t width, int32_t height, int32_t bitsPerPixel)
{
    ++FPlaneVersion;
    FPlane.clear();
    FWidth = 0;
    FHeight = 0;
    FBitsPerPixel = 0;
    FRowLen = 0;
    SetEmptyBox();
    FFull = false;
    if (width < 1 || height < 1 || (bitsPerPixel != 1 && bitsPerPixel != 8))
        return;
    FRowLen = MaskRowLength(width, bitsPerPixel);
    FPlane.assign(static_cast<size_t>(FRowLen) * height, 0);
    FWidth = width;
    FHeight = height;
    FBitsPerPixel = bitsPerPixel;
}

void TQkMask::Resize(int32_t newWidth, int32_t newHeight)
{
    TQkMask old;
    std::swap(old.FPlane, FPlane);
    std::swap(old.FRowLen, FRowLen);
    const int32_t oldHeight = FHeight;
    const int32_t left = FLeft, top = FTop, right = FRight, bottom = FBottom;
    AllocateBits(newWidth, newHeight, FBitsPerPixel);
    const int32_t rows = std::min(oldHeight, FHeight);
    const auto bytes = static_cast<size_t>(std::min(old.FRowLen, FRowLen));
    for (int32_t y = 0; y < rows; ++y)
        std::memcpy(GetScanline(y), old.FPlane.data() + static_cast<size_t>(oldHeight - 1 - y) * old.FRowLen, bytes);
    // A one-column box is a box too.
    if (left != EmptyBoxLeft) {
        FLeft = left;
        FTop = top;
        FRight = right;
        FBottom = bottom;
        ClampBox();
    }
}

uint8_t* TQkMask::GetScanline(int32_t y)
{
    // Writable access may change the plane: the scaled copy is rebuilt.
    ++FPlaneVersion;
    return const_cast<uint8_t*>(std::as_const(*this).GetScanline(y));
}

const uint8_t* TQkMask::GetScanline(int32_t y) const
{
    if (y < 0 || y >= FHeight)
        return nullptr;
    return FPlane.data() + static_cast<size_t>(FHeight - 1 - y) * FRowLen;
}

bool TQkMask::IsFullValue(int32_t value) const { return FBitsPerPixel == 1 ? value != 0 : value == 255; }

void TQkMask::SetPixel(int32_t x, int32_t y, int32_t value)
{
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
        return;
    if (value != 0) {
        FLeft = std::min(FLeft, x);
        FTop = std::min(FTop, y);
        FRight = std::max(FRight, x);
        FBottom = std::max(FBottom, y);
    }
    FFull = FFull && IsFullValue(value);
    uint8_t* row = GetScanline(y);
    if (FBitsPerPixel == 1)
        ::SetBit(row, x, value != 0);
    else
        row[x] = static_cast<uint8_t>(value);
}

int32_t TQkMask::GetPixel(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
        return 0;
    const uint8_t* row = GetScanline(y);
    return FBitsPerPixel == 1 ? (GetBit(row, x) ? 1 : 0) : row[x];
}

void TQkMask::Fill(uint8_t value)
{
    ++FPlaneVersion;
    std::fill(FPlane.begin(), FPlane.end(), value);
    FFull = value == 255;
}

void TQkMask::Empty()
{
    Fill(0);
    SetEmptyBox();
}

void TQkMask::SetEmptyBox()
{
    FLeft = EmptyBoxLeft;
    FTop = EmptyBoxLeft;
    FRight = 0;
    FBottom = 0;
}

void TQkMask::ClampBox()
{
    FLeft = IntClamp(FLeft, 0, FWidth - 1);
    FRight = IntClamp(FRight, 0, FWidth - 1);
    FTop = IntClamp(FTop, 0, FHeight - 1);
    FBottom = IntClamp(FBottom, 0, FHeight - 1);
}

void TQkMask::UpdateBounds()
{
    SetEmptyBox();
    for (int32_t y = 0; y < FHeight; ++y)
        for (int32_t x = 0; x < FWidth; ++x)
            if (GetPixel(x, y) != 0) {
                FLeft = std::min(FLeft, x);
                FTop = std::min(FTop, y);
                FRight = std::max(FRight, x);
                FBottom = std::max(FBottom, y);
            }
}

void TQkMask::UpdateFullFlag()
{
    FFull = true;
    for (int32_t y = 0; y < FHeight && FFull; ++y)
        for (int32_t x = 0; x < FWidth; ++x)
            if (!IsFullValue(GetPixel(x, y))) {
                FFull = false;
                break;
            }
}

int32_t TQkMask::DrawHorizontalLine(int32_t value, int32_t x1, int32_t y, int32_t x2)
{
    x1 = std::max(x1, 0);
    x2 = std::min(x2, FWidth - 1);
    uint8_t* row = GetScanline(IntClamp(y, 0, FHeight - 1));
    if (!row)
        return 0;
    const bool set = FBitsPerPixel == 1 ? value == 1 : value == 255;
    FFull = FFull && set;
    if (FBitsPerPixel == 8 && x1 <= x2)
        std::memset(row + x1, static_cast<uint8_t>(value), static_cast<size_t>(x2 - x1 + 1));
    else
        for (int32_t x = x1; x <= x2; ++x)
            ::SetBit(row, x, set);
    return x2 - x1 + 1;
}

void TQkMask::DrawPolygon(int32_t value, const TPoint* points, int32_t count)
{
    if (count < 1 || FPlane.empty())
        return;
    int32_t minY = points[0].Y;
    int32_t maxY = points[0].Y;
    for (int32_t i = 0; i < count; ++i) {
        if (value != 0) {
            FLeft = std::min(FLeft, points[i].X);
            FTop = std::min(FTop, points[i].Y);
            if (points[i].X > FRight)
                FRight = points[i].X - 1;
            if (points[i].Y > FBottom)
                FBottom = points[i].Y - 1;
        }
        minY = std::min(minY, points[i].Y);
        maxY = std::max(maxY, points[i].Y);
    }
    ClampBox();

    // Edges in the order of their upper end's row.
    std::vector<TPolygonEdge> edges;
    for (int32_t i = 0; i < count; ++i) {
        TPoint upper = points[i];
        TPoint lower = points[(i + 1) % count];
        if (upper.Y == lower.Y)
            continue;
        if (upper.Y > lower.Y)
            std::swap(upper, lower);
        edges.push_back({upper.X, upper.Y, lower.Y, static_cast<int64_t>(lower.X) - upper.X,
                         static_cast<int64_t>(lower.Y) - upper.Y, upper.X, 0});
    }
    std::stable_sort(edges.begin(), edges.end(),
                     [](const TPolygonEdge& a, const TPolygonEdge& b) { return a.UpperY < b.UpperY; });

    std::vector<TPolygonEdge> active;
    size_t next = 0;
    int64_t written = 0;
    int64_t firstRow = minY;
    if (minY < 0) {
        // Rows above the plane fill nothing: only the rows where edges start
        // are visited there, to insert them in the same order.
        next = EnterEdgesAbove(edges, active, 0);
        firstRow = 0;
    }
    // Rows below the plane cannot add spans.
    const int32_t lastRow = std::min(maxY, FHeight - 1);
    for (int64_t y = firstRow; y <= lastRow; ++y) {
        std::erase_if(active, [y](const TPolygonEdge& edge) { return edge.LowerY == y; });
        for (TPolygonEdge& edge : active)
            edge.Advance();
        for (; next < edges.size() && edges[next].UpperY == y; ++next)
            InsertEdge(active, edges[next]);
        for (size_t i = 0; i + 1 < active.size(); i += 2)
            written += std::max(0,
                                DrawHorizontalLine(value, static_cast<int32_t>(active[i].X), static_cast<int32_t>(y),
                                                   static_cast<int32_t>(active[i + 1].X - 1)));
    }
    if (written == 0)
        SetEmptyBox();
}

void TQkMask::DrawPolygons(int32_t value, const TPoint* points, int32_t count)
{
    int32_t start = 0;
    for (int32_t i = 0; i <= count; ++i) {
        if (i == count || points[i].X == MaskPolygonSeparator) {
            DrawPolygon(value, points + start, i - start);
            start = i + 1;
        }
    }
    UpdateFullFlag();
}

void TQkMask::Translate(int32_t& dx, int32_t& dy, bool clip)
{
    if (IsEmpty())
        UpdateBounds();
    if (IsEmpty())
        return;
    if (clip) {
        if (FLeft + dx < 0)
            FLeft = -dx;
        if (FRight + dx >= FWidth)
            FRight = FWidth - 1 - dx;
        if (FTop + dy < 0)
            FTop = -dy;
        if (FBottom + dy >= FHeight)
            FBottom = FHeight - 1 - dy;
    } else {
        if (FLeft + dx < 0)
            dx = -FLeft;
        if (FRight + dx >= FWidth)
            dx = FWidth - 1 - FRight;
        if (FTop + dy < 0)
            dy = -FTop;
        if (FBottom + dy >= FHeight)
            dy = FHeight - 1 - FBottom;
    }
    if (dx == 0 && dy == 0)
        return;
    if (FRight < FLeft || FBottom < FTop) {
        Empty();
        return;
    }
    if (FBitsPerPixel == 1)
        TranslateBits(dx, dy);
    else
        TranslateBytes(dx, dy);
    FLeft += dx;
    FRight += dx;
    FTop += dy;
    FBottom += dy;
    ClampBox();
}

void TQkMask::TranslateBits(int32_t dx, int32_t dy)
{
    const int32_t width = FRight - FLeft + 1;
    const int32_t height = FBottom - FTop + 1;
    const int32_t runLength = (width + 7) / 8;
    std::vector<uint8_t> runs(static_cast<size_t>(runLength) * height, 0);
    for (int32_t y = 0; y < height; ++y)
        CopyBitRun(runs.data() + static_cast<size_t>(y) * runLength, GetScanline(FTop + y), 0, FLeft, width, FRowLen);
    std::fill(FPlane.begin(), FPlane.end(), 0);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = GetScanline(FTop + dy + y);
        if (row)
            CopyBitRun(row, runs.data() + static_cast<size_t>(y) * runLength, FLeft + dx, 0, width, runLength);
    }
}

void TQkMask::TranslateBytes(int32_t dx, int32_t dy)
{
    TQkMask copy;
    copy.FPlane = FPlane;
    copy.FWidth = FWidth;
    copy.FHeight = FHeight;
    copy.FRowLen = FRowLen;
    std::fill(FPlane.begin(), FPlane.end(), 0);
    for (int32_t y = FTop; y <= FBottom; ++y) {
        uint8_t* row = GetScanline(y + dy);
        for (int32_t x = FLeft; x <= FRight && row; ++x)
            if (x + dx >= 0 && x + dx < FWidth)
                row[x + dx] = copy.GetScanline(y)[x];
    }
}

#pragma once
// Points, sizes and rectangles with the window system's conventions: a
// rectangle's Right and Bottom lie outside it.

#include <algorithm>
#include <cstdint>

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int32_t cx = 0;
    int32_t cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(int32_t x, int32_t y) { return {x, y}; }
inline TRect Rect(int32_t left, int32_t top, int32_t right, int32_t bottom) { return {left, top, right, bottom}; }
inline TRect Bounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
    return {left, top, left + width, top + height};
}

inline bool IsRectEmpty(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }
inline bool PtInRect(const TRect& r, const TPoint& p)
{
    return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}
inline bool EqualRect(const TRect& a, const TRect& b) { return a == b; }

inline TRect OffsetRect(const TRect& r, int32_t dx, int32_t dy)
{
    return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}
inline TRect InflateRect(const TRect& r, int32_t dx, int32_t dy)
{
    return {r.Left - dx, r.Top - dy, r.Right + dx, r.Bottom + dy};
}

// Empty (all zero) when the rectangles do not overlap.
inline TRect IntersectRect(const TRect& a, const TRect& b)
{
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    return IsRectEmpty(r) ? TRect{} : r;
}

// An empty rectangle does not widen the union.
inline TRect UnionRect(const TRect& a, const TRect& b)
{
    if (IsRectEmpty(a))
        return IsRectEmpty(b) ? TRect{} : b;
    if (IsRectEmpty(b))
        return a;
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

// `a` without `b` when that leaves a rectangle (b covers a whole side of a);
// otherwise `a` unchanged. Empty when b covers a.
inline TRect SubtractRect(const TRect& a, const TRect& b)
{
    const TRect overlap = IntersectRect(a, b);
    if (IsRectEmpty(overlap))
        return a;
    const bool fullWidth = overlap.Left == a.Left && overlap.Right == a.Right;
    const bool fullHeight = overlap.Top == a.Top && overlap.Bottom == a.Bottom;
    if (fullWidth && fullHeight)
        return {};
    TRect r = a;
    if (fullWidth && overlap.Top == a.Top)
        r.Top = overlap.Bottom;
    else if (fullWidth && overlap.Bottom == a.Bottom)
        r.Bottom = overlap.Top;
    else if (fullHeight && overlap.Left == a.Left)
        r.Left = overlap.Right;
    else if (fullHeight && overlap.Right == a.Right)
        r.Right = overlap.Left;
    return r;
}

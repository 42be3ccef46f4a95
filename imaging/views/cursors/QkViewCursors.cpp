#include "imaging/views/cursors/QkViewCursors.h"

#include <array>
#include <map>
#include <memory>

#include "platform/gfx/Canvas.h"

namespace {

constexpr int32_t Side = 32;
constexpr TColor Key = RGB(255, 0, 255);

enum TBadge { bdNone, bdPlus, bdMinus };

// Each picture is drawn in black with a white edge on a keyed background.
struct TCursorPainter {
    TBitmap Picture{Side, Side, pf24bit};
    TCanvas& Canvas = *Picture.Canvas();

    TCursorPainter() { Canvas.FillSolidRect(Rect(0, 0, Side, Side), Key); }

    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
    {
        for (TColor colour : {clWhite, clBlack}) {
            Canvas.Pen()->SetColor(colour);
            Canvas.Pen()->SetWidth(colour == clWhite ? 3 : 1);
            Canvas.MoveTo(x1, y1);
            Canvas.LineTo(x2, y2);
        }
    }
    void Cross(int32_t gap)
    {
        Line(16, 2, 16, 16 - gap);
        Line(16, 16 + gap, 16, 30);
        Line(2, 16, 16 - gap, 16);
        Line(16 + gap, 16, 30, 16);
    }
    void Badge(TBadge badge)
    {
        if (badge == bdNone)
            return;
        Line(21, 26, 29, 26);
        if (badge == bdPlus)
            Line(25, 22, 25, 30);
    }
    void Ring(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
    {
        Canvas.Brush()->SetStyle(bsClear);
        for (TColor colour : {clWhite, clBlack}) {
            Canvas.Pen()->SetColor(colour);
            Canvas.Pen()->SetWidth(colour == clWhite ? 3 : 1);
            Canvas.Ellipse(x1, y1, x2, y2);
        }
    }
    void Arrows(bool horizontal, bool vertical)
    {
        if (horizontal) {
            Line(4, 16, 28, 16);
            Line(4, 16, 9, 11);
            Line(4, 16, 9, 21);
            Line(28, 16, 23, 11);
            Line(28, 16, 23, 21);
        }
        if (vertical) {
            Line(16, 4, 16, 28);
            Line(16, 4, 11, 9);
            Line(16, 4, 21, 9);
            Line(16, 28, 11, 23);
            Line(16, 28, 21, 23);
        }
    }
    TCursorImage Done(TPoint hotSpot) { return CursorFromBitmap(Picture, Key, hotSpot); }
};

TCursorImage Magnifier(TBadge badge)
{
    TCursorPainter p;
    p.Ring(2, 2, 20, 20);
    p.Line(18, 18, 28, 28);
    p.Line(7, 11, 15, 11);
    if (badge == bdPlus)
        p.Line(11, 7, 11, 15);
    return p.Done({11, 11});
}

TCursorImage CrossHairs(int32_t gap, TBadge badge)
{
    TCursorPainter p;
    p.Cross(gap);
    p.Badge(badge);
    return p.Done({16, 16});
}

TCursorImage Hand()
{
    TCursorPainter p;
    for (int32_t finger = 0; finger < 4; ++finger)
        p.Line(9 + 4 * finger, 6, 9 + 4 * finger, 18);
    p.Ring(7, 14, 25, 30);
    return p.Done({16, 16});
}

TCursorImage Pen(bool eraser)
{
    TCursorPainter p;
    p.Line(3, 28, 26, 5);
    p.Line(7, 28, 28, 7);
    if (eraser)
        p.Line(3, 22, 9, 28);
    return p.Done({2, 29});
}

TCursorImage Move(bool horizontal, bool vertical)
{
    TCursorPainter p;
    p.Arrows(horizontal, vertical);
    return p.Done({16, 16});
}

// Diagonal arrows for the corner grips.
TCursorImage Diagonal(bool falling)
{
    TCursorPainter p;
    if (falling) {
        p.Line(6, 6, 26, 26);
        p.Line(6, 6, 12, 6);
        p.Line(6, 6, 6, 12);
        p.Line(26, 26, 20, 26);
        p.Line(26, 26, 26, 20);
    } else {
        p.Line(26, 6, 6, 26);
        p.Line(26, 6, 20, 6);
        p.Line(26, 6, 26, 12);
        p.Line(6, 26, 12, 26);
        p.Line(6, 26, 6, 20);
    }
    return p.Done({16, 16});
}

// A quarter arc with an arrow head, turned to each corner.
TCursorImage Rotation(int32_t quarter)
{
    TCursorPainter p;
    const bool right = quarter == 1 || quarter == 2;
    const bool bottom = quarter >= 2;
    const int32_t cx = right ? 4 : 28;
    const int32_t cy = bottom ? 4 : 28;
    p.Canvas.Brush()->SetStyle(bsClear);
    for (TColor colour : {clWhite, clBlack}) {
        p.Canvas.Pen()->SetColor(colour);
        p.Canvas.Pen()->SetWidth(colour == clWhite ? 3 : 1);
        p.Canvas.Arc(cx - 20, cy - 20, cx + 20, cy + 20, 0, 0, 32, 32);
    }
    p.Line(16, 16, 16, 10);
    p.Line(16, 16, 22, 16);
    return p.Done({16, 16});
}

TCursorImage Draw(TCursor cursor)
{
    switch (cursor) {
    case 1778: return Magnifier(bdMinus);
    case 1779: return Magnifier(bdPlus);
    case 1780: return CrossHairs(0, bdNone);
    case 1781: return Pen(true);
    case 1782: return Hand();
    case 1783: return Pen(false);
    case 1784: return CrossHairs(1, bdNone);
    case 1785: return CrossHairs(3, bdNone);
    case 1786: return Move(true, true);
    case 1787: return Move(false, true);
    case 1788: return Move(true, true);
    case 1789: return Move(true, false);
    case 1790: return Move(true, true);
    case 1791: return CrossHairs(3, bdPlus);
    case 1792: return CrossHairs(3, bdMinus);
    case 1793: return CrossHairs(5, bdNone);
    case 1794: return CrossHairs(5, bdPlus);
    case 1795:
    case 1796: return CrossHairs(5, bdMinus);
    case 1811:
    case 1812:
    case 1813:
    case 1814: return Rotation(cursor - 1811);
    default:
        // The grip cursors: sides and corners in turn.
        switch ((cursor - 1797) % 4) {
        case 0: return Diagonal(true);
        case 1: return Diagonal(false);
        case 2: return Move(true, false);
        default: return Move(false, true);
        }
    }
}

} // namespace

const TCursorImage* ViewCursorImage(TCursor cursor)
{
    if (cursor < crViewFirst || cursor > crViewLast)
        return nullptr;
    static std::map<TCursor, TCursorImage> images;
    auto it = images.find(cursor);
    if (it == images.end())
        it = images.emplace(cursor, Draw(cursor)).first;
    return &it->second;
}

void ShowViewCursor(TCursor cursor)
{
    SetCursorShape(cursor);
    if (const TCursorImage* image = ViewCursorImage(cursor))
        SetCursorPicture(*image);
}

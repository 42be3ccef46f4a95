#pragma once
// The image view's cursors, numbered 1778 to 1814 as programs know them,
// each drawn here by its role (zoom, cross-hairs, hand, pen, moves, grips,
// rotation).

#include "platform/gfx/CursorImage.h"
#include "platform/ui/Controls.h"

constexpr TCursor crViewZoomOut = 1778;
constexpr TCursor crViewZoomIn = 1779;
constexpr TCursor crViewCross = 1780;
constexpr TCursor crViewEraser = 1781;
constexpr TCursor crViewHand = 1782;
constexpr TCursor crViewPen = 1783;
constexpr TCursor crViewThinCross = 1784;
// The default: selection cross-hairs.
constexpr TCursor crViewSelect = 1785;
constexpr TCursor crViewSelectAdd = 1791;
constexpr TCursor crViewSelectRemove = 1792;
constexpr TCursor crViewPolygon = 1793;
constexpr TCursor crViewPolygonAdd = 1794;
constexpr TCursor crViewFirst = 1778;
constexpr TCursor crViewLast = 1814;

// The picture of a view cursor; nullptr for other numbers.
const TCursorImage* ViewCursorImage(TCursor cursor);
// Shows a cursor over the view's window: a view cursor by its picture,
// any other by the window layer's shapes.
void ShowViewCursor(TCursor cursor);

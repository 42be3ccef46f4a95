#include "platform/ui/ScreenOverlay.h"

#include <algorithm>

#include "platform/gfx/Canvas.h"
#include "platform/ui/Controls.h"

namespace {

void XorIntoWindow(TWinControl& top, const TBitmap& picture, TPoint screenPos)
{
    TBitmap* store = top.BackingStore();
    if (!store)
        return;
    // The picture's position in backing-store coordinates.
    const TPoint origin = top.ClientToScreen({0, 0});
    const TRect clientInWindow = top.ClientRectInWindow();
    const int32_t left = screenPos.X - origin.X + clientInWindow.Left;
    const int32_t upper = screenPos.Y - origin.Y + clientInWindow.Top;
    const TRect area = IntersectRect(Bounds(left, upper, picture.Width(), picture.Height()),
                                     Rect(0, 0, store->Width(), store->Height()));
    if (IsRectEmpty(area))
        return;
    TBitmap source;
    source.Assign(&picture);
    source.SetPixelFormat(pf32bit);
    for (int32_t y = area.Top; y < area.Bottom; ++y) {
        const uint8_t* src = source.ScanLine(y - upper);
        uint8_t* dst = store->ScanLine(y);
        for (int32_t x = area.Left; x < area.Right; ++x)
            for (int c = 0; c < 3; ++c)
                dst[4 * x + c] ^= src[4 * (x - left) + c];
    }
    top.AddPresentRect(area);
    top.PresentChanges();
}

} // namespace

void XorOntoScreen(const TBitmap& picture, TPoint screenPos)
{
    if (!WindowSystemInstalled())
        return;
    for (HWND window : WindowSystem().TopLevelOrder())
        if (TWinControl* top = WindowSystem().FindControl(window); top && top->Showing())
            XorIntoWindow(*top, picture, screenPos);
}

void XorFrameOntoScreen(const TRect& screenRect, int32_t width, TColor color)
{
    if (IsRectEmpty(screenRect))
        return;
    TBitmap frame(screenRect.Width(), screenRect.Height(), pf32bit);
    TCanvas canvas(&frame);
    canvas.Brush()->SetColor(color);
    canvas.FillRect(Rect(0, 0, frame.Width(), frame.Height()));
    canvas.Brush()->SetColor(clBlack);
    canvas.FillRect(InflateRect(Rect(0, 0, frame.Width(), frame.Height()), -width, -width));
    XorOntoScreen(frame, screenRect.TopLeft());
}

// The painting bases TGraphicControl and TCustomControl with their canvases
// outside the paint pass, the capture control, and the tracking of the
// control under the mouse.

#include <algorithm>

#include "platform/gfx/Bitmap.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Screen.h"

namespace {

TControl* captureControl = nullptr;
TControl* mouseControl = nullptr;
std::function<void(TControl*)> mouseControlHook;

// A canvas over part of a window's client area (client coordinates); a
// control without a window draws on scratch.
TCanvas* CanvasOverClientArea(TWinControl* window, const TRect& clientArea, TWindowCanvasCache& cache)
{
    const TPoint origin = window ? window->ClientOriginInTop() : TPoint{0, 0};
    return cache.Over(window, OffsetRect(clientArea, origin.X, origin.Y));
}

} // namespace

// ---- TWindowCanvasCache ---------------------------------------------------------------

TCanvas* TWindowCanvasCache::Over(TWinControl* window, const TRect& areaInTop)
{
    TWinControl* top = window ? window->TopLevel() : nullptr;
    TBitmap* store = top && window->Showing() ? top->BackingStore() : nullptr;
    if (!store) {
        if (!scratch_)
            scratch_ = std::make_unique<TBitmap>(1, 1, pf32bit);
        canvas_ = std::make_unique<TCanvas>(scratch_.get());
        return canvas_.get();
    }
    TRegion clip;
    clip.Combine(window->VisibleRegion(), TRegion(areaInTop), RGN_AND);
    canvas_ = std::make_unique<TCanvas>(store);
    canvas_->SetDeviceClip(&clip);
    canvas_->SetViewportOrigin(areaInTop.TopLeft());
    top->AddPresentRect(areaInTop);
    return canvas_.get();
}

// ---- TGraphicControl ------------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}

TGraphicControl::~TGraphicControl() = default;

TCanvas* TGraphicControl::Canvas()
{
    if (paintCanvas_)
        return paintCanvas_;
    TCanvas* canvas = CanvasOverClientArea(parent_, BoundsRect(), windowCanvas_);
    canvas->Font()->Assign(Font());
    return canvas;
}

void TGraphicControl::Dispatch(TMessage& message)
{
    if (message.Msg == WM_PAINT) {
        WMPaint(message);
        return;
    }
    TControl::Dispatch(message);
}

void TGraphicControl::WMPaint(TMessage& message)
{
    if (!message.WParam)
        return;
    paintCanvas_ = reinterpret_cast<TCanvas*>(message.WParam);
    int saved = paintCanvas_->SaveDC();
    paintCanvas_->Font()->Assign(Font());
    paintCanvas_->Brush()->SetColor(color_);
    try {
        Paint();
    } catch (...) {
        paintCanvas_->RestoreDC(saved);
        paintCanvas_ = nullptr;
        throw;
    }
    paintCanvas_->RestoreDC(saved);
    paintCanvas_ = nullptr;
}

// ---- TCustomControl -----------------------------------------------------------------------

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

TCustomControl::~TCustomControl() = default;

TCanvas* TCustomControl::Canvas()
{
    if (paintCanvas_)
        return paintCanvas_;
    TCanvas* canvas = CanvasOverClientArea(this, ClientRect(), windowCanvas_);
    canvas->Font()->Assign(Font());
    return canvas;
}

void TCustomControl::PaintWindow(TCanvas& canvas)
{
    paintCanvas_ = &canvas;
    int saved = canvas.SaveDC();
    canvas.Font()->Assign(Font());
    canvas.Brush()->SetColor(color_);
    try {
        Paint();
    } catch (...) {
        canvas.RestoreDC(saved);
        paintCanvas_ = nullptr;
        throw;
    }
    canvas.RestoreDC(saved);
    paintCanvas_ = nullptr;
}

// ---- Capture -----------------------------------------------------------------------------

TControl* GetCaptureControl()
{
    HWND capture = GetCapture();
    if (!capture) {
        captureControl = nullptr;
        return nullptr;
    }
    TWinControl* window = WindowSystem().FindControl(capture);
    if (captureControl && captureControl->Parent() == window)
        return captureControl;
    return window;
}

void SetCaptureControl(TControl* control)
{
    if (!WindowSystemInstalled())
        return;
    if (!control) {
        captureControl = nullptr;
        ReleaseCapture();
        return;
    }
    if (auto* window = dynamic_cast<TWinControl*>(control)) {
        captureControl = nullptr;
        SetCapture(window->Handle());
        return;
    }
    if (!control->Parent())
        return;
    SetCapture(control->Parent()->Handle());
    captureControl = control;
}

// ---- The control under the mouse ------------------------------------------------------------

namespace {

bool TopLevelContains(TWinControl* top, TPoint screen)
{
    if (!top->Showing() || !PtInRect(top->BoundsRect(), screen))
        return false;
    if (!top->ContainsScreenPoint(screen))
        return false;
    return top->Perform(WM_NCHITTEST, 0, PointToLParam(screen)) != HTTRANSPARENT;
}

} // namespace

TWinControl* TopLevelAt(TPoint screen)
{
    if (!WindowSystemInstalled())
        return nullptr;
    const auto& order = WindowSystem().TopLevelOrder();
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        if (TWinControl* top = WindowSystem().FindControl(*it); top && TopLevelContains(top, screen))
            return top;
    return nullptr;
}

TControl* FindDragTarget(TPoint screenPos, bool allowDisabled)
{
    TWinControl* window = TopLevelAt(screenPos);
    if (!window || (!allowDisabled && !window->Enabled()))
        return nullptr;
    for (;;) {
        TControl* child = window->ControlAtPos(window->ScreenToClient(screenPos), allowDisabled, true);
        if (!child)
            return window;
        auto* win = dynamic_cast<TWinControl*>(child);
        if (!win)
            return child;
        window = win;
    }
}

TControl* MouseControl() { return mouseControl; }

void SetMouseControlHook(std::function<void(TControl*)> hook) { mouseControlHook = std::move(hook); }

void ForgetControl(TControl* control)
{
    if (mouseControl == control)
        mouseControl = nullptr;
    if (captureControl == control) {
        captureControl = nullptr;
        if (WindowSystemInstalled() && control->Parent() && control->Parent()->HandleAllocated() &&
            GetCapture() == control->Parent()->Handle())
            ReleaseCapture();
    }
}

void UpdateMouseControl()
{
    if (!WindowSystemInstalled())
        return;
    TWindowSystem& ws = WindowSystem();
    TControl* now = ws.CursorOverWindows() ? FindDragTarget(ws.CursorPos(), true) : nullptr;
    if (now != mouseControl) {
        TControl* old = mouseControl;
        mouseControl = now;
        if (old)
            old->Perform(CM_MOUSELEAVE);
        if (now && mouseControl == now)
            now->Perform(CM_MOUSEENTER);
        if (mouseControlHook)
            mouseControlHook(mouseControl);
    }
    if (!ws.CursorOverWindows())
        return;
    // The window under the mouse (or holding it) picks the cursor; its
    // default answer is ApplyCursorAt.
    TControl* control = GetCaptureControl();
    if (!control)
        control = mouseControl;
    auto* window = dynamic_cast<TWinControl*>(control);
    if (!window && control)
        window = control->Parent();
    if (!window)
        return;
    LRESULT hit = control == GetCaptureControl() && control
        ? HTCLIENT
        : window->Perform(WM_NCHITTEST, 0, PointToLParam(ws.CursorPos()));
    window->Perform(WM_SETCURSOR, window->Handle(), MakeWParam(static_cast<uint16_t>(hit), WM_MOUSEMOVE));
}

void ApplyCursorAt(TPoint screen)
{
    TControl* control = GetCaptureControl();
    if (!control)
        control = FindDragTarget(screen, true);
    if (!control)
        return;
    TCursor cursor = Screen()->Cursor();
    for (TControl* c = control; c && cursor == crDefault; c = c->Parent())
        cursor = c->Cursor();
    if (cursor == crDefault)
        cursor = crArrow;
    SetCursorShape(cursor);
}

namespace {

// The native window whose cursor the mouse shows: the capturing control's, else the one under it.
INativeWindow* CursorWindow()
{
    TControl* control = GetCaptureControl();
    TWinControl* top = control
        ? (dynamic_cast<TWinControl*>(control) ? dynamic_cast<TWinControl*>(control) : control->Parent())
        : TopLevelAt(GetCursorPos());
    return top ? top->TopLevel()->NativeWindow() : nullptr;
}

} // namespace

void SetCursorShape(TCursor cursor)
{
    if (INativeWindow* window = CursorWindow())
        window->SetCursor(cursor);
}

void SetCursorPicture(const TCursorImage& cursor)
{
    if (INativeWindow* window = CursorWindow())
        window->SetCursorImage(cursor);
}

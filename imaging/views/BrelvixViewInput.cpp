// The image view's messages: scroll bars, the wheel, keys, focus, size and
// what asynchronous loads post from their workers.

#include "imaging/formats/async/QkIOWorkers.h"
#include "imaging/views/BrelvixView.h"
#include "imaging/views/QkViewArithmetic.h"
#include "platform/core/Types.h"
#include "platform/ui/ScrollBars.h"

void TBrelvixView::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_ERASEBKGND:
        // Paint covers every pixel.
        message.Result = 0;
        return;
    case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS; return;
    case WM_SETCURSOR:
        if (LoWord(message.LParam) == HTCLIENT && ShowOwnCursor()) {
            message.Result = 1;
            return;
        }
        break;
    case QKM_IOREFRESH: Update(); return;
    case QKM_DSHOWNEWFRAME: VideoMessage(message, true); return;
    case QKM_DSHOWEVENT: VideoMessage(message, false); return;
    case QKM_IOPROGRESS:
        if (OnProgress)
            OnProgress(this, static_cast<int32_t>(message.WParam));
        return;
    case QKM_IOFINISHWORK:
        if (OnFinishWork)
            OnFinishWork(this);
        return;
    default: break;
    }
    if (KeyMessage(message))
        return;
    TQkView::Dispatch(message);
    switch (message.Msg) {
    case WM_SIZE:
        if (!updateRunning_)
            Relayout(qkurBackground);
        break;
    case WM_HSCROLL: ScrollMessage(message, false); break;
    case WM_VSCROLL: ScrollMessage(message, true); break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: Invalidate(); break;
    default: break;
    }
}

void TBrelvixView::ScrollMessage(TMessage& message, bool vertical)
{
    const TQkScrollBarParams& bar = vertical ? VerticalScrollBar : HorizontalScrollBar;
    int32_t command = 0;
    int32_t position = vertical ? ViewY() : ViewX();
    switch (LoWord(message.WParam)) {
    case SB_LINEUP: command = 4; break;
    case SB_LINEDOWN: command = 3; break;
    case SB_PAGEUP: command = 6; break;
    case SB_PAGEDOWN: command = 5; break;
    case SB_TOP: command = 2; break;
    case SB_BOTTOM: command = 1; break;
    case SB_THUMBTRACK:
        if (!bar.Tracking)
            return;
        [[fallthrough]];
    case SB_THUMBPOSITION:
        position = SaturateToInt32(Round(HiWord(message.WParam) * (vertical ? vScrollScale_ : hScrollScale_)));
        break;
    default: break;
    }
    if (vertical)
        ScrollVertical(command, position);
    else
        ScrollHorizontal(command, position);
}

bool TBrelvixView::DoMouseWheel(TShiftState shift, int32_t wheelDelta, TPoint mousePos)
{
    if (TQkView::DoMouseWheel(shift, wheelDelta, mousePos))
        return true;
    const TPoint client = ScreenToClient(mousePos);
    DoMouseWheel(wheelDelta, client.X, client.Y, (shift & ssCtrl) != 0);
    return true;
}

void TBrelvixView::DoMouseWheel(int32_t delta, int32_t x, int32_t y, bool ctrlDown)
{
    if (MouseWheel.Action == qkwaNothing || autoFit_)
        return;
    if (MouseWheel.Action == qkwaScroll) {
        int32_t maxX = 0, maxY = 0;
        GetMaxViewXY(maxX, maxY);
        if (ctrlDown || (maxX > 0 && maxY == 0))
            SetViewX(ViewX() + WheelScrollStep(ZoomX(), ClientWidth(), delta, MouseWheel));
        else
            SetViewY(ViewY() + WheelScrollStep(ZoomY(), ClientHeight(), delta, MouseWheel));
        return;
    }
    double zoom = WheelZoom(ZoomX(), delta, MouseWheel);
    if (zoom > ZoomX() && OnZoomIn)
        OnZoomIn(this, zoom);
    else if (zoom < ZoomX() && OnZoomOut)
        OnZoomOut(this, zoom);
    if (MouseWheel.ZoomPosition == 0)
        ChangeZoom(zoom);
    else
        ZoomAt(x, y, false, zoom);
}

// Keys reach the program before the view's own handling: a special key
// (tab, arrows, return, escape) the handler takes stays with the view.
bool TBrelvixView::KeyMessage(TMessage& message)
{
    switch (message.Msg) {
    case CM_WANTSPECIALKEY:
        TQkView::Dispatch(message);
        if (OnSpecialKey) {
            bool handled = false;
            OnSpecialKey(this, static_cast<uint16_t>(message.WParam), KeyDataToShiftState(message.LParam), handled);
            if (handled)
                message.Result = 1;
        }
        return true;
    case CN_KEYDOWN:
    case WM_SYSKEYDOWN:
    case CN_KEYUP:
    case WM_SYSKEYUP: {
        TQkView::Dispatch(message);
        const bool down = message.Msg == CN_KEYDOWN || message.Msg == WM_SYSKEYDOWN;
        if (OnVirtualKey)
            OnVirtualKey(this, static_cast<uint32_t>(message.WParam), message.LParam, down);
        return true;
    }
    default: return false;
    }
}

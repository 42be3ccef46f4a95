#include "platform/ui/ComboListWindow.h"

#include <algorithm>

#include "platform/ui/ComboBox.h"
#include "platform/ui/ScrollBars.h"

TComboListWindow::TComboListWindow(TCustomComboBox& combo) : TCustomControl(nullptr), combo_(combo)
{
    visible_ = false;
    // The list keeps the capture itself while it is open.
    controlStyle_ &= ~csCaptureMouse;
}

void TComboListWindow::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.Style = WS_POPUP | WS_BORDER;
    if (scrolling_)
        params.Style |= WS_VSCROLL;
    params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    params.WndParent = 0;
}

int32_t TComboListWindow::VisibleRows() const
{
    return std::clamp(combo_.Count(), 1, std::max(combo_.DropDownCount(), 1));
}

void TComboListWindow::Open(bool fromMouse)
{
    bool scrolling = combo_.Count() > VisibleRows();
    if (scrolling != scrolling_) {
        scrolling_ = scrolling;
        if (HandleAllocated())
            RecreateWnd();
    }
    SetFont(combo_.Font());
    SetColor(combo_.Color());
    Place();
    open_ = true;
    tracking_ = fromMouse;
    enteredList_ = false;
    SetTopIndex(topIndex_);
    Show();
    SetCapture(Handle());
}

void TComboListWindow::Close()
{
    if (!open_)
        return;
    open_ = false;
    tracking_ = false;
    if (HandleAllocated() && GetCapture() == handle_)
        ReleaseCapture();
    Hide();
}

// Below the combo, or above it when the work area has no room below.
void TComboListWindow::Place()
{
    int32_t height = VisibleRows() * combo_.ItemHeight() + 2;
    int32_t width = std::max(static_cast<int32_t>(combo_.Perform(CB_GETDROPPEDWIDTH)), combo_.Width());
    TPoint below = combo_.ClientToScreen({0, combo_.Height()});
    TRect work = WindowSystem().Backend().WorkArea();
    int32_t top = below.Y;
    if (top + height > work.Bottom && below.Y - combo_.Height() - height >= work.Top)
        top = below.Y - combo_.Height() - height;
    SetBounds(below.X, top, width, height);
}

void TComboListWindow::UpdateScrollBar()
{
    if (!scrolling_ || !HandleAllocated())
        return;
    TScrollInfo info;
    info.Mask = SIF_ALL;
    info.Min = 0;
    info.Max = combo_.Count() - 1;
    info.Page = static_cast<uint32_t>(VisibleRows());
    info.Pos = topIndex_;
    SetScrollInfo(*this, SB_VERT, info);
}

void TComboListWindow::SetHotIndex(int32_t index)
{
    hotIndex_ = index >= 0 && index < combo_.Count() ? index : -1;
    if (hotIndex_ >= 0)
        MakeVisible(hotIndex_);
    Invalidate();
}

void TComboListWindow::SetTopIndex(int32_t index)
{
    topIndex_ = std::clamp(index, 0, std::max(0, combo_.Count() - VisibleRows()));
    UpdateScrollBar();
    Invalidate();
}

void TComboListWindow::MakeVisible(int32_t index)
{
    if (index < topIndex_)
        SetTopIndex(index);
    else if (index >= topIndex_ + VisibleRows())
        SetTopIndex(index - VisibleRows() + 1);
}

TRect TComboListWindow::ItemRect(int32_t index) const
{
    int32_t height = combo_.ItemHeight();
    int32_t top = (index - topIndex_) * height;
    return Rect(0, top, ClientWidth(), top + height);
}

int32_t TComboListWindow::ItemAt(TPoint clientPoint) const
{
    if (!PtInRect(ClientRect(), clientPoint))
        return -1;
    int32_t index = topIndex_ + clientPoint.Y / std::max(combo_.ItemHeight(), 1);
    return index < combo_.Count() ? index : -1;
}

bool TComboListWindow::OverScrollBar(TPoint clientPoint) const
{
    if (!scrolling_)
        return false;
    TRect client = ClientRect();
    return clientPoint.X >= client.Right && clientPoint.X < client.Right + ScrollBarSize &&
        clientPoint.Y >= client.Top && clientPoint.Y < client.Bottom;
}

// Scroll-bar tracking takes the capture for its own press and lets it go at
// the release; the open list takes it back.
void TComboListWindow::WndProc(TMessage& message)
{
    TCustomControl::WndProc(message);
    if (open_ && HandleAllocated() && GetCapture() != handle_ && WindowSystem().IsWindow(handle_))
        SetCapture(handle_);
}

void TComboListWindow::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
        if (open_) {
            MouseButton(message.Msg, LParamToPoint(message.LParam));
            return;
        }
        break;
    case WM_VSCROLL: {
        int32_t rows = VisibleRows();
        switch (LoWord(message.WParam)) {
        case SB_LINEUP: SetTopIndex(topIndex_ - 1); break;
        case SB_LINEDOWN: SetTopIndex(topIndex_ + 1); break;
        case SB_PAGEUP: SetTopIndex(topIndex_ - rows); break;
        case SB_PAGEDOWN: SetTopIndex(topIndex_ + rows); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: SetTopIndex(static_cast<int16_t>(HiWord(message.WParam))); break;
        default: break;
        }
        return;
    }
    default: break;
    }
    TCustomControl::Dispatch(message);
}

void TComboListWindow::MouseButton(uint32_t msg, TPoint p)
{
    int32_t index = ItemAt(p);
    switch (msg) {
    case WM_MOUSEMOVE:
        if (index >= 0) {
            enteredList_ = true;
            if (index != hotIndex_)
                SetHotIndex(index);
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (OverScrollBar(p)) {
            Perform(WM_NCLBUTTONDOWN, static_cast<WPARAM>(HTVSCROLL), PointToLParam(ClientToScreen(p)));
        } else if (PtInRect(ClientRect(), p)) {
            tracking_ = true;
            enteredList_ = true;
            if (index >= 0)
                SetHotIndex(index);
        } else {
            combo_.HideList(false);
        }
        break;
    case WM_LBUTTONUP:
        // The release of the press that opened the list keeps it open unless
        // the mouse was dragged onto an item.
        if (tracking_ && enteredList_ && index >= 0)
            combo_.ChooseFromList(index);
        tracking_ = false;
        break;
    default: break;
    }
}

void TComboListWindow::Paint()
{
    TCanvas& canvas = *Canvas();
    TRect client = ClientRect();
    canvas.Brush()->SetColor(combo_.Color());
    canvas.FillRect(client);
    int32_t last = std::min(combo_.Count(), topIndex_ + VisibleRows());
    for (int32_t i = topIndex_; i < last; ++i)
        combo_.PaintItem(canvas, i, ItemRect(i), i == hotIndex_ ? ODS_SELECTED | ODS_FOCUS : 0);
}

#include "platform/ui/DockTree.h"

#include <algorithm>

#include "platform/gfx/Frames.h"
#include "platform/ui/Form.h"

TDockTree::TDockTree(TWinControl* dockSite) : dockSite_(dockSite)
{
    oldWndProc_ = dockSite_->WindowProc;
    dockSite_->WindowProc = [this](TMessage& message) { WindowProc(message); };
}

TDockTree::~TDockTree() { dockSite_->WindowProc = oldWndProc_; }

void TDockTree::InsertControl(TControl* control, TAlign insertAt, TControl* dropControl)
{
    splitterDrag_.reset();
    if (zones_.Contains(control)) {
        // Dropped on its own zone, or docked again without a place: it stays.
        if (!dropControl || dropControl == control)
            return;
        zones_.Remove(control);
    }
    zones_.Insert(control, insertAt, dropControl, UsualArrangement());
    ResetBounds(true);
}

void TDockTree::RemoveControl(TControl* control)
{
    splitterDrag_.reset();
    if (!zones_.Remove(control))
        return;
    ResetBounds(true);
}

bool TDockTree::GrabbersAtLeft() const { return dockSite_->Align() == alTop || dockSite_->Align() == alBottom; }

TZoneArrangement TDockTree::UsualArrangement() const
{
    return GrabbersAtLeft() ? TZoneArrangement::SideBySide : TZoneArrangement::Stacked;
}

std::vector<TControl*> TDockTree::VisibleClients() const
{
    std::vector<TControl*> visible = zones_.Clients();
    std::erase_if(visible, [](const TControl* c) { return !c->Visible(); });
    return visible;
}

void TDockTree::ResetBounds(bool force)
{
    const TSize size{dockSite_->ClientWidth(), dockSite_->ClientHeight()};
    if (!force && size.cx == laidOutSize_.cx && size.cy == laidOutSize_.cy)
        return;
    laidOutSize_ = size;
    zones_.Layout(dockSite_->AdjustedClientRect(), SplitterWidth, [](const TControl* c) { return c->Visible(); });
    for (TControl* client : VisibleClients()) {
        TRect rect = ZoneOf(client);
        AdjustDockRect(client, rect);
        client->SetAlign(alNone);
        client->SetBoundsRect(rect);
    }
    dockSite_->Invalidate();
}

void TDockTree::AdjustDockRect(TControl*, TRect& rect)
{
    if (GrabbersAtLeft())
        rect.Left += GrabberSize();
    else
        rect.Top += GrabberSize();
}

TRect TDockTree::GrabberRect(const TRect& zone) const
{
    if (GrabbersAtLeft())
        return Rect(zone.Left, zone.Top, zone.Left + GrabberSize(), zone.Bottom);
    return Rect(zone.Left, zone.Top, zone.Right, zone.Top + GrabberSize());
}

TRect TDockTree::CloseButtonRect(const TRect& zone) const
{
    const int32_t size = GrabberSize() - 2;
    if (GrabbersAtLeft())
        return Bounds(zone.Left + 1, zone.Top + 1, size, size);
    return Bounds(zone.Right - size - 1, zone.Top + 1, size, size);
}

void TDockTree::PaintSite(TCanvas& canvas)
{
    for (TControl* client : VisibleClients())
        PaintDockFrame(canvas, client, ZoneOf(client));
}

// Two raised bars along the grabber and a cross for the close button.
void TDockTree::PaintDockFrame(TCanvas& canvas, TControl*, const TRect& rect)
{
    const TRect grabber = GrabberRect(rect);
    const TRect close = CloseButtonRect(rect);
    canvas.Brush()->SetColor(clBtnFace);
    canvas.FillRect(grabber);
    for (int32_t bar = 0; bar < 2; ++bar) {
        TRect line = GrabbersAtLeft()
            ? Rect(grabber.Left + 3 + 3 * bar, close.Bottom + 2, grabber.Left + 5 + 3 * bar, grabber.Bottom - 2)
            : Rect(grabber.Left + 2, grabber.Top + 3 + 3 * bar, close.Left - 2, grabber.Top + 5 + 3 * bar);
        DrawEdge(canvas, line, BDR_RAISEDINNER, BF_RECT);
    }
    canvas.Pen()->SetColor(clBtnText);
    canvas.MoveTo(close.Left + 2, close.Top + 2);
    canvas.LineTo(close.Right - 2, close.Bottom - 2);
    canvas.MoveTo(close.Right - 3, close.Top + 2);
    canvas.LineTo(close.Left + 1, close.Bottom - 2);
}

void TDockTree::PositionDockRect(TControl* client, TControl* dropControl, TAlign dropAlign, TRect& dockRect)
{
    const TRect zone = dropControl == client && zones_.Contains(client)
        ? ZoneOf(client)
        : zones_.InsertionRect(dockSite_->AdjustedClientRect(), SplitterWidth, dropAlign, dropControl,
                               UsualArrangement());
    const TPoint origin = dockSite_->ClientToScreen(zone.TopLeft());
    dockRect = Bounds(origin.X, origin.Y, zone.Width(), zone.Height());
}

TControl* TDockTree::DropPlaceAt(TPoint clientPos, TAlign& side) const
{
    TControl* client = ClientAt(clientPos);
    side = client ? NearestSide(ZoneOf(client), clientPos) : alNone;
    return client;
}

TControl* TDockTree::ClientAt(TPoint clientPos) const
{
    for (TControl* client : VisibleClients())
        if (PtInRect(ZoneOf(client), clientPos))
            return client;
    return nullptr;
}

// A press on a grabber drags its client out, a double click floats it, a
// click on the close button hides it.
bool TDockTree::GrabberMouse(TMessage& message)
{
    const TPoint pos = LParamToPoint(message.LParam);
    TControl* client = ClientAt(pos);
    if (!client || !PtInRect(GrabberRect(ZoneOf(client)), pos))
        return false;
    if (message.Msg == WM_LBUTTONDBLCLK) {
        client->ManualDock(nullptr);
        return true;
    }
    if (PtInRect(CloseButtonRect(ZoneOf(client)), pos)) {
        if (auto* form = dynamic_cast<TCustomForm*>(client))
            form->Close();
        else
            client->Hide();
        ResetBounds(true);
        return true;
    }
    client->BeginDrag(false);
    return true;
}

// A press on a splitter drags it, resizing the zones on either side as the
// mouse moves, until the button is released.
bool TDockTree::SplitterMouse(TMessage& message)
{
    const TPoint pos = LParamToPoint(message.LParam);
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
        splitterDrag_ = zones_.SplitterAt(pos);
        if (splitterDrag_)
            SetCaptureControl(dockSite_);
        return splitterDrag_.has_value();
    case WM_MOUSEMOVE:
        if (!splitterDrag_)
            return false;
        zones_.MoveSplitter(*splitterDrag_, splitterDrag_->Arrangement == TZoneArrangement::SideBySide ? pos.X : pos.Y,
                            2 * GrabberSize());
        ResetBounds(true);
        return true;
    case WM_LBUTTONUP:
    case WM_CANCELMODE:
        if (!splitterDrag_)
            return false;
        splitterDrag_.reset();
        if (GetCaptureControl() == dockSite_)
            SetCaptureControl(nullptr);
        return true;
    case WM_SETCURSOR: {
        const auto splitter =
            splitterDrag_ ? splitterDrag_ : zones_.SplitterAt(dockSite_->ScreenToClient(GetCursorPos()));
        if (!splitter)
            return false;
        SetCursorShape(splitter->Arrangement == TZoneArrangement::SideBySide ? crHSplit : crVSplit);
        message.Result = 1;
        return true;
    }
    default: return false;
    }
}

void TDockTree::WindowProc(TMessage& message)
{
    if (SplitterMouse(message))
        return;
    if ((message.Msg == WM_LBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK) && GrabberMouse(message))
        return;
    oldWndProc_(message);
    if (message.Msg == WM_SIZE || message.Msg == WM_WINDOWPOSCHANGED)
        ResetBounds(false);
}

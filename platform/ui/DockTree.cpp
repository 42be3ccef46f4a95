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

void TDockTree::InsertControl(TControl* control, TAlign, TControl* dropControl)
{
    if (std::find(clients_.begin(), clients_.end(), control) != clients_.end())
        return;
    auto at = std::find(clients_.begin(), clients_.end(), dropControl);
    clients_.insert(at, control);
    ResetBounds(true);
}

void TDockTree::RemoveControl(TControl* control)
{
    if (std::erase(clients_, control) == 0)
        return;
    ResetBounds(true);
}

bool TDockTree::GrabbersAtLeft() const { return dockSite_->Align() == alTop || dockSite_->Align() == alBottom; }

std::vector<TControl*> TDockTree::VisibleClients() const
{
    std::vector<TControl*> visible;
    std::copy_if(clients_.begin(), clients_.end(), std::back_inserter(visible),
                 [](TControl* c) { return c->Visible(); });
    return visible;
}

// Equal shares of the site's client area along the row or column.
TRect TDockTree::ZoneRect(int32_t index, int32_t count) const
{
    const TRect area = dockSite_->AdjustedClientRect();
    if (GrabbersAtLeft()) {
        const int32_t width = area.Width();
        return Rect(area.Left + width * index / count, area.Top, area.Left + width * (index + 1) / count, area.Bottom);
    }
    const int32_t height = area.Height();
    return Rect(area.Left, area.Top + height * index / count, area.Right, area.Top + height * (index + 1) / count);
}

TRect TDockTree::ZoneOf(const TControl* control) const
{
    std::vector<TControl*> visible = VisibleClients();
    auto it = std::find(visible.begin(), visible.end(), control);
    if (it == visible.end())
        return {};
    return ZoneRect(static_cast<int32_t>(it - visible.begin()), static_cast<int32_t>(visible.size()));
}

void TDockTree::ResetBounds(bool force)
{
    const TSize size{dockSite_->ClientWidth(), dockSite_->ClientHeight()};
    if (!force && size.cx == laidOutSize_.cx && size.cy == laidOutSize_.cy)
        return;
    laidOutSize_ = size;
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

void TDockTree::PositionDockRect(TControl*, TControl* dropControl, TAlign, TRect& dockRect)
{
    // A new client takes the zone it will have once inserted: the last, or
    // the one of the control it is dropped on.
    std::vector<TControl*> visible = VisibleClients();
    auto at = std::find(visible.begin(), visible.end(), dropControl);
    TRect zone = ZoneRect(static_cast<int32_t>(at - visible.begin()), static_cast<int32_t>(visible.size()) + 1);
    const TPoint origin = dockSite_->ClientToScreen(zone.TopLeft());
    dockRect = Bounds(origin.X, origin.Y, zone.Width(), zone.Height());
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

void TDockTree::WindowProc(TMessage& message)
{
    if ((message.Msg == WM_LBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK) && GrabberMouse(message))
        return;
    oldWndProc_(message);
    if (message.Msg == WM_SIZE || message.Msg == WM_WINDOWPOSCHANGED)
        ResetBounds(false);
}

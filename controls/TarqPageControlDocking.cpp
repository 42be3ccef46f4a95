// The page control as a dock site: every control docked into it gets a
// page of its own, whose tab carries the control's caption and follows its
// visibility; the page goes when the control leaves.

#include "controls/TarqPageControl.h"

#include "platform/ui/Form.h"

TTarqTabSheet* TTarqPageControl::HostPageOf(const TControl* client) const
{
    for (TTarqTabSheet* page : pages_)
        if (client->Parent() == page && client->HostDockSite() == this)
            return page;
    return nullptr;
}

void TTarqPageControl::CMDockClient(TMessage& message)
{
    message.Result = 0;
    auto* object = reinterpret_cast<TDragDockObject*>(message.WParam);
    TControl* client = object->Control();
    auto* page = new TTarqTabSheet(this);
    newDockPage_ = page;
    try {
        if (auto* form = dynamic_cast<TCustomForm*>(client))
            page->SetCaption(form->Caption());
        page->SetPageControl(this);
        const TPoint topLeft = ScreenToClient(object->DockRect.TopLeft());
        client->Dock(this, Bounds(topLeft.X, topLeft.Y, object->DockRect.Width(), object->DockRect.Height()));
    } catch (...) {
        newDockPage_ = nullptr;
        delete page;
        throw;
    }
    page->SetTabVisible(client->Visible());
    if (client->Visible())
        SetActivePage(page);
    client->SetAlign(alClient);
    newDockPage_ = nullptr;
}

void TTarqPageControl::DoAddDockClient(TControl* client, const TRect& rect)
{
    if (!newDockPage_)
        return;
    client->SetParent(newDockPage_);
    client->SetBoundsRect(rect);
}

void TTarqPageControl::CMDockNotification(TMessage& message)
{
    auto* client = reinterpret_cast<TControl*>(message.WParam);
    const auto* notified = reinterpret_cast<const TMessage*>(message.LParam);
    if (TTarqTabSheet* page = HostPageOf(client)) {
        if (notified->Msg == CM_TEXTCHANGED) {
            const std::string& text = client->Caption();
            page->SetCaption(text.substr(0, text.find_first_of("\r\n")));
        } else if (notified->Msg == CM_VISIBLECHANGED) {
            page->SetTabVisible(notified->WParam != 0);
        }
    }
    TTarqCustomTabControl::Dispatch(message);
}

void TTarqPageControl::CMUnDockClient(TMessage& message)
{
    message.Result = 0;
    auto* client = reinterpret_cast<TControl*>(message.LParam);
    if (TTarqTabSheet* page = HostPageOf(client)) {
        undockingPage_ = page;
        client->SetAlign(alNone);
    }
}

void TTarqPageControl::DoRemoveDockClient(TControl*)
{
    if (!undockingPage_ || HasState(csDestroying))
        return;
    TTarqTabSheet* page = undockingPage_;
    undockingPage_ = nullptr;
    SelectNextPage(true);
    delete page;
}

void TTarqPageControl::DockOver(TDragDockObject* source, int32_t x, int32_t y, TDragState state, bool& accept)
{
    const TPoint origin = ClientToScreen({0, 0});
    source->DockRect = Bounds(origin.X, origin.Y, Width(), Height());
    accept = true;
    if (OnDockOver)
        OnDockOver(this, source, x, y, state, accept);
}

void TTarqPageControl::GetSiteInfo(TControl* client, TRect& influenceRect, TPoint mousePos, bool& canDock)
{
    canDock = HostPageOf(client) == nullptr;
    TTarqCustomTabControl::GetSiteInfo(client, influenceRect, mousePos, canDock);
}

TControl* TTarqPageControl::DockClientAtPos(TPoint clientPos)
{
    if (!DockSite())
        return nullptr;
    const int32_t tab = TabAtPos(clientPos.X, clientPos.Y);
    if (tab < 0)
        return nullptr;
    TTarqTabSheet* page = nullptr;
    for (int32_t step = 0; step <= tab; ++step)
        page = FindNextPage(page, true, true);
    if (!page || page->ControlCount() == 0)
        return nullptr;
    TControl* first = page->Controls(0);
    return first->HostDockSite() == this ? first : nullptr;
}

// A press on a docked control's tab starts dragging it out; with
// DblClickUndocks a double click floats it.
bool TTarqPageControl::DockMouse(TMessage& message)
{
    TControl* client = DockClientAtPos(LParamToPoint(message.LParam));
    if (!client)
        return false;
    if (message.Msg == WM_LBUTTONDOWN) {
        client->BeginDrag(false);
    } else if (dblClickUndocks_) {
        client->ManualDock(nullptr);
        client->SetAlign(alNone);
    }
    return true;
}

// TControl and TWinControl: dragging, docking into dock sites and
// floating in a window of their own.

#include <algorithm>

#include "platform/ui/Application.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DockForm.h"
#include "platform/ui/DockTree.h"
#include "platform/ui/Form.h"

// ---- Dragging ------------------------------------------------------------------------------

void TControl::BeginDrag(bool immediate, int32_t threshold)
{
    if (!CurrentDragControl())
        StartDragOf(this, immediate, threshold);
}

void TControl::EndDrag(bool drop)
{
    if (Dragging())
        FinishDrag(drop);
}

bool TControl::Dragging() const { return CurrentDragControl() == this; }

void TControl::DragOver(TObject* source, int32_t x, int32_t y, TDragState state, bool& accept)
{
    accept = static_cast<bool>(OnDragOver);
    if (OnDragOver)
        OnDragOver(this, source, x, y, state, accept);
}

void TControl::DragDrop(TObject* source, int32_t x, int32_t y)
{
    if (OnDragDrop)
        OnDragDrop(this, source, x, y);
}

void TControl::DoStartDrag(TDragObject*& dragObject)
{
    if (OnStartDrag)
        OnStartDrag(this, dragObject);
}

void TControl::DoEndDrag(TObject* target, int32_t x, int32_t y)
{
    if (OnEndDrag)
        OnEndDrag(this, target, x, y);
}

void TControl::DoStartDock(TDragDockObject*& dragObject)
{
    if (OnStartDock)
        OnStartDock(this, dragObject);
}

void TControl::DoEndDock(TObject* target, int32_t x, int32_t y)
{
    if (OnEndDock)
        OnEndDock(this, target, x, y);
}

// ---- Docking --------------------------------------------------------------------------------

bool TControl::Floating() const
{
    if (dynamic_cast<TCustomDockForm*>(hostDockSite_.Get()))
        return true;
    return !parent_ && dynamic_cast<const TCustomForm*>(this);
}

namespace {

TRect ScreenRectOf(const TControl* control)
{
    TPoint topLeft = control->Parent() ? control->Parent()->ClientToScreen(control->BoundsRect().TopLeft())
                                       : control->BoundsRect().TopLeft();
    return Bounds(topLeft.X, topLeft.Y, control->Width(), control->Height());
}

// Asks the site the control leaves; true when it lets the control go.
bool LeaveHost(TControl* control, TWinControl* newSite)
{
    TWinControl* host = control->HostDockSite();
    return !host || host == newSite ||
        host->Perform(CM_UNDOCKCLIENT, reinterpret_cast<WPARAM>(newSite), reinterpret_cast<LPARAM>(control)) == 0;
}

} // namespace

bool TControl::ManualDock(TWinControl* site, TControl* dropControl, TAlign controlSide)
{
    if (!site)
        return ManualFloat(ScreenRectOf(this));
    if (!LeaveHost(this, site))
        return false;
    TDragDockObject object(this);
    object.DockTarget = site;
    object.DropAlign = controlSide;
    object.DropOnControl = dropControl;
    const TPoint origin = site->ClientOrigin();
    object.DockRect = Bounds(origin.X, origin.Y, width_, height_);
    if (IDockManager* manager = site->DockManager())
        manager->PositionDockRect(this, dropControl, controlSide, object.DockRect);
    object.DragPos = object.DockRect.TopLeft();
    site->Perform(CM_DOCKCLIENT, reinterpret_cast<WPARAM>(&object), PointToLParam(object.DragPos));
    return true;
}

bool TControl::ManualFloat(const TRect& screenRect)
{
    if (!LeaveHost(this, nullptr))
        return false;
    if (auto* form = dynamic_cast<TCustomForm*>(this)) {
        TWinControl* old = hostDockSite_;
        SetParent(nullptr);
        hostDockSite_.Set(nullptr);
        if (old) {
            std::erase(old->dockClients_, this);
            old->DoRemoveDockClient(this);
        }
        form->SetBoundsRect(screenRect);
        form->Show();
        return true;
    }
    auto* host = new TCustomDockForm(Owner() ? Owner() : Application());
    host->SetBounds(screenRect.Left, screenRect.Top, screenRect.Width(), screenRect.Height());
    host->SetClientSize(screenRect.Width(), screenRect.Height());
    host->SetCaption(Caption());
    TDragDockObject object(this);
    object.DockTarget = host;
    const TPoint origin = host->ClientOrigin();
    object.DockRect = Bounds(origin.X, origin.Y, host->ClientWidth(), host->ClientHeight());
    host->Perform(CM_DOCKCLIENT, reinterpret_cast<WPARAM>(&object), PointToLParam(origin));
    host->Show();
    return true;
}

void TControl::Dock(TWinControl* site, const TRect& rect)
{
    TWinControl* old = hostDockSite_;
    site->DoAddDockClient(this, rect);
    if (std::find(site->dockClients_.begin(), site->dockClients_.end(), this) == site->dockClients_.end())
        site->dockClients_.push_back(this);
    hostDockSite_.Set(site);
    if (old && old != site) {
        std::erase(old->dockClients_, this);
        old->DoRemoveDockClient(this);
    }
}

// ---- Dock sites -----------------------------------------------------------------------------

void TWinControl::SetDockSite(bool value)
{
    if (dockSite_ == value)
        return;
    dockSite_ = value;
    UpdateDockManager();
}

void TWinControl::SetUseDockManager(bool value)
{
    if (useDockManager_ == value)
        return;
    useDockManager_ = value;
    UpdateDockManager();
}

void TWinControl::UpdateDockManager()
{
    if (IsLoading())
        return;
    if (dockSite_ && useDockManager_ && !dockManager_) {
        dockManager_ = CreateDockManager();
        for (TControl* client : dockClients_)
            dockManager_->InsertControl(client, alNone, nullptr);
    } else if (!(dockSite_ && useDockManager_)) {
        dockManager_.reset();
    }
    Invalidate();
}

std::unique_ptr<IDockManager> TWinControl::CreateDockManager() { return std::make_unique<TDockTree>(this); }

void TWinControl::DockOver(TDragDockObject* source, int32_t x, int32_t y, TDragState state, bool& accept)
{
    const TPoint origin = ClientOrigin();
    source->DockRect = Bounds(origin.X, origin.Y, ClientWidth(), ClientHeight());
    source->DropOnControl = nullptr;
    source->DropAlign = alNone;
    if (dockManager_) {
        source->DropOnControl = dockManager_->DropPlaceAt({x, y}, source->DropAlign);
        dockManager_->PositionDockRect(source->Control(), source->DropOnControl, source->DropAlign, source->DockRect);
    }
    accept = true;
    if (OnDockOver)
        OnDockOver(this, source, x, y, state, accept);
}

void TWinControl::DockDrop(TDragDockObject* source, int32_t x, int32_t y)
{
    if (OnDockDrop)
        OnDockDrop(this, source, x, y);
}

void TWinControl::GetSiteInfo(TControl* client, TRect& influenceRect, TPoint mousePos, bool& canDock)
{
    if (OnGetSiteInfo)
        OnGetSiteInfo(this, client, influenceRect, mousePos, canDock);
}

void TWinControl::DoAddDockClient(TControl* client, const TRect& rect)
{
    client->SetParent(this);
    client->SetBoundsRect(rect);
}

void TWinControl::DoRemoveDockClient(TControl*) {}

bool TWinControl::DoUnDock(TWinControl* newTarget, TControl* client)
{
    bool allow = true;
    if (OnUnDock)
        OnUnDock(this, client, newTarget, allow);
    return allow;
}

void TWinControl::CMDockClient(TMessage& message)
{
    auto* object = reinterpret_cast<TDragDockObject*>(message.WParam);
    TControl* client = object->Control();
    const TPoint topLeft = ScreenToClient(object->DockRect.TopLeft());
    client->Dock(this, Bounds(topLeft.X, topLeft.Y, object->DockRect.Width(), object->DockRect.Height()));
    if (dockManager_)
        dockManager_->InsertControl(client, object->DropAlign, object->DropOnControl);
    message.Result = 0;
}

void TWinControl::CMUnDockClient(TMessage& message)
{
    auto* newTarget = reinterpret_cast<TWinControl*>(message.WParam);
    auto* client = reinterpret_cast<TControl*>(message.LParam);
    if (!DoUnDock(newTarget, client)) {
        message.Result = 1;
        return;
    }
    if (dockManager_)
        dockManager_->RemoveControl(client);
    message.Result = 0;
}

// ---- The floating window ----------------------------------------------------------------------

TCustomDockForm::TCustomDockForm(TComponent* owner) : TCustomForm(owner)
{
    SetBorderStyle(bsSizeToolWin);
    SetDockSite(true);
}

void TCustomDockForm::DoAddDockClient(TControl* client, const TRect& rect)
{
    TCustomForm::DoAddDockClient(client, rect);
    client->SetAlign(alClient);
}

void TCustomDockForm::DoRemoveDockClient(TControl* client)
{
    TCustomForm::DoRemoveDockClient(client);
    if (client->Align() == alClient)
        client->SetAlign(alNone);
    if (DockClientCount() == 0)
        Release();
}

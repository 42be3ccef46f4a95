#include "platform/ui/DragDrop.h"

#include <cstdlib>
#include <memory>

#include "platform/ui/Controls.h"
#include "platform/ui/ScreenOverlay.h"

namespace {

// The outline a dock drag shows where the control would go.
constexpr int32_t DockFrameWidth = 3;
constexpr TColor DockFrameColor = clGray;

struct TDragSession {
    TControl* control = nullptr;
    TDragKind kind = dkDrag;
    // The object the events see; `owned` when the drag made it.
    TDragObject* object = nullptr;
    std::unique_ptr<TDragObject> owned;
    bool started = false;
    TPoint startPos;
    int32_t threshold = DefaultDragThreshold;
    // Where the cursor was over the dragged control when docking began.
    TPoint grabOffset;
    TControl* target = nullptr;
    bool accepted = false;
    bool frameShown = false;
    TRect frame;
    bool finishing = false;
};

std::unique_ptr<TDragSession> session;

TDragDockObject* DockObject() { return static_cast<TDragDockObject*>(session->object); }

// What the target's events are told is being dragged: the control itself
// for the drag's own object, else the object a handler supplied.
TObject* SourceForEvents()
{
    if (auto* byControl = dynamic_cast<TDragControlObject*>(session->object); byControl && session->owned)
        return byControl->Control();
    return session->object;
}

void ShowFrame(const TRect& rect)
{
    if (session->frameShown && EqualRect(session->frame, rect))
        return;
    if (session->frameShown)
        XorFrameOntoScreen(session->frame, DockFrameWidth, DockFrameColor);
    session->frame = rect;
    session->frameShown = !IsRectEmpty(rect);
    if (session->frameShown)
        XorFrameOntoScreen(rect, DockFrameWidth, DockFrameColor);
}

void HideFrame() { ShowFrame(TRect{}); }

// ---- Dragging onto controls ----

void SendDragOver(TControl* target, TPoint screen, TDragState state)
{
    TPoint local = target->ScreenToClient(screen);
    bool accept = false;
    target->DragOver(SourceForEvents(), local.X, local.Y, state, accept);
    if (state != dsDragLeave)
        session->accepted = accept;
}

void MoveDrag(TPoint screen)
{
    TControl* under = FindDragTarget(screen, false);
    TDragObject* object = session->object;
    object->DragPos = screen;
    if (under != session->target) {
        if (TControl* old = session->target) {
            session->target = nullptr;
            SendDragOver(old, screen, dsDragLeave);
        }
        session->accepted = false;
        session->target = under;
        if (under)
            SendDragOver(under, screen, dsDragEnter);
    } else if (under) {
        SendDragOver(under, screen, dsDragMove);
    }
    object->DragTarget = session->target;
    if (session)
        SetCursorShape(session->target && session->accepted ? session->control->DragCursor() : crNoDrop);
}

// ---- Docking ----

bool IsDockSiteFor(TWinControl* site, TControl* client, TPoint screen)
{
    if (!site->DockSite() || !site->Showing() || site == client)
        return false;
    if (auto* clientWindow = dynamic_cast<TWinControl*>(client); clientWindow && clientWindow->ContainsControl(site))
        return false;
    TRect influence = Bounds(site->ClientOrigin().X, site->ClientOrigin().Y, site->ClientWidth(), site->ClientHeight());
    bool canDock = true;
    site->GetSiteInfo(client, influence, screen, canDock);
    return canDock && PtInRect(influence, screen);
}

TWinControl* DockSiteAt(TPoint screen)
{
    TControl* under = FindDragTarget(screen, false);
    TWinControl* site = dynamic_cast<TWinControl*>(under);
    if (!site && under)
        site = under->Parent();
    for (; site; site = site->Parent())
        if (IsDockSiteFor(site, session->control, screen))
            return site;
    return nullptr;
}

TRect FloatingRect(TPoint screen)
{
    TControl* control = session->control;
    return Bounds(screen.X - session->grabOffset.X, screen.Y - session->grabOffset.Y, control->Width(),
                  control->Height());
}

void MoveDock(TPoint screen)
{
    TDragDockObject* object = DockObject();
    object->DragPos = screen;
    TWinControl* site = DockSiteAt(screen);
    if (site != object->DockTarget && object->DockTarget) {
        TWinControl* old = object->DockTarget;
        TPoint local = old->ScreenToClient(screen);
        bool ignored = false;
        old->DockOver(object, local.X, local.Y, dsDragLeave, ignored);
    }
    bool entering = site != object->DockTarget;
    object->DockTarget = site;
    object->DockRect = FloatingRect(screen);
    session->accepted = false;
    if (site) {
        TPoint local = site->ScreenToClient(screen);
        site->DockOver(object, local.X, local.Y, entering ? dsDragEnter : dsDragMove, session->accepted);
        if (!session->accepted) {
            object->DockTarget = nullptr;
            object->DockRect = FloatingRect(screen);
        }
    }
    object->DragTarget = object->DockTarget;
    ShowFrame(object->DockRect);
}

void DropDock()
{
    TDragDockObject* object = DockObject();
    TControl* control = session->control;
    TWinControl* site = object->DockTarget;
    const TPoint screen = object->DragPos;
    if (site) {
        if (!control->HostDockSite() || control->HostDockSite() == site ||
            control->HostDockSite()->Perform(CM_UNDOCKCLIENT, reinterpret_cast<WPARAM>(site),
                                             reinterpret_cast<LPARAM>(control)) == 0) {
            site->Perform(CM_DOCKCLIENT, reinterpret_cast<WPARAM>(object), PointToLParam(screen));
            TPoint local = site->ScreenToClient(screen);
            site->DockDrop(object, local.X, local.Y);
            object->Dropped = true;
        }
    } else {
        object->Dropped = control->ManualFloat(object->DockRect);
    }
}

// ---- Starting and ending ----

void Start()
{
    TControl* control = session->control;
    session->started = true;
    if (session->kind == dkDock) {
        TDragDockObject* given = nullptr;
        control->DoStartDock(given);
        if (!given) {
            session->owned = std::make_unique<TDragDockObject>(control);
            given = static_cast<TDragDockObject*>(session->owned.get());
        }
        session->object = given;
        session->grabOffset = control->ScreenToClient(session->startPos);
        if (auto* window = dynamic_cast<TWinControl*>(control))
            session->grabOffset = {session->grabOffset.X + window->ClientRectInWindow().Left,
                                   session->grabOffset.Y + window->ClientRectInWindow().Top};
        return;
    }
    TDragObject* given = nullptr;
    control->DoStartDrag(given);
    if (!given) {
        session->owned = std::make_unique<TDragControlObject>(control);
        given = session->owned.get();
    }
    session->object = given;
}

void Move(TPoint screen)
{
    if (!session->started) {
        if (std::abs(screen.X - session->startPos.X) < session->threshold &&
            std::abs(screen.Y - session->startPos.Y) < session->threshold)
            return;
        Start();
    }
    if (session->kind == dkDock)
        MoveDock(screen);
    else
        MoveDrag(screen);
}

} // namespace

TControl* CurrentDragControl() { return session ? session->control : nullptr; }

void StartDragOf(TControl* control, bool immediate, int32_t threshold)
{
    if (session || !WindowSystemInstalled())
        return;
    session = std::make_unique<TDragSession>();
    session->control = control;
    session->kind = control->DragKind();
    session->startPos = GetCursorPos();
    session->threshold = threshold < 0 ? DefaultDragThreshold : threshold;
    SetCaptureControl(control);
    if (immediate) {
        Start();
        Move(session->startPos);
    }
}

void FinishDrag(bool drop)
{
    if (!session || session->finishing)
        return;
    session->finishing = true;
    const bool started = session->started;
    const TPoint screen = GetCursorPos();
    TObject* target = nullptr;
    if (started && session->kind == dkDock) {
        HideFrame();
        if (drop)
            DropDock();
        if (DockObject()->Dropped)
            target = DockObject()->DockTarget;
    } else if (started && session->target) {
        TControl* over = session->target;
        TPoint local = over->ScreenToClient(screen);
        if (drop && session->accepted) {
            session->object->Dropped = true;
            over->DragDrop(SourceForEvents(), local.X, local.Y);
            target = over;
        } else {
            SendDragOver(over, screen, dsDragLeave);
        }
    }
    std::unique_ptr<TDragSession> done = std::move(session);
    // The drop may have freed the control dragged.
    TControl* control = done->control;
    if (!control)
        return;
    if (!started) {
        // Released before it moved far enough: no drag took place.
        if (GetCaptureControl() == control)
            SetCaptureControl(nullptr);
        return;
    }
    if (GetCaptureControl() == control)
        SetCaptureControl(nullptr);
    ApplyCursorAt(screen);
    TPoint local = target ? static_cast<TControl*>(target)->ScreenToClient(screen) : TPoint{0, 0};
    if (done->kind == dkDock)
        control->DoEndDock(target, local.X, local.Y);
    else
        control->DoEndDrag(target, local.X, local.Y);
}

bool DragMessage(TControl* control, TMessage& message)
{
    if (!session || session->control != control)
        return false;
    switch (message.Msg) {
    case WM_MOUSEMOVE: Move(control->ClientToScreen(LParamToPoint(message.LParam))); return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: FinishDrag(session->started); return true;
    case WM_CANCELMODE: FinishDrag(false); return true;
    case WM_KEYDOWN:
        if (message.WParam != VK_ESCAPE)
            return false;
        FinishDrag(false);
        return true;
    default: return false;
    }
}

void ForgetDragControl(TControl* control)
{
    if (!session)
        return;
    if (session->control == control) {
        session->control = nullptr;
        if (GetCaptureControl() == control)
            SetCaptureControl(nullptr);
        HideFrame();
        if (!session->finishing)
            session.reset();
        return;
    }
    if (session->target == control)
        session->target = nullptr;
    if (session->kind == dkDock && session->object && DockObject()->DockTarget == control)
        DockObject()->DockTarget = nullptr;
}

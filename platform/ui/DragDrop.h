#pragma once
// Dragging controls: the drag objects handed to the drag and dock events,
// the events' types, and the one drag in progress. A drag follows the mouse
// held by the control being dragged; moving it over a control asks that
// control (OnDragOver) whether it takes a drop, releasing the button drops
// it there (OnDragDrop), and the dragged control hears how it ended
// (OnEndDrag). A dock drag moves the control itself: onto a dock site that
// accepts it, or into a floating window of its own.

#include <cstdint>
#include <functional>

#include "platform/core/Persistent.h"
#include "platform/gfx/Geometry.h"
#include "platform/ui/Alignment.h"
#include "platform/ui/Messages.h"

class TControl;
class TWinControl;

enum TDragMode { dmManual, dmAutomatic };
enum TDragKind { dkDrag, dkDock };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

// What is being dragged. A control's OnStartDrag may hand one of its own;
// otherwise the drag makes a TDragControlObject for the control.
class TDragObject : public TObject {
public:
    // The cursor in screen coordinates and the control under it.
    TPoint DragPos;
    TControl* DragTarget = nullptr;
    bool Dropped = false;
};

class TDragControlObject : public TDragObject {
public:
    explicit TDragControlObject(TControl* control) : control_(control) {}
    TControl* Control() const { return control_; }

private:
    TControl* control_;
};

// A control being docked: where it would go (DockRect, screen coordinates)
// and the dock site that would take it (none: it would float).
class TDragDockObject : public TDragControlObject {
public:
    using TDragControlObject::TDragControlObject;
    TRect DockRect;
    TWinControl* DockTarget = nullptr;
    TAlign DropAlign = alNone;
    TControl* DropOnControl = nullptr;
};

using TStartDragEvent = std::function<void(TObject* sender, TDragObject*& dragObject)>;
using TDragOverEvent =
    std::function<void(TObject* sender, TObject* source, int32_t x, int32_t y, TDragState state, bool& accept)>;
using TDragDropEvent = std::function<void(TObject* sender, TObject* source, int32_t x, int32_t y)>;
using TEndDragEvent = std::function<void(TObject* sender, TObject* target, int32_t x, int32_t y)>;
using TStartDockEvent = std::function<void(TObject* sender, TDragDockObject*& dragObject)>;
using TDockOverEvent =
    std::function<void(TObject* sender, TDragDockObject* source, int32_t x, int32_t y, TDragState state, bool& accept)>;
using TDockDropEvent = std::function<void(TObject* sender, TDragDockObject* source, int32_t x, int32_t y)>;
using TUnDockEvent = std::function<void(TObject* sender, TControl* client, TWinControl* newTarget, bool& allow)>;
using TGetSiteInfoEvent =
    std::function<void(TObject* sender, TControl* dockClient, TRect& influenceRect, TPoint mousePos, bool& canDock)>;

// How far the mouse travels with the button down before a drag that was
// not begun at once starts.
constexpr int32_t DefaultDragThreshold = 5;

// The control being dragged (none: nullptr).
TControl* CurrentDragControl();

// The steps a control takes; its BeginDrag, EndDrag and window procedure
// call them.
void StartDragOf(TControl* control, bool immediate, int32_t threshold);
void FinishDrag(bool drop);
// Follows the mouse and the Escape key while `control` is being dragged;
// true when the message belonged to the drag.
bool DragMessage(TControl* control, TMessage& message);
// A control going away leaves the drag (cancelling it when it is the one
// dragged).
void ForgetDragControl(TControl* control);

#pragma once
// Hot tracking of a framed field: a field that has the focus or the mouse over
// it shows its hot look. The edit and the list view follow the focus and
// hover messages the same way; the combo box, whose edit child shares its
// hover, keeps the same state but routes the hover itself.

#include <cstdint>

#include "platform/core/Persistent.h"
#include "platform/ui/Messages.h"

enum TTarqMouseStateKind : uint8_t { msFocus, msMouse };

struct TTarqHotState {
    bool focused = false;
    bool mouseOver = false;

    bool Hot() const { return focused || mouseOver; }
    void Set(TTarqMouseStateKind kind, bool value) { (kind == msFocus ? focused : mouseOver) = value; }
};

// Routes CM_ENTER, CM_EXIT, CM_MOUSEENTER and CM_MOUSELEAVE of `field` through
// its inherited handling `inherited(message)` and its `setMouseState(kind,
// value)`. The field counts as focused from before the inherited CM_ENTER
// until after the inherited CM_EXIT, so that OnEnter and OnExit handlers see
// it focused; OnMouseEnter and OnMouseLeave come after the inherited hover
// handling and before the hot look changes. False, with nothing done, for any other message.
template <class Field, class Inherited, class SetMouseState>
bool DispatchHotMessage(Field& field, TMessage& message, Inherited inherited, SetMouseState setMouseState)
{
    switch (message.Msg) {
    case CM_ENTER:
        setMouseState(msFocus, true);
        inherited(message);
        return true;
    case CM_EXIT:
        inherited(message);
        setMouseState(msFocus, false);
        return true;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE: {
        inherited(message);
        const bool entered = message.Msg == CM_MOUSEENTER;
        if (const TNotifyEvent& handler = entered ? field.OnMouseEnter : field.OnMouseLeave)
            handler(&field);
        setMouseState(msMouse, entered);
        return true;
    }
    default: return false;
    }
}

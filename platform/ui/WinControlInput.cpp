// TWinControl message dispatch, keyboard input with dialog keys and
// accelerators, focus and tab order, mouse routing to window-less children
// and notification reflection.

#include <algorithm>

#include "platform/core/Exceptions.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Form.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ScrollBars.h"

void TWinControl::WndProc(TMessage& message)
{
    if (scrollBars_ && scrollBars_->TrackingMessage(message))
        return;
    uint32_t msg = message.Msg;
    // Escape ends a drag wherever the keyboard focus is.
    if (msg == WM_KEYDOWN && message.WParam == VK_ESCAPE && CurrentDragControl()) {
        FinishDrag(false);
        return;
    }
    if (msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK && IsControlMouseMsg(message))
        return;
    TControl::WndProc(message);
}

void TWinControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_PAINT: WMPaint(message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(message); break;
    case WM_NCPAINT: WMNCPaint(message); break;
    case WM_NCCALCSIZE: WMNCCalcSize(message); break;
    case WM_NCHITTEST: WMNCHitTest(message); break;
    case WM_SETFOCUS: WMSetFocus(message); break;
    case WM_KILLFOCUS: WMKillFocus(message); break;
    case WM_SIZE: WMSize(message); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(message); break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (!DoKeyDown(message))
            DefaultHandler(message);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (!DoKeyUp(message))
            DefaultHandler(message);
        break;
    case WM_CHAR:
        if (!DoKeyPress(message))
            DefaultHandler(message);
        break;
    case WM_MOUSEWHEEL: WMMouseWheel(message); break;
    case WM_SETCURSOR: WMSetCursor(message); break;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: CNKeyDown(message); break;
    case CN_CHAR: CNChar(message); break;
    case CN_SYSCHAR: CNSysChar(message); break;
    case CM_CHILDKEY:
        if (parent_)
            message.Result = parent_->Perform(message.Msg, message.WParam, message.LParam);
        break;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR: Broadcast(message); break;
    case CM_FOCUSCHANGED: Broadcast(message); break;
    case CM_ENTER: DoEnter(); break;
    case CM_EXIT: DoExit(); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(message); break;
    case CM_COLORCHANGED:
        Invalidate();
        NotifyChildren(CM_PARENTCOLORCHANGED);
        break;
    case CM_FONTCHANGED:
        Invalidate();
        NotifyChildren(CM_PARENTFONTCHANGED);
        break;
    case CM_SHOWHINTCHANGED: NotifyChildren(CM_PARENTSHOWHINTCHANGED); break;
    case CM_DOCKCLIENT: CMDockClient(message); break;
    case CM_UNDOCKCLIENT: CMUnDockClient(message); break;
    default: TControl::Dispatch(message); break;
    }
}

void TWinControl::DefaultHandler(TMessage& message) { DefWindowProc(message); }

void TWinControl::DefWindowProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_HSCROLL:
    case WM_VSCROLL: ReflectNotification(message); break;
    case WM_CLOSE: DestroyHandle(); break;
    case WM_KEYUP:
        if (message.WParam == VK_APPS)
            Perform(WM_CONTEXTMENU, handle_, PointToLParam({-1, -1}));
        break;
    case WM_NCLBUTTONDOWN:
        if (message.WParam == static_cast<WPARAM>(HTVSCROLL) || message.WParam == static_cast<WPARAM>(HTHSCROLL)) {
            TPoint client = ScreenToClient(LParamToPoint(message.LParam));
            TPoint local{client.X + ncInsets_.Left, client.Y + ncInsets_.Top};
            if (TWindowScrollBars* bars = WindowScrollBars())
                bars->Press(local);
        } else if (message.WParam == static_cast<WPARAM>(HTCAPTION))
            TopLevel()->Perform(WM_SYSCOMMAND, SC_DRAGMOVE, message.LParam);
        break;
    default: TControl::DefaultHandler(message); break;
    }
}

// A child's notification comes back to the child as CN_*; the id of the
// child is the LParam (WM_COMMAND, scroll bars) or the header's sender.
void TWinControl::ReflectNotification(TMessage& message)
{
    HWND child = 0;
    if (message.Msg == WM_NOTIFY)
        child = reinterpret_cast<const TNMHdr*>(message.LParam)->hwndFrom;
    else if (message.Msg == WM_DRAWITEM)
        child = static_cast<HWND>(message.WParam);
    else
        child = static_cast<HWND>(message.LParam);
    if (!child || child == handle_)
        return;
    if (TWinControl* control = WindowSystem().FindControl(child))
        message.Result = control->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
}

void TWinControl::NotifyChildren(uint32_t msg)
{
    std::vector<TControl*> children = controls_;
    for (TControl* child : children)
        if (ContainsControl(child))
            child->Perform(msg);
}

void TWinControl::Broadcast(TMessage& message)
{
    std::vector<TControl*> children = controls_;
    for (TControl* child : children) {
        if (!ContainsControl(child))
            continue;
        child->WindowProc(message);
        if (message.Result != 0)
            return;
    }
}

// ---- Mouse ------------------------------------------------------------------------

bool TWinControl::IsControlMouseMsg(TMessage& message)
{
    TControl* target = nullptr;
    TControl* capture = GetCaptureControl();
    if (GetCapture() == handle_ && handle_) {
        if (capture && capture != this && capture->parent_ == this)
            target = capture;
    } else {
        target = ControlAtPos(LParamToPoint(message.LParam), false, false);
    }
    if (!target)
        return false;
    TPoint p = LParamToPoint(message.LParam);
    p = {p.X - target->left_, p.Y - target->top_};
    message.Result = target->Perform(message.Msg, message.WParam, PointToLParam(p));
    return true;
}

void TWinControl::WMMouseWheel(TMessage& message)
{
    auto delta = static_cast<int16_t>(HiWord(message.WParam));
    TShiftState shift = MouseKeysToShiftState(LoWord(message.WParam));
    if (DoMouseWheel(shift, delta, LParamToPoint(message.LParam))) {
        message.Result = 1;
        return;
    }
    if (parent_)
        message.Result = parent_->Perform(WM_MOUSEWHEEL, message.WParam, message.LParam);
}

bool TWinControl::DoMouseWheel(TShiftState shift, int32_t wheelDelta, TPoint mousePos)
{
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
    return handled;
}

// In the client area the control under the mouse chooses; elsewhere (a
// frame, a scroll bar) the arrow, unless the screen sets one for all.
void TWinControl::WMSetCursor(TMessage& message)
{
    if (static_cast<int16_t>(LoWord(static_cast<uintptr_t>(message.LParam))) == HTCLIENT)
        ApplyCursorAt(GetCursorPos());
    else
        SetCursorShape(Screen()->Cursor() != crDefault ? Screen()->Cursor() : crArrow);
    message.Result = 1;
}

// ---- Keyboard ------------------------------------------------------------------------

bool TWinControl::DoKeyDown(TMessage& message)
{
    TShiftState shift = KeyDataToShiftState(message.LParam);
    auto key = static_cast<uint16_t>(message.WParam);
    TCustomForm* form = ParentForm();
    if (form && form != this && form->KeyPreview() && form->DoKeyDown(message))
        return true;
    KeyDown(key, shift);
    message.WParam = key;
    return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& message)
{
    TShiftState shift = KeyDataToShiftState(message.LParam);
    auto key = static_cast<uint16_t>(message.WParam);
    TCustomForm* form = ParentForm();
    if (form && form != this && form->KeyPreview() && form->DoKeyUp(message))
        return true;
    KeyUp(key, shift);
    message.WParam = key;
    return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& message)
{
    auto ch = static_cast<char32_t>(message.WParam);
    TCustomForm* form = ParentForm();
    if (form && form != this && form->KeyPreview() && form->DoKeyPress(message))
        return true;
    KeyPress(ch);
    message.WParam = ch;
    return ch == 0;
}

void TWinControl::KeyDown(uint16_t& key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(uint16_t& key, TShiftState shift)
{
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char32_t& key)
{
    if (OnKeyPress)
        OnKeyPress(this, key);
}

namespace {

LRESULT DialogCodeMask(uint16_t key)
{
    switch (key) {
    case VK_TAB: return DLGC_WANTTAB;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: return DLGC_WANTARROWS;
    case VK_RETURN:
    case VK_ESCAPE: return DLGC_WANTALLKEYS;
    default: return 0;
    }
}

} // namespace

// The first look at a key before the control gets WM_KEYDOWN: a dialog key
// the control does not want goes to the form (answer 1: consumed).
void TWinControl::CNKeyDown(TMessage& message)
{
    message.Result = 1;
    auto key = static_cast<uint16_t>(message.WParam);
    if (IsMenuKey(key, KeyDataToShiftState(message.LParam)))
        return;
    if (Perform(CM_CHILDKEY, key, reinterpret_cast<LPARAM>(this)) != 0)
        return;
    LRESULT mask = DialogCodeMask(key);
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, key) == 0 && (Perform(WM_GETDLGCODE) & mask) == 0) {
        TWinControl* form = ParentForm();
        if (!form)
            form = TopLevel();
        if (form->Perform(CM_DIALOGKEY, key, message.LParam) != 0)
            return;
    }
    message.Result = 0;
}

// A shortcut of a popup menu of this control or of a parent.
bool TWinControl::IsMenuKey(uint16_t key, TShiftState shift)
{
    TShortCut shortCut = ShortCut(key, shift);
    for (TControl* c = this; c; c = c->Parent())
        if (c->PopupMenu() && c->PopupMenu()->IsShortCut(shortCut))
            return true;
    return false;
}

// A character the control does not take may be an accelerator ("&x").
void TWinControl::CNChar(TMessage& message)
{
    message.Result = 1;
    if ((Perform(WM_GETDLGCODE) & DLGC_WANTCHARS) == 0) {
        TWinControl* form = ParentForm();
        if (!form)
            form = TopLevel();
        if (form->Perform(CM_DIALOGCHAR, message.WParam, message.LParam) != 0)
            return;
    }
    message.Result = 0;
}

void TWinControl::CNSysChar(TMessage& message)
{
    if (message.WParam == VK_SPACE)
        return;
    TWinControl* form = ParentForm();
    if (!form)
        form = TopLevel();
    message.Result = form->Perform(CM_DIALOGCHAR, message.WParam, message.LParam);
}

// ---- Focus ------------------------------------------------------------------------------

void TWinControl::SetTabStop(bool value)
{
    if (tabStop_ == value)
        return;
    tabStop_ = value;
    Perform(CM_TABSTOPCHANGED);
}

int32_t TWinControl::TabOrder() const
{
    if (!parent_)
        return -1;
    const auto& list = parent_->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int32_t>(it - list.begin());
}

void TWinControl::SetTabOrder(int32_t value)
{
    if (!parent_)
        return;
    auto& list = parent_->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end())
        return;
    list.erase(it);
    value = std::clamp<int32_t>(value, 0, static_cast<int32_t>(list.size()));
    list.insert(list.begin() + value, this);
}

// Visible and enabled up to the form; the form itself may still be hidden
// (its active control is chosen before it is shown).
bool TWinControl::CanFocus() const
{
    const TCustomForm* form = ParentForm();
    for (const TControl* c = this; c && c != form; c = c->parent_)
        if (!c->visible_ || !c->enabled_)
            return false;
    return true;
}

bool TWinControl::Focused() const { return handle_ != 0 && GetFocus() == handle_; }

void TWinControl::SetFocus()
{
    if (TCustomForm* form = ParentForm(); form && form != this) {
        form->FocusControl(this);
        return;
    }
    if (!CanFocus())
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    WindowSystem().SetFocus(Handle());
}

void TWinControl::WMSetFocus(TMessage&)
{
    if (TCustomForm* form = ParentForm())
        form->SetFocusedControl(this);
}

void TWinControl::WMKillFocus(TMessage&) {}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const
{
    for (TWinControl* control : tabList_) {
        list.push_back(control);
        control->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const
{
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty())
        return nullptr;
    auto found = std::find(list.begin(), list.end(), current);
    auto count = static_cast<int32_t>(list.size());
    int32_t start = found == list.end() ? (goForward ? count - 1 : 0) : static_cast<int32_t>(found - list.begin());
    int32_t i = start;
    do {
        i = goForward ? (i + 1) % count : (i + count - 1) % count;
        TWinControl* candidate = list[i];
        if (candidate->CanFocus() && (!checkTabStop || candidate->tabStop_) &&
            (!checkParent || candidate->parent_ == this))
            return candidate;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop)
{
    if (TWinControl* next = FindNextControl(current, goForward, checkTabStop, !checkTabStop))
        next->SetFocus();
}

void TWinControl::SelectFirst()
{
    TCustomForm* form = ParentForm();
    if (!form)
        return;
    TWinControl* control = FindNextControl(nullptr, true, true, false);
    if (!control)
        control = FindNextControl(nullptr, true, false, false);
    if (control)
        form->SetActiveControl(control);
}

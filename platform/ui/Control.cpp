// TControl: bounds, alignment requests, visibility, colour and font
// inheritance, mouse messages and the window procedure chain.

#include <algorithm>

#include "platform/ui/Controls.h"
#include "platform/ui/DockTree.h"
#include "platform/ui/Form.h"
#include "platform/ui/Menus.h"

TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>())
{
    RegisterUiClasses();
    WindowProc = [this](TMessage& message) { WndProc(message); };
    font_->OnChange = [this](TObject* sender) { FontChanged(sender); };
}

TControl::~TControl()
{
    WindowProc = [this](TMessage& message) { WndProc(message); };
    if (MouseControl() == this || GetCaptureControl() == this)
        SetCaptureControl(nullptr);
    ForgetControl(this);
    ForgetDragControl(this);
    if (TWinControl* host = hostDockSite_) {
        std::erase(host->dockClients_, this);
        if (host->dockManager_)
            host->dockManager_->RemoveControl(this);
    }
    if (parent_)
        parent_->RemoveControl(this);
}

// ---- Messages ---------------------------------------------------------------

LRESULT TControl::Perform(uint32_t msg, WPARAM wParam, LPARAM lParam)
{
    TMessage message{msg, wParam, lParam, 0};
    WindowProc(message);
    return message.Result;
}

void TControl::WndProc(TMessage& message)
{
    uint32_t msg = message.Msg;
    // A control without double clicks sees the second press as a press.
    if (!HasStyle(csDoubleClicks) && (msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK))
        message.Msg = msg = msg - (WM_LBUTTONDBLCLK - WM_LBUTTONDOWN);
    if (DragMessage(this, message))
        return;
    // A control dragged automatically starts its drag instead of a click.
    if ((msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) && dragMode_ == dmAutomatic) {
        BeginDrag(false);
        return;
    }
    Dispatch(message);
    // Other messages may have freed the control (CM_RELEASE): ask the message first.
    if ((msg == CM_VISIBLECHANGED || msg == CM_TEXTCHANGED) && hostDockSite_)
        hostDockSite_->Perform(CM_DOCKNOTIFICATION, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(&message));
}

void TControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_LBUTTONDOWN: WMMouseButton(message, mbLeft, true, false); break;
    case WM_LBUTTONDBLCLK: WMMouseButton(message, mbLeft, true, true); break;
    case WM_LBUTTONUP: WMMouseButton(message, mbLeft, false, false); break;
    case WM_RBUTTONDOWN: WMMouseButton(message, mbRight, true, false); break;
    case WM_RBUTTONDBLCLK: WMMouseButton(message, mbRight, true, true); break;
    case WM_RBUTTONUP: WMMouseButton(message, mbRight, false, false); break;
    case WM_MBUTTONDOWN: WMMouseButton(message, mbMiddle, true, false); break;
    case WM_MBUTTONDBLCLK: WMMouseButton(message, mbMiddle, true, true); break;
    case WM_MBUTTONUP: WMMouseButton(message, mbMiddle, false, false); break;
    case WM_MOUSEMOVE: WMMouseMove(message); break;
    case WM_CONTEXTMENU: WMContextMenu(message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(message); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(message); break;
    case CM_HITTEST: CMHitTest(message); break;
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED:
    case CM_FONTCHANGED: Invalidate(); break;
    default: DefaultHandler(message); break;
    }
}

void TControl::DefaultHandler(TMessage& message)
{
    switch (message.Msg) {
    case WM_SETTEXT:
        text_ = reinterpret_cast<const char*>(message.LParam);
        message.Result = 1;
        break;
    case WM_GETTEXT:
        *reinterpret_cast<std::string*>(message.LParam) = text_;
        message.Result = static_cast<LRESULT>(text_.size());
        break;
    default: break;
    }
}

// ---- Tree -------------------------------------------------------------------------

void TControl::SetParent(TWinControl* parent)
{
    if (parent == parent_)
        return;
    for (const TControl* p = parent; p; p = p->parent_)
        if (p == this)
            throw EInvalidOperation("A control cannot be placed inside itself");
    auto* window = dynamic_cast<TWinControl*>(this);
    const bool onDesktop = window && window->native_;
    if (parent_)
        parent_->RemoveControl(this);
    if (parent)
        parent->InsertControl(this);
    // A form placed into another window (docked) gives up its desktop window
    // and takes one again when it leaves.
    if ((parent && onDesktop) || (!parent && window && window->HandleAllocated() && dynamic_cast<TCustomForm*>(this)))
        window->RecreateWnd();
}

TCustomForm* TControl::ParentForm() const
{
    const TControl* control = this;
    while (control->parent_)
        control = control->parent_;
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(control));
}

// ---- Bounds -------------------------------------------------------------------------

void TControl::SetBoundsFields(int32_t left, int32_t top, int32_t width, int32_t height)
{
    left_ = left;
    top_ = top;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    TWinControl::LayoutChanged();
}

void TControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    bool resized = width != width_ || height != height_;
    if (parent_ && visible_)
        parent_->InvalidateClientRect(BoundsRect(), true);
    SetBoundsFields(left, top, width, height);
    if (parent_ && visible_)
        parent_->InvalidateClientRect(BoundsRect(), !HasStyle(csOpaque));
    BoundsChanged();
    UpdateAnchorRules();
    RequestAlign();
    if (resized)
        Resize();
}

TRect TControl::ClientRect() const { return Rect(0, 0, width_, height_); }

void TControl::SetClientSize(int32_t width, int32_t height)
{
    TRect client = ClientRect();
    SetBounds(left_, top_, width_ - client.Width() + width, height_ - client.Height() + height);
}

TPoint TControl::ClientOrigin() const
{
    if (!parent_)
        return {left_, top_};
    TPoint origin = parent_->ClientOrigin();
    return {origin.X + left_, origin.Y + top_};
}

TPoint TControl::ClientToScreen(TPoint p) const
{
    TPoint origin = ClientOrigin();
    return {p.X + origin.X, p.Y + origin.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const
{
    TPoint origin = ClientOrigin();
    return {p.X - origin.X, p.Y - origin.Y};
}

TPoint TControl::ClientToParent(TPoint p, const TWinControl* parent) const
{
    if (!parent)
        parent = parent_;
    TPoint screen = ClientToScreen(p);
    return parent ? parent->ScreenToClient(screen) : screen;
}

void TControl::SetAlign(TAlign value)
{
    if (align_ == value)
        return;
    align_ = value;
    anchors_ = value == alNone ? DefaultAnchors : anchors_;
    RequestAlign();
}

void TControl::SetAnchors(TAnchors value)
{
    if (anchors_ == value)
        return;
    anchors_ = value;
    UpdateAnchorRules();
}

void TControl::UpdateAnchorRules()
{
    // Placement by the parent's own alignment keeps the rules it works from.
    if (!parent_ || parent_->aligning_)
        return;
    TRect client = parent_->AdjustedClientRect();
    anchorParentSize_ = {client.Width(), client.Height()};
    anchorOrigin_ = {left_, top_};
    anchorSize_ = {width_, height_};
}

void TControl::RequestAlign()
{
    if (parent_ && !parent_->aligning_)
        parent_->Realign();
}

void TControl::SetAutoSize(bool value)
{
    if (autoSize_ == value)
        return;
    autoSize_ = value;
    if (value)
        AdjustSize();
}

bool TControl::CanAutoSize(int32_t&, int32_t&) { return false; }

void TControl::AdjustSize()
{
    if (!autoSize_ || IsLoading())
        return;
    int32_t w = width_;
    int32_t h = height_;
    if (CanAutoSize(w, h))
        SetBounds(left_, top_, w, h);
}

void TControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

bool TControl::IsLoading() const { return (ComponentState() & csLoading) != 0; }

void TControl::Loaded()
{
    TComponent::Loaded();
    if (parent_) {
        if (parentColor_)
            Perform(CM_PARENTCOLORCHANGED);
        if (parentFont_)
            Perform(CM_PARENTFONTCHANGED);
        if (parentShowHint_)
            Perform(CM_PARENTSHOWHINTCHANGED);
    }
    UpdateAnchorRules();
    AdjustSize();
    RequestAlign();
}

// ---- State ------------------------------------------------------------------------------

void TControl::SetVisible(bool value)
{
    if (visible_ == value)
        return;
    VisibleChanging();
    visible_ = value;
    TWinControl::LayoutChanged();
    Perform(CM_VISIBLECHANGED, value ? 1 : 0);
    if (parent_ && !parent_->IsLoading()) {
        parent_->InvalidateClientRect(BoundsRect(), true);
        RequestAlign();
    }
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::SetEnabled(bool value)
{
    if (enabled_ == value)
        return;
    enabled_ = value;
    Perform(CM_ENABLEDCHANGED);
}

bool TControl::IsEnabledInTree() const
{
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->enabled_)
            return false;
    return true;
}

void TControl::SetColor(TColor value)
{
    if (color_ == value) {
        parentColor_ = false;
        return;
    }
    color_ = value;
    parentColor_ = false;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value)
{
    if (parentColor_ == value)
        return;
    parentColor_ = value;
    if (value && parent_ && !IsLoading())
        Perform(CM_PARENTCOLORCHANGED);
}

void TControl::CMParentColorChanged(TMessage&)
{
    if (!parentColor_ || !parent_)
        return;
    SetColor(parent_->Color());
    parentColor_ = true;
}

void TControl::FontChanged(TObject*)
{
    if (!applyingFont_)
        parentFont_ = false;
    Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool value)
{
    if (parentFont_ == value)
        return;
    parentFont_ = value;
    if (value && parent_ && !IsLoading())
        Perform(CM_PARENTFONTCHANGED);
}

void TControl::CMParentFontChanged(TMessage&)
{
    if (!parentFont_ || !parent_)
        return;
    applyingFont_ = true;
    font_->Assign(parent_->Font());
    applyingFont_ = false;
}

void TControl::SetShowHint(bool value)
{
    parentShowHint_ = false;
    if (showHint_ == value)
        return;
    showHint_ = value;
    Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value)
{
    if (parentShowHint_ == value)
        return;
    parentShowHint_ = value;
    if (value && parent_ && !IsLoading())
        Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::CMParentShowHintChanged(TMessage&)
{
    if (!parentShowHint_ || !parent_)
        return;
    SetShowHint(parent_->ShowHint());
    parentShowHint_ = true;
}

void TControl::SetText(const std::string& value)
{
    if (text_ == value)
        return;
    Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
    Perform(CM_TEXTCHANGED);
}

void TControl::SetPopupMenu(TPopupMenu* value) { popupMenu_.Set(value); }

void TControl::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    popupMenu_.Forget(component, operation);
    hostDockSite_.Forget(component, operation);
    if (operation == opRemove && actionLink_ && component == actionLink_->Action())
        actionLink_.reset();
}

// ---- Actions ------------------------------------------------------------------------------

TBasicAction* TControl::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TControl::SetAction(TBasicAction* value)
{
    if (value == Action())
        return;
    if (TBasicAction* old = Action())
        old->RemoveFreeNotification(this);
    if (!value) {
        actionLink_.reset();
        return;
    }
    if (!actionLink_)
        actionLink_ = CreateActionLink();
    actionLink_->SetAction(value);
    value->FreeNotification(this);
    ActionChange(value, IsLoading());
}

std::unique_ptr<TControlActionLink> TControl::CreateActionLink() { return std::make_unique<TControlActionLink>(*this); }

void TControl::ActionChange(TBasicAction* action, bool checkDefaults)
{
    auto* custom = dynamic_cast<TCustomAction*>(action);
    if (!custom)
        return;
    if (!checkDefaults || Caption().empty())
        SetCaption(custom->Caption());
    if (!checkDefaults || Enabled())
        SetEnabled(custom->Enabled());
    if (!checkDefaults || Hint().empty())
        SetHint(custom->Hint());
    if (!checkDefaults || Visible())
        SetVisible(custom->Visible());
}

void TControl::SetCursor(TCursor value)
{
    if (cursor_ == value)
        return;
    cursor_ = value;
    Perform(CM_CURSORCHANGED);
}

// ---- Z order --------------------------------------------------------------------------------

void TControl::BringToFront()
{
    if (parent_)
        parent_->SetChildOrder(this, parent_->ControlCount() - 1);
}

void TControl::SendToBack()
{
    if (parent_)
        parent_->SetChildOrder(this, 0);
}

// ---- Painting ----------------------------------------------------------------------------------

void TControl::Invalidate()
{
    if (parent_ && visible_)
        parent_->InvalidateClientRect(BoundsRect(), !HasStyle(csOpaque));
}

void TControl::InvalidateRect(const TRect& clientRect, bool erase)
{
    if (parent_ && visible_)
        parent_->InvalidateClientRect(IntersectRect(OffsetRect(clientRect, left_, top_), BoundsRect()), erase);
}

void TControl::Update()
{
    if (parent_)
        parent_->Update();
}

void TControl::Repaint()
{
    if (!parent_ || !visible_)
        return;
    Invalidate();
    parent_->Update();
}

// ---- Mouse ------------------------------------------------------------------------------------------

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
    else if (actionLink_)
        actionLink_->Execute();
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

bool TControl::MouseCapture() const { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool value)
{
    if (MouseCapture() == value)
        return;
    SetCaptureControl(value ? this : nullptr);
}

void TControl::WMMouseButton(TMessage& message, TMouseButton button, bool down, bool dbl)
{
    TPoint p = LParamToPoint(message.LParam);
    TShiftState shift = MouseKeysToShiftState(message.WParam);
    if (down) {
        if (HasStyle(csCaptureMouse))
            SetMouseCapture(true);
        if (button == mbLeft && HasStyle(csClickEvents) && !dbl)
            controlState_ |= csClicked;
        if (dbl) {
            shift |= ssDouble;
            if (button == mbLeft && HasStyle(csClickEvents))
                DblClick();
        }
        if (!HasStyle(csNoStdEvents))
            MouseDown(button, shift, p.X, p.Y);
        return;
    }
    if (HasStyle(csCaptureMouse) && MouseCapture())
        SetMouseCapture(false);
    if (button == mbLeft && (controlState_ & csClicked)) {
        controlState_ &= ~csClicked;
        if (PtInRect(ClientRect(), p))
            Click();
    }
    if (!HasStyle(csNoStdEvents))
        MouseUp(button, shift, p.X, p.Y);
    if (button == mbRight)
        Perform(WM_CONTEXTMENU, 0, PointToLParam(ClientToScreen(p)));
}

void TControl::WMMouseMove(TMessage& message)
{
    TPoint p = LParamToPoint(message.LParam);
    if (!HasStyle(csNoStdEvents))
        MouseMove(MouseKeysToShiftState(message.WParam), p.X, p.Y);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::WMContextMenu(TMessage& message)
{
    TPoint screen = LParamToPoint(message.LParam);
    TPoint client = ScreenToClient(screen);
    bool handled = false;
    if (OnContextPopup)
        OnContextPopup(this, client, handled);
    if (handled) {
        message.Result = 1;
        return;
    }
    if (popupMenu_ && popupMenu_->AutoPopup()) {
        // From the keyboard (-1, -1) the menu opens at the control.
        if (screen.X == -1 && screen.Y == -1)
            screen = ClientToScreen({0, 0});
        popupMenu_->SetPopupComponent(this);
        popupMenu_->Popup(screen.X, screen.Y);
        message.Result = 1;
        return;
    }
    // Nobody here wants it: the parent may show its own menu.
    if (parent_)
        message.Result = parent_->Perform(WM_CONTEXTMENU, message.WParam, message.LParam);
}

bool IsAccel(char32_t ch, const std::string& caption)
{
    size_t pos = 0;
    while (pos < caption.size()) {
        char32_t c = Utf8Next(caption, pos);
        if (c != '&' || pos >= caption.size())
            continue;
        char32_t marked = Utf8Next(caption, pos);
        if (marked == '&')
            continue;
        return AnsiUpperChar(marked) == AnsiUpperChar(ch);
    }
    return false;
}

// TWinControl: the window id, children and z-order, bounds through the
// window-position messages, alignment and anchors, showing and hiding.

#include <algorithm>

#include "platform/core/Exceptions.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DockTree.h"
#include "platform/ui/Form.h"
#include "platform/ui/ScrollBars.h"

namespace {

// The largest side of a top-level window: its 32-bit backing store must stay
// within what a bitmap may allocate, as the desktop's own maximum window size
// keeps any window from growing without bound.
constexpr int32_t MaxTopLevelExtent = 16384;

} // namespace

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl()
{
    // A replaced window procedure may belong to a part of this object that
    // is already gone; the last messages go to this class's own.
    WindowProc = [this](TMessage& message) { WndProc(message); };
    if (parent_)
        parent_->RemoveControl(this);
    // Children go with their parent; one that nobody owns belongs to whoever
    // created it and is only let go.
    while (!controls_.empty()) {
        TControl* child = controls_.back();
        RemoveControl(child);
        if (child->Owner())
            delete child;
    }
    DestroyHandle();
}

// ---- Window id -------------------------------------------------------------------

HWND TWinControl::Handle()
{
    if (!handle_)
        CreateWnd();
    return handle_;
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.Caption = text_;
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (!enabled_)
        params.Style |= WS_DISABLED;
    if (tabStop_)
        params.Style |= WS_TABSTOP;
    params.X = left_;
    params.Y = top_;
    params.Width = width_;
    params.Height = height_;
    params.WindowClassStyle = CS_DBLCLKS;
    if (!HasStyle(csDoubleClicks))
        params.WindowClassStyle &= ~CS_DBLCLKS;
    if (parent_ && parent_->HandleAllocated())
        params.WndParent = parent_->handle_;
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    createdWith_ = params;
    handle_ = WindowSystem().Register(this);
    UpdateNonClientInsets();
    Perform(WM_CREATE);
    if (parent_)
        parent_->Perform(WM_PARENTNOTIFY, MakeWParam(WM_CREATE, 0), static_cast<LPARAM>(handle_));
    // A visible top-level window appears as soon as it exists.
    if (WantsNativeWindow() && visible_)
        UpdateShowing();
}

void TWinControl::DestroyWnd()
{
    if (native_) {
        WindowSystem().RemoveTopLevel(handle_);
        native_.reset();
    }
    backingStore_.reset();
    WindowSystem().Unregister(handle_);
    handle_ = 0;
    showing_ = false;
}

void TWinControl::DestroyHandle()
{
    if (!handle_ || !WindowSystemInstalled()) {
        handle_ = 0;
        return;
    }
    controlState_ |= csDestroyingHandle;
    for (TControl* child : controls_)
        if (auto* win = dynamic_cast<TWinControl*>(child))
            win->DestroyHandle();
    Perform(WM_DESTROY);
    if (parent_)
        parent_->Perform(WM_PARENTNOTIFY, MakeWParam(WM_DESTROY, 0), static_cast<LPARAM>(handle_));
    DestroyWnd();
    controlState_ &= ~csDestroyingHandle;
}

void TWinControl::RecreateWnd()
{
    if (!handle_)
        return;
    bool wasShowing = Showing();
    DestroyHandle();
    HandleNeeded();
    for (TControl* child : controls_)
        if (auto* win = dynamic_cast<TWinControl*>(child))
            win->HandleNeeded();
    if (wasShowing)
        UpdateShowing();
    InvalidateTree();
}

void TWinControl::UpdateNonClientInsets()
{
    TRect window = Rect(0, 0, 10000, 10000);
    TRect client = window;
    Perform(WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&client));
    ncInsets_ = Rect(client.Left, client.Top, window.Right - client.Right, window.Bottom - client.Bottom);
    LayoutChanged();
}

// ---- Children ----------------------------------------------------------------------

void TWinControl::InsertControl(TControl* control)
{
    control->parent_ = this;
    controls_.push_back(control);
    LayoutChanged();
    if (auto* win = dynamic_cast<TWinControl*>(control)) {
        tabList_.push_back(win);
        if (win->HandleAllocated())
            Perform(WM_PARENTNOTIFY, MakeWParam(WM_CREATE, 0), static_cast<LPARAM>(win->handle_));
        else if (handle_)
            win->HandleNeeded();
    }
    if (!IsLoading()) {
        if (control->parentColor_)
            control->Perform(CM_PARENTCOLORCHANGED);
        if (control->parentFont_)
            control->Perform(CM_PARENTFONTCHANGED);
        if (control->parentShowHint_)
            control->Perform(CM_PARENTSHOWHINTCHANGED);
    }
    control->UpdateAnchorRules();
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), 1);
    if (auto* win = dynamic_cast<TWinControl*>(control))
        win->UpdateShowing();
    if (control->visible_)
        InvalidateClientRect(control->BoundsRect(), true);
    if (control->align_ != alNone || control->visible_)
        Realign();
}

void TWinControl::RemoveControl(TControl* control)
{
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it == controls_.end())
        return;
    if (TCustomForm* form = ParentForm())
        form->ControlRemoving(control);
    ForgetControl(control);
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), 0);
    if (auto* win = dynamic_cast<TWinControl*>(control); win && win->HandleAllocated())
        Perform(WM_PARENTNOTIFY, MakeWParam(WM_DESTROY, 0), static_cast<LPARAM>(win->handle_));
    controls_.erase(std::find(controls_.begin(), controls_.end(), control));
    LayoutChanged();
    std::erase_if(tabList_, [control](TWinControl* w) { return static_cast<TControl*>(w) == control; });
    if (control->visible_)
        InvalidateClientRect(control->BoundsRect(), true);
    control->parent_ = nullptr;
    if (auto* win = dynamic_cast<TWinControl*>(control))
        win->UpdateShowing();
    Realign();
}

bool TWinControl::ContainsControl(const TControl* control) const
{
    for (const TControl* c = control; c; c = c->parent_)
        if (c == this)
            return true;
    return false;
}

TControl* TWinControl::ControlAtPos(TPoint clientPos, bool allowDisabled, bool allowWinControls) const
{
    auto hit = [&](TControl* c) {
        if (!c->visible_ || (!allowDisabled && !c->enabled_) || !PtInRect(c->BoundsRect(), clientPos))
            return false;
        if (dynamic_cast<TWinControl*>(c))
            return true;
        TPoint local{clientPos.X - c->left_, clientPos.Y - c->top_};
        return c->Perform(CM_HITTEST, 0, PointToLParam(local)) != 0;
    };
    // Windows lie above every window-less sibling.
    if (allowWinControls)
        for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
            if (dynamic_cast<TWinControl*>(*it) && hit(*it))
                return *it;
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if (!dynamic_cast<TWinControl*>(*it) && hit(*it))
            return *it;
    return nullptr;
}

void TWinControl::SetChildOrder(TControl* child, int32_t order)
{
    auto it = std::find(controls_.begin(), controls_.end(), child);
    if (it == controls_.end())
        return;
    controls_.erase(it);
    order = std::clamp<int32_t>(order, 0, static_cast<int32_t>(controls_.size()));
    controls_.insert(controls_.begin() + order, child);
    LayoutChanged();
    // Whatever overlaps the child may now be above or below it.
    if (child->visible_)
        InvalidateTreeRect(ClientToWindow(child->BoundsRect()));
}

// ---- Bounds -------------------------------------------------------------------------

TRect TWinControl::ClientRect() const
{
    // The non-client edges are known once the window exists.
    if (!handle_)
        const_cast<TWinControl*>(this)->HandleNeeded();
    return Rect(0, 0, std::max(0, width_ - ncInsets_.Left - ncInsets_.Right),
                std::max(0, height_ - ncInsets_.Top - ncInsets_.Bottom));
}

TPoint TWinControl::ClientOrigin() const
{
    TPoint origin = parent_ ? parent_->ClientOrigin() : TPoint{0, 0};
    return {origin.X + left_ + ncInsets_.Left, origin.Y + top_ + ncInsets_.Top};
}

TPoint TWinControl::ClientOriginInTop() const
{
    TRect window = WindowRectInTop();
    return {window.Left + ncInsets_.Left, window.Top + ncInsets_.Top};
}

TRect TWinControl::ClientRectInWindow() const
{
    return Rect(ncInsets_.Left, ncInsets_.Top, width_ - ncInsets_.Right, height_ - ncInsets_.Bottom);
}

TRect TWinControl::WindowRectInTop() const
{
    if (!parent_)
        return Rect(0, 0, width_, height_);
    TRect parentWindow = parent_->WindowRectInTop();
    int32_t x = parentWindow.Left + parent_->ncInsets_.Left + left_;
    int32_t y = parentWindow.Top + parent_->ncInsets_.Top + top_;
    return Bounds(x, y, width_, height_);
}

void TWinControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
    TWindowPos pos;
    pos.hwnd = handle_;
    pos.x = left;
    pos.y = top;
    pos.cx = width;
    pos.cy = height;
    pos.flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (left == left_ && top == top_)
        pos.flags |= SWP_NOMOVE;
    if (width == width_ && height == height_)
        pos.flags |= SWP_NOSIZE;
    if ((pos.flags & (SWP_NOMOVE | SWP_NOSIZE)) == (SWP_NOMOVE | SWP_NOSIZE))
        return;
    SetWindowPos(pos);
}

void TWinControl::SetWindowPos(TWindowPos pos)
{
    Perform(WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    if (WantsNativeWindow()) {
        pos.cx = std::min(pos.cx, MaxTopLevelExtent);
        pos.cy = std::min(pos.cy, MaxTopLevelExtent);
    }
    bool move = !(pos.flags & SWP_NOMOVE) && (pos.x != left_ || pos.y != top_);
    bool size = !(pos.flags & SWP_NOSIZE) && (pos.cx != width_ || pos.cy != height_);
    if (pos.flags & SWP_FRAMECHANGED)
        UpdateNonClientInsets();
    if (move || size) {
        if (parent_ && visible_)
            parent_->InvalidateTreeRect(parent_->ClientToWindow(BoundsRect()));
        SetBoundsFields(move ? pos.x : left_, move ? pos.y : top_, size ? pos.cx : width_, size ? pos.cy : height_);
        if (native_ && !syncingFromDesktop_)
            native_->SetBounds(BoundsRect());
        if (size)
            ResizeBackingStore();
        InvalidateTree();
    }
    if (pos.flags & SWP_SHOWWINDOW)
        SetVisible(true);
    if (pos.flags & SWP_HIDEWINDOW)
        SetVisible(false);
    if (!(pos.flags & SWP_NOZORDER) && IsTopLevel() && handle_)
        ApplyTopLevelZOrder(pos.hwndInsertAfter);
    if (pos.flags & SWP_FRAMECHANGED)
        InvalidateTree();
    if (!move)
        pos.flags |= SWP_NOMOVE;
    if (!size)
        pos.flags |= SWP_NOSIZE;
    Perform(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
}

void TWinControl::ApplyTopLevelZOrder(HWND insertAfter)
{
    TWindowSystem& ws = WindowSystem();
    if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
        bool topMost = insertAfter == HWND_TOPMOST;
        createdWith_.ExStyle =
            topMost ? (createdWith_.ExStyle | WS_EX_TOPMOST) : (createdWith_.ExStyle & ~WS_EX_TOPMOST);
        if (native_)
            native_->SetTopMost(topMost);
    }
    if (!native_)
        return;
    if (insertAfter == HWND_BOTTOM) {
        ws.SendToBottom(handle_);
        return;
    }
    TWinControl* sibling = insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST
        ? nullptr
        : ws.FindControl(insertAfter);
    if (sibling && sibling->native_) {
        ws.PlaceBelow(handle_, sibling->handle_);
        native_->PlaceBelow(*sibling->native_);
    } else if (Showing()) {
        ws.BringToFront(handle_);
        native_->BringToFront(false);
    }
}

void TWinControl::WMWindowPosChanged(TMessage& message)
{
    auto* pos = reinterpret_cast<TWindowPos*>(message.LParam);
    if (!(pos->flags & SWP_NOMOVE))
        Perform(WM_MOVE, 0, PointToLParam({left_, top_}));
    if (!(pos->flags & SWP_NOSIZE))
        Perform(WM_SIZE, SIZE_RESTORED, PointToLParam({ClientWidth(), ClientHeight()}));
    if (!(pos->flags & SWP_NOMOVE) || !(pos->flags & SWP_NOSIZE)) {
        BoundsChanged();
        UpdateAnchorRules();
        RequestAlign();
    }
}

void TWinControl::WMSize(TMessage&)
{
    Realign();
    Resize();
}

void TWinControl::ResizeBackingStore()
{
    if (!backingStore_)
        return;
    backingStore_->SetSize(std::max(width_, 1), std::max(height_, 1));
}

// ---- Alignment ------------------------------------------------------------------------

void TWinControl::Loaded()
{
    TControl::Loaded();
    UpdateDockManager();
    Realign();
}

void TWinControl::EnableAlign()
{
    if (alignDisabled_ > 0 && --alignDisabled_ == 0 && (controlState_ & csAlignmentNeeded))
        Realign();
}

void TWinControl::Realign()
{
    if (alignDisabled_ > 0 || IsLoading() || aligning_) {
        controlState_ |= csAlignmentNeeded;
        return;
    }
    controlState_ &= ~csAlignmentNeeded;
    aligning_ = true;
    TRect rect = ClientRect();
    AlignControls(nullptr, rect);
    aligning_ = false;
    AdjustSize();
}

void TWinControl::AdjustClientRect(TRect& rect) { rect = InflateRect(rect, -borderWidth_, -borderWidth_); }

TRect TWinControl::AdjustedClientRect()
{
    TRect rect = ClientRect();
    AdjustClientRect(rect);
    return rect;
}

void TWinControl::SetBorderWidth(int32_t value)
{
    if (borderWidth_ == value)
        return;
    borderWidth_ = value;
    Realign();
    Invalidate();
}

namespace {

// True when `a` goes before `b` among controls of the same alignment.
bool AlignsBefore(TAlign align, const TControl* a, const TControl* b)
{
    switch (align) {
    case alTop: return a->Top() < b->Top();
    case alBottom: return a->Top() + a->Height() >= b->Top() + b->Height();
    case alLeft: return a->Left() < b->Left();
    case alRight: return a->Left() + a->Width() >= b->Left() + b->Width();
    default: return false;
    }
}

} // namespace

void TWinControl::AlignControls(TControl* control, TRect& rect)
{
    AdjustClientRect(rect);
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        std::vector<TControl*> list;
        for (TControl* c : controls_)
            if (c->align_ == align && c->visible_)
                list.push_back(c);
        // The control being placed wins ties.
        std::stable_sort(list.begin(), list.end(), [&](TControl* a, TControl* b) {
            if (AlignsBefore(align, a, b) && !AlignsBefore(align, b, a))
                return true;
            if (AlignsBefore(align, a, b) == AlignsBefore(align, b, a))
                return a == control && b != control;
            return false;
        });
        for (TControl* c : list)
            AlignOne(c, align, rect);
    }
    ApplyAnchors();
}

void TWinControl::AlignOne(TControl* c, TAlign align, TRect& rect)
{
    switch (align) {
    case alTop:
        c->SetBounds(rect.Left, rect.Top, rect.Width(), c->height_);
        rect.Top += c->height_;
        break;
    case alBottom:
        c->SetBounds(rect.Left, rect.Bottom - c->height_, rect.Width(), c->height_);
        rect.Bottom -= c->height_;
        break;
    case alLeft:
        c->SetBounds(rect.Left, rect.Top, c->width_, rect.Height());
        rect.Left += c->width_;
        break;
    case alRight:
        c->SetBounds(rect.Right - c->width_, rect.Top, c->width_, rect.Height());
        rect.Right -= c->width_;
        break;
    case alClient: c->SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height()); break;
    default: break;
    }
}

void TWinControl::ApplyAnchors()
{
    TRect client = AdjustedClientRect();
    for (TControl* c : controls_) {
        if (c->align_ != alNone || c->anchors_ == DefaultAnchors || c->anchorParentSize_.cx == 0)
            continue;
        int32_t dx = client.Width() - c->anchorParentSize_.cx;
        int32_t dy = client.Height() - c->anchorParentSize_.cy;
        int32_t left = c->anchorOrigin_.X;
        int32_t top = c->anchorOrigin_.Y;
        int32_t width = c->anchorSize_.cx;
        int32_t height = c->anchorSize_.cy;
        if (c->anchors_ & akRight) {
            if (c->anchors_ & akLeft)
                width += dx;
            else
                left += dx;
        } else if (!(c->anchors_ & akLeft)) {
            left += dx / 2;
        }
        if (c->anchors_ & akBottom) {
            if (c->anchors_ & akTop)
                height += dy;
            else
                top += dy;
        } else if (!(c->anchors_ & akTop)) {
            top += dy / 2;
        }
        c->SetBounds(left, top, width, height);
    }
}

bool TWinControl::CanAutoSize(int32_t& newWidth, int32_t& newHeight)
{
    int32_t right = 0;
    int32_t bottom = 0;
    bool any = false;
    for (TControl* c : controls_) {
        if (!c->visible_ || c->align_ == alClient)
            continue;
        any = true;
        right = std::max(right, c->left_ + c->width_);
        bottom = std::max(bottom, c->top_ + c->height_);
    }
    if (!any)
        return false;
    TRect adjusted = AdjustedClientRect();
    TRect client = ClientRect();
    newWidth = width_ - client.Width() + right + (client.Width() - adjusted.Right);
    newHeight = height_ - client.Height() + bottom + (client.Height() - adjusted.Bottom);
    return true;
}

// ---- Showing -----------------------------------------------------------------------------

bool TWinControl::Showing() const
{
    if (!visible_)
        return false;
    if (parent_)
        return parent_->Showing();
    return native_ != nullptr;
}

bool TWinControl::WantsNativeWindow() const { return IsTopLevel() && !(createdWith_.Style & WS_CHILD); }

void TWinControl::UpdateShowing()
{
    if (WantsNativeWindow() && handle_) {
        if (visible_ && !native_)
            CreateNativeWindow(createdWith_);
        if (native_)
            native_->SetVisible(visible_, visible_ && !(createdWith_.ExStyle & WS_EX_NOACTIVATE));
        if (visible_)
            WindowSystem().BringToFront(handle_);
    }
    // The children follow with what their parent just learned (a visible
    // child of a showing window shows), and the window where the change
    // started invalidates the whole tree once: asking every window again
    // would climb and repaint the tree at every level.
    auto follow = [this](auto& self, TWinControl* window, bool showing) -> void {
        if (showing == window->showing_)
            return;
        window->showing_ = showing;
        if (showing)
            window->HandleNeeded();
        std::vector<TControl*> children = window->controls_;
        for (TControl* child : children)
            if (auto* win = dynamic_cast<TWinControl*>(child); win && win->parent_ == window)
                self(self, win, showing && win->visible_);
        if (showing && window == this)
            InvalidateTree();
        window->ShowingChanged();
    };
    follow(follow, this, Showing());
}

void TWinControl::ShowingChanged() { Perform(CM_SHOWINGCHANGED); }

void TWinControl::CreateNativeWindow(const TCreateParams& params)
{
    TNativeWindowParams native;
    native.Bounds = BoundsRect();
    native.Caption = params.Caption;
    bool popup = (params.Style & WS_POPUP) != 0;
    native.Decorated = !popup && (params.Style & WS_CAPTION) == WS_CAPTION;
    native.Resizable = (params.Style & WS_THICKFRAME) != 0;
    native.ToolWindow = (params.ExStyle & WS_EX_TOOLWINDOW) != 0;
    native.Popup = popup;
    native.TopMost = (params.ExStyle & WS_EX_TOPMOST) != 0;
    native.NoActivate = (params.ExStyle & WS_EX_NOACTIVATE) != 0;
    native.PerPixelAlpha = (params.ExStyle & WS_EX_LAYERED) != 0;
    // The store first: when it cannot be had, no native window is left behind.
    backingStore_ = std::make_unique<TBitmap>(std::max(width_, 1), std::max(height_, 1), pf32bit);
    native_ = WindowSystem().Backend().CreateNativeWindow(native);
    WindowSystem().AddTopLevel(handle_);
    AddPresentRect(Rect(0, 0, width_, height_));
}

void TWinControl::CMVisibleChanged(TMessage& message)
{
    UpdateShowing();
    TControl::Dispatch(message);
}

void TWinControl::CMEnabledChanged(TMessage&)
{
    if (!enabled_ && Focused())
        if (TCustomForm* form = ParentForm())
            form->DefocusControl(this, false);
    Invalidate();
}

// ---- Desktop events on top-level windows -------------------------------------------------------

void TWinControl::DesktopMoved(TPoint screenPos)
{
    if (screenPos.X == left_ && screenPos.Y == top_)
        return;
    TWindowPos pos{handle_, 0, screenPos.X, screenPos.Y, width_, height_, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE};
    syncingFromDesktop_ = true;
    SetWindowPos(pos);
    syncingFromDesktop_ = false;
}

void TWinControl::DesktopResized(TSize size)
{
    if (size.cx == width_ && size.cy == height_)
        return;
    TWindowPos pos{handle_, 0, left_, top_, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE};
    syncingFromDesktop_ = true;
    SetWindowPos(pos);
    syncingFromDesktop_ = false;
    AddPresentRect(Rect(0, 0, width_, height_));
}

void TWinControl::DesktopStateChanged(TNativeWindowState) {}

bool SetWindowPos(HWND window, HWND insertAfter, int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t flags)
{
    TWinControl* control = WindowSystem().FindControl(window);
    if (!control)
        return false;
    control->SetWindowPos(TWindowPos{window, insertAfter, x, y, cx, cy, flags});
    return true;
}

bool EnableWindow(HWND window, bool enable)
{
    TWinControl* control = WindowSystem().FindControl(window);
    if (!control)
        return false;
    control->SetEnabled(enable);
    return true;
}

bool IsWindowEnabled(HWND window)
{
    TWinControl* control = WindowSystem().FindControl(window);
    return control && control->IsEnabledInTree();
}

bool IsWindowVisible(HWND window)
{
    TWinControl* control = WindowSystem().FindControl(window);
    return control && control->Showing();
}

bool InvalidateRect(HWND window, const TRect* rect, bool erase)
{
    TWinControl* control = WindowSystem().FindControl(window);
    if (!control)
        return false;
    if (rect)
        control->InvalidateClientRect(*rect, erase);
    else
        control->InvalidateClientRect(control->ClientRect(), erase);
    return true;
}

bool UpdateWindow(HWND window)
{
    TWinControl* control = WindowSystem().FindControl(window);
    if (!control)
        return false;
    control->Update();
    return true;
}

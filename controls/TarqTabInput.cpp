// How the tab control changes its current tab and reacts to the user:
// the TabIndex setter with its events, hit testing, clicks, hot tracking
// and tab hints, the keyboard, scrolling, the close button and dragging a
// tab to a new place.

#include "controls/TarqTabButtons.h"
#include "controls/TarqTabControl.h"
#include "platform/ui/Application.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/ScreenOverlay.h"

// ---- Current tab --------------------------------------------------------------------------

bool TTarqCustomTabControl::CanChangeTo(int32_t index)
{
    if (index < 0 || index >= tabs_.Count())
        return false;
    const TTarqTabData& tab = *tabs_.Item(index);
    bool allowed = tab.Visible && (tab.Enabled || HasState(csDesigning));
    if (allowed && index != tabIndex_)
        DoChanging(index, allowed);
    return allowed;
}

void TTarqCustomTabControl::SetTabIndex(int32_t value)
{
    if (IsLoadingOrReading()) {
        tabIndex_ = value;
        return;
    }
    if (value < 0 || value >= tabs_.Count()) {
        tabIndex_ = -1;
        InvalidateTabs();
    } else {
        const int32_t old = tabIndex_;
        if (value == old || changeApproved_ || CanChangeTo(value))
            ApplyTabIndex(value, old);
    }
    if (closeButton_ && showCloseButton_)
        closeButton_->Invalidate();
    if (menuButton_ && showMenuButton_)
        menuButton_->Invalidate();
}

void TTarqCustomTabControl::ApplyTabIndex(int32_t value, int32_t old)
{
    const int32_t oldFirst = firstDisplayed_;
    tabIndex_ = value;
    if (!scrolling_) {
        RotateRows(value);
    } else if (value < firstDisplayed_) {
        firstDisplayed_ = value;
        InvalidateTabs();
    } else {
        while (!TabIsDisplayable(tabIndex_) && firstDisplayed_ < tabIndex_)
            ++firstDisplayed_;
    }
    if (firstDisplayed_ == oldFirst && tabIndex_ == old)
        return;
    InvalidateTabs();
    if (scroller_)
        scroller_->Invalidate();
    if (tabIndex_ != old) {
        DoChange();
        DoPageChange();
    }
}

int32_t TTarqCustomTabControl::TabAtPos(int32_t x, int32_t y)
{
    UpdateLayout();
    const int32_t count = tabs_.Count();
    if (count == 0 || firstDisplayed_ < 0 || firstDisplayed_ >= count)
        return -1;
    auto hits = [&](int32_t i) {
        if (!TabIsDisplayable(i))
            return false;
        if (!PtInRect(GetTabControlRect(i), {x, y}))
            return false;
        const TRegion* region = GetTabRegion(i);
        return region && PtInRegion(*region, x, y);
    };
    if (tabIndex_ >= 0 && tabIndex_ < count && hits(tabIndex_))
        return tabIndex_;
    for (int32_t n = 0, i = firstDisplayed_; n < count; ++n, i = (i + 1) % count)
        if (i != tabIndex_ && hits(i))
            return i;
    return -1;
}

// ---- Mouse --------------------------------------------------------------------------------

void TTarqCustomTabControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft || !Enabled())
        return;
    const int32_t i = TabAtPos(x, y);
    if (i >= 0 && tabs_.Item(i)->Enabled) {
        if (TabStop() && i == tabIndex_) {
            if (CanFocus() && Showing())
                SetFocus();
            if (!Focused())
                return;
        }
        SetTabIndex(i);
        if (tabIndex_ == i)
            DoTabClick();
    }
    dragStartTab_ = i;
}

void TTarqCustomTabControl::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    if (hotTrack_ || tabHints_) {
        const int32_t i = TabAtPos(x, y);
        if (i == -1) {
            const bool inStrip = PtInRect(GetTabStripRect(), {x, y});
            std::string kept;
            if (tabHints_ && (hotTab_ != -1 || inStrip))
                Application()->CancelHint();
            if (tabHints_ && inStrip)
                std::swap(kept, savedHint_);
            ClearHotTab();
            if (tabHints_ && inStrip)
                savedHint_ = kept;
        } else if (i != hotTab_) {
            hotTab_ = i;
            if (hotTrack_) {
                hotRepaint_ = true;
                InvalidateRect(GetTabStripRect(), false);
            }
            if (tabHints_) {
                Application()->CancelHint();
                if (!tabs_.Item(i)->Hint.empty())
                    SetHint(tabs_.Item(i)->Hint);
            }
            StartHotTimer();
        }
    }
    TCustomControl::MouseMove(shift, x, y);
    if (allowTabDragging_ && (shift & ssLeft) && dragStartTab_ != -1 && dragStartTab_ < tabs_.Count() &&
        tabs_.Item(dragStartTab_)->Enabled)
        BeginDrag(false);
}

void TTarqCustomTabControl::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    dragStartTab_ = -1;
    TCustomControl::MouseUp(button, shift, x, y);
}

// ---- Hot tracking -------------------------------------------------------------------------

void TTarqCustomTabControl::StartHotTimer()
{
    if (hotTimerRunning_)
        return;
    SetTimer(Handle(), TabHotTrackTimerId, 60);
    hotTimerRunning_ = true;
}

void TTarqCustomTabControl::StopHotTimer()
{
    if (!hotTimerRunning_)
        return;
    if (HandleAllocated() && WindowSystemInstalled())
        KillTimer(Handle(), TabHotTrackTimerId);
    hotTimerRunning_ = false;
}

void TTarqCustomTabControl::ClearHotTab()
{
    StopHotTimer();
    hotTab_ = -1;
    InvalidateRect(GetTabStripRect(), false);
    SetHint(savedHint_);
}

void TTarqCustomTabControl::WMTimer(TMessage& message)
{
    if (message.WParam != TabHotTrackTimerId || !hotTimerRunning_)
        return;
    const TPoint p = ScreenToClient(GetCursorPos());
    if (TabAtPos(p.X, p.Y) == -1)
        ClearHotTab();
}

// ---- Keyboard -----------------------------------------------------------------------------

int32_t TTarqCustomTabControl::WalkFrom(int32_t start, int32_t step)
{
    const int32_t count = tabs_.Count();
    int32_t i = start;
    for (int32_t n = 0; n < count; ++n) {
        i = i < 0 ? (step > 0 ? 0 : count - 1) : (i + step + count) % count;
        if (i == tabIndex_ || CanChangeTo(i))
            return i;
    }
    return tabIndex_;
}

int32_t TTarqCustomTabControl::KeyTarget(uint16_t key)
{
    const bool reversed = (tabOrientation_ == toLeft) != (tabSequence_ == tsReverse);
    const int32_t count = tabs_.Count();
    if (key == VK_HOME || key == VK_END) {
        const bool fromStart = (key == VK_HOME) != reversed;
        for (int32_t i = fromStart ? 0 : count - 1; fromStart ? i < count : i >= 0; i += fromStart ? 1 : -1)
            if (i == tabIndex_ || CanChangeTo(i))
                return i;
        return tabIndex_;
    }
    bool forward;
    if (tabOrientation_ == toLeft)
        forward = (key == VK_LEFT || key == VK_UP) == (tabSequence_ == tsStandard);
    else
        forward = (key == VK_RIGHT || key == VK_DOWN) == (tabSequence_ == tsStandard);
    if (key != VK_LEFT && key != VK_RIGHT && key != VK_UP && key != VK_DOWN)
        return tabIndex_;
    return WalkFrom(tabIndex_, forward ? 1 : -1);
}

void TTarqCustomTabControl::KeyDown(uint16_t& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    if (tabs_.Count() == 0)
        return;
    const int32_t target = KeyTarget(key);
    if (target == tabIndex_)
        return;
    changeApproved_ = true;
    try {
        SetTabIndex(target);
    } catch (...) {
        changeApproved_ = false;
        throw;
    }
    changeApproved_ = false;
    DoTabClick();
}

void TTarqCustomTabControl::CMDialogChar(TMessage& message)
{
    if (CanFocus() && Showing()) {
        const auto ch = static_cast<char32_t>(message.WParam);
        for (int32_t i = 0; i < tabs_.Count(); ++i) {
            const TTarqTabData& tab = *tabs_.Item(i);
            if (!IsAccel(ch, tab.Caption) || !tab.Enabled || !tab.Visible)
                continue;
            message.Result = 1;
            SetFocus();
            if (Focused()) {
                const int32_t old = tabIndex_;
                SetTabIndex(i);
                if (tabIndex_ == i && old != i)
                    DoTabClick();
            }
            return;
        }
    }
    TCustomControl::Dispatch(message);
}

// ---- Scrolling ----------------------------------------------------------------------------

void TTarqCustomTabControl::ScrollTabs(bool forward)
{
    const int32_t old = firstDisplayed_;
    const int32_t count = tabs_.Count();
    if (forward) {
        if (firstDisplayed_ == count - 1 || TabIsDisplayable(LastVisibleTab()))
            return;
        do
            ++firstDisplayed_;
        while (firstDisplayed_ < count && !TabIsDisplayable(firstDisplayed_));
        if (firstDisplayed_ >= count) {
            firstDisplayed_ = old;
            return;
        }
    } else {
        if (firstDisplayed_ <= 0 || TabIsDisplayable(FirstVisibleTab()))
            return;
        do
            --firstDisplayed_;
        while (firstDisplayed_ >= 0 && !TabIsDisplayable(firstDisplayed_));
        if (firstDisplayed_ < 0) {
            firstDisplayed_ = old;
            return;
        }
    }
    InvalidateTabs();
}

namespace {

bool UpRightScrollsForward(TTarqTabOrientation orientation, TTarqTabSequence sequence)
{
    return (orientation == toRight) == (sequence == tsReverse);
}

} // namespace

void TTarqCustomTabControl::ScrollUpRightClick(TObject*)
{
    ScrollTabs(UpRightScrollsForward(tabOrientation_, tabSequence_));
}

void TTarqCustomTabControl::ScrollDownLeftClick(TObject*)
{
    ScrollTabs(!UpRightScrollsForward(tabOrientation_, tabSequence_));
}

// ---- Child buttons ------------------------------------------------------------------------

void TTarqCustomTabControl::CreateScroller()
{
    scroller_ = new TTarqTabScroller(this);
    scroller_->SetParent(this);
    scroller_->SetFrameColor(LineColor());
    scroller_->OnDownLeftClick = [this](TObject* sender) { ScrollDownLeftClick(sender); };
    scroller_->OnUpRightClick = [this](TObject* sender) { ScrollUpRightClick(sender); };
}

void TTarqCustomTabControl::CreateCloseButton()
{
    closeButton_ = new TTarqTabCloseButton(this);
    closeButton_->SetVisible(false);
    closeButton_->SetParent(this);
    closeButton_->SetFrameColor(LineColor());
    closeButton_->OnClose = [this](TObject* sender) { CloseCurrentTab(sender); };
}

void TTarqCustomTabControl::CreateMenuButton()
{
    menuButton_ = new TTarqTabMenuButton(this);
    menuButton_->SetVisible(false);
    menuButton_->SetParent(this);
    menuButton_->SetFrameColor(LineColor());
}

bool TTarqCustomTabControl::DoClose()
{
    bool allow = false;
    if (OnClose)
        OnClose(this, allow);
    return allow;
}

void TTarqCustomTabControl::CloseCurrentTab(TObject*)
{
    if (tabIndex_ != -1 && DoClose())
        CloseActiveTab();
}

// ---- Tab dragging -------------------------------------------------------------------------

TRect TTarqCustomTabControl::DropIndicatorFor(int32_t target) const
{
    const TRect t = GetTabControlRect(target);
    const bool before = (target < tabIndex_) == (tabSequence_ == tsStandard);
    const int32_t half = rowThickness_ / 2;
    const bool singleOrDouble = tabStyle_ == tsSingleSlant || tabStyle_ == tsDoubleSlant;
    const bool doubleOrBack = tabStyle_ == tsDoubleSlant || tabStyle_ == tsBackSlant;
    const bool cutOrRound = tabStyle_ == tsCutCorner || tabStyle_ == tsRoundCorners;
    TRect r;
    if (Horizontal()) {
        if (tabOrientation_ == toTop) {
            r.Top = t.Top - 2;
            r.Bottom = t.Top + 6;
        } else {
            r.Top = t.Bottom - 6;
            r.Bottom = t.Bottom + 2;
        }
        const int32_t dx = before ? (doubleOrBack ? half : 0) : (singleOrDouble ? -half : 0) + (cutOrRound ? 1 : 0);
        r.Left = (before ? t.Left - 8 : t.Right - 7) + dx;
        r.Right = (before ? t.Left + 7 : t.Right + 8) + dx;
        return r;
    }
    int32_t dy;
    if (tabOrientation_ == toLeft) {
        r.Left = t.Left - 2;
        r.Right = t.Left + 6;
        dy = before ? (doubleOrBack ? -half : 0) + (cutOrRound ? 1 : 0) : (singleOrDouble ? half : 0);
        r.Top = (before ? t.Bottom - 7 : t.Top - 8) + dy;
        r.Bottom = (before ? t.Bottom + 8 : t.Top + 7) + dy;
    } else {
        r.Left = t.Right - 5;
        r.Right = t.Right + 3;
        dy = before ? (doubleOrBack ? half + 1 : 0) : (singleOrDouble ? -half : 0) + (cutOrRound ? 1 : 0);
        r.Top = (before ? t.Top - 8 : t.Bottom - 7) + dy;
        r.Bottom = (before ? t.Top + 7 : t.Bottom + 8) + dy;
    }
    return r;
}

// Drawn over the screen by exclusive or, reaching outside the control; a
// second drawing at the same place takes it away.
void TTarqCustomTabControl::DrawDropIndicator(const TRect& rect)
{
    dropIndicatorShown_ = !dropIndicatorShown_;
    if (IsRectEmpty(rect))
        return;
    XorOntoScreen(*DropIndicatorPicture(rect), ClientToScreen(rect.TopLeft()));
}

void TTarqCustomTabControl::RemoveDropIndicator()
{
    if (dropIndicatorShown_)
        DrawDropIndicator(dropIndicator_);
}

void TTarqCustomTabControl::DragOver(TObject* source, int32_t x, int32_t y, TDragState state, bool& accept)
{
    TCustomControl::DragOver(source, x, y, state, accept);
    if (!allowTabDragging_ || source != this)
        return;
    const int32_t i = TabAtPos(x, y);
    if (i == -1) {
        if (!dragScrollTimer_) {
            dragScrollTimer_ = new TTimer(this);
            dragScrollTimer_->OnTimer = [this](TObject* sender) { DragScrollTimer(sender); };
        }
        dragScrollTimer_->SetInterval(dragScrollFirstDelay_);
        dragScrollTimer_->SetEnabled(true);
    }
    accept = i != -1 && i != tabIndex_;
    if (i != dropTarget_) {
        dropTarget_ = i;
        RemoveDropIndicator();
        if (accept) {
            dropIndicator_ = DropIndicatorFor(i);
            DrawDropIndicator(dropIndicator_);
        }
    }
    if (state == dsDragLeave) {
        RemoveDropIndicator();
        dropTarget_ = -1;
    }
}

void TTarqCustomTabControl::DragDrop(TObject* source, int32_t x, int32_t y)
{
    if (allowTabDragging_ && source == this) {
        if (dragScrollTimer_)
            dragScrollTimer_->SetEnabled(false);
        RemoveDropIndicator();
        dropTarget_ = -1;
        const int32_t i = TabAtPos(x, y);
        if (i != -1)
            MoveActiveTab(i);
    }
    TCustomControl::DragDrop(source, x, y);
}

void TTarqCustomTabControl::DragScrollTimer(TObject*)
{
    dragScrollTimer_->SetInterval(dragScrollRepeatDelay_);
    if (!Dragging())
        return;
    const TPoint p = ScreenToClient(GetCursorPos());
    int32_t direction = 0;
    switch (tabOrientation_) {
    case toTop:
    case toBottom: direction = p.X < 0 ? -1 : p.X > Width() ? 1 : 0; break;
    case toLeft: direction = p.Y < 0 ? 1 : p.Y > Height() ? -1 : 0; break;
    case toRight: direction = p.Y < 0 ? -1 : p.Y > Height() ? 1 : 0; break;
    }
    if (tabSequence_ == tsReverse)
        direction = -direction;
    if (direction != 0)
        ScrollTabs(direction == 1);
}

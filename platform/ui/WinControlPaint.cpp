// TWinControl painting: update regions, the paint pass into the top-level
// window's backing store, erasing, window-less children, the non-client
// area and painting into a supplied canvas.

#include <algorithm>
#include <optional>

#include "platform/core/Exceptions.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DockTree.h"
#include "platform/ui/ScrollBars.h"
#include "platform/ui/WindowSystem.h"

TRect TWinControl::ClientToWindow(const TRect& clientRect) const
{
    return OffsetRect(clientRect, ncInsets_.Left, ncInsets_.Top);
}

TWinControl* TWinControl::TopLevel()
{
    TWinControl* control = this;
    while (control->parent_)
        control = control->parent_;
    return control;
}

// ---- Invalidation ---------------------------------------------------------------

void TWinControl::AddToUpdateRegion(const TRegion& windowRegion, bool erase)
{
    if (!Showing())
        return;
    TRegion clipped;
    clipped.Combine(windowRegion, TRegion(Rect(0, 0, width_, height_)), RGN_AND);
    if (clipped.Empty())
        return;
    updateRegion_.Combine(updateRegion_, clipped, RGN_OR);
    eraseNeeded_ = eraseNeeded_ || erase;
}

void TWinControl::Invalidate() { AddToUpdateRegion(TRegion(Rect(0, 0, width_, height_)), !HasStyle(csOpaque)); }

void TWinControl::InvalidateClientRect(const TRect& clientRect, bool erase)
{
    TRect r = IntersectRect(ClientToWindow(clientRect), ClientRectInWindow());
    if (!IsRectEmpty(r))
        AddToUpdateRegion(TRegion(r), erase);
}

void TWinControl::InvalidateTree()
{
    if (!Showing())
        return;
    // Below a showing window, a visible child shows too: asking each window
    // whether it shows would climb the tree again at every level.
    auto invalidate = [](auto& self, TWinControl* window) -> void {
        const TRect whole = Rect(0, 0, window->width_, window->height_);
        if (!IsRectEmpty(whole)) {
            window->updateRegion_ = TRegion(whole);
            window->eraseNeeded_ = window->eraseNeeded_ || !window->HasStyle(csOpaque);
        }
        for (TControl* child : window->controls_)
            if (auto* win = dynamic_cast<TWinControl*>(child); win && win->visible_)
                self(self, win);
    };
    invalidate(invalidate, this);
}

void TWinControl::InvalidateNonClient()
{
    TRegion frame(Rect(0, 0, width_, height_));
    frame.Combine(frame, TRegion(ClientRectInWindow()), RGN_DIFF);
    AddToUpdateRegion(frame, false);
}

TCanvas* TWinControl::WindowCanvas()
{
    // The visible region leaves out child windows but keeps the frame.
    return windowCanvas_.Over(this, WindowRectInTop());
}

void TWinControl::InvalidateTreeRect(const TRect& windowRect)
{
    AddToUpdateRegion(TRegion(windowRect), true);
    for (TControl* child : controls_) {
        auto* win = dynamic_cast<TWinControl*>(child);
        if (!win || !win->visible_)
            continue;
        TRect childRect = ClientToWindow(win->BoundsRect());
        TRect overlap = IntersectRect(windowRect, childRect);
        if (!IsRectEmpty(overlap))
            win->InvalidateTreeRect(OffsetRect(overlap, -childRect.Left, -childRect.Top));
    }
}

void TWinControl::Update()
{
    if (!Showing())
        return;
    PaintTree();
    TopLevel()->PresentChanges();
}

void TWinControl::Repaint()
{
    Invalidate();
    Update();
}

// ---- The paint pass -----------------------------------------------------------------

namespace {

uint64_t layoutGeneration = 0;

// A child's window rectangle from its parent's, both in top-level coordinates.
TRect ChildWindowRect(const TRect& parentWindow, const TRect& parentClientInWindow, const TRect& childBounds)
{
    return OffsetRect(childBounds, parentWindow.Left + parentClientInWindow.Left,
                      parentWindow.Top + parentClientInWindow.Top);
}

} // namespace

void TWinControl::LayoutChanged() { ++layoutGeneration; }

// Asking each window for its top-level window, its place in it and what
// its ancestors leave visible climbed the tree once per window: painting
// nested windows took time quadratic in the depth. The pass works each
// level out once from its parent's answers, on first use. A paint handler
// may move, hide, re-parent or re-stack windows; answers from an older
// layout are then worked out again, from the tree as it now stands.
struct TWinControl::TPaintAncestry {
    TPaintAncestry(const TPaintAncestry* above, TWinControl* w) : parent(above), window(w) {}

    const TPaintAncestry* parent;
    TWinControl* window;

    TWinControl* Top() const { return Resolved().top; }
    const TRect& WindowInTop() const { return Resolved().windowInTop; }
    // Where in the top-level window the window shows when its own child
    // windows are left out of account.
    const TRegion& Reach() const { return Resolved().reach; }

private:
    struct TAnswers {
        TWinControl* top = nullptr;
        TRect windowInTop;
        TRegion reach;
    };

    const TAnswers& Resolved() const
    {
        if (!answers || generation != layoutGeneration) {
            answers = parent && window->parent_ == parent->window ? FromParent(parent->Resolved()) : FromTree();
            generation = layoutGeneration;
        }
        return *answers;
    }

    std::optional<TAnswers> FromParent(const TAnswers& above) const
    {
        const TWinControl* p = window->parent_;
        const TRect parentInsets = p->ClientRectInWindow();
        TAnswers found{above.top, ChildWindowRect(above.windowInTop, parentInsets, window->BoundsRect()), {}};
        const TRect parentClient = OffsetRect(parentInsets, above.windowInTop.Left, above.windowInTop.Top);
        found.reach.Combine(above.reach, TRegion(IntersectRect(parentClient, found.windowInTop)), RGN_AND);
        auto it = std::find(p->controls_.begin(), p->controls_.end(), static_cast<const TControl*>(window));
        for (++it; it != p->controls_.end(); ++it)
            if (auto* sibling = dynamic_cast<TWinControl*>(*it); sibling && sibling->visible_)
                SubtractIfOverlapping(found.reach,
                                      ChildWindowRect(above.windowInTop, parentInsets, sibling->BoundsRect()));
        return found;
    }

    // The chain from the top-level window down to this one, walked once.
    std::optional<TAnswers> FromTree() const
    {
        std::vector<TWinControl*> line;
        for (TWinControl* w = window; w; w = w->parent_)
            line.push_back(w);
        TWinControl* top = line.back();
        std::optional<TAnswers> found =
            TAnswers{top, Rect(0, 0, top->width_, top->height_), TRegion(Rect(0, 0, top->width_, top->height_))};
        for (auto it = std::next(line.rbegin()); it != line.rend(); ++it)
            found = TPaintAncestry{nullptr, *it}.FromParent(*found);
        return found;
    }

    static void SubtractIfOverlapping(TRegion& region, const TRect& rect)
    {
        if (!IsRectEmpty(IntersectRect(region.BoundingBox(), rect)))
            region.Combine(region, TRegion(rect), RGN_DIFF);
    }

    mutable std::optional<TAnswers> answers;
    mutable uint64_t generation = 0;
};

void TWinControl::PaintTree()
{
    if (!Showing())
        return;
    // A paint handler may hide, move or free windows of the tree, so each
    // child is checked again before its turn; below a showing window, a
    // visible child shows.
    auto paint = [](auto& self, TWinControl* window, const TPaintAncestry& ancestry) -> void {
        if (window->NeedsPaint()) {
            window->paintAncestry_ = &ancestry;
            window->Perform(WM_PAINT);
            window->paintAncestry_ = nullptr;
        }
        std::vector<TControl*> children = window->controls_;
        for (TControl* child : children)
            if (auto* win = dynamic_cast<TWinControl*>(child); win && window->ContainsControl(win) && win->visible_)
                self(self, win, TPaintAncestry{&ancestry, win});
    };
    paint(paint, this, TPaintAncestry{nullptr, this});
}

TRegion TWinControl::VisibleRegionIn(const TPaintAncestry& ancestry) const
{
    const TRect window = ancestry.WindowInTop();
    TRegion region = ancestry.Reach();
    for (TControl* c : controls_)
        if (auto* win = dynamic_cast<TWinControl*>(c); win && win->visible_) {
            const TRect child = ChildWindowRect(window, ClientRectInWindow(), win->BoundsRect());
            if (!IsRectEmpty(IntersectRect(region.BoundingBox(), child)))
                region.Combine(region, TRegion(child), RGN_DIFF);
        }
    return region;
}

TRegion TWinControl::VisibleRegion() { return VisibleRegionIn(TPaintAncestry{nullptr, this}); }

void TWinControl::WMPaint(TMessage& message)
{
    if (message.WParam) {
        PaintHandler(message);
        return;
    }
    TRegion update = std::move(updateRegion_);
    updateRegion_ = TRegion();
    bool erase = eraseNeeded_;
    eraseNeeded_ = false;
    const TPaintAncestry fromTree{nullptr, this};
    const TPaintAncestry& ancestry = paintAncestry_ ? *paintAncestry_ : fromTree;
    TWinControl* top = ancestry.Top();
    TBitmap* store = top->backingStore_.get();
    if (!store)
        return;
    TRect window = ancestry.WindowInTop();
    update.Offset(window.Left, window.Top);
    TRegion area;
    area.Combine(update, VisibleRegionIn(ancestry), RGN_AND);
    if (area.Empty())
        return;
    top->AddPresentRect(area.BoundingBox());

    TRect clientInTop = OffsetRect(ClientRectInWindow(), window.Left, window.Top);
    TRegion nonClient;
    nonClient.Combine(area, TRegion(clientInTop), RGN_DIFF);
    if (!nonClient.Empty()) {
        TCanvas canvas(store);
        canvas.SetDeviceClip(&nonClient);
        canvas.SetViewportOrigin(window.TopLeft());
        Perform(WM_NCPAINT, reinterpret_cast<WPARAM>(&canvas));
    }
    TRegion client;
    client.Combine(area, TRegion(clientInTop), RGN_AND);
    if (client.Empty())
        return;
    if (doubleBuffered_)
        PaintClientBuffered(*store, client, clientInTop);
    else
        PaintClientDirect(*store, client, clientInTop.TopLeft(), erase);
}

void TWinControl::PaintClientDirect(TBitmap& store, const TRegion& clip, TPoint origin, bool erase)
{
    TCanvas canvas(&store);
    canvas.SetDeviceClip(&clip);
    canvas.SetViewportOrigin(origin);
    if (erase)
        Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(&canvas));
    TMessage paint{WM_PAINT, reinterpret_cast<WPARAM>(&canvas), 0, 0};
    PaintHandler(paint);
}

// Flicker-free: everything is composed off-screen and copied in one step.
void TWinControl::PaintClientBuffered(TBitmap& store, const TRegion& clip, const TRect& clientInTop)
{
    TBitmap buffer(std::max(clientInTop.Width(), 1), std::max(clientInTop.Height(), 1), pf32bit);
    TRegion localClip = clip;
    localClip.Offset(-clientInTop.Left, -clientInTop.Top);
    PaintClientDirect(buffer, localClip, {0, 0}, true);
    TCanvas canvas(&store);
    canvas.SetDeviceClip(&clip);
    TCanvas source(&buffer);
    canvas.BitBlt(clientInTop.Left, clientInTop.Top, clientInTop.Width(), clientInTop.Height(), &source, 0, 0, SRCCOPY);
}

void TWinControl::PaintHandler(TMessage& message)
{
    TCanvas& canvas = *reinterpret_cast<TCanvas*>(message.WParam);
    bool hasGraphic = std::any_of(controls_.begin(), controls_.end(),
                                  [](TControl* c) { return c->visible_ && !dynamic_cast<TWinControl*>(c); });
    if (!hasGraphic) {
        PaintWindow(canvas);
    } else {
        int saved = canvas.SaveDC();
        for (TControl* c : controls_)
            if (c->visible_ && c->HasStyle(csOpaque) && !dynamic_cast<TWinControl*>(c))
                canvas.ExcludeClipRect(c->left_, c->top_, c->left_ + c->width_, c->top_ + c->height_);
        PaintWindow(canvas);
        canvas.RestoreDC(saved);
        PaintControls(canvas, nullptr);
    }
    if (dockSite_ && dockManager_)
        dockManager_->PaintSite(canvas);
}

void TWinControl::PaintWindow(TCanvas&) {}

void TWinControl::PaintControls(TCanvas& canvas, TControl* first)
{
    auto it = first ? std::find(controls_.begin(), controls_.end(), first) : controls_.begin();
    std::vector<TControl*> list(it, controls_.end());
    for (TControl* c : list) {
        if (!c->visible_ || dynamic_cast<TWinControl*>(c) || !ContainsControl(c))
            continue;
        if (!canvas.RectVisible(c->BoundsRect()))
            continue;
        int saved = canvas.SaveDC();
        TPoint origin = canvas.ViewportOrigin();
        canvas.SetViewportOrigin({origin.X + c->left_, origin.Y + c->top_});
        canvas.IntersectClipRect(0, 0, c->width_, c->height_);
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(&canvas));
        canvas.RestoreDC(saved);
    }
}

void TWinControl::WMEraseBkgnd(TMessage& message)
{
    TCanvas& canvas = *reinterpret_cast<TCanvas*>(message.WParam);
    if (ParentBackground() && parent_) {
        PaintParentBackground(canvas);
    } else {
        canvas.Brush()->SetColor(color_);
        canvas.Brush()->SetStyle(bsSolid);
        canvas.FillRect(ClientRect());
    }
    message.Result = 1;
}

void TWinControl::SetParentBackground(bool value)
{
    if (ParentBackground() == value)
        return;
    controlStyle_ = value ? (controlStyle_ | csParentBackground) : (controlStyle_ & ~csParentBackground);
    Invalidate();
}

void TControl::PaintParentBackground(TCanvas& canvas)
{
    if (!parent_)
        return;
    int saved = canvas.SaveDC();
    canvas.IntersectClipRect(0, 0, width_, height_);
    TPoint origin = canvas.ViewportOrigin();
    canvas.SetViewportOrigin({origin.X - left_, origin.Y - top_});
    parent_->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(&canvas));
    parent_->PaintWindow(canvas);
    // Only what lies beneath: window-less siblings below this control.
    auto self = std::find(parent_->controls_.begin(), parent_->controls_.end(), this);
    for (auto it = parent_->controls_.begin(); it != self && it != parent_->controls_.end(); ++it) {
        TControl* c = *it;
        if (!c->visible_ || dynamic_cast<TWinControl*>(c))
            continue;
        int inner = canvas.SaveDC();
        TPoint o = canvas.ViewportOrigin();
        canvas.SetViewportOrigin({o.X + c->left_, o.Y + c->top_});
        canvas.IntersectClipRect(0, 0, c->width_, c->height_);
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(&canvas));
        canvas.RestoreDC(inner);
    }
    canvas.RestoreDC(saved);
}

void TWinControl::PaintTo(TCanvas& canvas, int32_t x, int32_t y)
{
    int saved = canvas.SaveDC();
    TPoint origin = canvas.ViewportOrigin();
    canvas.SetViewportOrigin({origin.X + x, origin.Y + y});
    canvas.IntersectClipRect(0, 0, width_, height_);
    Perform(WM_NCPAINT, reinterpret_cast<WPARAM>(&canvas));
    canvas.SetViewportOrigin({origin.X + x + ncInsets_.Left, origin.Y + y + ncInsets_.Top});
    TRect client = ClientRect();
    canvas.IntersectClipRect(client.Left, client.Top, client.Right, client.Bottom);
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(&canvas));
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(&canvas));
    canvas.RestoreDC(saved);
    for (TControl* c : controls_)
        if (auto* win = dynamic_cast<TWinControl*>(c); win && win->visible_)
            win->PaintTo(canvas, x + ncInsets_.Left + win->left_, y + ncInsets_.Top + win->top_);
}

// ---- Non-client area ----------------------------------------------------------------------

void TWinControl::WMNCCalcSize(TMessage& message)
{
    TRect& rect = *reinterpret_cast<TRect*>(message.LParam);
    if (createdWith_.ExStyle & WS_EX_CLIENTEDGE)
        rect = InflateRect(rect, -2, -2);
    if (createdWith_.Style & WS_BORDER)
        rect = InflateRect(rect, -1, -1);
    if (createdWith_.Style & WS_VSCROLL)
        rect.Right -= ScrollBarSize;
    if (createdWith_.Style & WS_HSCROLL)
        rect.Bottom -= ScrollBarSize;
}

TWindowScrollBars* TWinControl::WindowScrollBars()
{
    HandleNeeded();
    if (!(createdWith_.Style & (WS_HSCROLL | WS_VSCROLL)))
        return nullptr;
    if (!scrollBars_)
        scrollBars_ = std::make_unique<TWindowScrollBars>(*this);
    return scrollBars_.get();
}

void TWinControl::WMNCPaint(TMessage& message) { PaintNonClient(*reinterpret_cast<TCanvas*>(message.WParam)); }

void TWinControl::PaintNonClient(TCanvas& canvas)
{
    TRect r = Rect(0, 0, width_, height_);
    auto edge = [&canvas](TRect& rect, TColor topLeft, TColor bottomRight) {
        canvas.Pen()->SetColor(topLeft);
        canvas.MoveTo(rect.Left, rect.Bottom - 1);
        canvas.LineTo(rect.Left, rect.Top);
        canvas.LineTo(rect.Right - 1, rect.Top);
        canvas.Pen()->SetColor(bottomRight);
        canvas.LineTo(rect.Right - 1, rect.Bottom - 1);
        canvas.LineTo(rect.Left - 1, rect.Bottom - 1);
        rect = InflateRect(rect, -1, -1);
    };
    if (createdWith_.Style & WS_BORDER)
        edge(r, clWindowFrame, clWindowFrame);
    if (createdWith_.ExStyle & WS_EX_CLIENTEDGE) {
        edge(r, clBtnShadow, clBtnHighlight);
        edge(r, cl3DDkShadow, cl3DLight);
    }
    if (TWindowScrollBars* bars = WindowScrollBars())
        bars->Paint(canvas);
}

void TWinControl::WMNCHitTest(TMessage& message)
{
    TPoint screen = LParamToPoint(message.LParam);
    TPoint origin = ClientOrigin();
    TPoint local{screen.X - origin.X + ncInsets_.Left, screen.Y - origin.Y + ncInsets_.Top};
    if (!PtInRect(Rect(0, 0, width_, height_), local))
        message.Result = HTNOWHERE;
    else if (PtInRect(ClientRectInWindow(), local))
        message.Result = HTCLIENT;
    else if (LRESULT bar = WindowScrollBars() ? WindowScrollBars()->HitTest(local) : HTNOWHERE; bar != HTNOWHERE)
        message.Result = bar;
    else
        message.Result = HTBORDER;
}

// ---- Presenting top-level windows --------------------------------------------------------------

void TWinControl::AddPresentRect(const TRect& windowRect)
{
    presentRect_ = UnionRect(presentRect_, IntersectRect(windowRect, Rect(0, 0, width_, height_)));
}

void TWinControl::UpdateLayered(const TBitmap& premultiplied, uint8_t constantAlpha)
{
    HandleNeeded();
    if (!(createdWith_.ExStyle & WS_EX_LAYERED) || premultiplied.PixelFormat() != pf32bit)
        throw EInvalidOperation("Not a layered window or not a 32-bit image");
    auto image = std::make_unique<TBitmap>(premultiplied.Width(), premultiplied.Height(), pf32bit);
    for (int32_t y = 0; y < image->Height(); ++y) {
        const uint8_t* src = premultiplied.ScanLine(y);
        uint8_t* dst = image->ScanLine(y);
        for (int32_t x = 0; x < image->Width(); ++x) {
            uint32_t a = src[4 * x + 3];
            for (int c = 0; c < 3; ++c)
                dst[4 * x + c] = a ? static_cast<uint8_t>(std::min<uint32_t>(src[4 * x + c] * 255u / a, 255u)) : 0;
            dst[4 * x + 3] = static_cast<uint8_t>(a * constantAlpha / 255u);
        }
    }
    layeredImage_ = std::move(image);
    SetBounds(left_, top_, layeredImage_->Width(), layeredImage_->Height());
    AddPresentRect(Rect(0, 0, width_, height_));
    if (Showing())
        PresentChanges();
}

void TWinControl::ComposeForDesktop(TBitmap& image) const
{
    if (layeredImage_) {
        image.Assign(layeredImage_.get());
        return;
    }
    image.SetPixelFormat(pf32bit);
    image.SetSize(backingStore_->Width(), backingStore_->Height());
    for (int32_t y = 0; y < image.Height(); ++y) {
        const uint8_t* src = backingStore_->ScanLine(y);
        uint8_t* dst = image.ScanLine(y);
        for (int32_t x = 0; x < image.Width(); ++x) {
            dst[4 * x] = src[4 * x];
            dst[4 * x + 1] = src[4 * x + 1];
            dst[4 * x + 2] = src[4 * x + 2];
            dst[4 * x + 3] = 255;
        }
    }
}

void TWinControl::PresentChanges()
{
    if (!native_ || !backingStore_ || IsRectEmpty(presentRect_))
        return;
    TBitmap image(width_, height_, pf32bit);
    ComposeForDesktop(image);
    WindowSystem().Caret().DrawInto(*this, image);
    native_->Present(image, presentRect_);
    presentRect_ = TRect{};
}

#pragma once
// Controls: TControl (window-less, painted by its parent) and TWinControl
// (a window of its own with children, focus and keyboard input), plus the
// two painting bases TGraphicControl and TCustomControl.
//
// Messages reach a control through WindowProc (replaceable, so a window
// procedure can be subclassed and restored), whose default is WndProc;
// WndProc hands them to Dispatch, which each class overrides with its own
// handlers and falls back to its base class ("inherited"); what no class
// handles reaches DefaultHandler.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Components.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Colors.h"
#include "platform/gfx/Font.h"
#include "platform/gfx/Geometry.h"
#include "platform/gfx/Region.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Alignment.h"
#include "platform/ui/DragDrop.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowSystem.h"

class TWinControl;
class TCustomForm;
class TWindowScrollBars;
class TPopupMenu;
class IDockManager;

enum TAnchorKind : uint8_t { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = uint8_t;
constexpr TAnchors DefaultAnchors = akLeft | akTop;

// What a control is and does (ControlStyle).
enum TControlStyleItem : uint32_t {
    csAcceptsControls = 1u << 0,
    csCaptureMouse = 1u << 1,
    csClickEvents = 1u << 2,
    csFramed = 1u << 3,
    csSetCaption = 1u << 4,
    csOpaque = 1u << 5,
    csDoubleClicks = 1u << 6,
    csFixedWidth = 1u << 7,
    csFixedHeight = 1u << 8,
    csReplicatable = 1u << 9,
    csNoStdEvents = 1u << 10,
    csReflector = 1u << 11,
    csParentBackground = 1u << 12,
    csNeedsBorderPaint = 1u << 13,
};
using TControlStyle = uint32_t;

// What a control is doing now (ControlState).
enum TControlStateItem : uint32_t {
    csLButtonDown = 1u << 0,
    csClicked = 1u << 1,
    csAlignmentNeeded = 1u << 2,
    csFocusing = 1u << 3,
    csCreating = 1u << 4,
    csPaintCopy = 1u << 5,
    csCustomPaint = 1u << 6,
    csDestroyingHandle = 1u << 7,
};
using TControlState = uint32_t;

// Window styles (CreateParams.Style and ExStyle).
constexpr uint32_t WS_OVERLAPPED = 0x00000000;
constexpr uint32_t WS_POPUP = 0x80000000;
constexpr uint32_t WS_CHILD = 0x40000000;
constexpr uint32_t WS_MINIMIZE = 0x20000000;
constexpr uint32_t WS_VISIBLE = 0x10000000;
constexpr uint32_t WS_DISABLED = 0x08000000;
constexpr uint32_t WS_CLIPSIBLINGS = 0x04000000;
constexpr uint32_t WS_CLIPCHILDREN = 0x02000000;
constexpr uint32_t WS_CAPTION = 0x00C00000;
constexpr uint32_t WS_BORDER = 0x00800000;
constexpr uint32_t WS_VSCROLL = 0x00200000;
constexpr uint32_t WS_HSCROLL = 0x00100000;
constexpr uint32_t WS_SYSMENU = 0x00080000;
constexpr uint32_t WS_THICKFRAME = 0x00040000;
constexpr uint32_t WS_TABSTOP = 0x00010000;
constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
constexpr uint32_t WS_MAXIMIZEBOX = 0x00010000;
constexpr uint32_t WS_EX_TOPMOST = 0x00000008;
constexpr uint32_t WS_EX_TRANSPARENT = 0x00000020;
constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080;
constexpr uint32_t WS_EX_CLIENTEDGE = 0x00000200;
constexpr uint32_t WS_EX_LAYERED = 0x00080000;
constexpr uint32_t WS_EX_NOACTIVATE = 0x08000000;
constexpr uint32_t CS_VREDRAW = 0x0001;
constexpr uint32_t CS_HREDRAW = 0x0002;
constexpr uint32_t CS_DBLCLKS = 0x0008;
constexpr uint32_t CS_OWNDC = 0x0020;
constexpr uint32_t CS_SAVEBITS = 0x0800;

struct TCreateParams {
    std::string Caption;
    uint32_t Style = 0;
    uint32_t ExStyle = 0;
    uint32_t WindowClassStyle = CS_DBLCLKS;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    HWND WndParent = 0;
};

// Cursor ids of the class library (negative: built-in shapes).
using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int32_t x, int32_t y)>;
using TMouseWheelEvent =
    std::function<void(TObject* sender, TShiftState shift, int32_t wheelDelta, TPoint mousePos, bool& handled)>;
using TKeyEvent = std::function<void(TObject* sender, uint16_t& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char32_t& key)>;
using TContextPopupEvent = std::function<void(TObject* sender, TPoint mousePos, bool& handled)>;
using TWndMethod = std::function<void(TMessage&)>;

// A canvas for drawing on a window outside the paint pass: over an area of
// the window's top-level backing store, clipped to what shows of the window,
// or over a scratch bitmap while the window is not shown. Each caller keeps
// its own, so that a canvas it handed out stays valid until its next call.
class TWindowCanvasCache {
public:
    // `areaInTop` (top-level coordinates) gives the canvas's origin and clip;
    // a null window draws on scratch.
    TCanvas* Over(TWinControl* window, const TRect& areaInTop);

private:
    std::unique_ptr<TCanvas> canvas_;
    std::unique_ptr<TBitmap> scratch_;
};

// ---------------------------------------------------------------------------
class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    // ---- Messages ----
    // The current window procedure; replace it to subclass, put the saved
    // one back to restore.
    TWndMethod WindowProc;
    LRESULT Perform(uint32_t msg, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual void WndProc(TMessage& message);
    virtual void Dispatch(TMessage& message);
    virtual void DefaultHandler(TMessage& message);

    // ---- Tree ----
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    // The form the control sits on (nullptr when not on one).
    TCustomForm* ParentForm() const;
    bool HasParent() const { return parent_ != nullptr; }

    // ---- Bounds ----
    int32_t Left() const { return left_; }
    int32_t Top() const { return top_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    void SetLeft(int32_t v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int32_t v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int32_t v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int32_t v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    virtual TRect ClientRect() const;
    int32_t ClientWidth() const { return ClientRect().Width(); }
    int32_t ClientHeight() const { return ClientRect().Height(); }
    void SetClientSize(int32_t width, int32_t height);
    void SetClientWidth(int32_t v) { SetClientSize(v, ClientHeight()); }
    void SetClientHeight(int32_t v) { SetClientSize(ClientWidth(), v); }
    // Screen position of the client area's top-left corner.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;
    // Position in the parent's client area (or on screen without one).
    TPoint ClientToParent(TPoint p, const TWinControl* parent = nullptr) const;

    TAlign Align() const { return align_; }
    void SetAlign(TAlign value);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors value);
    bool AutoSize() const { return autoSize_; }
    virtual void SetAutoSize(bool value);

    // ---- State ----
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible and every parent visible (and the top window shown).
    virtual bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool value);
    // Enabled with every parent enabled.
    bool IsEnabledInTree() const;

    TColor Color() const { return color_; }
    void SetColor(TColor value);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    TFont* Font() { return font_.get(); }
    const TFont* Font() const { return font_.get(); }
    void SetFont(const TFont* value) { font_->Assign(value); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value) { hint_ = value; }
    // Caption and Text are the same string.
    const std::string& Caption() const { return text_; }
    void SetCaption(const std::string& value) { SetText(value); }
    const std::string& Text() const { return text_; }
    void SetText(const std::string& value);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value);
    // Shown on a right click (or the menu key) while its AutoPopup is on.
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* value);

    TControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TControlStyle value) { controlStyle_ = value; }
    TControlState ControlState() const { return controlState_; }
    void SetControlState(TControlState value) { controlState_ = value; }
    bool HasStyle(TControlStyle s) const { return (controlStyle_ & s) != 0; }

    bool MouseCapture() const;
    void SetMouseCapture(bool value);

    // ---- Z order ----
    void BringToFront();
    void SendToBack();

    // ---- Painting ----
    virtual void Invalidate();
    void InvalidateRect(const TRect& clientRect, bool erase);
    // Paints what is invalid in the containing window now.
    virtual void Update();
    virtual void Repaint();
    void Refresh() { Repaint(); }

    // ---- Actions ----
    // The action the control follows: its caption, enabled, hint and visible
    // state are taken over now and track the action's changes while the
    // control's own values still equal the action's.
    TBasicAction* Action() const;
    void SetAction(TBasicAction* value);
    // OnClick when there is one, else the action's Execute.
    virtual void Click();
    virtual void DblClick();

    // ---- Dragging and docking ----
    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode value) { dragMode_ = value; }
    TDragKind DragKind() const { return dragKind_; }
    void SetDragKind(TDragKind value) { dragKind_ = value; }
    TCursor DragCursor() const { return dragCursor_; }
    void SetDragCursor(TCursor value) { dragCursor_ = value; }
    // Starts dragging (docking with DragKind dkDock) at once, or once the
    // mouse has moved `threshold` pixels (-1: the default) with the button
    // held.
    void BeginDrag(bool immediate, int32_t threshold = -1);
    // Ends this control's drag, dropping it where it is or cancelling it.
    void EndDrag(bool drop);
    bool Dragging() const;
    // Whether the control takes `source` dropped at the client point;
    // OnDragOver answers, refusing when there is none.
    virtual void DragOver(TObject* source, int32_t x, int32_t y, TDragState state, bool& accept);
    virtual void DragDrop(TObject* source, int32_t x, int32_t y);
    virtual void DoStartDrag(TDragObject*& dragObject);
    virtual void DoEndDrag(TObject* target, int32_t x, int32_t y);
    virtual void DoStartDock(TDragDockObject*& dragObject);
    virtual void DoEndDock(TObject* target, int32_t x, int32_t y);
    // The dock site holding the control (nullptr when not docked).
    TWinControl* HostDockSite() const { return hostDockSite_; }
    // Docked into a floating window of its own, or a form on its own.
    bool Floating() const;
    // Docks the control into `site` (nullptr: floats it where it stands);
    // false when the site it leaves refuses to let it go.
    bool ManualDock(TWinControl* site, TControl* dropControl = nullptr, TAlign controlSide = alNone);
    // Floats the control in a window of its own over `screenRect`.
    bool ManualFloat(const TRect& screenRect);
    // Places the control into `site` over `rect` (the site's client
    // coordinates) and notes it as docked there.
    virtual void Dock(TWinControl* site, const TRect& rect);

    TStartDragEvent OnStartDrag;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TEndDragEvent OnEndDrag;
    TStartDockEvent OnStartDock;
    TEndDragEvent OnEndDock;

    // ---- Events ----
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnResize;
    TContextPopupEvent OnContextPopup;

    // The parent's background as it stands under this control, into `canvas`
    // whose origin is this control's top-left corner.
    void PaintParentBackground(TCanvas& canvas);

    bool IsRightToLeft() const { return false; }
    bool UseRightToLeftAlignment() const { return false; }

protected:
    friend class TWinControl;

    virtual void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void MouseMove(TShiftState shift, int32_t x, int32_t y);
    virtual void Resize();
    bool IsLoading() const;
    void Notification(TComponent* component, TOperation operation) override;
    virtual std::unique_ptr<TControlActionLink> CreateActionLink();
    // Takes over the action's properties; with `checkDefaults` only those
    // the control still has at their defaults.
    virtual void ActionChange(TBasicAction* action, bool checkDefaults);
    TControlActionLink* ActionLink() const { return actionLink_.get(); }
    // Called after the bounds changed (before realignment of the parent).
    virtual void BoundsChanged() {}
    // The size AutoSize asks for; false when the control keeps its size.
    virtual bool CanAutoSize(int32_t& newWidth, int32_t& newHeight);
    virtual void AdjustSize();
    void Loaded() override;
    virtual void VisibleChanging() {}

    // Message handlers of TControl.
    void WMMouseButton(TMessage& message, TMouseButton button, bool down, bool dbl);
    void WMMouseMove(TMessage& message);
    void CMParentColorChanged(TMessage& message);
    void CMParentFontChanged(TMessage& message);
    void CMParentShowHintChanged(TMessage& message);
    void CMHitTest(TMessage& message) { message.Result = 1; }
    void WMContextMenu(TMessage& message);

    void SetBoundsFields(int32_t left, int32_t top, int32_t width, int32_t height);
    void RequestAlign();
    void UpdateAnchorRules();
    void FontChanged(TObject* sender);

    TWinControl* parent_ = nullptr;
    int32_t left_ = 0;
    int32_t top_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    TAlign align_ = alNone;
    TAnchors anchors_ = DefaultAnchors;
    // Position and size at the last explicit placement, and the parent's
    // client size then: anchors keep the distances to the anchored edges.
    TPoint anchorOrigin_;
    TSize anchorSize_;
    TSize anchorParentSize_;
    bool autoSize_ = false;
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clWindow;
    // Controls that set a colour of their own clear it.
    bool parentColor_ = true;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    std::string hint_;
    std::string text_;
    TCursor cursor_ = crDefault;
    TComponentRef<TPopupMenu> popupMenu_{this};
    std::unique_ptr<TControlActionLink> actionLink_;
    TControlStyle controlStyle_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    TControlState controlState_ = 0;
    bool applyingFont_ = false;
    TDragMode dragMode_ = dmManual;
    TDragKind dragKind_ = dkDrag;
    TCursor dragCursor_ = crDrag;
    TComponentRef<TWinControl> hostDockSite_{this};
};

// ---------------------------------------------------------------------------
class TWinControl : public TControl, public TWndTarget {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // ---- Window ----
    HWND Handle();
    bool HandleAllocated() const { return handle_ != 0; }
    void WndProc(TMessage& message) override;
    void HandleNeeded() { Handle(); }
    void ReceiveMessage(TMessage& message) override { WindowProc(message); }
    void RecreateWnd();

    // ---- Children, in z-order (bottom first) ----
    int32_t ControlCount() const { return static_cast<int32_t>(controls_.size()); }
    TControl* Controls(int32_t index) const { return controls_[index]; }
    // Sends the message to every child in turn until one answers non-zero.
    void Broadcast(TMessage& message);
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    bool ContainsControl(const TControl* control) const;
    // The child (window-less or not) at a client point; nullptr when none.
    TControl* ControlAtPos(TPoint clientPos, bool allowDisabled, bool allowWinControls = true) const;
    void SetChildOrder(TControl* child, int32_t order);

    // ---- Layout ----
    void DisableAlign() { ++alignDisabled_; }
    void EnableAlign();
    void Realign();
    virtual void AlignControls(TControl* control, TRect& rect);
    virtual void AdjustClientRect(TRect& rect);
    // Client area in the control's own client coordinates, after
    // AdjustClientRect.
    TRect AdjustedClientRect();
    int32_t BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int32_t value);

    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;
    // Moves, sizes, shows, hides or re-stacks the window, announcing it with
    // WM_WINDOWPOSCHANGING (whose handler may change the record) and
    // WM_WINDOWPOSCHANGED.
    void SetWindowPos(TWindowPos pos);
    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;
    // The window rectangle in the coordinates of the top-level window.
    TRect WindowRectInTop() const;
    TPoint ClientOriginInTop() const;
    // Client coordinates to window coordinates (the non-client edges).
    TRect ClientToWindow(const TRect& clientRect) const;
    TRect ClientRectInWindow() const;
    bool Showing() const override;
    // Whether a screen point inside the bounds belongs to the window (a
    // shaped window answers false outside its region).
    virtual bool ContainsScreenPoint(TPoint) const { return true; }

    // ---- Docking ----
    // A dock site takes controls dragged onto it with DragKind dkDock.
    bool DockSite() const { return dockSite_; }
    void SetDockSite(bool value);
    // With a dock manager, the site lays out its docked controls and draws
    // their grabbers.
    bool UseDockManager() const { return useDockManager_; }
    void SetUseDockManager(bool value);
    IDockManager* DockManager() const { return dockManager_.get(); }
    // The controls docked here, in docking order.
    int32_t DockClientCount() const { return static_cast<int32_t>(dockClients_.size()); }
    TControl* DockClients(int32_t index) const { return dockClients_[index]; }
    virtual void DockOver(TDragDockObject* source, int32_t x, int32_t y, TDragState state, bool& accept);
    virtual void DockDrop(TDragDockObject* source, int32_t x, int32_t y);
    // Whether `client` may dock here, and over which screen rectangle.
    virtual void GetSiteInfo(TControl* client, TRect& influenceRect, TPoint mousePos, bool& canDock);

    TDockOverEvent OnDockOver;
    TDockDropEvent OnDockDrop;
    TGetSiteInfoEvent OnGetSiteInfo;
    TUnDockEvent OnUnDock;

    // ---- Focus and keyboard ----
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool value);
    int32_t TabOrder() const;
    void SetTabOrder(int32_t value);
    virtual bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();
    // The children in tab order, descending into containers when `nested`.
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    // The next (or previous) tab stop after `current` among this control's
    // descendants; nullptr when there is none.
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent) const;
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
    void SelectFirst();

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TMouseWheelEvent OnMouseWheel;

    // ---- Painting ----
    void Invalidate() override;
    void Update() override;
    void Repaint() override;
    void InvalidateClientRect(const TRect& clientRect, bool erase);
    // This window and every child window.
    void InvalidateTree();
    // Only the non-client area (the frame), which WM_NCPAINT repaints.
    void InvalidateNonClient();
    // A canvas over the whole window, non-client area included, with its
    // origin at the window's top-left corner (drawing outside the paint
    // pass; the canvas is valid until the next call).
    TCanvas* WindowCanvas();
    // A rectangle (window coordinates) of this window and of the child
    // windows over it.
    void InvalidateTreeRect(const TRect& windowRect);
    // Visible window area in top-level coordinates: clipped by every
    // parent's client area, by sibling windows above and by child windows.
    TRegion VisibleRegion();
    // Paints this control and its children into `canvas` with this control's
    // top-left corner at (x, y) of the canvas.
    void PaintTo(TCanvas& canvas, int32_t x, int32_t y);
    // Window-less children draw themselves onto the canvas given.
    void PaintControls(TCanvas& canvas, TControl* first);
    bool DoubleBuffered() const { return doubleBuffered_; }
    void SetDoubleBuffered(bool value) { doubleBuffered_ = value; }
    bool ParentBackground() const { return HasStyle(csParentBackground); }
    void SetParentBackground(bool value);

    // The pending update region, in window coordinates (empty when none).
    const TRegion& UpdateRegion() const { return updateRegion_; }
    bool NeedsPaint() const { return !updateRegion_.Empty(); }
    // Sends WM_PAINT to this window and to every child window with a pending
    // update (top-down).
    void PaintTree();

    // ---- Top-level windows ----
    bool IsTopLevel() const { return parent_ == nullptr; }
    bool IsTopMost() const { return (createdWith_.ExStyle & WS_EX_TOPMOST) != 0; }
    uint32_t CreatedStyle() const { return createdWith_.Style; }
    // The window's own scroll bars; nullptr without WS_HSCROLL/WS_VSCROLL.
    TWindowScrollBars* WindowScrollBars();
    // The desktop moved, resized or minimised the top-level window.
    virtual void DesktopMoved(TPoint screenPos);
    virtual void DesktopResized(TSize size);
    virtual void DesktopStateChanged(TNativeWindowState state);
    TWinControl* TopLevel();
    // Present only for a top-level window whose handle exists.
    INativeWindow* NativeWindow() const { return native_.get(); }
    TBitmap* BackingStore() const { return backingStore_.get(); }
    // The image the desktop shows for this top-level window: the backing
    // store with the opacity of each pixel in its alpha byte.
    virtual void ComposeForDesktop(TBitmap& image) const;
    // Shows what was painted since the last call.
    void PresentChanges();
    // A layered window (WS_EX_LAYERED) shows this image instead of what it
    // paints: 32 bits, colours premultiplied by their alpha, the whole
    // image further faded by `constantAlpha`. The window takes the image's
    // size. Raises EInvalidOperation for a window that is not layered.
    void UpdateLayered(const TBitmap& premultiplied, uint8_t constantAlpha);
    void AddPresentRect(const TRect& windowRect);

protected:
    friend class TControl;
    friend class TWindowSystem;

    // What a window's paint learns from its ancestors, handed down the paint
    // pass (defined with the painting).
    struct TPaintAncestry;
    // Moving, sizing, showing, hiding, re-parenting or re-stacking a window
    // makes what a paint pass learned about the ancestors stale.
    static void LayoutChanged();

    void Loaded() override;
    // The dock manager a dock site with UseDockManager gets; the site owns it.
    virtual std::unique_ptr<IDockManager> CreateDockManager();
    virtual void DoAddDockClient(TControl* client, const TRect& rect);
    virtual void DoRemoveDockClient(TControl* client);
    // Whether `client` may leave for `newTarget` (OnUnDock).
    virtual bool DoUnDock(TWinControl* newTarget, TControl* client);
    void CMDockClient(TMessage& message);
    void CMUnDockClient(TMessage& message);
    void UpdateDockManager();
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    virtual void DestroyWnd();
    virtual void CreateNativeWindow(const TCreateParams& params);
    void DestroyHandle();
    void UpdateShowing();
    virtual void ShowingChanged();

    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    // The default window procedure: painting, erasing, non-client area,
    // hit-testing, notification reflection.
    void DefWindowProc(TMessage& message);

    virtual void PaintWindow(TCanvas& canvas);
    virtual void PaintHandler(TMessage& message);
    // Paints the non-client area (WM_NCPAINT's default).
    virtual void PaintNonClient(TCanvas& windowCanvas);

    virtual bool DoKeyDown(TMessage& message);
    virtual bool DoKeyUp(TMessage& message);
    virtual bool DoKeyPress(TMessage& message);
    virtual void KeyDown(uint16_t& key, TShiftState shift);
    virtual void KeyUp(uint16_t& key, TShiftState shift);
    virtual void KeyPress(char32_t& key);
    virtual bool DoMouseWheel(TShiftState shift, int32_t wheelDelta, TPoint mousePos);
    virtual void DoEnter();
    virtual void DoExit();
    // The control that gets a window-less child's mouse message, if any.
    bool IsControlMouseMsg(TMessage& message);

    void WMPaint(TMessage& message);
    void WMEraseBkgnd(TMessage& message);
    void WMSetFocus(TMessage& message);
    void WMKillFocus(TMessage& message);
    void WMSize(TMessage& message);
    void CMEnabledChanged(TMessage& message);
    void CMVisibleChanged(TMessage& message);
    void CNKeyDown(TMessage& message);
    void CNChar(TMessage& message);
    void WMMouseWheel(TMessage& message);
    void WMNCHitTest(TMessage& message);
    void WMNCCalcSize(TMessage& message);
    void WMNCPaint(TMessage& message);
    void WMSetCursor(TMessage& message);
    void ReflectNotification(TMessage& message);

    void NotifyChildren(uint32_t msg);
    void AddToUpdateRegion(const TRegion& windowRegion, bool erase);
    void CNSysChar(TMessage& message);
    bool IsMenuKey(uint16_t key, TShiftState shift);
    void WMWindowPosChanged(TMessage& message);
    void UpdateNonClientInsets();
    void ApplyTopLevelZOrder(HWND insertAfter);
    void ResizeBackingStore();
    void AlignOne(TControl* control, TAlign align, TRect& rect);
    void ApplyAnchors();
    bool CanAutoSize(int32_t& newWidth, int32_t& newHeight) override;
    bool WantsNativeWindow() const;
    void PaintClientDirect(TBitmap& store, const TRegion& clip, TPoint origin, bool erase);
    TRegion VisibleRegionIn(const TPaintAncestry& ancestry) const;
    void PaintClientBuffered(TBitmap& store, const TRegion& clip, const TRect& clientInTop);

    std::vector<TControl*> controls_;
    std::vector<TWinControl*> tabList_;
    HWND handle_ = 0;
    bool tabStop_ = false;
    int32_t borderWidth_ = 0;
    int32_t alignDisabled_ = 0;
    bool aligning_ = false;
    bool syncingFromDesktop_ = false;
    TRect ncInsets_; // widths of the non-client edges
    bool doubleBuffered_ = false;
    bool showing_ = false;
    TRegion updateRegion_;
    bool eraseNeeded_ = false;
    std::unique_ptr<TWindowScrollBars> scrollBars_;
    TWindowCanvasCache windowCanvas_;
    std::unique_ptr<INativeWindow> native_;
    std::unique_ptr<TBitmap> backingStore_;
    std::unique_ptr<TBitmap> layeredImage_; // straight alpha, ready to present
    TRect presentRect_;
    TCreateParams createdWith_;
    // Set while the paint pass sends this window WM_PAINT.
    const TPaintAncestry* paintAncestry_ = nullptr;
    bool dockSite_ = false;
    bool useDockManager_ = false;
    std::unique_ptr<IDockManager> dockManager_;
    std::vector<TControl*> dockClients_;
};

// ---------------------------------------------------------------------------
// A window-less control with its own Paint; its canvas is the parent's,
// moved to the control's corner and clipped to it.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    // The canvas to paint on: during WM_PAINT the parent's, otherwise one
    // over the parent's window.
    TCanvas* Canvas();

protected:
    virtual void Paint() {}
    void Dispatch(TMessage& message) override;
    void WMPaint(TMessage& message);

private:
    TCanvas* paintCanvas_ = nullptr;
    TWindowCanvasCache windowCanvas_;
};

// A windowed control that paints itself with Paint on its own canvas.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;
    TCanvas* Canvas();

protected:
    virtual void Paint() {}
    void PaintWindow(TCanvas& canvas) override;

private:
    TCanvas* paintCanvas_ = nullptr;
    TWindowCanvasCache windowCanvas_;
};

// The window-position call by window id; false for an unknown window.
// `insertAfter` is HWND_TOP, HWND_BOTTOM, HWND_TOPMOST, HWND_NOTOPMOST or
// the window to go directly behind.
bool SetWindowPos(HWND window, HWND insertAfter, int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t flags);

// Window-id forms of the control operations (false for an unknown window).
bool EnableWindow(HWND window, bool enable);
bool IsWindowEnabled(HWND window);
bool IsWindowVisible(HWND window);
// `rect` in client coordinates; nullptr for the whole window.
bool InvalidateRect(HWND window, const TRect* rect, bool erase);
bool UpdateWindow(HWND window);

// Registers the published properties of the window-system classes (once).
void RegisterUiClasses();

// True when `caption` marks `ch` as its accelerator ("&Save" for 's' or
// 'S'; "&&" is a literal ampersand).
bool IsAccel(char32_t ch, const std::string& caption);

// Turns mouse-capture into the capture control (window-less controls are
// captured through their parent window).
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);
// The control under a screen point: the deepest window, then a window-less
// child of it; disabled ones only when allowed.
TControl* FindDragTarget(TPoint screenPos, bool allowDisabled);
// The shown top-level window under a screen point (windows that let the
// mouse through are skipped).
TWinControl* TopLevelAt(TPoint screenPos);
// Called whenever the control under the mouse changes (the hint machinery).
void SetMouseControlHook(std::function<void(TControl*)> hook);
// Shows the cursor of the control under the point (or the screen's): the
// default answer to WM_SETCURSOR.
void ApplyCursorAt(TPoint screenPos);
// Shows a cursor shape over the window under the mouse (or holding it), for
// a control that answers WM_SETCURSOR itself.
void SetCursorShape(TCursor cursor);
// A colour cursor picture over the window under the mouse (or holding the capture).
void SetCursorPicture(const TCursorImage& cursor);
// The control under the mouse that last got CM_MOUSEENTER.
TControl* MouseControl();
// Drops every reference the mouse tracking keeps to a control being destroyed.
void ForgetControl(TControl* control);
// Re-evaluates the control under the cursor and sends CM_MOUSELEAVE and
// CM_MOUSEENTER when it changed.
void UpdateMouseControl();

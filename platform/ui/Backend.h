#pragma once
// The seam between the in-process window system and the desktop: native
// top-level windows, input events, waiting, the clipboard and the bell.
// Every control inside a top-level window is our own window object; only
// top-level windows (forms, popups, hints, shadows) reach the backend.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/gfx/CursorImage.h"
#include "platform/gfx/Geometry.h"

class TBitmap;

enum class TNativeWindowState { Normal, Minimized, Maximized };

// How a top-level window looks to the desktop.
struct TNativeWindowParams {
    TRect Bounds; // screen coordinates of the whole window
    std::string Caption;
    bool Decorated = true; // the desktop draws a title bar and border
    bool Resizable = false;
    bool ToolWindow = false; // no taskbar entry
    bool Popup = false; // menus and hints: no decorations, above its owner
    bool TopMost = false;
    bool NoActivate = false; // showing it never takes the keyboard focus
    bool PerPixelAlpha = false; // the presented image's alpha is the window's opacity
};

// Standard cursor shapes, as the gfx cursor ids name them.
using TCursorId = int16_t;

class INativeWindow {
public:
    virtual ~INativeWindow() = default;

    virtual void SetBounds(const TRect& screenBounds) = 0;
    virtual void SetVisible(bool visible, bool activate) = 0;
    virtual void SetState(TNativeWindowState state) = 0;
    virtual void SetTopMost(bool topMost) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // Puts the window above every other window of its band and activates it.
    virtual void BringToFront(bool activate) = 0;
    // Restacks the window directly below `sibling` (another window of this
    // backend).
    virtual void PlaceBelow(INativeWindow& sibling) = 0;
    // Shows the image (the whole window, 32 bits per pixel). Alpha is the
    // opacity of each pixel: 0 outside the window's region or in its
    // transparent colour, the blend value elsewhere; only the rectangle
    // `dirty` changed since the last call.
    virtual void Present(const TBitmap& image, const TRect& dirty) = 0;
    virtual void SetMouseCapture(bool captured) = 0;
    virtual void SetCursor(TCursorId cursor) = 0;
    // A colour cursor from the picture, shown until the next SetCursor or
    // SetCursorImage.
    virtual void SetCursorImage(const TCursorImage& image) = 0;
    // Where the caret now is in this window (empty: not here) and whether it
    // shows. The window system draws it into the presented image itself, so
    // a desktop only needs this to tell assistive tools.
    virtual void CaretChanged(const TRect& /*windowRect*/, bool /*shown*/) {}
};

enum class TInputKind {
    MouseMove,
    MouseDown,
    MouseUp,
    MouseWheel,
    MouseLeave,
    KeyDown,
    KeyUp,
    Text,
    Activated,
    Deactivated,
    CloseRequested,
    Moved,
    Resized,
    StateChanged,
    Exposed,
    // The desktop or the system asks the whole program to end (a termination signal).
    QuitRequested
};

// One event from the desktop. Coordinates are relative to the window's
// top-left corner; `Window` is the native window it happened in.
struct TInputEvent {
    TInputKind Kind = TInputKind::MouseMove;
    INativeWindow* Window = nullptr;
    TPoint Position; // mouse position, or new position for Moved
    int32_t Button = 0; // 0 left, 1 right, 2 middle
    int32_t WheelDelta = 0; // multiples of 120, positive away from the user
    uint16_t VirtualKey = 0;
    bool Repeat = false;
    std::string Text; // UTF-8 for Text events
    TSize Size; // new size for Resized
    TNativeWindowState State = TNativeWindowState::Normal;
};

enum class TBeepKind : uint32_t { Default = 0, Error = 0x10, Question = 0x20, Warning = 0x30, Information = 0x40 };

class IWindowBackend {
public:
    using TEventSink = std::function<void(const TInputEvent&)>;

    virtual ~IWindowBackend() = default;

    virtual std::unique_ptr<INativeWindow> CreateNativeWindow(const TNativeWindowParams& params) = 0;
    // Where events go; set once by the window system.
    virtual void SetEventSink(TEventSink sink) = 0;
    // Hands the next ready event to the sink; false when none is ready.
    // Events go one at a time so that each is routed (to the window under
    // the mouse, or holding the capture) only when its turn comes.
    virtual bool DeliverOne() = 0;
    // Waits until an event is ready, `timeoutMs` passes (nothing: no limit)
    // or Wake is called. Answers false when nothing can ever arrive (a
    // headless backend with nothing queued and no time limit), so callers
    // never block forever.
    virtual bool Wait(std::optional<int64_t> timeoutMs) = 0;
    // Any thread: makes a waiting Wait return.
    virtual void Wake() = 0;

    virtual TRect ScreenRect() const = 0;
    virtual TRect WorkArea() const = 0;
    virtual void Beep(TBeepKind kind) = 0;
    virtual std::string ClipboardText() const = 0;
    virtual void SetClipboardText(const std::string& text) = 0;
};

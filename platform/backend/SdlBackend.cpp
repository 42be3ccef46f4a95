#include "platform/backend/SdlBackend.h"

#include <algorithm>
#include <cstdint>
#include <map>

#include "platform/backend/X11ArgbWindow.h"
#include "platform/backend/X11Desktop.h"
#include "platform/core/Exceptions.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Messages.h"

// Last: the X11 headers it pulls in define macros (KeyPress, None) that
// would clash with names of the headers above.
#include <SDL2/SDL_syswm.h>

namespace {

// Stands for a colour cursor, so that the next standard shape is always set.
constexpr TCursorId CustomCursorId = INT16_MIN;

// SDL's colour cursors take straight alpha; the picture is premultiplied.
SDL_Surface* StraightAlphaSurface(const TBitmap& picture)
{
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormat(0, picture.Width(), picture.Height(), 32, SDL_PIXELFORMAT_ARGB8888);
    if (!surface)
        return nullptr;
    for (int32_t y = 0; y < picture.Height(); ++y) {
        const uint8_t* source = picture.ScanLine(y);
        uint8_t* target = static_cast<uint8_t*>(surface->pixels) + static_cast<ptrdiff_t>(y) * surface->pitch;
        for (int32_t x = 0; x < picture.Width(); ++x) {
            const uint8_t alpha = source[4 * x + 3];
            for (int c = 0; c < 3; ++c)
                target[4 * x + c] = alpha ? static_cast<uint8_t>(std::min(255, source[4 * x + c] * 255 / alpha)) : 0;
            target[4 * x + 3] = alpha;
        }
    }
    return surface;
}

SDL_SystemCursor SystemCursorOf(TCursorId cursor)
{
    switch (cursor) {
    case crIBeam: return SDL_SYSTEM_CURSOR_IBEAM;
    case crHourGlass: return SDL_SYSTEM_CURSOR_WAIT;
    case crAppStart: return SDL_SYSTEM_CURSOR_WAITARROW;
    case crCross: return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case crSizeNWSE: return SDL_SYSTEM_CURSOR_SIZENWSE;
    case crSizeNESW: return SDL_SYSTEM_CURSOR_SIZENESW;
    case crSizeWE:
    case crHSplit: return SDL_SYSTEM_CURSOR_SIZEWE;
    case crSizeNS:
    case crVSplit: return SDL_SYSTEM_CURSOR_SIZENS;
    case crSizeAll: return SDL_SYSTEM_CURSOR_SIZEALL;
    case crNo:
    case crNoDrop: return SDL_SYSTEM_CURSOR_NO;
    case crHandPoint: return SDL_SYSTEM_CURSOR_HAND;
    default: return SDL_SYSTEM_CURSOR_ARROW;
    }
}

class TSdlWindow : public INativeWindow {
public:
    TSdlWindow(const TNativeWindowParams& params, TX11Desktop* x11) : params_(params), x11_(x11)
    {
        uint32_t flags = SDL_WINDOW_HIDDEN;
        if (!params.Decorated)
            flags |= SDL_WINDOW_BORDERLESS;
        if (params.Resizable)
            flags |= SDL_WINDOW_RESIZABLE;
        // One window type at most: popup (tool-tip or menu) before utility.
        if (params.Popup)
            flags |= SDL_WINDOW_SKIP_TASKBAR | (params.NoActivate ? SDL_WINDOW_TOOLTIP : SDL_WINDOW_POPUP_MENU);
        else if (params.ToolWindow)
            flags |= SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_UTILITY;
        if (params.TopMost)
            flags |= SDL_WINDOW_ALWAYS_ON_TOP;
        SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, params.NoActivate ? "1" : "0");
        const TRect& b = params.Bounds;
        window_ = SDL_CreateWindow(params.Caption.c_str(), b.Left, b.Top, std::max(b.Width(), 1),
                                   std::max(b.Height(), 1), flags);
        if (!window_)
            throw CreateFmt<EInvalidOperation>("Cannot create a window: %s", SDL_GetError());
        SDL_SetWindowData(window_, "native", static_cast<INativeWindow*>(this));
        // A per-pixel-alpha window lands here only without a compositing
        // manager: it stays hidden (its image is still rendered by its owner).
        shown_ = !params.PerPixelAlpha;
    }

    ~TSdlWindow() override
    {
        if (cursor_)
            SDL_FreeCursor(cursor_);
        SDL_DestroyWindow(window_);
    }

    SDL_Window* Handle() const { return window_; }

    void SetBounds(const TRect& r) override
    {
        SDL_SetWindowPosition(window_, r.Left, r.Top);
        SDL_SetWindowSize(window_, std::max(r.Width(), 1), std::max(r.Height(), 1));
    }

    void SetVisible(bool visible, bool activate) override
    {
        if (visible && shown_) {
            SDL_ShowWindow(window_);
            if (activate)
                SDL_RaiseWindow(window_);
        } else {
            SDL_HideWindow(window_);
        }
    }

    void SetState(TNativeWindowState state) override
    {
        switch (state) {
        case TNativeWindowState::Minimized: SDL_MinimizeWindow(window_); break;
        case TNativeWindowState::Maximized: SDL_MaximizeWindow(window_); break;
        case TNativeWindowState::Normal: SDL_RestoreWindow(window_); break;
        }
    }

    void SetTopMost(bool topMost) override { SDL_SetWindowAlwaysOnTop(window_, topMost ? SDL_TRUE : SDL_FALSE); }
    void SetCaption(const std::string& caption) override { SDL_SetWindowTitle(window_, caption.c_str()); }

    void BringToFront(bool activate) override
    {
        if (activate)
            SDL_RaiseWindow(window_);
    }

    void PlaceBelow(INativeWindow& sibling) override
    {
        if (x11_)
            x11_->PlaceBelow(XWindow(), TX11Desktop::XWindowOf(sibling));
    }

    uint32_t SdlId() const { return SDL_GetWindowID(window_); }

    unsigned long XWindow() const
    {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (SDL_GetWindowWMInfo(window_, &info) && info.subsystem == SDL_SYSWM_X11)
            return info.info.x11.window;
        return 0;
    }

    void Present(const TBitmap& image, const TRect& dirty) override
    {
        SDL_Surface* surface = SDL_GetWindowSurface(window_);
        if (!surface)
            return;
        TRect area =
            IntersectRect(dirty, Rect(0, 0, std::min(image.Width(), surface->w), std::min(image.Height(), surface->h)));
        if (IsRectEmpty(area))
            return;
        SDL_LockSurface(surface);
        for (int32_t y = area.Top; y < area.Bottom; ++y) {
            auto* dst = static_cast<uint8_t*>(surface->pixels) + y * surface->pitch +
                area.Left * surface->format->BytesPerPixel;
            SDL_ConvertPixels(area.Width(), 1, SDL_PIXELFORMAT_ARGB8888, image.ScanLine(y) + 4 * area.Left,
                              4 * area.Width(), surface->format->format, dst, surface->pitch);
        }
        SDL_UnlockSurface(surface);
        SDL_Rect rect{area.Left, area.Top, area.Width(), area.Height()};
        SDL_UpdateWindowSurfaceRects(window_, &rect, 1);
        ApplyOpacityAndShape(image);
        // Whoever looks at the screen next (a screenshot) sees this image.
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (SDL_GetWindowWMInfo(window_, &info) && info.subsystem == SDL_SYSWM_X11)
            TX11Desktop::Sync(info.info.x11.display);
    }

    void SetMouseCapture(bool captured) override { SDL_CaptureMouse(captured ? SDL_TRUE : SDL_FALSE); }

    void SetCursor(TCursorId cursor) override
    {
        if (cursor == cursorId_)
            return;
        cursorId_ = cursor;
        SDL_ShowCursor(cursor == crNone ? SDL_DISABLE : SDL_ENABLE);
        SDL_Cursor* next = SDL_CreateSystemCursor(SystemCursorOf(cursor));
        SDL_SetCursor(next);
        if (cursor_)
            SDL_FreeCursor(cursor_);
        cursor_ = next;
    }

    void SetCursorImage(const TCursorImage& image) override
    {
        if (!image.Image || image.Image->Width() <= 0 || image.Image->Height() <= 0)
            return;
        SDL_Surface* surface = StraightAlphaSurface(*image.Image);
        if (!surface)
            return;
        SDL_Cursor* next = SDL_CreateColorCursor(surface, image.HotSpot.X, image.HotSpot.Y);
        SDL_FreeSurface(surface);
        if (!next)
            return;
        SDL_ShowCursor(SDL_ENABLE);
        SDL_SetCursor(next);
        if (cursor_)
            SDL_FreeCursor(cursor_);
        cursor_ = next;
        cursorId_ = CustomCursorId;
    }

private:
    // The desktop cannot blend per pixel here: a single opacity for the
    // window and a shape that leaves out the fully transparent pixels.
    void ApplyOpacityAndShape(const TBitmap& image)
    {
        uint8_t opacity = 0;
        std::vector<TRect> rects;
        bool whole = true;
        for (int32_t y = 0; y < image.Height(); ++y) {
            const uint8_t* row = image.ScanLine(y);
            int32_t x = 0;
            while (x < image.Width()) {
                while (x < image.Width() && row[4 * x + 3] == 0) {
                    whole = false;
                    ++x;
                }
                int32_t start = x;
                while (x < image.Width() && row[4 * x + 3] != 0) {
                    opacity = std::max(opacity, row[4 * x + 3]);
                    ++x;
                }
                if (x > start)
                    rects.push_back(Rect(start, y, x, y + 1));
            }
        }
        SDL_SetWindowOpacity(window_, opacity / 255.0f);
        if (!x11_ || (whole && wasWhole_))
            return;
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (SDL_GetWindowWMInfo(window_, &info) && info.subsystem == SDL_SYSWM_X11)
            x11_->SetShape(info.info.x11.window, rects, whole);
        wasWhole_ = whole;
    }

    TNativeWindowParams params_;
    TX11Desktop* x11_;
    SDL_Window* window_ = nullptr;
    SDL_Cursor* cursor_ = nullptr;
    TCursorId cursorId_ = crDefault;
    bool shown_ = true;
    bool wasWhole_ = true;
};

} // namespace

unsigned long TX11Desktop::XWindowOf(const INativeWindow& window)
{
    if (const auto* sdl = dynamic_cast<const TSdlWindow*>(&window))
        return sdl->XWindow();
    if (const auto* argb = dynamic_cast<const TX11ArgbWindow*>(&window))
        return argb->XWindow();
    return 0;
}

uint16_t VirtualKeyOfSdlKey(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z)
        return static_cast<uint16_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9)
        return static_cast<uint16_t>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return static_cast<uint16_t>(VK_F1 + (key - SDLK_F1));
    static const std::map<SDL_Keycode, uint16_t> keys{
        {SDLK_BACKSPACE, VK_BACK},    {SDLK_TAB, VK_TAB},      {SDLK_RETURN, VK_RETURN},    {SDLK_KP_ENTER, VK_RETURN},
        {SDLK_ESCAPE, VK_ESCAPE},     {SDLK_SPACE, VK_SPACE},  {SDLK_PAGEUP, VK_PRIOR},     {SDLK_PAGEDOWN, VK_NEXT},
        {SDLK_END, VK_END},           {SDLK_HOME, VK_HOME},    {SDLK_LEFT, VK_LEFT},        {SDLK_UP, VK_UP},
        {SDLK_RIGHT, VK_RIGHT},       {SDLK_DOWN, VK_DOWN},    {SDLK_INSERT, VK_INSERT},    {SDLK_DELETE, VK_DELETE},
        {SDLK_LSHIFT, VK_SHIFT},      {SDLK_RSHIFT, VK_SHIFT}, {SDLK_LCTRL, VK_CONTROL},    {SDLK_RCTRL, VK_CONTROL},
        {SDLK_LALT, VK_MENU},         {SDLK_RALT, VK_MENU},    {SDLK_APPLICATION, VK_APPS}, {SDLK_KP_PLUS, VK_ADD},
        {SDLK_KP_MINUS, VK_SUBTRACT},
    };
    auto it = keys.find(key);
    return it == keys.end() ? 0 : it->second;
}

namespace {

// SDL's video system starts once and stays up until the process ends: quitting and starting it
// again in one process (a backend per test) sometimes finds the X11 driver "not available" and
// falls back to one without a desktop.
void StartVideoSystemOnce()
{
    static const bool started = [] {
        // SDL turns SIGINT and SIGTERM into its quit event, which ends the program's loop. Closing
        // the last window must not: the form decides that through its own close handling.
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
            throw CreateFmt<EInvalidOperation>("Cannot start the video system: %s", SDL_GetError());
        return true;
    }();
    (void)started;
}

} // namespace

TSdlBackend::TSdlBackend()
{
    StartVideoSystemOnce();
    wakeEvent_ = SDL_RegisterEvents(1);
    SDL_StartTextInput();
    if (std::string(SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "") == "x11")
        x11_ = TX11Desktop::Open();
}

TSdlBackend::~TSdlBackend()
{
    SDL_StopTextInput();
    x11_.reset();
}

std::unique_ptr<INativeWindow> TSdlBackend::CreateNativeWindow(const TNativeWindowParams& params)
{
    // Per-pixel alpha needs a compositing manager; without one such a window
    // is an SDL window that never shows.
    if (params.PerPixelAlpha && x11_ && x11_->CompositorRunning())
        if (auto window = TX11ArgbWindow::Create(x11_->Display(), params))
            return window;
    return std::make_unique<TSdlWindow>(params, x11_.get());
}

uint32_t TSdlBackend::SdlWindowId(INativeWindow* window)
{
    auto* sdl = dynamic_cast<TSdlWindow*>(window);
    return sdl ? sdl->SdlId() : 0;
}

INativeWindow* TSdlBackend::WindowOf(uint32_t windowId) const
{
    SDL_Window* window = SDL_GetWindowFromID(windowId);
    // The native window objects are reached through SDL's user data.
    return window ? static_cast<INativeWindow*>(SDL_GetWindowData(window, "native")) : nullptr;
}

bool TSdlBackend::DeliverOne()
{
    SDL_Event event;
    if (!pending_.empty()) {
        event = pending_.front();
        pending_.pop_front();
    } else if (!SDL_PollEvent(&event)) {
        return false;
    }
    Translate(event);
    return true;
}

bool TSdlBackend::Wait(std::optional<int64_t> timeoutMs)
{
    if (!pending_.empty())
        return true;
    SDL_Event event;
    int timeout = timeoutMs ? static_cast<int>(std::min<int64_t>(*timeoutMs, 1 << 30)) : -1;
    if (SDL_WaitEventTimeout(&event, timeout))
        pending_.push_back(event);
    return true;
}

void TSdlBackend::Wake()
{
    SDL_Event event{};
    event.type = wakeEvent_;
    SDL_PushEvent(&event);
}

void TSdlBackend::Translate(const SDL_Event& event)
{
    if (!sink_)
        return;
    TInputEvent input;
    switch (event.type) {
    case SDL_MOUSEMOTION:
        input.Kind = TInputKind::MouseMove;
        input.Window = WindowOf(event.motion.windowID);
        input.Position = {event.motion.x, event.motion.y};
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        input.Kind = event.type == SDL_MOUSEBUTTONDOWN ? TInputKind::MouseDown : TInputKind::MouseUp;
        input.Window = WindowOf(event.button.windowID);
        input.Position = {event.button.x, event.button.y};
        input.Button = event.button.button == SDL_BUTTON_RIGHT ? 1 : event.button.button == SDL_BUTTON_MIDDLE ? 2 : 0;
        break;
    case SDL_MOUSEWHEEL: {
        input.Kind = TInputKind::MouseWheel;
        input.Window = WindowOf(event.wheel.windowID);
        int x = 0;
        int y = 0;
        SDL_GetMouseState(&x, &y);
        input.Position = {x, y};
        input.WheelDelta = event.wheel.y * 120;
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        input.Kind = event.type == SDL_KEYDOWN ? TInputKind::KeyDown : TInputKind::KeyUp;
        input.VirtualKey = VirtualKeyOfSdlKey(event.key.keysym.sym);
        input.Repeat = event.key.repeat != 0;
        if (!input.VirtualKey)
            return;
        break;
    case SDL_QUIT: input.Kind = TInputKind::QuitRequested; break;
    case SDL_TEXTINPUT:
        input.Kind = TInputKind::Text;
        input.Text = event.text.text;
        break;
    case SDL_WINDOWEVENT:
        input.Window = WindowOf(event.window.windowID);
        switch (event.window.event) {
        case SDL_WINDOWEVENT_MOVED:
            input.Kind = TInputKind::Moved;
            input.Position = {event.window.data1, event.window.data2};
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            input.Kind = TInputKind::Resized;
            input.Size = {event.window.data1, event.window.data2};
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_RESTORED:
            input.Kind = TInputKind::StateChanged;
            input.State = event.window.event == SDL_WINDOWEVENT_MINIMIZED ? TNativeWindowState::Minimized
                : event.window.event == SDL_WINDOWEVENT_MAXIMIZED         ? TNativeWindowState::Maximized
                                                                          : TNativeWindowState::Normal;
            break;
        case SDL_WINDOWEVENT_CLOSE: input.Kind = TInputKind::CloseRequested; break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: input.Kind = TInputKind::Activated; break;
        case SDL_WINDOWEVENT_FOCUS_LOST: input.Kind = TInputKind::Deactivated; break;
        case SDL_WINDOWEVENT_EXPOSED: input.Kind = TInputKind::Exposed; break;
        case SDL_WINDOWEVENT_LEAVE: input.Kind = TInputKind::MouseLeave; break;
        default: return;
        }
        if (!input.Window)
            return;
        break;
    default: return;
    }
    sink_(input);
}

TRect TSdlBackend::ScreenRect() const
{
    SDL_Rect r{0, 0, 0, 0};
    SDL_GetDisplayBounds(0, &r);
    return Bounds(r.x, r.y, r.w, r.h);
}

TRect TSdlBackend::WorkArea() const
{
    SDL_Rect r{0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(0, &r) != 0)
        return ScreenRect();
    return Bounds(r.x, r.y, r.w, r.h);
}

void TSdlBackend::Beep(TBeepKind)
{
    if (x11_)
        x11_->Bell();
}

std::string TSdlBackend::ClipboardText() const
{
    char* text = SDL_GetClipboardText();
    std::string result = text ? text : "";
    SDL_free(text);
    return result;
}

void TSdlBackend::SetClipboardText(const std::string& text) { SDL_SetClipboardText(text.c_str()); }

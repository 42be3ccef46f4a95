#pragma once
// The desktop through SDL2: real top-level windows (decorated, borderless,
// popup and tool windows), input, the clipboard, cursors and the bell. Under
// X11, shaped and translucent windows use the X shape extension and the
// window opacity; per-pixel-alpha windows need a compositing manager and are
// not shown without one.

#include <SDL2/SDL.h>

#include <deque>
#include <memory>
#include <vector>

#include "platform/ui/Backend.h"

class TX11Desktop;

class TSdlBackend : public IWindowBackend {
public:
    // Raises EInvalidOperation when the video subsystem cannot start.
    TSdlBackend();
    ~TSdlBackend() override;

    std::unique_ptr<INativeWindow> CreateNativeWindow(const TNativeWindowParams& params) override;
    void SetEventSink(TEventSink sink) override { sink_ = std::move(sink); }
    bool DeliverOne() override;
    bool Wait(std::optional<int64_t> timeoutMs) override;
    void Wake() override;
    TRect ScreenRect() const override;
    TRect WorkArea() const override;
    void Beep(TBeepKind kind) override;
    std::string ClipboardText() const override;
    void SetClipboardText(const std::string& text) override;

    // The X11 side (screen capture, compositor), nullptr off X11.
    TX11Desktop* X11() const { return x11_.get(); }
    // SDL's id of a native window of this backend (0 for none), as its
    // events carry it.
    static uint32_t SdlWindowId(INativeWindow* window);

private:
    void Translate(const SDL_Event& event);
    INativeWindow* WindowOf(uint32_t windowId) const;

    TEventSink sink_;
    std::deque<SDL_Event> pending_;
    uint32_t wakeEvent_ = 0;
    std::unique_ptr<TX11Desktop> x11_;
};

// The virtual key of an SDL key, 0 for keys without one.
uint16_t VirtualKeyOfSdlKey(SDL_Keycode key);

#pragma once
// A per-pixel-alpha window straight on X11: a 32-bit ARGB visual that a
// compositing manager blends with what lies below. It takes no input (the
// mouse passes through it) and is never decorated.

#include <memory>

#include "platform/ui/Backend.h"

class TX11ArgbWindow : public INativeWindow {
public:
    // nullptr when the display has no 32-bit visual.
    static std::unique_ptr<TX11ArgbWindow> Create(void* display, const TNativeWindowParams& params);
    ~TX11ArgbWindow() override;

    void SetBounds(const TRect& screenBounds) override;
    void SetVisible(bool visible, bool activate) override;
    void SetState(TNativeWindowState state) override;
    void SetTopMost(bool) override {}
    void SetCaption(const std::string&) override {}
    void BringToFront(bool activate) override;
    void PlaceBelow(INativeWindow& sibling) override;
    void Present(const TBitmap& image, const TRect& dirty) override;
    void SetMouseCapture(bool) override {}
    void SetCursor(TCursorId) override {}
    void SetCursorImage(const TCursorImage&) override {}

    unsigned long XWindow() const { return window_; }

private:
    TX11ArgbWindow(void* display, unsigned long window, void* visual, unsigned long colormap);

    void* display_;
    unsigned long window_;
    void* visual_;
    unsigned long colormap_;
    bool visible_ = false;
};

#pragma once
// The X11 pieces SDL2 does not offer: the root-window picture (screenshots),
// whether a compositing manager runs, window shapes and the bell.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Geometry.h"

class TX11Desktop {
public:
    // nullptr when no X display can be opened.
    static std::unique_ptr<TX11Desktop> Open();
    ~TX11Desktop();

    // The screen as shown now (24-bit pixels in a 32-bit bitmap).
    std::unique_ptr<TBitmap> CaptureScreen() const;
    bool CompositorRunning() const;
    void Bell() const;
    // Restricts the X window to the rectangles (window coordinates); an
    // empty list restores the full rectangle.
    void SetShape(unsigned long window, const std::vector<TRect>& rects, bool wholeWindow) const;
    void* Display() const { return display_; }
    // Puts `window` directly below `sibling` in the stacking order.
    void PlaceBelow(unsigned long window, unsigned long sibling) const;
    // The X window of any native window of the SDL backend (0 if none).
    static unsigned long XWindowOf(const class INativeWindow& window);
    // Waits until the X server has handled every request sent on `display`.
    static void Sync(void* display);

private:
    explicit TX11Desktop(void* display) : display_(display) {}
    void* display_;
};

#include "platform/backend/X11Desktop.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <string>

namespace {
::Display* Dpy(void* display) { return static_cast<::Display*>(display); }

// The 8-bit value of one colour channel of a true-colour pixel.
uint8_t Channel(unsigned long pixel, unsigned long mask)
{
    if (!mask)
        return 0;
    unsigned long value = (pixel & mask) >> __builtin_ctzl(mask);
    unsigned long max = mask >> __builtin_ctzl(mask);
    return static_cast<uint8_t>(value * 255 / max);
}
} // namespace

std::unique_ptr<TX11Desktop> TX11Desktop::Open()
{
    ::Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    return std::unique_ptr<TX11Desktop>(new TX11Desktop(display));
}

TX11Desktop::~TX11Desktop() { XCloseDisplay(Dpy(display_)); }

void TX11Desktop::Sync(void* display) { XSync(Dpy(display), False); }

std::unique_ptr<TBitmap> TX11Desktop::CaptureScreen() const
{
    ::Display* display = Dpy(display_);
    Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    auto screen = std::make_unique<TBitmap>(attributes.width, attributes.height, pf32bit);
    XImage* image = XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!image)
        return screen;
    for (int32_t y = 0; y < attributes.height; ++y) {
        uint8_t* row = screen->ScanLine(y);
        for (int32_t x = 0; x < attributes.width; ++x) {
            unsigned long pixel = XGetPixel(image, x, y);
            row[4 * x] = Channel(pixel, image->blue_mask);
            row[4 * x + 1] = Channel(pixel, image->green_mask);
            row[4 * x + 2] = Channel(pixel, image->red_mask);
            row[4 * x + 3] = 255;
        }
    }
    XDestroyImage(image);
    return screen;
}

bool TX11Desktop::CompositorRunning() const
{
    ::Display* display = Dpy(display_);
    std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
    Atom selection = XInternAtom(display, name.c_str(), False);
    return XGetSelectionOwner(display, selection) != None;
}

void TX11Desktop::Bell() const
{
    XBell(Dpy(display_), 0);
    XFlush(Dpy(display_));
}

void TX11Desktop::SetShape(unsigned long window, const std::vector<TRect>& rects, bool wholeWindow) const
{
    ::Display* display = Dpy(display_);
    if (wholeWindow) {
        XShapeCombineMask(display, window, ShapeBounding, 0, 0, None, ShapeSet);
    } else {
        std::vector<XRectangle> xrects;
        xrects.reserve(rects.size());
        for (const TRect& r : rects)
            xrects.push_back({static_cast<short>(r.Left), static_cast<short>(r.Top),
                              static_cast<unsigned short>(r.Width()), static_cast<unsigned short>(r.Height())});
        XShapeCombineRectangles(display, window, ShapeBounding, 0, 0, xrects.data(), static_cast<int>(xrects.size()),
                                ShapeSet, Unsorted);
    }
    XFlush(display);
}

void TX11Desktop::PlaceBelow(unsigned long window, unsigned long sibling) const
{
    if (!window || !sibling)
        return;
    XWindowChanges changes{};
    changes.sibling = sibling;
    changes.stack_mode = Below;
    XConfigureWindow(Dpy(display_), window, CWSibling | CWStackMode, &changes);
    XFlush(Dpy(display_));
}

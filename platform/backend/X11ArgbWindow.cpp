#include "platform/backend/X11ArgbWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/backend/X11Desktop.h"
#include "platform/gfx/Bitmap.h"

namespace {
::Display* Dpy(void* display) { return static_cast<::Display*>(display); }
} // namespace

std::unique_ptr<TX11ArgbWindow> TX11ArgbWindow::Create(void* display, const TNativeWindowParams& params)
{
    ::Display* dpy = Dpy(display);
    XVisualInfo info;
    if (!XMatchVisualInfo(dpy, DefaultScreen(dpy), 32, TrueColor, &info))
        return nullptr;
    Window root = DefaultRootWindow(dpy);
    Colormap colormap = XCreateColormap(dpy, root, info.visual, AllocNone);
    XSetWindowAttributes attributes{};
    attributes.colormap = colormap;
    attributes.border_pixel = 0;
    attributes.background_pixel = 0;
    attributes.override_redirect = True;
    const TRect& b = params.Bounds;
    Window window = XCreateWindow(dpy, root, b.Left, b.Top, static_cast<unsigned>(std::max(b.Width(), 1)),
                                  static_cast<unsigned>(std::max(b.Height(), 1)), 0, 32, InputOutput, info.visual,
                                  CWColormap | CWBorderPixel | CWBackPixel | CWOverrideRedirect, &attributes);
    // An empty input shape: clicks reach the windows below.
    XShapeCombineRectangles(dpy, window, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
    XFlush(dpy);
    return std::unique_ptr<TX11ArgbWindow>(new TX11ArgbWindow(display, window, info.visual, colormap));
}

TX11ArgbWindow::TX11ArgbWindow(void* display, unsigned long window, void* visual, unsigned long colormap)
    : display_(display), window_(window), visual_(visual), colormap_(colormap)
{}

TX11ArgbWindow::~TX11ArgbWindow()
{
    XDestroyWindow(Dpy(display_), window_);
    XFreeColormap(Dpy(display_), colormap_);
    XFlush(Dpy(display_));
}

void TX11ArgbWindow::SetBounds(const TRect& r)
{
    XMoveResizeWindow(Dpy(display_), window_, r.Left, r.Top, static_cast<unsigned>(std::max(r.Width(), 1)),
                      static_cast<unsigned>(std::max(r.Height(), 1)));
    XFlush(Dpy(display_));
}

void TX11ArgbWindow::SetVisible(bool visible, bool)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    if (visible)
        XMapRaised(Dpy(display_), window_);
    else
        XUnmapWindow(Dpy(display_), window_);
    XFlush(Dpy(display_));
}

void TX11ArgbWindow::SetState(TNativeWindowState state)
{
    SetVisible(state != TNativeWindowState::Minimized && visible_, false);
}

void TX11ArgbWindow::BringToFront(bool)
{
    XRaiseWindow(Dpy(display_), window_);
    XFlush(Dpy(display_));
}

void TX11ArgbWindow::PlaceBelow(INativeWindow& sibling)
{
    unsigned long below = TX11Desktop::XWindowOf(sibling);
    if (!below)
        return;
    XWindowChanges changes{};
    changes.sibling = below;
    changes.stack_mode = Below;
    XConfigureWindow(Dpy(display_), window_, CWSibling | CWStackMode, &changes);
    XFlush(Dpy(display_));
}

// The compositor expects premultiplied ARGB.
void TX11ArgbWindow::Present(const TBitmap& image, const TRect&)
{
    int32_t width = image.Width();
    int32_t height = image.Height();
    auto* pixels = static_cast<char*>(std::malloc(static_cast<size_t>(width) * height * 4));
    if (!pixels)
        return;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* src = image.ScanLine(y);
        auto* dst = reinterpret_cast<uint8_t*>(pixels) + static_cast<size_t>(y) * width * 4;
        for (int32_t x = 0; x < width; ++x) {
            uint32_t a = src[4 * x + 3];
            for (int c = 0; c < 3; ++c)
                dst[4 * x + c] = static_cast<uint8_t>(src[4 * x + c] * a / 255);
            dst[4 * x + 3] = static_cast<uint8_t>(a);
        }
    }
    ::Display* dpy = Dpy(display_);
    XImage* ximage = XCreateImage(dpy, static_cast<Visual*>(visual_), 32, ZPixmap, 0, pixels,
                                  static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
    if (!ximage) {
        std::free(pixels);
        return;
    }
    GC gc = XCreateGC(dpy, window_, 0, nullptr);
    XPutImage(dpy, window_, gc, ximage, 0, 0, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFreeGC(dpy, gc);
    XDestroyImage(ximage); // frees `pixels`
    XSync(dpy, False);
}

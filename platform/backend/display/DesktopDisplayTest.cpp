// Runs under a virtual X display (label "display"): real windows through
// SDL2 and X11, checked on the screen.

#include <chrono>
#include <csignal>
#include <thread>

#include <gtest/gtest.h>

#include "platform/backend/SdlBackend.h"
#include "platform/backend/X11Desktop.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/StdCtrls.h"

// Last: Xlib's macros clash with names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

class TLayeredProbe : public TWinControl {
public:
    using TWinControl::TWinControl;

protected:
    void CreateParams(TCreateParams& params) override
    {
        TWinControl::CreateParams(params);
        params.Style = WS_POPUP;
        params.ExStyle |= WS_EX_LAYERED | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW;
    }
};

TColor ScreenPixel(TBitmap& screen, int32_t x, int32_t y)
{
    const uint8_t* p = screen.ScanLine(y) + 4 * x;
    return RGB(p[2], p[1], p[0]);
}

// A half-transparent white 20 x 10 image, premultiplied.
std::unique_ptr<TBitmap> HalfWhite()
{
    auto image = std::make_unique<TBitmap>(20, 10, pf32bit);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 20; ++x) {
            uint8_t* p = image->ScanLine(y) + 4 * x;
            p[0] = p[1] = p[2] = p[3] = 128;
        }
    return image;
}

} // namespace

class DesktopDisplayTest : public ::testing::Test {
protected:
    DesktopDisplayTest() { InstallWindowSystem(backend); }
    ~DesktopDisplayTest() override { UninstallWindowSystem(); }
    // Every test reads the screen through X11: without a server each one
    // fails here instead of reaching for a desktop that is not there.
    void SetUp() override { ASSERT_NE(backend.X11(), nullptr) << "No X server is reachable on this display"; }
    TSdlBackend backend;
};

TEST_F(DesktopDisplayTest, ShapedFormLeavesItsCutCornersToTheDesktop)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(50, 50, 60, 40);
    form.SetColor(clRed);
    form.SetWindowRgn(TRegion::RoundRect(0, 0, 60, 40, 15, 15));
    form.Show();
    Application()->ProcessMessages();
    auto screen = backend.X11()->CaptureScreen();
    EXPECT_EQ(ScreenPixel(*screen, 80, 70), clRed);
    EXPECT_EQ(ScreenPixel(*screen, 50, 50), clBlack); // the root window shows through
}

TEST_F(DesktopDisplayTest, PerPixelAlphaWindowStaysHiddenWithoutACompositor)
{
    ASSERT_FALSE(backend.X11()->CompositorRunning());
    TLayeredProbe layered(nullptr);
    layered.SetBounds(200, 200, 20, 10);
    layered.UpdateLayered(*HalfWhite(), 255);
    Application()->ProcessMessages();
    auto screen = backend.X11()->CaptureScreen();
    EXPECT_EQ(ScreenPixel(*screen, 205, 205), clBlack);
}

TEST_F(DesktopDisplayTest, WithACompositorThePerPixelAlphaWindowGetsPremultipliedArgb)
{
    // Stand in for a compositing manager by owning its selection.
    Display* display = static_cast<Display*>(backend.X11()->Display());
    Window owner = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
    XSetSelectionOwner(display, XInternAtom(display, name.c_str(), False), owner, CurrentTime);
    XSync(display, False);
    ASSERT_TRUE(backend.X11()->CompositorRunning());

    TLayeredProbe layered(nullptr);
    layered.SetBounds(300, 300, 20, 10);
    layered.UpdateLayered(*HalfWhite(), 255);
    Application()->ProcessMessages();

    // The window's own pixels (no compositor really blends them here).
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        XGetWindowAttributes(display, children[i], &attributes);
        if (attributes.depth != 32 || attributes.x != 300 || attributes.y != 300 || attributes.map_state != IsViewable)
            continue;
        XImage* image = XGetImage(display, children[i], 5, 5, 1, 1, AllPlanes, ZPixmap);
        ASSERT_NE(image, nullptr);
        unsigned long pixel = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        EXPECT_EQ(pixel & 0xFFFFFFFFul, 0x80808080ul);
        found = true;
    }
    XFree(children);
    EXPECT_TRUE(found);
    XDestroyWindow(display, owner);
    XSync(display, False);
}

TEST_F(DesktopDisplayTest, DesktopInputReachesTheControls)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(100, 100, 200, 100);
    auto* button = new TButton(&form);
    button->SetBounds(10, 10, 80, 25);
    button->SetParent(&form);
    int32_t clicks = 0;
    std::vector<uint16_t> keys;
    button->OnClick = [&](TObject*) { ++clicks; };
    button->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) { keys.push_back(key); };
    form.Show();
    Application()->ProcessMessages();

    uint32_t id = TSdlBackend::SdlWindowId(form.NativeWindow());
    ASSERT_NE(id, 0u);
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = id;
    event.motion.x = 20;
    event.motion.y = 20;
    SDL_PushEvent(&event);
    for (uint32_t type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
        SDL_Event press{};
        press.type = type;
        press.button.windowID = id;
        press.button.button = SDL_BUTTON_LEFT;
        press.button.x = 20;
        press.button.y = 20;
        SDL_PushEvent(&press);
    }
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.windowID = id;
    key.key.keysym.sym = SDLK_a;
    SDL_PushEvent(&key);
    Application()->ProcessMessages();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(button->Focused()); // the press focused it, so the key went there
    EXPECT_EQ(keys, std::vector<uint16_t>{'A'});
}

// SDL turns the signal into its quit event; the program's loop has to end on it rather than keep
// the desktop's windows up until it is killed.
TEST_F(DesktopDisplayTest, ATerminationSignalEndsTheMessageLoop)
{
    TForm form(nullptr);
    form.SetBounds(50, 50, 60, 40);
    form.Show();
    Application()->ProcessMessages();
    ASSERT_FALSE(Application()->Terminated());
    std::raise(SIGTERM);
    for (int32_t round = 0; round < 200 && !Application()->Terminated(); ++round) {
        Application()->ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(Application()->Terminated());
    Application()->ResetTerminated();
}

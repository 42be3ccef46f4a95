// Runs under a virtual X display (label "display"): the built converter
// program starts, shows its skinned main window and is ended again.

#include <gtest/gtest.h>

#include <csignal>
#include <spawn.h>
#include <sys/select.h>
#include <sys/wait.h>

#include "app/ConverterArt.h"
#include "controls/png/pngimage.h"
#include "platform/backend/X11Desktop.h"
#include "platform/gfx/Canvas.h"

// Last: Xlib's macros clash with names above.
#include <X11/Xlib.h>

extern char** environ;

namespace {

constexpr int32_t WindowWidth = 842;
constexpr int32_t WindowHeight = 544;
// Seconds the program may take to show its window, however slow the machine.
constexpr int WaitSeconds = 120;

struct TSentinel {
    TPoint ClientPoint;
    TColor Expected;
};
// The skin's border on the title band and its body at the left edge.
const TSentinel Sentinels[] = {{{400, 1}, SkinBorderColor}, {{2, 300}, SkinBodyColor}};

TColor ScreenPixel(TBitmap& screen, int32_t x, int32_t y)
{
    const uint8_t* p = screen.ScanLine(y) + 4 * x;
    return RGB(p[2], p[1], p[0]);
}

// Waits for the next X event, at most a tenth of a second; false when none came.
bool WaitForEvent(Display* display, XEvent& event)
{
    if (XPending(display) == 0) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(ConnectionNumber(display), &readable);
        timeval tick{0, 100000};
        if (select(ConnectionNumber(display) + 1, &readable, nullptr, nullptr, &tick) <= 0)
            return false;
    }
    XNextEvent(display, &event);
    return true;
}

// A window the program replaced may be gone by the time it is asked about.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

bool IsMainWindow(Display* display, Window window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.width == WindowWidth &&
        attributes.height == WindowHeight;
}

class ConverterProgramTest : public ::testing::Test {
protected:
    ConverterProgramTest() : desktop(TX11Desktop::Open()) {}
    ~ConverterProgramTest() override
    {
        if (child > 0) {
            kill(child, SIGTERM);
            int status = 0;
            waitpid(child, &status, 0);
        }
    }

    void Start()
    {
        char program[] = CONVERTER_PROGRAM;
        char* arguments[] = {program, nullptr};
        ASSERT_EQ(posix_spawn(&child, program, nullptr, nullptr, arguments, environ), 0);
    }

    bool ChildRunning() { return waitpid(child, nullptr, WNOHANG) == 0; }

    std::unique_ptr<TX11Desktop> desktop;
    pid_t child = 0;
};

} // namespace

TEST_F(ConverterProgramTest, ShowsTheSkinnedMainWindow)
{
    ASSERT_NE(desktop, nullptr);
    auto* display = static_cast<Display*>(desktop->Display());
    const Window root = DefaultRootWindow(display);
    XSetErrorHandler(IgnoreXErrors);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);
    Start();

    Window window = 0;
    std::vector<std::string> mismatches;
    std::unique_ptr<TBitmap> screen;
    for (int tick = 0; tick < WaitSeconds * 10 && ChildRunning(); ++tick) {
        XEvent event;
        if (WaitForEvent(display, event)) {
            if (event.type == MapNotify && IsMainWindow(display, event.xmap.window))
                window = event.xmap.window;
            else if ((event.type == UnmapNotify && event.xunmap.window == window) ||
                     (event.type == DestroyNotify && event.xdestroywindow.window == window))
                window = 0;
        }
        int left = 0;
        int top = 0;
        Window unused = 0;
        if (!window || !XTranslateCoordinates(display, window, root, 0, 0, &left, &top, &unused))
            continue;
        screen = desktop->CaptureScreen();
        mismatches.clear();
        for (const TSentinel& sentinel : Sentinels) {
            const TColor got = ScreenPixel(*screen, left + sentinel.ClientPoint.X, top + sentinel.ClientPoint.Y);
            if (got != sentinel.Expected)
                mismatches.push_back(Format("(%d, %d): $%06X", sentinel.ClientPoint.X, sentinel.ClientPoint.Y, got));
        }
        if (mismatches.empty()) {
            TBitmap shot(WindowWidth, WindowHeight);
            shot.Canvas()->CopyRect(Rect(0, 0, WindowWidth, WindowHeight), screen->Canvas(),
                                    Rect(left, top, left + WindowWidth, top + WindowHeight));
            TPNGObject png;
            png.AssignBitmap(shot, false, clNone);
            png.SaveToFile(SCREENSHOT_DIR "/gallery-app-program.png");
            break;
        }
    }
    ASSERT_TRUE(ChildRunning()) << "the converter ended by itself";
    ASSERT_NE(window, 0u) << "no main window appeared";
    EXPECT_TRUE(mismatches.empty()) << testing::PrintToString(mismatches);
}

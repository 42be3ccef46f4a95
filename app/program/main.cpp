// The converter program: the main window on the desktop's own windows.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "app/UnitQuorvid.h"
#include "imaging/core/QkStartup.h"
#include "imaging/formats/BrelvixIOStartup.h"
#include "platform/backend/SdlBackend.h"
#include "platform/ui/Application.h"
#include "platform/ui/WindowSystem.h"

namespace {

int RunMainWindow()
{
    TSdlBackend backend;
    // SDL turns these signals into a quit event that the window system does
    // not act on; the program ends at once on them, as programs do.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    InstallWindowSystem(backend);
    // The imaging library serves the rotated preview for the program's whole run.
    InstallBrelvixIOStartup();
    LibraryStaticInit();
    TFrmQuorvid* mainForm = nullptr;
    Application()->CreateForm(mainForm);
    mainForm->Show();
    Application()->Run();
    // The windows go while the window system and the font cache still exist.
    Application()->DestroyComponents();
    LibraryStaticFinal();
    UninstallWindowSystem();
    return 0;
}

} // namespace

int main(int argc, char**)
{
    if (argc > 1)
        std::fprintf(stderr, "converter: arguments are ignored; add files with the Add button.\n");
    // The windows live on X11. Without it SDL would fall back to a driver
    // that shows nothing, and the program would wait for a window nobody sees.
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "converter: no display to show the window on (DISPLAY is not set).\n");
        return 1;
    }
    setenv("SDL_VIDEODRIVER", "x11", 0);
    try {
        return RunMainWindow();
    } catch (const EInvalidOperation& error) {
        std::fprintf(stderr, "converter: no display to show the window on (%s)\n", error.what());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "converter: %s\n", error.what());
        return 2;
    }
}

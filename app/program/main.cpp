// The converter program: the main window on the desktop's own windows.

#include <cstdio>
#include <exception>

#include "app/UnitQuorvid.h"
#include "platform/backend/SdlBackend.h"
#include "platform/ui/Application.h"
#include "platform/ui/WindowSystem.h"

namespace {

int RunMainWindow()
{
    TSdlBackend backend;
    InstallWindowSystem(backend);
    TFrmQuorvid* mainForm = nullptr;
    Application()->CreateForm(mainForm);
    mainForm->Show();
    Application()->Run();
    UninstallWindowSystem();
    return 0;
}

} // namespace

int main(int argc, char**)
{
    if (argc > 1)
        std::fprintf(stderr, "converter: arguments are ignored; add files with the Add button.\n");
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

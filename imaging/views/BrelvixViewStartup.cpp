#include "imaging/views/BrelvixViewStartup.h"

#include <cstring>

#include "imaging/core/QkStartup.h"
#include "imaging/views/transitions/QkTransitionEffects.h"

void InstallBrelvixViewStartup()
{
    for (TLibraryHook& hook : LibraryHooks())
        if (std::strcmp(hook.Unit, "BrelvixView") == 0) {
            hook.StaticInit = BrelvixViewStaticInit;
            hook.StaticFinal = BrelvixViewStaticFinal;
        }
}

void BrelvixViewStaticInit()
{
    BrelvixViewSettingsInit();
    RegisterTransitionEffects();
}

void BrelvixViewStaticFinal() { UnregisterTransitionEffects(); }

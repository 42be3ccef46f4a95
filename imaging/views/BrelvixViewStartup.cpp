#include "imaging/views/BrelvixViewStartup.h"

#include <cstring>

#include "imaging/core/QkStartup.h"
#include "imaging/views/textedit/QkTextControl.h"
#include "imaging/views/transitions/QkTransitionEffects.h"
#include "imaging/views/vect/QkVStartup.h"

void InstallBrelvixViewStartup()
{
    for (TLibraryHook& hook : LibraryHooks())
        if (std::strcmp(hook.Unit, "BrelvixView") == 0) {
            hook.StaticInit = BrelvixViewStaticInit;
            hook.StaticFinal = BrelvixViewStaticFinal;
        }
    // The other units of the views library start with the view.
    InstallTextControlStartup();
    InstallBrelvixVectStartup();
}

void BrelvixViewStaticInit()
{
    BrelvixViewSettingsInit();
    RegisterTransitionEffects();
}

void BrelvixViewStaticFinal() { UnregisterTransitionEffects(); }

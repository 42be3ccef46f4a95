#include "imaging/views/vect/QkVStartup.h"

#include <cstring>

#include "imaging/core/QkStartup.h"
#include "imaging/views/textedit/QkTextControl.h"
#include "imaging/views/vect/QkVUserObject.h"

TClipFormat VectClipboardFormat = 0;

void InstallBrelvixVectStartup()
{
    for (TLibraryHook& hook : LibraryHooks())
        if (std::strcmp(hook.Unit, "BrelvixVect") == 0) {
            hook.StaticInit = BrelvixVectStaticInit;
            hook.StaticFinal = BrelvixVectStaticFinal;
        }
}

void BrelvixVectStaticInit()
{
    VectClipboardFormat = RegisterClipboardFormat("BRELVIX VECT");
    TextControlShortcuts = BuildTextControlShortcuts();
    ReleaseUserObjectClasses();
}

void BrelvixVectStaticFinal() { ReleaseUserObjectClasses(); }

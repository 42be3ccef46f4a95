#include "imaging/views/BrelvixViewStartup.h"

#include <cstring>

#include "imaging/core/QkStartup.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatRows.h"
#include "imaging/views/BrelvixView.h"
#include "imaging/views/layers/QkLayersStream.h"
#include "imaging/views/textedit/QkTextControl.h"
#include "imaging/views/transitions/QkTransitionEffects.h"
#include "imaging/views/vect/QkVStartup.h"

namespace {

// The view a layered file is loaded into when the input/output component
// has none attached: no window, and its images in memory.
std::unique_ptr<TQkView> NewTemporaryView()
{
    auto view = std::make_unique<TBrelvixView>(nullptr);
    view->SetLegacyBitmap(false);
    return view;
}

} // namespace

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
    SetTemporaryViewFactory(NewTemporaryView);
    FormatRow(ioLYR).Probe = IsLayersStream;
}

void BrelvixViewStaticFinal()
{
    FormatRow(ioLYR).Probe = nullptr;
    SetTemporaryViewFactory(nullptr);
    UnregisterTransitionEffects();
}

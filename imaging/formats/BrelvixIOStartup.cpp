#include "imaging/formats/BrelvixIOStartup.h"

#include <cstring>

#include "imaging/core/QkStartup.h"
#include "imaging/formats/QkBuiltInFilters.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatDetection.h"
#include "imaging/formats/QkFormatRows.h"
#include "imaging/formats/QkIOSupport.h"
#include "platform/core/Files.h"

void InstallBrelvixIOStartup()
{
    for (TLibraryHook& hook : LibraryHooks())
        if (std::strcmp(hook.Unit, "BrelvixIO") == 0) {
            hook.StaticInit = BrelvixIOStaticInit;
            hook.StaticFinal = BrelvixIOStaticFinal;
        }
}

void BrelvixIOStaticInit()
{
    // The existence switch, the LZW hooks (nil until their codecs register),
    // the temporary folder, the log, colour management and the quantizer.
    BrelvixIOSettingsInit();
    RegisterFileFormats();
    FormatRow(ioAVI).Probe = IsAviStream;
    RegisterBuiltInFilters();
    IOPlugins.clear();
    CmykProfileConversion = true;
    FreeCmykProfiles();
    CmykProfileFileName = ExecutableFolder() + "CmykProfile.icc";
    CmykProfileSource = CurrentCmykProfiles;
}

void BrelvixIOStaticFinal()
{
    CmykProfileSource = nullptr;
    FreeCmykProfiles();
    ReleaseIOPlugins();
    FreeFileFormats();
    ClearFormatRows();
}

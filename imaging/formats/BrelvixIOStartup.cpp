#include "imaging/formats/BrelvixIOStartup.h"

#include <cstring>

#include "imaging/core/QkStartup.h"
#include "imaging/formats/QkBuiltInFilters.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatDetection.h"
#include "imaging/formats/QkFormatRows.h"
#include "imaging/formats/QkIOSupport.h"
#include "imaging/formats/fax/FaxCodeTables.h"
#include "imaging/formats/gif/GifLzw.h"
#include "imaging/formats/j2k/QkJpeg2000.h"
#include "imaging/formats/scan/QkScanDevice.h"
#include "imaging/formats/tiff/TiffExifCodec.h"
#include "imaging/formats/tiff/TiffLzw.h"
#include "imaging/formats/url/QkUrlDownload.h"
#include "platform/core/Files.h"

void InstallBrelvixIOStartup()
{
    for (TLibraryHook& hook : LibraryHooks())
        if (std::strcmp(hook.Unit, "BrelvixIO") == 0) {
            hook.StaticInit = BrelvixIOStaticInit;
            hook.StaticFinal = BrelvixIOStaticFinal;
        } else if (std::strcmp(hook.Unit, "Ccitt") == 0) {
            // The fax decoding trees live for the process; shut-down keeps them.
            hook.StaticInit = CcittStaticInit;
        } else if (std::strcmp(hook.Unit, "Jpeg2000") == 0) {
            hook.StaticInit = Jpeg2000StaticInit;
        }
}

void BrelvixIOStaticInit()
{
    // The existence switch, the LZW hooks (emptied, then given the codecs),
    // the temporary folder, the log, colour management and the quantizer.
    BrelvixIOSettingsInit();
    GifLzwDecoderHook = GifLzwDecode;
    GifLzwEncoderHook = GifLzwEncode;
    TiffLzwDecoderHook = TiffLzwDecode;
    TiffLzwEncoderHook = TiffLzwEncode;
    InstallExifTiffCodec();
    RegisterFileFormats();
    FormatRow(ioAVI).Probe = IsAviStream;
    RegisterBuiltInFilters();
    IOPlugins.clear();
    CmykProfileConversion = true;
    FreeCmykProfiles();
    CmykProfileFileName = ExecutableFolder() + "CmykProfile.icc";
    CmykProfileSource = CurrentCmykProfiles;
    BindInternetFunctions();
}

void BrelvixIOStaticFinal()
{
    CmykProfileSource = nullptr;
    FreeCmykProfiles();
    ReleaseIOPlugins();
    FreeFileFormats();
    ClearFormatRows();
    RemoveExifTiffCodec();
    UnbindInternetFunctions();
    ShutdownSaneService();
}

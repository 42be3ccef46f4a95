#include "imaging/core/QkStartup.h"

#include <memory>
#include <mutex>
#include <string>

#include "imaging/core/BrelvixProcHooks.h"
#include "imaging/core/QkCanvas.h"
#include "imaging/core/QkPresetImages.h"
#include "imaging/core/QkSettings.h"
#include "imaging/core/QkWordTable.h"
#include "platform/gfx/Font.h"

namespace {

// Units whose start-up work comes with their own code: their slots hold
// hooks that do nothing yet.
void NothingToDo() {}

} // namespace

void BrelvixIOSettingsInit()
{
    QuantizerMethod = -1;
    QuantizerQuality = -1;
    TemporaryDirectory.clear();
    FileExistsCompatibility = false;
    ColorManagementEnabled = false;
    GifLzwDecoderHook = nullptr;
    GifLzwEncoderHook = nullptr;
    TiffLzwDecoderHook = nullptr;
    TiffLzwEncoderHook = nullptr;
    DebugLogFileName.clear();
}

void BrelvixViewSettingsInit()
{
    ScreenDpiX = ScreenPixelsPerInch;
    ScreenDpiY = ScreenPixelsPerInch;
    DefaultDpiX = 300;
    DefaultDpiY = 300;
}

namespace {

TLibraryHookTable DefaultHooks()
{
    return {{
        {"Canvas", CanvasStaticInit, CanvasStaticFinal},
        {"Definitions", DefinitionsStaticInit, DefinitionsStaticFinal},
        {"Hyqkutils", InitHyqkutils, FinalHyqkutils},
        {"Jpeg2000", NothingToDo, NothingToDo},
        {"BrelvixVect", NothingToDo, NothingToDo},
        {"BrelvixIO", BrelvixIOSettingsInit, NothingToDo},
        {"BrelvixProc", BrelvixProcStaticInit, BrelvixProcStaticFinal},
        {"BrelvixView", BrelvixViewSettingsInit, NothingToDo},
        {"Ccitt", NothingToDo, NothingToDo},
        {"TextControl", NothingToDo, NothingToDo},
        {"PresetImages", PresetImagesStaticInit, PresetImagesStaticFinal},
    }};
}

const char* const StartedSentinel = "STATICINIT";

// The sentinel is tested before the lock exists; the first start-up call
// comes from the main thread before any other thread runs.
std::string sentinel;
int32_t useCount = 0;
std::unique_ptr<std::mutex> startupLock;

} // namespace

TLibraryHookTable& LibraryHooks()
{
    static TLibraryHookTable hooks = DefaultHooks();
    return hooks;
}

bool LibraryStarted() { return sentinel == StartedSentinel; }

void LibraryStaticInit()
{
    if (!LibraryStarted()) {
        sentinel = StartedSentinel;
        useCount = 0;
        startupLock = std::make_unique<std::mutex>();
    }
    std::lock_guard<std::mutex> lock(*startupLock);
    if (useCount == 0) {
        for (const TLibraryHook& hook : LibraryHooks())
            hook.StaticInit();
    }
    ++useCount;
}

void LibraryStaticFinal()
{
    if (!LibraryStarted())
        return;
    bool lastUser = false;
    {
        std::lock_guard<std::mutex> lock(*startupLock);
        --useCount;
        if (useCount == 0) {
            lastUser = true;
            const TLibraryHookTable& hooks = LibraryHooks();
            for (auto hook = hooks.rbegin(); hook != hooks.rend(); ++hook)
                hook->StaticFinal();
            sentinel.clear();
        }
    }
    if (lastUser)
        startupLock.reset();
}

void DefinitionsStaticInit()
{
    GrayWeightRed = 21;
    GrayWeightGreen = 71;
    GrayWeightBlue = 8;
    DialogsBackgroundStyle = 0;
}

void DefinitionsStaticFinal() {}

void InitHyqkutils()
{
    ProcessorCoreCountCache = -1;
    WindowsVersionCode = GetWindowsVersionCode();
    UnicodeFileNames = WindowsVersionCode > 2;
    ReadSystemMsgLanguage();
    if (LanguageWordTableFiller != nullptr)
        LanguageWordTableFiller();
    MemoryThresholdOverride = -1;
    FileFallbackOnMemoryFailure = true;
    RowBlocksAllowed = true;
    ColorManagementLibrary = nullptr;
    BuildCosineTable();
}

void FinalHyqkutils()
{
    if (ColorManagementLibrary != nullptr) {
        FreeDynamicLibrary(ColorManagementLibrary);
        ColorManagementLibrary = nullptr;
    }
}

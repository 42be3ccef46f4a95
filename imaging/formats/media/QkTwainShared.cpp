#include "imaging/formats/media/QkTwainShared.h"

#include "imaging/core/QkDebugLog.h"

bool UnloadSourceManager(TQkTwainContext& context, bool force)
{
    AppendDebugLog("QKTW_UnloadSourceManager");
    TQkTwainShared* shared = context.Shared;
    if (force && shared != nullptr && shared->SourceManager != nullptr) {
        FreeDynamicLibrary(shared->SourceManager);
        context.SourceManager = shared->SourceManager = nullptr;
        context.SourceManagerEntry = shared->SourceManagerEntry = nullptr;
        context.State = tsManagerUnloaded;
        AppendDebugLog("  QKTW_UnloadSourceManager : Unload OK");
    } else if (!force && context.State == tsManagerLoaded) {
        context.SourceManager = nullptr;
        context.SourceManagerEntry = nullptr;
        context.State = tsManagerUnloaded;
        AppendDebugLog("  QKTW_UnloadSourceManager not Unloaded, for future uses");
    }
    return context.State == tsManagerUnloaded;
}

void ReleaseTwainShared(TQkTwainShared& shared)
{
    TQkTwainContext context;
    context.Shared = &shared;
    if (shared.SourceManager != nullptr)
        UnloadSourceManager(context, true);
}

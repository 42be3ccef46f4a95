#pragma once
// What earlier scanner acquisitions keep loaded for later ones, and its
// release when the acquisition parameters go away. Each step is written to
// the debug log (AppendDebugLog).

#include "platform/core/DynamicLibrary.h"

// Owned by the acquisition parameters.
struct TQkTwainShared {
    TLibraryHandle SourceManager = nullptr;
    void* SourceManagerEntry = nullptr;
};

enum TQkTwainState : int32_t {
    tsManagerUnloaded = 1,
    tsManagerLoaded = 2,
};

// One acquisition's view of the source manager.
struct TQkTwainContext {
    TQkTwainState State = tsManagerUnloaded;
    TLibraryHandle SourceManager = nullptr;
    void* SourceManagerEntry = nullptr;
    TQkTwainShared* Shared = nullptr;
};

// With `force`, frees the shared source manager; without it, only forgets
// it in the context, leaving it loaded for later acquisitions. True when
// the context ends with the manager unloaded.
bool UnloadSourceManager(TQkTwainContext& context, bool force);
// Frees whatever the shared state holds; a state holding nothing writes
// nothing to the log.
void ReleaseTwainShared(TQkTwainShared& shared);

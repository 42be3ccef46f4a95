#pragma once
// The library's one-time start-up and shut-down. The program's start-up and
// test fixtures call LibraryStaticInit explicitly (never a static
// initialiser); every call is matched by one LibraryStaticFinal. The first
// start-up runs the start-up hooks of the units in table order; the last
// shut-down runs their shut-down hooks in reverse order.

#include <array>
#include <cstddef>

struct TLibraryHook {
    const char* Unit;
    void (*StaticInit)();
    void (*StaticFinal)();
};

constexpr size_t LibraryHookCount = 11;
using TLibraryHookTable = std::array<TLibraryHook, LibraryHookCount>;

// The hook table in start-up order; each unit's slot names its hooks.
// Tests swap entries for recorders while the library is not started.
TLibraryHookTable& LibraryHooks();

void LibraryStaticInit();
void LibraryStaticFinal();
// True between the first start-up and the last shut-down.
bool LibraryStarted();

// Hooks of the shared definitions and of the foundation unit.
void DefinitionsStaticInit();
void DefinitionsStaticFinal();
void InitHyqkutils();
void FinalHyqkutils();
// The input/output unit's settings that the core reads. Its slot runs this
// until the formats library installs its own start-up, which calls it.
void BrelvixIOSettingsInit();
// The image view unit's settings that the core reads (the default and the
// screen resolution). Its slot runs this until the views library installs
// its own start-up, which calls it.
void BrelvixViewSettingsInit();

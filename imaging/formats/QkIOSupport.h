#pragma once
// Process-wide support of the input/output component: the CMYK printer
// profile behind the CMYK conversions, the file type of an extension and the
// format plug-ins.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/core/QkICC.h"
#include "platform/core/DynamicLibrary.h"

// Convert CMYK through the profile when it can be opened (else by formula).
extern bool CmykProfileConversion;
// The coated-offset CMYK profile the build places beside the program.
extern std::string CmykProfileFileName;
// Both nil until LoadCmykProfile opened them.
extern std::unique_ptr<TQkICC> CmykProfile;
extern std::unique_ptr<TQkICC> CmykRgbProfile;

// True when the CMYK profile and its sRGB partner are ready, with both
// transforms built. A failed attempt is not repeated until the profiles are
// freed.
bool LoadCmykProfile();
// Frees both profiles and forgets a failed attempt.
void FreeCmykProfiles();
// The pair the core's CMYK conversions use: empty unless conversion through
// the profile is on and the profile loads.
TQkCmykProfiles CurrentCmykProfiles();

// The id of the extension's registry entry (with or without its dot, any
// case); 0 for none.
int32_t FileTypeOfExtension(const std::string& extension);

// An external format library and the entry it registered.
struct TQkIOPlugin {
    TLibraryHandle Module = nullptr;
    int32_t FileType = 0;
    std::string Name;
};
extern std::vector<TQkIOPlugin> IOPlugins;
// Unregisters every plug-in's entry, unloads its library and empties the list.
void ReleaseIOPlugins();

#pragma once
// Run-time loading of shared libraries (the LoadLibrary/GetProcAddress pair).

#include <string>

using TLibraryHandle = void*;

// Loads by path (when the name contains "/") or by soname through the
// system's search. Returns nullptr on failure; the reason is then in
// DynamicLibraryError().
TLibraryHandle LoadDynamicLibrary(const std::string& pathOrSoname);
// The symbol's address, or nullptr when the library lacks it (reason kept).
void* GetLibrarySymbol(TLibraryHandle library, const char* name);
// Drops one reference to the library; false on failure.
bool FreeDynamicLibrary(TLibraryHandle library);
// The text of the calling thread's last failure above, "" if none.
std::string DynamicLibraryError();

#include "platform/core/DynamicLibrary.h"

#include <dlfcn.h>

namespace {

thread_local std::string lastError;

void KeepError(const char* fallback)
{
    const char* text = ::dlerror();
    lastError = text ? text : fallback;
}

} // namespace

TLibraryHandle LoadDynamicLibrary(const std::string& pathOrSoname)
{
    if (pathOrSoname.empty()) {
        lastError = "empty library name";
        return nullptr;
    }
    ::dlerror();
    TLibraryHandle library = ::dlopen(pathOrSoname.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        KeepError("cannot load library");
    return library;
}

void* GetLibrarySymbol(TLibraryHandle library, const char* name)
{
    if (!library || !name) {
        lastError = "no library or symbol name";
        return nullptr;
    }
    ::dlerror();
    void* symbol = ::dlsym(library, name);
    if (!symbol)
        KeepError("symbol not found");
    return symbol;
}

bool FreeDynamicLibrary(TLibraryHandle library)
{
    if (!library) {
        lastError = "no library";
        return false;
    }
    ::dlerror();
    if (::dlclose(library) == 0)
        return true;
    KeepError("cannot unload library");
    return false;
}

std::string DynamicLibraryError() { return lastError; }

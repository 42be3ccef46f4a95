#include "engine/binding/MyUtilStubs.h"

#include "platform/core/Exceptions.h"

void* BindEntry(const std::string& libraryFileName, TLibraryHandle library, const char* entryName, bool optional)
{
    void* entry = GetLibrarySymbol(library, entryName);
    if (!entry && !optional)
        throw CreateFmt("Load function %s@%s error: %s", entryName, libraryFileName, DynamicLibraryError());
    return entry;
}

void BindMsvcrt(const std::string&, TLibraryHandle) {}

void UnbindMsvcrt() {}

int CompareBytes(const void* a, const void* b, size_t length)
{
    if (!a || !b || length == 0)
        throw EInvalidArgument("CompareBytes needs two blocks and a length");
    const auto* left = static_cast<const unsigned char*>(a);
    const auto* right = static_cast<const unsigned char*>(b);
    for (size_t i = 0; i < length; ++i) {
        if (left[i] != right[i])
            return left[i] > right[i] ? 1 : -1;
    }
    return 0;
}

#pragma once
// Binding of entry points by name, shared by every library's binding unit, and
// the system runtime's row of the library table. On Linux FFmpeg and the engine
// share the C library, so the runtime row binds nothing; it stays a row so that
// library sets keep their meaning.

#include <cstddef>
#include <string>

#include "platform/core/DynamicLibrary.h"

// Declares, inside namespace av, the entry-point variable of a C function:
// named after it and typed from its prototype in the installed headers.
#define FF_DECLARE_ENTRY(name) inline decltype(&::name) name = nullptr;

// Used by the bind procedures, which name their arguments fileName and library.
#define FF_BIND_MANDATORY(name) BindEntry(fileName, library, #name, false, av::name);
#define FF_BIND_OPTIONAL(name) BindEntry(fileName, library, #name, true, av::name);
#define FF_UNBIND(name) av::name = nullptr;

// The address of `entryName` in `library`. A missing entry gives nullptr when
// optional; otherwise raises Exception "Load function %s@%s error: %s" with the
// entry name, the library's file name and the system's reason.
void* BindEntry(const std::string& libraryFileName, TLibraryHandle library, const char* entryName, bool optional);

template <class Function>
void BindEntry(const std::string& libraryFileName, TLibraryHandle library, const char* entryName, bool optional,
               Function*& entry)
{
    entry = reinterpret_cast<Function*>(BindEntry(libraryFileName, library, entryName, optional));
}

void BindMsvcrt(const std::string& fileName, TLibraryHandle library);
void UnbindMsvcrt();

// Compares two blocks as unsigned bytes: 1 at the first byte where `a` is
// greater, -1 where it is smaller, 0 when all are equal. Both blocks must be
// present and `length` above 0.
int CompareBytes(const void* a, const void* b, size_t length);

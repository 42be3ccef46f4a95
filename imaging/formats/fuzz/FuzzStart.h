#pragma once
// The formats fuzz targets' start: the library with the formats' start-up,
// and a low decode limit so that large headers are refused quickly.

#include <cstdint>

#include "imaging/core/QkSettings.h"
#include "imaging/core/QkStartup.h"
#include "imaging/formats/BrelvixIOStartup.h"
#include "platform/gfx/FontLookup.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/lsan_interface.h>
#define FUZZ_WITH_LEAK_CHECKS 1
#endif
#endif

// fontconfig loses a few hundred bytes of its own while parsing its configuration
// files, once per process, and nothing can free them. The configuration is
// loaded here, before any input, with leak detection paused for this one
// call, so that the loss is not reported against the first input that
// draws text. Leaks of our own font code are still reported.
inline void LoadFontsForFuzzing()
{
#ifdef FUZZ_WITH_LEAK_CHECKS
    __lsan_disable();
#endif
    LoadFontConfiguration();
#ifdef FUZZ_WITH_LEAK_CHECKS
    __lsan_enable();
#endif
}

inline void StartFormatsForFuzzing(int64_t decodePixelLimit)
{
    LoadFontsForFuzzing();
    InstallBrelvixIOStartup();
    LibraryStaticInit();
    DecodePixelLimit = decodePixelLimit;
}

#pragma once
// The formats fuzz targets' start: the library with the formats' start-up,
// and a low decode limit so that large headers are refused quickly.

#include <cstdint>

#include "imaging/core/QkSettings.h"
#include "imaging/core/QkStartup.h"
#include "imaging/formats/BrelvixIOStartup.h"
#include "platform/gfx/FontLookup.h"

// fontconfig keeps allocations for the life of the process, some of them made
// while matching the family names an input asks for; scripts/fuzz-imaging
// suppresses them through scripts/lsan-suppressions.txt, as the sanitizer
// tests do. Loading the configuration before the first input keeps its cost
// out of the first run's timing.
inline void LoadFontsForFuzzing()
{
    LoadFontConfiguration();
}

inline void StartFormatsForFuzzing(int64_t decodePixelLimit)
{
    LoadFontsForFuzzing();
    InstallBrelvixIOStartup();
    LibraryStaticInit();
    DecodePixelLimit = decodePixelLimit;
}

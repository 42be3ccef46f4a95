#pragma once
// The input/output unit's start-up and shut-down: the format registry, the
// filters' rows, the CMYK profile and the unit's settings.

// Puts the two hooks below into the library start-up's input/output slot,
// and the fax codecs' start-up into theirs; the program calls it before
// LibraryStaticInit.
void InstallBrelvixIOStartup();

void BrelvixIOStaticInit();
void BrelvixIOStaticFinal();

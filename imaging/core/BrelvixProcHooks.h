#pragma once
// Start-up and shut-down of the processing unit, run by the library's
// start-up in its fixed slot.

#include "platform/ui/Clipboard.h"

// The clipboard format of the library's raw images, registered at start-up
// as "BRELVIX RAW FORMAT"; 0 before.
extern TClipFormat RawClipboardFormat;

void BrelvixProcStaticInit();
void BrelvixProcStaticFinal();

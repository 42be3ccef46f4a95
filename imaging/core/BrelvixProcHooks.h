#pragma once
// Start-up and shut-down of the processing unit, run by the library's
// start-up in its fixed slot.

void BrelvixProcStaticInit();
void BrelvixProcStaticFinal();

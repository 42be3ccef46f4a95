#include "imaging/core/BrelvixProcHooks.h"

#include "imaging/core/QkBitmapRoutines.h"

void BrelvixProcStaticInit()
{
    BuildBitExpansionTable();
}

// Nothing the start-up made needs releasing yet.
void BrelvixProcStaticFinal() {}

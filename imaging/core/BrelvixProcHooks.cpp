#include "imaging/core/BrelvixProcHooks.h"

#include "imaging/core/QkBitmapRoutines.h"
#include "imaging/core/QkConvolution.h"

TClipFormat RawClipboardFormat = 0;

void BrelvixProcStaticInit()
{
    BuildBitExpansionTable();
    CreateConvolutionPresets();
    RawClipboardFormat = RegisterClipboardFormat("BRELVIX RAW FORMAT");
}

void BrelvixProcStaticFinal() { FreeConvolutionPresets(); }

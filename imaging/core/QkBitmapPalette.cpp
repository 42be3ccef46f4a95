#include "imaging/core/QkBitmap.h"

void TQkBitmap::AssignPalette(std::vector<TRGBPixel> entries)
{
    FPalette = std::move(entries);
    SyncPaletteToTBitmap();
}

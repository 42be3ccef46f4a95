#include "imaging/core/QkRowTable.h"

TQkRowTable::TQkRowTable(TQkBitmap& bitmap, uint8_t access) : FBitmap(bitmap), FAccess(bitmap, access)
{
    const int32_t height = bitmap.GetHeight();
    FRows.reserve(height);
    for (int32_t y = 0; y < height; ++y)
        FRows.push_back(bitmap.GetScanlineView(y));
}

TQkRowTable::~TQkRowTable()
{
    for (int32_t y = 0; y < Count(); ++y)
        FBitmap.ReleaseScanlineView(y);
}

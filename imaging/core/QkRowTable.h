#pragma once
// Every row of a bitmap mapped at once, so that loops (and worker threads)
// can address any row without calling back into the bitmap: a file-stored
// bitmap maps a view per row, and its other getters may re-sync storage.

#include "imaging/core/QkBitmap.h"

#include <vector>

class TQkRowTable {
public:
    TQkRowTable(TQkBitmap& bitmap, uint8_t access);
    ~TQkRowTable();
    TQkRowTable(const TQkRowTable&) = delete;
    TQkRowTable& operator=(const TQkRowTable&) = delete;

    uint8_t* operator[](int32_t y) const { return FRows[y]; }
    int32_t Count() const { return static_cast<int32_t>(FRows.size()); }

private:
    TQkBitmap& FBitmap;
    TQkAccessGuard FAccess;
    std::vector<uint8_t*> FRows;
};

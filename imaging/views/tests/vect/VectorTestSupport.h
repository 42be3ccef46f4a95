#pragma once
// A record of a kind with its box, as the vector tests build them.

#include "imaging/views/vect/QkVObject.h"

inline TQkVObject OfKind(TQkVObjKind kind, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    TQkVObject record;
    record.Kind = kind;
    record.X1 = x1;
    record.Y1 = y1;
    record.X2 = x2;
    record.Y2 = y2;
    return record;
}

#pragma once
// Wireless bitmaps (type 0): no magic, so no probe.

#include <cstdint>

#include "imaging/formats/QkFormatRows.h"

class TStream;

// One multi-byte integer of at most 4 bytes; -1 when the stream ends first.
int64_t ReadWbmpInteger(TStream& stream);
// Honours ParamsOnly; sets Aborting on a bad header.
void ReadWbmpImage(TQkReadRequest& request);
// Sides above 255 pixels are scaled down to fit, keeping the aspect.
void WriteWbmpImage(TQkWriteRequest& request);

#pragma once
// Truevision TGA: colour-mapped, true-colour and gray images (types 1-3)
// and their run-length forms (9-11), with the TGA 2.0 extension area and
// footer.

#include "imaging/formats/QkFormatRows.h"

class TStream;

bool IsTgaStream(TStream& stream);
// Honours ParamsOnly and IgnoreAlpha; sets Aborting on an unsupported type
// or depth and on data that ends early (the rows read so far stay).
void ReadTargaImage(TQkReadRequest& request);
// Writes top-down rows at depth 1, 8 (colour-mapped or gray), 24 or 32
// (with an alpha channel), by SamplesPerPixel and BitsPerSample.
void WriteTargaImage(TQkWriteRequest& request);

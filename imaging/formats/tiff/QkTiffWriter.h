#pragma once
// TIFF writing: a page into a new little-endian file, or into the page
// chain of an existing one.

#include <cstdint>

#include "imaging/formats/QkFormatRows.h"

class TStream;
class TQkBitmap;
class TIOParamsVals;
struct TQkFilterProgress;

// Writes `bitmap` (or, when null, a directory of tags only) as a page.
// Appending inserts it before page TiffImageIndex of the file the stream
// holds, or after the last page for an index beyond them. Returns the pages
// the file has afterwards, or 0 with Aborting set on failure. The
// parameters' BitsPerSample, SamplesPerPixel and TiffPhotometric become
// what was written.
int32_t WriteTiffImage(TStream& stream, bool append, TQkBitmap* bitmap, TQkFilterProgress& progress,
                       TIOParamsVals& params);
// The input/output component's form: a new file.
void WriteTiffFile(TQkWriteRequest& request);

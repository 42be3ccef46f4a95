#pragma once
// Windows bitmap files: the Windows, OS/2 core and OS/2 2.x headers and the
// longer Windows headers; 1 to 32 bits, uncompressed, run-length or bit
// fields, bottom-up or top-down. "BM" detection finds them, so no probe.

#include "imaging/formats/QkFormatRows.h"

// Honours ParamsOnly, ByteBudget (0 or less: the file header's size) and
// IgnoreAlpha. Without a file header (or with HeaderlessStream) the stream
// starts at the information header. Sets Aborting on a bad or unsupported
// file; a parameters-only read still reports what the header holds.
void ReadBmpImage(TQkReadRequest& request, bool noFileHeader = false);
// Depth by BitsPerSample, SamplesPerPixel and the alpha channel; header by
// BmpVersion, run-length codes by BmpCompression, alpha bytes by BmpAlpha.
void WriteBmpImage(TQkWriteRequest& request);

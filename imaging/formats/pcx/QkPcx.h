#pragma once
// PaintBrush images (PCX) and their multipage container (DCX): a table of
// offsets, each to a complete PCX image.

#include "imaging/formats/QkFormatRows.h"

class TStream;

// Reads ByteBudget bytes from the stream's position (up to the end when it
// is -1). Honours ParamsOnly; a bad header or an unreadable layout sets
// Aborting. A run-length stream cut short leaves the rest of the image 0.
void ReadPcxImage(TQkReadRequest& request);
// At 1, 4, 8 or 24 bits, from BitsPerSample x SamplesPerPixel.
void WritePcxImage(TQkWriteRequest& request);

// True when the data at the position is a DCX whose every table offset
// lies inside it; the position is left where it was.
bool IsDcxStream(TStream& stream);
// The page DcxImageIndex (clamped to the pages there are).
void ReadDcxImage(TQkReadRequest& request);
// Inserts the bitmap as a page before DcxImageIndex (after the last page
// when the index is beyond it) into the DCX that runs from the stream's
// position to its end, or creates one there when nothing follows.
void WriteDcxImage(TQkWriteRequest& request);

#pragma once
// Camera raw files: the probe that detection asks last, the reader with
// the common filter shape, and the Canon heap metadata.

#include "imaging/formats/QkFormatRows.h"

class TStream;
class TIOParamsVals;

// True when a known camera wrote the data at the position, which is kept.
bool IsCameraRaw(TStream& stream);
// Decodes to a 24-bit (or, with NativePixelFormat, 48-bit) bitmap, or
// returns the embedded thumbnail when RawReadThumbnail asks for it. An
// unknown camera or data it cannot decode sets Aborting; cameras whose
// decoder tables this build lacks raise EQkFormatNotSupported after
// setting Aborting.
void ReadCameraRaw(TQkReadRequest& request);
// Text fields, maker-note records and the smallest JPEG thumbnail of a
// Canon heap file at the stream's position 0.
void ReadCiffMetadata(TStream& stream, TIOParamsVals& params);

#pragma once
// JPEG 2000 through OpenJPEG: the JP2 file format and the bare code stream,
// read and written over the caller's stream.

#include <cstdint>
#include <string>

#include "imaging/formats/QkFormatRows.h"

class TStream;
class TIOParamsVals;

// The JP2 signature box: 12, "jP  ", 0D0A870A.
bool IsJp2Stream(TStream& stream);
// A code stream's start (FF4F) followed by its image and tile size (FF51).
bool IsJ2kStream(TStream& stream);

// Sets Aborting on data that is neither container, a failed decode, an
// image past the decode limit or a colour space without a mapping to RGB
// (CMYK, e-YCC). With NativePixelFormat one component becomes qk8g, or
// qk16g with its samples as stored when deeper than 8 bits.
void ReadJpeg2000Image(TQkReadRequest& request);

enum class TJ2kContainer { Jp2, CodeStream };
// Writes qk1g as one-bit gray, everything else as gray or RGB (plus an
// opacity component) by J2000ColorSpace; sets Aborting when the encoder
// fails or the stream takes fewer bytes than given.
void WriteJpeg2000Image(TQkWriteRequest& request, TJ2kContainer container);

// The encoder's options as one text: "rate=<J2000Rate>" and " prg=lrcp" or
// " prg=rlcp" by J2000Progression.
std::string Jpeg2000EncoderOptions(const TIOParamsVals& params);

// Builds the YCbCr tables; the library's start-up calls it.
void Jpeg2000StaticInit();

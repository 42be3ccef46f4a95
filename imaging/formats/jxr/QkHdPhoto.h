#pragma once
// Microsoft HD Photo ("WDP", "HDP") through jxrlib, over the caller's
// stream: the filter procedures of file type 29 and the codec's presence.

#include <cstdint>

#include "imaging/formats/QkFormatRows.h"

class TStream;

// jxrlib is linked in, so the codec is there; tests clear this to see the
// library without it.
extern bool HdPhotoCodecLinked;
bool IsWICAvailable();

// Decodes frame ImageIndex (files hold one) into the bitmap: the native
// formats as they are (with NativePixelFormat), anything else as qk24RGB.
// A container whose image lies outside the stream, an unknown pixel format,
// a size past the decode limit or a refused decode set Aborting, and so
// does damaged coded data that crashes or stalls jxrlib, which decodes in a
// child process; ParamsOnly stops before the pixels.
void ReadHdPhotoImage(TQkReadRequest& request);

// qk1g, qk8g, qk16g, qk24RGB, qkCMYK and qkRGB48 are stored as they are,
// other formats as qk24RGB; lossless with HdpLossless or HdpImageQuality
// >= 1. Without the codec, or when the stream refuses bytes, sets Aborting.
void WriteHdPhotoImage(TQkWriteRequest& request);

// The quantizer the writer's properties give: 1 (lossless) with `lossless`
// or a quality of 1 and above, else 1 + round((1 - quality) x 200) with the
// quality clamped to 0..1.
uint8_t HdPhotoQuantizer(double imageQuality, bool lossless);

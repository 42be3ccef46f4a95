#pragma once
// Which camera wrote a raw file: the container parsers fill the context,
// and the camera chain picks the geometry, filter pattern, levels and
// loader.

#include <string>

#include "imaging/formats/cameraraw/RawDecodeContext.h"

// 0 for a known camera with a loader (the stream then stands at the sensor
// data), 1 otherwise.
int32_t IdentifyCamera(TRawDecodeContext& context);

void ParseTiff(TRawDecodeContext& context, int64_t base);
void ParseCiff(TRawDecodeContext& context, int64_t offset, int64_t length);
void ParseRollei(TRawDecodeContext& context);
void ParseFoveon(TRawDecodeContext& context);

// The chain of camera tests; false when a Kodak compression is unknown.
bool ApplyCameraChain(TRawDecodeContext& context, const uint8_t* head);

void SetDc20Coeff(TRawDecodeContext& context, float juice);
void SetSonyCoeff(TRawDecodeContext& context);
void SetE950Coeff(TRawDecodeContext& context);
void SetFoveonCoeff(TRawDecodeContext& context);
void SetGmcyCoeff(TRawDecodeContext& context);

// a / b, 0 when b is 0, so that broken white-balance records give no
// infinities.
float RawRatio(double a, double b);
// Up to 64 bytes from the stream as a NUL-terminated text.
std::string ReadRawText(TRawDecodeContext& context);

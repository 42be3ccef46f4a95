#pragma once
// What the converter learns of a source through the decoder: whether it can
// be converted at all, whether it has a time line for clip marks, and the
// stream properties the job builder's automatic choices read.

#include <cstdint>
#include <string>

#include "app/CusOutputOptions.h"

class TFFDecoder;

// How a source opened.
enum TSourceKind : int32_t { skFailed = -1, skPictures = 0, skVideo = 1, skAudio = 2 };

// Opens `path` in `decoder` and judges it; a failed open leaves the decoder
// closed. Only skVideo sources are ever converted.
TSourceKind OpenSourceKind(TFFDecoder& decoder, const std::string& path);

// The open source has a duration the track bar and the clip marks can use.
bool SourceHasTiming(TFFDecoder& decoder);

// The size and frame rate of the video stream and the bit and sample rates of
// the audio stream into `record`; what the source lacks stays 0.
void ReadSourceProperties(TFFDecoder& decoder, int32_t videoStream, int32_t audioStream, TCusOutputOptions& record);

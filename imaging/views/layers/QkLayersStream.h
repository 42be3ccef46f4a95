#pragma once
// The layers stream "BRELVIXLAYERS": every layer of a view with its
// properties and its image in one stream. A 25-byte header (signature,
// version, image format, layer count), one property record per layer, each
// naming the absolute position of its image, then the image blocks.
//
// Images are kept as the raw bitmap record through zlib (-1), the raw
// bitmap record alone (-2), or as any file type the input/output component
// writes (1 is written as 8). The stream travels in files, so the reader
// checks every count, length and offset against the stream before it
// allocates, and hands back layers only when the whole stream was read.

#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/views/layers/QkLayer.h"

class TMemoryStream;
class TQkViewGeometry;
class TStream;

constexpr int32_t LayersImageZlibRaw = -1;
constexpr int32_t LayersImageRaw = -2;
constexpr int32_t LayersStreamVersion = 6;
constexpr int64_t LayersStreamHeaderSize = 25;

using TQkOwnedLayers = std::vector<std::unique_ptr<TQkLayer>>;

// True when the header at the position carries the signature and a layer
// count above 0; the position is left where it was.
bool IsLayersStream(TStream& stream);

// Writes the layers, layer 0 first, at the stream's position. A format the
// input/output component cannot write raises Exception.
void WriteLayersStream(TMemoryStream& stream, const TQkOwnedLayers& layers, int32_t imageFormat);

// What a read gives: layer 0's properties and image, which the view puts
// into its own layer 0, and the layers above it.
struct TQkReadLayers {
    std::unique_ptr<TQkLayer> Background;
    TQkOwnedLayers Above;
};

// Reads a layers stream from the position. Fields an older version lacks
// keep the values of `background` for layer 0 and the defaults for the
// others; bitmaps are made in memory. A wrong signature, a version
// below 1, a short or inconsistent stream, an image past the decode limit
// or one that does not decode answer false; the position is then the
// start's. A count of 0 answers true with no background.
bool ReadLayersStream(TStream& stream, TQkLayer& background, TQkReadLayers& read);

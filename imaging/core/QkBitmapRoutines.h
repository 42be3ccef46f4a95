#pragma once
// Free routines on bitmaps and raw pixel rows: flips, bit runs, bitmap
// comparison, TBitmap copies, histogram matching, channel reordering and
// the cubic step of the area resampler.

#include "imaging/core/QkBitmap.h"

#include <array>
#include <memory>
#include <string>

class TBitmap;

enum TQkFlipDirection : uint8_t { qkFlipHorizontal, qkFlipVertical };

// Mirrors the image (and its alpha channel) in place.
void FlipBitmap(TQkBitmap& bitmap, TQkFlipDirection direction);

// Copies `count` bits from bit `sourceBit` of `source` (which holds
// `sourceLength` bytes; bits beyond them read as 0) to bit `destinationBit`
// of `destination`; destination bits outside the run keep their values.
void CopyBitRun(uint8_t* destination, const uint8_t* source, int32_t destinationBit, int32_t sourceBit, int32_t count,
                int32_t sourceLength);
void CopyBits(uint8_t* destination, const uint8_t* source, int32_t destinationBit, int32_t sourceBit, int32_t count);

// Same size, same presence of an alpha channel and byte-identical rows
// (padding included).
bool SameBitmaps(TQkBitmap& a, TQkBitmap& b);

// Makes `destination` an exact copy of `source`: size, format, palette and
// bits. An empty source leaves a 1 x 1 destination of its format.
void CopyTBitmap(const TBitmap& source, TBitmap& destination);
std::unique_ptr<TBitmap> CloneTBitmap(const TBitmap& source);
// Gives a bitmap a new size and format without converting the old pixels.
void ReshapeTBitmap(TBitmap& bitmap, int32_t width, int32_t height, TPixelFormat format);

// Channel 0 blue, 1 green, 2 red; `target` holds 256 counts summing to `total`.
void SpecifyChannelHistogram(TQkBitmap& bitmap, int32_t channel, const std::array<int64_t, 256>& target, int64_t total);
void MatchHistogram(TQkBitmap& reference, TQkBitmap& bitmap);

// The three letters give the new blue, green and red: 'B', 'G', 'R' take
// that old channel, '0' gives 0; a missing or unknown letter keeps the
// channel as it was.
void ReorderChannels(TQkBitmap& bitmap, const std::string& order, TObject* sender, const TQkProgressEvent& onProgress);

// Cubic convolution (a = -1) of four samples at fraction t, limited to low..high.
double CubicInterpolate4(double previous, double s0, double s1, double s2, double t, double low, double high);

// Entry b: eight 3-byte pixels, all 255 for the set bits of b (top bit first).
using TBitExpansionTable = std::array<std::array<uint8_t, 24>, 256>;
extern TBitExpansionTable BitExpansionTable;
// Fills BitExpansionTable; the library's start-up calls it once.
void BuildBitExpansionTable();

#pragma once
// Resampling a bitmap to new pixel dimensions: the dispatch by filter and
// pixel format and point sampling.

#include "imaging/core/QkBitmap.h"

// The size ResampleTo makes from the caller's arguments: -1 keeps the
// aspect ratio, 0 the current size, other negatives count as positive; at
// least 1. Both negative: no size (false).
struct TQkResampleSize {
    int32_t Width = 0;
    int32_t Height = 0;
};
bool ResampleTargetSize(int32_t width, int32_t height, int32_t newWidth, int32_t newHeight, TQkResampleSize& size);

// Resamples into a destination that already has the wanted size and format
// (a qk1g source sets the destination's format here). Progress goes to
// `onProgress` with `sender` when one is given.
void ResampleBitmap(TQkBitmap& source, TQkBitmap& destination, TResampleFilter filter, TObject* sender,
                    const TQkProgressEvent& onProgress);
// Point sampling, every pixel format.
void ResampleUnfiltered(TQkBitmap& source, TQkBitmap& destination, TObject* sender, const TQkProgressEvent& onProgress);
// Every filter but rfNone, for sources other than qk1g.
void ResampleFiltered(TQkBitmap& source, TQkBitmap& destination, TResampleFilter filter, TObject* sender,
                      const TQkProgressEvent& onProgress);
// 8-bit sources (gray images and alpha channels); no progress.
void ResampleGrayFiltered(TQkBitmap& source, TQkBitmap& destination, TResampleFilter filter);
// qk1g sources into qk24RGB (qk1g for the project filters); no progress.
void ResampleMonoFiltered(TQkBitmap& source, TQkBitmap& destination, TResampleFilter filter);

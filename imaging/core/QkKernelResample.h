#pragma once
// The two-pass kernel resampler: rows first (on one worker thread per
// processor core for colour images), into a buffer of the destination's
// width and the source's height, then columns. Weights are integers (kernel
// x 256), each sum is divided by its weights' total, truncating, and
// limited to 0..255. The destination already has its final size.

#include "imaging/core/QkBitmap.h"

#include <vector>

// Rows first .. first + Count - 1 of one worker.
struct TRowSpan {
    int32_t First = 0;
    int32_t Count = 0;
};

// Workers 0 .. n - 2 take rows div n rows each, the last worker the rest.
std::vector<TRowSpan> SplitRows(int32_t rows, int32_t workers);
// 1 for a file-stored source (its rows map file views), else the core count.
int32_t ResampleWorkerCount(const TQkBitmap& source);

// qk24RGB into qk24RGB; OnProgress runs on worker 0 during the row pass,
// then on the calling thread.
void ResampleKernelRGB(TQkBitmap& source, TQkBitmap& destination, TResampleFilter filter, TObject* sender,
                       const TQkProgressEvent& onProgress);
// 8-bit into 8-bit, in the calling thread, no progress.
void ResampleKernelGray(TQkBitmap& source, TQkBitmap& destination, TResampleFilter filter);
// qk1g (a set bit reads 255) into a qk24RGB gray image, in the calling
// thread, no progress.
void ResampleKernelMono(TQkBitmap& source, TQkBitmap& destination, TResampleFilter filter);

#include "imaging/core/QkRegionOps.h"

#include "imaging/core/QkProgressReporter.h"

#include <algorithm>

namespace {

struct TRegion {
    int32_t Left;
    int32_t Top;
    int32_t Right; // exclusive
    int32_t Bottom; // exclusive
    bool Empty() const { return Right <= Left || Bottom <= Top; }
};

TRegion Limited(TQkBitmap& bitmap, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    return {std::max(x1, 0), std::max(y1, 0), std::min(x2, bitmap.GetWidth()), std::min(y2, bitmap.GetHeight())};
}

TRGBPixel Unpacked(uint32_t colour)
{
    return MakeRGBPixel(static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                        static_cast<uint8_t>(colour));
}

// Calls work(row) for each row of the region, reporting progress after it.
template <class Work>
void ForEachRow(TQkBitmap& bitmap, const TRegion& region, TObject* sender, const TQkProgressEvent& onProgress,
                Work work)
{
    const TQkAccessGuard access(bitmap, qkaRead | qkaWrite);
    TQkProgressReporter progress(sender, &onProgress);
    const int32_t rows = region.Bottom - region.Top;
    for (int32_t y = region.Top; y < region.Bottom; ++y) {
        work(bitmap.GetScanline(y));
        progress.Report((y - region.Top + 1) * 100 / (rows + 0.5));
    }
}

} // namespace

void ConvertRegionToGray(TQkBitmap& bitmap, int32_t x1, int32_t y1, int32_t x2, int32_t y2, TObject* sender,
                         const TQkProgressEvent& onProgress)
{
    const TRegion region = Limited(bitmap, x1, y1, x2, y2);
    if (bitmap.GetPixelFormat() != qk24RGB || region.Empty())
        return;
    ForEachRow(bitmap, region, sender, onProgress, [&](uint8_t* row) {
        for (int32_t x = region.Left; x < region.Right; ++x) {
            uint8_t* pixel = row + 3 * x;
            const uint8_t gray = RGBPixelToGray({pixel[0], pixel[1], pixel[2]});
            pixel[0] = pixel[1] = pixel[2] = gray;
        }
    });
}

void FillRegion(TQkBitmap& bitmap, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour, TObject* sender,
                const TQkProgressEvent& onProgress)
{
    const TRegion region = Limited(bitmap, x1, y1, x2, y2);
    if (region.Empty())
        return;
    const TRGBPixel pixel = Unpacked(colour);
    switch (bitmap.GetPixelFormat()) {
    case qk1g:
        ForEachRow(bitmap, region, sender, onProgress, [&](uint8_t* row) {
            for (int32_t x = region.Left; x < region.Right; ++x)
                SetBit(row, x, pixel.r != 0);
        });
        break;
    case qk8g: {
        const uint8_t gray = RGBPixelToGray(pixel);
        ForEachRow(bitmap, region, sender, onProgress,
                   [&](uint8_t* row) { std::fill(row + region.Left, row + region.Right, gray); });
        break;
    }
    case qk24RGB:
        ForEachRow(bitmap, region, sender, onProgress, [&](uint8_t* row) {
            for (int32_t x = region.Left; x < region.Right; ++x) {
                row[3 * x] = pixel.b;
                row[3 * x + 1] = pixel.g;
                row[3 * x + 2] = pixel.r;
            }
        });
        break;
    default:
        bitmap.FillRect(region.Left, region.Top, region.Right - 1, region.Bottom - 1, RGBPixelToColor(pixel));
        break;
    }
}

#pragma once
// The magic wand's colour test and region fill, shared by its modes.

#include <cstdint>
#include <optional>
#include <vector>

#include "imaging/core/QkPixels.h"

class TQkBitmap;

class TQkWandColorTest {
public:
    TQkWandColorTest(TRGBPixel seed, int32_t tolerance) : seed_(seed), tolerance_(tolerance) {}
    bool Passes(TRGBPixel colour) const;

private:
    TRGBPixel seed_;
    int32_t tolerance_;
};

// The 4-connected region of passing pixels around a seed, found with a
// scan-line fill of spans, and its bounding box.
class TQkWandRegion {
public:
    // Nothing when the seed lies outside the image.
    static std::optional<TQkWandRegion> Fill(TQkBitmap& bitmap, int32_t x, int32_t y, int32_t tolerance);

    bool Contains(int32_t x, int32_t y) const;
    bool Empty() const { return Right < Left; }

    // Inclusive bounds of the filled pixels.
    int32_t Left;
    int32_t Top;
    int32_t Right = -1;
    int32_t Bottom = -1;

private:
    TQkWandRegion(int32_t width, int32_t height);
    void Mark(int32_t x, int32_t y);

    int32_t width_;
    int32_t height_;
    size_t rowBytes_;
    std::vector<uint8_t> visited_;

    friend class TQkWandFill;
};

#pragma once
// Fixtures of the renderer and stretch tests.

#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "imaging/core/QkBitmap.h"

// A bitmap in the given storage whose every byte is 77.
inline void MakeBitmap(TQkBitmap& bitmap, int32_t width, int32_t height, TQkLocation location = qkMemory,
                       TQkPixelFormat format = qk24RGB)
{
    bitmap.SetLocation(location);
    bitmap.SetMemoryThreshold(location == qkFile ? 0 : INT64_MAX);
    ASSERT_TRUE(bitmap.Allocate(width, height, format));
    bitmap.Fill(77);
}

// A qk1g bitmap with a checker of 3x2 cells.
inline void MakeChecker(TQkBitmap& bitmap, int32_t width, int32_t height)
{
    ASSERT_TRUE(bitmap.Allocate(width, height, qk1g));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            SetBit(bitmap.GetScanline(y), x, ((x / 3 + y / 2) & 1) != 0);
}

// The qk24RGB destination rectangle at (dx, dy) holds `expected` exactly.
inline void ExpectDrawnAt(TQkBitmap& destination, TQkBitmap& expected, int32_t dx, int32_t dy)
{
    for (int32_t y = 0; y < expected.GetHeight(); ++y)
        ASSERT_EQ(std::memcmp(destination.GetScanline(dy + y) + 3 * dx, expected.GetScanline(y),
                              3 * size_t(expected.GetWidth())),
                  0)
            << "row " << y;
}

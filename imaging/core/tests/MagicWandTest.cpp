#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkMagicWand.h"
#include "imaging/core/QkMask.h"

namespace {

// A qk24RGB picture from rows of letters; each letter is a colour.
void MakePicture(TQkBitmap& bitmap, const std::vector<std::string>& rows)
{
    auto colour = [](char letter) {
        switch (letter) {
        case '#': return TRGBPixel{0, 0, 200}; // red 200
        case 'n': return TRGBPixel{0, 0, 210}; // near: red 210
        case 'f': return TRGBPixel{0, 0, 240}; // far: red 240
        case 'g': return TRGBPixel{0, 200, 200}; // green added
        default: return TRGBPixel{};
        }
    };
    ASSERT_TRUE(bitmap.Allocate(int32_t(rows[0].size()), int32_t(rows.size()), qk24RGB));
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            bitmap.SetPixel24(int32_t(x), int32_t(y), colour(rows[y][x]));
}

// The mask as rows of 'x' (set) and '.'.
std::vector<std::string> Selected(const TQkMask& mask)
{
    std::vector<std::string> rows;
    for (int32_t y = 0; y < mask.Height(); ++y) {
        rows.emplace_back();
        for (int32_t x = 0; x < mask.Width(); ++x)
            rows.back() += mask.GetPixel(x, y) != 0 ? 'x' : '.';
    }
    return rows;
}

std::vector<std::string> FloodFill(TQkBitmap& bitmap, int32_t x, int32_t y, int32_t tolerance, bool maximumFilter)
{
    TQkMask mask;
    mask.AllocateBits(bitmap.GetWidth(), bitmap.GetHeight(), 8);
    MagicWandFloodFill(bitmap, x, y, 255, mask, tolerance, maximumFilter);
    return Selected(mask);
}

std::vector<std::string> ColorMatch(TQkBitmap& bitmap, int32_t x, int32_t y, int32_t tolerance)
{
    TQkMask mask;
    mask.AllocateBits(bitmap.GetWidth(), bitmap.GetHeight(), 1);
    MagicWandColorMatch(bitmap, x, y, 1, mask, tolerance);
    return Selected(mask);
}

const std::vector<std::string> Islands = {
    "..##f.",
    "#.#n..",
    "..g...",
    "##..##",
};

} // namespace

TEST(MagicWand, SeedOutsideTheImageSelectsNothing)
{
    TQkBitmap bitmap;
    MakePicture(bitmap, Islands);
    for (const TPoint seed : {TPoint{-1, 0}, {0, -1}, {6, 0}, {0, 4}}) {
        EXPECT_TRUE(MagicWandOutline(bitmap, seed.X, seed.Y, 255, true).empty());
        TQkMask mask;
        mask.AllocateBits(6, 4, 8);
        mask.SetPixel(1, 1, 9);
        MagicWandFloodFill(bitmap, seed.X, seed.Y, 255, mask, 255, true);
        MagicWandColorMatch(bitmap, seed.X, seed.Y, 255, mask, 255);
        EXPECT_EQ(Selected(mask), (std::vector<std::string>{"......", ".x....", "......", "......"}));
        EXPECT_EQ(mask.GetPixel(1, 1), 9);
    }
}

// The region is 4-connected: pixels touching only at a corner are apart;
// the tolerance bounds every channel's distance from the seed's colour.
TEST(MagicWand, FloodFillSelectsTheConnectedSimilarPixels)
{
    TQkBitmap bitmap;
    MakePicture(bitmap, Islands);
    struct TCase {
        TPoint Seed;
        int32_t Tolerance;
        std::vector<std::string> Expected;
    };
    const TCase cases[] = {
        {{2, 0}, 0, {"..xx..", "..x...", "......", "......"}},
        {{2, 0}, 10, {"..xx..", "..xx..", "......", "......"}},
        {{2, 0}, 40, {"..xxx.", "..xx..", "......", "......"}},
        {{2, 0}, 199, {"..xxx.", "..xx..", "......", "......"}},
        {{2, 0}, 200, {"xxxxxx", "xxxxxx", "xxxxxx", "xxxxxx"}},
        {{0, 1}, 0, {"......", "x.....", "......", "......"}},
        {{1, 3}, 0, {"......", "......", "......", "xx...."}},
        {{4, 3}, 255, {"xxxxxx", "xxxxxx", "xxxxxx", "xxxxxx"}},
        {{0, 0}, 0, {"xx....", ".x....", "xx....", "......"}},
        {{5, 0}, 0, {".....x", "....xx", "...xxx", "..xx.."}},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(std::to_string(test.Seed.X) + "," + std::to_string(test.Seed.Y) + " tolerance " +
                     std::to_string(test.Tolerance));
        EXPECT_EQ(FloodFill(bitmap, test.Seed.X, test.Seed.Y, test.Tolerance, false), test.Expected);
    }
}

// The maximum filter adds the one-pixel ring, cut at the image border.
TEST(MagicWand, MaximumFilterAddsARingInsideTheImage)
{
    TQkBitmap bitmap;
    MakePicture(bitmap, Islands);
    EXPECT_EQ(FloodFill(bitmap, 0, 1, 0, true), (std::vector<std::string>{"xx....", "xx....", "xx....", "......"}));
    EXPECT_EQ(FloodFill(bitmap, 3, 0, 10, true), (std::vector<std::string>{".xxxx.", ".xxxx.", ".xxxx.", "......"}));
    EXPECT_EQ(FloodFill(bitmap, 5, 3, 0, true), (std::vector<std::string>{"......", "......", "...xxx", "...xxx"}));
}

// The global mode takes every similar pixel, connected or not.
TEST(MagicWand, ColorMatchIgnoresConnectivity)
{
    TQkBitmap bitmap;
    MakePicture(bitmap, Islands);
    EXPECT_EQ(ColorMatch(bitmap, 2, 0, 0), (std::vector<std::string>{"..xx..", "x.x...", "......", "xx..xx"}));
    EXPECT_EQ(ColorMatch(bitmap, 0, 3, 10), (std::vector<std::string>{"..xx..", "x.xx..", "......", "xx..xx"}));
    EXPECT_EQ(ColorMatch(bitmap, 0, 0, 255), (std::vector<std::string>{"xxxxxx", "xxxxxx", "xxxxxx", "xxxxxx"}));
}

// The outline runs along the pixel edges with a point at every turn of the
// traced chain; the diagonal step that rounds each outer corner on the fine
// grid makes that corner appear twice.
TEST(MagicWand, OutlineFollowsThePixelEdges)
{
    struct TCase {
        const char* Name;
        std::vector<std::string> Picture;
        TPoint Seed;
        bool MaximumFilter;
        std::vector<TPoint> Expected;
    };
    const TCase cases[] = {
        {"lone pixel",
         {"...", ".#.", "..."},
         {1, 1},
         false,
         {{1, 1}, {2, 1}, {2, 1}, {2, 2}, {2, 2}, {1, 2}, {1, 2}, {1, 1}}},
        {"L",
         {"#..", "##.", "..."},
         {0, 1},
         false,
         {{0, 0}, {1, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 1}, {2, 2}, {2, 2}, {0, 2}, {0, 2}, {0, 0}}},
        // Widened inside its own bounding box only: the L fills its box.
        {"L widened",
         {"....", ".#..", ".##.", "...."},
         {1, 1},
         true,
         {{1, 1}, {3, 1}, {3, 1}, {3, 3}, {3, 3}, {1, 3}, {1, 3}, {1, 1}}},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        TQkBitmap bitmap;
        MakePicture(bitmap, test.Picture);
        const std::vector<TPoint> outline = MagicWandOutline(bitmap, test.Seed.X, test.Seed.Y, 0, test.MaximumFilter);
        ASSERT_EQ(outline.size(), test.Expected.size());
        for (size_t i = 0; i < outline.size(); ++i)
            EXPECT_TRUE(outline[i] == test.Expected[i])
                << i << ": " << outline[i].X << "," << outline[i].Y << " expected " << test.Expected[i].X << ","
                << test.Expected[i].Y;
    }
}

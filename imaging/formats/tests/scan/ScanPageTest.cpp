#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/formats/scan/QkScanPage.h"

namespace {

TQkScanFrameParams Frame(int32_t format, int32_t depth, int32_t pixels, int32_t bytesPerLine, int32_t lines,
                         bool last = true)
{
    TQkScanFrameParams params;
    params.Format = format;
    params.Depth = depth;
    params.PixelsPerLine = pixels;
    params.BytesPerLine = bytesPerLine;
    params.Lines = lines;
    params.LastFrame = last;
    return params;
}

bool Feed(TQkScanPage& page, const TQkScanFrameParams& params, const std::vector<uint8_t>& data)
{
    return page.BeginFrame(params) && page.Append(data.data(), data.size()) && page.EndFrame();
}

std::vector<uint8_t> Row(TQkBitmap& bitmap, int32_t y, size_t bytes)
{
    const uint8_t* row = bitmap.GetScanline(y);
    return {row, row + bytes};
}

TEST(ScanPage, AnnouncementsTheDataCannotMeetAreRefused)
{
    struct Case {
        TQkScanFrameParams params;
        const char* error;
    };
    const std::vector<Case> cases = {
        {Frame(sfRGB, 8, 10, 29, 2), "the lines are shorter than their pixels need"},
        {Frame(sfGray, 1, 17, 2, 2), "the lines are shorter than their pixels need"},
        {Frame(sfGray, 8, 100000, 100000, 100000), "the page is larger than the decode limit"},
        {Frame(sfGray, 8, 4, 4, 0), "empty frame"},
        {Frame(sfGray, 8, 0, 4, 2), "empty frame"},
        {Frame(sfGray, 8, 4, 4, -2), "empty frame"},
        {Frame(sfGray, 12, 4, 8, 2), "unsupported depth 12"},
        {Frame(sfRGB, 1, 8, 3, 2), "1-bit colour frames are not supported"},
        {Frame(9, 8, 4, 4, 2), "unknown frame format 9"},
    };
    for (const Case& c : cases) {
        TQkScanPage page;
        EXPECT_FALSE(page.BeginFrame(c.params)) << c.error;
        EXPECT_EQ(page.LastError(), c.error);
    }
}

TEST(ScanPage, DataBeyondTheAnnouncedSizeOrShortOfItFails)
{
    TQkScanPage longer;
    ASSERT_TRUE(longer.BeginFrame(Frame(sfGray, 8, 2, 2, 2)));
    const uint8_t bytes[5] = {};
    EXPECT_FALSE(longer.Append(bytes, 5));
    EXPECT_EQ(longer.LastError(), "the device sent more data than it announced");

    TQkScanPage shorter;
    EXPECT_FALSE(Feed(shorter, Frame(sfGray, 8, 2, 2, 2), {1, 2, 3}));
    EXPECT_EQ(shorter.LastError(), "the frame ended before its last line");
    EXPECT_EQ(shorter.TakeBitmap(), nullptr);
}

TEST(ScanPage, PaddingIsSkippedAndColoursSwapped)
{
    TQkScanPage page;
    // Two RGB pixels a line, two bytes of padding, sent in uneven pieces.
    const std::vector<uint8_t> data = {1, 2, 3, 4, 5, 6, 0xEE, 0xEE, 7, 8, 9, 10, 11, 12, 0xEE, 0xEE};
    ASSERT_TRUE(page.BeginFrame(Frame(sfRGB, 8, 2, 8, 2)));
    ASSERT_TRUE(page.Append(data.data(), 5));
    ASSERT_TRUE(page.Append(data.data() + 5, 11));
    ASSERT_TRUE(page.EndFrame());
    auto bitmap = page.TakeBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->GetPixelFormat(), qk24RGB);
    EXPECT_EQ(Row(*bitmap, 0, 6), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
    EXPECT_EQ(Row(*bitmap, 1, 6), (std::vector<uint8_t>{9, 8, 7, 12, 11, 10}));
}

TEST(ScanPage, ThreePassesMergeAndHandScansKeepWholeRows)
{
    TQkScanPage page;
    ASSERT_TRUE(Feed(page, Frame(sfGreen, 8, 2, 2, -1, false), {20, 21, 22, 23, 99}));
    ASSERT_TRUE(Feed(page, Frame(sfBlue, 8, 2, 2, -1, false), {30, 31, 32, 33}));
    EXPECT_FALSE(page.Complete());
    ASSERT_TRUE(Feed(page, Frame(sfRed, 8, 2, 2, -1), {10, 11, 12, 13}));
    auto bitmap = page.TakeBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->GetHeight(), 2);
    EXPECT_EQ(Row(*bitmap, 1, 6), (std::vector<uint8_t>{32, 22, 12, 33, 23, 13}));

    TQkScanPage repeated;
    ASSERT_TRUE(Feed(repeated, Frame(sfRed, 8, 2, 2, 1, false), {1, 2}));
    EXPECT_FALSE(repeated.BeginFrame(Frame(sfRed, 8, 2, 2, 1)));
    TQkScanPage missing;
    ASSERT_TRUE(Feed(missing, Frame(sfRed, 8, 2, 2, 1, false), {1, 2}));
    EXPECT_FALSE(Feed(missing, Frame(sfBlue, 8, 2, 2, 1), {1, 2}));
    EXPECT_EQ(missing.LastError(), "a colour pass is missing");
    TQkScanPage resized;
    ASSERT_TRUE(Feed(resized, Frame(sfRed, 8, 2, 2, 1, false), {1, 2}));
    EXPECT_FALSE(resized.BeginFrame(Frame(sfGreen, 8, 3, 3, 1)));
}

} // namespace

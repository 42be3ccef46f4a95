#include <gtest/gtest.h>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Icon.h"
#include "platform/ui/Clipboard.h"

namespace {

TEST(ClipboardFormatsTest, SameNameGivesSameId)
{
    const TClipFormat first = RegisterClipboardFormat("TEST FORMAT A");
    const TClipFormat second = RegisterClipboardFormat("TEST FORMAT B");
    EXPECT_GE(first, 0xC000u);
    EXPECT_NE(first, second);
    EXPECT_EQ(RegisterClipboardFormat("TEST FORMAT A"), first);
    EXPECT_EQ(RegisterClipboardFormat(""), 0u);
}

TEST(ClipboardFormatsTest, EachFormatKeepsItsOwnBytes)
{
    TClipboard& clipboard = *Clipboard();
    const TClipFormat format = RegisterClipboardFormat("TEST FORMAT BYTES");
    const TClipFormat other = RegisterClipboardFormat("TEST FORMAT OTHER");
    EXPECT_FALSE(clipboard.HasFormat(format));
    EXPECT_TRUE(clipboard.SetFormatData(format, {1, 2, 3}));
    EXPECT_TRUE(clipboard.HasFormat(format));
    EXPECT_FALSE(clipboard.HasFormat(other));
    EXPECT_EQ(clipboard.FormatData(format), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_TRUE(clipboard.FormatData(other).empty());
    EXPECT_FALSE(clipboard.SetFormatData(0x7FFFFFFF, {9}));
    EXPECT_FALSE(clipboard.HasFormat(0x7FFFFFFF));
    clipboard.ClearFormats();
    EXPECT_FALSE(clipboard.HasFormat(format));
}

TEST(ClipboardFormatsTest, BitmapsTravelAsBitmapFiles)
{
    TBitmap copied(3, 2, pf24bit);
    copied.Canvas()->SetPixel(2, 1, RGB(10, 20, 30));
    TClipFormat format = 0;
    std::vector<uint8_t> data;
    copied.SaveToClipboardFormat(format, data);
    ASSERT_EQ(format, CF_BITMAP);
    ASSERT_TRUE(Clipboard()->SetFormatData(format, std::move(data)));

    TBitmap pasted;
    pasted.LoadFromClipboardFormat(CF_BITMAP, Clipboard()->FormatData(CF_BITMAP));
    EXPECT_EQ(pasted.Width(), 3);
    EXPECT_EQ(pasted.Canvas()->Pixels(2, 1), RGB(10, 20, 30));
    EXPECT_THROW(pasted.LoadFromClipboardFormat(RegisterClipboardFormat("TEST FORMAT BYTES"), {1}), EInvalidGraphic);
    // A graphic class without a clipboard form refuses both ways.
    TIcon icon;
    EXPECT_THROW(icon.SaveToClipboardFormat(format, data), EInvalidGraphic);
    EXPECT_THROW(icon.LoadFromClipboardFormat(CF_BITMAP, Clipboard()->FormatData(CF_BITMAP)), EInvalidGraphic);
    Clipboard()->ClearFormats();
}

} // namespace

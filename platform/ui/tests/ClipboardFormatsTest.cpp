#include <gtest/gtest.h>

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

} // namespace

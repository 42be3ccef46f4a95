#include "platform/core/Properties.h"
#include "platform/gfx/Canvas.h"

#include <gtest/gtest.h>

TEST(PublishedProperties, FontReadsAndWritesItsResourceTexts)
{
    TFont font;
    SetPropText(font, "Color", "clBtnText");
    SetPropText(font, "Style", "[fsBold,fsUnderline]");
    SetPropText(font, "Charset", "GB2312_CHARSET");
    SetPropText(font, "Name", "Tahoma");
    SetPropText(font, "Height", "-13");
    EXPECT_EQ(font.Color(), clBtnText);
    EXPECT_EQ(font.Style(), (TFontStyles{fsBold, fsUnderline}));
    EXPECT_EQ(font.Charset(), GB2312_CHARSET);
    EXPECT_EQ(font.Size(), 10);
    EXPECT_EQ(GetPropText(font, "Color"), "clBtnText");
    EXPECT_EQ(GetPropText(font, "Charset"), "GB2312_CHARSET");
    SetPropText(font, "Color", "$00EFE3FF");
    EXPECT_EQ(font.Color(), 0x00EFE3FFu);
    EXPECT_THROW(SetPropText(font, "Style", "[fsWide]"), EPropertyConvertError);
}

TEST(PublishedProperties, PenAndBrushUseTheirEnumerationNames)
{
    TPen pen;
    TBrush brush;
    SetPropText(pen, "Style", "psDot");
    SetPropText(pen, "Mode", "pmXor");
    SetPropText(brush, "Style", "bsClear");
    EXPECT_EQ(pen.Style(), psDot);
    EXPECT_EQ(pen.Mode(), pmXor);
    EXPECT_EQ(brush.Style(), bsClear);
}

TEST(ColourNames, ConvertBothWays)
{
    EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
    EXPECT_EQ(ColorToString(0x00EFE3FF), "$00EFE3FF");
    EXPECT_EQ(StringToColor("clred"), clRed);
    EXPECT_EQ(StringToColor("$00FF0000"), clBlue);
    EXPECT_THROW(StringToColor("reddish"), EConvertError);
}

#include <gtest/gtest.h>

#include "controls/TarqColors.h"
#include "controls/TarqScheme.h"
#include "platform/ui/Themes.h"

namespace {

struct THslCase {
    TColor Color;
    uint8_t Hue, Sat, Lum;
};

TEST(TarqColors, ColorToHueSatLumOnTheZeroTo240Scale)
{
    const THslCase cases[] = {
        {clRed, 0, 240, 120},
        {clLime, 80, 240, 120},
        {clBlue, 160, 240, 120},
        {clWhite, 0, 0, 240},
        {clBlack, 0, 0, 0},
        {clGray, 0, 0, 120},
        {clBtnFace, 27, 29, 194}, // system colours resolve
        {RGB(255, 0, 1), 240, 240, 120}, // hue rounds up to 240
    };
    for (const auto& c : cases) {
        uint8_t h, s, l;
        ColorToHueSatLum(c.Color, h, s, l);
        EXPECT_EQ(h, c.Hue) << std::hex << c.Color;
        EXPECT_EQ(s, c.Sat) << std::hex << c.Color;
        EXPECT_EQ(l, c.Lum) << std::hex << c.Color;
        EXPECT_EQ(HueOfColor(c.Color), c.Hue);
    }
}

TEST(TarqColors, HueSatLumToColorUsesTheDivisor239AndRoundsHalvesToEven)
{
    EXPECT_EQ(HueSatLumToColor(0, 0, 240), clWhite);
    EXPECT_EQ(HueSatLumToColor(0, 240, 120), clRed);
    EXPECT_EQ(HueSatLumToColor(239, 240, 120), clRed);
    EXPECT_EQ(HueSatLumToColor(120, 240, 120), RGB(0, 252, 255));
    EXPECT_EQ(HueSatLumToColor(0, 240, 60), RGB(128, 0, 0)); // 127.5 goes to the even 128
    EXPECT_EQ(HueSatLumToColor(0, 0, 0), clBlack);
    EXPECT_EQ(HueSatLumToColor(0, 240, 250), clWhite); // above 240 the channels clip at white
}

TEST(TarqColors, LighteningDarkeningAndShifting)
{
    EXPECT_EQ(LightenColor(clWhite, 100), clWhite);
    EXPECT_EQ(DarkenColor(clBlack, 100), clBlack);
    EXPECT_EQ(DarkenColor(clRed, 60), RGB(128, 0, 0));
    EXPECT_EQ(LightenColor(clRed, 60), RGB(255, 128, 128));
    EXPECT_EQ(LightenColor(clRed, 200), clWhite); // luminance ceiling 255, not 240
    EXPECT_EQ(DarkenColor(clRed, 200), clBlack);
    EXPECT_EQ(ShiftLuminance(clBtnFace, 0), clBtnFace); // unresolved
    EXPECT_EQ(ShiftLuminance(clRed, -60), DarkenColor(clRed, 60));
    EXPECT_EQ(ShiftLuminance(clRed, 60), LightenColor(clRed, 60));
}

TEST(TarqColors, MixingClosenessAndOppositeHue)
{
    EXPECT_EQ(MixColors(clWhite, clBlack, 128), RGB(128, 128, 128));
    EXPECT_EQ(MixColors(clRed, clBlue, 255), clRed);
    EXPECT_EQ(MixColors(clRed, clBlue, 0), clBlue);
    EXPECT_EQ(MixColors(clBtnHighlight, clBlack, 255), clWhite);

    EXPECT_TRUE(ColorsAreClose(clWhite, clSilver)); // luminance 240 against 181
    EXPECT_FALSE(ColorsAreClose(clWhite, clGray)); // luminance 240 against 120
    EXPECT_FALSE(ColorsAreClose(clRed, clLime)); // hues 0 and 80

    EXPECT_EQ(OppositeHueColor(clRed, 120), RGB(0, 252, 255));
    EXPECT_EQ(OppositeHueColor(clBlue, 120), HueSatLumToColor(40, 240, 120)); // 160 - 120
}

TEST(TarqColors, SchemePairNeedsTheOfficeStyleAndThemes)
{
    TColor start = 0, stop = 0;
    GetSchemeColorPair(gcsMSOffice, start, stop);
    EXPECT_EQ(start, clWindow);
    EXPECT_EQ(stop, DarkenColor(clBtnFace, 10));

    TRecordingThemeServices themes;
    SetThemeServices(&themes);
    const uint8_t savedScheme = XPColorScheme;
    XPColorScheme = 1;
    GetSchemeColorPair(gcsMSOffice, start, stop);
    EXPECT_EQ(start, TColor(0xEDFFFF));
    EXPECT_EQ(stop, TColor(0x92C7B8));
    GetSchemeColorPair(gcsSystem, start, stop);
    EXPECT_EQ(start, clWindow);
    XPColorScheme = savedScheme;
    SetThemeServices(nullptr);
}

TEST(TarqColors, ColorSchemeNameIsComparedUpperCased)
{
    const std::string saved = ThemeManagerColorName;
    const std::pair<const char*, uint8_t> cases[] = {{"", 0},          {"NormalColor", 0}, {"HomeStead", 1},
                                                     {"HOMESTEAD", 1}, {"Metallic", 2},    {"metallic ", 0}};
    for (const auto& [name, scheme] : cases) {
        ThemeManagerColorName = name;
        EXPECT_EQ(ReadXPColorScheme(), scheme) << name;
    }
    ThemeManagerColorName = saved;
    EXPECT_TRUE(DisplayHasFullColor());
}

TEST(TarqColors, CenteredRectDividesTowardZero)
{
    EXPECT_EQ(CenteredRect(Rect(0, 0, 10, 10), 3, 3), Rect(3, 3, 6, 6));
    EXPECT_EQ(CenteredRect(Rect(-10, -10, -1, -1), 2, 2), Rect(-6, -6, -4, -4));
    EXPECT_EQ(CenteredRect(Rect(0, 0, 4, 4), 10, 2), Rect(-3, 1, 7, 3));
    EXPECT_EQ(SmallerInt(-3, 2), -3);
    EXPECT_EQ(LargerInt(-3, 2), 2);
}

} // namespace

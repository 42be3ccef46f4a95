#pragma once
// Colours as the class library encodes them. An RGB colour keeps red in the
// low byte, green in the next and blue in the third (0x00BBGGRR). A system
// colour is 0xFF000000 plus the window system's colour index and is resolved
// through one fixed table (see SysColorTable in Colors.cpp); a palette
// colour may carry 0x01 or 0x02 in the high byte, which drawing ignores.

#include <cstdint>
#include <string>
#include <vector>

using TColor = uint32_t;

constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b)
{
    return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}
constexpr uint8_t GetRValue(TColor c) { return static_cast<uint8_t>(c & 0xFF); }
constexpr uint8_t GetGValue(TColor c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
constexpr uint8_t GetBValue(TColor c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }

constexpr TColor SystemColorFlag = 0xFF000000;
constexpr bool IsSystemColor(TColor c) { return (c & 0xFF000000) == SystemColorFlag; }

// System colour indices (the window system's COLOR_ numbers).
enum : uint32_t {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
    COLOR_HOTLIGHT = 26,
    COLOR_GRADIENTACTIVECAPTION = 27,
    COLOR_GRADIENTINACTIVECAPTION = 28,
    COLOR_MENUHILIGHT = 29,
    COLOR_MENUBAR = 30,
    COLOR_ENDCOLORS = 30
};

constexpr TColor clScrollBar = SystemColorFlag | COLOR_SCROLLBAR;
constexpr TColor clBackground = SystemColorFlag | COLOR_BACKGROUND;
constexpr TColor clActiveCaption = SystemColorFlag | COLOR_ACTIVECAPTION;
constexpr TColor clInactiveCaption = SystemColorFlag | COLOR_INACTIVECAPTION;
constexpr TColor clMenu = SystemColorFlag | COLOR_MENU;
constexpr TColor clWindow = SystemColorFlag | COLOR_WINDOW;
constexpr TColor clWindowFrame = SystemColorFlag | COLOR_WINDOWFRAME;
constexpr TColor clMenuText = SystemColorFlag | COLOR_MENUTEXT;
constexpr TColor clWindowText = SystemColorFlag | COLOR_WINDOWTEXT;
constexpr TColor clCaptionText = SystemColorFlag | COLOR_CAPTIONTEXT;
constexpr TColor clActiveBorder = SystemColorFlag | COLOR_ACTIVEBORDER;
constexpr TColor clInactiveBorder = SystemColorFlag | COLOR_INACTIVEBORDER;
constexpr TColor clAppWorkSpace = SystemColorFlag | COLOR_APPWORKSPACE;
constexpr TColor clHighlight = SystemColorFlag | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = SystemColorFlag | COLOR_HIGHLIGHTTEXT;
constexpr TColor clBtnFace = SystemColorFlag | COLOR_BTNFACE;
constexpr TColor clBtnShadow = SystemColorFlag | COLOR_BTNSHADOW;
constexpr TColor clGrayText = SystemColorFlag | COLOR_GRAYTEXT;
constexpr TColor clBtnText = SystemColorFlag | COLOR_BTNTEXT;
constexpr TColor clInactiveCaptionText = SystemColorFlag | COLOR_INACTIVECAPTIONTEXT;
constexpr TColor clBtnHighlight = SystemColorFlag | COLOR_BTNHIGHLIGHT;
constexpr TColor cl3DDkShadow = SystemColorFlag | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = SystemColorFlag | COLOR_3DLIGHT;
constexpr TColor clInfoText = SystemColorFlag | COLOR_INFOTEXT;
constexpr TColor clInfoBk = SystemColorFlag | COLOR_INFOBK;
constexpr TColor clHotLight = SystemColorFlag | COLOR_HOTLIGHT;
constexpr TColor clGradientActiveCaption = SystemColorFlag | COLOR_GRADIENTACTIVECAPTION;
constexpr TColor clGradientInactiveCaption = SystemColorFlag | COLOR_GRADIENTINACTIVECAPTION;
constexpr TColor clMenuHighlight = SystemColorFlag | COLOR_MENUHILIGHT;
constexpr TColor clMenuBar = SystemColorFlag | COLOR_MENUBAR;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The RGB value of a system colour index from the fixed table; black for
// indices outside it.
TColor GetSysColor(uint32_t index);

// Resolves a system colour through the table; any other value is returned
// unchanged (clNone and clDefault included).
TColor ColorToRGB(TColor color);

// The 24-bit RGB part of a colour after resolving system colours: what a
// pixel receives.
inline TColor ColorToPixelRGB(TColor color) { return ColorToRGB(color) & 0x00FFFFFF; }

// Colour names of form resources ("clBtnFace", "clRed", ...) for the
// published colour properties.
struct TIdentMapEntry;
const std::vector<TIdentMapEntry>& ColorIdents();
// "clRed" for a named colour, else "$00BBGGRR".
std::string ColorToString(TColor color);
// Accepts a colour name or a number ("$00FF0000", decimal); raises
// EConvertError for anything else.
TColor StringToColor(const std::string& text);

// Published colour properties hold the class library's signed 32-bit value,
// so that system colours match their names in ColorIdents():
//   .Property("Color", ColorGetter(&TFont::Color), ColorSetter(&TFont::SetColor))
//   .Default(ColorProp(clWindowText)).Idents(ColorIdents())
constexpr int32_t ColorProp(TColor color) { return static_cast<int32_t>(color); }
template <class T>
auto ColorGetter(TColor (T::*get)() const)
{
    return [get](T& object) { return static_cast<int32_t>((object.*get)()); };
}
template <class T>
auto ColorSetter(void (T::*set)(TColor))
{
    return [set](T& object, int32_t value) { (object.*set)(static_cast<TColor>(value)); };
}

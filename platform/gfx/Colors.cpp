#include "platform/gfx/Colors.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Strings.h"

#include <array>

namespace {

// The one system-colour scheme of the program: the classic grey 3-D look.
// Index 25 is unused by the window system and stays black.
constexpr std::array<TColor, COLOR_ENDCOLORS + 1> SysColorTable = {
    RGB(212, 208, 200), // COLOR_SCROLLBAR
    RGB(58, 110, 165), // COLOR_BACKGROUND
    RGB(10, 36, 106), // COLOR_ACTIVECAPTION
    RGB(128, 128, 128), // COLOR_INACTIVECAPTION
    RGB(212, 208, 200), // COLOR_MENU
    RGB(255, 255, 255), // COLOR_WINDOW
    RGB(0, 0, 0), // COLOR_WINDOWFRAME
    RGB(0, 0, 0), // COLOR_MENUTEXT
    RGB(0, 0, 0), // COLOR_WINDOWTEXT
    RGB(255, 255, 255), // COLOR_CAPTIONTEXT
    RGB(212, 208, 200), // COLOR_ACTIVEBORDER
    RGB(212, 208, 200), // COLOR_INACTIVEBORDER
    RGB(128, 128, 128), // COLOR_APPWORKSPACE
    RGB(10, 36, 106), // COLOR_HIGHLIGHT
    RGB(255, 255, 255), // COLOR_HIGHLIGHTTEXT
    RGB(212, 208, 200), // COLOR_BTNFACE
    RGB(128, 128, 128), // COLOR_BTNSHADOW
    RGB(128, 128, 128), // COLOR_GRAYTEXT
    RGB(0, 0, 0), // COLOR_BTNTEXT
    RGB(212, 208, 200), // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255), // COLOR_BTNHIGHLIGHT
    RGB(64, 64, 64), // COLOR_3DDKSHADOW
    RGB(212, 208, 200), // COLOR_3DLIGHT
    RGB(0, 0, 0), // COLOR_INFOTEXT
    RGB(255, 255, 225), // COLOR_INFOBK
    RGB(0, 0, 0), // unused
    RGB(0, 0, 128), // COLOR_HOTLIGHT
    RGB(166, 202, 240), // COLOR_GRADIENTACTIVECAPTION
    RGB(192, 192, 192), // COLOR_GRADIENTINACTIVECAPTION
    RGB(49, 106, 197), // COLOR_MENUHILIGHT
    RGB(212, 208, 200), // COLOR_MENUBAR
};

} // namespace

TColor GetSysColor(uint32_t index) { return index < SysColorTable.size() ? SysColorTable[index] : clBlack; }

TColor ColorToRGB(TColor color) { return IsSystemColor(color) ? GetSysColor(color & 0xFF) : color; }

const std::vector<TIdentMapEntry>& ColorIdents()
{
    static const std::vector<TIdentMapEntry> idents = [] {
        const std::pair<TColor, const char*> named[] = {
            {clBlack, "clBlack"},
            {clMaroon, "clMaroon"},
            {clGreen, "clGreen"},
            {clOlive, "clOlive"},
            {clNavy, "clNavy"},
            {clPurple, "clPurple"},
            {clTeal, "clTeal"},
            {clGray, "clGray"},
            {clSilver, "clSilver"},
            {clRed, "clRed"},
            {clLime, "clLime"},
            {clYellow, "clYellow"},
            {clBlue, "clBlue"},
            {clFuchsia, "clFuchsia"},
            {clAqua, "clAqua"},
            {clWhite, "clWhite"},
            {clMoneyGreen, "clMoneyGreen"},
            {clSkyBlue, "clSkyBlue"},
            {clCream, "clCream"},
            {clMedGray, "clMedGray"},
            {clNone, "clNone"},
            {clDefault, "clDefault"},
            {clScrollBar, "clScrollBar"},
            {clBackground, "clBackground"},
            {clActiveCaption, "clActiveCaption"},
            {clInactiveCaption, "clInactiveCaption"},
            {clMenu, "clMenu"},
            {clWindow, "clWindow"},
            {clWindowFrame, "clWindowFrame"},
            {clMenuText, "clMenuText"},
            {clWindowText, "clWindowText"},
            {clCaptionText, "clCaptionText"},
            {clActiveBorder, "clActiveBorder"},
            {clInactiveBorder, "clInactiveBorder"},
            {clAppWorkSpace, "clAppWorkSpace"},
            {clHighlight, "clHighlight"},
            {clHighlightText, "clHighlightText"},
            {clBtnFace, "clBtnFace"},
            {clBtnShadow, "clBtnShadow"},
            {clGrayText, "clGrayText"},
            {clBtnText, "clBtnText"},
            {clInactiveCaptionText, "clInactiveCaptionText"},
            {clBtnHighlight, "clBtnHighlight"},
            {cl3DDkShadow, "cl3DDkShadow"},
            {cl3DLight, "cl3DLight"},
            {clInfoText, "clInfoText"},
            {clInfoBk, "clInfoBk"},
            {clHotLight, "clHotLight"},
            {clGradientActiveCaption, "clGradientActiveCaption"},
            {clGradientInactiveCaption, "clGradientInactiveCaption"},
            {clMenuHighlight, "clMenuHighlight"},
            {clMenuBar, "clMenuBar"},
        };
        std::vector<TIdentMapEntry> entries;
        for (const auto& [color, name] : named)
            entries.push_back({static_cast<int32_t>(color), name});
        return entries;
    }();
    return idents;
}

std::string ColorToString(TColor color)
{
    for (const TIdentMapEntry& e : ColorIdents())
        if (static_cast<TColor>(e.Value) == color)
            return e.Name;
    return Format("$%.8X", color);
}

TColor StringToColor(const std::string& text)
{
    for (const TIdentMapEntry& e : ColorIdents())
        if (SameText(e.Name, text))
            return static_cast<TColor>(e.Value);
    return static_cast<TColor>(StrToInt64(text));
}

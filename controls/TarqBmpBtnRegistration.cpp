#include "controls/TarqBmpBtn.h"
#include "platform/core/ClassRegistry.h"

#define TARQ_BMPBTN_ENUM_INFO(function, typeName, ...)                                                                 \
    const TEnumInfo& function()                                                                                        \
    {                                                                                                                  \
        static const TEnumInfo info{typeName, {__VA_ARGS__}};                                                          \
        return info;                                                                                                   \
    }

TARQ_BMPBTN_ENUM_INFO(ButtonLayoutInfo, "TButtonLayout", "blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom")
TARQ_BMPBTN_ENUM_INFO(ButtonBorderInfo, "TButtonBorder", "bbNone", "bbSingle", "bbButton")
TARQ_BMPBTN_ENUM_INFO(BtnSizeInfo, "TBtnSize", "bszNeither", "bszButtonToBitmap", "bszStretchToButton",
                      "bszTileToButton")
TARQ_BMPBTN_ENUM_INFO(ButtonStyleInfo, "TButtonStyle", "bsAutoDetect", "bsWin31", "bsNew")

namespace {

void RegisterButtonBitmaps()
{
    using B = TTarqButtonBitmaps;
    RegisterClass<B, TPersistent>("TTarqButtonBitmaps")
        .Property("Up", &B::Up)
        .Property("UpAndFocused", &B::UpAndFocused)
        .Property("Disabled", &B::Disabled)
        .Property("Down", &B::Down)
        .Property("StayDown", &B::StayDown)
        .Property("Hot", &B::Hot)
        .Property("TransparentColor", ColorGetter(&B::TransparentColor), ColorSetter(&B::SetTransparentColor))
        .Default(ColorProp(clOlive))
        .Idents(ColorIdents())
        .Event("OnChange", &B::OnChange);
}

void RegisterBmpButton()
{
    using B = TTarqBmpButton;
    RegisterClass<B, TCustomControl>("TTarqBmpButton")
        .Property("AllowAllUp", &B::AllowAllUp, &B::SetAllowAllUp)
        .Default(false)
        .Property("Bitmaps", &B::Bitmaps)
        .Enum("ButtonBorder", &B::ButtonBorder, &B::SetButtonBorder, ButtonBorderInfo())
        .Default(bbNone)
        .Enum("ButtonSize", &B::ButtonSize, &B::SetButtonSize, BtnSizeInfo())
        .Default(bszButtonToBitmap)
        .Enum("ButtonStyle", &B::ButtonStyle, &B::SetButtonStyle, ButtonStyleInfo())
        .Default(bsAutoDetect)
        .Property("CaptionDownOffset", &B::CaptionDownOffset, &B::SetCaptionDownOffset)
        .Default(1)
        .Property("Color", ColorGetter(&TControl::Color), ColorSetter(&TControl::SetColor))
        .Default(ColorProp(clBtnFace))
        .Idents(ColorIdents())
        .Property("GroupIndex", &B::GroupIndex, &B::SetGroupIndex)
        .Default(0)
        .Property("Down", &B::Down, &B::SetDown)
        .Default(false)
        .Enum("Layout", &B::Layout, &B::SetLayout, ButtonLayoutInfo())
        .Default(blGlyphLeft)
        .Property("Margin", &B::Margin, &B::SetMargin)
        .Default(-1)
        .Property("ModalResult", &B::ModalResult, &B::SetModalResult)
        .Default(0)
        .Property("ShowDownPattern", &B::ShowDownPattern, &B::SetShowDownPattern)
        .Default(true)
        .Property("ShowFocus", &B::ShowFocus, &B::SetShowFocus)
        .Default(true)
        .Property("Spacing", &B::Spacing, &B::SetSpacing)
        .Default(4)
        .Property("Width", &TControl::Width, &TControl::SetWidth)
        .Default(80)
        .Property("Height", &TControl::Height, &TControl::SetHeight)
        .Default(30)
        .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
        .Default(true)
        .Event("OnMouseEnter", &B::OnMouseEnter)
        .Event("OnMouseLeave", &B::OnMouseLeave);
}

} // namespace

void RegisterTarqBmpBtnClasses()
{
    static const bool registered = [] {
        RegisterUiClasses();
        RegisterButtonBitmaps();
        RegisterBmpButton();
        return true;
    }();
    (void)registered;
}

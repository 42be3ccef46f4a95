#include "controls/TarqPanel.h"
#include "controls/TarqRegistration.h"
#include "platform/core/ClassRegistry.h"

namespace {

using P = TTarqPanel;

template <class B>
B& Colour(B& builder, const char* name, TColor (TTarqCustomPanel::*get)() const, void (TTarqCustomPanel::*set)(TColor),
          TColor def)
{
    return builder.Property(name, ColorGetter(get), ColorSetter(set)).Default(ColorProp(def)).Idents(ColorIdents());
}

void RegisterPanel()
{
    auto builder = RegisterClass<P, TCustomControl>("TTarqPanel");
    builder.Enum("Alignment", &P::Alignment, &P::SetAlignment, AlignmentInfo())
        .Default(taCenter)
        .Property("BevelWidth", &P::BevelWidth, &P::SetBevelWidth)
        .Default(1)
        .Property("FullRepaint", &P::FullRepaint, &P::SetFullRepaint)
        .Default(true)
        .Property("Locked", &P::Locked, &P::SetLocked)
        .Default(false)
        .Property("Color", ColorGetter(&TControl::Color), ColorSetter(&TControl::SetColor))
        .Default(ColorProp(clBtnFace))
        .Idents(ColorIdents())
        .Stored([](const P& p) { return !p.ParentColor(); })
        .Enum("BorderOuter", &P::BorderOuter, &P::SetBorderOuter, FrameStyleExInfo())
        .Default(fsRaised)
        .Enum("BorderInner", &P::BorderInner, &P::SetBorderInner, FrameStyleExInfo())
        .Default(fsNone)
        .Set("BorderSides", &P::BorderSides, &P::SetBorderSides, SideInfo())
        .Default(AllSides);
    Colour(builder, "BorderColor", &P::BorderColor, &P::SetBorderColor, clBtnFace);
    Colour(builder, "BorderHighlight", &P::BorderHighlight, &P::SetBorderHighlight, clBtnHighlight);
    Colour(builder, "BorderShadow", &P::BorderShadow, &P::SetBorderShadow, clBtnShadow);
    Colour(builder, "FlatColor", &P::FlatColor, &P::SetFlatColor, clBtnShadow);
    builder.Property("FlatColorAdjustment", &P::FlatColorAdjustment, &P::SetFlatColorAdjustment)
        .Default(30)
        .Enum("AlignmentVertical", &P::AlignmentVertical, &P::SetAlignmentVertical, AlignmentVerticalInfo())
        .Default(avCenter)
        .Property("TextMargin", &P::TextMargin, &P::SetTextMargin)
        .Default(0)
        .Property("WordWrap", &P::WordWrap, &P::SetWordWrap)
        .Default(true)
        .Enum("VisualStyle", &P::VisualStyle, &P::SetVisualStyle, VisualStyleInfo())
        .Default(vsWinXP)
        .Enum("GradientColorStyle", &P::GradientColorStyle, &P::SetGradientColorStyle, GradientColorStyleInfo())
        .Default(gcsSystem);
    Colour(builder, "GradientColorStart", &P::GradientColorStart, &P::SetGradientColorStart, 0xFFFFFF);
    Colour(builder, "GradientColorStop", &P::GradientColorStop, &P::SetGradientColorStop, clBtnFace);
    builder.Enum("GradientDirection", &P::GradientDirection, &P::SetGradientDirection, GradientDirectionInfo())
        .Default(gdHorizontalEnd)
        .Property("ShowGrid", &P::ShowGrid, &P::SetShowGrid)
        .Default(false);
    Colour(builder, "GridColor", &P::GridColor, &P::SetGridColor, clBtnShadow);
    builder.Enum("GridStyle", &P::GridStyle, &P::SetGridStyle, GridStyleInfo())
        .Default(gsDots)
        .Property("GridXSize", &P::GridXSize, &P::SetGridXSize)
        .Default(8)
        .Property("GridYSize", &P::GridYSize, &P::SetGridYSize)
        .Default(8)
        .Property("Transparent", &P::Transparent, &P::SetTransparent)
        .Default(false)
        .Property("FrameController", &P::FrameController, &P::SetFrameController)
        .Set("FrameControllerNotifications", &P::FrameControllerNotifications, &P::SetFrameControllerNotifications,
             FrameControllerPropertyInfo())
        .Default(AllFrameControllerNotifications)
        .Property("ShowDockClientCaptions", &P::ShowDockClientCaptions, &P::SetShowDockClientCaptions)
        .Default(true)
        .Property("UseDockManager", &P::UseDockManager, &P::SetUseDockManager)
        .Default(true)
        .Event("OnPaint", &TTarqCustomPanel::OnPaint)
        .Event("OnMouseEnter", &TTarqCustomPanel::OnMouseEnter)
        .Event("OnMouseLeave", &TTarqCustomPanel::OnMouseLeave)
        // Settings of older versions: read, never written.
        .Retired("FrameSides")
        .Retired("ThemeAware")
        .Property(
            "UseGradients", [](P&) { return false; }, &P::ReadUseGradients)
        .Stored(false);
}

} // namespace

void RegisterTarqPanelClasses()
{
    static const bool registered = [] {
        RegisterUiClasses();
        RegisterTarqCommonClasses();
        RegisterPanel();
        return true;
    }();
    (void)registered;
}

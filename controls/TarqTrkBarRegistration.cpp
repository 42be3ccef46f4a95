#include "controls/TarqRegistration.h"
#include "controls/TarqTrkBar.h"
#include "platform/core/ClassRegistry.h"

#define TRACKBAR_ENUM_INFO(function, typeName, ...)                                                                    \
    const TEnumInfo& function()                                                                                        \
    {                                                                                                                  \
        static const TEnumInfo info{typeName, {__VA_ARGS__}};                                                          \
        return info;                                                                                                   \
    }

TRACKBAR_ENUM_INFO(ThumbStyleInfo, "TThumbStyle", "tsBox", "tsCustom", "tsMixer", "tsPointer", "tsFlat", "tsXPPointer",
                   "tsXPBox")
TRACKBAR_ENUM_INFO(PointerTypeInfo, "TPointerType", "ptStandard", "ptWin95")
TRACKBAR_ENUM_INFO(TickStyleInfo, "TTickStyle", "tkStandard", "tkOwnerDraw")

namespace {

using B = TTarqTrackBar;
using C = TTarqCustomTrackBar;

template <class Builder>
Builder& Colour(Builder& builder, const char* name, TColor (C::*get)() const, void (C::*set)(TColor), TColor def)
{
    return builder.Property(name, ColorGetter(get), ColorSetter(set)).Default(ColorProp(def)).Idents(ColorIdents());
}

void RegisterTrackBar()
{
    auto builder = RegisterClass<B, TCustomControl>("TTarqTrackBar");
    builder.Property("Min", &B::Min, &B::SetMin)
        .Default(0)
        .Property("Max", &B::Max, &B::SetMax)
        .Default(10)
        .Property("Position", &B::Position, &B::SetPosition)
        .Default(0)
        .Property("PageSize", &B::PageSize, &B::SetPageSize)
        .Default(uint16_t{1})
        .Property("SelStart", &B::SelStart, &B::SetSelStart)
        .Default(0)
        .Property("SelEnd", &B::SelEnd, &B::SetSelEnd)
        .Default(0)
        .Enum("Orientation", &B::Orientation, &B::SetOrientation, OrientationInfo())
        .Default(orHorizontal)
        .Enum("ThumbStyle", &B::ThumbStyle, &B::SetThumbStyle, ThumbStyleInfo())
        .Default(tsPointer)
        .Enum("PointerType", &B::PointerType, &B::SetPointerType, PointerTypeInfo())
        .Default(ptStandard)
        .Property("CustomThumb", &B::CustomThumb, &B::SetCustomThumb)
        .Enum("HotTrackColorType", &B::HotTrackColorType, &B::SetHotTrackColorType, HotTrackColorTypeInfo())
        .Default(htctActual)
        .Property("TrackOffset", &B::TrackOffset, &B::SetTrackOffset)
        .Default(uint16_t{20})
        .Property("TrackWidth", &B::TrackWidth, &B::SetTrackWidth)
        .Default(uint16_t{8})
        .Enum("TrackFrame", &B::TrackFrame, &B::SetTrackFrame, FrameStyleInfo())
        .Default(fsStatus)
        .Property("ShowTicks", &B::ShowTicks, &B::SetShowTicks)
        .Default(true)
        .Property("TickStep", &B::TickStep, &B::SetTickStep)
        .Default(1)
        .Enum("TickStyle", &B::TickStyle, &B::SetTickStyle, TickStyleInfo())
        .Default(tkStandard)
        .Property("Transparent", &B::Transparent, &B::SetTransparent)
        .Default(false)
        .Property("ShowFocusRect", &B::ShowFocusRect, &B::SetShowFocusRect)
        .Default(true)
        .Property("TabOnEnter", &B::TabOnEnter, &B::SetTabOnEnter)
        .Default(false)
        .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
        .Default(true)
        .Event("OnChange", &C::OnChange)
        .Event("OnChanging", &C::OnChanging)
        .Event("OnDrawTick", &C::OnDrawTick)
        .Event("OnMouseEnter", &C::OnMouseEnter)
        .Event("OnMouseLeave", &C::OnMouseLeave);
    Colour(builder, "TrackColor", &C::TrackColor, &C::SetTrackColor, cl3DLight);
    Colour(builder, "TrackFrameColor", &C::TrackFrameColor, &C::SetTrackFrameColor, clBtnShadow);
    Colour(builder, "SelColor", &C::SelColor, &C::SetSelColor, 0x008080);
    Colour(builder, "TickColor", &C::TickColor, &C::SetTickColor, clBtnShadow);
    Colour(builder, "HighlightColor", &C::HighlightColor, &C::SetHighlightColor, clHighlight);
    Colour(builder, "HotTrackColor", &C::HotTrackColor, &C::SetHotTrackColor, 0x149BF0);
}

} // namespace

void RegisterTarqTrackBarClasses()
{
    static const bool registered = [] {
        RegisterUiClasses();
        RegisterTarqCommonClasses();
        RegisterTrackBar();
        return true;
    }();
    (void)registered;
}

TTarqTrackBar::TTarqTrackBar(TComponent* owner) : TTarqCustomTrackBar(owner) { RegisterTarqTrackBarClasses(); }

#pragma once
// The published frame settings, registered in one way on the frame
// controller and on every framed control, whatever platform class the
// control derives from.

#include "controls/TarqFrameController.h"
#include "controls/TarqTypes.h"
#include "platform/core/ClassRegistry.h"
#include "platform/gfx/Colors.h"

// A framed control writes a frame-related setting to form resources unless a
// linked frame controller supplies it.
template <class T>
auto ControllerStored(TTarqFrameControllerProperty property)
{
    return [property](const T& control) { return !control.ControlledByFrameController(property); };
}

// The control's link to a frame controller, B being the class that declares it.
template <class B, class T>
void AddFrameControllerLink(TClassBuilder<T>& builder)
{
    builder.Property("FrameController", &B::FrameController, &B::SetFrameController)
        .Set("FrameControllerNotifications", &B::FrameControllerNotifications, &B::SetFrameControllerNotifications,
             FrameControllerPropertyInfo())
        .Default(AllFrameControllerNotifications);
}

// The frame settings declared by B, on the class being built. A framed
// control (one that can be linked to a controller) writes each one only
// while no linked controller supplies it; the controller writes them all.
template <class B, class T>
void AddFrameProperties(TClassBuilder<T>& builder)
{
    const auto storedRule = [&builder](TTarqFrameControllerProperty property) {
        if constexpr (requires(const T& control) { control.ControlledByFrameController(property); })
            builder.Stored(ControllerStored<T>(property));
    };
    builder.Property("FrameColor", ColorGetter(&B::FrameColor), ColorSetter(&B::SetFrameColor))
        .Default(ColorProp(clBtnShadow))
        .Idents(ColorIdents());
    storedRule(fcpFrameColor);
    builder.Property("FrameHotColor", ColorGetter(&B::FrameHotColor), ColorSetter(&B::SetFrameHotColor))
        .Default(ColorProp(clBtnShadow))
        .Idents(ColorIdents());
    storedRule(fcpFrameHotColor);
    builder.Property("FrameHotTrack", &B::FrameHotTrack, &B::SetFrameHotTrack).Default(false);
    storedRule(fcpFrameHotTrack);
    builder.Enum("FrameHotStyle", &B::FrameHotStyle, &B::SetFrameHotStyle, FrameStyleInfo()).Default(fsFlatBold);
    storedRule(fcpFrameHotStyle);
    builder.Set("FrameSides", &B::FrameSides, &B::SetFrameSides, SideInfo()).Default(AllSides);
    storedRule(fcpFrameSides);
    builder.Enum("FrameStyle", &B::FrameStyle, &B::SetFrameStyle, FrameStyleInfo()).Default(fsFlat);
    storedRule(fcpFrameStyle);
    builder.Property("FrameVisible", &B::FrameVisible, &B::SetFrameVisible).Default(false);
    storedRule(fcpFrameVisible);
    builder.Enum("FramingPreference", &B::FramingPreference, &B::SetFramingPreference, FramingPreferenceInfo())
        .Default(fpXPThemes);
    storedRule(fcpFramingPreference);
    // Settings of older versions: read, never written. A flat frame was a
    // hot-tracked status frame that sinks while hot.
    builder
        .Property(
            "FrameFlat", [](T&) { return false; },
            [](T& framed, bool flat) {
                framed.SetFrameHotTrack(flat);
                if (flat) {
                    framed.SetFrameStyle(fsStatus);
                    framed.SetFrameHotStyle(fsLowered);
                }
            })
        .Stored(false)
        .Enum(
            "FrameFocusStyle", [](T& framed) { return framed.FrameHotStyle(); },
            [](T& framed, TFrameStyle style) { framed.SetFrameHotStyle(style); }, FrameStyleInfo())
        .Stored(false)
        .Retired("FrameFlatStyle");
}

#include "controls/TarqListVw.h"
#include "controls/TarqRegistration.h"
#include "platform/core/ClassRegistry.h"
#include "platform/ui/Controls.h"
#include "platform/ui/StandardControlsRegistration.h"

namespace {

using L = TTarqListView;

const TEnumInfo& SortDisplayModeInfo()
{
    static const TEnumInfo info{"TTarqLVHeaderSortDisplayMode",
                                {"hsdmNone", "hsdmLeftAlign", "hsdmRightOfText", "hsdmRightAlign"}};
    return info;
}

// Frame-related settings are written unless a linked frame controller
// supplies them.
auto ControllerStored(TTarqFrameControllerProperty property)
{
    return [property](const L& view) { return !view.ControlledByFrameController(property); };
}

void AddColours(TClassBuilder<L>& builder)
{
    using V = TTarqCustomListView;
    auto colour = [&builder](const char* name, TColor (V::*get)() const, void (V::*set)(TColor), TColor def,
                             TTarqFrameControllerProperty property) {
        builder.Property(name, ColorGetter(get), ColorSetter(set))
            .Default(ColorProp(def))
            .Idents(ColorIdents())
            .Stored(ControllerStored(property));
    };
    builder.Property("Color", ColorGetter(&TControl::Color), ColorSetter(&TControl::SetColor))
        .Default(ColorProp(clWindow))
        .Idents(ColorIdents())
        .Stored([](const L& v) { return v.Enabled() && !v.ParentColor() && !v.ControlledByFrameController(fcpColor); });
    colour("DisabledColor", &V::DisabledColor, &V::SetDisabledColor, clBtnFace, fcpDisabledColor);
    colour("FocusColor", &V::FocusColor, &V::SetFocusColor, clWindow, fcpFocusColor);
    colour("FrameColor", &V::FrameColor, &V::SetFrameColor, clBtnShadow, fcpFrameColor);
    colour("FrameHotColor", &V::FrameHotColor, &V::SetFrameHotColor, clBtnShadow, fcpFrameHotColor);
}

void AddFrame(TClassBuilder<L>& builder)
{
    using V = TTarqCustomListView;
    builder.Property("FrameController", &V::FrameController, &V::SetFrameController)
        .Set("FrameControllerNotifications", &V::FrameControllerNotifications, &V::SetFrameControllerNotifications,
             FrameControllerPropertyInfo())
        .Default(AllFrameControllerNotifications)
        .Property("FrameHotTrack", &V::FrameHotTrack, &V::SetFrameHotTrack)
        .Default(false)
        .Stored(ControllerStored(fcpFrameHotTrack))
        .Enum("FrameHotStyle", &V::FrameHotStyle, &V::SetFrameHotStyle, FrameStyleInfo())
        .Default(fsFlatBold)
        .Stored(ControllerStored(fcpFrameHotStyle))
        .Set("FrameSides", &V::FrameSides, &V::SetFrameSides, SideInfo())
        .Default(AllSides)
        .Stored(ControllerStored(fcpFrameSides))
        .Enum("FrameStyle", &V::FrameStyle, &V::SetFrameStyle, FrameStyleInfo())
        .Default(fsFlat)
        .Stored(ControllerStored(fcpFrameStyle))
        .Property("FrameVisible", &V::FrameVisible, &V::SetFrameVisible)
        .Default(false)
        .Stored(ControllerStored(fcpFrameVisible))
        .Enum("FramingPreference", &V::FramingPreference, &V::SetFramingPreference, FramingPreferenceInfo())
        .Default(fpXPThemes)
        .Stored(ControllerStored(fcpFramingPreference))
        // Settings of older versions: read, never written.
        .Property("FrameFlat", [](L&) { return false; }, &V::ReadFrameFlat)
        .Stored(false)
        .Enum("FrameFocusStyle", [](L& v) { return v.FrameHotStyle(); }, &V::ReadFrameFocusStyle, FrameStyleInfo())
        .Stored(false)
        .Retired("FrameFlatStyle");
}

void RegisterListView()
{
    using V = TTarqCustomListView;
    auto builder = RegisterClass<L, TCustomListView>("TTarqListView");
    AddColours(builder);
    AddFrame(builder);
    builder.Property("AlphaSortAll", &V::AlphaSortAll, &V::SetAlphaSortAll)
        .Default(false)
        .Property("EditOnRowClick", &V::EditOnRowClick, &V::SetEditOnRowClick)
        .Default(false)
        .Property("FillLastColumn", &V::FillLastColumn, &V::SetFillLastColumn)
        .Default(true)
        .Enum("HeaderSortDisplayMode", &V::HeaderSortDisplayMode, &V::SetHeaderSortDisplayMode, SortDisplayModeInfo())
        .Default(hsdmRightOfText)
        .Property("HeaderDefaultDrawing", &V::HeaderDefaultDrawing, &V::SetHeaderDefaultDrawing)
        .Default(true)
        .Event("OnCheckStateChanging", &V::OnCheckStateChanging)
        .Event("OnCheckStateChange", &V::OnCheckStateChange)
        .Event("OnItemContextMenu", &V::OnItemContextMenu)
        .Event("OnMouseEnter", &V::OnMouseEnter)
        .Event("OnMouseLeave", &V::OnMouseLeave);
}

} // namespace

void RegisterTarqListViewClasses()
{
    static const bool registered = [] {
        RegisterStandardControls();
        RegisterTarqCommonClasses();
        RegisterListView();
        return true;
    }();
    (void)registered;
}

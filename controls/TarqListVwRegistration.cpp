#include "controls/TarqFrameRegistration.h"
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

void AddColours(TClassBuilder<L>& builder)
{
    using V = TTarqCustomListView;
    auto colour = [&builder](const char* name, TColor (V::*get)() const, void (V::*set)(TColor), TColor def,
                             TTarqFrameControllerProperty property) {
        builder.Property(name, ColorGetter(get), ColorSetter(set))
            .Default(ColorProp(def))
            .Idents(ColorIdents())
            .Stored(ControllerStored<L>(property));
    };
    builder.Property("Color", ColorGetter(&TControl::Color), ColorSetter(&TControl::SetColor))
        .Default(ColorProp(clWindow))
        .Idents(ColorIdents())
        .Stored([](const L& v) { return v.Enabled() && !v.ParentColor() && !v.ControlledByFrameController(fcpColor); });
    colour("DisabledColor", &V::DisabledColor, &V::SetDisabledColor, clBtnFace, fcpDisabledColor);
    colour("FocusColor", &V::FocusColor, &V::SetFocusColor, clWindow, fcpFocusColor);
}

void AddFrame(TClassBuilder<L>& builder)
{
    using V = TTarqCustomListView;
    AddFrameControllerLink<V>(builder);
    AddFrameProperties<V>(builder);
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

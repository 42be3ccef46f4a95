#include "controls/TarqFrameController.h"
#include "controls/TarqRegIniFile.h"
#include "controls/TarqRegistration.h"
#include "platform/core/ClassRegistry.h"

namespace {

using T = TTarqFrameController;

void RegisterFrameController()
{
    RegisterClass<T, TComponent>("TTarqFrameController")
        .Property("Color", ColorGetter(&T::Color), ColorSetter(&T::SetColor))
        .Default(ColorProp(clWindow))
        .Idents(ColorIdents())
        .Stored([](const T& c) { return !c.ParentColor(); })
        .Property("FocusColor", ColorGetter(&T::FocusColor), ColorSetter(&T::SetFocusColor))
        .Default(ColorProp(clWindow))
        .Idents(ColorIdents())
        .Property("DisabledColor", ColorGetter(&T::DisabledColor), ColorSetter(&T::SetDisabledColor))
        .Default(ColorProp(clBtnFace))
        .Idents(ColorIdents())
        .Property("ReadOnlyColor", ColorGetter(&T::ReadOnlyColor), ColorSetter(&T::SetReadOnlyColor))
        .Default(ColorProp(clInfoBk))
        .Idents(ColorIdents())
        .Property("ReadOnlyColorOnFocus", &T::ReadOnlyColorOnFocus, &T::SetReadOnlyColorOnFocus)
        .Default(false)
        .Property("ParentColor", &T::ParentColor, &T::SetParentColor)
        .Default(false)
        .Property("FlatButtonColor", ColorGetter(&T::FlatButtonColor), ColorSetter(&T::SetFlatButtonColor))
        .Default(ColorProp(clBtnFace))
        .Idents(ColorIdents())
        .Property("FlatButtons", &T::FlatButtons, &T::SetFlatButtons)
        .Default(true)
        .Property("FrameColor", ColorGetter(&T::FrameColor), ColorSetter(&T::SetFrameColor))
        .Default(ColorProp(clBtnShadow))
        .Idents(ColorIdents())
        .Property("FrameHotColor", ColorGetter(&T::FrameHotColor), ColorSetter(&T::SetFrameHotColor))
        .Default(ColorProp(clBtnShadow))
        .Idents(ColorIdents())
        .Property("FrameHotTrack", &T::FrameHotTrack, &T::SetFrameHotTrack)
        .Default(false)
        .Enum("FrameHotStyle", &T::FrameHotStyle, &T::SetFrameHotStyle, FrameStyleInfo())
        .Default(fsFlatBold)
        .Set("FrameSides", &T::FrameSides, &T::SetFrameSides, SideInfo())
        .Default(AllSides)
        .Enum("FrameStyle", &T::FrameStyle, &T::SetFrameStyle, FrameStyleInfo())
        .Default(fsFlat)
        .Property("FrameVisible", &T::FrameVisible, &T::SetFrameVisible)
        .Default(false)
        .Enum("FramingPreference", &T::FramingPreference, &T::SetFramingPreference, FramingPreferenceInfo())
        .Default(fpXPThemes)
        .Property("RegIniFile", &T::RegIniFile, &T::SetRegIniFile)
        // Settings of older versions: read, never written.
        .Property("FrameFlat", [](T&) { return false; }, &T::ReadFrameFlat)
        .Stored(false)
        .Enum("FrameFocusStyle", [](T& c) { return c.FrameHotStyle(); }, &T::ReadFrameFocusStyle, FrameStyleInfo())
        .Stored(false)
        .Retired("FrameFlatStyle");
}

void RegisterRegIniFile()
{
    using R = TTarqRegIniFile;
    RegisterClass<R, TComponent>("TTarqRegIniFile")
        .Property("Path", &R::Path, &R::SetPath)
        .Default(std::string())
        .Enum("PathType", &R::PathType, &R::SetPathType, PathTypeInfo())
        .Default(ptIniFile)
        .Enum("RegKey", &R::RegKey, &R::SetRegKey, RegKeyInfo())
        .Default(hkeyCurrentUser)
        .Set("RegAccess", &R::RegAccess, &R::SetRegAccess, RegAccessInfo())
        .Default(TTarqRegAccess{keyAllAccess});
}

} // namespace

void RegisterTarqCommonClasses()
{
    static const bool registered = [] {
        RegisterFrameController();
        RegisterRegIniFile();
        return true;
    }();
    (void)registered;
}

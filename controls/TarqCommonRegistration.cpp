#include "controls/TarqFrameController.h"
#include "controls/TarqFrameRegistration.h"
#include "controls/TarqRegIniFile.h"
#include "controls/TarqRegistration.h"
#include "platform/core/ClassRegistry.h"

namespace {

using T = TTarqFrameController;

void RegisterFrameController()
{
    auto builder = RegisterClass<T, TComponent>("TTarqFrameController");
    builder.Property("Color", ColorGetter(&T::Color), ColorSetter(&T::SetColor))
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
        .Default(true);
    AddFrameProperties<T>(builder);
    builder.Property("RegIniFile", &T::RegIniFile, &T::SetRegIniFile);
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

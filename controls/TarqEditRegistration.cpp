#include "controls/TarqEditRegistration.h"

#include "controls/TarqRegistration.h"
#include "platform/ui/Controls.h"

const TEnumInfo& EditCharCaseInfo()
{
    static const TEnumInfo info{"TEditCharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"}};
    return info;
}

const TEnumInfo& EditAlignmentInfo()
{
    static const TEnumInfo info{"TLeftRight", {"taLeftJustify", "taRightJustify"}};
    return info;
}

namespace {

void RegisterEdit()
{
    using E = TTarqEdit;
    auto builder = RegisterClass<E, TWinControl>("TTarqEdit");
    AddFramedEditProperties(builder);
    builder.Enum("Alignment", &E::Alignment, &E::SetAlignment, EditAlignmentInfo())
        .Default(taLeftJustify)
        .Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength)
        .Default(0)
        .Property(
            "Text", [](E& e) { return e.Text(); }, [](E& e, const std::string& v) { e.SetText(v); })
        .Default(std::string());
}

} // namespace

void RegisterTarqEditClasses()
{
    static const bool registered = [] {
        RegisterUiClasses();
        RegisterTarqCommonClasses();
        RegisterEdit();
        return true;
    }();
    (void)registered;
}

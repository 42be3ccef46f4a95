#include "app/LanguageFiles.h"

#include <array>

#include "platform/core/ClassRegistry.h"
#include "platform/core/IniFile.h"
#include "platform/core/Properties.h"
#include "platform/core/StringList.h"
#include "platform/ui/ListView.h"

namespace {

const char* const ItemSeparator = "||";

void SetColumnCaptions(TListColumns& columns, const std::string& value)
{
    TStringList captions;
    SplitString(value, ItemSeparator, captions);
    for (int32_t i = 0; i < captions.Count() && i < columns.Count(); ++i)
        columns.Items(i)->SetCaption(captions[i]);
}

int32_t IntegerValue(const std::string& value)
{
    int32_t number = 0;
    if (!TryStrToInt(value, number))
        throw CreateFmt<EConvertError>("'%s' is not a valid integer value", value);
    return number;
}

// One "key=value" line of a window's section.
void ApplyLine(TComponent& window, const std::string& line)
{
    TStringList parts;
    SplitString(line, "=", parts);
    if (parts.Count() < 2)
        throw CreateFmt<EConvertError>("No value in '%s'", line);
    const std::string key = Trim(parts[0]);
    const size_t dot = key.find('.');
    TComponent* component = &window;
    std::string property = key;
    if (dot != std::string::npos) {
        const std::string componentName = Trim(key.substr(0, dot));
        property = Trim(key.substr(dot + 1));
        if (!componentName.empty())
            component = window.FindComponent(componentName);
    }
    SetComponentProperty(component, property, parts[1]);
}

} // namespace

std::string LanguageFileName(int32_t index)
{
    static const std::array<const char*, 8> names = {"English", "English", "Spanish", "German",
                                                     "Italian", "French",  "Chinese", "Japanese"};
    const uint32_t low = static_cast<uint32_t>(index) & 0x7F;
    const char* name = low < names.size() ? names[low] : "English";
    return std::string("Languages/") + name + ".isl";
}

void SplitString(const std::string& text, const std::string& separator, TStrings& list)
{
    list.BeginUpdate();
    list.Clear();
    size_t start = 0;
    for (size_t found = text.find(separator); found != std::string::npos; found = text.find(separator, start)) {
        list.Add(text.substr(start, found - start));
        start = found + separator.size();
    }
    if (start < text.size())
        list.Add(text.substr(start));
    list.EndUpdate();
}

void SetComponentProperty(TComponent* component, const std::string& name, const std::string& value)
{
    if (!component)
        return;
    const TPropInfo* prop = GetPropInfo(*component, name);
    if (!prop)
        return;
    switch (prop->Kind) {
    case tkInteger:
    case tkInt64: SetPropValue(*component, name, static_cast<int64_t>(IntegerValue(value))); break;
    case tkString: SetPropValue(*component, name, value); break;
    case tkStrings: SplitString(value, ItemSeparator, *static_cast<TStrings*>(GetObjectProp(*component, *prop))); break;
    case tkClass:
        if (auto* columns = dynamic_cast<TListColumns*>(GetObjectProp(*component, *prop)))
            SetColumnCaptions(*columns, value);
        break;
    default: break;
    }
}

bool LoadFormLanguage(TComponent& window, const std::string& fileName)
{
    TIniFile file(fileName);
    TStringList lines;
    file.ReadSectionValues(window.Name(), lines);
    try {
        for (int32_t i = 0; i < lines.Count(); ++i)
            ApplyLine(window, lines[i]);
    } catch (const Exception&) {
        // A translator's slip costs only the rest of its own section.
    }
    return true;
}

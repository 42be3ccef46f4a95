#include "platform/core/Properties.h"

#include "platform/core/Strings.h"

namespace {

[[noreturn]] void UnknownProperty(const std::string& name)
{
    throw CreateFmt<EPropertyError>("Property %s does not exist", name);
}

[[noreturn]] void InvalidValue() { throw EPropertyConvertError("Invalid property value"); }

const TPropInfo& RequireProp(TObject& object, const std::string& name, const std::string& path)
{
    const TPropInfo* prop = GetPropInfo(object, name);
    if (!prop)
        UnknownProperty(path);
    return *prop;
}

std::string IntegerToText(const TPropInfo& prop, int64_t value)
{
    // 32-bit properties match constants by their bits, so unsigned colour
    // values find the negative system-colour constants.
    const bool bits32 = prop.Kind == tkInteger;
    if (prop.Idents)
        for (const TIdentMapEntry& entry : *prop.Idents)
            if (bits32 ? static_cast<uint32_t>(entry.Value) == static_cast<uint32_t>(value) : entry.Value == value)
                return entry.Name;
    return IntToStr(value);
}

int64_t TextToInteger(const TPropInfo& prop, const std::string& text)
{
    if (prop.Idents)
        for (const TIdentMapEntry& entry : *prop.Idents)
            if (SameText(entry.Name, text))
                return entry.Value;
    int64_t value = 0;
    if (!TryStrToInt64(Trim(text), value))
        InvalidValue();
    return value;
}

// Looks among the context's own components, then its owner's, and so on up;
// each level's own name counts too, so a form can name itself.
TComponent* FindComponentNear(TObject* context, const std::string& name)
{
    for (auto* level = dynamic_cast<TComponent*>(context); level; level = level->Owner()) {
        if (TComponent* found = level->FindComponent(name))
            return found;
        if (SameText(level->Name(), name))
            return level;
    }
    return nullptr;
}

bool SameValue(const TPropValue& a, const TPropValue& b)
{
    if (a == b)
        return true;
    // Defaults may be declared as integers for boolean or float properties.
    if (std::holds_alternative<int64_t>(a) && std::holds_alternative<bool>(b))
        return std::get<int64_t>(a) == (std::get<bool>(b) ? 1 : 0);
    if (std::holds_alternative<int64_t>(a) && std::holds_alternative<double>(b))
        return static_cast<double>(std::get<int64_t>(a)) == std::get<double>(b);
    return false;
}

} // namespace

const TPropInfo* GetPropInfo(const TObject& object, const std::string& name)
{
    const TClassInfo* info = GetClassInfo(&object);
    return info ? info->FindProperty(name) : nullptr;
}

TPropTarget ResolvePropPath(TObject& object, const std::string& path)
{
    TObject* current = &object;
    const std::vector<std::string> steps = SplitString(path, '.');
    for (size_t i = 0; i + 1 < steps.size(); ++i) {
        const TPropInfo& prop = RequireProp(*current, steps[i], path);
        if (prop.Kind != tkClass && prop.Kind != tkStrings)
            UnknownProperty(path);
        current = platform_detail::ToObject(prop.Get(*current));
        if (!current)
            UnknownProperty(path);
    }
    return TPropTarget{current, &RequireProp(*current, steps.back(), path)};
}

TObject* GetObjectProp(TObject& object, const TPropInfo& prop)
{
    return prop.Get ? platform_detail::ToObject(prop.Get(object)) : nullptr;
}

TObject* GetObjectProp(TObject& object, const std::string& path)
{
    const TPropTarget target = ResolvePropPath(object, path);
    return GetObjectProp(*target.Object, *target.Prop);
}

TPropValue GetPropValue(TObject& object, const std::string& path)
{
    const TPropTarget target = ResolvePropPath(object, path);
    if (!target.Prop->Get)
        return TPropValue{};
    return target.Prop->Get(*target.Object);
}

void SetPropValue(TObject& object, const std::string& path, const TPropValue& value)
{
    const TPropTarget target = ResolvePropPath(object, path);
    const TPropInfo& prop = *target.Prop;
    if (prop.Kind == tkRetired)
        return;
    if (const auto* text = std::get_if<std::string>(&value); text && prop.Kind != tkString) {
        SetPropText(object, path, *text);
        return;
    }
    switch (prop.Kind) {
    case tkClass:
    case tkStrings:
    case tkComponent: {
        TObject* source = platform_detail::ToObject(value);
        if (!prop.Accepts(source))
            InvalidValue();
        if (prop.Set) {
            prop.Set(*target.Object, source);
            return;
        }
        // A sub-object without a setter takes a copy of the value.
        auto* own = dynamic_cast<TPersistent*>(platform_detail::ToObject(prop.Get(*target.Object)));
        auto* from = dynamic_cast<TPersistent*>(source);
        if (!own || !from)
            InvalidValue();
        own->Assign(from);
        return;
    }
    case tkEnumeration:
        if (prop.EnumType && prop.EnumType->NameOf(platform_detail::ToInt(value)).empty())
            InvalidValue();
        break;
    case tkSet:
        if (prop.EnumType && prop.EnumType->Names.size() < 64 &&
            (static_cast<uint64_t>(platform_detail::ToInt(value)) >> prop.EnumType->Names.size()) != 0)
            InvalidValue();
        break;
    case tkMethod: throw CreateFmt<EPropertyError>("Property %s is an event", path);
    default: break;
    }
    if (!prop.Set)
        throw CreateFmt<EPropertyError>("Property %s is read-only", path);
    prop.Set(*target.Object, value);
}

std::string GetPropText(TObject& object, const std::string& path)
{
    const TPropTarget target = ResolvePropPath(object, path);
    if (!target.Prop->Get)
        return target.Prop->Kind == tkRetired ? std::string() : PropValueToText(*target.Prop, TPropValue{});
    return PropValueToText(*target.Prop, target.Prop->Get(*target.Object));
}

void SetPropText(TObject& object, const std::string& path, const std::string& text)
{
    const TPropTarget target = ResolvePropPath(object, path);
    const TPropInfo& prop = *target.Prop;
    if (prop.Kind == tkRetired)
        return;
    if (prop.Kind == tkStrings) {
        auto* strings = dynamic_cast<TStrings*>(platform_detail::ToObject(prop.Get(*target.Object)));
        if (!strings)
            InvalidValue();
        strings->SetText(text);
        return;
    }
    SetPropValue(*target.Object, prop.Name, TextToPropValue(prop, text, target.Object));
}

void SetEventProp(TObject& object, const std::string& path, const std::any& handler)
{
    const TPropTarget target = ResolvePropPath(object, path);
    if (target.Prop->Kind != tkMethod)
        throw CreateFmt<EPropertyError>("Property %s is not an event", path);
    target.Prop->SetEvent(*target.Object, handler);
}

bool IsStoredProp(TObject& object, const TPropInfo& prop)
{
    if (prop.Kind == tkRetired || !prop.Get)
        return false;
    if (prop.StoredIf && !prop.StoredIf(object))
        return false;
    if (prop.Default)
        return !SameValue(*prop.Default, prop.Get(object));
    if (prop.Kind == tkString)
        return !platform_detail::ToString(prop.Get(object)).empty();
    return true;
}

std::string PropValueToText(const TPropInfo& prop, const TPropValue& value)
{
    switch (prop.Kind) {
    case tkInteger:
    case tkInt64: return IntegerToText(prop, platform_detail::ToInt(value));
    case tkFloat: return FloatToStr(platform_detail::ToFloat(value));
    case tkBool: return platform_detail::ToBool(value) ? "True" : "False";
    case tkString: return platform_detail::ToString(value);
    case tkEnumeration: return prop.EnumType->NameOf(platform_detail::ToInt(value));
    case tkSet: return SetToString(*prop.EnumType, static_cast<uint64_t>(platform_detail::ToInt(value)));
    case tkComponent: {
        const auto* component = dynamic_cast<const TComponent*>(platform_detail::ToObject(value));
        return component ? component->Name() : std::string();
    }
    case tkStrings: {
        const auto* strings = dynamic_cast<const TStrings*>(platform_detail::ToObject(value));
        return strings ? strings->Text() : std::string();
    }
    case tkRetired: return std::string();
    default: throw CreateFmt<EPropertyError>("Property %s has no text form", prop.Name);
    }
}

TPropValue TextToPropValue(const TPropInfo& prop, const std::string& text, TObject* context)
{
    switch (prop.Kind) {
    case tkInteger:
    case tkInt64: return TextToInteger(prop, text);
    case tkFloat: {
        double value = 0;
        if (!TryStrToFloat(text, value))
            InvalidValue();
        return value;
    }
    case tkBool: {
        if (SameText(Trim(text), "True"))
            return true;
        if (SameText(Trim(text), "False"))
            return false;
        InvalidValue();
    }
    case tkString: return text;
    case tkEnumeration: {
        const int64_t ordinal = prop.EnumType->ValueOf(Trim(text));
        if (ordinal < 0)
            InvalidValue();
        return ordinal;
    }
    case tkSet: return static_cast<int64_t>(StringToSet(*prop.EnumType, text));
    case tkComponent: {
        const std::string name = Trim(text);
        if (name.empty())
            return static_cast<TObject*>(nullptr);
        TComponent* found = FindComponentNear(context, name);
        if (!found)
            InvalidValue();
        return static_cast<TObject*>(found);
    }
    case tkRetired: return TPropValue{};
    default: throw CreateFmt<EPropertyError>("Property %s has no text form", prop.Name);
    }
}

std::string SetToString(const TEnumInfo& elements, uint64_t bits, bool brackets)
{
    std::string text;
    for (size_t i = 0; i < elements.Names.size() && i < 64; ++i)
        if (bits & (uint64_t{1} << i)) {
            if (!text.empty())
                text += ',';
            text += elements.Names[i];
        }
    return brackets ? "[" + text + "]" : text;
}

uint64_t StringToSet(const TEnumInfo& elements, const std::string& text)
{
    std::string body = Trim(text);
    if (!body.empty() && body.front() == '[') {
        if (body.back() != ']')
            InvalidValue();
        body = body.substr(1, body.size() - 2);
    }
    uint64_t bits = 0;
    if (Trim(body).empty())
        return bits;
    for (const std::string& part : SplitString(body, ',')) {
        const std::string name = Trim(part);
        const int64_t ordinal = elements.ValueOf(name);
        if (ordinal < 0 || ordinal >= 64)
            throw CreateFmt<EPropertyConvertError>("Invalid property element: %s", name);
        bits |= uint64_t{1} << ordinal;
    }
    return bits;
}

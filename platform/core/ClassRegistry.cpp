#include "platform/core/ClassRegistry.h"

#include "platform/core/Strings.h"

#include <map>
#include <mutex>
#include <unordered_map>

// ---- Enumerations ---------------------------------------------------------

std::string TEnumInfo::NameOf(int64_t ordinal) const
{
    return ordinal >= 0 && ordinal < static_cast<int64_t>(Names.size()) ? Names[static_cast<size_t>(ordinal)]
                                                                        : std::string();
}

int64_t TEnumInfo::ValueOf(const std::string& name) const
{
    for (size_t i = 0; i < Names.size(); ++i)
        if (SameText(Names[i], name))
            return static_cast<int64_t>(i);
    return -1;
}

// ---- Registry -------------------------------------------------------------

namespace {

class Registry {
public:
    Registry();

    TClassInfo& Register(const std::string& name, std::type_index type, std::optional<std::type_index> parent,
                         std::function<bool(const TObject*)> isInstance)
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        const std::string key = UpperCase(name);
        if (const auto found = byName_.find(key); found != byName_.end()) {
            if (found->second->Type() != type)
                throw CreateFmt<EFilerError>("A class named %s already exists", name);
            return *found->second;
        }
        auto info = std::make_unique<TClassInfo>(name, type, parent, std::move(isInstance));
        TClassInfo& result = *info;
        byType_[type] = &result;
        byName_[key] = std::move(info);
        instanceCache_.clear();
        return result;
    }

    const TClassInfo* ByName(const std::string& name)
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        const auto found = byName_.find(UpperCase(name));
        return found == byName_.end() ? nullptr : found->second.get();
    }

    const TClassInfo* ByType(std::type_index type)
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        const auto found = byType_.find(type);
        return found == byType_.end() ? nullptr : found->second;
    }

    // Unregistered types resolve to their most derived registered ancestor.
    const TClassInfo* ForObject(const TObject* object)
    {
        if (!object)
            return nullptr;
        const std::type_index type(typeid(*object));
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (const auto found = byType_.find(type); found != byType_.end())
            return found->second;
        if (const auto cached = instanceCache_.find(type); cached != instanceCache_.end())
            return cached->second;
        const TClassInfo* best = nullptr;
        for (const auto& [key, info] : byName_)
            if (info->IsInstance(object) && (!best || info->InheritsFrom(best)))
                best = info.get();
        instanceCache_[type] = best;
        return best;
    }

private:
    std::recursive_mutex mutex_;
    std::map<std::string, std::unique_ptr<TClassInfo>> byName_;
    std::unordered_map<std::type_index, TClassInfo*> byType_;
    std::unordered_map<std::type_index, const TClassInfo*> instanceCache_;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

Registry::Registry()
{
    const auto root = [this](const std::string& name, std::type_index type, std::optional<std::type_index> parent,
                             std::function<bool(const TObject*)> isInstance) -> TClassInfo& {
        auto info = std::make_unique<TClassInfo>(name, type, parent, std::move(isInstance));
        TClassInfo& result = *info;
        byType_[type] = &result;
        byName_[UpperCase(name)] = std::move(info);
        return result;
    };
    root("TObject", typeid(TObject), std::nullopt, [](const TObject* o) { return o != nullptr; });
    root("TPersistent", typeid(TPersistent), std::type_index(typeid(TObject)),
         [](const TObject* o) { return dynamic_cast<const TPersistent*>(o) != nullptr; });
    TClassInfo& component = root("TComponent", typeid(TComponent), std::type_index(typeid(TPersistent)),
                                 [](const TObject* o) { return dynamic_cast<const TComponent*>(o) != nullptr; });
    TClassBuilder<TComponent>(component)
        .Property("Name", &TComponent::Name, &TComponent::SetName)
        .Property("Tag", &TComponent::Tag, &TComponent::SetTag)
        .Default(0);
}

} // namespace

TClassInfo& platform_detail::RegisterClassInfo(const std::string& name, std::type_index type,
                                               std::optional<std::type_index> parent,
                                               std::function<bool(const TObject*)> isInstance)
{
    return TheRegistry().Register(name, type, parent, std::move(isInstance));
}

const TClassInfo* GetClass(const std::string& name) { return TheRegistry().ByName(name); }

const TClassInfo& FindClass(const std::string& name)
{
    const TClassInfo* info = GetClass(name);
    if (!info)
        throw CreateFmt<EClassNotFound>("Class %s not found", name);
    return *info;
}

const TClassInfo* GetClassInfo(const TObject* object) { return TheRegistry().ForObject(object); }

TComponent* CreateComponentByClassName(const std::string& className, TComponent* owner)
{
    return FindClass(className).CreateComponent(owner);
}

// ---- TClassInfo -----------------------------------------------------------

TClassInfo::TClassInfo(std::string name, std::type_index type, std::optional<std::type_index> parent,
                       std::function<bool(const TObject*)> isInstance)
    : name_(std::move(name)), type_(type), parent_(parent), isInstance_(std::move(isInstance))
{}

const TClassInfo* TClassInfo::Parent() const { return parent_ ? TheRegistry().ByType(*parent_) : nullptr; }

bool TClassInfo::InheritsFrom(const TClassInfo* other) const
{
    for (const TClassInfo* info = this; info; info = info->Parent())
        if (info == other)
            return true;
    return false;
}

const TPropInfo* TClassInfo::FindProperty(const std::string& name) const
{
    for (const TClassInfo* info = this; info; info = info->Parent())
        for (const TPropInfo& prop : info->properties_)
            if (SameText(prop.Name, name))
                return &prop;
    return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::Properties() const
{
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* info = this; info; info = info->Parent())
        chain.insert(chain.begin(), info);
    std::vector<const TPropInfo*> result;
    for (const TClassInfo* info : chain)
        for (const TPropInfo& prop : info->properties_) {
            const auto same = std::find_if(result.begin(), result.end(),
                                           [&](const TPropInfo* p) { return SameText(p->Name, prop.Name); });
            if (same == result.end())
                result.push_back(&prop);
            else
                *same = &prop;
        }
    return result;
}

TComponent* TClassInfo::CreateComponent(TComponent* owner) const
{
    if (!factory_)
        throw CreateFmt<EComponentError>("Cannot create an instance of %s", name_);
    return factory_(owner);
}

TPropInfo& TClassInfo::AddProperty(TPropInfo info)
{
    for (TPropInfo& existing : properties_)
        if (SameText(existing.Name, info.Name)) {
            existing = std::move(info);
            return existing;
        }
    properties_.push_back(std::move(info));
    return properties_.back();
}

// ---- Value coercion -------------------------------------------------------

namespace {

[[noreturn]] void InvalidValue() { throw EPropertyConvertError("Invalid property value"); }

} // namespace

int64_t platform_detail::ToInt(const TPropValue& value)
{
    if (const auto* i = std::get_if<int64_t>(&value))
        return *i;
    if (const auto* b = std::get_if<bool>(&value))
        return *b ? 1 : 0;
    InvalidValue();
}

double platform_detail::ToFloat(const TPropValue& value)
{
    if (const auto* d = std::get_if<double>(&value))
        return *d;
    if (const auto* i = std::get_if<int64_t>(&value))
        return static_cast<double>(*i);
    InvalidValue();
}

bool platform_detail::ToBool(const TPropValue& value)
{
    if (const auto* b = std::get_if<bool>(&value))
        return *b;
    if (const auto* i = std::get_if<int64_t>(&value))
        return *i != 0;
    InvalidValue();
}

std::string platform_detail::ToString(const TPropValue& value)
{
    if (const auto* s = std::get_if<std::string>(&value))
        return *s;
    InvalidValue();
}

TObject* platform_detail::ToObject(const TPropValue& value)
{
    if (const auto* o = std::get_if<TObject*>(&value))
        return *o;
    if (std::holds_alternative<std::monostate>(value))
        return nullptr;
    InvalidValue();
}

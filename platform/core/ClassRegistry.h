#pragma once
// The class registry (classes by name, created by name) and each class's
// published properties: name, kind, getter, setter, default and stored rule.
// Properties are inherited by registered descendants; every name lookup is
// case-insensitive.
//
// Registering a class:
//
//   RegisterClass<TTarqPanel, TCustomControl>("TTarqPanel")
//       .Property("BevelWidth", &TTarqPanel::BevelWidth, &TTarqPanel::SetBevelWidth).Default(1)
//       .Property("Caption", &TTarqPanel::Caption, &TTarqPanel::SetCaption)
//       .Enum("Align", &TControl::Align, &TControl::SetAlign, AlignInfo).Default(alNone)
//       .Set("Anchors", &TControl::Anchors, &TControl::SetAnchors, AnchorKindInfo)
//       .Property("Font", &TControl::Font)          // sub-object, written "Font.Style"
//       .Property("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu) // reference
//       .Event("OnClick", &TControl::OnClick)
//       .Retired("OldCaption");                     // read from resources and dropped
//
// The second template argument is the nearest registered ancestor (TComponent,
// TPersistent or TObject at the root). Getters and setters are member
// functions of T or of a base, or callables taking T&. The kind follows the
// getter's type: bool, integers (up to 32 bits: integer, else int64), floating
// point, std::string, pointers to TStrings (string list), to TComponent with a
// setter (reference) and to other TPersistent classes (sub-object).

#include <any>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <typeindex>
#include <variant>
#include <vector>

#include "platform/core/Components.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Persistent.h"
#include "platform/core/Set.h"
#include "platform/core/StringList.h"

class EFilerError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EClassNotFound : public EFilerError {
public:
    using EFilerError::EFilerError;
};

// A property name that does not exist, or an operation the property lacks.
class EPropertyError : public Exception {
public:
    using Exception::Exception;
};
// A value the property cannot take: "Invalid property value".
class EPropertyConvertError : public Exception {
public:
    using Exception::Exception;
};

enum TTypeKind {
    tkUnknown,
    tkInteger,
    tkInt64,
    tkFloat,
    tkBool,
    tkString,
    tkEnumeration,
    tkSet,
    tkClass, // a sub-object (TPersistent) reached through the property
    tkComponent, // a reference to another component
    tkMethod, // an event
    tkStrings, // a TStrings sub-object
    tkRetired, // read from old resources and dropped
};

// The value names of an enumeration in ordinal order (also a set's elements).
struct TEnumInfo {
    std::string Name;
    std::vector<std::string> Names;

    // "" when out of range.
    std::string NameOf(int64_t ordinal) const;
    // -1 when unknown; case-insensitive.
    int64_t ValueOf(const std::string& name) const;
};

// Integer constants written by name in resources (colours, cursors).
struct TIdentMapEntry {
    int32_t Value;
    std::string Name;
};
using TIdentMap = std::vector<TIdentMapEntry>;

// A property value: ordinals, enumerations and sets (bit n for ordinal n) as
// int64_t; floats as double; object kinds as TObject*.
using TPropValue = std::variant<std::monostate, int64_t, double, bool, std::string, TObject*>;

struct TPropInfo {
    std::string Name;
    TTypeKind Kind = tkUnknown;
    const TEnumInfo* EnumType = nullptr; // enumeration, or the elements of a set
    const TIdentMap* Idents = nullptr;
    std::function<TPropValue(TObject&)> Get;
    std::function<void(TObject&, const TPropValue&)> Set; // null when read-only
    std::function<void(TObject&, const std::any&)> SetEvent;
    std::function<std::any(TObject&)> GetEvent;
    // Whether an object may be stored in an object-kind property.
    std::function<bool(const TObject*)> Accepts;
    std::optional<TPropValue> Default;
    std::function<bool(TObject&)> StoredIf; // null: stored
};

class TClassInfo {
public:
    TClassInfo(std::string name, std::type_index type, std::optional<std::type_index> parent,
               std::function<bool(const TObject*)> isInstance);

    const std::string& ClassName() const { return name_; }
    std::type_index Type() const { return type_; }
    // The registered ancestor, nullptr at the root.
    const TClassInfo* Parent() const;
    bool InheritsFrom(const TClassInfo* other) const;
    bool IsInstance(const TObject* object) const { return isInstance_(object); }

    // Own properties first, then the ancestors'.
    const TPropInfo* FindProperty(const std::string& name) const;
    // Ancestors' properties first; a redeclared one appears once, in its
    // ancestor's place, with the descendant's definition.
    std::vector<const TPropInfo*> Properties() const;
    const std::deque<TPropInfo>& OwnProperties() const { return properties_; }

    bool CanCreateComponent() const { return static_cast<bool>(factory_); }
    // Raises EComponentError "Cannot create an instance of %s" for a class
    // without a TComponent(owner) constructor.
    TComponent* CreateComponent(TComponent* owner) const;

    // For registration.
    TPropInfo& AddProperty(TPropInfo info);
    void SetFactory(std::function<TComponent*(TComponent*)> factory) { factory_ = std::move(factory); }

private:
    std::string name_;
    std::type_index type_;
    std::optional<std::type_index> parent_;
    std::function<bool(const TObject*)> isInstance_;
    std::function<TComponent*(TComponent*)> factory_;
    std::deque<TPropInfo> properties_;
};

// Returns the class of that name, or nullptr (GetClass); FindClass raises
// EClassNotFound "Class %s not found".
const TClassInfo* GetClass(const std::string& name);
const TClassInfo& FindClass(const std::string& name);
// The most derived registered class the object is an instance of.
const TClassInfo* GetClassInfo(const TObject* object);
// Creates a registered component class by name, owned by `owner`.
TComponent* CreateComponentByClassName(const std::string& className, TComponent* owner);

namespace platform_detail {

TClassInfo& RegisterClassInfo(const std::string& name, std::type_index type, std::optional<std::type_index> parent,
                              std::function<bool(const TObject*)> isInstance);

template <class V>
inline constexpr bool IsSetType = requires(V v)
{
    {
        v.Bits()
        } -> std::convertible_to<uint64_t>;
    V::FromBits(uint64_t{});
};

int64_t ToInt(const TPropValue& value);
double ToFloat(const TPropValue& value);
bool ToBool(const TPropValue& value);
std::string ToString(const TPropValue& value);
TObject* ToObject(const TPropValue& value);

template <class V>
TPropValue ToPropValue(const V& v)
{
    if constexpr (std::is_same_v<V, bool>)
        return v;
    else if constexpr (std::is_enum_v<V>)
        return static_cast<int64_t>(v);
    else if constexpr (std::is_integral_v<V>)
        return static_cast<int64_t>(v);
    else if constexpr (std::is_floating_point_v<V>)
        return static_cast<double>(v);
    else if constexpr (std::is_convertible_v<V, std::string>)
        return std::string(v);
    else if constexpr (IsSetType<V>)
        return static_cast<int64_t>(v.Bits());
    else if constexpr (std::is_pointer_v<V>)
        return static_cast<TObject*>(const_cast<std::remove_const_t<std::remove_pointer_t<V>>*>(v));
    else
        static_assert(sizeof(V) == 0, "unsupported property type");
}

template <class V>
V FromPropValue(const TPropValue& value)
{
    if constexpr (std::is_same_v<V, bool>)
        return ToBool(value);
    else if constexpr (std::is_enum_v<V> || std::is_integral_v<V>)
        return static_cast<V>(ToInt(value));
    else if constexpr (std::is_floating_point_v<V>)
        return static_cast<V>(ToFloat(value));
    else if constexpr (std::is_same_v<V, std::string>)
        return ToString(value);
    else if constexpr (IsSetType<V>)
        return V::FromBits(static_cast<uint64_t>(ToInt(value)));
    else if constexpr (std::is_pointer_v<V>)
        return dynamic_cast<V>(ToObject(value));
    else
        static_assert(sizeof(V) == 0, "unsupported property type");
}

template <class V>
constexpr TTypeKind ValueKind(bool hasSetter)
{
    using Pointee = std::remove_cv_t<std::remove_pointer_t<V>>;
    if constexpr (std::is_same_v<V, bool>)
        return tkBool;
    else if constexpr (std::is_integral_v<V>)
        return sizeof(V) <= 4 ? tkInteger : tkInt64;
    else if constexpr (std::is_floating_point_v<V>)
        return tkFloat;
    else if constexpr (std::is_same_v<V, std::string>)
        return tkString;
    else if constexpr (std::is_pointer_v<V> && std::is_base_of_v<TStrings, Pointee>)
        return tkStrings;
    else if constexpr (std::is_pointer_v<V> && std::is_base_of_v<TComponent, Pointee>)
        return hasSetter ? tkComponent : tkClass;
    else if constexpr (std::is_pointer_v<V> && std::is_base_of_v<TPersistent, Pointee>)
        return tkClass;
    else
        static_assert(sizeof(V) == 0, "use Enum or Set for enumerations and sets, or an unsupported property type");
}

} // namespace platform_detail

template <class T>
class TClassBuilder {
public:
    explicit TClassBuilder(TClassInfo& info) : info_(info) {}

    // A property whose kind follows the getter's type.
    template <class G, class S>
    TClassBuilder& Property(const std::string& name, G get, S set)
    {
        using V = Value<G>;
        TPropInfo& prop = Add(name, platform_detail::ValueKind<V>(true), get);
        prop.Set = Setter<V>(set);
        return *this;
    }

    // A read-only property: a sub-object or string list (set through Assign),
    // or a plain value shown but never written.
    template <class G>
    TClassBuilder& Property(const std::string& name, G get)
    {
        Add(name, platform_detail::ValueKind<Value<G>>(false), get);
        return *this;
    }

    template <class G, class S>
    TClassBuilder& Enum(const std::string& name, G get, S set, const TEnumInfo& type)
    {
        static_assert(std::is_enum_v<Value<G>> || std::is_integral_v<Value<G>>, "Enum needs an enumeration getter");
        TPropInfo& prop = Add(name, tkEnumeration, get);
        prop.EnumType = &type;
        prop.Set = Setter<Value<G>>(set);
        return *this;
    }

    template <class G, class S>
    TClassBuilder& Set(const std::string& name, G get, S set, const TEnumInfo& elementType)
    {
        static_assert(platform_detail::IsSetType<Value<G>> || std::is_integral_v<Value<G>>,
                      "Set needs a TSet or bit-mask getter");
        TPropInfo& prop = Add(name, tkSet, get);
        prop.EnumType = &elementType;
        prop.Set = Setter<Value<G>>(set);
        return *this;
    }

    // An event held in a std::function member; bound with a std::any that
    // holds exactly that std::function type.
    template <class C, class F>
    TClassBuilder& Event(const std::string& name, std::function<F> C::*member)
    {
        static_assert(std::is_base_of_v<C, T>, "the event must be a member of the class or a base");
        return AddEvent<std::function<F>>(
            name, [member](T& object) { return object.*member; },
            [member](T& object, const std::function<F>& handler) { object.*member = handler; });
    }

    // An event behind a getter and a setter (for classes that react to a new
    // handler); the getter returns the std::function.
    template <class G, class S>
    TClassBuilder& Event(const std::string& name, G get, S set)
    {
        return AddEvent<Value<G>>(name, get, set);
    }

    // A property older resources still hold; readers accept and drop it.
    TClassBuilder& Retired(const std::string& name)
    {
        TPropInfo prop;
        prop.Name = name;
        prop.Kind = tkRetired;
        last_ = &info_.AddProperty(std::move(prop));
        return *this;
    }

    // ---- Modifiers of the property added last ----
    template <class V>
    TClassBuilder& Default(const V& value)
    {
        last_->Default = platform_detail::ToPropValue(value);
        return *this;
    }
    TClassBuilder& Stored(bool stored)
    {
        last_->StoredIf = [stored](TObject&) { return stored; };
        return *this;
    }
    // Any callable taking const T& (a template, so a lambda is not taken
    // for the bool overload through its function-pointer conversion).
    template <class P>
    requires std::is_invocable_r_v<bool, P, const T&> TClassBuilder& Stored(P predicate)
    {
        last_->StoredIf = [predicate](TObject& object) { return predicate(Self(object)); };
        return *this;
    }
    TClassBuilder& Idents(const TIdentMap& idents)
    {
        last_->Idents = &idents;
        return *this;
    }

private:
    template <class G>
    using Value = std::remove_cvref_t<std::invoke_result_t<G, T&>>;

    static T& Self(TObject& object) { return static_cast<T&>(object); }

    template <class Handler, class G, class S>
    TClassBuilder& AddEvent(const std::string& name, G get, S set)
    {
        TPropInfo prop;
        prop.Name = name;
        prop.Kind = tkMethod;
        prop.GetEvent = [get](TObject& object) { return std::any(Handler(std::invoke(get, Self(object)))); };
        prop.SetEvent = [set, name](TObject& object, const std::any& handler) {
            if (!handler.has_value()) {
                std::invoke(set, Self(object), Handler());
                return;
            }
            const auto* function = std::any_cast<Handler>(&handler);
            if (!function)
                throw CreateFmt<EConvertError>("Handler for %s has the wrong type", name);
            std::invoke(set, Self(object), *function);
        };
        last_ = &info_.AddProperty(std::move(prop));
        return *this;
    }

    template <class G>
    TPropInfo& Add(const std::string& name, TTypeKind kind, G get)
    {
        using V = Value<G>;
        TPropInfo prop;
        prop.Name = name;
        prop.Kind = kind;
        prop.Get = [get](TObject& object) { return platform_detail::ToPropValue<V>(std::invoke(get, Self(object))); };
        if constexpr (std::is_pointer_v<V>)
            prop.Accepts = [](const TObject* object) {
                return !object || dynamic_cast<V>(const_cast<TObject*>(object));
            };
        last_ = &info_.AddProperty(std::move(prop));
        return *last_;
    }

    template <class V, class S>
    static std::function<void(TObject&, const TPropValue&)> Setter(S set)
    {
        return [set](TObject& object, const TPropValue& value) {
            std::invoke(set, Self(object), platform_detail::FromPropValue<V>(value));
        };
    }

    TClassInfo& info_;
    TPropInfo* last_ = nullptr;
};

// Registers (or extends) class T under `name`. Component classes with a
// T(TComponent* owner) constructor can then be created by name.
template <class T, class Base>
TClassBuilder<T> RegisterClass(const std::string& name)
{
    static_assert(std::is_base_of_v<Base, T> && std::is_base_of_v<TObject, Base>);
    std::optional<std::type_index> parent;
    if constexpr (!std::is_same_v<T, Base>)
        parent = std::type_index(typeid(Base));
    TClassInfo& info =
        platform_detail::RegisterClassInfo(name, std::type_index(typeid(T)), parent, [](const TObject* object) {
            return dynamic_cast<const T*>(object) != nullptr;
        });
    if constexpr (std::is_base_of_v<TComponent, T> && std::is_constructible_v<T, TComponent*> && !std::is_abstract_v<T>)
        info.SetFactory([](TComponent* owner) -> TComponent* { return new T(owner); });
    return TClassBuilder<T>(info);
}

#pragma once
// Reading and writing published properties by name, as typed values or as
// the text that form resources and settings files hold. A name may be a
// path through sub-objects ("Font.Style"). Unknown names raise
// EPropertyError "Property %s does not exist"; unacceptable values raise
// EPropertyConvertError "Invalid property value" (an unknown set element:
// "Invalid property element: %s").
//
// Text forms: integers in decimal (or "$" hex, or a name of the property's
// ident map), floats with ".", booleans "True"/"False", enumerations by value
// name, sets as "[a,b]", string lists as their Text, component references by
// the component's name (searched among the object's own components, then its
// owner's, and so on up), retired properties accept anything and read as "".

#include <any>
#include <string>

#include "platform/core/ClassRegistry.h"

// The property (one path step) of the object's class, or nullptr.
const TPropInfo* GetPropInfo(const TObject& object, const std::string& name);

TPropValue GetPropValue(TObject& object, const std::string& path);
// The object held by an object-kind property (sub-object, string list,
// collection or reference); raises EPropertyConvertError for other kinds.
TObject* GetObjectProp(TObject& object, const TPropInfo& prop);
TObject* GetObjectProp(TObject& object, const std::string& path);
void SetPropValue(TObject& object, const std::string& path, const TPropValue& value);
std::string GetPropText(TObject& object, const std::string& path);
void SetPropText(TObject& object, const std::string& path, const std::string& text);
// Binds an event; `handler` holds the event's exact std::function type
// (an empty std::any clears it).
void SetEventProp(TObject& object, const std::string& path, const std::any& handler);

// The object a path leads to and the property it ends in.
struct TPropTarget {
    TObject* Object = nullptr;
    const TPropInfo* Prop = nullptr;
};
TPropTarget ResolvePropPath(TObject& object, const std::string& path);

// Whether the property's value is written to a resource: its stored rule
// holds and it differs from its default.
bool IsStoredProp(TObject& object, const TPropInfo& prop);

// Text forms of one property's values.
std::string PropValueToText(const TPropInfo& prop, const TPropValue& value);
TPropValue TextToPropValue(const TPropInfo& prop, const std::string& text, TObject* context = nullptr);

// "[a,b]" (or "a,b" without brackets), elements in ordinal order.
std::string SetToString(const TEnumInfo& elements, uint64_t bits, bool brackets = true);
// Accepts the bracketed or bare form, blanks around names, "[]" and "".
uint64_t StringToSet(const TEnumInfo& elements, const std::string& text);

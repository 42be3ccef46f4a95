// Writing components back into the form-resource tree.

#include "platform/core/Collection.h"
#include "platform/core/Properties.h"
#include "platform/core/StringList.h"
#include "platform/core/Strings.h"
#include "platform/ui/Controls.h"
#include "platform/ui/FormBinaryData.h"
#include "platform/ui/FormResources.h"
#include "platform/ui/Menus.h"

namespace {

TResourceValue NamedValue(TResourceValue::TKind kind, const std::string& text)
{
    TResourceValue value;
    value.Kind = kind;
    value.Text = text;
    return value;
}

TResourceValue TextValue(const TPropInfo& prop, const TPropValue& value)
{
    TResourceValue out;
    std::string text = PropValueToText(prop, value);
    switch (prop.Kind) {
    case tkInteger:
    case tkInt64:
        if (int64_t number = 0; TryStrToInt64(text, number)) {
            out.Int = number;
            return out;
        }
        out.Kind = TResourceValue::Ident; // a named constant (clBtnFace)
        out.Text = text;
        return out;
    case tkFloat:
        out.Kind = TResourceValue::Float;
        out.Real = platform_detail::ToFloat(value);
        return out;
    case tkString:
        out.Kind = TResourceValue::String;
        out.Text = platform_detail::ToString(value);
        return out;
    case tkSet:
        out.Kind = TResourceValue::Set;
        for (const std::string& element : SplitString(text.substr(1, text.size() - 2), ','))
            if (!Trim(element).empty())
                out.Elements.push_back(Trim(element));
        return out;
    default:
        out.Kind = TResourceValue::Ident;
        out.Text = text;
        return out;
    }
}

class TTreeWriter {
public:
    TTreeWriter(TComponent* root, const THandlerTable* handlers) : root_(root), handlers_(handlers) {}

    TResourceObject Write()
    {
        RegisterUiClasses();
        TResourceObject tree = Describe(root_);
        // Components that are not controls sit at the root's level.
        for (int32_t i = 0; i < root_->ComponentCount(); ++i) {
            TComponent* component = root_->Components(i);
            auto* item = dynamic_cast<TMenuItem*>(component);
            if (!dynamic_cast<TControl*>(component) && !(item && item->Parent()))
                tree.Children.push_back(Describe(component));
        }
        return tree;
    }

private:
    TResourceObject Describe(TComponent* component)
    {
        TResourceObject object;
        object.Name = component->Name();
        object.ClassName = component->ClassName();
        WriteProperties(*component, "", object.Properties);
        if (auto* container = dynamic_cast<TWinControl*>(component))
            for (int32_t i = 0; i < container->ControlCount(); ++i) {
                TControl* child = container->Controls(i);
                if (child->Owner() == root_)
                    object.Children.push_back(Describe(child));
            }
        TMenuItem* items = dynamic_cast<TMenuItem*>(component);
        if (auto* menu = dynamic_cast<TPopupMenu*>(component))
            items = menu->Items();
        if (items)
            for (int32_t i = 0; i < items->Count(); ++i)
                if (items->Items(i)->Owner() == root_)
                    object.Children.push_back(Describe(items->Items(i)));
        return object;
    }

    void WriteProperties(TObject& object, const std::string& prefix, std::vector<TResourceProperty>& out)
    {
        const TClassInfo* info = GetClassInfo(&object);
        if (!info)
            return;
        for (const TPropInfo* prop : info->Properties()) {
            if (prop->Kind == tkRetired || (prefix.empty() && SameText(prop->Name, "Name")))
                continue;
            WriteProperty(object, *prop, prefix + prop->Name, out);
        }
    }

    void WriteProperty(TObject& object, const TPropInfo& prop, const std::string& path,
                       std::vector<TResourceProperty>& out)
    {
        if (prop.Kind == tkMethod) {
            std::string handler = handlers_ ? handlers_->BindingOf(&object, prop.Name) : std::string();
            if (!handler.empty())
                out.push_back({path, NamedValue(TResourceValue::Ident, handler)});
            return;
        }
        if (prop.StoredIf && !prop.StoredIf(object))
            return;
        if (prop.Kind == tkStrings) {
            WriteStrings(object, prop, path, out);
            return;
        }
        if (prop.Kind == tkClass) {
            TObject* sub = platform_detail::ToObject(prop.Get(object));
            if (auto* collection = dynamic_cast<TCollection*>(sub))
                WriteCollection(*collection, path, out);
            else if (HoldsBinaryData(sub))
                WriteBinaryData(*sub, path, out);
            else if (sub)
                WriteProperties(*sub, path + ".", out);
            return;
        }
        if (!prop.Get || !IsStoredProp(object, prop))
            return;
        TPropValue value = prop.Get(object);
        if (prop.Kind == tkComponent) {
            auto* target = dynamic_cast<TComponent*>(platform_detail::ToObject(value));
            if (target && !target->Name().empty())
                out.push_back({path, NamedValue(TResourceValue::Ident, target->Name())});
            return;
        }
        out.push_back({path, TextValue(prop, value)});
    }

    static void WriteStrings(TObject& object, const TPropInfo& prop, const std::string& path,
                             std::vector<TResourceProperty>& out)
    {
        auto* strings = dynamic_cast<TStrings*>(platform_detail::ToObject(prop.Get(object)));
        if (!strings || strings->Count() == 0)
            return;
        TResourceValue list;
        list.Kind = TResourceValue::List;
        for (int32_t i = 0; i < strings->Count(); ++i)
            list.Items.push_back(NamedValue(TResourceValue::String, strings->Strings(i)));
        out.push_back({path + ".Strings", list});
    }

    static void WriteBinaryData(const TObject& holder, const std::string& path, std::vector<TResourceProperty>& out)
    {
        TResourceValue value;
        value.Kind = TResourceValue::Binary;
        value.Bytes = BinaryDataOf(holder);
        if (!value.Bytes.empty())
            out.push_back({path + ".Data", std::move(value)});
    }

    void WriteCollection(TCollection& collection, const std::string& path, std::vector<TResourceProperty>& out)
    {
        if (collection.Count() == 0)
            return;
        TResourceValue value;
        value.Kind = TResourceValue::Collection;
        for (int32_t i = 0; i < collection.Count(); ++i) {
            TResourceItem item;
            WriteProperties(*collection.Items(i), "", item.Properties);
            value.CollectionItems.push_back(std::move(item));
        }
        out.push_back({path, value});
    }

    TComponent* root_;
    const THandlerTable* handlers_;
};

} // namespace

TResourceObject WriteComponentTree(TComponent* root, const THandlerTable* handlers)
{
    return TTreeWriter(root, handlers).Write();
}

std::string WriteComponentText(TComponent* root, const THandlerTable* handlers)
{
    return FormatFormText(WriteComponentTree(root, handlers));
}

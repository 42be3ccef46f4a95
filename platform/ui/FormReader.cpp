// Applying a parsed form resource to components, and the registries of
// embedded resources and of readers for retired properties.

#include <map>

#include "platform/core/Collection.h"
#include "platform/core/Properties.h"
#include "platform/core/StringList.h"
#include "platform/core/Strings.h"
#include "platform/ui/Controls.h"
#include "platform/ui/FormBinaryData.h"
#include "platform/ui/FormResources.h"
#include "platform/ui/Menus.h"

namespace {

std::map<std::string, const char*>& ResourceTable()
{
    static std::map<std::string, const char*> table;
    return table;
}

std::map<std::pair<std::string, std::string>, TPropertyReader>& ReaderTable()
{
    static std::map<std::pair<std::string, std::string>, TPropertyReader> table;
    return table;
}

const TPropertyReader* FindPropertyReader(const TObject& object, const std::string& property)
{
    for (const TClassInfo* info = GetClassInfo(&object); info; info = info->Parent()) {
        auto it = ReaderTable().find({UpperCase(info->ClassName()), UpperCase(property)});
        if (it != ReaderTable().end())
            return &it->second;
    }
    return nullptr;
}

std::string ValueAsText(const TResourceValue& value)
{
    switch (value.Kind) {
    case TResourceValue::Integer: return IntToStr(value.Int);
    case TResourceValue::Float: return FloatToStr(value.Real);
    case TResourceValue::String:
    case TResourceValue::Ident: return value.Text;
    case TResourceValue::Set: {
        std::string text = "[";
        for (size_t i = 0; i < value.Elements.size(); ++i)
            text += (i ? "," : "") + value.Elements[i];
        return text + "]";
    }
    default: throw EPropertyConvertError("Invalid property value");
    }
}

struct TFixup {
    TComponent* Component;
    std::string Path;
    std::string Target;
};

class TTreeReader {
public:
    TTreeReader(TComponent* root, THandlerTable* handlers) : root_(root), handlers_(handlers) {}

    void Read(const TResourceObject& tree)
    {
        RegisterUiClasses();
        Begin(root_);
        try {
            if (root_->Name().empty() && !tree.Name.empty())
                root_->SetName(tree.Name);
            ReadProperties(*root_, root_, tree.Properties);
            for (const TResourceObject& child : tree.Children)
                ReadChild(child, root_);
            for (const TFixup& fixup : fixups_)
                ResolveReference(fixup);
        } catch (...) {
            for (TComponent* component : loading_)
                component->SetStateFlag(csReading, false);
            for (TComponent* component : loading_)
                component->SetStateFlag(csLoading, false);
            throw;
        }
        for (TComponent* component : loading_)
            component->SetStateFlag(csReading, false);
        for (TComponent* component : loading_)
            component->Loaded();
    }

private:
    void Begin(TComponent* component)
    {
        component->SetStateFlag(csLoading, true);
        component->SetStateFlag(csReading, true);
        loading_.push_back(component);
    }

    void ReadChild(const TResourceObject& object, TComponent* container)
    {
        TComponent* component = root_->FindComponent(object.Name);
        if (!component) {
            component = CreateComponentByClassName(object.ClassName, root_);
            Begin(component);
            component->SetName(object.Name);
        } else {
            Begin(component);
        }
        Attach(container, component);
        ReadProperties(*component, component, object.Properties);
        bool holdsChildren = dynamic_cast<TWinControl*>(component) || dynamic_cast<TPopupMenu*>(component) ||
            dynamic_cast<TMenuItem*>(component);
        for (const TResourceObject& child : object.Children)
            ReadChild(child, holdsChildren ? component : container);
    }

    // A control goes into the window whose block holds it, a menu item into
    // its menu or parent item.
    static void Attach(TComponent* container, TComponent* child)
    {
        if (auto* control = dynamic_cast<TControl*>(child)) {
            if (auto* window = dynamic_cast<TWinControl*>(container))
                control->SetParent(window);
        } else if (auto* item = dynamic_cast<TMenuItem*>(child)) {
            if (auto* menu = dynamic_cast<TPopupMenu*>(container))
                menu->Items()->Add(item);
            else if (auto* parentItem = dynamic_cast<TMenuItem*>(container))
                parentItem->Add(item);
        }
    }

    void ReadProperties(TObject& object, TComponent* component, const std::vector<TResourceProperty>& props)
    {
        for (const TResourceProperty& prop : props) {
            try {
                ReadProperty(object, component, prop);
            } catch (Exception& error) {
                error.SetMessage(Format("Error reading %s.%s: %s", component->Name().c_str(), prop.Path.c_str(),
                                        error.Message().c_str()));
                throw;
            }
        }
    }

    void ReadProperty(TObject& object, TComponent* component, const TResourceProperty& prop)
    {
        if (const TPropertyReader* reader = FindPropertyReader(object, prop.Path)) {
            (*reader)(object, prop.Value);
            return;
        }
        if (prop.Value.Kind == TResourceValue::Binary) {
            ReadBinaryProperty(object, prop);
            return;
        }
        if (EndsText(".Strings", prop.Path)) {
            std::string owner = prop.Path.substr(0, prop.Path.size() - 8);
            TPropTarget target = ResolvePropPath(object, owner);
            if (target.Prop && target.Prop->Kind == tkStrings) {
                ReadStrings(*target.Object, *target.Prop, prop.Value);
                return;
            }
        }
        TPropTarget target = ResolvePropPath(object, prop.Path);
        if (!target.Prop)
            throw CreateFmt<EPropertyError>("Property %s does not exist", prop.Path);
        switch (target.Prop->Kind) {
        case tkRetired: return;
        case tkMethod: BindEvent(*target.Object, *target.Prop, prop); return;
        case tkComponent: fixups_.push_back({component, prop.Path, ValueAsText(prop.Value)}); return;
        case tkStrings: ReadStrings(*target.Object, *target.Prop, prop.Value); return;
        case tkClass:
            if (prop.Value.Kind != TResourceValue::Collection)
                throw EPropertyConvertError("Invalid property value");
            ReadCollection(*target.Object, *target.Prop, component, prop.Value);
            return;
        default: SetPropText(object, prop.Path, ValueAsText(prop.Value)); return;
        }
    }

    // "Glyph.Data", "Picture.Data": the picture or graphic the path leads to
    // reads the bytes.
    static void ReadBinaryProperty(TObject& object, const TResourceProperty& prop)
    {
        constexpr size_t DataSuffix = 5; // ".Data"
        if (!EndsText(".Data", prop.Path))
            throw EPropertyConvertError("Invalid property value");
        TObject* holder = GetObjectProp(object, prop.Path.substr(0, prop.Path.size() - DataSuffix));
        if (!holder)
            throw EPropertyConvertError("Invalid property value");
        ReadBinaryData(*holder, prop.Value.Bytes);
    }

    // References may name components read after them, so they are set once
    // the whole tree exists.
    void ResolveReference(const TFixup& fixup)
    {
        TComponent* target = SameText(fixup.Target, root_->Name()) ? root_ : root_->FindComponent(fixup.Target);
        try {
            if (!target)
                throw CreateFmt<EPropertyConvertError>("Component %s not found", fixup.Target);
            SetPropValue(*fixup.Component, fixup.Path, TPropValue(static_cast<TObject*>(target)));
        } catch (Exception& error) {
            error.SetMessage(Format("Error reading %s.%s: %s", fixup.Component->Name().c_str(), fixup.Path.c_str(),
                                    error.Message().c_str()));
            throw;
        }
    }

    void BindEvent(TObject& object, const TPropInfo& info, const TResourceProperty& prop)
    {
        if (prop.Value.Kind != TResourceValue::Ident)
            throw EPropertyConvertError("Invalid property value");
        const std::any* handler = handlers_ ? handlers_->Find(prop.Value.Text) : nullptr;
        if (!handler)
            throw CreateFmt<EPropertyError>("Method %s not found", prop.Value.Text);
        info.SetEvent(object, *handler);
        handlers_->NoteBinding(&object, info.Name, prop.Value.Text);
    }

    static void ReadStrings(TObject& object, const TPropInfo& info, const TResourceValue& value)
    {
        auto* strings = dynamic_cast<TStrings*>(platform_detail::ToObject(info.Get(object)));
        if (!strings || value.Kind != TResourceValue::List)
            throw EPropertyConvertError("Invalid property value");
        strings->Clear();
        for (const TResourceValue& item : value.Items)
            strings->Add(ValueAsText(item));
    }

    void ReadCollection(TObject& object, const TPropInfo& info, TComponent* component, const TResourceValue& value)
    {
        auto* collection = dynamic_cast<TCollection*>(platform_detail::ToObject(info.Get(object)));
        if (!collection)
            throw EPropertyConvertError("Invalid property value");
        collection->BeginUpdate();
        collection->Clear();
        for (const TResourceItem& item : value.CollectionItems) {
            TCollectionItem* added = collection->Add();
            ReadProperties(*added, component, item.Properties);
        }
        collection->EndUpdate();
    }

    TComponent* root_;
    THandlerTable* handlers_;
    std::vector<TComponent*> loading_;
    std::vector<TFixup> fixups_;
};

} // namespace

// ---- Handler table -------------------------------------------------------------------

const std::any* THandlerTable::Find(const std::string& name) const
{
    for (const auto& [key, handler] : handlers_)
        if (SameText(key, name))
            return &handler;
    return nullptr;
}

void THandlerTable::NoteBinding(const TObject* object, const std::string& event, const std::string& handler)
{
    bindings_[{object, UpperCase(event)}] = handler;
}

std::string THandlerTable::BindingOf(const TObject* object, const std::string& event) const
{
    auto it = bindings_.find({object, UpperCase(event)});
    return it == bindings_.end() ? std::string() : it->second;
}

// ---- Reading ----------------------------------------------------------------------------

void ReadComponentTree(TComponent* root, const TResourceObject& tree, THandlerTable* handlers)
{
    TTreeReader(root, handlers).Read(tree);
}

void ReadComponentText(TComponent* root, const std::string& text, THandlerTable* handlers)
{
    ReadComponentTree(root, ParseFormText(text), handlers);
}

void RegisterPropertyReader(const std::string& className, const std::string& property, TPropertyReader reader)
{
    ReaderTable()[{UpperCase(className), UpperCase(property)}] = std::move(reader);
}

bool RegisterFormResource(const std::string& name, const char* text)
{
    ResourceTable()[UpperCase(name)] = text;
    return true;
}

const char* FindFormResource(const std::string& name)
{
    auto it = ResourceTable().find(UpperCase(name));
    return it == ResourceTable().end() ? nullptr : it->second;
}

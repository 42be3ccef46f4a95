#pragma once
// Form resources: the text form of a component tree.
//
//   object FrmMain: TFrmMain
//     Caption = 'Main'#13#10'window'
//     Font.Style = [fsBold]
//     Items.Strings = (
//       'one'
//       'two')
//     Columns = <
//       item
//         Caption = 'Name'
//       end>
//     OnClick = FrmMainClick
//     Glyph.Data = {
//       0A000000424D0A00000000}
//     object BtnOk: TButton
//       Left = 8
//     end
//   end
//
// Text is parsed into a tree of TResourceObject, which is applied to
// components through the class and published-property registries (objects
// created by class name, events bound to the root's handlers by name,
// component references resolved after the whole tree, Loaded last), and
// components are written back the same way.

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/ClassRegistry.h"
#include "platform/core/Components.h"
#include "platform/core/Exceptions.h"

class EParserError : public Exception {
public:
    using Exception::Exception;
};

struct TResourceItem;

struct TResourceValue {
    enum TKind { Integer, Float, String, Ident, Set, List, Collection, Binary };
    TKind Kind = Integer;
    int64_t Int = 0;
    double Real = 0;
    std::string Text; // String and Ident
    std::vector<std::string> Elements; // Set
    std::vector<TResourceValue> Items; // List
    std::vector<TResourceItem> CollectionItems;
    std::vector<uint8_t> Bytes; // Binary: hex digits in braces
};

struct TResourceProperty {
    std::string Path; // "Font.Style"
    TResourceValue Value;
};

struct TResourceItem {
    std::vector<TResourceProperty> Properties;
};

struct TResourceObject {
    std::string Name;
    std::string ClassName;
    std::vector<TResourceProperty> Properties;
    std::vector<TResourceObject> Children;
};

// Raises EParserError "Line %d: %s" for malformed text.
TResourceObject ParseFormText(const std::string& text);
std::string FormatFormText(const TResourceObject& object);

// The handlers a root offers to its components' events, by name, each held
// as the event's exact std::function type. Reading records which handler
// went to which event so that writing can name it again.
class THandlerTable {
public:
    void Add(const std::string& name, std::any handler) { handlers_[name] = std::move(handler); }
    // A member function of the root bound to it: Bind("BtnClick", this, &TFrmMain::BtnClick).
    template <class T, class R, class... A>
    void Bind(const std::string& name, T* self, R (T::*method)(A...))
    {
        Add(name, std::function<R(A...)>([self, method](A... args) { return (self->*method)(args...); }));
    }
    const std::any* Find(const std::string& name) const;
    void NoteBinding(const TObject* object, const std::string& event, const std::string& handler);
    // The handler name bound to an event, "" when none was.
    std::string BindingOf(const TObject* object, const std::string& event) const;

private:
    std::map<std::string, std::any> handlers_;
    std::map<std::pair<const TObject*, std::string>, std::string> bindings_;
};

// Reads `tree` into `root` (whose class the tree's top object names):
// properties of the root, then the children created by class name and
// owned by the root; controls are placed in the control whose block holds
// them. Raises EClassNotFound, EPropertyError or EPropertyConvertError.
void ReadComponentTree(TComponent* root, const TResourceObject& tree, THandlerTable* handlers);
void ReadComponentText(TComponent* root, const std::string& text, THandlerTable* handlers);

// The tree of `root`: stored properties that differ from their defaults,
// event bindings the handler table knows, and the owned components.
TResourceObject WriteComponentTree(TComponent* root, const THandlerTable* handlers);
std::string WriteComponentText(TComponent* root, const THandlerTable* handlers);

// A reader for a property that only older resources hold and that still
// means something (a retired flag mapped onto a new property). Keyed by
// class name and property name; found for the class and its descendants.
using TPropertyReader = std::function<void(TObject& object, const TResourceValue& value)>;
void RegisterPropertyReader(const std::string& className, const std::string& property, TPropertyReader reader);

// Embedded form resources, by resource name (the form class's name in
// upper case, "TFRMMAIN"). The build embeds them with
// embed_form_resources(); FindFormResource answers nullptr when none.
bool RegisterFormResource(const std::string& name, const char* text);
const char* FindFormResource(const std::string& name);

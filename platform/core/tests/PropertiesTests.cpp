#include "platform/core/Collection.h"
#include "platform/core/Properties.h"

#include <gtest/gtest.h>

namespace {

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
const TEnumInfo FontStyleInfo{"TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};

enum TAlign { alNone, alTop, alBottom, alClient };
const TEnumInfo AlignInfo{"TAlign", {"alNone", "alTop", "alBottom", "alClient"}};

const TIdentMap ColorIdents{{0x000000, "clBlack"}, {0xFFFFFF, "clWhite"}, {-16777201, "clBtnFace"}};

// Colours kept unsigned, as the graphics layer keeps them.
using TColorBits = uint32_t;

class TFontish : public TPersistent {
public:
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style) { style_ = style; }
    int32_t Size() const { return size_; }
    void SetSize(int32_t size) { size_ = size; }
    void Assign(const TPersistent* source) override
    {
        if (const auto* font = dynamic_cast<const TFontish*>(source)) {
            style_ = font->style_;
            size_ = font->size_;
            return;
        }
        TPersistent::Assign(source);
    }

private:
    TFontStyles style_;
    int32_t size_ = 8;
};

class TWidget : public TComponent {
public:
    using TComponent::TComponent;
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption) { caption_ = caption; }
    int32_t Width() const { return width_; }
    void SetWidth(int32_t width) { width_ = width; }
    int64_t Position() const { return position_; }
    void SetPosition(int64_t position) { position_ = position; }
    double Ratio() const { return ratio_; }
    void SetRatio(double ratio) { ratio_ = ratio; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    TAlign Align() const { return align_; }
    void SetAlign(TAlign align) { align_ = align; }
    TColorBits Color() const { return color_; }
    void SetColor(TColorBits color) { color_ = color; }
    TFontish* Font() { return &font_; }
    TStringList* Items() { return &items_; }
    TWidget* Buddy() const { return buddy_; }
    void SetBuddy(TWidget* buddy) { buddy_ = buddy; }

    TNotifyEvent OnClick;
    const TNotifyEvent& OnChange() const { return onChange_; }
    void SetOnChange(const TNotifyEvent& handler)
    {
        onChange_ = handler;
        ++handlerChanges;
    }
    int handlerChanges = 0;

private:
    TNotifyEvent onChange_;
    std::string caption_;
    int32_t width_ = 75;
    int64_t position_ = 0;
    double ratio_ = 1.5;
    bool visible_ = true;
    TAlign align_ = alNone;
    TColorBits color_ = 0xFF00000F;
    TFontish font_;
    TStringList items_;
    TWidget* buddy_ = nullptr;
};

class TWideWidget : public TWidget {
public:
    explicit TWideWidget(TComponent* owner) : TWidget(owner) { SetWidth(200); }
};

class TUnregisteredWidget : public TWideWidget {
public:
    using TWideWidget::TWideWidget;
};

const bool registered = [] {
    RegisterClass<TFontish, TPersistent>("TFontish")
        .Set("Style", &TFontish::Style, &TFontish::SetStyle, FontStyleInfo)
        .Default(TFontStyles{})
        .Property("Size", &TFontish::Size, &TFontish::SetSize)
        .Default(8);
    RegisterClass<TWidget, TComponent>("TWidget")
        .Property("Caption", &TWidget::Caption, &TWidget::SetCaption)
        .Property("Width", &TWidget::Width, &TWidget::SetWidth)
        .Default(75)
        .Property("Position", &TWidget::Position, &TWidget::SetPosition)
        .Property("Ratio", &TWidget::Ratio, &TWidget::SetRatio)
        .Stored([](const TWidget& w) { return w.Visible(); })
        .Property("Visible", &TWidget::Visible, &TWidget::SetVisible)
        .Default(true)
        .Enum("Align", &TWidget::Align, &TWidget::SetAlign, AlignInfo)
        .Default(alNone)
        .Property("Color", &TWidget::Color, &TWidget::SetColor)
        .Default(TColorBits{0xFF00000F})
        .Idents(ColorIdents)
        .Property("Font", &TWidget::Font)
        .Property("Items", &TWidget::Items)
        .Property("Buddy", &TWidget::Buddy, &TWidget::SetBuddy)
        .Event("OnClick", &TWidget::OnClick)
        .Event("OnChange", &TWidget::OnChange, &TWidget::SetOnChange)
        .Retired("OldCaption");
    RegisterClass<TWideWidget, TWidget>("TWideWidget")
        .Property("Width", &TWidget::Width, &TWidget::SetWidth)
        .Default(200);
    return true;
}();

} // namespace

TEST(ClassRegistry, FindsClassesAndCreatesComponentsByName)
{
    ASSERT_TRUE(registered);
    EXPECT_EQ(GetClass("twidget"), &FindClass("TWidget"));
    EXPECT_EQ(GetClass("TNothing"), nullptr);
    try {
        FindClass("TNothing");
        FAIL();
    } catch (const EClassNotFound& e) {
        EXPECT_EQ(e.Message(), "Class TNothing not found");
    }
    TComponent owner(nullptr);
    TComponent* created = CreateComponentByClassName("TWideWidget", &owner);
    EXPECT_EQ(created->Owner(), &owner);
    EXPECT_EQ(dynamic_cast<TWideWidget*>(created)->Width(), 200);
    EXPECT_THROW(CreateComponentByClassName("TFontish", &owner), EComponentError);
    EXPECT_TRUE(FindClass("TWideWidget").InheritsFrom(GetClass("TComponent")));
    EXPECT_THROW((RegisterClass<TFontish, TPersistent>("TWidget")), EFilerError);
}

TEST(ClassRegistry, PropertiesAreInheritedAndRedeclarable)
{
    const TClassInfo& wide = FindClass("TWideWidget");
    EXPECT_EQ(wide.FindProperty("name")->Kind, tkString); // from TComponent
    EXPECT_EQ(std::get<int64_t>(*wide.FindProperty("WIDTH")->Default), 200);
    std::vector<std::string> names;
    for (const TPropInfo* prop : wide.Properties())
        names.push_back(prop->Name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"Name", "Tag", "Caption", "Width", "Position", "Ratio", "Visible", "Align",
                                        "Color", "Font", "Items", "Buddy", "OnClick", "OnChange", "OldCaption"}));
    const struct {
        const char* name;
        TTypeKind kind;
    } kinds[] = {
        {"Width", tkInteger},     {"Position", tkInt64},     {"Ratio", tkFloat},   {"Visible", tkBool},
        {"Align", tkEnumeration}, {"Font", tkClass},         {"Items", tkStrings}, {"Buddy", tkComponent},
        {"OnClick", tkMethod},    {"OldCaption", tkRetired},
    };
    for (const auto& k : kinds)
        EXPECT_EQ(wide.FindProperty(k.name)->Kind, k.kind) << k.name;
    TUnregisteredWidget unregistered(nullptr);
    EXPECT_EQ(GetClassInfo(&unregistered), &wide); // the nearest registered ancestor
}

TEST(Properties, TextRoundTripsForEveryKind)
{
    TComponent form(nullptr);
    form.SetName("Form1");
    auto* widget = new TWidget(&form);
    auto* other = new TWidget(&form);
    other->SetName("Other");
    const struct {
        const char* path;
        const char* text;
        const char* readBack;
    } cases[] = {
        {"Caption", "  Hello  ", "  Hello  "},
        {"width", "-12", "-12"},
        {"Width", "$10", "16"},
        {"Position", "9000000000", "9000000000"},
        {"Ratio", "0.25", "0.25"},
        {"Visible", "false", "False"},
        {"Align", "ALCLIENT", "alClient"},
        {"Color", "clWhite", "clWhite"},
        {"Color", "255", "255"},
        {"Color", "clBtnFace", "clBtnFace"}, // a negative constant held in unsigned bits
        {"Font.Style", "[fsItalic, fsBold]", "[fsBold,fsItalic]"},
        {"Font.Style", "[]", "[]"},
        {"font.size", "11", "11"},
        {"Items", "a\nb\n", "a\nb\n"},
        {"Buddy", "Other", "Other"},
        {"Buddy", "Form1", ""}, // the owner is found, but is not a TWidget: refused below
        {"Tag", "7", "7"},
        {"OldCaption", "anything", ""},
    };
    for (const auto& c : cases) {
        if (std::string(c.path) == "Buddy" && std::string(c.text) == "Form1") {
            EXPECT_THROW(SetPropText(*widget, c.path, c.text), EPropertyConvertError);
            continue;
        }
        SetPropText(*widget, c.path, c.text);
        EXPECT_EQ(GetPropText(*widget, c.path), c.readBack) << c.path;
    }
    EXPECT_EQ(widget->Buddy(), other);
    auto* child = new TWidget(widget);
    child->SetName("Other"); // the nearest of two equal names wins
    SetPropText(*widget, "Buddy", "other");
    EXPECT_EQ(widget->Buddy(), child);
    EXPECT_EQ(widget->Font()->Style(), TFontStyles{});
    EXPECT_EQ(widget->Items()->Count(), 2);
    EXPECT_EQ(widget->Color(), 0xFF00000Fu);
    EXPECT_EQ(GetObjectProp(*widget, "Items"), widget->Items());
    EXPECT_THROW(GetObjectProp(*widget, "Width"), EPropertyConvertError);
}

TEST(Properties, BadNamesAndValuesRaiseClearErrors)
{
    TWidget widget(nullptr);
    const struct {
        const char* path;
        const char* text;
        const char* message;
    } cases[] = {
        {"Nothing", "1", "Property Nothing does not exist"},
        {"Font.Nothing", "1", "Property Font.Nothing does not exist"},
        {"Width.Size", "1", "Property Width.Size does not exist"},
        {"Width", "12px", "Invalid property value"},
        {"Visible", "yes", "Invalid property value"},
        {"Align", "alLeft", "Invalid property value"},
        {"Font.Style", "[fsBold,fsWide]", "Invalid property element: fsWide"},
        {"Font.Style", "[fsBold", "Invalid property value"},
        {"Buddy", "Missing", "Invalid property value"},
        {"Ratio", "1,5", "Invalid property value"},
    };
    for (const auto& c : cases) {
        try {
            SetPropText(widget, c.path, c.text);
            ADD_FAILURE() << c.path << " = " << c.text;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.message) << c.path;
        }
    }
    EXPECT_EQ(widget.Width(), 75);
    EXPECT_THROW(SetPropValue(widget, "Align", int64_t{9}), EPropertyConvertError);
    EXPECT_THROW(SetPropValue(widget, "Font.Style", int64_t{1} << 4), EPropertyConvertError);
}

TEST(Properties, TypedValuesAndSubObjectAssignment)
{
    TWidget widget(nullptr);
    SetPropValue(widget, "Width", int64_t{40});
    SetPropValue(widget, "Ratio", int64_t{2});
    SetPropValue(widget, "Visible", false);
    SetPropValue(widget, "Align", std::string("alTop")); // text goes through the text form
    EXPECT_EQ(widget.Width(), 40);
    EXPECT_DOUBLE_EQ(widget.Ratio(), 2.0);
    EXPECT_FALSE(widget.Visible());
    EXPECT_EQ(widget.Align(), alTop);
    EXPECT_EQ(std::get<int64_t>(GetPropValue(widget, "Align")), alTop);

    TFontish font;
    font.SetSize(20);
    font.SetStyle({fsUnderline});
    SetPropValue(widget, "Font", &font); // no setter: copied through Assign
    EXPECT_EQ(widget.Font()->Size(), 20);
    EXPECT_EQ(GetPropText(widget, "Font.Style"), "[fsUnderline]");
    TStringList lines;
    lines.SetCommaText("x,y");
    SetPropValue(widget, "Items", &lines);
    EXPECT_EQ(widget.Items()->CommaText(), "x,y");
    EXPECT_THROW(SetPropValue(widget, "Font", &lines), EPropertyConvertError);
    EXPECT_THROW(SetPropValue(widget, "Buddy", &font), EPropertyConvertError);
    EXPECT_THROW(SetPropValue(widget, "Width", std::string()), EPropertyConvertError);
    EXPECT_THROW(SetPropValue(widget, "Caption", int64_t{1}), EPropertyConvertError);
}

TEST(Properties, EventsBindWithTheirExactType)
{
    TWidget widget(nullptr);
    TObject* clicked = nullptr;
    SetEventProp(widget, "OnClick", std::any(TNotifyEvent([&](TObject* sender) { clicked = sender; })));
    widget.OnClick(&widget);
    EXPECT_EQ(clicked, &widget);
    EXPECT_THROW(SetEventProp(widget, "OnClick", std::any(std::function<void()>())), EConvertError);
    EXPECT_THROW(SetEventProp(widget, "Width", std::any()), EPropertyError);
    EXPECT_THROW(SetPropText(widget, "OnClick", "Button1Click"), EPropertyError);
    SetEventProp(widget, "OnClick", std::any());
    EXPECT_FALSE(widget.OnClick);
    SetEventProp(widget, "OnChange", std::any(TNotifyEvent([&](TObject*) { clicked = nullptr; })));
    EXPECT_EQ(widget.handlerChanges, 1); // through the setter
    widget.OnChange()(&widget);
    EXPECT_EQ(clicked, nullptr);
    const TPropInfo* onChange = GetPropInfo(widget, "onchange");
    EXPECT_TRUE(std::any_cast<TNotifyEvent>(onChange->GetEvent(widget)));
}

TEST(Properties, StoredOnlyWhenDifferentFromTheDefault)
{
    TWideWidget widget(nullptr);
    const TClassInfo& info = *GetClassInfo(&widget);
    const auto stored = [&](const char* name) { return IsStoredProp(widget, *info.FindProperty(name)); };
    EXPECT_FALSE(stored("Width")); // 200 is this class's default
    EXPECT_FALSE(stored("Visible"));
    EXPECT_FALSE(stored("Caption")); // strings: stored when not empty
    EXPECT_FALSE(stored("OldCaption"));
    EXPECT_TRUE(stored("Ratio")); // no default: stored while its rule holds
    widget.SetVisible(false);
    EXPECT_FALSE(stored("Ratio"));
    widget.SetWidth(75);
    widget.SetCaption("x");
    EXPECT_TRUE(stored("Width"));
    EXPECT_TRUE(stored("Caption"));
}

TEST(Properties, SetTextForms)
{
    EXPECT_EQ(SetToString(FontStyleInfo, 0b1010), "[fsItalic,fsStrikeOut]");
    EXPECT_EQ(SetToString(FontStyleInfo, 0b1010, false), "fsItalic,fsStrikeOut");
    EXPECT_EQ(StringToSet(FontStyleInfo, " fsbold , fsUnderline "), 0b0101u);
    EXPECT_EQ(StringToSet(FontStyleInfo, ""), 0u);
    EXPECT_THROW(StringToSet(FontStyleInfo, "[,]"), EPropertyConvertError);
}

namespace {

class TColumn : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    std::string Caption;
    void Assign(const TPersistent* source) override
    {
        if (const auto* column = dynamic_cast<const TColumn*>(source)) {
            Caption = column->Caption;
            return;
        }
        TCollectionItem::Assign(source);
    }
};

TCollection::TItemFactory ColumnFactory()
{
    return [](TCollection* collection) { return new TColumn(collection); };
}

} // namespace

TEST(Collection, ItemsAreOwnedOrderedAndCopied)
{
    TCollection columns(nullptr, ColumnFactory());
    int updates = 0;
    columns.OnUpdate = [&](TCollection*, TCollectionItem*) { ++updates; };
    columns.BeginUpdate();
    static_cast<TColumn*>(columns.Add())->Caption = "Name";
    static_cast<TColumn*>(columns.Add())->Caption = "Size";
    auto* first = static_cast<TColumn*>(columns.Insert(0));
    first->Caption = "Check";
    columns.EndUpdate();
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(first->Index(), 0);
    EXPECT_EQ(first->ID(), 2);
    EXPECT_EQ(columns.FindItemID(2), first);

    TCollection copy(nullptr, ColumnFactory());
    copy.Assign(&columns);
    ASSERT_EQ(copy.Count(), 3);
    EXPECT_EQ(static_cast<TColumn*>(copy.Items(2))->Caption, "Size");

    delete first; // an item leaves its collection when freed
    EXPECT_EQ(columns.Count(), 2);
    columns.Items(1)->SetIndex(-5);
    EXPECT_EQ(static_cast<TColumn*>(columns.Items(0))->Caption, "Size");
    columns.Delete(0);
    EXPECT_THROW(columns.Items(1), EListError);
    TStringList unrelated;
    EXPECT_THROW(columns.Assign(&unrelated), EConvertError);
}

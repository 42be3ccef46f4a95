#include "UiTestSupport.h"

#include "platform/core/Collection.h"
#include "platform/core/Properties.h"
#include "platform/core/StringList.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/FormResources.h"
#include "platform/ui/Image.h"
#include "platform/ui/ScrollBars.h"
#include "platform/ui/StdCtrls.h"

namespace {

class TColumn : public TCollectionItem {
public:
    using TCollectionItem::TCollectionItem;
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v) { caption_ = v; }
    int32_t Width() const { return width_; }
    void SetWidth(int32_t v) { width_ = v; }

private:
    std::string caption_;
    int32_t width_ = 50;
};

// A container with a string list, a collection and a retired property.
class TTestBox : public TCustomControl {
public:
    explicit TTestBox(TComponent* owner)
        : TCustomControl(owner), columns_(this, [](TCollection* c) { return new TColumn(c); })
    {}
    TStringList* Items() { return &items_; }
    TCollection* Columns() { return &columns_; }
    bool Gradient = false;

private:
    TStringList items_;
    TCollection columns_;
};

const bool registered = [] {
    RegisterClass<TColumn, TCollectionItem>("TColumn")
        .Property("Caption", &TColumn::Caption, &TColumn::SetCaption)
        .Property("Width", &TColumn::Width, &TColumn::SetWidth)
        .Default(50);
    RegisterClass<TTestBox, TCustomControl>("TTestBox")
        .Property("Items", &TTestBox::Items)
        .Property("Columns", &TTestBox::Columns)
        .Retired("FrameSides")
        .Retired("UseGradients");
    RegisterPropertyReader("TTestBox", "UseGradients", [](TObject& object, const TResourceValue& value) {
        static_cast<TTestBox&>(object).Gradient = value.Kind == TResourceValue::Ident && value.Text == "True";
    });
    return true;
}();

class TFrmSample : public TForm {
public:
    explicit TFrmSample(TComponent* owner) : TForm(owner)
    {
        Handlers().Bind("FormShow", this, &TFrmSample::FormShow);
        Handlers().Bind("BtnClick", this, &TFrmSample::BtnClick);
    }
    void FormShow(TObject*) { ++shows; }
    void BtnClick(TObject*) { ++clicks; }
    int shows = 0;
    int clicks = 0;
};

const char* const SampleText = R"(object FrmSample: TFrmSample
  Left = 10
  Top = 20
  Caption = 'It''s'#13#10'here'
  Color = clWhite
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = [fsBold, fsItalic]
  ClientWidth = 200
  ClientHeight = 150
  ActiveControl = Box2
  BorderStyle = bsNone
  FormStyle = fsStayOnTop
  OnShow = FormShow
  object Box1: TTestBox
    Left = 0
    Top = 0
    Width = 200
    Height = 30
    Align = alTop
    OnClick = BtnClick
    TabOrder = 0
    Items.Strings = (
      'one'
      'two')
    Columns = <
      item
        Caption = 'Name'
        Width = 120
      end
      item
        Caption = 'Size'
      end>
    object Box2: TTestBox
      Left = 5
      Top = 6
      Width = 50
      Height = 20
      Anchors = [akTop, akRight]
      Cursor = crHandPoint
      TabOrder = 0
      TabStop = True
    end
  end
  object Timer1: TTimer
    Interval = 250
  end
end
)";

} // namespace

using FormResourceTest = UiTest;

TEST_F(FormResourceTest, ReadsTheTreeAndWritesItBackUnchanged)
{
    TFrmSample form(nullptr);
    ReadComponentText(&form, SampleText, &form.Handlers());

    auto* box1 = dynamic_cast<TTestBox*>(form.FindComponent("Box1"));
    auto* box2 = dynamic_cast<TTestBox*>(form.FindComponent("box2"));
    auto* timer = dynamic_cast<TTimer*>(form.FindComponent("Timer1"));
    ASSERT_TRUE(box1 && box2 && timer);
    EXPECT_EQ(form.Caption(), "It's\r\nhere");
    EXPECT_EQ(form.ClientWidth(), 200);
    EXPECT_EQ(form.Font()->Style(), (TFontStyles{fsBold, fsItalic}));
    EXPECT_EQ(box1->Parent(), &form);
    EXPECT_EQ(box2->Parent(), box1);
    EXPECT_EQ(box1->Width(), 200);
    EXPECT_EQ(box1->Items()->Count(), 2);
    EXPECT_EQ(box1->Columns()->Count(), 2);
    EXPECT_EQ(static_cast<TColumn*>(box1->Columns()->Items(1))->Width(), 50);
    EXPECT_EQ(form.ActiveControl(), box2); // a reference to a later object
    EXPECT_EQ(timer->Interval(), 250u);
    EXPECT_EQ(box2->Font()->Name(), "Tahoma"); // parent font after loading
    EXPECT_FALSE(form.HasState(csLoading));
    box1->OnClick(box1);
    EXPECT_EQ(form.clicks, 1);

    EXPECT_EQ(WriteComponentText(&form, &form.Handlers()), SampleText);
}

TEST_F(FormResourceTest, RetiredPropertiesAreReadAndDroppedOrMappedByTheirReader)
{
    TForm form(nullptr);
    ReadComponentText(&form, R"(object F: TForm
  object B: TTestBox
    FrameSides = (
      'left'
      'top')
    UseGradients = True
  end
end
)",
                      nullptr);
    auto* box = dynamic_cast<TTestBox*>(form.FindComponent("B"));
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->Gradient);
    EXPECT_EQ(WriteComponentText(&form, nullptr).find("Frame"), std::string::npos);
}

TEST_F(FormResourceTest, ErrorsNameTheProblem)
{
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"object F: TForm\n  Left = 'x\nend\n", "Line 2: unterminated string"},
        {"object F: TForm\n  Left 5\nend\n", "Line 2: '=' expected"},
        {"object F: TForm\n  object X: TNoSuchClass\n  end\nend\n", "Class TNoSuchClass not found"},
        {"object F: TForm\n  Bogus = 1\nend\n", "Error reading F.Bogus: Property Bogus does not exist"},
        {"object F: TForm\n  OnShow = Missing\nend\n", "Error reading F.OnShow: Method Missing not found"},
        {"object F: TForm\n  ActiveControl = Nobody\nend\n",
         "Error reading F.ActiveControl: Component Nobody not found"},
        {"object F: TForm\n  BorderStyle = bsRound\nend\n", "Error reading F.BorderStyle: Invalid property value"},
        {"object F: TForm\n  Tag = {0A0}\nend\n", "Line 2: odd number of hex digits in a binary value"},
        {"object F: TForm\n  Tag = {0A\n  0G}\nend\n", "Line 3: invalid binary value character 'G'"},
        {"object F: TForm\n  Tag = {0A0B", "Line 2: '}' expected"},
        {"object F: TForm\n  Tag = {0A0B}\nend\n", "Error reading F.Tag: Invalid property value"},
        // A character code too long for any integer type is still the parser's error.
        {"object F: TForm\n  Caption = #00003600000028000000000010000000424\nend\n",
         "Line 2: character code out of range"},
        {"object F: TForm\n  Font.Data = {0A0B}\nend\n", "Error reading F.Font.Data: Invalid property value"},
        // Picture data: the class name, a bitmap's byte count, the bitmap file.
        {"object F: TForm\n  object I: TImage\n    Picture.Data = {03544F6F00}\n  end\nend\n",
         "Error reading I.Picture.Data: Unknown picture class TOo"},
        {"object F: TForm\n  object I: TImage\n    Picture.Data = {0754426974}\n  end\nend\n",
         "Error reading I.Picture.Data: Stream read error"},
        {"object F: TForm\n  object I: TImage\n    Picture.Data = {07544269746D6170FFFFFF7F424D}\n  end\nend\n",
         "Error reading I.Picture.Data: Stream read error"},
    };
    for (const Case& c : cases) {
        TForm form(nullptr);
        try {
            ReadComponentText(&form, c.text, &form.Handlers());
            ADD_FAILURE() << c.text;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_FALSE(form.HasState(csLoading));
    }
}

// Objects, lists and collections share one bound of 1000 levels; text past
// it is refused on the line where it goes too deep instead of overflowing
// the stack.
TEST_F(FormResourceTest, NestingIsBoundedAndReportedWithItsLine)
{
    auto repeat = [](const std::string& piece, int times) {
        std::string text;
        for (int i = 0; i < times; ++i)
            text += piece;
        return text;
    };
    struct Case {
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"object F: TForm\n  Tag = " + repeat("(\n", 30000), "Line 1001: nesting deeper than 1000 levels"},
        {"object F: TForm\n  Items = " + repeat("<item\nItems = ", 50000),
         "Line 1001: nesting deeper than 1000 levels"},
        {repeat("object P: TPanel\n", 1001), "Line 1001: nesting deeper than 1000 levels"},
    };
    for (const Case& c : cases) {
        try {
            ParseFormText(c.text);
            ADD_FAILURE() << c.message;
        } catch (const EParserError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    std::string deepest = "object F: TForm\n  Tag = " + repeat("(", 999) + repeat(")", 999) + "\nend\n";
    EXPECT_EQ(ParseFormText(deepest).Properties.size(), 1u);
}

// A picture streams as its graphic's class name and the graphic's data (for
// a bitmap, its byte count and the bitmap file), in hex digits between
// braces over as many lines as it takes.
TEST_F(FormResourceTest, PicturesTravelAsBinaryDataAndComeBackPixelForPixel)
{
    TForm form(nullptr);
    form.SetName("F");
    auto* image = new TImage(&form);
    image->SetName("I");
    image->SetParent(&form);
    TBitmap* bitmap = image->Picture()->Bitmap();
    bitmap->SetSize(5, 3);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            bitmap->Canvas()->SetPixel(x, y, RGB(x * 50, y * 100, 7));

    const std::string text = WriteComponentText(&form, nullptr);
    const size_t data = text.find("Picture.Data = {\n      07544269746D6170");
    ASSERT_NE(data, std::string::npos) << text;
    EXPECT_NE(text.find('}', data), std::string::npos);

    TForm copy(nullptr);
    ReadComponentText(&copy, text, nullptr);
    auto* read = dynamic_cast<TImage*>(copy.FindComponent("I"));
    ASSERT_TRUE(read && read->Picture()->Graphic());
    EXPECT_EQ(read->Picture()->Graphic()->ClassName(), "TBitmap");
    TBitmap* readBitmap = read->Picture()->Bitmap();
    ASSERT_EQ(readBitmap->Width(), 5);
    ASSERT_EQ(readBitmap->Height(), 3);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            EXPECT_EQ(readBitmap->Canvas()->Pixels(x, y), RGB(x * 50, y * 100, 7)) << x << "," << y;
    EXPECT_EQ(WriteComponentText(&copy, nullptr), text);

    // Lower-case digits and blanks between them read the same; an empty
    // picture writes nothing.
    std::string loose = text;
    for (size_t i = data + 17; loose[i] != '}'; ++i)
        loose[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(loose[i])));
    loose.insert(data + 19, "\n   ");
    TForm looseCopy(nullptr);
    ReadComponentText(&looseCopy, loose, nullptr);
    EXPECT_EQ(WriteComponentText(&looseCopy, nullptr), text);
    read->Picture()->Assign(nullptr);
    EXPECT_EQ(WriteComponentText(&copy, nullptr).find("Picture"), std::string::npos);
}

TEST_F(FormResourceTest, AFormReadsItsEmbeddedResourceWhenCreated)
{
    RegisterFormResource("TFRMSAMPLE", SampleText);
    std::unique_ptr<TFrmSample> form(CreateForm<TFrmSample>(nullptr));
    EXPECT_EQ(form->Left(), 10);
    form->Show();
    EXPECT_EQ(form->shows, 1);
    EXPECT_TRUE(form->IsTopMost());
    RegisterFormResource("TFRMSAMPLE", nullptr);
}

namespace {
class TFrmEmbedded : public TForm {
public:
    using TForm::TForm;
};
} // namespace

TEST_F(FormResourceTest, ResourcesEmbeddedByTheBuildAreFoundByClassName)
{
    ASSERT_NE(FindFormResource("TFrmEmbedded"), nullptr);
    std::unique_ptr<TFrmEmbedded> form(CreateForm<TFrmEmbedded>(nullptr));
    EXPECT_EQ(form->Caption(), "Embedded");
    EXPECT_EQ(form->BorderStyle(), bsNone);
    auto* clock = dynamic_cast<TTimer*>(form->FindComponent("Clock"));
    ASSERT_NE(clock, nullptr);
    EXPECT_EQ(clock->Interval(), 40u);
}

TEST_F(FormResourceTest, StandardClassesAreCreatedByName)
{
    TForm form(nullptr);
    ReadComponentText(&form, R"(object F: TForm
  object Bar: TScrollBar
    Kind = sbVertical
    Max = 50
    Position = 20
  end
  object Ok: TButton
    Caption = 'OK'
    Default = True
    ModalResult = 1
  end
end
)",
                      nullptr);
    auto* bar = dynamic_cast<TScrollBar*>(form.FindComponent("Bar"));
    auto* ok = dynamic_cast<TButton*>(form.FindComponent("Ok"));
    ASSERT_TRUE(bar && ok);
    EXPECT_EQ(bar->Kind(), sbVertical);
    EXPECT_EQ(bar->Position(), 20);
    EXPECT_TRUE(ok->Default());
    EXPECT_EQ(ok->ModalResult(), mrOk);
}

TEST_F(FormResourceTest, AFormReadAsVisibleAppearsOnlyAfterTheWholeResource)
{
    TForm form(nullptr);
    std::vector<std::string> seen;
    form.OnShow = [&](TObject*) { seen.push_back("show with " + std::to_string(form.ComponentCount()) + " children"); };
    ReadComponentText(&form, R"(object F: TForm
  Visible = True
  object B: TButton
  end
end
)",
                      nullptr);
    EXPECT_EQ(seen, std::vector<std::string>{"show with 1 children"});
    EXPECT_TRUE(form.Showing());
}

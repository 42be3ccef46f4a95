// The anti-aliased label on the headless desktop.

#include "controls/aa/AACtrls.h"

#include "platform/backend/HeadlessBackend.h"
#include "platform/ui/Form.h"
#include "platform/ui/FormResources.h"
#include "platform/ui/WindowSystem.h"

#include <gtest/gtest.h>

namespace {

// Counts the renders the label asks for.
class TCountingLabel : public TAALabel {
public:
    using TAALabel::TAALabel;
    int Rebuilds = 0;

protected:
    void InvalidateDisplay() override
    {
        ++Rebuilds;
        TAALabel::InvalidateDisplay();
    }
};

TRect InkBox(TBitmap& bitmap, TColor background)
{
    TRect box{bitmap.Width(), bitmap.Height(), 0, 0};
    for (int32_t y = 0; y < bitmap.Height(); ++y)
        for (int32_t x = 0; x < bitmap.Width(); ++x)
            if (bitmap.Canvas()->Pixels(x, y) != background)
                box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                       std::max(box.Bottom, y + 1)};
    return box;
}

class AALabelTest : public ::testing::Test {
protected:
    AALabelTest()
    {
        InstallWindowSystem(backend);
        RegisterAAControls();
        form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(10, 10, 300, 200);
        form->SetColor(clGreen);
    }
    ~AALabelTest() override
    {
        form.reset();
        UninstallWindowSystem();
    }

    // A loaded label on the form, as the form reader leaves it.
    template <class T = TAALabel>
    T* MakeLabel(const std::string& caption, std::function<void(T&)> setUp = nullptr)
    {
        auto* label = new T(form.get());
        label->SetStateFlag(csLoading, true);
        label->SetParent(form.get());
        label->Font()->SetName("DejaVu Sans");
        label->Font()->SetHeight(-24);
        label->Font()->SetColor(clBlack);
        label->SetColor(clYellow);
        label->SetCaption(caption);
        if (setUp)
            setUp(*label);
        label->Loaded();
        return label;
    }

    // The text's size as the engine measures it with the label's effect.
    TSize TextSize(TAALabel& label)
    {
        TBitmap scratch(1, 1);
        TAAFontEx drawer(scratch.Canvas());
        scratch.Canvas()->Font()->Assign(label.Font());
        drawer.Effect()->Assign(label.Effect()->FontEffect());
        drawer.SetQuality(label.Effect()->Quality());
        return drawer.MeasureText(label.Caption());
    }

    THeadlessBackend backend;
    std::unique_ptr<TForm> form;
};

} // namespace

TEST_F(AALabelTest, AutoSizeFitsTheTextShadowAndBorder)
{
    TAALabel* label = MakeLabel<TAALabel>("Title", [](TAALabel& l) {
        l.Effect()->SetTransparent(true);
        l.Effect()->FontEffect()->Shadow()->SetEnabled(true);
    });
    TAAFontEx plain(nullptr);
    TBitmap scratch(1, 1);
    plain.SetCanvas(scratch.Canvas());
    scratch.Canvas()->Font()->Assign(label->Font());
    const TSize text = plain.MeasureText("Title");
    // Sized before its first paint, which then covers the whole text.
    EXPECT_EQ(text.cx + 2, label->Width());
    EXPECT_EQ(text.cy + 2, label->Height());

    label->SetBorder(3);
    EXPECT_EQ(text.cx + 2 + 6, label->Width());
    EXPECT_EQ(text.cy + 2 + 6, label->Height());
}

TEST_F(AALabelTest, AlignedLabelFollowsTheTextOnlyAcross)
{
    TAALabel* label = MakeLabel<TAALabel>("Source", [](TAALabel& l) { l.SetAlign(alTop); });
    EXPECT_EQ(300, label->Width());
    EXPECT_EQ(TextSize(*label).cy, label->Height());
    EXPECT_EQ(300, label->Bitmap()->Width());
}

TEST_F(AALabelTest, AlignmentAndLayoutPlaceTheText)
{
    auto inkOf = [&](TAlignment alignment, TTextLayout layout) {
        TAALabel* label = MakeLabel<TAALabel>("Output", [&](TAALabel& l) {
            l.SetAutoSize(false);
            l.SetBounds(0, 0, 150, 39);
            l.SetBorder(2);
            l.Effect()->SetAlignment(alignment);
            l.Effect()->SetLayout(layout);
        });
        EXPECT_EQ(39, label->Height());
        TRect ink = InkBox(*label->Bitmap(), clYellow);
        delete label;
        return ink;
    };
    TAALabel* probe = MakeLabel<TAALabel>("Output");
    const TSize text = TextSize(*probe);
    delete probe;
    const TRect topLeft = inkOf(taLeftJustify, tlTop);
    struct TCase {
        TAlignment Alignment;
        TTextLayout Layout;
        int32_t X, Y; // where the text's box starts
    };
    const TCase cases[] = {
        {taLeftJustify, tlCenter, 2, (39 - text.cy) / 2},
        {taRightJustify, tlBottom, 150 - 2 - text.cx, 39 - 2 - text.cy},
        {taCenter, tlTop, (150 - text.cx) / 2, 2},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(OffsetRect(topLeft, c.X - 2, c.Y - 2), inkOf(c.Alignment, c.Layout))
            << c.Alignment << "/" << c.Layout;
}

TEST_F(AALabelTest, BackgroundPictureIsCentredOverTheColourUnderTheText)
{
    TBitmap picture(4, 4, pf24bit);
    picture.Canvas()->FillSolidRect(Rect(0, 0, 4, 4), clBlue);
    TAALabel* label = MakeLabel<TAALabel>("A", [&](TAALabel& l) {
        l.SetAutoSize(false);
        l.SetBounds(0, 0, 60, 40);
        TPicture background;
        background.SetGraphic(&picture);
        l.Effect()->SetBackGround(&background);
        l.Effect()->SetBackGroundMode(bmCenter);
    });
    TCanvas& image = *label->Bitmap()->Canvas();
    EXPECT_EQ(clBlue, image.Pixels(28, 18));
    EXPECT_EQ(clBlue, image.Pixels(31, 21));
    EXPECT_EQ(clYellow, image.Pixels(27, 18));
    EXPECT_EQ(clYellow, image.Pixels(59, 39));
    const TRect ink = InkBox(*label->Bitmap(), clYellow);
    EXPECT_LT(ink.Left, 10) << "the text at the top left, over the background";
    int darkest = 255;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 20; ++x)
            darkest = std::min<int>(darkest, GetRValue(image.Pixels(x, y)));
    EXPECT_LT(darkest, 8) << "black text";
}

TEST_F(AALabelTest, NothingRendersBeforeLoadingEndsAndEachChangeRendersOnce)
{
    auto* label = new TCountingLabel(form.get());
    label->SetStateFlag(csLoading, true);
    label->SetParent(form.get());
    label->SetCaption("Source");
    label->Effect()->FontEffect()->Shadow()->SetEnabled(true);
    label->SetBorder(1);
    EXPECT_EQ(0, label->Rebuilds);
    label->Loaded();
    const int afterLoading = label->Rebuilds;
    EXPECT_GE(afterLoading, 1);

    form->Show();
    WindowSystem().UpdateAllWindows();
    EXPECT_FALSE(form->NeedsPaint());
    label->Rebuilds = 0;
    label->Effect()->FontEffect()->Shadow()->SetAlpha(40);
    EXPECT_EQ(1, label->Rebuilds);
    EXPECT_TRUE(form->NeedsPaint()) << "the label is repainted";
    label->Effect()->FontEffect()->Shadow()->SetAlpha(40);
    EXPECT_EQ(1, label->Rebuilds);
}

TEST_F(AALabelTest, CodeCreatedLabelRendersAtItsFirstPaint)
{
    auto* label = new TCountingLabel(form.get());
    label->SetParent(form.get());
    label->SetCaption("Hi");
    EXPECT_EQ(0, label->Rebuilds);
    form->Show();
    WindowSystem().UpdateAllWindows();
    EXPECT_GE(label->Rebuilds, 1);
    EXPECT_GT(label->Width(), 0);
}

TEST_F(AALabelTest, OpaqueAndTransparentLabelsReachTheWindow)
{
    for (bool transparent : {false, true}) {
        TAALabel* label = MakeLabel<TAALabel>("W", [&](TAALabel& l) {
            l.SetLeft(20);
            l.SetTop(30);
            l.Effect()->SetTransparent(transparent);
            l.Font()->SetColor(clWhite);
        });
        form->Show();
        WindowSystem().UpdateAllWindows();
        TBitmap& store = *form->BackingStore();
        const TColor background = transparent ? clGreen : clYellow;
        EXPECT_EQ(background, store.Canvas()->Pixels(20, 30 + label->Height() - 1));
        bool white = false; // full coverage blends to within a step of white
        for (int32_t y = 30; y < 30 + label->Height(); ++y)
            for (int32_t x = 20; x < 20 + label->Width(); ++x) {
                const TColor c = store.Canvas()->Pixels(x, y);
                white |= GetRValue(c) > 245 && GetBValue(c) > 245;
            }
        EXPECT_TRUE(white) << (transparent ? "transparent" : "opaque");
        EXPECT_EQ(clGreen, store.Canvas()->Pixels(19, 29));
        delete label;
        form->Hide();
    }
}

TEST_F(AALabelTest, MouseEnterAndLeaveAreReported)
{
    TAALabel* label = MakeLabel<TAALabel>("Link");
    std::vector<std::string> events;
    label->OnMouseEnter = [&](TObject*) { events.push_back("enter"); };
    label->OnMouseLeave = [&](TObject*) { events.push_back("leave"); };
    label->Perform(CM_MOUSEENTER);
    label->Perform(CM_MOUSELEAVE);
    EXPECT_EQ((std::vector<std::string>{"enter", "leave"}), events);
}

TEST_F(AALabelTest, ReadsItsPublishedPropertiesFromAFormResource)
{
    auto root = std::make_unique<TForm>(nullptr);
    ReadComponentText(root.get(), R"(object FrmTest: TForm
  object LabelTitle: TAALabel
    Left = 29
    Top = 10
    Caption = 'Converter'
    Font.Color = clWhite
    Font.Height = -16
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    ParentEffect.ParentFont = False
    Effect.Transparent = True
    Effect.Quality = aqHigh
    Effect.FontEffect.Shadow.Enabled = True
    Effect.FontEffect.Gradual.Enabled = True
    Effect.FontEffect.Gradual.Style = gsBottomToTop
    Effect.FontEffect.Gradual.StartColor = 15838023
  end
end
)",
                      nullptr);
    auto* label = dynamic_cast<TAALabel*>(root->FindComponent("LabelTitle"));
    ASSERT_NE(nullptr, label);
    EXPECT_EQ("Converter", label->Caption());
    EXPECT_TRUE(label->Effect()->Transparent());
    EXPECT_EQ(aqHigh, label->Effect()->Quality());
    EXPECT_TRUE(label->Effect()->FontEffect()->Shadow()->Enabled());
    EXPECT_EQ(gsBottomToTop, label->Effect()->FontEffect()->Gradual()->Style());
    EXPECT_EQ(0x00F1AB47u, label->Effect()->FontEffect()->Gradual()->StartColor());
    EXPECT_FALSE(label->ParentFont());
    EXPECT_TRUE(label->AutoSize());

    const std::string written = WriteComponentText(root.get(), nullptr);
    EXPECT_NE(std::string::npos, written.find("Effect.Quality = aqHigh")) << written;
    EXPECT_EQ(std::string::npos, written.find("Effect.Alignment")) << "defaults are not written";
}

TEST_F(AALabelTest, AssigningAnotherLabelsEffectCopiesValuesAndKeepsTheLabel)
{
    TAALabel* source = MakeLabel<TAALabel>("One", [](TAALabel& l) {
        l.Effect()->SetQuality(aqHigh);
        l.Effect()->SetAlignment(taCenter);
        l.Effect()->FontEffect()->SetAngle(30);
    });
    TAALabel* target = MakeLabel<TAALabel>("Two");
    target->SetEffect(source->Effect());
    delete source;
    EXPECT_EQ(target, target->Effect()->Label());
    EXPECT_EQ(aqHigh, target->Effect()->Quality());
    EXPECT_EQ(taCenter, target->Effect()->Alignment());
    EXPECT_EQ(30, target->Effect()->FontEffect()->Angle());
    target->Effect()->SetQuality(aqLow);
    EXPECT_EQ(aqLow, target->Drawer()->Quality());
}

#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "platform/core/Properties.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/Image.h"
#include "platform/ui/Label.h"
#include "platform/ui/XPManifest.h"

namespace {

std::unique_ptr<TBitmap> SolidBitmap(int32_t width, int32_t height, TColor color)
{
    auto bitmap = std::make_unique<TBitmap>(width, height);
    bitmap->Canvas()->Brush()->SetColor(color);
    bitmap->Canvas()->FillRect(Rect(0, 0, width, height));
    return bitmap;
}

} // namespace

class LabelImageTest : public UiTest {
protected:
    LabelImageTest()
    {
        form = MakeForm(40, 40, 200, 120);
        form->SetColor(clWhite);
        form->Show();
        Pump();
    }

    int32_t CountInk(int32_t left, int32_t top, int32_t right, int32_t bottom, TColor ink)
    {
        int32_t count = 0;
        for (int32_t y = top; y < bottom; ++y)
            for (int32_t x = left; x < right; ++x)
                count += StorePixel(*form, x, y) == ink;
        return count;
    }

    std::unique_ptr<TForm> form;
};

TEST_F(LabelImageTest, LabelSizesItselfToItsCaption)
{
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetCaption("Wide caption");
    const TSize extent = label->TextExtent();
    EXPECT_GT(extent.cx, 0);
    EXPECT_EQ(label->Width(), extent.cx);
    EXPECT_EQ(label->Height(), extent.cy);
    const int32_t wide = label->Width();
    label->SetCaption("W");
    EXPECT_LT(label->Width(), wide);
    label->SetAutoSize(false);
    label->SetCaption("Wide caption again");
    EXPECT_LT(label->Width(), wide);
}

TEST_F(LabelImageTest, LabelFillsWithItsColourUnlessTransparent)
{
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetAutoSize(false);
    label->SetBounds(10, 10, 80, 20);
    label->SetColor(clYellow);
    label->Font()->SetColor(clRed);
    label->SetCaption("Text");
    Pump();
    EXPECT_EQ(StorePixel(*form, 85, 25), clYellow);
    EXPECT_GT(CountInk(10, 10, 90, 30, clRed), 0);

    label->SetTransparent(true);
    Pump();
    EXPECT_EQ(StorePixel(*form, 85, 25), clWhite);
    EXPECT_GT(CountInk(10, 10, 90, 30, clRed), 0);
}

TEST_F(LabelImageTest, LabelAlignmentMovesTheText)
{
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetAutoSize(false);
    label->SetTransparent(true);
    label->SetBounds(0, 0, 200, 20);
    label->Font()->SetColor(clBlack);
    label->SetCaption("ab");
    Pump();
    EXPECT_GT(CountInk(0, 0, 40, 20, clBlack), 0);
    label->SetAlignment(taRightJustify);
    Pump();
    EXPECT_EQ(CountInk(0, 0, 40, 20, clBlack), 0);
    EXPECT_GT(CountInk(160, 0, 200, 20, clBlack), 0);
    label->SetAlignment(taCenter);
    Pump();
    EXPECT_GT(CountInk(80, 0, 120, 20, clBlack), 0);
}

TEST_F(LabelImageTest, LabelShowsAmpersandsWhenAccelCharsAreOff)
{
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetCaption("a&&b");
    const int32_t withPrefix = label->Width();
    label->SetShowAccelChar(false);
    EXPECT_GT(label->Width(), withPrefix);
}

TEST_F(LabelImageTest, LabelRaisesClickAndMouseEvents)
{
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetAutoSize(false);
    label->SetBounds(10, 10, 50, 20);
    label->SetCursor(crHandPoint);
    std::vector<std::string> events;
    label->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int32_t x, int32_t y) {
        events.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    };
    label->OnClick = [&](TObject*) { events.push_back("click"); };
    backend.Click(Point(40 + 15, 40 + 12));
    Pump();
    EXPECT_EQ(events, (std::vector<std::string>{"down 5,2", "click"}));
}

TEST_F(LabelImageTest, ImageDrawsItsPictureAtTheCornerCentredOrStretched)
{
    auto* image = new TImage(form.get());
    image->SetParent(form.get());
    image->SetBounds(0, 0, 100, 100);
    auto picture = SolidBitmap(20, 10, clBlue);
    image->Picture()->SetGraphic(picture.get());
    Pump();
    EXPECT_EQ(image->DestRect(), Rect(0, 0, 20, 10));
    EXPECT_EQ(StorePixel(*form, 19, 9), clBlue);
    EXPECT_EQ(StorePixel(*form, 20, 9), clWhite);

    image->SetCenter(true);
    Pump();
    EXPECT_EQ(image->DestRect(), Rect(40, 45, 60, 55));
    EXPECT_EQ(StorePixel(*form, 0, 0), clWhite);
    EXPECT_EQ(StorePixel(*form, 40, 45), clBlue);

    image->SetStretch(true);
    Pump();
    EXPECT_EQ(image->DestRect(), Rect(0, 0, 100, 100));
    EXPECT_EQ(StorePixel(*form, 99, 99), clBlue);
    EXPECT_EQ(StorePixel(*form, 100, 99), clWhite);
}

TEST_F(LabelImageTest, ImageTransparentLeavesOutThePictureColour)
{
    auto* image = new TImage(form.get());
    image->SetParent(form.get());
    image->SetBounds(0, 0, 20, 10);
    auto picture = SolidBitmap(20, 10, clBlue);
    // The bottom-left pixel, blue, names the transparent colour.
    picture->Canvas()->Brush()->SetColor(clRed);
    picture->Canvas()->FillRect(Rect(0, 0, 5, 5));
    image->Picture()->SetGraphic(picture.get());
    image->SetTransparent(true);
    Pump();
    EXPECT_TRUE(image->Picture()->Graphic()->Transparent());
    EXPECT_EQ(StorePixel(*form, 2, 2), clRed);
    EXPECT_EQ(StorePixel(*form, 15, 8), clWhite);
}

TEST_F(LabelImageTest, ImageCanvasDrawsIntoABitmapOfTheControlsSize)
{
    auto* image = new TImage(form.get());
    image->SetParent(form.get());
    image->SetBounds(0, 0, 30, 20);
    TCanvas* canvas = image->Canvas();
    EXPECT_EQ(image->Picture()->Width(), 30);
    EXPECT_EQ(image->Picture()->Height(), 20);
    canvas->Brush()->SetColor(clGreen);
    canvas->FillRect(Rect(0, 0, 30, 20));
    image->Invalidate();
    Pump();
    EXPECT_EQ(StorePixel(*form, 29, 19), clGreen);
}

TEST_F(LabelImageTest, ImageAutoSizeTakesThePictureSize)
{
    auto* image = new TImage(form.get());
    image->SetParent(form.get());
    image->SetAutoSize(true);
    auto picture = SolidBitmap(33, 17, clBlue);
    image->Picture()->SetGraphic(picture.get());
    EXPECT_EQ(image->Width(), 33);
    EXPECT_EQ(image->Height(), 17);
}

TEST_F(LabelImageTest, ClassesAreRegisteredForResources)
{
    TXPManifest manifest(nullptr);
    for (const char* name : {"TLabel", "TImage", "TXPManifest"})
        EXPECT_NE(GetClass(name), nullptr) << name;
    auto* label = new TLabel(form.get());
    SetPropText(*label, "Alignment", "taCenter");
    SetPropText(*label, "Transparent", "True");
    EXPECT_EQ(label->Alignment(), taCenter);
    EXPECT_TRUE(label->Transparent());
    auto* image = new TImage(form.get());
    SetPropText(*image, "Stretch", "True");
    EXPECT_TRUE(image->Stretch());
}

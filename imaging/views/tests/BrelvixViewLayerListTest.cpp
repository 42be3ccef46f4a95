// The layer list: the current layer, removing layers and masks, outside
// bitmaps, hit tests and the legacy switch.

#include <gtest/gtest.h>

#include "imaging/views/tests/ViewTestSupport.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace {

std::unique_ptr<TQkBitmap> Solid(int32_t side, TColor colour)
{
    auto bitmap = std::make_unique<TQkBitmap>(side, side, qk24RGB);
    bitmap->Fill(colour);
    return bitmap;
}

class LayerListTest : public ViewTest {
protected:
    // Layers 1..count above layer 0, each a 10 x 10 square of its own red.
    void AddLayers(int32_t count)
    {
        SetImage(100, 100, clWhite);
        for (int32_t i = 1; i <= count; ++i)
            view->AddLayer(Solid(10, RGB(i, 0, 0)));
    }
    // Which of the layers added by AddLayers the image is.
    int32_t ImageTag() { return view->GetImageBitmap()->GetPixel24(0, 0).r; }
};

TEST_F(LayerListTest, RemovingLayersKeepsAValidCurrentImage)
{
    struct Case {
        const char* Name;
        int32_t Current;
        int32_t Remove;
        bool NextIsMask;
        int32_t Count, CurrentAfter, TagAfter;
    };
    const Case cases[] = {
        {"the current top layer", 3, 3, false, 3, 2, 2},
        {"a layer below the current one", 3, 1, false, 3, 2, 3},
        {"a layer and its mask below the current one", 3, 1, true, 2, 1, 3},
        {"the current layer followed by its mask", 1, 1, true, 2, 1, 3},
        {"layer 0", 2, 0, false, 4, 2, 2},
        {"an index past the end", 2, 7, false, 4, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        view->RemoveAllLayers();
        AddLayers(3);
        view->Layer(2).MaskOfPrevious = c.NextIsMask;
        view->SetCurrentLayer(c.Current);
        view->RemoveLayer(c.Remove);
        EXPECT_EQ(view->GetLayerCount(), c.Count);
        EXPECT_EQ(view->LayersCurrent(), c.CurrentAfter);
        EXPECT_EQ(view->GetImageBitmap(), view->Layer(c.CurrentAfter).Bitmap());
        EXPECT_EQ(ImageTag(), c.TagAfter);
    }
}

TEST_F(LayerListTest, ANonSelectableTargetFallsToTheLayerBelow)
{
    AddLayers(3);
    view->Layer(3).Selectable = false;
    view->SetCurrentLayer(3);
    EXPECT_EQ(view->LayersCurrent(), 2);
    view->SelectableCheck = false;
    view->SetCurrentLayer(3);
    EXPECT_EQ(view->LayersCurrent(), 3);
    view->SetCurrentLayer(9);
    EXPECT_EQ(view->LayersCurrent(), 3);
}

TEST_F(LayerListTest, AddingALayerMakesItCurrentAndClearsIt)
{
    SetImage(30, 20, clRed);
    view->SetBackground(clBlue);
    EXPECT_EQ(view->AddLayer(), 1);
    EXPECT_EQ(view->LayersCurrent(), 1);
    EXPECT_EQ(view->GetImageBitmap()->GetWidth(), 30);
    EXPECT_EQ(view->GetImageBitmap()->GetPixel24(5, 5).b, 255);
    view->RemoveAllLayers();
    EXPECT_EQ(view->GetLayerCount(), 1);
    EXPECT_TRUE(view->Layer(0).Locked);
    EXPECT_FALSE(view->Layer(0).ShowBox);
}

TEST_F(LayerListTest, AnOutsideBitmapIsShownButNotTaken)
{
    SetImage(20, 20);
    int32_t changes = 0;
    const TBitmapChangeHandle handle = view->RegisterBitmapChangeHandler([&](TObject*, bool) { ++changes; });
    auto outside = Solid(16, clGreen);
    view->AttachBitmap(outside.get());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(view->GetImageBitmap(), outside.get());
    EXPECT_FALSE(view->Layer(0).OwnsBitmap);
    view->AttachBitmap(nullptr);
    EXPECT_EQ(changes, 2);
    EXPECT_NE(view->GetImageBitmap(), outside.get());
    EXPECT_TRUE(view->Layer(0).OwnsBitmap);
    // Still whole: the view never freed it.
    EXPECT_EQ(outside->GetPixel24(15, 15).g, 128);
    view->UnregisterBitmapChangeHandler(handle);
}

TEST_F(LayerListTest, FindingALayerSkipsItsTransparentPixels)
{
    SetImage(400, 300);
    auto top = Solid(20, clRed);
    TQkBitmap& alpha = *top->GetAlphaChannel();
    alpha.FillRect(0, 0, 9, 19, 0);
    const int32_t index = view->AddLayer(std::move(top));
    view->Layer(index).Left = 50;
    view->Layer(index).Top = 50;
    Show();
    EXPECT_EQ(view->FindLayerAt(65, 60, true), index);
    EXPECT_EQ(view->FindLayerAt(52, 60, true), 0);
    view->SelectionOptions.Include(qksoSelectTranspLayers);
    EXPECT_EQ(view->FindLayerAt(52, 60, true), index);
    view->Layer(index).Selectable = false;
    EXPECT_EQ(view->FindLayerAt(65, 60, true), 0);
    EXPECT_EQ(view->FindLayerAt(65, 60, false), index);
    EXPECT_TRUE(view->IsPointInLayer(70, 70, index));
    EXPECT_FALSE(view->IsPointInLayer(71, 71, index));
}

TEST_F(LayerListTest, TheLegacySwitchKeepsPixelsAndTellsOncePerSwitch)
{
    SetImage(30, 20, RGB(1, 2, 3));
    int32_t changes = 0;
    const TBitmapChangeHandle handle = view->RegisterBitmapChangeHandler([&](TObject*, bool) { ++changes; });
    for (bool on : {false, true, false}) {
        view->SetLegacyBitmap(on);
        EXPECT_NE(view->GetImageBitmap(), nullptr);
        EXPECT_EQ(view->GetLegacyBitmap() != nullptr, on);
        EXPECT_EQ(view->GetImageBitmap()->GetPixel24(29, 19).b, 3);
    }
    EXPECT_EQ(changes, 3);
    view->SetLegacyBitmap(false);
    EXPECT_EQ(changes, 3);
    view->UnregisterBitmapChangeHandler(handle);
}

} // namespace

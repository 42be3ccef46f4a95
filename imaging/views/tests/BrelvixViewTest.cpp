#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ViewTestSupport.h"
#include "imaging/formats/async/QkIOWorkers.h"
#include "platform/core/Threads.h"
#include "platform/ui/WindowSystem.h"

namespace {

// Posts the three messages of an asynchronous load to a window.
class TPostingWorker : public TThread {
public:
    explicit TPostingWorker(HWND window) : window_(window) {}

protected:
    void Execute() override
    {
        PostMessage(window_, QKM_IOPROGRESS, 40, 0);
        PostMessage(window_, QKM_IOREFRESH, 0, 0);
        PostMessage(window_, QKM_IOFINISHWORK, 0, 0);
    }

private:
    HWND window_;
};

TEST_F(ViewTest, AWorkersMessagesRunOnTheViewsThread)
{
    Show();
    std::vector<std::string> heard;
    const std::thread::id main = std::this_thread::get_id();
    view->OnProgress = [&](TObject* sender, int32_t percent) {
        heard.push_back("progress " + std::to_string(percent) + (sender == view ? "" : " ?"));
        EXPECT_EQ(std::this_thread::get_id(), main);
    };
    view->OnFinishWork = [&](TObject*) {
        heard.push_back("finish");
        EXPECT_EQ(std::this_thread::get_id(), main);
    };
    TPostingWorker worker(view->Handle());
    worker.Start();
    worker.WaitFor();
    // The refresh lays out the image the load left.
    view->GetLegacyBitmap()->SetSize(640, 480);
    view->Passes = 0;
    Pump();
    EXPECT_EQ(heard, (std::vector<std::string>{"progress 40", "finish"}));
    EXPECT_GE(view->Passes, 1);
    EXPECT_EQ(view->Geometry().ImageWidth, 640);
}

TEST_F(ViewTest, DrawingOnTheLegacyBitmapIsTheImage)
{
    ASSERT_TRUE(view->LegacyBitmap());
    TBitmap* legacy = view->GetLegacyBitmap();
    ASSERT_NE(legacy, nullptr);
    legacy->SetSize(30, 20);
    legacy->Canvas()->FillSolidRect(Rect(0, 0, 30, 20), RGB(200, 10, 20));
    view->Update();
    TQkBitmap& image = *view->GetImageBitmap();
    EXPECT_EQ(image.GetWidth(), 30);
    EXPECT_EQ(image.GetHeight(), 20);
    const TRGBPixel pixel = image.GetPixel24(29, 19);
    EXPECT_EQ(pixel.r, 200);
    EXPECT_EQ(pixel.b, 20);

    // Out of legacy mode the image keeps its pixels in memory.
    view->SetLegacyBitmap(false);
    EXPECT_EQ(view->GetLegacyBitmap(), nullptr);
    EXPECT_EQ(view->GetImageBitmap()->GetPixel24(0, 0).g, 10);
}

TEST_F(ViewTest, ViewsInBothModesAndWithLayersGoCleanly)
{
    for (const bool legacy : {true, false}) {
        auto other = std::make_unique<TBrelvixView>(form.get());
        other->SetParent(form.get());
        other->SetLegacyBitmap(legacy);
        other->GetImageBitmap()->Allocate(64, 32, qk24RGB);
        other->AddLayer(std::make_unique<TQkBitmap>(8, 8, qk24RGB));
        other->SetLayersCurrent(1);
        bool told = false;
        other->RegisterBitmapChangeHandler([&](TObject*, bool destroying) { told = destroying; });
        form->Show();
        Pump();
        other.reset();
        EXPECT_TRUE(told) << legacy;
    }
}

TEST_F(ViewTest, BakingARotatedLayerSwapsItsSizeAndMovesItsCorner)
{
    SetImage(200, 200);
    auto bitmap = std::make_unique<TQkBitmap>(40, 20, qk24RGB);
    bitmap->Fill(128);
    const int32_t index = view->AddLayer(std::move(bitmap));
    TQkLayer& layer = view->Layer(index);
    layer.Left = 100;
    layer.Top = 100;
    layer.SetAngle(90);
    view->BakeLayerRotations(-1);
    EXPECT_EQ(layer.Angle(), 0);
    EXPECT_EQ(layer.Bitmap()->GetWidth(), 20);
    EXPECT_EQ(layer.Bitmap()->GetHeight(), 40);
    // Turned about its centre (20, 10): the box's corner moves by (10, -10).
    EXPECT_EQ(layer.Left, 110);
    EXPECT_EQ(layer.Top, 90);
    EXPECT_EQ(view->LayersCurrent(), 0);

    // A displayed size is baked into the pixels.
    layer.DisplayWidth = 60;
    view->BakeLayerSizes(index);
    EXPECT_EQ(layer.Bitmap()->GetWidth(), 60);
    EXPECT_EQ(layer.DisplayWidth, 0);
}

TEST_F(ViewTest, CroppingKeepsTheOpaquePartAndThePlace)
{
    auto bitmap = std::make_unique<TQkBitmap>(20, 10, qk24RGB);
    TQkBitmap& alpha = *bitmap->GetAlphaChannel();
    alpha.Fill(0);
    alpha.FillRect(3, 2, 7, 5, 255);
    const int32_t index = view->AddLayer(std::move(bitmap));
    view->Layer(index).Left = 7;
    view->CropLayerBorders(index);
    EXPECT_EQ(view->Layer(index).Bitmap()->GetWidth(), 5);
    EXPECT_EQ(view->Layer(index).Bitmap()->GetHeight(), 4);
    EXPECT_EQ(view->Layer(index).Left, 7);
}

class ViewKeysTest : public ViewTest {
protected:
    ViewKeysTest()
    {
        next = new TRecordingControl(form.get());
        next->SetParent(form.get());
        next->SetBounds(420, 10, 50, 50);
        view->OnKeyDown = [this](TObject*, uint16_t& key, TShiftState) { viewKeys.push_back(key); };
        view->OnVirtualKey = [this](TObject*, uint32_t key, LPARAM, bool down) {
            if (down)
                virtualKeys.push_back(key);
        };
        Show();
        Focus(*view);
    }

    TRecordingControl* next = nullptr;
    std::vector<uint16_t> viewKeys;
    std::vector<uint32_t> virtualKeys;
};

TEST_F(ViewKeysTest, ArrowsReachTheViewAndSpecialKeysGoOnUnlessHandled)
{
    Press(VK_RIGHT);
    EXPECT_EQ(viewKeys, std::vector<uint16_t>{VK_RIGHT});
    EXPECT_EQ(virtualKeys, std::vector<uint32_t>{VK_RIGHT});

    // Not handled: tab moves the focus on.
    std::vector<uint16_t> asked;
    view->OnSpecialKey = [&](TObject*, uint16_t key, TShiftState, bool&) { asked.push_back(key); };
    Press(VK_TAB);
    EXPECT_EQ(asked, std::vector<uint16_t>{VK_TAB});
    EXPECT_TRUE(next->Focused());

    // Handled: the view keeps the key.
    Focus(*view);
    view->OnSpecialKey = [](TObject*, uint16_t, TShiftState, bool& handled) { handled = true; };
    Press(VK_TAB);
    EXPECT_TRUE(view->Focused());
    EXPECT_EQ(viewKeys.back(), VK_TAB);
}

TEST_F(ViewKeysTest, AltCombinationsReachTheVirtualKeyHandler)
{
    Press('X', {VK_MENU});
    ASSERT_FALSE(virtualKeys.empty());
    EXPECT_EQ(virtualKeys.back(), static_cast<uint32_t>('X'));
}

} // namespace

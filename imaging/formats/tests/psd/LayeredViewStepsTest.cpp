// The steps that go through an image view's layers (Photoshop layers, the
// layered files), over a fake view whose layers are reader layers and
// which records the calls it gets.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../FormatsTestSupport.h"
#include "imaging/core/QkMask.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatErrors.h"
#include "imaging/formats/psd/QkLayerData.h"
#include "imaging/formats/psd/QkPsd.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/ui/WindowSystem.h"

namespace {

class TFakeLayeredView : public TQkView, public IBrelvixView {
public:
    // Records its calls in `log`, or in its own list.
    explicit TFakeLayeredView(TComponent* owner, std::vector<std::string>* log = nullptr)
        : TQkView(owner), calls(log ? *log : ownCalls)
    {
        layers.push_back(std::make_unique<TQkLayerData>());
        layers[0]->Bitmap()->Allocate(8, 8, qk24RGB);
    }
    TQkBitmap* GetImageBitmap() override { return layers[static_cast<size_t>(current)]->Bitmap(); }
    IBrelvixView* AsBrelvixView() override { return this; }
    int32_t LayersCurrent() const override { return current; }
    bool Selected() const override { return false; }
    TQkMask& SelectionMask() override { return mask; }
    const TPoint* GetSelectionPolygon() const override { return nullptr; }
    int32_t GetSelectionPolygonCount() const override { return 0; }
    int32_t GetLayerCount() const override { return static_cast<int32_t>(layers.size()); }
    IQkLayer* GetLayer(int32_t index) override { return layers[static_cast<size_t>(index)].get(); }
    void SaveSelectionToStream(TMemoryStream&) override {}
    bool LoadSelectionFromStream(TStream&, bool) override { return false; }
    void SaveLayersToStream(TMemoryStream&, int32_t) override {}
    bool LoadLayersFromStream(TStream& stream) override
    {
        calls.push_back("stream");
        return stream.Size() > 0;
    }
    void DrawBackground(TCanvas&) override {}
    void SetLegacyBitmap(bool) override {}
    void BeginUpdateLock() override {}
    void EndUpdateLockNoRefresh() override {}

    int32_t AddLayer(std::unique_ptr<TQkBitmap>) override
    {
        calls.push_back("add");
        layers.push_back(std::make_unique<TQkLayerData>());
        return GetLayerCount() - 1;
    }
    void RemoveAllLayers() override
    {
        calls.push_back("remove all");
        layers.resize(1);
        current = 0;
    }
    // The union of the layers, filled with the grey level 77.
    void FlattenLayersTo(TQkBitmap& dest) override
    {
        calls.push_back("flatten to");
        dest.Allocate(layers[0]->GetWidth(), layers[0]->GetHeight(), qk24RGB);
        dest.Fill(77);
    }
    void FlattenLayers() override
    {
        calls.push_back("flatten");
        layers.resize(1);
    }
    bool LoadLayersFromFile(const std::string& fileName) override
    {
        calls.push_back("file");
        if (!std::filesystem::exists(fileName))
            return false;
        layers[0]->Bitmap()->Allocate(3, 5, qk24RGB);
        layers[0]->Bitmap()->Fill(200);
        AddLayer(nullptr);
        return true;
    }

    std::vector<std::unique_ptr<TQkLayerData>> layers;
    std::vector<std::string> ownCalls;
    std::vector<std::string>& calls;
    int32_t current = 0;
    TQkMask mask;
};

// A read layer of `width` x `height` at (x, y), filled with `level`.
std::unique_ptr<IQkLayer> ReadLayer(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t level)
{
    auto layer = std::make_unique<TQkLayerData>();
    layer->SetPosX(x);
    layer->SetPosY(y);
    layer->Bitmap()->Allocate(width, height, qk24RGB);
    layer->Bitmap()->Fill(level);
    layer->SetName("level " + std::to_string(level));
    return layer;
}

// A Photoshop document of a 12 x 10 image whose layers are the given ones,
// written by the library's own writer.
std::string PsdWithLayers(const TQkLayerList& layers)
{
    TQkBitmap merged(12, 10, qk24RGB);
    merged.Fill(50);
    TIOParamsVals params(nullptr);
    params.SetDefaultParams();
    std::atomic<bool> aborting = false;
    TQkFilterProgress progress;
    progress.Aborting = &aborting;
    TMemoryStream stream;
    TQkWriteRequest request{stream, merged, params, progress};
    WritePsdImage(request, layers);
    return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

class LayeredViewSteps : public FormatsTest {
protected:
    void SetUp() override
    {
        InstallWindowSystem(backend);
        FormatsTest::SetUp();
        view = std::make_unique<TFakeLayeredView>(nullptr);
        io = std::make_unique<TBrelvixIO>(nullptr);
        io->SetAttachedBrelvix(view.get());
    }
    void TearDown() override
    {
        io.reset();
        view.reset();
        SetTemporaryViewFactory(nullptr);
        FormatsTest::TearDown();
        UninstallWindowSystem();
    }
    void LoadPsd(const std::string& bytes)
    {
        TMemoryStream stream;
        FillStream(stream, bytes);
        io->LoadPsdFromStream(stream);
    }
    std::string Path(const std::string& name) const { return std::string(TEST_BINARY_DIR) + "/layered-" + name; }

    THeadlessBackend backend;
    std::unique_ptr<TFakeLayeredView> view;
    std::unique_ptr<TBrelvixIO> io;
};

TEST_F(LayeredViewSteps, PhotoshopLayersReplaceOrAppendToTheViewsLayers)
{
    TQkLayerList layers;
    layers.push_back(ReadLayer(0, 0, 12, 10, 10));
    layers.push_back(ReadLayer(2, 3, 4, 4, 20));
    const std::string document = PsdWithLayers(layers);
    io->Params().PsdLoadLayers = true;
    view->AddLayer(nullptr);
    view->calls.clear();

    io->Params().PsdReplaceLayers = true;
    LoadPsd(document);
    ASSERT_FALSE(io->Aborting());
    EXPECT_EQ(view->calls, (std::vector<std::string>{"remove all", "add"}));
    ASSERT_EQ(view->GetLayerCount(), 2);
    EXPECT_EQ(view->layers[0]->Name(), "level 10");
    EXPECT_EQ(view->layers[1]->Name(), "level 20");
    EXPECT_EQ(view->layers[1]->PosX(), 2);
    EXPECT_EQ(view->layers[1]->Bitmap()->GetWidth(), 4);

    view->calls.clear();
    io->Params().PsdReplaceLayers = false;
    LoadPsd(document);
    EXPECT_EQ(view->calls, (std::vector<std::string>{"add", "add"}));
    ASSERT_EQ(view->GetLayerCount(), 4);
    EXPECT_EQ(view->layers[2]->Name(), "level 10");
    EXPECT_EQ(io->Params().FileType, ioPSD);
}

// The first read layer starts at (3, 2): a locked, transparent background
// of the document's size goes beneath it.
TEST_F(LayeredViewSteps, AnOffsetFirstLayerGetsABackgroundLayer)
{
    TQkLayerList layers;
    layers.push_back(ReadLayer(3, 2, 5, 5, 90));
    io->Params().PsdLoadLayers = true;
    LoadPsd(PsdWithLayers(layers));
    ASSERT_FALSE(io->Aborting());
    ASSERT_EQ(view->GetLayerCount(), 2);
    TQkBitmap& background = *view->layers[0]->Bitmap();
    EXPECT_EQ(background.GetWidth(), 12);
    EXPECT_EQ(background.GetHeight(), 10);
    EXPECT_EQ(background.GetAlpha(11, 9), 0);
    EXPECT_EQ(view->layers[1]->PosX(), 3);
    EXPECT_EQ(view->layers[1]->Name(), "level 90");
}

// Without layers wanted, the view's layers stay and the single layer's
// alpha channel becomes the image's, placed at the layer's position.
TEST_F(LayeredViewSteps, WithoutLayerLoadingTheSingleLayerGivesTheAlpha)
{
    TQkLayerList layers;
    layers.push_back(ReadLayer(3, 2, 5, 5, 90));
    layers.front()->Bitmap()->GetAlphaChannel()->Fill(140);
    LoadPsd(PsdWithLayers(layers));
    ASSERT_FALSE(io->Aborting());
    EXPECT_TRUE(view->calls.empty());
    TQkBitmap& image = *view->GetImageBitmap();
    EXPECT_EQ(image.GetAlpha(3, 2), 140);
    EXPECT_EQ(image.GetAlpha(7, 6), 140);
    EXPECT_EQ(image.GetAlpha(8, 6), 0);
    EXPECT_EQ(image.GetAlpha(2, 2), 0);
}

// A save with a view writes the flattening as the merged image and the
// view's layers after it.
TEST_F(LayeredViewSteps, PhotoshopSaveWritesTheFlattenedLayers)
{
    view->layers[0]->Bitmap()->Fill(10);
    view->AddLayer(nullptr);
    view->layers[1]->Bitmap()->Allocate(2, 2, qk24RGB);
    view->layers[1]->SetName("top");
    TMemoryStream stream;
    io->SavePsdToStream(stream);
    ASSERT_FALSE(io->Aborting());
    EXPECT_EQ(view->calls.back(), "flatten to");

    stream.SetPosition(0);
    TBrelvixIO reader(nullptr);
    reader.LoadPsdFromStream(stream);
    ASSERT_FALSE(reader.Aborting());
    EXPECT_EQ(reader.Bitmap()->GetWidth(), 8);
    EXPECT_EQ(reader.Bitmap()->GetScanline(7)[23], 77);
    stream.SetPosition(0);
    TQkBitmap bitmap;
    TIOParamsVals params(nullptr);
    std::atomic<bool> aborting = false;
    TQkFilterProgress progress;
    progress.Aborting = &aborting;
    TQkReadRequest request(stream, bitmap, params, progress);
    TQkLayerList read;
    ReadPsdImage(request, true, &read);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[1]->Name(), "top");
}

// Vector objects and layers with objects need the vector-object view; the
// layers file goes into the attached view, else into the registered
// temporary view, else it is not supported.
TEST_F(LayeredViewSteps, LayeredFilesGoThroughTheViews)
{
    for (const int32_t id : {ioQKV, ioALL})
        EXPECT_THROW(io->LoadLayeredFromFile(Path("any"), id), EQkFormatNotSupported) << id;

    std::ofstream(Path("layers.lyr")) << "x";
    io->LoadFromFileFormat(Path("layers.lyr"), ioLYR);
    EXPECT_FALSE(io->Aborting());
    EXPECT_EQ(view->calls, (std::vector<std::string>{"file", "add"}));
    EXPECT_EQ(io->Params().FileType, ioLYR);
    io->LoadLayeredFromFile(Path("missing.lyr"), ioLYR);
    EXPECT_TRUE(io->Aborting());

    TMemoryStream stream;
    FillStream(stream, "x");
    io->LoadLayeredFromStream(stream, ioLYR);
    EXPECT_FALSE(io->Aborting());
    EXPECT_EQ(view->calls.back(), "stream");

    TBrelvixIO alone(nullptr);
    EXPECT_THROW(alone.LoadLayeredFromFile(Path("layers.lyr"), ioLYR), EQkFormatNotSupported);
    alone.LoadLayeredFromStream(stream, ioLYR);
    EXPECT_TRUE(alone.Aborting());

    std::vector<std::string> temporaryCalls;
    SetTemporaryViewFactory([&temporaryCalls] { return std::make_unique<TFakeLayeredView>(nullptr, &temporaryCalls); });
    alone.LoadLayeredFromFile(Path("layers.lyr"), ioLYR);
    ASSERT_FALSE(alone.Aborting());
    EXPECT_EQ(temporaryCalls, (std::vector<std::string>{"file", "add", "flatten"}));
    EXPECT_EQ(alone.Bitmap()->GetWidth(), 3);
    EXPECT_EQ(alone.Bitmap()->GetScanline(4)[8], 200);
    EXPECT_EQ(alone.Params().FileType, ioLYR);
}

} // namespace

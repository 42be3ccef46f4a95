#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FormatsTestSupport.h"
#include "imaging/core/QkMask.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatErrors.h"
#include "imaging/formats/QkFormatRows.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Properties.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Font.h"
#include "platform/ui/Image.h"
#include "platform/ui/WindowSystem.h"

namespace {

// A component over a 4 x 2 image, recording its events in order, with fake
// rows that write "<id>:" and read it back.
class Component : public FormatsTest {
protected:
    void SetUp() override
    {
        InstallWindowSystem(backend);
        FormatsTest::SetUp();
        io = std::make_unique<TBrelvixIO>(nullptr);
        io->Bitmap()->Allocate(4, 2, qk24RGB);
        io->OnFinishWork = [this](TObject*) { events.push_back("finish"); };
    }
    void TearDown() override
    {
        io.reset();
        FormatsTest::TearDown();
        UninstallWindowSystem();
    }

    void FakeRow(int32_t id)
    {
        FormatRow(id).Write = [this, id](TQkWriteRequest& request) {
            events.push_back("write " + std::to_string(id));
            writtenFormat = request.Bitmap.GetPixelFormat();
            const std::string bytes = std::to_string(id) + ":";
            request.Stream.WriteBuffer(bytes.data(), int64_t(bytes.size()));
        };
        FormatRow(id).Read = [this, id](TQkReadRequest& request) {
            events.push_back("read " + std::to_string(id));
            readBudget = request.ByteBudget;
            std::string bytes(std::to_string(id).size() + 1, '\0');
            if (request.Stream.Read(bytes.data(), int64_t(bytes.size())) != int64_t(bytes.size()) ||
                bytes != std::to_string(id) + ":")
                *request.Progress.Aborting = true;
            request.Params.DpiX = 0;
            request.Params.DpiY = 72;
        };
    }

    std::string Path(const std::string& name) const { return std::string(TEST_BINARY_DIR) + "/component-" + name; }

    static std::string FileText(const std::string& path)
    {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    THeadlessBackend backend;
    std::unique_ptr<TBrelvixIO> io;
    std::vector<std::string> events;
    TQkPixelFormat writtenFormat = qkNone;
    int64_t readBudget = 0;
};

// An image view with a bitmap of its own.
class TFakeImageView : public TQkView, public IBrelvixView {
public:
    explicit TFakeImageView(TComponent* owner) : TQkView(owner), image(8, 8, qk24RGB) {}
    TQkBitmap* GetImageBitmap() override { return &image; }
    IBrelvixView* AsBrelvixView() override { return this; }
    void DoImageChange() override { ++imageChanges; }
    int32_t LayersCurrent() const override { return 0; }
    bool Selected() const override { return false; }
    TQkMask& SelectionMask() override { return mask; }
    const TPoint* GetSelectionPolygon() const override { return nullptr; }
    int32_t GetSelectionPolygonCount() const override { return 0; }
    int32_t GetLayerCount() const override { return 1; }
    IQkLayer* GetLayer(int32_t) override { return nullptr; }
    void SaveSelectionToStream(TMemoryStream&) override {}
    bool LoadSelectionFromStream(TStream&, bool) override { return false; }
    void SaveLayersToStream(TMemoryStream&, int32_t) override {}
    bool LoadLayersFromStream(TStream&) override { return false; }
    void DrawBackground(TCanvas&) override {}
    void SetLegacyBitmap(bool) override {}
    void BeginUpdateLock() override { ++updateLocks; }
    void EndUpdateLockNoRefresh() override { --updateLocks; }

    TQkBitmap image;
    TQkMask mask;
    int32_t imageChanges = 0;
    int32_t updateLocks = 0;
};

} // namespace

TEST_F(Component, SaveToFileGoesByTheExtension)
{
    FakeRow(ioJPEG);
    FakeRow(ioTGA);
    const std::pair<const char*, const char*> cases[] = {{"a.JPG", "3:"}, {"b.win", "11:"}, {"c.jpe", "3:"}};
    for (const auto& [name, content] : cases) {
        io->SaveToFile(Path(name));
        EXPECT_FALSE(io->Aborting()) << name;
        EXPECT_EQ(FileText(Path(name)), content) << name;
        EXPECT_EQ(io->Params().FileName, Path(name));
    }
    EXPECT_EQ(io->Params().FileType, ioJPEG);

    events.clear();
    io->SaveToFile(Path("d.xyz"));
    EXPECT_TRUE(io->Aborting());
    EXPECT_FALSE(std::filesystem::exists(Path("d.xyz")));
    EXPECT_EQ(events, std::vector<std::string>{"finish"});
}

// Loads and saves that cannot start still end with one OnFinishWork, so
// that a caller waiting for it is not left waiting.
TEST_F(Component, FailuresThatCannotStartFinishOnce)
{
    TStringStream unknown(std::string(64, 'q'));
    TStringStream sink;
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"LoadFromFile of no name", [&] { io->LoadFromFile(""); }},
        {"LoadFromFile of an unknown extension", [&] { io->LoadFromFile(Path("x.xyz")); }},
        {"LoadFromFile of PostScript", [&] { io->LoadFromFile(Path("x.ps")); }},
        {"LoadFromFileFormat without entry", [&] { io->LoadFromFileFormat(Path("x.bmp"), 15); }},
        {"LoadFromStream of unknown content", [&] { io->LoadFromStream(unknown); }},
        {"LoadFromStreamFormat without entry", [&] { io->LoadFromStreamFormat(unknown, 22); }},
        {"LoadFromBuffer of nil", [&] { io->LoadFromBuffer(nullptr, 10, 0); }},
        {"SaveToStream of an id without entry", [&] { io->SaveToStream(sink, 15); }},
        {"SaveToStream of a format without writer", [&] { io->SaveToStream(sink, ioCUR); }},
    };
    for (const auto& [name, operation] : cases) {
        events.clear();
        io->SetAborting(false);
        operation();
        EXPECT_TRUE(io->Aborting()) << name;
        EXPECT_EQ(events, std::vector<std::string>{"finish"}) << name;
    }
    EXPECT_EQ(unknown.Position(), 0);
    EXPECT_EQ(sink.Size(), 0);
}

TEST_F(Component, AnEmptyImageIsNotSaved)
{
    FakeRow(ioBMP);
    io->Bitmap()->FreeImage(true);
    io->SaveToFile(Path("empty.bmp"));
    EXPECT_TRUE(io->Aborting());
    EXPECT_FALSE(std::filesystem::exists(Path("empty.bmp")));
    EXPECT_EQ(events, std::vector<std::string>{"finish"});
}

TEST_F(Component, UnbuiltFormatsReportNotSupported)
{
    // A format whose reader is not built has an empty reader slot.
    FormatRow(ioRAW).Read = nullptr;
    try {
        io->LoadFromFile(Path("missing.nef"));
        FAIL() << "no error";
    } catch (const EQkFormatNotSupported& error) {
        EXPECT_STREQ(error.what(), "Camera RAW: reading is not supported in this build");
    }
    EXPECT_TRUE(io->Aborting());
    EXPECT_EQ(events, std::vector<std::string>{"finish"});

    events.clear();
    // A format whose writer is not built has an empty writer slot.
    FormatRow(ioTIFF).Write = nullptr;
    EXPECT_THROW(io->SaveToFile(Path("unbuilt.tif")), EQkFormatNotSupported);
    EXPECT_FALSE(std::filesystem::exists(Path("unbuilt.tif")));
    EXPECT_EQ(events, std::vector<std::string>{"finish"});
}

TEST_F(Component, AFilterErrorArrivesAfterOnFinishWork)
{
    FormatRow(ioBMP).Read = [this](TQkReadRequest&) {
        events.push_back("read");
        throw EReadError("decoder failed");
    };
    TStringStream stream("5:");
    try {
        io->LoadFormatFromStream(stream, ioBMP);
        FAIL() << "no error";
    } catch (const EReadError&) {
        events.push_back("caught");
    }
    EXPECT_EQ(events, (std::vector<std::string>{"read", "finish", "caught"}));
    EXPECT_FALSE(io->Aborting());
}

TEST_F(Component, LoadsRunTheCommonSteps)
{
    FakeRow(ioBMP);
    TStringStream stream("5:");
    io->Params().FileName = "old";
    io->LoadFromStreamFormat(stream, ioBMP);
    EXPECT_FALSE(io->Aborting());
    EXPECT_EQ(io->Params().FileType, ioBMP);
    EXPECT_EQ(io->Params().FileName, "");
    // A resolution below 2 takes the default; 72 stays.
    EXPECT_EQ(io->Params().DpiX, DefaultDpiX);
    EXPECT_EQ(io->Params().DpiY, 72);

    io->SaveToFile(Path("steps.bmp"));
    io->LoadFromFile(Path("steps.bmp"));
    EXPECT_FALSE(io->Aborting());
    EXPECT_EQ(io->Params().FileName, Path("steps.bmp"));
    EXPECT_EQ(events, (std::vector<std::string>{"read 5", "finish", "write 5", "finish", "read 5", "finish"}));

    // The GIF load answers the frames the reader found.
    FormatRow(ioGIF).Read = [](TQkReadRequest& request) { request.ImageCount = 3; };
    TStringStream gif("GIF89a");
    EXPECT_EQ(io->LoadGifFromStream(gif), 3);
    EXPECT_EQ(io->Params().FileType, ioGIF);
}

TEST_F(Component, StreamHeaderRoundTrip)
{
    FakeRow(ioTIFF);
    io->SetStreamHeaders(true);
    TStringStream stream("prefix");
    stream.SetPosition(6);
    io->SaveToStream(stream, ioTIFF);
    stream.WriteString("tail");
    EXPECT_EQ(stream.DataString(), "prefix" + Padded("TIFF", 8) + Bytes({2, 0, 0, 0}) + "1:tail");

    stream.SetPosition(6);
    io->LoadFromStream(stream);
    EXPECT_FALSE(io->Aborting());
    EXPECT_EQ(readBudget, 2);
    EXPECT_EQ(stream.Position(), 6 + 12 + 2);

    // Detection finds the header whatever StreamHeaders says; the load that
    // detected it skips it.
    io->SetStreamHeaders(false);
    stream.SetPosition(6);
    io->LoadFromStream(stream);
    EXPECT_FALSE(io->Aborting());
    EXPECT_EQ(stream.Position(), 6 + 12 + 2);

    // The format's own stream load keeps the property: it reads the header
    // as image data.
    stream.SetPosition(6);
    io->LoadFormatFromStream(stream, ioTIFF);
    EXPECT_TRUE(io->Aborting());

    // With the property, a stream without the header is refused.
    io->SetStreamHeaders(true);
    TStringStream bare("1:");
    io->LoadFormatFromStream(bare, ioTIFF);
    EXPECT_TRUE(io->Aborting());
}

TEST_F(Component, PcxStreamHeaders)
{
    FakeRow(ioPCX);
    io->SetStreamHeaders(true);
    TStringStream older("PCX" + std::string(1, '\0') + "4:" + std::string(20, 'x'));
    io->LoadFormatFromStream(older, ioPCX);
    EXPECT_FALSE(io->Aborting());
    EXPECT_EQ(readBudget, 22);

    TStringStream wrong("PCY2" + std::string(8, '\0') + "4:");
    io->LoadFormatFromStream(wrong, ioPCX);
    EXPECT_TRUE(io->Aborting());
}

TEST_F(Component, MultipagePcxStreamSaveKeepsWhatLiesBefore)
{
    FakeRow(ioDCX);
    TStringStream stream("before|old page data");
    stream.SetPosition(7);
    io->SaveToStream(stream, ioDCX);
    EXPECT_EQ(stream.DataString(), "before|19:");
}

TEST_F(Component, SavesConvertTheImageInPlaceWhereTheFormatAsks)
{
    FakeRow(ioJPEG);
    FakeRow(ioBMP);
    TStringStream stream;
    io->Bitmap()->Allocate(4, 2, qk16g);
    io->SaveToStream(stream, ioBMP);
    EXPECT_EQ(writtenFormat, qk16g);
    io->SaveToStream(stream, ioJPEG);
    EXPECT_EQ(writtenFormat, qk24RGB);
    EXPECT_EQ(io->Bitmap()->GetPixelFormat(), qk24RGB);
    io->Bitmap()->Allocate(4, 2, qk1g);
    io->SaveToStream(stream, ioJPEG);
    EXPECT_EQ(writtenFormat, qk1g);
}

TEST_F(Component, ExternalFormats)
{
    auto format = std::make_unique<TQkFileFormatInfo>();
    format->FileType = 100;
    format->FullName = "Test";
    format->Extensions = "TST";
    format->ReadFunction = [this](TStream& stream, TQkBitmap&, TIOParamsVals& params, bool paramsOnly,
                                  TQkFilterProgress&) {
        events.push_back(paramsOnly ? "params" : "read");
        if (stream.Size() == 0)
            throw EReadError("empty");
        params.Width = 9;
    };
    format->WriteFunction = [this](TStream& stream, TQkBitmap&, TIOParamsVals&, TQkFilterProgress&) {
        events.push_back("write");
        stream.WriteBuffer("T", 1);
    };
    format->TryFunction = [](TStream& stream, int32_t) {
        char first = 0;
        return stream.Read(&first, 1) == 1 && first == 'T';
    };
    RegisterFileFormat(std::move(format));

    io->SaveToFile(Path("ext.tst"));
    EXPECT_EQ(io->Params().FileType, 100);
    io->LoadFromFile(Path("ext.tst"));
    EXPECT_FALSE(io->Aborting());
    EXPECT_EQ(io->Params().Width, 9);
    io->ParamsFromFile(Path("ext.tst"));
    EXPECT_EQ(io->Params().FileType, 100);
    TStringStream stream("T");
    io->LoadFromStream(stream);
    EXPECT_EQ(io->Params().FileType, 100);

    // The extension's load turns the reader's error into Aborting.
    std::ofstream(Path("empty.tst")).close();
    io->LoadFromFile(Path("empty.tst"));
    EXPECT_TRUE(io->Aborting());
    EXPECT_EQ(events,
              (std::vector<std::string>{"write", "finish", "read", "finish", "params", "finish", "read", "finish",
                                        "read", "finish"}));
    UnregisterFileFormat(100);
}

TEST_F(Component, ParametersOnlyReads)
{
    io->ParamsFromFile(Path("missing.png"));
    EXPECT_EQ(io->Params().FileType, 0);
    EXPECT_TRUE(io->Aborting());
    EXPECT_EQ(io->Params().FileName, Path("missing.png"));
    EXPECT_EQ(events, std::vector<std::string>{"finish"});

    events.clear();
    io->ParamsFromBuffer(nullptr, 4, 0);
    EXPECT_TRUE(io->Aborting());
    EXPECT_TRUE(events.empty());

    // Layers hold no parameters to read: the id stays.
    const std::string bytes = "layers";
    io->ParamsFromBuffer(bytes.data(), int64_t(bytes.size()), ioLYR);
    EXPECT_EQ(io->Params().FileType, ioLYR);
    EXPECT_FALSE(io->Aborting());
    // A format whose reader is not built leaves 0.
    io->ParamsFromBuffer(bytes.data(), int64_t(bytes.size()), ioTIFF);
    EXPECT_EQ(io->Params().FileType, 0);

    // A detected stream header is skipped.
    FormatRow(ioTIFF).ReadParams = [](TQkReadRequest& request) {
        char first = 0;
        request.Stream.Read(&first, 1);
        request.Params.Width = first;
    };
    const std::string headed = Padded("TIFF", 8) + Bytes({1, 0, 0, 0}) + "Z";
    io->ParamsFromBuffer(headed.data(), int64_t(headed.size()), 0);
    EXPECT_EQ(io->Params().FileType, ioTIFF);
    EXPECT_EQ(io->Params().Width, 'Z');
}

TEST_F(Component, ResolutionSupport)
{
    TIOParamsVals& params = io->Params();
    for (const auto& [dpi, fixed] : std::vector<std::pair<int32_t, int32_t>>{{0, 300}, {1, 300}, {2, 2}}) {
        params.DpiX = dpi;
        params.DpiY = dpi;
        io->FixDefaultDpi();
        EXPECT_EQ(params.DpiX, fixed);
        EXPECT_EQ(params.DpiY, fixed);
    }

    io->Bitmap()->Allocate(200, 100, qk24RGB);
    params.Width = 200;
    params.Height = 100;
    params.DpiX = 300;
    params.DpiY = 100;
    io->AdjustDpi();
    EXPECT_EQ(io->Bitmap()->GetWidth(), 200);
    EXPECT_EQ(io->Bitmap()->GetHeight(), 300);
    EXPECT_EQ(params.Height, 300);
    EXPECT_EQ(params.DpiY, 300);
    io->AdjustDpi();
    EXPECT_EQ(io->Bitmap()->GetHeight(), 300);

    // A target beyond the decode limit keeps the image as loaded.
    params.Width = 40000;
    params.Height = 20000;
    params.DpiX = 600;
    params.DpiY = 100;
    io->SetAborting(false);
    io->AdjustDpi();
    EXPECT_TRUE(io->Aborting());
    EXPECT_EQ(io->Bitmap()->GetHeight(), 300);
}

TEST_F(Component, ImageSources)
{
    // Own bitmap.
    EXPECT_TRUE(io->OwnsBitmap());
    EXPECT_EQ(io->GetTBitmap(), nullptr);

    // A view's bitmap; its resolution follows the parameters.
    auto view = std::make_unique<TFakeImageView>(nullptr);
    io->SetAttachedBrelvix(view.get());
    EXPECT_EQ(io->Bitmap(), &view->image);
    EXPECT_FALSE(io->OwnsBitmap());
    io->Params().SetDpiX(150);
    EXPECT_EQ(view->DpiX(), 150);
    EXPECT_EQ(view->updateLocks, 0);
    // Nil is ignored while a view is attached.
    io->SetAttachedQkBitmap(nullptr);
    EXPECT_EQ(io->Bitmap(), &view->image);
    view->SetDpi(96, 96);
    view->CallBitmapChangeHandlers();
    EXPECT_EQ(io->Params().DpiY, 96);
    // A load fills the view's image, gives the view its resolution and
    // tells it the image changed.
    FakeRow(ioBMP);
    TStringStream bitmapStream("5:");
    io->LoadFromStreamFormat(bitmapStream, ioBMP);
    EXPECT_FALSE(io->Aborting());
    EXPECT_EQ(view->DpiX(), DefaultDpiX);
    EXPECT_EQ(view->DpiY(), 72);
    EXPECT_EQ(view->imageChanges, 1);
    EXPECT_EQ(view->updateLocks, 0);
    // The view goes first: the component takes a bitmap of its own.
    view.reset();
    EXPECT_EQ(io->AttachedBrelvix(), nullptr);
    EXPECT_TRUE(io->OwnsBitmap());
    ASSERT_NE(io->Bitmap(), nullptr);

    // A TImage's picture bitmap, wrapped.
    auto image = std::make_unique<TImage>(nullptr);
    image->Picture()->Bitmap()->SetSize(5, 3);
    io->SetAttachedTImage(image.get());
    EXPECT_TRUE(io->OwnsBitmap());
    EXPECT_EQ(io->AttachedTBitmap(), image->Picture()->Bitmap());
    EXPECT_EQ(io->Bitmap()->GetWidth(), 5);
    image.reset();
    EXPECT_EQ(io->AttachedTImage(), nullptr);
    EXPECT_EQ(io->AttachedTBitmap(), nullptr);

    // A caller's bitmap.
    TQkBitmap mine(2, 2, qk24RGB);
    io->SetAttachedQkBitmap(&mine);
    EXPECT_EQ(io->Bitmap(), &mine);
    EXPECT_FALSE(io->OwnsBitmap());
    io->SetAttachedQkBitmap(nullptr);
    EXPECT_EQ(io->Bitmap(), nullptr);
    // Without an image there is nothing to load into.
    events.clear();
    io->LoadFromFile(Path("x.bmp"));
    EXPECT_TRUE(events.empty());
}

TEST_F(Component, PublishedProperties)
{
    RegisterBrelvixIOClass();
    const TClassInfo& info = FindClass("TBrelvixIO");
    std::vector<std::string> names;
    for (const TPropInfo* prop : info.Properties())
        if (info.FindProperty(prop->Name) == prop && prop->Name != "Name" && prop->Name != "Tag")
            names.push_back(prop->Name);
    EXPECT_EQ(
        names,
        (std::vector<std::string>{"AttachedBrelvix", "AttachedTImage", "Background", "NativePixelFormat",
                                  "StreamHeaders", "MsgLanguage", "PreviewsParams", "PreviewFont", "DialogsMeasureUnit",
                                  "AutoAdjustDPI", "FilteredAdjustDPI", "SimplifiedParamsDialogs", "OnProgress",
                                  "OnFinishWork", "OnAcquireBitmap", "OnIOPreview", "OnDoPreviews"}));
    // The defaults are not written; changed values are.
    EXPECT_FALSE(IsStoredProp(*io, *info.FindProperty("SimplifiedParamsDialogs")));
    EXPECT_FALSE(IsStoredProp(*io, *info.FindProperty("MsgLanguage")));
    EXPECT_EQ(GetPropText(*io, "DialogsMeasureUnit"), "qkduInches");
    EXPECT_FALSE(IsStoredProp(*io, *info.FindProperty("DialogsMeasureUnit")));
    EXPECT_EQ(GetPropText(*io, "PreviewsParams"), "[]");
    SetPropText(*io, "StreamHeaders", "True");
    SetPropText(*io, "NativePixelFormat", "True");
    EXPECT_TRUE(io->StreamHeaders());
    EXPECT_TRUE(io->Params().NativePixelFormat);
    SetPropText(*io, "Background", "clRed");
    EXPECT_EQ(io->Background(), clRed);
    SetPropText(*io, "MsgLanguage", "msGerman");
    SetPropText(*io, "PreviewsParams", "[ioppApplyButton]");
    SetPropText(*io, "SimplifiedParamsDialogs", "False");
    SetPropText(*io, "PreviewFont.Size", "17");
    SetPropText(*io, "DialogsMeasureUnit", "qkduCentimeters");
    EXPECT_EQ(io->DialogsMeasureUnit(), qkduCentimeters);
    EXPECT_TRUE(IsStoredProp(*io, *info.FindProperty("DialogsMeasureUnit")));
    EXPECT_EQ(io->MsgLanguage(), msGerman);
    EXPECT_EQ(io->PreviewsParams(), TIOPreviewsParams{ioppApplyButton});
    EXPECT_FALSE(io->SimplifiedParamsDialogs());
    EXPECT_EQ(io->PreviewFont()->Size(), 17);
    EXPECT_EQ(GetPropText(*io, "MsgLanguage"), "msGerman");
    EXPECT_EQ(GetPropText(*io, "PreviewsParams"), "[ioppApplyButton]");
    EXPECT_TRUE(IsStoredProp(*io, *info.FindProperty("SimplifiedParamsDialogs")));
    EXPECT_THROW(SetPropText(*io, "MsgLanguage", "msKlingon"), EPropertyConvertError);
    // Events bound through the registry are the ones the component calls.
    int previews = 0;
    SetEventProp(*io, "OnIOPreview", std::function<void(TObject*, TForm*)>([&](TObject*, TForm*) { ++previews; }));
    SetEventProp(*io, "OnDoPreviews",
                 std::function<void(TObject*, bool&)>([](TObject*, bool& handled) { handled = true; }));
    SetEventProp(
        *io, "OnAcquireBitmap",
        std::function<void(TObject*, TQkBitmap&, bool&)>([](TObject*, TQkBitmap&, bool& handled) { handled = true; }));
    ASSERT_TRUE(io->OnIOPreview);
    io->OnIOPreview(io.get(), nullptr);
    EXPECT_EQ(previews, 1);
    EXPECT_TRUE(io->DoPreviews(1));
    // A handled acquisition leaves the component's image as it was.
    TQkBitmap acquired;
    acquired.Allocate(3, 2, qk24RGB);
    const int32_t width = io->Bitmap()->GetWidth();
    io->DoAcquireBitmap(acquired, TQkAcquiredParams{});
    EXPECT_EQ(io->Bitmap()->GetWidth(), width);
    SetEventProp(*io, "OnDoPreviews", std::any());
    EXPECT_FALSE(io->OnDoPreviews);
    TComponent owner(nullptr);
    EXPECT_NE(dynamic_cast<TBrelvixIO*>(CreateComponentByClassName("TBrelvixIO", &owner)), nullptr);
}

TEST_F(Component, ReadersAlphaMaskBecomesTheAlphaChannel)
{
    FormatRow(ioTGA).Read = [](TQkReadRequest& request) {
        request.Bitmap.Allocate(3, 1, qk24RGB);
        request.Bitmap.Fill(clRed);
        request.AlphaMask = std::make_unique<TQkMask>();
        request.AlphaMask->AllocateBits(3, 1, 8);
        request.AlphaMask->SetPixel(1, 0, 77);
    };
    TStringStream stream("targa");
    io->LoadFromStreamFormat(stream, ioTGA);
    EXPECT_EQ(io->Bitmap()->GetWidth(), 3);
    EXPECT_EQ(io->Bitmap()->GetPixelFormat(), qk24RGB);
    EXPECT_EQ(io->Bitmap()->GetPixelRGB(1, 0).r, 255);
    EXPECT_EQ(io->Bitmap()->GetAlpha(0, 0), 0);
    EXPECT_EQ(io->Bitmap()->GetAlpha(1, 0), 77);
}

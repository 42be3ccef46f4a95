#include <gtest/gtest.h>

#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/media/QkDirectShow.h"
#include "imaging/formats/scan/QkTWainParams.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/async/RecordingView.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/ui/Form.h"

namespace {

using AcquisitionObjects = FormatsTest;

TEST_F(AcquisitionObjects, TwainResetRestoresEveryValue)
{
    TQkTWainParams params(nullptr);
    params.VisibleDialog = 0;
    params.ShowSettingsOnly = 1;
    params.HeapBlocks.push_back(std::make_unique<uint8_t[]>(8));
    params.ReturnCode = 5;
    params.ConditionCode = params.TransferState = 2;
    for (TQkDoubleList* list : {&params.XResolution, &params.YResolution, &params.XScaling, &params.YScaling,
                                &params.Threshold, &params.Rotation, &params.PhysicalWidth, &params.PhysicalHeight}) {
        list->Add(3.5);
        list->UserValues[0] = 1.0;
    }
    for (TQkIntegerList* list : {&params.PixelType, &params.BitDepth, &params.Orientation, &params.Compression})
        list->Add(7);
    params.Gamma = params.Contrast = params.Brightness = 9.0;
    params.AutoFeed = params.AutoScan = params.AcquireFrameEnabled = true;
    params.BufferedTransfer = params.FeederEnabled = params.ProgressIndicator = 0;
    params.SelectedSource.fill(4);
    params.DefaultSource.fill(6);
    params.Duplex = params.PaperSize = params.Units = params.AcquireFrameUnits = params.ProtocolFlags = 3;
    params.AcquireFrameFlags.fill(1);
    params.PageCount = 12;
    params.AcquireFrameWidth = params.AcquireFrameHeight = 2.0;
    params.Manufacturer = params.ProductFamily = params.ProductName = params.Info = "x";
    params.Language = params.Country = 44;
    params.NativeTransfer.Write("abc", 3);
    params.FileTransferFormat = 2;
    params.FileTransferName = "scan.bmp";

    params.Reset();
    EXPECT_EQ(params.VisibleDialog, 1);
    EXPECT_EQ(params.ShowSettingsOnly, 0);
    EXPECT_TRUE(params.HeapBlocks.empty());
    EXPECT_EQ(params.ReturnCode, 0);
    EXPECT_EQ(params.ConditionCode + params.TransferState, 0);
    for (TQkDoubleList* list : {&params.XResolution, &params.YResolution, &params.XScaling, &params.YScaling,
                                &params.Threshold, &params.Rotation, &params.PhysicalWidth, &params.PhysicalHeight}) {
        EXPECT_EQ(list->Count(), 0);
        EXPECT_EQ(list->UserValues[0], 0.0);
    }
    for (TQkIntegerList* list : {&params.PixelType, &params.BitDepth, &params.Orientation, &params.Compression})
        EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(params.Gamma, 2.2);
    EXPECT_EQ(params.Contrast + params.Brightness, 0.0);
    EXPECT_FALSE(params.AutoFeed || params.AutoScan || params.AcquireFrameEnabled);
    EXPECT_EQ(params.BufferedTransfer + params.FeederEnabled + params.ProgressIndicator, 3);
    EXPECT_EQ(params.SelectedSource, (std::array<uint8_t, 16>{}));
    EXPECT_EQ(params.DefaultSource[15], 6);
    EXPECT_EQ(params.Duplex + params.PaperSize + params.Units + params.AcquireFrameUnits + params.ProtocolFlags, 0);
    EXPECT_EQ(params.AcquireFrameFlags, (std::array<uint8_t, 4>{}));
    EXPECT_EQ(params.PageCount, -2);
    EXPECT_EQ(params.AcquireFrameWidth, -1.0);
    EXPECT_EQ(params.AcquireFrameHeight, -1.0);
    EXPECT_EQ(params.Manufacturer + params.ProductFamily + params.ProductName + params.Info, "");
    EXPECT_EQ(params.Language, -1);
    EXPECT_EQ(params.Country, 1);
    EXPECT_EQ(params.NativeTransfer.Size(), 0);
    EXPECT_EQ(params.FileTransferFormat, 0);
    EXPECT_EQ(params.FileTransferName, "");
    EXPECT_EQ(params.Shared.SourceManager, nullptr);
}

// A component with a view that is no Brelvix view.
class AcquisitionWithView : public FormatsTest {
protected:
    void SetUp() override
    {
        InstallWindowSystem(backend);
        FormatsTest::SetUp();
        view->SetParent(form.get());
        io->SetAttachedBrelvix(view.get());
    }
    void TearDown() override
    {
        io.reset();
        view.reset();
        form.reset();
        FormatsTest::TearDown();
        UninstallWindowSystem();
    }

    THeadlessBackend backend;
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    std::unique_ptr<TRecordingView> view = std::make_unique<TRecordingView>();
    std::unique_ptr<TBrelvixIO> io = std::make_unique<TBrelvixIO>(nullptr);
};

TEST_F(AcquisitionWithView, AcquiredImagesReplaceTheImageUnlessHandled)
{
    TQkBitmap page;
    page.Allocate(7, 5, qk16g);
    bool handled = true;
    io->OnAcquireBitmap = [&](TObject*, TQkBitmap& bitmap, bool& answer) {
        EXPECT_EQ(&bitmap, &page);
        answer = handled;
    };
    io->DoAcquireBitmap(page, TQkAcquiredParams{123, 150});
    EXPECT_EQ(view->image.GetWidth(), 2);
    EXPECT_TRUE(view->imageChangeThreads.empty());
    EXPECT_NE(io->Params().DpiX, 123);

    handled = false;
    io->DoAcquireBitmap(page, TQkAcquiredParams{123, 150});
    EXPECT_EQ(view->image.GetWidth(), 7);
    EXPECT_EQ(view->image.GetPixelFormat(), qk16g);
    EXPECT_EQ(view->imageChangeThreads.size(), 1u);
    EXPECT_EQ(io->Params().DpiX, 123);
    EXPECT_EQ(io->Params().DpiY, 150);
    EXPECT_EQ(io->Params().BitsPerSample, 16);
    EXPECT_EQ(io->Params().SamplesPerPixel, 1);
}

TEST_F(AcquisitionWithView, ViewsOfAnotherClassKeepTheirResolution)
{
    view->SetDpi(72, 72);
    io->ApplyDpiToView(300, 300);
    EXPECT_EQ(view->DpiX(), 72);
}

// A capture graph that only hands its event sink to the test.
class TSinkGraph : public IQkMediaGraph {
public:
    bool Run() override { return true; }
    void Pause() override {}
    void Stop() override {}
    TQkGraphState State(int32_t) override { return gsRunning; }
    bool NativeVideoSize(int32_t&, int32_t&) override { return false; }
    bool CopyCurrentFrame(TBitmap&) override { return false; }
    void SetEventSink(IQkMediaGraphSink* value) override { sink = value; }

    IQkMediaGraphSink* sink = nullptr;
};

// The view's window hears of new frames (one at a time) and of the graph's
// events.
TEST_F(AcquisitionWithView, DirectShowNotifiesTheViewsWindow)
{
    TQkDirectShow* directShow = io->GetDirectShow();
    auto graph = std::make_unique<TSinkGraph>();
    TSinkGraph& fake = *graph;
    directShow->AttachGraph(std::move(graph));
    ASSERT_NE(fake.sink, nullptr);
    fake.sink->NewFrame();
    fake.sink->NewFrame();
    fake.sink->GraphEvent(3);
    DeliverPostedMessages();
    EXPECT_EQ(view->messages, (std::vector<TRecordedMessage>{{QKM_DSHOWNEWFRAME, 0}, {QKM_DSHOWEVENT, 3}}));
    directShow->Disconnect();
}

TEST_F(AcquisitionObjects, DirectShowIsMadeOnceWithoutAView)
{
    TBrelvixIO io(nullptr);
    TQkDirectShow* directShow = io.GetDirectShow();
    ASSERT_NE(directShow, nullptr);
    EXPECT_EQ(io.GetDirectShow(), directShow);
    EXPECT_FALSE(directShow->HasGraph());
}

} // namespace

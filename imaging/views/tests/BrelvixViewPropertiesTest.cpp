// Copying images in, the mouse-interaction set, the cursors and the
// selection stream.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/async/QkIOWorkers.h"
#include "imaging/formats/media/QkDirectShow.h"
#include "imaging/formats/media/QkMediaGraph.h"
#include "imaging/views/cursors/QkViewCursors.h"
#include "imaging/views/tests/ViewTestSupport.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace {

using enum TQkMouseInteractItem;

TEST_F(ViewTest, AssigningABitmapKeepsOneBitAndWidensTheRest)
{
    struct Case {
        TPixelFormat Format;
        TQkPixelFormat Expected;
    };
    for (const Case& c : {Case{pf1bit, qk1g}, Case{pf8bit, qk24RGB}, Case{pf24bit, qk24RGB}}) {
        TBitmap source(12, 7, c.Format);
        int32_t changes = 0;
        view->OnImageChange = [&](TObject*) { ++changes; };
        view->Assign(&source);
        EXPECT_EQ(view->GetImageBitmap()->GetPixelFormat(), c.Expected) << int(c.Format);
        EXPECT_EQ(view->GetImageBitmap()->GetWidth(), 12);
        EXPECT_EQ(changes, 1);
    }
}

TEST_F(ViewTest, TheInteractionSetIsReducedByItsFirstMatchingRule)
{
    struct Case {
        TQkMouseInteract Current, Value, Expected;
    };
    const Case cases[] = {
        {{}, {miScroll, miSelect, miMovingScroll}, {miScroll, miMovingScroll}},
        {{miScroll}, {miScroll, miSelect}, {miSelect}},
        {{}, {miSelectPolygon, miZoom}, {miSelectPolygon}},
        {{}, {miZoom, miMoveLayers}, {miZoom}},
        {{miZoom}, {miZoom, miSelectMagicWand}, {miSelectMagicWand}},
        {{}, {miRotateLayers, miResizeLayers}, {miRotateLayers}},
        {{miZoom}, {miRotateLayers, miMoveLayers, miZoom}, {miMoveLayers, miRotateLayers}},
        {{}, {miMoveLayers}, {miMoveLayers}},
        {{}, {miMoveLayers, miResizeLayers}, {miMoveLayers, miResizeLayers}},
        {{}, {miResizeLayers}, {miResizeLayers}},
    };
    for (const Case& c : cases) {
        view->SetMouseInteract(c.Current);
        view->SetMouseInteract(c.Value);
        EXPECT_EQ(view->MouseInteract().Bits(), c.Expected.Bits()) << c.Value.Bits();
        view->SetMouseInteract({});
    }
}

TEST_F(ViewTest, LeavingLayerRotationBakesTheAngles)
{
    SetImage(100, 100);
    const int32_t index = view->AddLayer(std::make_unique<TQkBitmap>(20, 10, qk24RGB));
    view->Layer(index).SetAngle(90);
    view->SetMouseInteract({miRotateLayers});
    EXPECT_EQ(view->Layer(index).Angle(), 90);
    view->SetMouseInteract({miZoom});
    EXPECT_EQ(view->Layer(index).Angle(), 0);
    EXPECT_EQ(view->Layer(index).Bitmap()->GetWidth(), 10);
}

TEST_F(ViewTest, ShiftShowsTheAddingCursorUntilReleased)
{
    Show();
    auto* window = static_cast<THeadlessWindow*>(form->NativeWindow());
    backend.MouseMove(At(*view, 20, 20));
    Pump();
    EXPECT_EQ(window->Cursor(), crViewSelect);
    EXPECT_NE(window->CursorImage(), nullptr);
    Focus(*view);
    backend.KeyDown(VK_SHIFT);
    Pump();
    EXPECT_EQ(window->Cursor(), crViewSelectAdd);
    backend.KeyUp(VK_SHIFT);
    Pump();
    EXPECT_EQ(window->Cursor(), crViewSelect);
    EXPECT_EQ(view->Cursor(), crViewSelect);
}

TEST_F(ViewTest, TheCursorHandlerMayChooseAnother)
{
    view->OnSetCursor = [](TObject*, TCursor& cursor) { cursor = crViewHand; };
    view->SetCursor(crViewZoomIn);
    EXPECT_EQ(view->Cursor(), crViewHand);
    for (TCursor c = crViewFirst; c <= crViewLast; ++c)
        ASSERT_NE(ViewCursorImage(c), nullptr) << c;
    EXPECT_EQ(ViewCursorImage(crViewLast + 1), nullptr);
}

// A graph that only exists: enough for the view to trust its video object.
class TIdleGraph : public IQkMediaGraph {
public:
    bool Run() override { return true; }
    void Pause() override {}
    void Stop() override {}
    TQkGraphState State(int32_t) override { return gsStopped; }
    bool NativeVideoSize(int32_t&, int32_t&) override { return false; }
    bool CopyCurrentFrame(TBitmap&) override { return false; }
    void SetEventSink(IQkMediaGraphSink*) override {}
};

TEST_F(ViewTest, VideoMessagesAreTakenOnlyFromTheViewsOwnVideo)
{
    Show();
    int32_t frames = 0, events = 0;
    view->OnDShowNewFrame = [&](TObject*) { ++frames; };
    view->OnDShowEvent = [&](TObject*) { ++events; };
    TQkDirectShow foreign;
    auto post = [&](uint32_t message, const void* sender) {
        view->Perform(message, 0, reinterpret_cast<LPARAM>(sender));
    };
    // Before the view made its video object, no pointer is trusted.
    post(QKM_DSHOWNEWFRAME, &foreign);
    post(QKM_DSHOWEVENT, nullptr);
    EXPECT_EQ(view->GetIO().ExistingDirectShow(), nullptr);
    TQkDirectShow& own = *view->GetIO().GetDirectShow();
    own.AttachGraph(std::make_unique<TIdleGraph>());
    post(QKM_DSHOWNEWFRAME, &foreign);
    post(QKM_DSHOWEVENT, &foreign);
    EXPECT_EQ(frames + events, 0);
    post(QKM_DSHOWNEWFRAME, &own);
    post(QKM_DSHOWEVENT, &own);
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(events, 1);
}

// ---- Selection stream ----

class SelectionStreamTest : public ViewTest {
protected:
    SelectionStreamTest()
    {
        SetImage(40, 30);
        view->SetSelectionPolygon(
            {{2, 3}, {12, 3}, {12, 9}, {2, 9}, {MaskPolygonSeparator, 0}, {20, 20}, {25, 20}, {25, 25}});
        view->ApplySelectionToMask();
    }
    std::vector<uint8_t> Saved()
    {
        TMemoryStream stream;
        view->SaveSelectionToStream(stream);
        const auto* bytes = static_cast<const uint8_t*>(stream.Memory());
        return {bytes, bytes + stream.Size()};
    }
    static bool Load(TBrelvixView& target, const std::vector<uint8_t>& bytes, int32_t mode)
    {
        TMemoryStream stream;
        stream.WriteBuffer(bytes.data(), int64_t(bytes.size()));
        stream.SetPosition(0);
        return target.LoadSelectionFromStream(stream, mode);
    }
};

TEST_F(SelectionStreamTest, ARoundTripKeepsPolygonMaskAndBounds)
{
    ASSERT_TRUE(view->Selected());
    const std::vector<uint8_t> bytes = Saved();
    // Head, eight points, tail, then 30 rows of two 32-bit words.
    EXPECT_EQ(bytes.size(), 58u + 8 * 8 + 30 * 8);
    view->Deselect();
    EXPECT_FALSE(view->Selected());
    ASSERT_TRUE(Load(*view, bytes, 0));
    EXPECT_TRUE(view->Selected());
    EXPECT_EQ(view->GetSelectionPolygonCount(), 8);
    EXPECT_EQ(view->GetSelectionPolygon()[4].X, MaskPolygonSeparator);
    EXPECT_EQ(view->SelectionPolygonBounds(), Rect(2, 3, 25, 25));
    EXPECT_EQ(view->SelectionMask().Left(), 2);
    EXPECT_EQ(view->SelectionMask().Top(), 3);
    EXPECT_TRUE(view->SelectionMask().IsPointInside(5, 5));
    EXPECT_FALSE(view->SelectionMask().IsPointInside(15, 15));
    EXPECT_EQ(Saved(), bytes);
}

TEST_F(SelectionStreamTest, ModeTwoMovesTheSelectionOntoALayerFurtherRight)
{
    const std::vector<uint8_t> bytes = Saved();
    const int32_t index = view->AddLayer(std::make_unique<TQkBitmap>(40, 30, qk24RGB));
    view->Layer(index).Left = 10;
    view->SelectableCheck = false;
    view->Deselect();
    view->SetCurrentLayer(index);
    ASSERT_TRUE(Load(*view, bytes, 2));
    EXPECT_EQ(view->SelectionMask().Left(), 0);
    EXPECT_TRUE(view->SelectionMask().IsPointInside(0, 5));
    EXPECT_TRUE(view->SelectionMask().IsPointInside(12, 22));
    EXPECT_FALSE(view->SelectionMask().IsPointInside(16, 22));
}

TEST_F(SelectionStreamTest, SwitchingLayersCarriesTheSelection)
{
    const int32_t index = view->AddLayer(std::make_unique<TQkBitmap>(40, 30, qk24RGB));
    view->Layer(index).Left = 10;
    view->SetCurrentLayer(index);
    EXPECT_TRUE(view->Selected());
    EXPECT_TRUE(view->SelectionMask().IsPointInside(0, 5));
    EXPECT_FALSE(view->PopSelection(true, 0));
}

TEST_F(SelectionStreamTest, PopOnAnEmptyStackAnswersFalse)
{
    EXPECT_FALSE(view->PopSelection(true, 0));
    view->PushSelection();
    view->Deselect();
    EXPECT_TRUE(view->PopSelection(true, 0));
    EXPECT_TRUE(view->Selected());
    EXPECT_FALSE(view->PopSelection(false, 0));
}

TEST_F(SelectionStreamTest, EveryCutAndImpossibleRecordIsRefusedUnchanged)
{
    const std::vector<uint8_t> bytes = Saved();
    auto expectUnchanged = [&](const std::vector<uint8_t>& bad, const std::string& what) {
        EXPECT_FALSE(Load(*view, bad, 0)) << what;
        EXPECT_TRUE(view->Selected()) << what;
        EXPECT_EQ(view->GetSelectionPolygonCount(), 8) << what;
        EXPECT_EQ(view->SelectionMask().Width(), 40) << what;
    };
    for (size_t length = 0; length < bytes.size(); ++length)
        expectUnchanged({bytes.begin(), bytes.begin() + std::ptrdiff_t(length)}, "cut at " + std::to_string(length));
    struct Patch {
        size_t At;
        uint8_t Value;
        const char* What;
    };
    const size_t tail = 12 + 8 * 8;
    for (const Patch& p : {Patch{11, 0x7F, "a huge point count"}, Patch{3, 0x80, "a negative width"},
                           Patch{7, 0x7F, "a huge height"}, Patch{tail + 25, 4, "4 bits per pixel"}}) {
        std::vector<uint8_t> bad = bytes;
        bad[p.At] = p.Value;
        expectUnchanged(bad, p.What);
    }
}

} // namespace

namespace {

// Inputs that once upset the loader under the fuzzer: a mode byte, then the
// record. Each loads or is refused without a crash or a huge allocation.
TEST_F(SelectionStreamTest, MalformedRecordsAreHandled)
{
    const std::filesystem::path folder = std::filesystem::path(TEST_SOURCE_DIR) / "malformed";
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        if (file.path().filename().string().rfind("selection-", 0) != 0)
            continue;
        SCOPED_TRACE(file.path().filename().string());
        std::ifstream in(file.path(), std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        ASSERT_FALSE(bytes.empty());
        Load(*view, {bytes.begin() + 1, bytes.end()}, bytes[0] % 3);
        EXPECT_EQ(view->SelectionMask().Width(), 40);
        EXPECT_EQ(view->SelectionMask().Height(), 30);
    }
}

} // namespace

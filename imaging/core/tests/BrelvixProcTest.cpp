#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>

#include "QkBitmapTestSupport.h"
#include "QkTestFolder.h"
#include "imaging/core/BrelvixProc.h"
#include "imaging/core/QkBitmapRoutines.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Properties.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/Image.h"
#include "platform/ui/WindowSystem.h"

namespace {

// An image view with a selection the undo stack can save.
class TFakeImageView : public TQkView, public IBrelvixView {
public:
    explicit TFakeImageView(TComponent* owner) : TQkView(owner) { FBitmap.Allocate(6, 5, qk24RGB); }

    TQkBitmap* GetImageBitmap() override { return &FBitmap; }
    IBrelvixView* AsBrelvixView() override { return this; }
    void DoImageChange() override { ++ImageChanges; }

    int32_t LayersCurrent() const override { return -1; }
    bool Selected() const override { return false; }
    TQkMask& SelectionMask() override { throw std::logic_error("the fake view has no mask"); }
    const TPoint* GetSelectionPolygon() const override { return nullptr; }
    int32_t GetSelectionPolygonCount() const override { return 0; }
    int32_t GetLayerCount() const override { return 0; }
    IQkLayer* GetLayer(int32_t) override { return nullptr; }
    void SaveSelectionToStream(TMemoryStream& stream) override { stream.WriteBuffer(&Selection, 1); }
    bool LoadSelectionFromStream(TStream& stream, bool) override
    {
        stream.ReadBuffer(&Selection, 1);
        return true;
    }
    void SaveLayersToStream(TMemoryStream&, int32_t) override {}
    bool LoadLayersFromStream(TStream&) override { return false; }
    void DrawBackground(TCanvas&) override {}
    void SetLegacyBitmap(bool) override {}
    void BeginUpdateLock() override {}
    void EndUpdateLockNoRefresh() override {}

    TQkBitmap FBitmap;
    uint8_t Selection = 0;
    int32_t ImageChanges = 0;
};

class BrelvixProcTest : public ::testing::Test {
protected:
    BrelvixProcTest() { TemporaryDirectory = folder.Path(); }
    ~BrelvixProcTest() override { TemporaryDirectory.clear(); }

    TestFolder folder;
    TComponent owner{nullptr};
};

TEST_F(BrelvixProcTest, DefaultsAndPublishedProperties)
{
    auto* proc = new TBrelvixProc(&owner);
    EXPECT_TRUE(proc->AutoUndo());
    EXPECT_EQ(proc->UndoLimit(), 1);
    EXPECT_EQ(proc->UndoLocation(), qkFile);
    EXPECT_TRUE(proc->AutoConvertFormat());
    EXPECT_EQ(proc->MsgLanguage(), msSystem);
    EXPECT_TRUE(proc->PreviewsParams().Contains(prppHardReset));
    EXPECT_NE(proc->Bitmap(), nullptr);
    EXPECT_FALSE(TBrelvixProc(nullptr).AutoUndo());

    RegisterBrelvixProcClass();
    const TClassInfo& info = FindClass("TBrelvixProc");
    std::vector<std::string> names;
    for (const TPropInfo* prop : info.Properties())
        if (info.FindProperty(prop->Name) == prop && prop->Name != "Name" && prop->Name != "Tag")
            names.push_back(prop->Name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"AttachedBrelvix", "AutoUndo", "Background", "OnProgress", "MsgLanguage",
                                        "PreviewsParams", "PreviewFont", "AttachedTImage", "OnPreview", "UndoLimit",
                                        "OnFinishWork", "AutoConvertFormat", "OnSaveUndo"}));
    SetPropText(*proc, "UndoLimit", "3");
    EXPECT_EQ(proc->UndoLimit(), 3);
    TComponent* created = CreateComponentByClassName("TBrelvixProc", &owner);
    EXPECT_NE(dynamic_cast<TBrelvixProc*>(created), nullptr);
}

TEST_F(BrelvixProcTest, TheLimitBoundsTheStack)
{
    for (int32_t limit : {0, 1, 3, -2}) {
        SCOPED_TRACE(limit);
        auto* proc = new TBrelvixProc(&owner);
        TQkBitmap bitmap(4, 3, qk24RGB);
        proc->AttachBitmap(&bitmap);
        proc->SetUndoLimit(limit);
        int32_t saves = 0;
        proc->OnSaveUndo = [&](TObject*, TQkUndoSource) { ++saves; };
        const int64_t files = QkBitmapFilesOpened();
        for (int32_t i = 0; i < 4; ++i)
            proc->Rotate(90, true, 0, -1);
        const int32_t kept = std::max(0, std::min(limit, 4));
        EXPECT_EQ(proc->GetUndoCount(), kept);
        EXPECT_EQ(saves, kept > 0 ? 4 : 0);
        if (kept == 0) {
            EXPECT_EQ(QkBitmapFilesOpened(), files);
            EXPECT_EQ(proc->GetUndoCaption(0), "");
        }
        delete proc;
    }
}

TEST_F(BrelvixProcTest, UndoRestoresTheNewestEntryUntilDropped)
{
    auto* proc = new TBrelvixProc(&owner);
    proc->SetUndoLimit(3);
    TQkBitmap bitmap(4, 3, qk24RGB);
    FillPattern(bitmap);
    const std::vector<uint8_t> original = RowBytes(bitmap);
    proc->AttachBitmap(&bitmap);
    proc->Resample(2, 2, rfNone);
    const std::vector<uint8_t> resampled = RowBytes(bitmap);
    proc->Rotate(90, true, 0, -1);
    EXPECT_EQ(proc->GetUndoCaption(0), "Rotate 90.00");
    EXPECT_EQ(proc->GetUndoCaption(1), "Resample 2, 2");
    EXPECT_EQ(proc->GetUndoCaption(2), "");

    proc->Undo(false);
    EXPECT_EQ(RowBytes(bitmap), resampled);
    proc->Rotate(-90, true, 0, -1);
    const std::vector<uint8_t> turned = RowBytes(bitmap);
    proc->DropLastUndo();
    proc->Undo(true);
    EXPECT_EQ(RowBytes(bitmap), resampled);
    proc->Undo(false);
    EXPECT_EQ(RowBytes(bitmap), resampled);
    EXPECT_EQ(proc->GetRedoCount(), 1);
    proc->DropLastUndo();
    proc->Undo(false);
    EXPECT_EQ(RowBytes(bitmap), original);
    EXPECT_EQ(bitmap.GetWidth(), 4);
    proc->Redo();
    EXPECT_EQ(RowBytes(bitmap), turned);
}

TEST_F(BrelvixProcTest, TinyImagesSaveNothing)
{
    auto* proc = new TBrelvixProc(&owner);
    TQkBitmap bitmap(1, 100, qk24RGB);
    proc->AttachBitmap(&bitmap);
    int32_t saves = 0;
    proc->OnSaveUndo = [&](TObject*, TQkUndoSource) { ++saves; };
    proc->SaveUndoWithCaption("x", qkuImage);
    EXPECT_EQ(saves, 0);
    proc->SaveUndo(qkuImage);
    EXPECT_EQ(saves, 1);
    proc->Rotate(90, true, 0, -1);
    EXPECT_EQ(proc->GetUndoCount(), 0);
    EXPECT_EQ(bitmap.GetWidth(), 100);

    proc->AttachBitmap(nullptr);
    EXPECT_EQ(proc->Bitmap(), nullptr);
    proc->Rotate(90, true, 0, -1);
    proc->Resample(5, 5, rfNone);
    EXPECT_EQ(saves, 1);
}

class BrelvixProcViewTest : public BrelvixProcTest {
protected:
    BrelvixProcViewTest() { InstallWindowSystem(backend); }
    ~BrelvixProcViewTest() override { UninstallWindowSystem(); }

    THeadlessBackend backend;
};

TEST_F(BrelvixProcViewTest, AttachmentsMoveTheWorkBitmap)
{
    auto* proc = new TBrelvixProc(&owner);
    proc->SetUndoLimit(3);
    TQkBitmap mine(3, 3, qk24RGB);
    proc->AttachBitmap(&mine);
    EXPECT_EQ(proc->Bitmap(), &mine);

    auto view = std::make_unique<TFakeImageView>(nullptr);
    view->SetBackground(clRed);
    proc->SetAttachedBrelvix(view.get());
    EXPECT_EQ(proc->AttachedBrelvix(), view.get());
    EXPECT_EQ(proc->Bitmap(), &view->FBitmap);
    EXPECT_EQ(proc->Background(), clRed);

    // Sources count from the oldest entry, captions from the newest.
    view->Selection = 4;
    proc->SaveUndoWithCaption("selection", qkuSelection);
    proc->Rotate(90, true, 0, -1);
    EXPECT_EQ(view->ImageChanges, 1);
    EXPECT_EQ(view->FBitmap.GetWidth(), 5);
    EXPECT_EQ(proc->GetUndoSource(0), qkuSelection);
    EXPECT_EQ(proc->GetUndoSource(1), qkuImage);
    EXPECT_EQ(proc->GetUndoSource(2), qkuUnknown);
    EXPECT_EQ(proc->GetUndoCaption(0), "Rotate 90.00");
    EXPECT_EQ(proc->GetUndoCaption(1), "selection");
    view->Selection = 0;
    proc->UndoFrom(1, false);
    EXPECT_EQ(view->Selection, 4);

    proc->AttachBitmap(nullptr);
    EXPECT_EQ(proc->AttachedBrelvix(), view.get());
    view.reset();
    EXPECT_EQ(proc->AttachedBrelvix(), nullptr);
    ASSERT_NE(proc->Bitmap(), nullptr);
    EXPECT_NE(proc->Bitmap(), &mine);
    EXPECT_TRUE(proc->Bitmap()->IsEmpty());
    EXPECT_EQ(proc->Background(), clBlack);
    EXPECT_EQ(proc->GetUndoCount(), 2);

    proc->AttachBitmap(&mine);
    proc->SetAttachedBrelvix(nullptr);
    EXPECT_NE(proc->Bitmap(), &mine);
}

// A view in legacy mode: its pixels live in a platform TBitmap.
class TFakeLegacyView : public TQkView {
public:
    explicit TFakeLegacyView(TComponent* owner) : TQkView(owner) {}
    TBitmap* GetLegacyBitmap() override { return Legacy; }

    TBitmap* Legacy = nullptr;
};

TEST_F(BrelvixProcViewTest, LegacyViewsAreWorkedOnInTheirTBitmap)
{
    auto* proc = new TBrelvixProc(&owner);
    TBitmap first(3, 2, pf24bit);
    first.ScanLine(0)[6] = 40; // pixel (2, 0)
    auto view = std::make_unique<TFakeLegacyView>(nullptr);
    view->Legacy = &first;
    proc->SetAttachedBrelvix(view.get());
    EXPECT_EQ(proc->Bitmap()->GetVclBitmap(), &first);
    proc->Rotate(90, true, 0, -1);
    EXPECT_EQ(first.Width(), 2);
    EXPECT_EQ(first.Height(), 3);
    EXPECT_EQ(first.ScanLine(0)[0], 40);

    TBitmap second(5, 5, pf24bit);
    view->Legacy = &second;
    view->CallBitmapChangeHandlers();
    EXPECT_EQ(proc->Bitmap()->GetWidth(), 5);
    proc->Resample(2, 2, rfNone);
    EXPECT_EQ(second.Width(), 2);
    EXPECT_EQ(first.Width(), 2);
}

TEST_F(BrelvixProcViewTest, ATImageIsWorkedOnInItsPictureBitmap)
{
    auto* proc = new TBrelvixProc(&owner);
    TQkBitmap mine(3, 3, qk24RGB);
    mine.Fill(0x102030);
    proc->AttachBitmap(&mine);
    auto image = std::make_unique<TImage>(nullptr);
    image->Picture()->Bitmap()->SetSize(3, 2);
    image->Picture()->Bitmap()->SetPixelFormat(pf24bit);
    image->Picture()->Bitmap()->ScanLine(0)[6] = 40; // pixel (2, 0)
    int32_t pictureChanges = 0;
    image->Picture()->OnChange = [&](TObject*) { ++pictureChanges; };

    // The caller's bitmap is left as it was, not made to wrap the picture.
    proc->SetAttachedTImage(image.get());
    EXPECT_EQ(proc->AttachedTImage(), image.get());
    EXPECT_NE(proc->Bitmap(), &mine);
    EXPECT_EQ(mine.GetWidth(), 3);
    EXPECT_EQ(proc->Bitmap()->GetVclBitmap(), image->Picture()->Bitmap());
    proc->Rotate(90, true, 0, -1);
    EXPECT_EQ(image->Picture()->Width(), 2);
    EXPECT_EQ(image->Picture()->Bitmap()->ScanLine(0)[0], 40);
    EXPECT_GT(pictureChanges, 0);

    // A new bitmap in the picture is found by the next operation.
    TBitmap other(5, 4, pf24bit);
    image->Picture()->SetGraphic(&other);
    proc->Resample(2, 2, rfNone);
    EXPECT_EQ(image->Picture()->Width(), 2);
    proc->AttachBitmap(nullptr);
    EXPECT_EQ(proc->AttachedTImage(), image.get());

    // A view clears the control and the other way round.
    auto view = std::make_unique<TFakeImageView>(nullptr);
    proc->SetAttachedBrelvix(view.get());
    EXPECT_EQ(proc->AttachedTImage(), nullptr);
    proc->SetAttachedTImage(nullptr);
    EXPECT_EQ(proc->Bitmap(), &view->FBitmap);
    EXPECT_EQ(view->FBitmap.GetWidth(), 6);
    proc->SetAttachedTImage(image.get());
    EXPECT_EQ(proc->AttachedBrelvix(), nullptr);
    EXPECT_EQ(view->FBitmap.GetWidth(), 6);

    // Nil lets the control go with its bitmap; so does freeing it.
    proc->SetAttachedTImage(nullptr);
    EXPECT_TRUE(proc->Bitmap()->IsEmpty());
    EXPECT_EQ(image->Picture()->Width(), 2);
    proc->SetAttachedTImage(image.get());
    image.reset();
    EXPECT_EQ(proc->AttachedTImage(), nullptr);
    EXPECT_TRUE(proc->Bitmap()->IsEmpty());
    proc->Resample(2, 2, rfNone);
}

// The converter's preview step on a 64 x 36 frame: copy in, halve, turn.
void PreviewStep(TBrelvixProc& proc, TQkBitmap& work, TBitmap& frame)
{
    work.CopyFromTBitmap(frame);
    proc.Resample(32, 18, rfNone);
    proc.Rotate(90, true, 0, -1);
    work.GetVclBitmap();
}

void FillFrame(TBitmap& frame, int32_t seed)
{
    for (int32_t y = 0; y < frame.Height(); ++y)
        for (int32_t x = 0; x < frame.Width() * 3; ++x)
            frame.ScanLine(y)[x] = static_cast<uint8_t>(x * 5 + y * 11 + seed * 29);
}

TEST_F(BrelvixProcTest, ThePreviewRoadKeepsOneUndoFile)
{
    auto* proc = new TBrelvixProc(&owner);
    TQkBitmap work;
    proc->AttachBitmap(&work);
    TBitmap frame(64, 36, pf24bit);
    const int64_t files = QkBitmapFilesOpened();
    TBitmap* firstShown = nullptr;
    for (int32_t seed = 0; seed < 3; ++seed) {
        SCOPED_TRACE(seed);
        FillFrame(frame, seed);
        PreviewStep(*proc, work, frame);
        TBitmap* shown = work.GetVclBitmap();
        if (!firstShown)
            firstShown = shown;
        EXPECT_EQ(shown, firstShown) << "the view keeps drawing the same TBitmap";
        ASSERT_EQ(shown->Width(), 18);
        ASSERT_EQ(shown->Height(), 32);
        for (int32_t y = 0; y < 32; ++y)
            for (int32_t x = 0; x < 18; ++x)
                ASSERT_EQ(std::memcmp(shown->ScanLine(y) + 3 * x, frame.ScanLine(2 * x) + 3 * 2 * (31 - y), 3), 0)
                    << x << "," << y;
        // The one entry is the image before the turn: the halved frame.
        ASSERT_EQ(proc->GetUndoCount(), 1);
        TQkBitmap* entry = proc->GetUndoImage(0);
        ASSERT_EQ(entry->GetWidth(), 32);
        EXPECT_EQ(entry->Location(), qkFile);
        for (int32_t y = 0; y < 18; ++y)
            for (int32_t x = 0; x < 32; ++x)
                ASSERT_EQ(std::memcmp(entry->GetScanline(y) + 3 * x, frame.ScanLine(2 * y) + 3 * 2 * x, 3), 0);
    }
    EXPECT_EQ(QkBitmapFilesOpened() - files, 1);
    EXPECT_EQ(folder.EntryCount(), 1u);
    delete proc;
    EXPECT_EQ(folder.EntryCount(), 0u);
}

TEST_F(BrelvixProcTest, WithoutAutoUndoNoFileAppears)
{
    auto* proc = new TBrelvixProc(&owner);
    proc->SetAutoUndo(false);
    TQkBitmap work;
    proc->AttachBitmap(&work);
    TBitmap frame(64, 36, pf24bit);
    FillFrame(frame, 1);
    const int64_t files = QkBitmapFilesOpened();
    PreviewStep(*proc, work, frame);
    EXPECT_EQ(QkBitmapFilesOpened(), files);
    EXPECT_EQ(folder.EntryCount(), 0u);
    EXPECT_EQ(proc->GetUndoCount(), 0);
    EXPECT_EQ(work.GetWidth(), 18);
}

} // namespace

// Resampling and turning a bitmap kept in a TBitmap store hand the new rows
// to the store; the image must be the one a bitmap in memory gets.
TEST_F(BrelvixProcTest, StoredAndMemoryImagesResampleAndTurnAlike)
{
    const std::function<void(TBrelvixProc&)> operations[] = {
        [](TBrelvixProc& proc) { proc.Resample(13, 7, rfNone); },
        [](TBrelvixProc& proc) { proc.Resample(50, 20, rfTriangle); },
        [](TBrelvixProc& proc) { proc.Resample(16, -1, rfBilinear); },
        [](TBrelvixProc& proc) { proc.Rotate(90, true, 0, -1); },
        [](TBrelvixProc& proc) { proc.Rotate(-90, false, 0, -1); },
        [](TBrelvixProc& proc) { proc.Rotate(180, true, 0, -1); },
        [](TBrelvixProc& proc) { proc.Rotate(30, true, 0, -1); },
    };
    for (const TQkPixelFormat format : {qk1g, qk8g, qk8p, qk24RGB, qk32RGB}) {
        for (size_t i = 0; i < std::size(operations); ++i) {
            SCOPED_TRACE(testing::Message() << "format " << format << ", operation " << i);
            TQkBitmap inMemory(33, 17, format);
            for (int32_t y = 0; y < 17; ++y)
                for (int32_t x = 0; x < 33 * inMemory.GetBitCount() / 8; ++x)
                    inMemory.GetScanline(y)[x] = static_cast<uint8_t>(x * 37 + y * 11);
            if (format == qk8p)
                inMemory.SetPaletteColor(5, TRGBPixel{1, 2, 3});
            if (format == qk24RGB)
                inMemory.SetAlpha(3, 4, 77);
            TQkBitmap stored;
            stored.SetLocation(qkTBitmap);
            stored.Assign(&inMemory);
            TBrelvixProc proc(nullptr);
            proc.AttachBitmap(&inMemory);
            operations[i](proc);
            proc.AttachBitmap(&stored);
            operations[i](proc);
            ASSERT_EQ(stored.Location(), qkTBitmap);
            ASSERT_EQ(stored.GetPixelFormat(), inMemory.GetPixelFormat());
            ASSERT_EQ(stored.GetWidth(), inMemory.GetWidth());
            ASSERT_EQ(stored.GetHeight(), inMemory.GetHeight());
            EXPECT_EQ(RowBytes(stored), RowBytes(inMemory));
            EXPECT_EQ(stored.GetVclBitmap()->Width(), inMemory.GetWidth());
            if (inMemory.GetPixelFormat() == qk8p) {
                TRGBPixel entry{};
                stored.GetPaletteColor(5, entry);
                EXPECT_EQ(entry.r, 3);
            }
            ASSERT_EQ(stored.HasAlphaChannel(), inMemory.HasAlphaChannel());
            if (inMemory.HasAlphaChannel()) {
                EXPECT_EQ(RowBytes(*stored.GetAlphaChannel()), RowBytes(*inMemory.GetAlphaChannel()));
            }
        }
    }
}

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FormatsTestSupport.h"
#include "imaging/core/QkSettings.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkIOPreviewsDialog.h"
#include "platform/gfx/Font.h"

namespace {

// Records what the component sets and calls, in order.
struct DialogLog {
    std::vector<std::string> calls;
    TIOParamsVals* params = nullptr;
    TQkBitmap* shown = nullptr;
    TQkPixelFormat shownFormat = qkNone;
    int32_t pagesHeight = 0;
    int32_t formHeight = 0;
    bool applyVisible = false;
    bool lockPreview = false;
    bool pagesAnswer = true;
    bool modalOk = true;
    std::string fontName;
};

class FakeDialog : public IQkIOPreviewsDialog {
public:
    explicit FakeDialog(DialogLog& log) : log_(log) {}
    void SetDefaultLockPreview(bool value) override { log_.lockPreview = value; }
    void SetApplyButtonVisible(bool value) override { log_.applyVisible = value; }
    void SetIOParams(TIOParamsVals* params) override { log_.params = params; }
    void SetSimplified(bool) override {}
    void SetPageControlHeight(int32_t height) override { log_.pagesHeight = height; }
    void SetFormHeight(int32_t height) override { log_.formHeight = height; }
    void SetBWByThreshold(bool) override {}
    void LocalizeCaptions(TMsgLanguage) override {}
    void SetFont(const TFont& font) override { log_.fontName = font.Name(); }
    void ShowSourceBitmap(TQkBitmap* bitmap) override
    {
        log_.shown = bitmap;
        if (bitmap != nullptr)
            log_.shownFormat = bitmap->GetPixelFormat();
    }
    bool SelectPages(uint16_t pages) override
    {
        log_.calls.push_back("pages " + std::to_string(pages));
        return log_.pagesAnswer;
    }
    TForm* Form() override { return nullptr; }
    bool ShowModalOk() override
    {
        log_.calls.push_back("modal");
        return log_.modalOk;
    }
    void Release() override { log_.calls.push_back("release"); }

private:
    DialogLog& log_;
};

class Previews : public FormatsTest {
protected:
    void SetUp() override
    {
        FormatsTest::SetUp();
        SetIOPreviewsDialogFactory([this](TComponent*) {
            log.calls.push_back("create");
            return std::make_unique<FakeDialog>(log);
        });
        io = std::make_unique<TBrelvixIO>(nullptr);
        io->Bitmap()->Allocate(4, 4, qk8g);
        io->OnIOPreview = [this](TObject*, TForm*) { log.calls.push_back("preview event"); };
    }
    void TearDown() override
    {
        io.reset();
        SetIOPreviewsDialogFactory(nullptr);
        FormatsTest::TearDown();
    }

    DialogLog log;
    std::unique_ptr<TBrelvixIO> io;
};

TEST_F(Previews, HandledRequestShowsNoDialogAndConvertsNothing)
{
    io->OnDoPreviews = [](TObject*, bool& handled) { handled = true; };
    EXPECT_TRUE(io->DoPreviews(1));
    EXPECT_TRUE(log.calls.empty());
    EXPECT_EQ(io->Bitmap()->GetPixelFormat(), qk8g);
}

TEST_F(Previews, GrayImageIsShownAsColourAndStaysSo)
{
    TFont font;
    font.SetName("Preview Sans");
    io->SetPreviewFont(&font);
    io->SetPreviewsParams({ioppApplyButton});
    EXPECT_TRUE(io->DoPreviews(4));
    EXPECT_EQ(log.calls, (std::vector<std::string>{"create", "pages 4", "preview event", "modal", "release"}));
    EXPECT_EQ(log.shownFormat, qk24RGB);
    EXPECT_EQ(log.shown, nullptr);
    EXPECT_EQ(io->Bitmap()->GetPixelFormat(), qk24RGB);
    EXPECT_EQ(log.params, &io->Params());
    EXPECT_TRUE(log.applyVisible);
    EXPECT_FALSE(log.lockPreview);
    EXPECT_EQ(log.fontName, "Preview Sans");

    log.modalOk = false;
    EXPECT_FALSE(io->DoPreviews(4));
}

TEST_F(Previews, BilevelImageIsNotConverted)
{
    io->Bitmap()->Allocate(4, 4, qk1g);
    io->DoPreviews(1);
    EXPECT_EQ(log.shownFormat, qk1g);
    EXPECT_EQ(io->Bitmap()->GetPixelFormat(), qk1g);
}

TEST_F(Previews, NoPageToShowAnswersFalseWithoutThePreviewEvent)
{
    log.pagesAnswer = false;
    EXPECT_FALSE(io->DoPreviews(2));
    EXPECT_EQ(log.calls, (std::vector<std::string>{"create", "pages 2", "release"}));
}

TEST_F(Previews, SimplifiedFormHeightsFollowTheScreenResolution)
{
    const int32_t savedDpi = ScreenDpiY;
    for (auto [dpi, pages, form] : {std::tuple{96, 122, 360}, std::tuple{144, 183, 540}}) {
        ScreenDpiY = dpi;
        io->DoPreviews(1);
        EXPECT_EQ(log.pagesHeight, pages) << dpi;
        EXPECT_EQ(log.formHeight, form) << dpi;
    }
    ScreenDpiY = savedDpi;
}

TEST_F(Previews, WithoutADialogNothingIsShown)
{
    SetIOPreviewsDialogFactory(nullptr);
    EXPECT_FALSE(io->DoPreviews(1));
    EXPECT_EQ(io->Bitmap()->GetPixelFormat(), qk8g);
}

} // namespace

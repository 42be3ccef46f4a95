#include "app/FrmPress.h"

#include <gtest/gtest.h>

#include "app/Messages.h"
#include "app/UnitQuorvid.h"
#include "app/tests/AppTestSupport.h"
#include "controls/TarqBmpBtn.h"
#include "controls/TarqProgressBar.h"
#include "controls/ufrmShadowFrame.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/Label.h"

namespace {

class FrmPressTest : public AppUiTest {
protected:
    FrmPressTest() { RestoreDefaultMessages(); }
    ~FrmPressTest() override
    {
        CloseProgressWindow();
        Pump();
    }
};

bool SamePixels(TBitmap& a, TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int32_t y = 0; y < a.Height(); ++y)
        for (int32_t x = 0; x < a.Width(); ++x)
            if (a.Canvas()->Pixels(x, y) != b.Canvas()->Pixels(x, y))
                return false;
    return true;
}

} // namespace

TEST_F(FrmPressTest, CreatedWithItsShapeShadowFontsAndButtonFaces)
{
    TFrmPress* window = CreateForm<TFrmPress>(nullptr);
    std::unique_ptr<TFrmPress> owner(window);
    EXPECT_EQ(window->ClientWidth(), 312);
    EXPECT_EQ(window->ClientHeight(), 112);
    EXPECT_EQ(window->FormStyle(), fsStayOnTop);
    ASSERT_TRUE(window->WindowRgn().has_value());
    EXPECT_TRUE(window->WindowRgn()->Contains(100, 50));
    EXPECT_FALSE(window->WindowRgn()->Contains(0, 0));
    EXPECT_FALSE(window->WindowRgn()->Contains(313, 50));
    ASSERT_NE(window->Shadow(), nullptr);
    EXPECT_EQ(window->Shadow()->Form(), window);
    EXPECT_EQ(window->Shadow()->ShadowColor(), static_cast<TColor>(0x808080));

    EXPECT_EQ(window->Font()->Name(), LanguageFontName);
    EXPECT_EQ(window->Font()->Size(), 9);
    for (TTarqBmpButton* button : {window->BtnPause, window->BtnCancel}) {
        EXPECT_EQ(button->Font()->Name(), LanguageFontName);
        EXPECT_EQ(button->Font()->Size(), 9);
        EXPECT_FALSE(button->Font()->Style().Contains(fsBold));
    }
    EXPECT_EQ(window->BtnPause->Caption(), "Pause");
    EXPECT_FALSE(window->BtnCancel->Enabled());
    EXPECT_TRUE(SamePixels(*window->BtnPause->Bitmaps()->Up(), *window->BtnCancel->Bitmaps()->Up()));
    EXPECT_TRUE(SamePixels(*window->BtnPause->Bitmaps()->Hot(), *window->BtnCancel->Bitmaps()->Hot()));
    EXPECT_TRUE(SamePixels(*window->BtnPause->Bitmaps()->Disabled(), *window->BtnCancel->Bitmaps()->Disabled()));
}

TEST_F(FrmPressTest, UpdatesNeedAWindowAndTheNextRunGetsANewOne)
{
    UpdateProgress(50, "a.mp4", "25FPS");
    SetProgressPercent(50);
    ShowProgressDone(1);
    EXPECT_EQ(FrmPress, nullptr);

    FrmPress = CreateForm<TFrmPress>(Application());
    ShowProgressDone(2);
    EXPECT_EQ(FrmPress->LabelOutPut->Caption(), "Completed all the tasks. (2 Error)");
    EXPECT_EQ(FrmPress->LabelOutPut->Left(), 30);
    EXPECT_EQ(FrmPress->LabelOutPut->Top(), 54);
    UpdateProgress(140, "b.mp4", "7FPS");
    EXPECT_EQ(FrmPress->LabelOutPut->Left(), 77);
    EXPECT_EQ(FrmPress->LabelOutPut->Top(), 41);
    EXPECT_TRUE(FrmPress->LabelSpeedTitle->Visible());
    EXPECT_EQ(FrmPress->LabelSpeed->Caption(), "7FPS");
    EXPECT_EQ(FrmPress->ProgressBarTotal->Percent(), 100);

    CloseProgressWindow();
    EXPECT_EQ(FrmPress, nullptr);
    Pump();
}

#include "app/MainWindowLock.h"

#include <gtest/gtest.h>

#include "app/Messages.h"
#include "app/UnitQuorvid.h"
#include "app/tests/AppTestSupport.h"
#include "controls/TarqPanel.h"
#include "controls/aa/AACtrls.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/Image.h"

namespace {

class MainWindowLockTest : public AppUiTest {
protected:
    MainWindowLockTest()
    {
        RestoreDefaultMessages();
        form.reset(CreateForm<TFrmQuorvid>(nullptr));
        form->Show();
        Pump();
    }

    std::unique_ptr<TBitmap> FaceNow()
    {
        auto bitmap =
            std::make_unique<TBitmap>(form->PanelFace->ClientWidth(), form->PanelFace->ClientHeight(), pf24bit);
        form->PanelFace->PaintTo(*bitmap->Canvas(), 0, 0);
        return bitmap;
    }

    std::unique_ptr<TFrmQuorvid> form;
};

} // namespace

TEST_F(MainWindowLockTest, StillPictureCoversThePanelsUntilUnlocked)
{
    const std::unique_ptr<TBitmap> before = FaceNow();
    LockMainWindow(*form);
    auto* lock = dynamic_cast<TImage*>(form->FindComponent("ImageLock"));
    ASSERT_NE(lock, nullptr);
    EXPECT_TRUE(lock->Visible());
    EXPECT_EQ(lock->BoundsRect(), Rect(0, 0, 834, 476));
    EXPECT_FALSE(form->PanelSource->Visible());
    EXPECT_FALSE(form->PanelOutput->Visible());
    EXPECT_FALSE(form->LabelLanguage->Enabled());
    EXPECT_FALSE(form->ImageLanguage->Enabled());

    TBitmap* picture = lock->Picture()->Bitmap();
    ASSERT_EQ(picture->Width(), before->Width());
    ASSERT_EQ(picture->Height(), before->Height());
    int32_t differences = 0;
    for (int32_t y = 0; y < picture->Height(); y += 7)
        for (int32_t x = 0; x < picture->Width(); x += 7)
            differences += picture->Canvas()->Pixels(x, y) != before->Canvas()->Pixels(x, y);
    EXPECT_EQ(differences, 0);
    // What the locked face shows is that picture.
    const std::unique_ptr<TBitmap> locked = FaceNow();
    EXPECT_EQ(locked->Canvas()->Pixels(200, 300), before->Canvas()->Pixels(200, 300));

    UnlockMainWindow(*form);
    EXPECT_FALSE(lock->Visible());
    EXPECT_TRUE(form->PanelSource->Visible());
    EXPECT_TRUE(form->PanelOutput->Visible());
    EXPECT_TRUE(form->LabelLanguage->Enabled());
    EXPECT_TRUE(form->ImageLanguage->Enabled());
}

#include "platform/ui/tests/UiTestSupport.h"

#include "engine/decode/Previewer.h"
#include "platform/gfx/Canvas.h"

namespace {

std::unique_ptr<TBitmap> Frame(int32_t width, int32_t height, TColor color)
{
    auto bitmap = std::make_unique<TBitmap>(width, height, pf32bit);
    bitmap->Canvas()->Brush()->SetColor(color);
    bitmap->Canvas()->FillRect(Rect(0, 0, width, height));
    return bitmap;
}

TPoint Offset(TPoint point, int32_t dx, int32_t dy) { return {point.X + dx, point.Y + dy}; }

using PreviewerTest = UiTest;

TEST_F(PreviewerTest, ShowsFramesInAStayOnTopToolWindow)
{
    TPreviewer previewer;
    ASSERT_TRUE(previewer.ShowFrame(*Frame(40, 30, clRed), 7, 1500000));
    TPreviewerForm* form = previewer.Form();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(form->FormStyle(), fsStayOnTop);
    EXPECT_EQ(form->BorderStyle(), bsToolWindow);
    EXPECT_EQ(form->ClientWidth(), 40);
    EXPECT_EQ(form->ClientHeight(), 30);
    EXPECT_EQ(form->Caption(), "00:00:01.500");
    EXPECT_EQ(previewer.FrameNumber(), 7);
    Pump();
    const TPoint origin = form->ClientOrigin();
    EXPECT_EQ(StorePixel(*form, origin.X - form->Left() + 5, origin.Y - form->Top() + 5), clRed);

    // Later frames keep the first frame's window size.
    ASSERT_TRUE(previewer.ShowFrame(*Frame(80, 60, clBlue), 8, INT64_MIN));
    EXPECT_EQ(form->ClientWidth(), 40);
    EXPECT_EQ(form->Caption(), "N/A");
    Pump();
    EXPECT_EQ(StorePixel(*form, origin.X - form->Left() + 5, origin.Y - form->Top() + 5), clBlue);
}

TEST_F(PreviewerTest, ClosingTheWindowEndsThePreview)
{
    TPreviewer previewer;
    ASSERT_TRUE(previewer.ShowFrame(*Frame(40, 30, clRed), 1, 0));
    previewer.Form()->Close();
    EXPECT_TRUE(previewer.Closed());
    EXPECT_FALSE(previewer.Form()->Visible());
    EXPECT_FALSE(previewer.ShowFrame(*Frame(40, 30, clRed), 2, 40000));
    EXPECT_EQ(previewer.FrameNumber(), 1);
}

TEST_F(PreviewerTest, TheWindowIsDraggedByItsPicture)
{
    TPreviewer previewer;
    ASSERT_TRUE(previewer.ShowFrame(*Frame(40, 30, clRed), 1, 0));
    TPreviewerForm* form = previewer.Form();
    const TRect before = form->BoundsRect();
    const TPoint inside = Offset(form->ClientOrigin(), 10, 10);
    backend.MouseDown(inside);
    backend.MouseMove(Offset(inside, 20, 15));
    backend.MouseUp(Offset(inside, 20, 15));
    Pump();
    EXPECT_EQ(form->Left(), before.Left + 20);
    EXPECT_EQ(form->Top(), before.Top + 15);
}

} // namespace

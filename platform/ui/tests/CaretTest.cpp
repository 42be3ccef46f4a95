#include "platform/ui/Caret.h"

#include "UiTestSupport.h"

namespace {

class CaretTest : public UiTest {
protected:
    void SetUp() override
    {
        form = MakeForm(100, 100, 200, 150);
        form->SetColor(clWhite);
        control = new TRecordingControl(form.get());
        control->SetParent(form.get());
        control->SetBounds(20, 30, 100, 50);
        control->PaintColor = RGB(10, 200, 60);
        form->Show();
        Pump();
    }

    THeadlessWindow& Native() { return *static_cast<THeadlessWindow*>(form->NativeWindow()); }
    // RGB of a pixel the desktop was last shown, in window coordinates.
    TColor Shown(int32_t x, int32_t y)
    {
        const uint8_t* p = Native().Image().ScanLine(y) + 4 * x;
        return RGB(p[2], p[1], p[0]);
    }

    static constexpr TColor Paint = RGB(10, 200, 60);
    static constexpr TColor Inverted = RGB(245, 55, 195);

    std::unique_ptr<TForm> form;
    TRecordingControl* control = nullptr;
};

TEST_F(CaretTest, ShowingCountsAndOnlyTheOwnerMayShowOrHide)
{
    CreateCaret(control->Handle(), 1, 10);
    TCaretService& caret = WindowSystem().Caret();
    EXPECT_FALSE(caret.Shown()) << "a new caret starts hidden";
    EXPECT_FALSE(ShowCaret(form->Handle()));
    EXPECT_TRUE(ShowCaret(control->Handle()));
    EXPECT_TRUE(caret.Shown());
    HideCaret(control->Handle());
    HideCaret(control->Handle());
    ShowCaret(control->Handle());
    EXPECT_FALSE(caret.Shown());
    ShowCaret(control->Handle());
    EXPECT_TRUE(caret.Shown());
    ShowCaret(control->Handle());
    HideCaret(control->Handle());
    EXPECT_FALSE(caret.Shown()) << "showing a shown caret does not bank a show";

    DestroyCaret();
    EXPECT_EQ(caret.Owner(), 0u);
    EXPECT_FALSE(ShowCaret(control->Handle()));
    EXPECT_FALSE(SetCaretPos(1, 1));
}

TEST_F(CaretTest, DrawnInvertedOverThePaintAndBlinksOnTheClock)
{
    CreateCaret(control->Handle(), 2, 10);
    SetCaretPos(5, 4);
    ShowCaret(control->Handle());
    Pump();
    // The control's client (5, 4) is window (25, 34).
    EXPECT_EQ(Shown(25, 34), Inverted);
    EXPECT_EQ(Shown(26, 43), Inverted);
    EXPECT_EQ(Shown(27, 34), Paint);
    EXPECT_EQ(Shown(25, 44), Paint);
    EXPECT_EQ(StorePixel(*form, 25, 34), Paint) << "the control's own pixels stay as it painted them";
    EXPECT_EQ(Native().CaretRect(), Rect(25, 34, 27, 44));
    EXPECT_TRUE(Native().CaretShown());

    Wait(TCaretService::BlinkMs);
    EXPECT_EQ(Shown(25, 34), Paint);
    Wait(TCaretService::BlinkMs);
    EXPECT_EQ(Shown(25, 34), Inverted);

    Wait(TCaretService::BlinkMs);
    SetCaretPos(40, 4);
    Pump();
    EXPECT_EQ(Shown(60, 34), Inverted) << "a move shows the caret at once";
    EXPECT_EQ(Shown(25, 34), Paint);

    control->Invalidate();
    Pump();
    EXPECT_EQ(Shown(60, 34), Inverted) << "a repaint under the caret keeps it";

    HideCaret(control->Handle());
    Pump();
    EXPECT_EQ(Shown(60, 34), Paint);
    EXPECT_FALSE(Native().CaretShown());
    Wait(TCaretService::BlinkMs);
    EXPECT_EQ(Shown(60, 34), Paint) << "a hidden caret does not blink";
}

TEST_F(CaretTest, ClippedToTheOwnersClientArea)
{
    CreateCaret(control->Handle(), 4, 30);
    SetCaretPos(98, 40);
    ShowCaret(control->Handle());
    Pump();
    EXPECT_EQ(Native().CaretRect(), Rect(118, 70, 120, 80));
    EXPECT_EQ(Shown(119, 79), Inverted);
    EXPECT_EQ(Shown(120, 79), RGB(255, 255, 255));
    EXPECT_EQ(Shown(119, 80), RGB(255, 255, 255));
}

TEST_F(CaretTest, GoesWithItsOwner)
{
    CreateCaret(control->Handle(), 1, 10);
    ShowCaret(control->Handle());
    Pump();
    EXPECT_EQ(Shown(20, 30), Inverted);

    delete control;
    Pump();
    EXPECT_EQ(WindowSystem().Caret().Owner(), 0u);
    EXPECT_EQ(Shown(20, 30), RGB(255, 255, 255));
    EXPECT_FALSE(Native().CaretShown());
    EXPECT_TRUE(IsRectEmpty(Native().CaretRect()));
    Wait(TCaretService::BlinkMs);
}

TEST_F(CaretTest, ANewCaretReplacesTheOldOneInAnotherWindow)
{
    auto other = MakeForm(400, 100, 100, 100);
    other->Show();
    CreateCaret(control->Handle(), 1, 10);
    ShowCaret(control->Handle());
    Pump();
    CreateCaret(other->Handle(), 1, 10);
    ShowCaret(other->Handle());
    Pump();
    EXPECT_EQ(Shown(20, 30), Paint);
    EXPECT_FALSE(Native().CaretShown());
    auto& otherNative = *static_cast<THeadlessWindow*>(other->NativeWindow());
    EXPECT_TRUE(otherNative.CaretShown());
    EXPECT_EQ(otherNative.CaretRect(), Rect(0, 0, 1, 10));
}

} // namespace

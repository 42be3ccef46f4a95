#include "UiTestSupport.h"

#include "platform/ui/HintWindow.h"

class HintTest : public UiTest {
protected:
    HintTest()
    {
        form = MakeForm(100, 100, 200, 100);
        control = new TRecordingControl(form.get());
        control->SetBounds(10, 10, 50, 30);
        control->SetParent(form.get());
        control->SetHint("Minimize");
        control->SetShowHint(true);
        form->Show();
        Pump();
    }
    void Hover() { backend.MouseMove(control->ClientToScreen({5, 5})); }
    std::unique_ptr<TForm> form;
    TRecordingControl* control = nullptr;
};

TEST_F(HintTest, HintAppearsAfterThePauseBelowTheCursorAndGoesAfterTheHidePause)
{
    Hover();
    Pump();
    backend.TestClock().AdvanceMs(499);
    Pump();
    EXPECT_EQ(Application()->HintWindow(), nullptr);
    backend.TestClock().AdvanceMs(1);
    Pump();
    THintWindow* hint = Application()->HintWindow();
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->Caption(), "Minimize");
    EXPECT_EQ(hint->Left(), 115);
    EXPECT_EQ(hint->Top(), 135);
    EXPECT_TRUE(hint->IsTopMost());
    EXPECT_EQ(WindowSystem().GetActiveWindow(), form->Handle()); // the hint takes no focus
    backend.TestClock().AdvanceMs(2500);
    Pump();
    EXPECT_EQ(Application()->HintWindow(), nullptr);
}

TEST_F(HintTest, APressCancelsAndCmHintShowCanChangeOrRefuse)
{
    Hover();
    backend.MouseDown(control->ClientToScreen({5, 5}));
    Pump();
    backend.TestClock().AdvanceMs(600);
    Pump();
    EXPECT_EQ(Application()->HintWindow(), nullptr);

    TWndMethod previous = control->WindowProc;
    bool refuse = false;
    control->WindowProc = [&](TMessage& m) {
        if (m.Msg == CM_HINTSHOW) {
            reinterpret_cast<THintInfo*>(m.LParam)->HintStr = "Changed";
            m.Result = refuse ? 1 : 0;
            return;
        }
        previous(m);
    };
    backend.MouseUp(control->ClientToScreen({5, 5}));
    backend.MouseMove({0, 0}); // away, and back
    Hover();
    Pump();
    backend.TestClock().AdvanceMs(500);
    Pump();
    ASSERT_NE(Application()->HintWindow(), nullptr);
    EXPECT_EQ(Application()->HintWindow()->Caption(), "Changed");

    refuse = true;
    backend.MouseMove({0, 0});
    Hover();
    Pump();
    backend.TestClock().AdvanceMs(500);
    Pump();
    EXPECT_EQ(Application()->HintWindow(), nullptr);
    control->WindowProc = previous;
}

TEST_F(HintTest, NoHintWithoutShowHintOrWhenHintsAreOff)
{
    control->SetShowHint(false);
    Hover();
    Pump();
    backend.TestClock().AdvanceMs(1000);
    Pump();
    EXPECT_EQ(Application()->HintWindow(), nullptr);
}

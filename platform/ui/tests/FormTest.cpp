#include "UiTestSupport.h"

#include "platform/core/Exceptions.h"
#include "platform/ui/FormResources.h"
#include "platform/ui/Screen.h"
#include "platform/ui/StandardControlsRegistration.h"

namespace {

class TOkButton : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    void Click() override
    {
        ParentForm()->SetModalResult(mrOk);
        TCustomControl::Click();
    }
};

THeadlessWindow* NativeOf(TWinControl& top) { return static_cast<THeadlessWindow*>(top.NativeWindow()); }

uint8_t AlphaAt(const TBitmap& image, int32_t x, int32_t y) { return image.ScanLine(y)[4 * x + 3]; }

} // namespace

using FormTest = UiTest;

TEST_F(FormTest, ShowModalRunsItsOwnLoopUntilAModalResultAndDisablesOtherForms)
{
    auto owner = MakeForm(0, 0, 400, 300);
    owner->Show();
    auto dialog = MakeForm(50, 50, 200, 100);
    auto* ok = new TOkButton(dialog.get());
    ok->SetBounds(10, 10, 50, 20);
    ok->SetParent(dialog.get());
    std::vector<std::string> events;
    dialog->OnShow = [&](TObject*) {
        events.push_back(owner->Enabled() ? "show/owner enabled" : "show/owner disabled");
    };
    dialog->OnClose = [&](TObject*, TCloseAction&) { events.push_back("close"); };
    dialog->OnHide = [&](TObject*) { events.push_back("hide"); };

    backend.Click({50 + 15, 50 + 15});
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_EQ(events, (std::vector<std::string>{"show/owner disabled", "close", "hide"}));
    EXPECT_FALSE(dialog->Visible());
    EXPECT_TRUE(owner->Enabled());
}

TEST_F(FormTest, ShowModalEndsWithCancelWhenClosedAndRefusesWhileVisible)
{
    auto dialog = MakeForm();
    backend.PressKey(VK_ESCAPE); // nothing takes Escape
    dialog->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) {
        if (key == VK_ESCAPE)
            dialog->Close();
    };
    dialog->SetKeyPreview(true);
    EXPECT_EQ(dialog->ShowModal(), mrCancel);

    dialog->Show();
    EXPECT_THROW(dialog->ShowModal(), EInvalidOperation);
}

TEST_F(FormTest, AModalLoopWithNothingLeftToWaitForFailsInsteadOfHanging)
{
    auto dialog = MakeForm();
    EXPECT_THROW(dialog->ShowModal(), EInvalidOperation);
    EXPECT_FALSE(dialog->Visible());
}

TEST_F(FormTest, CloseQueryCanRefuseAndOnCloseChoosesTheAction)
{
    auto form = MakeForm();
    form->Show();
    bool allow = false;
    form->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = allow; };
    form->Close();
    EXPECT_TRUE(form->Visible());
    allow = true;
    form->OnClose = [](TObject*, TCloseAction& action) { action = caMinimize; };
    form->Close();
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(form->WindowState(), wsMinimized);
    EXPECT_EQ(NativeOf(*form)->State(), TNativeWindowState::Minimized);
}

TEST_F(FormTest, StayOnTopFormsRemainAboveNormalFormsWhateverIsActivated)
{
    auto normalA = MakeForm(0, 0, 100, 100);
    auto topMost = MakeForm(10, 10, 100, 100);
    topMost->SetFormStyle(fsStayOnTop);
    auto normalB = MakeForm(20, 20, 100, 100);
    topMost->Show();
    normalA->Show();
    normalB->Show();
    normalA->Show(); // brought to front among the normal forms
    Pump();
    auto stack = backend.Stack();
    ASSERT_EQ(stack.size(), 3u);
    EXPECT_EQ(stack[0], NativeOf(*normalB));
    EXPECT_EQ(stack[1], NativeOf(*normalA));
    EXPECT_EQ(stack[2], NativeOf(*topMost));
    EXPECT_EQ(WindowSystem().TopLevelOrder().back(), topMost->Handle());
    // A click where they overlap reaches the stay-on-top form.
    EXPECT_EQ(TopLevelAt({50, 50}), topMost.get());

    topMost->SetFormStyle(fsNormal);
    normalB->Show();
    EXPECT_EQ(backend.Stack().back(), NativeOf(*normalB));
}

TEST_F(FormTest, AlphaBlendRegionAndTransparentColourShapeWhatTheDesktopShows)
{
    auto form = MakeForm(10, 10, 40, 30);
    form->SetColor(clRed);
    form->SetAlphaBlend(true);
    form->SetAlphaBlendValue(128);
    form->SetWindowRgn(TRegion::RoundRect(0, 0, 40, 30, 9, 9));
    form->Show();
    Pump();
    const TBitmap& image = NativeOf(*form)->Image();
    EXPECT_EQ(AlphaAt(image, 0, 0), 0); // cut off by the rounded corner
    EXPECT_EQ(AlphaAt(image, 20, 15), 128); // blended
    auto screen = backend.ScreenImage(clWhite);
    const uint8_t* p = screen->ScanLine(25) + 4 * 30;
    EXPECT_EQ(p[2], 255); // red stays
    EXPECT_NEAR(p[1], 127, 1); // half of the white shows through
    const uint8_t* corner = screen->ScanLine(10) + 4 * 10;
    EXPECT_EQ(RGB(corner[2], corner[1], corner[0]), clWhite);
    // Clicks outside the region pass by.
    EXPECT_EQ(TopLevelAt({10, 10}), nullptr);
    EXPECT_EQ(TopLevelAt({30, 25}), form.get());

    form->SetAlphaBlend(false);
    form->SetTransparentColor(true);
    form->SetTransparentColorValue(clRed);
    Pump();
    EXPECT_EQ(AlphaAt(NativeOf(*form)->Image(), 20, 15), 0);
}

TEST_F(FormTest, DraggingByTheCaptionCommandMovesTheBorderlessForm)
{
    auto form = MakeForm(100, 100, 200, 100);
    std::vector<TPoint> movesSeen;
    form->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int32_t, int32_t) {
        ReleaseCapture();
        form->Perform(WM_SYSCOMMAND, SC_DRAGMOVE);
    };
    form->Show();
    backend.MouseDown({110, 105});
    backend.MouseMove({150, 125});
    backend.MouseMove({160, 145});
    backend.MouseUp({160, 145});
    backend.MouseMove({300, 300});
    Pump();
    EXPECT_EQ(form->BoundsRect(), Bounds(150, 140, 200, 100));
    EXPECT_EQ(NativeOf(*form)->Bounds(), Bounds(150, 140, 200, 100));
    EXPECT_EQ(GetCapture(), 0u);
}

// A top-level window is limited in size like a desktop window, so its
// backing store can always be allocated; its children may be any size.
TEST_F(FormTest, AnOversizedFormIsLimitedAndStillShowsAndPaints)
{
    RegisterStandardControls();
    TForm form(nullptr);
    ReadComponentText(&form,
                      "object F: TForm\n  Width = 2000000000\n  Height = 40\n  Color = clRed\n"
                      "  object E: TEdit\n    Left = 20\n    Width = 2000000000\n  end\nend\n",
                      &form.Handlers());
    form.Show();
    Pump();
    EXPECT_EQ(form.Width(), 16384);
    EXPECT_EQ(form.BackingStore()->Width(), 16384);
    EXPECT_EQ(form.Controls(0)->Width(), 2000000000);
    const TRect client = form.ClientToWindow(Rect(5, 5, 6, 6));
    EXPECT_EQ(StorePixel(form, client.Left, client.Top), clRed);
    form.SetBounds(0, 0, 100, 2000000000);
    EXPECT_EQ(form.Height(), 16384);
}

TEST_F(FormTest, PositionCentresOnTheWorkAreaOrTheMainForm)
{
    auto form = MakeForm(0, 0, 200, 100);
    form->SetPosition(poScreenCenter);
    form->Show();
    TRect area = Screen()->WorkAreaRect();
    EXPECT_EQ(form->Left(), (area.Width() - 200) / 2);
    EXPECT_EQ(form->Top(), (area.Height() - 100) / 2);

    Application()->SetMainForm(form.get());
    auto child = MakeForm(0, 0, 100, 50);
    child->SetPosition(poMainFormCenter);
    child->Show();
    EXPECT_EQ(child->Left(), form->Left() + 50);
    EXPECT_EQ(child->Top(), form->Top() + 25);
    Application()->SetMainForm(nullptr);
}

TEST_F(FormTest, ActivatingAFormFocusesItsActiveControlAndDestroyingItClearsFocus)
{
    auto form = MakeForm();
    std::vector<std::string> log;
    auto* edit = new TRecordingControl(form.get(), &log, "edit");
    edit->SetParent(form.get());
    form->SetActiveControl(edit);
    form->Show();
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(Screen()->ActiveForm(), form.get());
    delete edit;
    EXPECT_EQ(form->ActiveControl(), nullptr);
    EXPECT_EQ(GetFocus(), form->Handle());
}

TEST_F(FormTest, MinimisedByTheDesktopTheFormLearnsItsNewState)
{
    auto form = MakeForm();
    form->Show();
    std::vector<uint32_t> flags;
    TWndMethod previous = form->WindowProc;
    form->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_WINDOWPOSCHANGING)
            flags.push_back(reinterpret_cast<TWindowPos*>(m.LParam)->flags);
        previous(m);
    };
    backend.MinimizeByDesktop(form->NativeWindow());
    Pump();
    EXPECT_EQ(form->WindowState(), wsMinimized);
    EXPECT_EQ(flags.size(), 1u); // hooks on the window procedure hear of it
    form->WindowProc = previous;
}

namespace {
class TLayered : public TWinControl {
public:
    using TWinControl::TWinControl;

protected:
    void CreateParams(TCreateParams& params) override
    {
        TWinControl::CreateParams(params);
        params.Style = WS_POPUP;
        params.ExStyle |= WS_EX_LAYERED | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW;
    }
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == WM_NCHITTEST) {
            message.Result = HTTRANSPARENT;
            return;
        }
        TWinControl::Dispatch(message);
    }
};
} // namespace

TEST_F(FormTest, LayeredWindowsShowTheirPerPixelAlphaImageAndLetClicksThrough)
{
    auto below = MakeForm(0, 0, 100, 100);
    below->SetColor(clBlue);
    below->Show();
    TLayered shadow(nullptr);
    shadow.SetBounds(10, 10, 1, 1);
    TBitmap image(4, 2, pf32bit);
    for (int32_t x = 0; x < 4; ++x) {
        uint8_t alpha = static_cast<uint8_t>(x * 85); // 0, 85, 170, 255
        uint8_t* p = image.ScanLine(0) + 4 * x;
        p[0] = p[1] = p[2] = 0; // black, premultiplied
        p[3] = alpha;
        uint8_t* q = image.ScanLine(1) + 4 * x;
        q[0] = q[1] = q[2] = alpha; // white, premultiplied
        q[3] = alpha;
    }
    shadow.Show();
    shadow.UpdateLayered(image, 255);
    EXPECT_EQ(shadow.Width(), 4);
    Pump();
    auto* native = static_cast<THeadlessWindow*>(shadow.NativeWindow());
    EXPECT_TRUE(native->Params().PerPixelAlpha);
    EXPECT_EQ(native->Image().ScanLine(1)[4 * 2 + 2], 255); // white again after un-premultiplying
    EXPECT_EQ(native->Image().ScanLine(0)[4 * 2 + 3], 170);
    auto screen = backend.ScreenImage();
    const uint8_t* p = screen->ScanLine(10) + 4 * 12; // 170 of black over blue
    EXPECT_NEAR(p[0], 85, 1);
    EXPECT_EQ(TopLevelAt({11, 10}), below.get());
    EXPECT_THROW(below->UpdateLayered(image, 255), EInvalidOperation);
}

TEST_F(FormTest, AWindowPlacedBehindAnotherStaysDirectlyBelowIt)
{
    auto back = MakeForm(0, 0, 100, 100);
    auto front = MakeForm(10, 10, 100, 100);
    back->Show();
    front->Show();
    TLayered shadow(nullptr);
    shadow.SetBounds(0, 0, 10, 10);
    shadow.Show(); // on top of everything at first
    ASSERT_TRUE(SetWindowPos(shadow.Handle(), front->Handle(), -6, -6, 132, 132, SWP_NOACTIVATE));
    EXPECT_EQ(shadow.BoundsRect(), Rect(-6, -6, 126, 126));
    const auto& order = WindowSystem().TopLevelOrder();
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[1], shadow.Handle());
    EXPECT_EQ(order[2], front->Handle());
    EXPECT_EQ(backend.Stack()[1], shadow.NativeWindow());
    EXPECT_FALSE(SetWindowPos(999999, 0, 0, 0, 0, 0, 0));
}

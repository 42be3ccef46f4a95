#include "UiTestSupport.h"

#include "platform/ui/Edit.h"
#include "platform/ui/StdCtrls.h"

namespace {

// A window-less control that fills itself and records its paints.
class TSwatch : public TGraphicControl {
public:
    TSwatch(TComponent* owner, std::vector<std::string>& log, std::string name, TColor fill, bool opaque)
        : TGraphicControl(owner), log_(log), name_(std::move(name)), fill_(fill)
    {
        if (opaque)
            SetControlStyle(ControlStyle() | csOpaque);
    }

protected:
    void Paint() override
    {
        log_.push_back(name_ + ".paint");
        Canvas()->Brush()->SetColor(fill_);
        Canvas()->FillRect(Rect(0, 0, Width(), Height()));
    }

private:
    std::vector<std::string>& log_;
    std::string name_;
    TColor fill_;
};

// Counts how often the window system asks whether it shows.
class TNestedWindow : public TRecordingControl {
public:
    TNestedWindow(TComponent* owner, std::vector<std::string>* log, int* showingQueries)
        : TRecordingControl(owner, log), showingQueries_(showingQueries)
    {}
    bool Showing() const override
    {
        ++*showingQueries_;
        return TRecordingControl::Showing();
    }

private:
    int* showingQueries_;
};

// Runs a hook before painting and notes whether an area showed to its paint.
class THookedWindow : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::function<void()> BeforePaint;
    TRect Probe;
    bool ProbeVisible = false;

protected:
    void Paint() override
    {
        if (BeforePaint)
            BeforePaint();
        ProbeVisible = Canvas()->RectVisible(Probe);
    }
};

} // namespace

class PaintingTest : public UiTest {
protected:
    PaintingTest()
    {
        form = MakeForm(50, 60, 120, 100);
        form->SetColor(clWhite);
        panel = new TRecordingControl(form.get(), &log, "panel");
        panel->SetParent(form.get());
        panel->SetBounds(10, 10, 60, 40);
        panel->PaintColor = clBlue;
        form->Show();
        Pump();
        log.clear();
    }
    std::vector<std::string> log;
    std::unique_ptr<TForm> form;
    TRecordingControl* panel = nullptr;
};

TEST_F(PaintingTest, ShownFormPaintsBackgroundThenChildIntoTheBackingStore)
{
    EXPECT_EQ(StorePixel(*form, 5, 5), clWhite);
    EXPECT_EQ(StorePixel(*form, 10, 10), clBlue);
    EXPECT_EQ(StorePixel(*form, 69, 49), clBlue);
    EXPECT_EQ(StorePixel(*form, 70, 50), clWhite);
    // The desktop shows what was painted, at the form's position.
    auto screen = backend.ScreenImage();
    const uint8_t* p = screen->ScanLine(60 + 10) + 4 * (50 + 10);
    EXPECT_EQ(RGB(p[2], p[1], p[0]), clBlue);
}

TEST_F(PaintingTest, InvalidateErasesThenPaintsOnlyOnceAfterSeveralRequests)
{
    panel->Invalidate();
    panel->Invalidate();
    panel->InvalidateClientRect(Rect(0, 0, 5, 5), false);
    EXPECT_TRUE(log.empty()); // painting waits for the loop
    Pump();
    EXPECT_EQ(log, (std::vector<std::string>{"panel.erase", "panel.paint"}));
}

TEST_F(PaintingTest, InvalidateRectWithoutEraseSkipsTheBackgroundAndPaintsOnlyThatArea)
{
    panel->PaintColor = clYellow;
    panel->InvalidateClientRect(Rect(0, 0, 10, 10), false);
    Pump();
    EXPECT_EQ(log, (std::vector<std::string>{"panel.paint"}));
    EXPECT_EQ(StorePixel(*form, 10, 10), clYellow);
    EXPECT_EQ(StorePixel(*form, 19, 19), clYellow);
    EXPECT_EQ(StorePixel(*form, 20, 20), clBlue); // outside the update region
}

TEST_F(PaintingTest, UpdatePaintsAtOnceAndRepaintIsInvalidatePlusUpdate)
{
    panel->Invalidate();
    panel->Update();
    EXPECT_EQ(log.size(), 2u);
    panel->Repaint();
    EXPECT_EQ(log.size(), 4u);
}

TEST_F(PaintingTest, WindowlessChildrenPaintAfterTheParentAndOpaqueOnesAreClippedFromIt)
{
    auto* clear = new TSwatch(form.get(), log, "clear", clRed, false);
    clear->SetBounds(80, 10, 20, 20);
    clear->SetParent(form.get());
    auto* opaque = new TSwatch(form.get(), log, "opaque", clGreen, true);
    opaque->SetBounds(85, 15, 20, 20);
    opaque->SetParent(form.get());
    std::vector<std::string> formPaints;
    form->OnPaint = [&](TObject*) {
        log.push_back("form.paint");
        // The form paints black everywhere; the opaque child keeps its area.
        form->Canvas()->Brush()->SetColor(clBlack);
        form->Canvas()->FillRect(form->ClientRect());
    };
    form->Invalidate();
    Pump();
    EXPECT_EQ(log, (std::vector<std::string>{"form.paint", "clear.paint", "opaque.paint"}));
    EXPECT_EQ(StorePixel(*form, 81, 11), clRed);
    EXPECT_EQ(StorePixel(*form, 90, 20), clGreen);
    EXPECT_EQ(StorePixel(*form, 104, 34), clGreen);
    EXPECT_EQ(StorePixel(*form, 110, 5), clBlack);
    // Child windows are clipped out of their parent's paint.
    EXPECT_EQ(StorePixel(*form, 30, 30), clBlue);
}

TEST_F(PaintingTest, HidingAChildWindowRepaintsWhatWasUnderIt)
{
    panel->Hide();
    Pump();
    EXPECT_EQ(StorePixel(*form, 30, 30), clWhite);
    panel->Show();
    Pump();
    EXPECT_EQ(StorePixel(*form, 30, 30), clBlue);
}

TEST_F(PaintingTest, PaintToDrawsControlAndChildrenAtAnOffsetOfAnyCanvas)
{
    auto* swatch = new TSwatch(form.get(), log, "swatch", clGreen, false);
    swatch->SetBounds(1, 1, 3, 3);
    swatch->SetParent(panel);
    TBitmap target(80, 60, pf32bit);
    TCanvas canvas(&target);
    panel->PaintTo(canvas, 5, 7);
    EXPECT_EQ(canvas.Pixels(4, 6), clWhite); // untouched
    EXPECT_EQ(canvas.Pixels(5, 7), clBlue);
    EXPECT_EQ(canvas.Pixels(6, 8), clGreen);
    EXPECT_EQ(canvas.Pixels(64, 46), clBlue);
    EXPECT_EQ(canvas.Pixels(65, 47), clWhite);
}

TEST_F(PaintingTest, CanvasOutsideThePaintPassDrawsIntoTheWindowOnly)
{
    TCanvas* canvas = panel->Canvas();
    canvas->Brush()->SetColor(clLime);
    canvas->FillRect(Rect(-50, -50, 500, 500));
    EXPECT_EQ(StorePixel(*form, 10, 10), clLime);
    EXPECT_EQ(StorePixel(*form, 9, 9), clWhite);
    EXPECT_EQ(StorePixel(*form, 70, 50), clWhite);
}

TEST_F(PaintingTest, ZOrderDecidesWhichSiblingWindowShows)
{
    auto* over = new TRecordingControl(form.get(), &log, "over");
    over->PaintColor = clGreen;
    over->SetBounds(40, 20, 50, 50); // overlaps the panel at (40..69, 20..49)
    over->SetParent(form.get());
    Pump();
    EXPECT_EQ(StorePixel(*form, 50, 30), clGreen);
    panel->BringToFront();
    Pump();
    EXPECT_EQ(StorePixel(*form, 50, 30), clBlue);
    panel->SendToBack();
    Pump();
    EXPECT_EQ(StorePixel(*form, 50, 30), clGreen);
}

TEST_F(PaintingTest, WindowIdFormsReachTheControl)
{
    HWND id = panel->Handle();
    EXPECT_TRUE(InvalidateRect(id, nullptr, false));
    EXPECT_TRUE(UpdateWindow(id));
    EXPECT_EQ(log, std::vector<std::string>{"panel.paint"});
    EXPECT_TRUE(IsWindowVisible(id));
    EXPECT_TRUE(EnableWindow(id, false));
    EXPECT_FALSE(IsWindowEnabled(id));
    EXPECT_FALSE(panel->Enabled());
    EXPECT_FALSE(InvalidateRect(123456789, nullptr, true));
}

// Showing a window asked each window below it, at every level, whether it
// showed and invalidated its subtree again: cubic work in the depth. Now
// the tree follows its top window in one pass and each window paints once.
TEST_F(UiTest, ShowingDeeplyNestedWindowsVisitsEachWindowOnce)
{
    constexpr int Depth = 300;
    std::vector<std::string> log;
    int showingQueries = 0;
    auto form = MakeForm(0, 0, Depth + 100, 150);
    TWinControl* parent = form.get();
    TNestedWindow* innermost = nullptr;
    for (int i = 0; i < Depth; ++i) {
        innermost = new TNestedWindow(form.get(), &log, &showingQueries);
        innermost->SetBounds(1, 0, Depth + 99 - i, 150); // a column of each stays in sight
        innermost->SetParent(parent);
        innermost->PaintColor = clBlue;
        parent = innermost;
    }
    innermost->PaintColor = clRed;
    showingQueries = 0;
    form->Show();
    Pump();
    EXPECT_LE(showingQueries, Depth);
    EXPECT_EQ(std::count(log.begin(), log.end(), "paint"), Depth);
    EXPECT_EQ(StorePixel(*form, Depth - 1, 100), clBlue);
    EXPECT_EQ(StorePixel(*form, Depth, 100), clRed);
    EXPECT_TRUE(innermost->Showing());
}

// The paint pass works out each window's place and clip from its parent's;
// a paint handler that moves a window over one not yet painted must not
// leave that one painting over the window moved.
TEST_F(UiTest, APaintHandlerMovingAWindowOverALaterOneTakesEffectInTheSamePass)
{
    auto form = MakeForm(0, 0, 300, 100);
    auto* holder = new TCustomControl(form.get());
    holder->SetBounds(0, 0, 100, 50);
    holder->SetParent(form.get());
    auto* first = new THookedWindow(form.get());
    first->SetBounds(0, 0, 50, 50);
    first->SetParent(holder);
    auto* second = new THookedWindow(form.get());
    second->SetBounds(50, 0, 50, 50);
    second->SetParent(holder);
    second->Probe = Rect(12, 12, 28, 28);
    auto* cover = new TCustomControl(form.get());
    cover->SetBounds(200, 0, 30, 30);
    cover->SetParent(form.get());
    first->BeforePaint = [&] { cover->SetBounds(60, 10, 20, 20); };
    form->Show();
    Pump();
    EXPECT_FALSE(second->ProbeVisible);
}

// Like the class library: a control takes its parent's colour until it is
// given one; the standard controls that have their own colour keep it.
TEST_F(PaintingTest, ControlsTakeTheirParentsColourUnlessTheyHaveTheirOwn)
{
    auto* plain = new TCustomControl(form.get());
    auto* edit = new TEdit(form.get());
    auto* button = new TButton(form.get());
    for (TControl* control : std::initializer_list<TControl*>{plain, edit, button})
        control->SetParent(form.get());
    EXPECT_TRUE(plain->ParentColor());
    EXPECT_EQ(plain->Color(), clWhite);
    form->SetColor(clYellow);
    EXPECT_EQ(plain->Color(), clYellow);
    EXPECT_FALSE(edit->ParentColor());
    EXPECT_EQ(edit->Color(), clWindow);
    EXPECT_EQ(button->Color(), clBtnFace);
    EXPECT_FALSE(form->ParentColor());
}

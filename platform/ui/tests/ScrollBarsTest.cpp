#include "UiTestSupport.h"

#include "platform/ui/ScrollBars.h"

class ScrollBarsTest : public UiTest {
protected:
    ScrollBarsTest()
    {
        form = MakeForm(100, 100, 300, 200);
        bar = new TScrollBar(form.get());
        bar->SetBounds(10, 10, 200, ScrollBarSize); // arrows 16, track 168
        bar->SetParent(form.get());
        bar->SetLargeChange(10);
        bar->OnScroll = [this](TObject*, TScrollCode code, int32_t&) { codes.push_back(code); };
        form->Show();
        Pump();
    }
    TPoint At(int32_t x) { return bar->ClientToScreen({x, 8}); }
    std::unique_ptr<TForm> form;
    TScrollBar* bar = nullptr;
    std::vector<TScrollCode> codes;
};

TEST_F(ScrollBarsTest, ArrowsStepByTheSmallChangeAndRepeatWhileHeld)
{
    backend.MouseDown(At(200 - 8));
    Pump();
    EXPECT_EQ(bar->Position(), 1);
    backend.TestClock().AdvanceMs(399);
    Pump();
    EXPECT_EQ(bar->Position(), 1);
    backend.TestClock().AdvanceMs(1); // first repeat, then every 50 ms
    Pump();
    backend.TestClock().AdvanceMs(50);
    Pump();
    EXPECT_EQ(bar->Position(), 3);
    backend.MouseMove(At(100)); // off the arrow: no more steps
    Pump();
    backend.TestClock().AdvanceMs(50);
    Pump();
    backend.MouseUp(At(100));
    Pump();
    EXPECT_EQ(bar->Position(), 3);
    EXPECT_EQ(codes, (std::vector<TScrollCode>{scLineDown, scLineDown, scLineDown, scEndScroll}));

    backend.TestClock().AdvanceMs(1000);
    backend.Click(At(4)); // the left arrow
    Pump();
    EXPECT_EQ(bar->Position(), 2);
}

TEST_F(ScrollBarsTest, PageAreasStepByTheLargeChangeUntilTheThumbReachesTheMouse)
{
    // Thumb 16 wide at 16..32; a press at 60 pages right until the thumb is under it.
    backend.MouseDown(At(60));
    Pump();
    EXPECT_EQ(bar->Position(), 10);
    for (int i = 0; i < 10; ++i) {
        backend.TestClock().AdvanceMs(i == 0 ? 400 : 50);
        Pump();
    }
    backend.MouseUp(At(60));
    Pump();
    // Position p puts the 16-wide thumb at 16 + 152 * p / 100: at 20 it
    // covers 46..61, under the mouse, and the paging stops.
    EXPECT_EQ(bar->Position(), 20);
}

TEST_F(ScrollBarsTest, DraggingTheThumbTracksThenSetsThePosition)
{
    std::vector<int32_t> tracked;
    bar->OnScroll = [&](TObject*, TScrollCode code, int32_t& pos) {
        codes.push_back(code);
        if (code == scTrack)
            tracked.push_back(pos);
    };
    backend.MouseDown(At(20)); // grabs the thumb 4 px from its left edge
    backend.MouseMove(At(20 + 76)); // thumb left at 92: 76 of 152 -> 50
    backend.MouseMove(At(500)); // beyond the end: the maximum
    backend.MouseUp(At(500));
    Pump();
    EXPECT_EQ(tracked, (std::vector<int32_t>{50, 100}));
    EXPECT_EQ(codes.back(), scEndScroll);
    EXPECT_EQ(bar->Position(), 100);
}

TEST_F(ScrollBarsTest, KeysScrollAndParamsAreChecked)
{
    bar->SetFocus();
    backend.PressKey(VK_END);
    backend.PressKey(VK_LEFT);
    Pump();
    EXPECT_EQ(bar->Position(), 99);
    EXPECT_THROW(bar->SetParams(0, 10, 5), EInvalidOperation);
    bar->SetPageSize(20);
    EXPECT_EQ(bar->Position(), 81); // the last page starts at max - page + 1
}

TEST_F(ScrollBarsTest, WindowScrollBarsTakeTheirSpaceAndSendStepsToTheWindow)
{
    class TScrolled : public TCustomControl {
    public:
        using TCustomControl::TCustomControl;
        std::vector<uint16_t> Codes;

    protected:
        void CreateParams(TCreateParams& params) override
        {
            TCustomControl::CreateParams(params);
            params.Style |= WS_VSCROLL;
        }
        void Dispatch(TMessage& message) override
        {
            if (message.Msg == WM_VSCROLL)
                Codes.push_back(LoWord(message.WParam));
            TCustomControl::Dispatch(message);
        }
    };
    auto* view = new TScrolled(form.get());
    view->SetBounds(10, 50, 100, 100);
    view->SetParent(form.get());
    EXPECT_EQ(view->ClientWidth(), 100 - ScrollBarSize);
    TScrollInfo info;
    info.Max = 49;
    info.Page = 10;
    SetScrollInfo(*view, SB_VERT, info);
    SetScrollPos(*view, SB_VERT, 45);
    EXPECT_EQ(GetScrollPos(*view, SB_VERT), 40); // 49 - 10 + 1
    Pump();
    backend.Click(view->ClientToScreen({100 - ScrollBarSize + 8, 100 - 8})); // the down arrow
    Pump();
    EXPECT_EQ(view->Codes, (std::vector<uint16_t>{SB_LINEDOWN, SB_ENDSCROLL}));
    EXPECT_EQ(StorePixel(*form, 10 + 100 - 1, 50 + 50) == ColorToPixelRGB(clBtnFace) ||
                  StorePixel(*form, 10 + 100 - 1, 50 + 50) == ColorToPixelRGB(clBtnHighlight),
              true); // the bar was painted in the non-client area
}

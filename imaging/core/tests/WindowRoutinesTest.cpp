#include <gtest/gtest.h>

#include <memory>

#include "QkHeadlessUi.h"
#include "imaging/core/QkWindowRoutines.h"
#include "platform/ui/Form.h"
#include "platform/ui/ScrollBars.h"

namespace {

class TScrolledView : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

protected:
    void CreateParams(TCreateParams& params) override
    {
        TCustomControl::CreateParams(params);
        params.Style |= WS_VSCROLL;
    }
};

class WindowRoutinesTest : public HeadlessUiTest {
protected:
    WindowRoutinesTest()
    {
        form->SetBounds(0, 0, 200, 200);
        view->SetBounds(10, 10, 100, 100);
        view->SetParent(form.get());
    }

    TScrollInfo Info()
    {
        TScrollInfo info;
        GetScrollInfo(*view, SB_VERT, info);
        return info;
    }

    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    TScrolledView* view = new TScrolledView(form.get());
};

TEST_F(WindowRoutinesTest, ScrollBarWrappersReachTheWindowsBar)
{
    const HWND handle = view->Handle();
    for (const bool flat : {false, true}) {
        ASSERT_TRUE(SetScrollBarInfo(handle, SB_VERT, 0, 49, 10, 45, true, flat));
        EXPECT_EQ(Info().Max, 49);
        EXPECT_EQ(Info().Page, 10u);
        EXPECT_EQ(Info().Pos, 40); // the last page starts at 49 - 10 + 1
        ASSERT_TRUE(SetScrollBarRange(handle, SB_VERT, 0, 99, false, flat));
        EXPECT_EQ(Info().Max, 99);
        EXPECT_EQ(Info().Page, 10u);
        ASSERT_TRUE(SetScrollBarPos(handle, SB_VERT, 70, true, flat));
        EXPECT_EQ(Info().Pos, 70);
        ASSERT_TRUE(EnableScrollBarEx(handle, SB_VERT, ESB_DISABLE_BOTH, flat));
        EXPECT_FALSE(view->WindowScrollBars()->Bar(SB_VERT).Enabled());
        ASSERT_TRUE(EnableScrollBarEx(handle, SB_VERT, ESB_ENABLE_BOTH, flat));
        EXPECT_TRUE(view->WindowScrollBars()->Bar(SB_VERT).Enabled());
    }
    EXPECT_FALSE(SetScrollBarPos(0, SB_VERT, 1, true, false));
    EXPECT_FALSE(SetScrollBarInfo(form->Handle(), SB_VERT, 0, 9, 1, 1, true, false));
    EXPECT_FALSE(EnableScrollBarEx(handle, SB_CTL, ESB_DISABLE_BOTH, false));
}

TEST_F(WindowRoutinesTest, OwnerWindowHandleIsTheFirstWindowedOwners)
{
    auto unplaced = std::make_unique<TScrolledView>(nullptr);
    EXPECT_EQ(GetOwnerWindowHandle(new TComponent(unplaced.get())), 0u) << "handle not allocated yet";
    auto* part = new TComponent(view);
    const HWND handle = view->Handle();
    EXPECT_EQ(GetOwnerWindowHandle(part), handle);
    EXPECT_EQ(GetOwnerWindowHandle(view), handle);
    TComponent loose(nullptr);
    EXPECT_EQ(GetOwnerWindowHandle(&loose), 0u);
    EXPECT_EQ(GetOwnerWindowHandle(nullptr), 0u);
}

} // namespace

#include "UiTestSupport.h"

#include "platform/ui/Themes.h"

namespace {

// Draws a themed thumb when themes are on, a plain fill otherwise.
class TThemedThumb : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    int32_t ThemeChanges = 0;

protected:
    void Paint() override
    {
        if (ThemeServices()->ThemesEnabled()) {
            auto details = ThemeServices()->GetElementDetails(TThemedClass::ScrollBar, SBP_THUMBBTNHORZ, SCRBS_HOT);
            ThemeServices()->DrawElement(*Canvas(), details, ClientRect());
        } else {
            Canvas()->Brush()->SetColor(clYellow);
            Canvas()->FillRect(ClientRect());
        }
    }
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == WM_THEMECHANGED)
            ++ThemeChanges;
        TCustomControl::Dispatch(message);
    }
};

} // namespace

class ThemesTest : public UiTest {
protected:
    ~ThemesTest() override { SetThemeServices(nullptr); }
};

TEST_F(ThemesTest, ClassicByDefaultAndTheFakeReachesTheThemedBranch)
{
    auto form = MakeForm(0, 0, 100, 60);
    auto* thumb = new TThemedThumb(form.get());
    thumb->SetBounds(10, 10, 30, 20);
    thumb->SetParent(form.get());
    form->Show();
    Pump();
    EXPECT_FALSE(ThemeServices()->ThemesEnabled());
    EXPECT_EQ(StorePixel(*form, 15, 15), clYellow);

    TRecordingThemeServices fake;
    SetThemeServices(&fake);
    EXPECT_EQ(thumb->ThemeChanges, 1);
    Pump();
    ASSERT_EQ(fake.Calls.size(), 1u);
    EXPECT_EQ(fake.Calls[0].Operation, "DrawElement");
    EXPECT_EQ(fake.Calls[0].Details, (TThemedElementDetails{TThemedClass::ScrollBar, SBP_THUMBBTNHORZ, SCRBS_HOT}));
    EXPECT_EQ(fake.Calls[0].Rect, Rect(0, 0, 30, 20));
    EXPECT_EQ(StorePixel(*form, 15, 15), TRecordingThemeServices::ElementColor(fake.Calls[0].Details));
}

TEST_F(ThemesTest, ParentBackgroundIsTheParentsImageUnderTheControl)
{
    auto form = MakeForm(0, 0, 100, 60);
    form->SetColor(clAqua);
    auto* thumb = new TThemedThumb(form.get());
    thumb->SetBounds(10, 10, 30, 20);
    thumb->SetParent(form.get());
    TBitmap target(30, 20, pf32bit);
    TCanvas canvas(&target);
    TRecordingThemeServices fake;
    TRect part = Rect(0, 0, 5, 5);
    fake.DrawParentBackground(*thumb, canvas, &part);
    EXPECT_EQ(canvas.Pixels(2, 2), clAqua);
    EXPECT_EQ(canvas.Pixels(6, 6), clWhite); // outside the bounds given
    EXPECT_EQ(fake.ContentRect(canvas, {}, Rect(0, 0, 30, 20)), Rect(2, 2, 28, 18));
}

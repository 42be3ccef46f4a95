#include "platform/ui/CheckBox.h"

#include "UiTestSupport.h"
#include "platform/ui/FormResources.h"
#include "platform/ui/StandardControlsRegistration.h"

namespace {

class CheckBoxTest : public UiTest {
protected:
    void SetUp() override
    {
        form = MakeForm(100, 100, 200, 100);
        box = new TCheckBox(form.get());
        box->SetParent(form.get());
        box->SetBounds(10, 10, 120, 17);
        box->SetCaption("&Interlaced");
        box->OnClick = [this](TObject*) { clicks.push_back(box->State()); };
        form->Show();
        Pump();
    }
    TPoint BoxPoint() { return At(*box, 6, 8); }

    std::unique_ptr<TForm> form;
    TCheckBox* box = nullptr;
    std::vector<TCheckBoxState> clicks;
};

TEST_F(CheckBoxTest, EveryChangeOfStateFiresOnClickOnce)
{
    struct TStep {
        const char* What;
        std::function<void()> Act;
        std::vector<TCheckBoxState> Clicks;
    };
    const std::vector<TStep> steps = {
        {"checked from code", [&] { box->SetChecked(true); }, {cbChecked}},
        {"the same state again", [&] { box->SetChecked(true); }, {}},
        {"a click", [&] { ClickAt(*box, 6, 8); }, {cbUnchecked}},
        {"Space", [&] { Press(VK_SPACE); }, {cbChecked}},
        {"the accelerator", [&] { Press('I', {VK_MENU}); }, {cbUnchecked}},
        {"a press released outside",
         [&] {
             backend.MouseDown(BoxPoint());
             backend.MouseMove(At(*box, 150, 50));
             backend.MouseUp(At(*box, 150, 50));
             Pump();
         },
         {}},
        {"grey from code", [&] { box->SetState(cbGrayed); }, {cbGrayed}},
        {"a click on grey", [&] { ClickAt(*box, 6, 8); }, {cbUnchecked}},
    };
    for (const TStep& step : steps) {
        clicks.clear();
        step.Act();
        EXPECT_EQ(clicks, step.Clicks) << step.What;
    }
}

TEST_F(CheckBoxTest, AllowGrayedCyclesThroughGreyAndADisabledBoxIgnoresClicks)
{
    box->SetAllowGrayed(true);
    for (TCheckBoxState expected : {cbChecked, cbGrayed, cbUnchecked}) {
        ClickAt(*box, 6, 8);
        EXPECT_EQ(box->State(), expected);
    }
    box->SetEnabled(false);
    ClickAt(*box, 6, 8);
    EXPECT_EQ(box->State(), cbUnchecked);
}

TEST_F(CheckBoxTest, TheMarkIsDrawnInTheBox)
{
    const auto markPixels = [&] {
        int dark = 0;
        for (int32_t y = 0; y < TCheckBox::BoxSize; ++y)
            for (int32_t x = 0; x < TCheckBox::BoxSize; ++x)
                dark += StorePixel(*form, 10 + x, 12 + y) == RGB(0, 0, 0);
        return dark;
    };
    const int unchecked = markPixels();
    box->SetChecked(true);
    Pump();
    EXPECT_GE(markPixels(), unchecked + 7) << "a 7-pixel-wide mark";
}

TEST(CheckBoxResourceTest, ReadFromAFormWithoutFiringItsHandler)
{
    THeadlessDesktop desktop;
    RegisterStandardControls();
    TForm form(nullptr);
    int clicks = 0;
    THandlerTable handlers;
    handlers.Add("BoxClick", TNotifyEvent([&](TObject*) { ++clicks; }));
    ReadComponentText(&form, R"(object F: TForm
  object Box: TCheckBox
    OnClick = BoxClick
    Caption = 'P&rogressive'
    State = cbChecked
    Alignment = taLeftJustify
  end
  object Old: TCheckBox
    Checked = True
  end
end
)",
                      &handlers);
    auto* box = dynamic_cast<TCheckBox*>(form.FindComponent("Box"));
    auto* old = dynamic_cast<TCheckBox*>(form.FindComponent("Old"));
    ASSERT_TRUE(box && old);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(box->Alignment(), taLeftJustify);
    EXPECT_TRUE(old->Checked());
    EXPECT_EQ(clicks, 0);
    box->SetChecked(false);
    EXPECT_EQ(clicks, 1);
    const std::string written = WriteComponentText(&form, &handlers);
    EXPECT_NE(written.find("State = cbChecked"), std::string::npos) << written;
    EXPECT_EQ(written.find("Checked ="), std::string::npos) << written;
}

} // namespace

#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/FormResources.h"
#include "platform/ui/StdCtrls.h"

namespace {

class ActionsTest : public UiTest {
protected:
    ActionsTest()
    {
        action = new TAction(form.get());
        action->SetCaption("Convert");
        action->SetHint("Starts the conversion");
        action->OnExecute = [this](TObject* sender) {
            EXPECT_EQ(sender, action);
            ++executed;
        };
        button = new TButton(form.get());
        button->SetBounds(10, 10, 80, 24);
        button->SetParent(form.get());
        form->Show();
    }

    std::unique_ptr<TForm> form = MakeForm(0, 0, 200, 100);
    TAction* action;
    TButton* button;
    int executed = 0;
};

} // namespace

TEST_F(ActionsTest, ControlTakesOverTheActionsPropertiesAndFollowsThoseItStillShares)
{
    button->SetAction(action);
    EXPECT_EQ(button->Action(), action);
    EXPECT_EQ(button->Caption(), "Convert");
    EXPECT_EQ(button->Hint(), "Starts the conversion");

    action->SetEnabled(false);
    action->SetCaption("Stop");
    EXPECT_FALSE(button->Enabled());
    EXPECT_EQ(button->Caption(), "Stop");

    button->SetCaption("Own text"); // no longer the action's: left alone
    action->SetCaption("Convert");
    action->SetVisible(false);
    EXPECT_EQ(button->Caption(), "Own text");
    EXPECT_FALSE(button->Visible());
}

TEST_F(ActionsTest, ClickExecutesTheEnabledActionUnlessTheControlHasItsOwnOnClick)
{
    button->SetAction(action);
    ClickAt(*button, 10, 10);
    EXPECT_EQ(executed, 1);

    action->SetEnabled(false);
    button->Click();
    EXPECT_EQ(executed, 1);

    action->SetEnabled(true);
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    ClickAt(*button, 10, 10);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(executed, 1);
}

TEST_F(ActionsTest, EitherSideMayGoFirst)
{
    auto lone = std::make_unique<TAction>(nullptr);
    button->SetAction(lone.get());
    lone.reset();
    EXPECT_EQ(button->Action(), nullptr);
    button->Click(); // nothing to execute

    auto* other = new TButton(form.get());
    other->SetAction(action);
    button->SetAction(action);
    delete other;
    action->SetCaption("Still linked");
    EXPECT_EQ(button->Caption(), "Still linked");
    button->SetAction(nullptr);
    action->SetCaption("Alone");
    EXPECT_EQ(button->Caption(), "Still linked");
}

// A caption of the control's own, read from the resource, outlives the
// action's; the properties it leaves out come from the action.
TEST(ActionsResource, ActionIsNamedInAFormResource)
{
    THeadlessBackend backend;
    InstallWindowSystem(backend);
    {
        TForm form(nullptr);
        ReadComponentText(&form, R"(object F: TForm
  object Go: TButton
    Action = Convert
    Caption = 'Go'
  end
  object Stop: TButton
    Action = Convert
  end
  object Convert: TAction
    Caption = 'Convert'
    Enabled = False
  end
end
)",
                          nullptr);
        auto* go = dynamic_cast<TButton*>(form.FindComponent("Go"));
        auto* stop = dynamic_cast<TButton*>(form.FindComponent("Stop"));
        ASSERT_TRUE(go && stop);
        EXPECT_EQ(go->Action(), form.FindComponent("Convert"));
        EXPECT_EQ(go->Caption(), "Go");
        EXPECT_EQ(stop->Caption(), "Convert");
        EXPECT_FALSE(stop->Enabled());
        EXPECT_NE(WriteComponentText(&form, nullptr).find("Action = Convert"), std::string::npos);
    }
    UninstallWindowSystem();
}

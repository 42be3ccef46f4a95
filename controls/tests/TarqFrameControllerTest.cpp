#include <gtest/gtest.h>

#include "TarqTestSupport.h"
#include "controls/TarqBlinkList.h"
#include "controls/TarqFrameController.h"
#include "controls/TarqRegIniFile.h"
#include "platform/core/Properties.h"
#include "platform/ui/ExtCtrls.h"

namespace {

// A framed control that publishes some of the settings and counts what it gets.
class TFramedProbe : public TCustomControl {
public:
    explicit TFramedProbe(TComponent* owner) : TCustomControl(owner) { Register(); }

    TColor FocusColor() const { return focusColor_; }
    void SetFocusColor(TColor v) { Note("FocusColor"), focusColor_ = v; }
    TFrameStyleEx FrameStyle() const { return frameStyle_; }
    void SetFrameStyle(TFrameStyleEx v) { Note("FrameStyle"), frameStyle_ = v; }
    TSides FrameSides() const { return frameSides_; }
    void SetFrameSides(TSides v) { Note("FrameSides"), frameSides_ = v; }
    bool FrameVisible() const { return frameVisible_; }
    void SetFrameVisible(bool v) { Note("FrameVisible"), frameVisible_ = v; }
    TTarqFrameControllerNotifications Notifications() const { return notifications_; }
    void SetNotifications(TTarqFrameControllerNotifications v) { notifications_ = v; }
    void SetTrackedColor(int32_t v) { Note("Color"), SetColor(static_cast<TColor>(v)); }
    void SetTrackedParentColor(bool v) { Note("ParentColor"), SetParentColor(v); }

    std::vector<std::string> Received;

private:
    void Note(const std::string& name) { Received.push_back(name); }
    static void Register()
    {
        static const bool done = [] {
            RegisterUiClasses();
            using P = TFramedProbe;
            RegisterClass<P, TCustomControl>("TFramedProbe")
                .Property(
                    "Color", [](P& p) { return static_cast<int32_t>(p.Color()); }, &P::SetTrackedColor)
                .Property(
                    "ParentColor", [](P& p) { return p.ParentColor(); }, &P::SetTrackedParentColor)
                .Property("FocusColor", ColorGetter(&P::FocusColor), ColorSetter(&P::SetFocusColor))
                .Enum("FrameStyle", &P::FrameStyle, &P::SetFrameStyle, FrameStyleExInfo())
                .Set("FrameSides", &P::FrameSides, &P::SetFrameSides, SideInfo())
                .Property("FrameVisible", &P::FrameVisible, &P::SetFrameVisible)
                .Set("FrameControllerNotifications", &P::Notifications, &P::SetNotifications,
                     FrameControllerPropertyInfo());
            return true;
        }();
        (void)done;
    }

    TColor focusColor_ = clWindow;
    TFrameStyleEx frameStyle_ = fsNone;
    TSides frameSides_;
    bool frameVisible_ = false;
    TTarqFrameControllerNotifications notifications_ = AllFrameControllerNotifications;
};

class TClientProbe : public TGraphicControl, public ITarqFrameControllerClient {
public:
    using TGraphicControl::TGraphicControl;
    void ApplyFrameController() override { ++Applied; }
    int Applied = 0;
};

class TarqFrameController : public TarqUiTest {
protected:
    TTarqFrameController controller{nullptr};
    TFramedProbe probe{nullptr};
};

TEST_F(TarqFrameController, LinkingPushesEverySettingInOrderAndChangesPushOneByName)
{
    controller.SetFrameStyle(fsGroove);
    controller.SetFrameSides(TSides{sdLeft, sdBottom});
    controller.AddControl(&probe);
    EXPECT_EQ(
        probe.Received,
        (std::vector<std::string>{"ParentColor", "Color", "FocusColor", "FrameSides", "FrameStyle", "FrameVisible"}));
    EXPECT_EQ(probe.FrameStyle(), fsGroove);
    EXPECT_EQ(probe.FrameSides(), (TSides{sdLeft, sdBottom}));
    EXPECT_EQ(probe.Color(), clWindow);

    probe.Received.clear();
    controller.SetFrameVisible(true);
    controller.SetFrameVisible(true); // unchanged: no push
    EXPECT_EQ(probe.Received, (std::vector<std::string>{"FrameVisible"}));
    EXPECT_TRUE(probe.FrameVisible());
    controller.AddControl(&probe); // already linked: nothing
    EXPECT_EQ(probe.Received.size(), 1u);
    EXPECT_EQ(controller.ControlCount(), 1);
}

TEST_F(TarqFrameController, ColorCarriesFocusColorAlongAndParentColorKeepsTheControlsColour)
{
    controller.AddControl(&probe);
    controller.SetColor(clYellow);
    EXPECT_EQ(controller.FocusColor(), clYellow); // it equalled the old colour
    EXPECT_EQ(probe.Color(), clYellow);
    controller.SetFocusColor(clAqua);
    controller.SetColor(clRed);
    EXPECT_EQ(controller.FocusColor(), clAqua);

    probe.SetColor(clLime);
    controller.SetParentColor(true);
    probe.Received.clear();
    controller.BeginUpdate();
    controller.EndUpdate(); // a full push
    EXPECT_EQ(std::count(probe.Received.begin(), probe.Received.end(), "Color"), 0);

    probe.Received.clear();
    controller.SetParentColor(false); // then the colour is pushed again
    EXPECT_EQ(probe.Received, (std::vector<std::string>{"ParentColor", "Color"}));
    EXPECT_EQ(probe.Color(), clRed);
}

TEST_F(TarqFrameController, NotificationsFilterWhatTheControlAccepts)
{
    probe.SetNotifications({});
    TClientProbe client(nullptr);
    controller.AddControl(&probe);
    controller.AddControl(&client);
    EXPECT_EQ(client.Applied, 1);
    controller.SetFrameStyle(fsBump);
    controller.SetColor(clRed);
    EXPECT_TRUE(probe.Received.empty());
    EXPECT_EQ(client.Applied, 3); // a client hears of every change

    probe.SetNotifications(TTarqFrameControllerNotifications{fcpFrameStyle});
    controller.SetFrameStyle(fsFlat);
    controller.SetColor(clBlue);
    EXPECT_EQ(probe.Received, (std::vector<std::string>{"FrameStyle"}));
    controller.RemoveControl(&client);
}

TEST_F(TarqFrameController, NestedUpdatesPushOnceAtTheEnd)
{
    controller.AddControl(&probe);
    probe.Received.clear();
    controller.BeginUpdate();
    controller.BeginUpdate();
    controller.SetFrameStyle(fsBump);
    controller.EndUpdate();
    EXPECT_TRUE(probe.Received.empty());
    controller.EndUpdate();
    EXPECT_EQ(std::count(probe.Received.begin(), probe.Received.end(), "FrameStyle"), 1);
    EXPECT_EQ(probe.FrameStyle(), fsBump);
}

TEST_F(TarqFrameController, HotTrackShowsTheFrameOnAllSides)
{
    controller.SetFrameSides(TSides{sdTop});
    controller.SetFrameHotTrack(true);
    EXPECT_TRUE(controller.FrameVisible());
    EXPECT_EQ(controller.FrameSides(), AllSides);

    TTarqFrameController loading(nullptr);
    loading.SetFrameSides(TSides{sdTop});
    loading.SetStateFlag(csLoading, true);
    loading.SetFrameHotTrack(true);
    EXPECT_EQ(loading.FrameSides(), TSides{sdTop});
}

TEST_F(TarqFrameController, AssignCopiesTheSettingsAndPushesOnce)
{
    TTarqFrameController source(nullptr);
    source.SetColor(clRed);
    source.SetFrameStyle(fsFlatBold);
    source.SetFrameSides(TSides{sdRight});
    controller.AddControl(&probe);
    probe.Received.clear();
    controller.Assign(&source);
    EXPECT_EQ(controller.Color(), clRed);
    EXPECT_EQ(controller.FrameStyle(), fsFlatBold);
    EXPECT_EQ(probe.FrameSides(), TSides{sdRight});
    EXPECT_EQ(std::count(probe.Received.begin(), probe.Received.end(), "FrameStyle"), 1);
}

TEST_F(TarqFrameController, PublishedPropertiesAndRetiredSettings)
{
    EXPECT_EQ(GetPropText(controller, "FrameStyle"), "fsFlat");
    EXPECT_EQ(GetPropText(controller, "FrameSides"), "[sdLeft,sdTop,sdRight,sdBottom]");
    EXPECT_EQ(GetPropText(controller, "Color"), "clWindow");
    SetPropText(controller, "FrameFlat", "True");
    EXPECT_TRUE(controller.FrameHotTrack());
    EXPECT_EQ(controller.FrameStyle(), fsStatus);
    EXPECT_EQ(controller.FrameHotStyle(), fsLowered);
    SetPropText(controller, "FrameFocusStyle", "fsGroove");
    EXPECT_EQ(controller.FrameHotStyle(), fsGroove);
    SetPropText(controller, "FrameFlatStyle", "fsFlat");
    EXPECT_FALSE(IsStoredProp(controller, *GetPropInfo(controller, "FrameFlat")));
    EXPECT_FALSE(IsStoredProp(controller, *GetPropInfo(controller, "FrameFocusStyle")));

    controller.SetParentColor(true);
    EXPECT_FALSE(IsStoredProp(controller, *GetPropInfo(controller, "Color")));
}

TEST_F(TarqFrameController, AFreedStorageLocationOrControlIsForgotten)
{
    auto* storage = new TTarqRegIniFile(nullptr);
    EXPECT_TRUE(storage->RefreshNeeded());
    EXPECT_EQ(GetPropText(*storage, "RegAccess"), "[keyAllAccess]");
    controller.SetRegIniFile(storage);
    delete storage;
    EXPECT_EQ(controller.RegIniFile(), nullptr);

    auto* linked = new TFramedProbe(nullptr);
    controller.AddControl(linked);
    linked->FreeNotification(&controller);
    delete linked;
    EXPECT_EQ(controller.ControlCount(), 0);
    controller.SetColor(clRed); // nothing left to push into
}

// ---- Blink list ----

class TBlinkProbe : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    bool Blinking = false;
    std::vector<WPARAM> States;

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == CM_BLINKQUERY) {
            message.Result = Blinking ? 1 : 0;
            return;
        }
        if (message.Msg == CM_BLINKSTATE) {
            States.push_back(message.WParam);
            return;
        }
        TGraphicControl::Dispatch(message);
    }
};

TEST_F(TarqFrameController, BlinkListTellsOnlyBlinkingControlsAndAlternatesIntervals)
{
    TBlinkProbe blinking(nullptr), steady(nullptr);
    blinking.Blinking = true;
    TTarqBlinkingControlsList& list = EnsureBlinkList();
    list.AddControl(&blinking);
    list.AddControl(&steady);
    list.SetIntervalOn(300);
    list.SetIntervalOff(700);
    EXPECT_EQ(list.BlinkState(), 1);

    list.Tick();
    EXPECT_EQ(list.Timer().Interval(), 700u);
    list.Tick();
    EXPECT_EQ(list.Timer().Interval(), 300u);
    EXPECT_EQ(blinking.States, (std::vector<WPARAM>{0, 1}));
    EXPECT_TRUE(steady.States.empty());

    list.RemoveControl(&blinking);
    ReleaseBlinkListIfEmpty();
    EXPECT_EQ(BlinkList(), &list); // one control is still registered
    list.RemoveControl(&steady);
    ReleaseBlinkListIfEmpty();
    EXPECT_EQ(BlinkList(), nullptr);
}

TEST_F(TarqFrameController, BlinkTimerRunsFromTheMessageLoop)
{
    TBlinkProbe blinking(nullptr);
    blinking.Blinking = true;
    EnsureBlinkList().AddControl(&blinking);
    backend.TestClock().AdvanceMs(499);
    Pump();
    EXPECT_TRUE(blinking.States.empty());
    backend.TestClock().AdvanceMs(1);
    Pump();
    EXPECT_EQ(blinking.States, (std::vector<WPARAM>{0}));
    backend.TestClock().AdvanceMs(500);
    Pump();
    EXPECT_EQ(blinking.States, (std::vector<WPARAM>{0, 1}));
    BlinkList()->RemoveControl(&blinking);
    ReleaseBlinkListIfEmpty();
}

} // namespace

#include "UiTestSupport.h"

namespace {

constexpr uint32_t WM_PROBE = WM_USER + 7;

class TBaseHandler : public TWinControl {
public:
    using TWinControl::TWinControl;
    std::vector<std::string> Log;

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == WM_PROBE) {
            Log.push_back("base");
            message.Result += 1;
            return;
        }
        TWinControl::Dispatch(message);
    }
    void DefaultHandler(TMessage& message) override
    {
        Log.push_back("default:" + std::to_string(message.Msg));
        TWinControl::DefaultHandler(message);
    }
};

class TDerivedHandler : public TBaseHandler {
public:
    using TBaseHandler::TBaseHandler;

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == WM_PROBE) {
            Log.push_back("derived");
            message.Result += 10;
            TBaseHandler::Dispatch(message); // inherited
            return;
        }
        TBaseHandler::Dispatch(message);
    }
};

} // namespace

using MessageDispatchTest = UiTest;

TEST_F(MessageDispatchTest, DerivedHandlerRunsThenInheritedAndUnhandledReachDefault)
{
    TDerivedHandler control(nullptr);
    EXPECT_EQ(control.Perform(WM_PROBE), 11);
    control.Perform(WM_USER + 99);
    EXPECT_EQ(control.Log, (std::vector<std::string>{"derived", "base", "default:" + std::to_string(WM_USER + 99)}));
}

TEST_F(MessageDispatchTest, SubclassedWindowProcSeesMessagesFirstAndRestoreEndsIt)
{
    TDerivedHandler control(nullptr);
    std::vector<uint32_t> seen;
    TWndMethod previous = control.WindowProc;
    control.WindowProc = [&](TMessage& message) {
        seen.push_back(message.Msg);
        if (message.Msg == WM_PROBE) {
            message.Result = 500; // swallowed: the control never sees it
            return;
        }
        previous(message);
    };
    EXPECT_EQ(control.Perform(WM_PROBE), 500);
    EXPECT_TRUE(control.Log.empty());

    control.WindowProc = previous;
    EXPECT_EQ(control.Perform(WM_PROBE), 11);
    EXPECT_EQ(seen, std::vector<uint32_t>{WM_PROBE});
}

TEST_F(MessageDispatchTest, SendAndPostReachTheWindowByIdAndDropMessagesForDestroyedWindows)
{
    auto control = std::make_unique<TDerivedHandler>(nullptr);
    HWND id = control->Handle();
    auto probes = [&] { return std::count(control->Log.begin(), control->Log.end(), "base"); };
    EXPECT_EQ(SendMessage(id, WM_PROBE), 11);
    PostMessage(id, WM_PROBE);
    EXPECT_EQ(probes(), 1); // posted: not yet delivered
    Pump();
    EXPECT_EQ(probes(), 2);

    PostMessage(id, WM_PROBE);
    control.reset();
    EXPECT_NO_THROW(Pump());
    EXPECT_EQ(SendMessage(id, WM_PROBE), 0);
}

TEST_F(MessageDispatchTest, ParentReflectsChildNotificationsBack)
{
    auto form = MakeForm();
    auto* child = new TDerivedHandler(form.get());
    child->SetParent(form.get());
    std::vector<uint32_t> childSaw;
    TWndMethod previous = child->WindowProc;
    child->WindowProc = [&](TMessage& m) {
        childSaw.push_back(m.Msg);
        if (m.Msg == CN_COMMAND)
            m.Result = 42;
        previous(m);
    };
    EXPECT_EQ(form->Perform(WM_COMMAND, 1, static_cast<LPARAM>(child->Handle())), 42);
    TNMHdr header{child->Handle(), 0, -2};
    form->Perform(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(childSaw, (std::vector<uint32_t>{CN_COMMAND, CN_NOTIFY}));
    child->WindowProc = previous;
}

TEST_F(MessageDispatchTest, ColourAndFontChangesReachChildrenThatFollowTheirParent)
{
    auto form = MakeForm();
    auto* follows = new TRecordingControl(form.get());
    follows->SetParent(form.get());
    follows->SetParentColor(true);
    auto* own = new TRecordingControl(form.get());
    own->SetParent(form.get());
    own->SetColor(clLime);

    form->SetColor(clNavy);
    form->Font()->SetName("Verdana");
    EXPECT_EQ(follows->Color(), clNavy);
    EXPECT_TRUE(follows->ParentColor());
    EXPECT_EQ(own->Color(), clLime);
    EXPECT_EQ(follows->Font()->Name(), "Verdana");
    EXPECT_TRUE(follows->ParentFont());

    own->Font()->SetName("Arial"); // an own font stops following
    form->Font()->SetName("Tahoma");
    EXPECT_EQ(own->Font()->Name(), "Arial");
    EXPECT_FALSE(own->ParentFont());
}

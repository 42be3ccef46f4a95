#include "UiTestSupport.h"

#include "platform/ui/Controls.h"

namespace {

// Names a drag state the way the log shows it.
std::string StateName(TDragState state)
{
    switch (state) {
    case dsDragEnter: return "enter";
    case dsDragLeave: return "leave";
    default: return "move";
    }
}

} // namespace

// A source dragged automatically and two targets side by side; `b` accepts
// drops only when `bAccepts` is set.
class DragDropTest : public UiTest {
protected:
    DragDropTest()
    {
        form = MakeForm(0, 0, 300, 100);
        source = Child(Bounds(10, 10, 40, 40));
        a = Child(Bounds(100, 10, 60, 60));
        b = Child(Bounds(200, 10, 60, 60));
        source->SetDragMode(dmAutomatic);
        source->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int32_t, int32_t) { log.push_back("down"); };
        source->OnStartDrag = [this](TObject*, TDragObject*&) { log.push_back("start"); };
        source->OnEndDrag = [this](TObject*, TObject* target, int32_t x, int32_t y) {
            log.push_back("end " + Name(target) + " " + std::to_string(x) + "," + std::to_string(y));
        };
        for (TCustomControl* target : {a, b}) {
            target->OnDragOver = [this, target](TObject*, TObject* from, int32_t x, int32_t y, TDragState state,
                                                bool& accept) {
                log.push_back(Name(target) + " " + StateName(state) + " " + std::to_string(x) + "," +
                              std::to_string(y));
                accept = from == source && (target == a || bAccepts);
            };
            target->OnDragDrop = [this, target](TObject*, TObject*, int32_t x, int32_t y) {
                log.push_back(Name(target) + " drop " + std::to_string(x) + "," + std::to_string(y));
            };
        }
        form->Show();
        Pump();
    }

    TCustomControl* Child(const TRect& bounds)
    {
        auto* control = new TCustomControl(form.get());
        control->SetBoundsRect(bounds);
        control->SetParent(form.get());
        return control;
    }
    std::string Name(TObject* object) const { return !object ? "none" : object == a ? "a" : object == b ? "b" : "?"; }
    void Press(TPoint screen)
    {
        backend.MouseMove(screen);
        backend.MouseDown(screen);
        Pump();
    }
    void MoveTo(TPoint screen)
    {
        backend.MouseMove(screen);
        Pump();
    }
    void Release(TPoint screen)
    {
        backend.MouseUp(screen);
        Pump();
    }

    std::unique_ptr<TForm> form;
    TCustomControl* source = nullptr;
    TCustomControl* a = nullptr;
    TCustomControl* b = nullptr;
    bool bAccepts = false;
    std::vector<std::string> log;
};

TEST_F(DragDropTest, DraggingOntoAnAcceptingControlDropsThereInItsClientCoordinates)
{
    Press({20, 20});
    EXPECT_TRUE(source->Dragging());
    MoveTo({22, 22}); // under the threshold: nothing yet
    EXPECT_TRUE(log.empty());
    MoveTo({110, 20});
    MoveTo({115, 25});
    Release({115, 25});
    EXPECT_EQ(log, (std::vector<std::string>{"start", "a enter 10,10", "a move 15,15", "a drop 15,15", "end a 15,15"}));
    EXPECT_FALSE(source->Dragging());
    EXPECT_EQ(GetCaptureControl(), nullptr);
}

// A drop where nobody accepts, on no control, or cancelled by Escape ends
// the drag without a drop; leaving a control tells it so.
TEST_F(DragDropTest, DragsThatDropNowhereEndWithoutATarget)
{
    struct Case {
        const char* name;
        TPoint over;
        bool escape;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"refused", {210, 20}, false, {"start", "b enter 10,10", "b leave 10,10", "end none 0,0"}},
        {"outside", {320, 20}, false, {"start", "end none 0,0"}},
        {"escape", {110, 20}, true, {"start", "a enter 10,10", "a leave 10,10", "end none 0,0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        Press({20, 20});
        MoveTo(c.over);
        if (c.escape)
            UiTest::Press(VK_ESCAPE);
        Release(c.over);
        EXPECT_EQ(log, c.expected);
        EXPECT_FALSE(source->Dragging());
    }
}

TEST_F(DragDropTest, MovingFromOneControlToAnotherLeavesTheFirstAndEntersTheSecond)
{
    bAccepts = true;
    Press({20, 20});
    MoveTo({110, 20});
    MoveTo({210, 30});
    Release({210, 30});
    EXPECT_EQ(log,
              (std::vector<std::string>{"start", "a enter 10,10", "a leave 110,20", "b enter 10,20", "b drop 10,20",
                                        "end b 10,20"}));
}

// A click that never travels the threshold is no drag, and an automatic
// drag source does not see the press as a mouse-down.
TEST_F(DragDropTest, AReleaseBeforeTheThresholdEndsNothing)
{
    Press({20, 20});
    MoveTo({23, 23});
    Release({23, 23});
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(source->Dragging());
    source->SetDragMode(dmManual);
    ClickAt(*source, 5, 5);
    EXPECT_EQ(log, (std::vector<std::string>{"down"}));
}

TEST_F(DragDropTest, ManualDragsBeginAtOnceAndATargetFreedOnTheWayIsForgotten)
{
    source->SetDragMode(dmManual);
    source->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int32_t, int32_t) { source->BeginDrag(true); };
    Press({20, 20});
    EXPECT_EQ(log, (std::vector<std::string>{"start"}));
    MoveTo({110, 20});
    delete a;
    a = nullptr;
    MoveTo({112, 20});
    Release({112, 20});
    EXPECT_EQ(log.back(), "end none 0,0");
}

TEST_F(DragDropTest, AHandlersOwnDragObjectIsWhatTheTargetsSee)
{
    TDragControlObject own(source);
    TObject* seen = nullptr;
    source->OnStartDrag = [&](TObject*, TDragObject*& object) { object = &own; };
    a->OnDragOver = [&](TObject*, TObject* from, int32_t, int32_t, TDragState, bool& accept) {
        seen = from;
        accept = true;
    };
    Press({20, 20});
    MoveTo({110, 20});
    Release({110, 20});
    EXPECT_EQ(seen, &own);
    EXPECT_TRUE(own.Dropped);
}

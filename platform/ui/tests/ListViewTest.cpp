#include "UiTestSupport.h"

#include "platform/ui/Edit.h"
#include "platform/ui/HeaderControl.h"
#include "platform/ui/ListView.h"

namespace {

// Logs the header notifications and owner-draw requests the list view
// receives, and can refuse the start of a column resize.
class TLoggingListView : public TListView {
public:
    TLoggingListView(TComponent* owner, std::vector<std::string>& log) : TListView(owner), log_(log) {}
    bool RefuseTracking = false;
    std::vector<TDrawItemStruct> Drawn;

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == WM_NOTIFY) {
            int32_t code = reinterpret_cast<const TNMHdr*>(message.LParam)->code;
            if (code == HDN_BEGINTRACK || code == HDN_ENDTRACK || code == HDN_ITEMCLICK) {
                log_.push_back(code == HDN_BEGINTRACK ? "begintrack" : code == HDN_ENDTRACK ? "endtrack" : "itemclick");
                if (code == HDN_BEGINTRACK && RefuseTracking) {
                    message.Result = 1;
                    return;
                }
            }
        }
        if (message.Msg == WM_DRAWITEM) {
            Drawn.push_back(*reinterpret_cast<TDrawItemStruct*>(message.LParam));
            message.Result = 1;
            return;
        }
        TListView::Dispatch(message);
    }

private:
    std::vector<std::string>& log_;
};

class ListViewTest : public UiTest {
protected:
    void SetUp() override
    {
        form = MakeForm(100, 100, 400, 300);
        list = new TLoggingListView(form.get(), log);
        list->SetParent(form.get());
        list->SetBounds(10, 10, 300, 200);
        list->SetViewStyle(vsReport);
        const std::pair<const char*, int32_t> columns[] = {{"Video File", 100}, {"Format", 60}, {"Time", 50}};
        for (const auto& [caption, width] : columns) {
            TListColumn* column = list->Columns()->Add();
            column->SetCaption(caption);
            column->SetWidth(width);
        }
        const char* rows[][3] = {{"b.avi", "AVI", "0:10"}, {"a.mp4", "MP4", ""}, {"c.mkv", "MKV", "0:05"}};
        for (const auto& row : rows) {
            TListItem* item = list->Items()->Add();
            item->SetCaption(row[0]);
            item->SubItems()->Add(row[1]);
            item->SubItems()->Add(row[2]);
        }
        form->Show();
        Pump();
    }

    void LogEvents()
    {
        list->OnChanging = [this](TObject*, TListItem* item, TItemChange, bool&) {
            log.push_back("changing " + item->Caption());
        };
        list->OnChange = [this](TObject*, TListItem* item, TItemChange) { log.push_back("change " + item->Caption()); };
        list->OnSelectItem = [this](TObject*, TListItem* item, bool selected) {
            log.push_back(std::string(selected ? "select " : "unselect ") + item->Caption());
        };
    }

    TPoint Screen(TPoint client) { return list->ClientToScreen(client); }
    TPoint CellPoint(int32_t item, int32_t column)
    {
        TRect r = list->SubItemRect(list->Items()->Item(item), column, drLabel);
        return Screen({r.Left + 4, r.Top + r.Height() / 2});
    }
    TPoint DividerPoint(int32_t section)
    {
        TRect r = list->Header()->SectionRect(section);
        return list->Header()->ClientToScreen({r.Right - 1, r.Height() / 2});
    }

    std::unique_ptr<TForm> form;
    TLoggingListView* list = nullptr;
    std::vector<std::string> log;
};

TEST_F(ListViewTest, CellRectanglesFollowColumnsCheckBoxesAndHeader)
{
    int32_t header = list->HeaderHeight();
    int32_t row = list->RowHeight();
    TListItem* second = list->Items()->Item(1);
    EXPECT_EQ(list->SubItemRect(second, 1, drBounds), Rect(100, header + row, 160, header + 2 * row));
    EXPECT_EQ(second->DisplayRect(drBounds), Rect(0, header + row, 210, header + 2 * row));
    EXPECT_EQ(second->DisplayRect(drLabel).Left, 2);

    list->SetCheckboxes(true);
    EXPECT_EQ(list->Items()->Item(1)->DisplayRect(drLabel).Left, 18);
    EXPECT_EQ(list->Header()->SectionRect(2), Rect(160, 0, 210, header));
}

TEST_F(ListViewTest, HitTestsNameThePartUnderThePoint)
{
    list->SetCheckboxes(true);
    int32_t y = list->HeaderHeight() + list->RowHeight() / 2;
    struct TCase {
        int32_t X, Y;
        THitTests Hits;
    };
    const TCase cases[] = {
        {8, y, htOnItem | htOnStateIcon},
        {40, y, htOnItem | htOnLabel},
        {120, y, htNowhere},
        {250, y, htToRight},
        {40, 2, htAbove},
        {40, list->HeaderHeight() + 10 * list->RowHeight(), htNowhere},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(list->GetHitTestInfoAt(c.X, c.Y), c.Hits) << c.X << "," << c.Y;
    list->SetRowSelect(true);
    EXPECT_EQ(list->GetItemAt(120, y), list->Items()->Item(0)) << "with row select a sub-item belongs to its item";
}

TEST_F(ListViewTest, ClickingItemsMovesSelectionAndFocusWithEventsInOrder)
{
    LogEvents();
    backend.Click(CellPoint(0, 0));
    Pump();
    EXPECT_EQ(list->Selected(), list->Items()->Item(0));
    log.clear();
    backend.Click(CellPoint(2, 0));
    Pump();
    EXPECT_EQ(list->Selected(), list->Items()->Item(2));
    EXPECT_EQ(list->ItemFocused(), list->Items()->Item(2));
    EXPECT_EQ(
        log,
        (std::vector<std::string>{"changing b.avi", "change b.avi", "unselect b.avi", "changing c.mkv", "change c.mkv",
                                  "select c.mkv", "changing b.avi", "change b.avi", "changing c.mkv", "change c.mkv"}));
}

TEST_F(ListViewTest, ACheckBoxToggleCanBeVetoed)
{
    list->SetCheckboxes(true);
    LogEvents();
    bool allow = false;
    list->OnChanging = [&](TObject*, TListItem*, TItemChange change, bool& allowChange) {
        log.push_back(change == ctState ? "changing state" : "changing");
        allowChange = allow;
    };
    TRect box = list->Items()->Item(1)->DisplayRect(drBounds);
    TPoint onBox = Screen({8, box.Top + box.Height() / 2});
    backend.Click(onBox);
    Pump();
    EXPECT_FALSE(list->Items()->Item(1)->Checked());
    EXPECT_EQ(log, (std::vector<std::string>{"changing state"}));

    allow = true;
    backend.TestClock().AdvanceMs(1000);
    backend.Click(onBox);
    Pump();
    EXPECT_TRUE(list->Items()->Item(1)->Checked());
    EXPECT_EQ(list->Selected(), nullptr) << "the box toggles without selecting";

    list->SetItemFocused(list->Items()->Item(1));
    backend.PressKey(VK_SPACE);
    Pump();
    EXPECT_FALSE(list->Items()->Item(1)->Checked());
}

TEST_F(ListViewTest, KeysMoveTheFocusAndScrollItIntoView)
{
    list->Items()->BeginUpdate();
    for (int i = 0; i < 30; ++i)
        list->Items()->Add()->SetCaption("more " + std::to_string(i));
    EXPECT_FALSE(list->CreatedStyle() & WS_VSCROLL) << "no re-measuring inside an update";
    list->Items()->EndUpdate();
    EXPECT_TRUE(list->CreatedStyle() & WS_VSCROLL);
    EXPECT_FALSE(list->CreatedStyle() & WS_HSCROLL);

    list->SetFocus();
    Pump();
    backend.PressKey(VK_DOWN);
    backend.PressKey(VK_DOWN);
    Pump();
    EXPECT_EQ(list->Selected()->Index(), 1);
    backend.PressKey(VK_END);
    Pump();
    EXPECT_EQ(list->ItemFocused()->Index(), 32);
    EXPECT_EQ(list->Perform(LVM_GETTOPINDEX), 33 - list->VisibleRowCount());
    backend.PressKey(VK_HOME);
    Pump();
    EXPECT_EQ(list->Perform(LVM_GETTOPINDEX), 0);

    list->Perform(LVM_SCROLL, 0, 3 * list->RowHeight());
    EXPECT_EQ(list->Perform(LVM_GETTOPINDEX), 3);
}

TEST_F(ListViewTest, WideColumnsBringTheHorizontalBarAndScrollTheHeader)
{
    list->Column(0)->SetWidth(400);
    EXPECT_TRUE(list->CreatedStyle() & WS_HSCROLL);
    list->Scroll(50, 0);
    EXPECT_EQ(list->ScrollLeft(), 50);
    EXPECT_EQ(list->Header()->SectionRect(1).Left, 350);
    EXPECT_EQ(list->SubItemRect(list->Items()->Item(0), 1, drBounds).Left, 350);
}

TEST_F(ListViewTest, AutoSizeColumnTakesTheRestOfTheWidth)
{
    list->Column(2)->SetAutoSize(true);
    EXPECT_EQ(list->Column(2)->Width(), list->ClientWidth() - 160);
}

TEST_F(ListViewTest, HeaderClickReportsTheColumn)
{
    std::vector<std::string> clicked;
    list->OnColumnClick = [&clicked](TObject*, TListColumn* column) { clicked.push_back(column->Caption()); };
    TRect r = list->Header()->SectionRect(1);
    TPoint p = list->Header()->ClientToScreen({r.Left + 20, 5});
    backend.MouseDown(p);
    Pump();
    EXPECT_EQ(list->Header()->PressedIndex(), 1);
    backend.MouseUp(p);
    Pump();
    EXPECT_EQ(list->Header()->PressedIndex(), -1);
    EXPECT_EQ(clicked, (std::vector<std::string>{"Format"}));
    EXPECT_EQ(log, (std::vector<std::string>{"itemclick"}));

    list->SetColumnClick(false);
    backend.TestClock().AdvanceMs(1000);
    backend.Click(p);
    Pump();
    EXPECT_EQ(clicked.size(), 1u);
}

TEST_F(ListViewTest, DraggingADividerResizesTheColumnUnlessRefused)
{
    TPoint divider = DividerPoint(0);
    backend.MouseDown(divider);
    backend.MouseMove({divider.X + 30, divider.Y});
    Pump();
    EXPECT_EQ(list->Header()->TrackingIndex(), 0);
    EXPECT_EQ(list->Column(0)->Width(), 130) << "columns follow the drag";
    backend.MouseUp({divider.X + 30, divider.Y});
    Pump();
    EXPECT_EQ(list->Header()->TrackingIndex(), -1);
    EXPECT_EQ(log, (std::vector<std::string>{"begintrack", "endtrack"}));
    EXPECT_EQ(list->SubItemRect(list->Items()->Item(0), 1, drBounds).Left, 130);

    list->RefuseTracking = true;
    divider = DividerPoint(0);
    backend.TestClock().AdvanceMs(1000);
    backend.MouseDown(divider);
    backend.MouseMove({divider.X - 50, divider.Y});
    backend.MouseUp({divider.X - 50, divider.Y});
    Pump();
    EXPECT_EQ(list->Column(0)->Width(), 130);
}

TEST_F(ListViewTest, HeaderHotTrackingAndOwnerDrawnSections)
{
    TRect r = list->Header()->SectionRect(2);
    backend.MouseMove(list->Header()->ClientToScreen({r.Left + 20, 5}));
    Pump();
    EXPECT_EQ(list->Header()->HotIndex(), 2);

    THDItem format;
    format.mask = HDI_FORMAT;
    format.fmt = HDF_OWNERDRAW | HDF_RIGHT;
    list->Header()->Perform(HDM_SETITEM, 2, reinterpret_cast<LPARAM>(&format));
    Pump();
    ASSERT_EQ(list->Drawn.size(), 1u);
    EXPECT_EQ(list->Drawn[0].CtlType, ODT_HEADER);
    EXPECT_EQ(list->Drawn[0].itemID, 2);
    EXPECT_EQ(list->Drawn[0].rcItem, r);
    EXPECT_TRUE(list->Drawn[0].itemState & ODS_HOTLIGHT);

    TLVColumn column;
    column.mask = LVCF_TEXT | LVCF_FMT;
    list->Column(2)->SetAlignment(taRightJustify);
    list->Perform(LVM_GETCOLUMN, 2, reinterpret_cast<LPARAM>(&column));
    EXPECT_EQ(column.text, "Time");
    EXPECT_EQ(column.fmt, LVCFMT_RIGHT);
}

TEST_F(ListViewTest, CustomSortAndAlphaSort)
{
    list->Items()->Item(0)->SetData(reinterpret_cast<void*>(uintptr_t{42}));
    // Empty texts last, by the third column.
    list->CustomSort(
        [](TListItem* a, TListItem* b, intptr_t column) {
            std::string x = a->SubItems()->Strings(static_cast<int32_t>(column) - 1);
            std::string y = b->SubItems()->Strings(static_cast<int32_t>(column) - 1);
            if (x.empty() != y.empty())
                return x.empty() ? 1 : -1;
            return x.compare(y);
        },
        2);
    EXPECT_EQ(list->Items()->Item(0)->Caption(), "c.mkv");
    EXPECT_EQ(list->Items()->Item(1)->Caption(), "b.avi");
    EXPECT_EQ(list->Items()->Item(1)->Data(), reinterpret_cast<void*>(uintptr_t{42}));
    EXPECT_EQ(list->Items()->Item(2)->Caption(), "a.mp4");

    list->AlphaSort();
    EXPECT_EQ(list->Items()->Item(0)->Caption(), "a.mp4");
}

TEST_F(ListViewTest, CustomDrawPrePaintColoursTheItem)
{
    list->OnCustomDrawItem = [](TCustomListView* sender, TListItem* item, TCustomDrawState, bool& defaultDraw) {
        sender->Canvas()->Brush()->SetColor(clYellow);
        defaultDraw = item->Index() != 2;
    };
    list->Invalidate();
    Pump();
    auto pixelOfRow = [this](int32_t index) {
        TRect r = list->Items()->Item(index)->DisplayRect(drBounds);
        TPoint p = form->ScreenToClient(Screen({r.Right - 5, r.Top + 2}));
        return StorePixel(*form, p.X, p.Y);
    };
    EXPECT_EQ(pixelOfRow(0), ColorToRGB(clYellow));
    EXPECT_EQ(pixelOfRow(2), ColorToRGB(clWindow)) << "an item not drawn the default way keeps the background";
}

} // namespace

TEST_F(ListViewTest, CaptionsAreEditedInPlaceAndOnEditedHasTheLastWord)
{
    std::vector<std::string> edited;
    list->OnEdited = [&](TObject*, TListItem* item, std::string& text) {
        edited.push_back(item->Caption() + ">" + text);
        if (text == "veto")
            text = item->Caption();
    };
    TListItem* item = list->Items()->Item(1);
    backend.Click(CellPoint(1, 0));
    Pump();
    Wait(1000); // not a double click
    backend.Click(CellPoint(1, 0));
    Pump();
    ASSERT_TRUE(list->IsEditing()) << "a click on the selected item edits it";
    EXPECT_EQ(list->EditControl()->Text(), "a.mp4");
    EXPECT_EQ(list->EditControl()->BoundsRect().Left, item->DisplayRect(drLabel).Left);
    Type("d.mov"); // replaces the selected caption
    Press(VK_RETURN);
    EXPECT_FALSE(list->IsEditing());
    EXPECT_EQ(item->Caption(), "d.mov");
    EXPECT_TRUE(list->Focused());
    EXPECT_TRUE(form->Visible()) << "Enter went to the edit, not to the form";

    Press(VK_F1 + 1); // F2
    ASSERT_TRUE(list->IsEditing());
    Type("dropped");
    Press(VK_ESCAPE);
    EXPECT_FALSE(list->IsEditing());
    EXPECT_EQ(item->Caption(), "d.mov");

    Press(VK_F1 + 1); // F2
    Type("veto");
    Press(VK_RETURN);
    EXPECT_EQ(item->Caption(), "d.mov");
    EXPECT_EQ(edited, (std::vector<std::string>{"a.mp4>d.mov", "d.mov>veto"}));

    list->OnEditing = [](TObject*, TListItem*, bool& allow) { allow = false; };
    Press(VK_F1 + 1); // F2
    EXPECT_FALSE(list->IsEditing());
    list->OnEditing = nullptr;
    list->SetReadOnly(true);
    EXPECT_FALSE(item->EditCaption());
    list->SetReadOnly(false);

    // Leaving the edit keeps the text.
    auto* other = new TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(10, 220, 100, 21);
    ASSERT_TRUE(item->EditCaption());
    Type("e.webm");
    Focus(*other);
    EXPECT_FALSE(list->IsEditing());
    EXPECT_EQ(item->Caption(), "e.webm");
}

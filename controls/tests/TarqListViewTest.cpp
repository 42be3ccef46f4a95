#include <gtest/gtest.h>

#include "ButtonTestSupport.h"
#include "controls/TarqFrameController.h"
#include "controls/TarqListVw.h"
#include "controls/TarqShellUtils.h"
#include "platform/ui/FormResources.h"
#include "platform/ui/HeaderControl.h"
#include "platform/ui/Menus.h"
#include "platform/ui/ScrollBars.h"

namespace {

using Rows = std::vector<std::string>;

// A list view that reports a chosen common-controls version.
class TVersionedListView : public TTarqListView {
public:
    TVersionedListView(TComponent* owner, uint64_t version) : TTarqListView(owner), version_(version) {}

protected:
    uint64_t CommonControlsVersion() const override { return version_; }

private:
    uint64_t version_;
};

// The converter's source list: five columns in report view, 500 pixels of
// client width.
class TarqListView : public ButtonUiTest {
protected:
    TarqListView()
    {
        form->SetBounds(0, 0, 600, 300);
        view = new TTarqListView(form.get());
        view->SetBorderStyle(bsNone);
        view->SetBounds(10, 10, 500, 200);
        view->SetViewStyle(vsReport);
        view->SetParent(form.get());
        for (auto [caption, width] : {std::pair{"Video File", 150},
                                      {"Output Format", 90},
                                      {"Total Time", 80},
                                      {"Clip Time", 80},
                                      {"Progress", 55}}) {
            TListColumn* column = view->Columns()->Add();
            column->SetCaption(caption);
            column->SetWidth(width);
        }
        Pump();
    }

    void AddItem(const std::string& caption, std::vector<std::string> subItems)
    {
        TListItem* item = view->Items()->Add();
        item->SetCaption(caption);
        for (const auto& text : subItems)
            item->SubItems()->Add(text);
    }

    std::string Captions() const
    {
        std::string result;
        for (int32_t i = 0; i < view->Items()->Count(); ++i)
            result += view->Items()->Item(i)->Caption();
        return result;
    }

    TRect SectionRect(int32_t index) const { return view->Header()->SectionRect(index); }

    void ClickHeader(int32_t column)
    {
        const TRect r = SectionRect(column);
        ClickAt(*view->Header(), (r.Left + r.Right) / 2, r.Height() / 2);
    }

    // The list painted, cut to one header section.
    std::unique_ptr<TBitmap> SectionImage(int32_t column)
    {
        auto image = Snapshot(*view);
        const TRect r = SectionRect(column);
        auto section = BlankBitmap(r.Width(), r.Height());
        section->Canvas()->CopyRect(Rect(0, 0, r.Width(), r.Height()), image->Canvas(), r);
        return section;
    }

    TTarqListView* view;
};

// ---- Last column ---------------------------------------------------------------

TEST_F(TarqListView, LastColumnFillsTheClientWidth)
{
    struct Case {
        const char* what;
        int32_t firstWidth;
        bool withItems;
        int32_t expected;
    };
    for (const Case& c : {Case{"with items", 150, true, 100}, Case{"without items", 150, false, 100 - ScrollBarSize},
                          Case{"never below 5", 246, true, 5}, Case{"others too wide", 450, true, -1}}) {
        SCOPED_TRACE(c.what);
        view->Items()->Clear();
        if (c.withItems)
            AddItem("a.avi", {});
        view->Column(4)->SetWidth(55);
        view->Column(0)->SetWidth(c.firstWidth);
        view->FillLastColumnWidth();
        EXPECT_EQ(view->Column(4)->Width(), c.expected < 0 ? 55 : c.expected);
    }

    view->SetFillLastColumn(false);
    view->Column(4)->SetWidth(55);
    view->Column(0)->SetWidth(150);
    view->FillLastColumnWidth();
    EXPECT_EQ(view->Column(4)->Width(), 55);
    view->SetFillLastColumn(true); // the change itself fills
    EXPECT_EQ(view->Column(4)->Width(), 100);
}

TEST_F(TarqListView, LastColumnFollowsResizingAndDividerDrags)
{
    AddItem("a.avi", {});
    view->FillLastColumnWidth();
    view->SetBounds(10, 10, 520, 200);
    EXPECT_EQ(view->Column(4)->Width(), 120);

    // Drag the first divider 20 pixels to the right.
    const int32_t y = SectionRect(0).Height() / 2;
    backend.MouseDown(At(*view->Header(), SectionRect(0).Right - 1, y));
    backend.MouseMove(At(*view->Header(), SectionRect(0).Right + 19, y));
    backend.MouseUp(At(*view->Header(), SectionRect(0).Right + 19, y));
    Pump();
    EXPECT_EQ(view->Column(0)->Width(), 170);
    EXPECT_EQ(view->Column(4)->Width(), 100);
}

TEST_F(TarqListView, LoadedFromAFormLeavesRoomForTheScrollBar)
{
    TForm loaded(nullptr);
    ReadComponentText(&loaded, R"(object F: TForm
  Width = 600
  Height = 300
  object L: TTarqListView
    Width = 500
    Height = 200
    BorderStyle = bsNone
    ViewStyle = vsReport
    Columns = <
      item
        Caption = 'Video File'
        Width = 150
      end
      item
        Caption = 'Progress'
        Width = 55
      end>
    FrameFlat = True
  end
end
)",
                      nullptr);
    auto* list = dynamic_cast<TTarqListView*>(loaded.FindComponent("L"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Column(1)->Width(), 500 - 150 - ScrollBarSize);
    // The retired setting turns into hot tracking.
    EXPECT_TRUE(list->FrameHotTrack());
    EXPECT_EQ(list->FrameStyle(), fsStatus);
    EXPECT_EQ(list->FrameHotStyle(), fsLowered);
}

// ---- Sorting ---------------------------------------------------------------------

TEST(TarqListViewOrder, EmptyTextsGoLastAndCaseIsIgnored)
{
    THeadlessDesktop desktop;
    TTarqListView owner(nullptr);
    auto item = [&owner](const std::string& caption, std::vector<std::string> subItems) {
        TListItem* result = owner.Items()->Add();
        result->SetCaption(caption);
        for (const auto& text : subItems)
            result->SubItems()->Add(text);
        return result;
    };
    TListItem* abc = item("abc", {"x"});
    TListItem* abd = item("ABD", {""});
    TListItem* none = item("", {});
    struct Case {
        const TListItem* a;
        const TListItem* b;
        int32_t column;
        int32_t sign;
    };
    for (const Case& c : {Case{abc, abd, 0, -1}, Case{abd, abc, 0, 1}, Case{abc, abc, 0, 0}, Case{abc, none, 0, -1},
                          Case{none, abc, 0, 1}, Case{abd, abc, 1, 1}, // "" after "x"
                          Case{none, abd, 1, 0}, // a missing sub-item is empty
                          Case{nullptr, abc, 0, 0}, Case{abc, abd, -1, 0}}) {
        const int32_t result = TTarqCustomListView::CompareAscending(c.a, c.b, c.column);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << (c.a ? c.a->Caption() : "nil") << " column " << c.column;
    }
}

TEST_F(TarqListView, HeaderClicksSortAscendingDescendingAndAscendingAgain)
{
    AddItem("A", {"avi", "0:10"});
    AddItem("B", {"avi", ""});
    AddItem("C", {"avi", "0:05"});
    AddItem("D", {"avi", "0:20"});
    view->SetAlphaSortAll(true);
    std::vector<int32_t> clicked;
    view->OnColumnClick = [&](TObject*, TListColumn* column) { clicked.push_back(column->Index()); };

    ClickHeader(2);
    EXPECT_EQ(Captions(), "CADB");
    EXPECT_EQ(view->SortColumn(), 2);
    EXPECT_FALSE(view->SortDescending());
    ClickHeader(2);
    EXPECT_EQ(Captions(), "BDAC");
    EXPECT_TRUE(view->SortDescending());
    ClickHeader(2);
    EXPECT_EQ(Captions(), "CADB");
    EXPECT_FALSE(view->SortDescending());
    ClickHeader(0);
    EXPECT_EQ(Captions(), "ABCD");
    EXPECT_EQ(view->SortColumn(), 0);
    EXPECT_EQ(clicked, (std::vector<int32_t>{2, 2, 2, 0}));

    view->SetAlphaSortAll(false);
    ClickHeader(2);
    EXPECT_EQ(Captions(), "ABCD");
}

TEST_F(TarqListView, WheelScrollsThreeLinesOfSixteenPixels)
{
    for (int i = 0; i < 40; ++i)
        AddItem("item", {});
    int fired = 0;
    view->OnMouseWheel = [&](TObject*, TShiftState, int32_t, TPoint, bool&) { ++fired; };
    const int32_t rows = 3 * 16 / view->RowHeight();
    view->SetFocus();
    backend.Wheel(At(*view, 100, 100), -120);
    Pump();
    EXPECT_EQ(view->TopItem()->Index(), rows);
    backend.Wheel(At(*view, 100, 100), 120);
    Pump();
    EXPECT_EQ(view->TopItem()->Index(), 0);
    EXPECT_EQ(fired, 2);
}

// ---- Check boxes ---------------------------------------------------------------------

TEST_F(TarqListView, RowSelectEditsStartOnTheCaptionUnlessEditOnRowClick)
{
    AddItem("clip.mp4", {"MP4"});
    view->SetRowSelect(true);
    TListItem* item = view->Items()->Item(0);
    const TRect label = item->DisplayRect(drLabel);
    const TRect format = view->SubItemRect(item, 1, drLabel);
    auto clickTwice = [&](TPoint p) {
        ClickAt(*view, p.X, p.Y);
        Wait(1000);
        ClickAt(*view, p.X, p.Y);
    };
    clickTwice({format.Left + 5, format.Top + 4});
    EXPECT_FALSE(view->IsEditing()) << "the second column is beside the caption";
    clickTwice({label.Left + 5, label.Top + 4});
    EXPECT_TRUE(view->IsEditing());
    Press(VK_ESCAPE);

    view->SetEditOnRowClick(true);
    clickTwice({format.Left + 5, format.Top + 4});
    EXPECT_TRUE(view->IsEditing());
    Press(VK_ESCAPE);
}

TEST_F(TarqListView, CheckBoxChangeCanBeVetoed)
{
    view->SetCheckboxes(true);
    AddItem("A", {});
    TListItem* item = view->Items()->Item(0);
    std::vector<bool> asked;
    std::vector<TListItem*> changed;
    bool allow = false;
    view->OnCheckStateChanging = [&](TObject*, TListItem*, bool toBeChecked, bool& allowChange) {
        asked.push_back(toBeChecked);
        allowChange = allow;
    };
    view->OnCheckStateChange = [&](TObject*, TListItem* i) { changed.push_back(i); };

    item->SetChecked(true);
    EXPECT_FALSE(item->Checked());
    EXPECT_TRUE(changed.empty());

    allow = true;
    view->SetFocus();
    item->SetSelected(true);
    item->SetFocused(true);
    backend.PressKey(VK_SPACE);
    Pump();
    EXPECT_TRUE(item->Checked());
    EXPECT_EQ(changed, std::vector<TListItem*>{item});
    item->SetChecked(false);
    EXPECT_EQ(asked, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(changed.size(), 2u);
}

// ---- Context menus ---------------------------------------------------------------------

class TarqListViewMenus : public TarqListView {
protected:
    TarqListViewMenus()
    {
        AddItem("A", {"avi"});
        AddItem("B", {"avi"});
        menu = new TPopupMenu(form.get());
        menu->OnPopup = [this](TObject*) { ++popups; };
        view->SetPopupMenu(menu);
        view->OnItemContextMenu = [this](TObject*, TListItem* item, TPoint& pos, TPopupMenu*& chosen) {
            asked.push_back({item, pos});
            if (hideMenu)
                chosen = nullptr;
        };
    }
    TPoint RowCentre(int32_t index) const
    {
        const TRect r = view->Items()->Item(index)->DisplayRect(drLabel);
        return {r.Left + 5, (r.Top + r.Bottom) / 2};
    }
    void RightClick(TPoint p)
    {
        backend.Click(At(*view, p.X, p.Y), 1);
        Pump();
    }

    TPopupMenu* menu;
    int popups = 0;
    bool hideMenu = false;
    std::vector<std::pair<TListItem*, TPoint>> asked;
};

TEST_F(TarqListViewMenus, ItemMenuCanBeReplacedByNothingAndNeverShowsTwice)
{
    hideMenu = true;
    RightClick(RowCentre(1));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].first, view->Items()->Item(1));
    EXPECT_EQ(asked[0].second, RowCentre(1));
    EXPECT_EQ(popups, 0); // not even the control's own menu on the release

    hideMenu = false;
    RightClick(RowCentre(0));
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(menu->PopupComponent(), view);
}

TEST_F(TarqListViewMenus, BesideTheItemsTheDefaultMenuShowsWithoutAnItem)
{
    RightClick({250, 150});
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(popups, 1);
}

TEST_F(TarqListViewMenus, MenuKeyShowsTheFocusedItemsMenuAtItsIcon)
{
    view->SetFocus();
    view->Items()->Item(1)->SetSelected(true);
    view->Items()->Item(1)->SetFocused(true);
    Pump();
    backend.PressKey(VK_APPS);
    Pump();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].first, view->Items()->Item(1));
    const TRect icon = view->Items()->Item(1)->DisplayRect(drIcon);
    EXPECT_EQ(asked[0].second, (TPoint{(icon.Left + icon.Right) / 2, (icon.Top + icon.Bottom) / 2}));
    EXPECT_EQ(popups, 1);
}

// ---- Colours and frame ----------------------------------------------------------------

TEST_F(TarqListView, ColourFollowsTheState)
{
    view->SetColor(clLime);
    EXPECT_EQ(view->FocusColor(), clLime); // taken along while equal
    view->SetFocusColor(clAqua);
    view->SetDisabledColor(clGray);

    view->SetEnabled(false);
    EXPECT_EQ(view->Color(), clGray);
    view->SetEnabled(true);
    EXPECT_EQ(view->Color(), clLime);
    view->SetFocus();
    Pump();
    EXPECT_EQ(view->Color(), clAqua);
    view->SetColor(clYellow); // from outside, while focused
    EXPECT_EQ(view->NormalColor(), clYellow);
    EXPECT_EQ(view->FocusColor(), clAqua);
}

TEST_F(TarqListView, DisabledItemsLieOnTheDisabledColour)
{
    AddItem("A", {"avi"});
    view->SetColor(clWhite);
    view->SetDisabledColor(clYellow);
    view->OnCustomDrawItem = [](TCustomListView* sender, TListItem*, TCustomDrawState, bool&) {
        sender->Canvas()->Brush()->SetColor(clRed);
    };
    const TRect row = view->Items()->Item(0)->DisplayRect(drBounds);
    const TPoint blank{row.Right - 30, (row.Top + row.Bottom) / 2};

    EXPECT_EQ(PixelAt(*Snapshot(*view), blank.X, blank.Y), clRed);
    view->SetEnabled(false);
    EXPECT_EQ(PixelAt(*Snapshot(*view), blank.X, blank.Y), clYellow);
    view->OnCustomDrawItem = nullptr;
    EXPECT_EQ(PixelAt(*Snapshot(*view), blank.X, blank.Y), clYellow);
    view->SetEnabled(true);
    EXPECT_EQ(PixelAt(*Snapshot(*view), blank.X, blank.Y), clWhite);
}

// Rows of the painted frame: r frame colour, b hot colour, w the list's colour.
Rows FrameRows(TWinControl& control)
{
    auto image = Snapshot(control);
    TLegend legend = {{'w', ColorToRGB(clWindow)}, {'r', clRed}, {'b', clBlue}};
    for (const auto& entry : SystemLegend())
        legend.push_back(entry);
    const Rows rows = Grid(*image, legend);
    return {rows[0].substr(0, 6), rows[1].substr(0, 6), rows.back().substr(0, 6)};
}

TEST_F(TarqListView, OwnFrameIsDrawnPerStyleAndHotWhileHovered)
{
    view->SetBorderStyle(bsSingle);
    view->SetFramingPreference(fpCustomFraming);
    view->SetFrameColor(clRed);
    Pump();
    EXPECT_EQ(FrameRows(*view)[0], "SSSSSS"); // the standard edge, no frame of its own

    view->SetFrameVisible(true);
    Pump();
    EXPECT_EQ(FrameRows(*view)[0], "rrrrrr");
    EXPECT_EQ(FrameRows(*view)[1], "rwwwww");
    view->SetFrameStyle(fsFlatBold);
    EXPECT_EQ(FrameRows(*view)[1], "rrrrrr");
    view->SetFrameStyle(fsFlat);
    view->SetFrameSides(TSides{sdBottom});
    EXPECT_EQ(FrameRows(*view)[0], "wwwwww");
    EXPECT_EQ(FrameRows(*view)[2], "rrrrrr");

    view->SetFrameHotColor(clBlue);
    view->SetFrameHotTrack(true);
    EXPECT_EQ(view->FrameSides(), AllSides);
    int entered = 0, left = 0;
    view->OnMouseEnter = [&](TObject*) { ++entered; };
    view->OnMouseLeave = [&](TObject*) { ++left; };
    backend.MouseMove(At(*view, 100, 150));
    Pump();
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(FrameRows(*view)[1], "bbbbbb"); // fsFlatBold in the hot colour
    backend.MouseMove(At(*form, 580, 280));
    Pump();
    EXPECT_EQ(left, 1);
    EXPECT_EQ(FrameRows(*view)[1], "rwwwww");

    UseRecordingTheme();
    themes.Enabled = true;
    view->SetFramingPreference(fpXPThemes);
    EXPECT_EQ(FrameRows(*view)[0], "SSSSSS");
}

TEST_F(TarqListView, ControllerSettingsArePushedAndNotWrittenToTheForm)
{
    auto* frames = new TTarqFrameController(form.get());
    frames->SetName("Frames");
    view->SetName("L");
    frames->SetFrameStyle(fsGroove);
    frames->SetFrameVisible(true);
    frames->SetDisabledColor(clGray);
    view->SetFrameController(frames);
    EXPECT_EQ(view->FrameStyle(), fsGroove);
    EXPECT_TRUE(view->FrameVisible());
    EXPECT_EQ(view->DisabledColor(), clGray);

    const std::string formText = WriteComponentText(form.get(), nullptr);
    const size_t start = formText.find("object L:");
    ASSERT_NE(start, std::string::npos);
    const std::string text = formText.substr(start, formText.find("\n  end", start) - start);
    EXPECT_EQ(text.find("FrameStyle ="), std::string::npos);
    EXPECT_NE(text.find("FrameController = Frames"), std::string::npos);

    delete frames;
    EXPECT_EQ(view->FrameController(), nullptr);
}

// ---- Header ----------------------------------------------------------------------------

TEST_F(TarqListView, HeaderItemsAreOwnerDrawnUnlessTheModeIsNone)
{
    EXPECT_EQ(view->HeaderSortDisplayMode(), hsdmRightOfText);
    view->Column(4)->SetAlignment(taRightJustify);
    Pump();
    EXPECT_EQ(view->Header()->Section(0).fmt, HDF_LEFT | HDF_OWNERDRAW);
    EXPECT_EQ(view->Header()->Section(4).fmt, HDF_RIGHT | HDF_OWNERDRAW);

    view->SetHeaderSortDisplayMode(hsdmNone);
    EXPECT_EQ(view->Header()->Section(0).fmt, HDF_LEFT | HDF_STRING);
    EXPECT_EQ(view->Header()->Section(4).fmt, HDF_RIGHT | HDF_STRING);

    // Columns added later are owner-drawn by the next paint.
    view->SetHeaderSortDisplayMode(hsdmRightAlign);
    view->Columns()->Add()->SetCaption("Extra");
    Pump();
    EXPECT_EQ(view->Header()->Section(5).fmt, HDF_LEFT | HDF_OWNERDRAW);
}

TEST(TarqListViewVersion, OldCommonControlsCannotShowTheSortArrow)
{
    THeadlessDesktop desktop;
    for (auto [version, expected] :
         {std::pair{MakeFileVersion(4, 0, 0, 950), hsdmNone}, {MakeFileVersion(4, 70, 0, 0), hsdmLeftAlign}}) {
        TVersionedListView view(nullptr, version);
        EXPECT_EQ(view.HeaderSortDisplayMode(), hsdmRightOfText);
        view.SetHeaderSortDisplayMode(hsdmLeftAlign);
        EXPECT_EQ(view.HeaderSortDisplayMode(), expected);
    }
}

struct TInk {
    TRect arrow;
    TRect text;
};

// The caption is anti-aliased: its ink is whatever is neither face nor arrow.
TRect TextInk(TBitmap& section)
{
    TRect box{};
    for (int32_t y = 0; y < section.Height(); ++y)
        for (int32_t x = 0; x < section.Width(); ++x) {
            const TColor pixel = PixelAt(section, x, y);
            if (pixel != ColorToPixelRGB(clBtnFace) && pixel != ColorToPixelRGB(clBtnShadow))
                box = UnionRect(box, Rect(x, y, x + 1, y + 1));
        }
    return box;
}

TInk InkOf(TBitmap& section) { return {InkBox(section, clBtnShadow), TextInk(section)}; }

// Rows of the arrow's ink get wider downward when it points up.
bool PointsUp(TBitmap& section, const TRect& arrow)
{
    auto width = [&](int32_t y) {
        int32_t n = 0;
        for (int32_t x = arrow.Left; x < arrow.Right; ++x)
            n += PixelAt(section, x, y) == ColorToPixelRGB(clBtnShadow);
        return n;
    };
    return width(arrow.Top) < width(arrow.Bottom - 1);
}

TEST_F(TarqListView, SortArrowIsPlacedByTheDisplayMode)
{
    view->Column(1)->SetWidth(120);
    view->Column(3)->SetAlignment(taRightJustify);
    view->SetSortColumn(1);
    Pump();
    const int32_t width = SectionRect(1).Width();

    auto unsorted = SectionImage(0);
    EXPECT_TRUE(IsRectEmpty(InkOf(*unsorted).arrow));

    // Right of a left-aligned caption.
    auto image = SectionImage(1);
    TInk ink = InkOf(*image);
    ASSERT_FALSE(IsRectEmpty(ink.arrow));
    EXPECT_GE(ink.arrow.Left, ink.text.Right + 3);
    EXPECT_LT(ink.arrow.Right, width - 6);
    EXPECT_TRUE(PointsUp(*image, ink.arrow));

    view->SetSortDescending(true);
    image = SectionImage(1);
    EXPECT_FALSE(PointsUp(*image, InkOf(*image).arrow));

    view->SetHeaderSortDisplayMode(hsdmLeftAlign);
    image = SectionImage(1);
    ink = InkOf(*image);
    EXPECT_LE(ink.arrow.Left, 8);
    EXPECT_GE(ink.text.Left, ink.arrow.Right + 4);

    view->SetHeaderSortDisplayMode(hsdmRightAlign);
    image = SectionImage(1);
    ink = InkOf(*image);
    EXPECT_GE(ink.arrow.Right, width - 14);
    EXPECT_LE(ink.text.Left, 8);

    // Right of the text mode puts it at the right edge of a right-aligned
    // column, the caption ending before it.
    view->SetHeaderSortDisplayMode(hsdmRightOfText);
    view->SetSortColumn(3);
    image = SectionImage(3);
    ink = InkOf(*image);
    EXPECT_GE(ink.arrow.Right, SectionRect(3).Width() - 14);
    EXPECT_LE(ink.text.Right, ink.arrow.Left - 4);
    EXPECT_TRUE(IsRectEmpty(InkOf(*SectionImage(1)).arrow));

    // A column too narrow for the arrow shows none.
    view->Column(3)->SetWidth(12);
    Pump();
    EXPECT_TRUE(IsRectEmpty(InkOf(*SectionImage(3)).arrow));
}

TEST_F(TarqListView, HeaderWithoutDefaultDrawingShowsOnlyItsFace)
{
    view->SetSortColumn(0);
    view->SetHeaderDefaultDrawing(false);
    TInk ink = InkOf(*SectionImage(0));
    EXPECT_TRUE(IsRectEmpty(ink.arrow));
    EXPECT_TRUE(IsRectEmpty(ink.text));
}

TEST_F(TarqListView, ThemedHeaderItemsShowHotAndPressedStates)
{
    UseRecordingTheme();
    themes.Enabled = true;
    auto stateOf = [this](int32_t index) {
        themes.Calls.clear();
        Snapshot(*view);
        int32_t state = -1;
        const TRect r = SectionRect(index);
        for (const auto& call : themes.Calls)
            if (call.Details.Element == TThemedClass::Header && call.Rect.Left == r.Left)
                state = call.Details.State;
        return state;
    };
    EXPECT_EQ(stateOf(1), HIS_NORMAL);
    const TRect r = SectionRect(1);
    backend.MouseMove(At(*view->Header(), r.Left + 20, r.Height() / 2));
    Pump();
    EXPECT_EQ(stateOf(1), HIS_HOT);
    EXPECT_EQ(stateOf(0), HIS_NORMAL);
    backend.MouseDown(At(*view->Header(), r.Left + 20, r.Height() / 2));
    Pump();
    EXPECT_EQ(stateOf(1), HIS_PRESSED);
    backend.MouseUp(At(*view->Header(), r.Left + 20, r.Height() / 2));
    Pump();
}

} // namespace

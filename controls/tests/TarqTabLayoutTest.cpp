#include <gtest/gtest.h>

#include "TarqTabTestSupport.h"
#include "platform/core/Exceptions.h"

namespace {

class TarqTabLayout : public TarqUiTest {
protected:
    TarqTabLayout()
    {
        control = new TTarqCustomTabControl(form.get());
        UseFixedMeasurer(*control);
        control->SetParent(form.get());
    }
    void Captions(std::initializer_list<const char*> captions)
    {
        for (const char* caption : captions)
            AddTab(*control, caption);
        control->UpdateLayout();
    }
    std::unique_ptr<TForm> form = MakeForm(400, 300);
    TTarqCustomTabControl* control;
};

// "Source": text 36 x 13, plus the image margin 2 -> content 38 x 13; a
// rounded tab adds 16 across and 6 along: 54 x 19.
TEST_F(TarqTabLayout, RoundCornersOnTopMatchTheConvertersGeometry)
{
    control->SetBounds(0, 0, 368, 171);
    control->SetTabStyle(tsRoundCorners);
    Captions({"Source", "Source", "Source"});
    EXPECT_EQ(control->RowThickness(), 19);
    EXPECT_EQ(control->TabStripThickness(), 22);
    EXPECT_EQ(control->TabIndex(), 0);
    EXPECT_EQ(control->GetTabControlRect(0), Rect(0, 1, 58, 22));
    EXPECT_EQ(control->GetTabControlRect(1), Rect(58, 3, 112, 22));
    EXPECT_EQ(control->GetDisplayRect(), Rect(1, 23, 365, 168));

    control->SetTabIndex(1);
    EXPECT_EQ(control->GetTabControlRect(0), Rect(2, 3, 56, 22));
    EXPECT_NE(*control->GetTabRegion(1), TRegion::Polygon(control->GetTabShapeInControl(0), ALTERNATE));

    control->SetTabOverlap(0);
    control->UpdateLayout();
    EXPECT_EQ(control->Tabs()->Item(1)->Rect.Left, control->Tabs()->Item(0)->Rect.Right + 1);
}

struct TMappingCase {
    TTarqTabOrientation Orientation;
    TTarqTabSequence Sequence;
    TRect SecondTab;
};

// Two "Ab" tabs (34 long, 19 thick across a horizontal strip; 19 long and
// 34 thick along a vertical one) in a 200 x 100 control; the second tab is
// not current, so it keeps its plain size.
TEST_F(TarqTabLayout, StripMapsOntoEverySideInBothSequences)
{
    const TMappingCase cases[] = {
        {toTop, tsStandard, Rect(38, 3, 72, 22)},      {toTop, tsReverse, Rect(127, 3, 161, 22)},
        {toBottom, tsStandard, Rect(38, 77, 72, 96)},  {toBottom, tsReverse, Rect(127, 77, 161, 96)},
        {toLeft, tsStandard, Rect(3, 57, 37, 76)},     {toLeft, tsReverse, Rect(3, 23, 37, 42)},
        {toRight, tsStandard, Rect(162, 23, 196, 42)}, {toRight, tsReverse, Rect(162, 57, 196, 76)},
    };
    control->SetBounds(0, 0, 200, 100);
    control->SetTabStyle(tsRoundCorners);
    Captions({"Ab", "Ab"});
    for (const TMappingCase& c : cases) {
        control->SetTabOrientation(c.Orientation);
        control->SetTabSequence(c.Sequence);
        control->UpdateLayout();
        EXPECT_EQ(control->GetTabControlRect(1), c.SecondTab) << int(c.Orientation) << "/" << int(c.Sequence);
    }
}

TEST_F(TarqTabLayout, MultiLineRowsRotateAndJustify)
{
    control->SetBounds(0, 0, 102, 120);
    control->SetTabStyle(tsRoundCorners);
    control->SetMultiLine(true);
    Captions({"Ab", "Ab", "Ab", "Ab", "Ab"});
    auto rows = [&] {
        std::string r;
        for (int32_t i = 0; i < 5; ++i)
            r += char('0' + control->Tabs()->Item(i)->Row);
        return r;
    };
    EXPECT_EQ(control->RowCount(), 3);
    EXPECT_EQ(rows(), "00112");
    EXPECT_EQ(control->TabStripThickness(), 3 + 19 + 2 * 14);
    EXPECT_EQ(control->Tabs()->Item(4)->Rect, Rect(0, 3, 34, 22));
    // Further rows shift along the strip by RowIndent per row.
    EXPECT_EQ(control->GetTabRect(4).Left, 10);

    control->SetTabIndex(3);
    EXPECT_EQ(rows(), "22001");
    EXPECT_EQ(control->Tabs()->Item(3)->Rect.Top, 31);
    EXPECT_EQ(control->Tabs()->Item(0)->Rect.Top, 3);

    // A new layout keeps the current tab's row next to the card.
    control->SetAlignTabs(true);
    control->UpdateLayout();
    EXPECT_EQ(rows(), "22001");
    // 99 long strip less two row indents; 74 used, 15 shared as 8 and 7.
    EXPECT_EQ(control->Tabs()->Item(0)->Rect, Rect(0, 3, 42, 22));
    EXPECT_EQ(control->Tabs()->Item(1)->Rect.Left, 44);
    EXPECT_EQ(control->Tabs()->Item(1)->Rect.Right, 85);
    EXPECT_EQ(control->Tabs()->Item(4)->Rect.Right, 85);
}

TEST_F(TarqTabLayout, LongTabGetsARowOfItsOwnCutToTheRow)
{
    control->SetBounds(0, 0, 102, 120);
    control->SetTabStyle(tsRoundCorners);
    control->SetMultiLine(true);
    Captions({"Ab", "A very long caption indeed", "Ab"});
    EXPECT_EQ(control->RowCount(), 3);
    EXPECT_EQ(control->Tabs()->Item(1)->Row, 1);
    EXPECT_EQ(control->Tabs()->Item(2)->Row, 2);
    // Row length 99 - 2 * 5, less 4 for the rounded style.
    EXPECT_EQ(control->Tabs()->Item(1)->Rect.Width(), 85);
}

TEST_F(TarqTabLayout, NoTabsLeaveTheCardOverTheWholeControl)
{
    control->SetBounds(0, 0, 200, 100);
    control->UpdateLayout();
    EXPECT_EQ(control->FirstVisibleTab(), -1);
    EXPECT_EQ(control->TabIndex(), -1);
    EXPECT_EQ(control->GetCardRect(0), Rect(0, 0, 199, 99));
    EXPECT_EQ(control->TabAtPos(10, 5), -1);
}

TEST_F(TarqTabLayout, OuterSizesOfTheStyles)
{
    struct TCase {
        TTarqTabStyle Style;
        int32_t TabHeight;
        TSize Outer;
    };
    // Content 20 x 10; slanted styles widen by TabHeight / 2 or TabHeight.
    const TCase cases[] = {
        {tsSingleSlant, 0, {2 * 8 + 26, 16}},     {tsSingleSlant, 9, {2 * 8 + 26 + 4, 9}},
        {tsDoubleSlant, 9, {2 * 12 + 26 + 9, 9}}, {tsBackSlant, 0, {42, 16}},
        {tsCutCorner, 0, {2 * 6 + 28, 17}},       {tsRoundCorners, 0, {36, 16}},
    };
    for (const TCase& c : cases) {
        control->SetTabStyle(c.Style);
        control->SetTabHeight(c.TabHeight);
        EXPECT_EQ(control->TabOuterSize(20, 10), c.Outer) << int(c.Style);
    }
}

TEST_F(TarqTabLayout, CaptionLinesAndAccelerators)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(TTarqCustomTabControl::SplitLines(""), V{});
    EXPECT_EQ(TTarqCustomTabControl::SplitLines("one\r\ntwo\r\n"), (V{"one", "two"}));
    EXPECT_EQ(TTarqCustomTabControl::StripAccelerator("&Save"), "Save");
    EXPECT_EQ(TTarqCustomTabControl::StripAccelerator("a&&b"), "a&b");
    EXPECT_EQ(TTarqCustomTabControl::StripAccelerator("end&"), "end&");
    EXPECT_EQ(control->MeasureText("&Ab\r\nxyz&", true), (TSize{24, 26}));
    EXPECT_EQ(control->MeasureText("&Ab\r\nxyz&", false), (TSize{26, 24}));
}

TEST_F(TarqTabLayout, FreeingTheImageListEmptiesImagesAndLaysOutAgain)
{
    auto* images = new TImageList(form.get());
    images->SetWidth(20);
    images->SetHeight(20);
    control->SetImages(images);
    control->SetTabStyle(tsRoundCorners);
    Captions({"Abcd"});
    control->Tabs()->Item(0)->ImageIndex = 0;
    control->RequestLayout();
    control->UpdateLayout();
    const int32_t withImage = control->Tabs()->Item(0)->Rect.Width();
    delete images;
    EXPECT_EQ(control->Images(), nullptr);
    control->UpdateLayout();
    EXPECT_EQ(control->Tabs()->Item(0)->Rect.Width(), withImage - 20);
}

TEST_F(TarqTabLayout, RegionCacheCapacity)
{
    TTarqTabRegionCache cache;
    cache.Add(Rect(0, 0, 5, 5), TRegion(Rect(0, 0, 5, 5)));
    cache.Add(Rect(1, 1, 5, 5), TRegion(Rect(1, 1, 5, 5)));
    EXPECT_EQ(cache.Count(), 1);
    EXPECT_EQ(cache.Find(Rect(0, 0, 5, 5)), nullptr);
    EXPECT_NE(cache.Find(Rect(1, 1, 5, 5)), nullptr);
    try {
        cache.SetCapacity(0);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Capacity must be -1 (to cache all regions) or > 0");
    }
    control->SetRegionCacheCapacity(0);
    EXPECT_EQ(control->RegionCacheCapacity(), 1);
    control->SetRegionCacheCapacity(-1);
    EXPECT_EQ(control->RegionCacheCapacity(), -1);
}

TEST_F(TarqTabLayout, SettersRefuseNegativesAndCoupleFrameAndShadow)
{
    control->SetTabHeight(20);
    control->SetMargin(3);
    control->SetCutCornerSize(4);
    for (auto set :
         {&TTarqCustomTabControl::SetTabHeight, &TTarqCustomTabControl::SetTabWidth, &TTarqCustomTabControl::SetMargin,
          &TTarqCustomTabControl::SetImageMargin, &TTarqCustomTabControl::SetRowIndent,
          &TTarqCustomTabControl::SetRowOverlap, &TTarqCustomTabControl::SetCutCornerSize})
        (control->*set)(-1);
    EXPECT_EQ(control->TabHeight(), 20);
    EXPECT_EQ(control->TabWidth(), 0);
    EXPECT_EQ(control->Margin(), 3);
    EXPECT_EQ(control->ImageMargin(), 2);
    EXPECT_EQ(control->RowIndent(), 5);
    EXPECT_EQ(control->RowOverlap(), 5);
    EXPECT_EQ(control->CutCornerSize(), 4);

    control->SetShowFullFrame(false);
    EXPECT_FALSE(control->ShowShadow());
    control->SetShowFullFrame(true);
    EXPECT_FALSE(control->ShowShadow());
    control->SetShowShadow(true);
    control->SetShowFullFrame(false);
    control->SetShowShadow(true);
    EXPECT_TRUE(control->ShowFullFrame());

    auto* other = new TTarqCustomTabControl(form.get());
    form->SetColor(clGreen);
    other->SetParent(form.get());
    EXPECT_EQ(other->BackgroundColor(), clGreen);

    control->SetBackgroundColor(clRed);
    EXPECT_FALSE(control->ParentBackgroundColor());
    form->SetColor(clBlue);
    EXPECT_EQ(control->BackgroundColor(), clRed);
    control->SetParentBackgroundColor(true);
    EXPECT_EQ(control->BackgroundColor(), clBlue);
}

} // namespace

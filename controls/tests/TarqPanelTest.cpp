#include <gtest/gtest.h>

#include "TarqTestSupport.h"
#include "controls/TarqColors.h"
#include "controls/TarqPanel.h"
#include "controls/TarqPanelDockManager.h"
#include "controls/TarqScheme.h"
#include "platform/core/Properties.h"

namespace {

using Rows = std::vector<std::string>;

class TarqPanel : public TarqUiTest {
protected:
    TarqPanel()
    {
        form->SetColor(clBlue);
        panel = new TTarqPanel(form.get());
        panel->SetBounds(10, 10, 40, 24);
        panel->SetParent(form.get());
    }
    std::unique_ptr<TForm> form = MakeForm();
    TTarqPanel* panel;
};

TEST_F(TarqPanel, DefaultLookIsARaisedBevelOverTheFaceColour)
{
    auto image = Snapshot(*panel);
    TLegend legend = SystemLegend();
    EXPECT_EQ(Grid(*image, legend)[12], "LW" + std::string(36, 'L') + "SD");
    EXPECT_EQ(Grid(*image, legend)[0], std::string(39, 'L') + "D");
}

TEST_F(TarqPanel, FlatRoundedBorderShowsTheParentColourAtTheCorners)
{
    panel->SetBorderOuter(fsFlatRounded);
    panel->SetColor(clWhite);
    panel->SetFlatColor(0xB99D7F);
    panel->SetFlatColorAdjustment(0);
    auto image = Snapshot(*panel);
    const TLegend legend = {{'p', clBlue}, {'c', clWhite}, {'f', 0xB99D7F}};
    const Rows rows = Grid(*image, legend);
    EXPECT_EQ(rows[0].substr(0, 4), "ppff");
    EXPECT_EQ(rows[1].substr(0, 4), "pfcc");
    EXPECT_EQ(rows[2].substr(0, 4), "fccc");
    EXPECT_EQ(rows[23].substr(36), "ffpp");
}

TEST_F(TarqPanel, TransparentPanelPaintsTheParentOnlyWithFullRepaint)
{
    panel->SetBorderOuter(fsNone);
    panel->SetTransparent(true);
    EXPECT_FALSE(panel->HasStyle(csOpaque));
    panel->SetFullRepaint(false);
    auto unerased = Snapshot(*panel);
    EXPECT_EQ(PixelAt(*unerased, 20, 12), Untouched);

    panel->SetFullRepaint(true);
    auto erased = Snapshot(*panel);
    EXPECT_EQ(PixelAt(*erased, 20, 12), clBlue);

    panel->SetTransparent(false);
    EXPECT_TRUE(panel->HasStyle(csOpaque));
}

TEST_F(TarqPanel, GradientInteriorAndSchemeColours)
{
    panel->SetBorderOuter(fsNone);
    panel->SetVisualStyle(vsGradient);
    panel->SetGradientColorStyle(gcsCustom);
    panel->SetGradientColorStart(RGB(200, 0, 0));
    panel->SetGradientColorStop(RGB(0, 0, 200));
    panel->SetGradientDirection(gdVerticalEnd);
    auto image = Snapshot(*panel);
    EXPECT_EQ(PixelAt(*image, 39, 5), RGB(0, 0, 200));
    EXPECT_GT(GetRValue(PixelAt(*image, 0, 5)), 190);

    TColor start, stop;
    panel->SetGradientColorStyle(gcsMSOffice);
    panel->GetGradientColors(start, stop);
    EXPECT_EQ(start, clWindow);
    EXPECT_EQ(stop, DarkenColor(clBtnFace, 10));
}

TEST_F(TarqPanel, GridStyles)
{
    panel->SetBorderOuter(fsFlat); // interior (1, 1, 39, 23)
    panel->SetFlatColor(clBlack);
    panel->SetFlatColorAdjustment(0);
    panel->SetColor(clWhite);
    panel->SetShowGrid(true);
    panel->SetGridColor(clRed);
    panel->SetGridXSize(10);
    panel->SetGridYSize(5);
    const TLegend legend = {{' ', clWhite}, {'r', clRed}, {'D', clBlack}};

    auto dots = Snapshot(*panel);
    EXPECT_EQ(Grid(*dots, legend)[5], "D         r         r         r        D");
    EXPECT_EQ(Grid(*dots, legend)[6], "D                                      D");

    panel->SetGridStyle(gsSolidLines);
    auto solid = Snapshot(*panel);
    EXPECT_EQ(Grid(*solid, legend)[5], "DrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrD");
    EXPECT_EQ(Grid(*solid, legend)[6], "D         r         r         r        D");

    panel->SetGridStyle(gsDottedLines);
    auto dotted = Snapshot(*panel);
    EXPECT_EQ(Grid(*dotted, legend)[5], "D r r r r r r r r r r r r r r r r r r rD");
    EXPECT_EQ(Grid(*dotted, legend)[2], "D         r         r         r        D");
    EXPECT_EQ(Grid(*dotted, legend)[3], "D                                      D");

    panel->SetGridXSize(0); // no vertical lines at all
    auto noColumns = Snapshot(*panel);
    EXPECT_EQ(Grid(*noColumns, legend)[2], "D                                      D");
}

TEST_F(TarqPanel, CaptionPlacementFollowsAlignmentVertical)
{
    panel->SetBounds(10, 10, 100, 60);
    panel->SetBorderOuter(fsNone);
    panel->SetColor(clWhite);
    panel->SetCaption("Xy");
    const TRect all = Rect(0, 0, 100, 60);

    panel->SetAlignmentVertical(avTop);
    const auto top = InkRows(*Snapshot(*panel), all, clWhite);
    panel->SetAlignmentVertical(avCenter);
    const auto centre = InkRows(*Snapshot(*panel), all, clWhite);
    panel->SetAlignmentVertical(avBottom);
    const auto bottom = InkRows(*Snapshot(*panel), all, clWhite);
    ASSERT_GE(top.first, 0);
    EXPECT_LT(top.second, 20);
    EXPECT_GT(bottom.first, 40);
    EXPECT_LT(top.first, centre.first);
    EXPECT_LT(centre.first, bottom.first);
    EXPECT_NEAR((centre.first + centre.second) / 2, 30, 4);

    // Taller than the interior: the text starts at the interior's top.
    panel->SetBounds(10, 10, 100, 8);
    panel->SetCaption("Xy\nXy\nXy");
    const auto tall = InkRows(*Snapshot(*panel), Rect(0, 0, 100, 8), clWhite);
    const auto tallTop = [&] {
        panel->SetAlignmentVertical(avTop);
        return InkRows(*Snapshot(*panel), Rect(0, 0, 100, 8), clWhite);
    }();
    EXPECT_EQ(tall.first, tallTop.first);
}

TEST_F(TarqPanel, DisabledCaptionIsEmbossed)
{
    panel->SetBounds(10, 10, 60, 30);
    panel->SetBorderOuter(fsNone);
    panel->SetColor(clBlack);
    panel->SetCaption("H");
    panel->Font()->SetQuality(fqNonAntialiased);
    panel->SetEnabled(false);
    auto image = Snapshot(*panel);
    bool highlight = false, shadow = false;
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 60; ++x) {
            highlight |= PixelAt(*image, x, y) == clWhite;
            shadow |= PixelAt(*image, x, y) == ColorToRGB(clBtnShadow);
        }
    EXPECT_TRUE(highlight);
    EXPECT_TRUE(shadow);
}

TEST_F(TarqPanel, DisablingRemembersWhichChildrenWereEnabled)
{
    auto* a = new TTarqPanel(form.get());
    auto* b = new TTarqPanel(form.get());
    a->SetParent(panel);
    b->SetParent(panel);
    b->SetEnabled(false);
    panel->SetEnabled(false);
    EXPECT_FALSE(a->Enabled());
    EXPECT_FALSE(b->Enabled());
    auto* added = new TTarqPanel(form.get());
    added->SetEnabled(false);
    added->SetParent(panel);
    panel->SetEnabled(true);
    EXPECT_TRUE(a->Enabled());
    EXPECT_FALSE(b->Enabled());
    EXPECT_TRUE(added->Enabled()); // not remembered: enabled
}

TEST_F(TarqPanel, ChildrenAlignInsideTheFrameAndBorderWidth)
{
    panel->SetBounds(10, 10, 100, 80);
    panel->SetBorderWidth(3);
    auto* child = new TTarqPanel(form.get());
    child->SetParent(panel);
    child->SetAlign(alClient);
    EXPECT_EQ(child->BoundsRect(), Rect(5, 5, 95, 75)); // raised bevel 2 + border width 3

    panel->SetBorderOuter(fsFlat);
    panel->SetBorderInner(fsStatus);
    panel->SetBevelWidth(4);
    panel->SetBorderSides(TSides{sdLeft, sdBottom});
    EXPECT_EQ(child->BoundsRect(), Rect(8, 3, 97, 72));
    EXPECT_EQ(panel->ShrinkRectForFrame(Rect(0, 0, 100, 80), false), Rect(5, 0, 100, 75));
}

TEST_F(TarqPanel, BottomAndRightAlignedPanelsKeepTheirOuterEdge)
{
    panel->SetAlign(alBottom);
    const int32_t bottom = panel->Top() + panel->Height();
    panel->SetHeight(10);
    EXPECT_EQ(panel->Top() + panel->Height(), bottom);
    EXPECT_EQ(panel->Height(), 10);

    auto* right = new TTarqPanel(form.get());
    right->SetParent(form.get());
    right->SetAlign(alRight);
    const int32_t edge = right->Left() + right->Width();
    right->SetWidth(20);
    EXPECT_EQ(right->Left() + right->Width(), edge);
}

TEST_F(TarqPanel, FrameControllerSettingsApplyOnlyWhenTheFrameIsVisible)
{
    TTarqFrameController controller(nullptr);
    controller.SetFrameStyle(fsGroove);
    controller.SetColor(clRed);
    panel->SetFrameController(&controller);
    EXPECT_EQ(panel->BorderOuter(), fsRaised);

    controller.SetFrameVisible(true);
    EXPECT_EQ(panel->BorderOuter(), fsGroove);
    EXPECT_EQ(panel->Color(), clRed);
    EXPECT_EQ(panel->BorderHighlight(), LightenColor(clRed, 100));
    EXPECT_EQ(panel->BorderShadow(), DarkenColor(clRed, 50));
    EXPECT_EQ(panel->FlatColorAdjustment(), 0);

    panel->SetFrameControllerNotifications(TTarqFrameControllerNotifications{fcpFrameStyle});
    controller.SetColor(clLime);
    controller.SetFrameStyle(fsFlat);
    EXPECT_EQ(panel->Color(), clRed);
    EXPECT_EQ(panel->BorderOuter(), fsFlat);
}

TEST_F(TarqPanel, AFreedFrameControllerIsForgotten)
{
    auto* controller = new TTarqFrameController(nullptr);
    panel->SetFrameController(controller);
    EXPECT_EQ(controller->ControlCount(), 1);
    delete controller;
    EXPECT_EQ(panel->FrameController(), nullptr);

    TTarqFrameController kept(nullptr);
    auto* linked = new TTarqPanel(nullptr);
    linked->SetFrameController(&kept);
    delete linked;
    EXPECT_EQ(kept.ControlCount(), 0);
}

TEST_F(TarqPanel, PropertiesByNameAndRetiredSettings)
{
    SetPropText(*panel, "BorderOuter", "fsFlatRounded");
    EXPECT_EQ(panel->BorderOuter(), fsFlatRounded);
    SetPropText(*panel, "UseGradients", "True");
    EXPECT_EQ(panel->VisualStyle(), vsGradient);
    SetPropText(*panel, "ThemeAware", "False");
    EXPECT_EQ(GetPropText(*panel, "BorderSides"), "[sdLeft,sdTop,sdRight,sdBottom]");
    EXPECT_EQ(GetPropText(*panel, "Color"), "clBtnFace");
    EXPECT_FALSE(IsStoredProp(*panel, *GetPropInfo(*panel, "Color")));
    std::unique_ptr<TComponent> created(GetClass("TTarqPanel")->CreateComponent(nullptr));
    EXPECT_NE(dynamic_cast<TTarqPanel*>(created.get()), nullptr);
}

TEST_F(TarqPanel, MouseEventsAndThemeChange)
{
    std::vector<std::string> log;
    panel->OnMouseEnter = [&](TObject*) { log.push_back("enter"); };
    panel->OnMouseLeave = [&](TObject*) { log.push_back("leave"); };
    panel->Perform(CM_MOUSEENTER);
    panel->Perform(CM_MOUSELEAVE);
    EXPECT_EQ(log, (std::vector<std::string>{"enter", "leave"}));

    const std::string saved = ThemeManagerColorName;
    ThemeManagerColorName = "Metallic";
    panel->Perform(WM_THEMECHANGED);
    EXPECT_EQ(XPColorScheme, 2);
    ThemeManagerColorName = saved;
    XPColorScheme = ReadXPColorScheme();
}

// Docked clients sit under 14-pixel caption bars inside the frame: across
// the top of each zone, or down its left side for a panel aligned to the
// top or bottom; the focused client's bar takes the active caption colour.
TEST_F(TarqPanel, DockedClientsSitUnderCaptionBarsInTheCaptionColours)
{
    panel->SetBounds(10, 10, 200, 120);
    panel->SetBorderOuter(fsFlat);
    panel->SetDockSite(true);
    ASSERT_NE(dynamic_cast<TTarqPanelDockManager*>(panel->DockManager()), nullptr);
    EXPECT_TRUE(panel->DoubleBuffered());
    auto* first = new TTarqPanel(form.get());
    auto* second = new TTarqPanel(form.get());
    first->SetCaption("Tools");
    second->SetCaption("Colours");
    first->SetTabStop(true);
    ASSERT_TRUE(first->ManualDock(panel));
    ASSERT_TRUE(second->ManualDock(panel));
    // Inside the one-pixel frame: two zones of 57 rows either side of a
    // 4-pixel splitter, each less its bar.
    EXPECT_EQ(first->BoundsRect(), Rect(1, 15, 199, 58));
    EXPECT_EQ(second->BoundsRect(), Rect(1, 76, 199, 119));
    form->Show();
    first->SetFocus();
    Pump();
    EXPECT_EQ(StorePixel(*form, 10 + 100, 10 + 3), ColorToRGB(clActiveCaption));
    EXPECT_EQ(StorePixel(*form, 10 + 100, 10 + 62), ColorToRGB(clInactiveCaption));

    // The close button of the second bar hides its client.
    ClickAt(*panel, 199 - 8, 62 + 6);
    EXPECT_FALSE(second->Visible());
    EXPECT_EQ(first->BoundsRect(), Rect(1, 15, 199, 119));

    panel->SetAlign(alTop);
    panel->DockManager()->ResetBounds(true);
    EXPECT_EQ(first->Left(), 1 + 14);
    EXPECT_EQ(first->Top(), 1);
}

} // namespace

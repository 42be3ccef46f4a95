#include <gtest/gtest.h>

#include "ButtonTestSupport.h"
#include "controls/TarqFrameController.h"
#include "controls/TarqRadChk.h"
#include "platform/core/Properties.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/FormResources.h"

namespace {

class CheckBox : public ButtonUiTest {
protected:
    CheckBox()
    {
        box = new TTarqCheckBox(form.get());
        box->SetBounds(10, 10, 120, 20);
        box->SetParent(form.get());
        box->SetCaption("&Stretch");
        box->Font()->SetQuality(fqNonAntialiased);
        box->Font()->SetColor(clBlue);
        box->OnClick = [this](TObject*) { states.push_back(box->State()); };
        Pump();
    }
    void Click() { ClickAt(*box, 5, 5); }
    void Space()
    {
        backend.PressKey(VK_SPACE);
        Pump();
    }
    TTarqCheckBox* box;
    std::vector<TCheckBoxState> states; // the state at each OnClick
};

TEST_F(CheckBox, ClicksCycleTheStatesAndEachChangeClicksOnce)
{
    for (int i = 0; i < 2; ++i)
        Click();
    EXPECT_EQ(states, (std::vector<TCheckBoxState>{cbChecked, cbUnchecked}));
    states.clear();
    box->SetAllowGrayed(true);
    for (int i = 0; i < 3; ++i)
        Click();
    EXPECT_EQ(states, (std::vector<TCheckBoxState>{cbGrayed, cbChecked, cbUnchecked}));
    box->SetChecked(false); // unchanged: no click
    EXPECT_EQ(states.size(), 3u);

    box->SetStateFlag(csLoading, true); // a state read from a resource does not click
    SetPropText(*box, "State", "cbGrayed");
    static_cast<TComponent*>(box)->Loaded();
    EXPECT_EQ(box->State(), cbGrayed);
    EXPECT_EQ(states.size(), 3u);
}

TEST_F(CheckBox, CheckedFromAnActionRaisesNoClick)
{
    auto* action = new TAction(form.get());
    action->SetCaption("&Watermark");
    action->SetChecked(true);
    box->SetAction(action);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(box->Caption(), "&Watermark");

    action->SetChecked(false);
    EXPECT_FALSE(box->Checked());
    action->SetChecked(true);
    EXPECT_TRUE(box->Checked());
    EXPECT_TRUE(states.empty());

    Click(); // the user's change clicks; the box follows again once the two agree
    EXPECT_EQ(states, (std::vector<TCheckBoxState>{cbUnchecked}));
    action->SetChecked(false);
    action->SetChecked(true);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(states.size(), 1u);
}

TEST_F(CheckBox, CheckedIsLeftOutOfFormDataWhileTheActionSuppliesIt)
{
    auto written = [this] {
        const std::string text = WriteComponentText(form.get(), nullptr);
        const size_t start = text.find("object Box:");
        return text.substr(start, text.find("end", start) - start).find("Checked = True") != std::string::npos;
    };
    box->SetName("Box");
    box->SetChecked(true);
    EXPECT_TRUE(written());
    auto* action = new TAction(form.get());
    action->SetName("Watermark");
    action->SetChecked(true);
    box->SetAction(action);
    EXPECT_FALSE(written());
    action->SetChecked(false);
    box->SetChecked(true); // the box goes its own way: its value is its own again
    EXPECT_TRUE(written());
}

TEST_F(CheckBox, SpaceTogglesOnReleaseAndEscapeCancels)
{
    box->SetFocus();
    backend.KeyDown(VK_SPACE);
    Pump();
    EXPECT_TRUE(box->ShowDownVersion());
    EXPECT_TRUE(states.empty());
    backend.KeyUp(VK_SPACE);
    Pump();
    EXPECT_EQ(states, (std::vector<TCheckBoxState>{cbChecked}));

    backend.KeyDown(VK_SPACE);
    backend.PressKey(VK_ESCAPE);
    backend.KeyUp(VK_SPACE);
    Pump();
    EXPECT_FALSE(box->ShowDownVersion());
    EXPECT_EQ(states.size(), 1u);
}

TEST_F(CheckBox, ReadOnlyBoxRefusesMouseSpaceAndAcceleratorButNotCode)
{
    box->SetReadOnly(true);
    Space(); // never clicked with the mouse before
    EXPECT_EQ(box->Perform(CM_DIALOGCHAR, 's'), 1);
    EXPECT_TRUE(box->Focused());
    Click();
    Space();
    EXPECT_EQ(box->Perform(CM_DIALOGCHAR, 's'), 1);
    EXPECT_TRUE(states.empty());
    EXPECT_EQ(box->State(), cbUnchecked);

    box->SetChecked(true);
    EXPECT_EQ(states, (std::vector<TCheckBoxState>{cbChecked}));
    box->SetReadOnly(false);
    EXPECT_EQ(box->Perform(CM_DIALOGCHAR, 'S'), 1);
    EXPECT_EQ(box->Perform(CM_DIALOGCHAR, 'x'), 0);
    EXPECT_EQ(box->State(), cbUnchecked);
}

// A 9-cell strip whose cell i is filled with CellColors[i].
constexpr TColor CellColors[9] = {0x100000, 0x200000, 0x300000, 0x400000, 0x500000,
                                  0x600000, 0x700000, 0x800000, 0x900000};

TEST_F(CheckBox, CustomGlyphCellsFollowStatePressAndEnabled)
{
    TBitmap strip(117, 13);
    for (int32_t i = 0; i < 9; ++i)
        strip.Canvas()->FillSolidRect(Bounds(13 * i, 0, 13, 13), CellColors[i]);
    box->SetCustomGlyphs(&strip);
    EXPECT_TRUE(box->UseCustomGlyphs());
    EXPECT_EQ(box->GlyphWidth(), 13);
    EXPECT_EQ(box->GlyphHeight(), 13);
    const auto glyph = [&] { return PixelAt(*PaintedImage(*box), 6, 8); };
    EXPECT_EQ(glyph(), CellColors[0]);
    box->SetChecked(true);
    EXPECT_EQ(glyph(), CellColors[1]);
    backend.MouseDown(At(*box, 5, 5));
    Pump();
    EXPECT_EQ(glyph(), CellColors[4]);
    backend.MouseUp(At(*box, 5, 30));
    Pump();
    box->SetEnabled(false);
    EXPECT_EQ(glyph(), CellColors[7]);

    box->SetCustomGlyphs(nullptr); // back to the drawn 13 x 13 glyph
    EXPECT_FALSE(box->UseCustomGlyphs());
    EXPECT_EQ(box->GlyphWidth(), 13);

    box->SetEnabled(true);
    box->SetCustomGlyphs(SolidBitmap(5, 13, clRed).get()); // fewer columns than cells: not used
    EXPECT_EQ(box->GlyphWidth(), 13);
    EXPECT_NE(glyph(), clRed);
}

TEST_F(CheckBox, LeftJustifiedCaptionEndsBeforeTheGlyphAtTheRight)
{
    TBitmap strip(117, 13);
    strip.Canvas()->FillSolidRect(Rect(0, 0, 117, 13), clRed);
    box->SetCustomGlyphs(&strip);
    auto left = PaintedImage(*box);
    EXPECT_EQ(PixelAt(*left, 0, 2), clRed);
    EXPECT_GE(InkBox(*left, clBlue).Left, 1 + 13 + 4);

    box->SetAlignment(taLeftJustify);
    auto right = PaintedImage(*box);
    EXPECT_EQ(box->GlyphRect(), Rect(107, 2, 120, 15));
    EXPECT_EQ(PixelAt(*right, 119, 2), clRed);
    EXPECT_NE(PixelAt(*right, 0, 2), clRed);
    EXPECT_LE(InkBox(*right, clBlue).Right, 120 - 1 - 13 - 4);

    box->SetAlignmentVertical(avBottom);
    EXPECT_EQ(box->GlyphRect(), Rect(107, 5, 120, 18));
}

TEST_F(CheckBox, HotTrackedSquareShowsTheHotColours)
{
    box->SetHotTrack(true);
    box->SetHotTrackColor(clRed);
    box->SetFillColor(clWhite);
    const auto square = [&] { return Grid(*PaintedImage(*box), {{'f', clBtnShadow}, {'w', clWhite}, {'r', clRed}}); };
    EXPECT_EQ(square()[2].substr(0, 13), std::string(13, 'f'));
    EXPECT_EQ(square()[8].substr(0, 13), "fwwwwwwwwwwwf");
    backend.MouseMove(At(*box, 5, 5));
    Pump();
    ASSERT_TRUE(box->MouseOverButton());
    const auto interior = square();
    EXPECT_EQ(interior[2].substr(0, 13), std::string(13, 'f'));
    EXPECT_NE(interior[3].substr(1, 11), std::string(11, 'w')); // the gradient ring
    EXPECT_EQ(interior[8].substr(3, 7), std::string(7, 'w'));

    box->SetHotTrackStyle(htsFrame);
    const auto frame = square();
    EXPECT_EQ(frame[2].substr(0, 13), std::string(13, 'r'));
    EXPECT_EQ(frame[3].substr(0, 13), "rrrrrrrrrrrrr");
    EXPECT_EQ(frame[8].substr(0, 13), "rrwwwwwwwwwrr");
}

TEST_F(CheckBox, ClassicBoxShowsTheCheckMarkOnlyWhenChecked)
{
    const auto markPixels = [&] {
        auto image = PaintedImage(*box);
        int count = 0;
        for (int32_t y = 5; y < 12; ++y)
            for (int32_t x = 3; x < 10; ++x)
                count += PixelAt(*image, x, y) == ColorToRGB(clWindowText);
        return count;
    };
    EXPECT_EQ(markPixels(), 0);
    box->SetChecked(true);
    EXPECT_GT(markPixels(), 0);
}

TEST_F(CheckBox, ThemedGlyphIsTheCheckBoxElementInItsState)
{
    UseRecordingTheme();
    struct {
        TCheckBoxState State;
        bool Enabled;
        bool Hot;
        int32_t Expected;
    } const cases[] = {
        {cbUnchecked, true, false, CBS_UNCHECKEDNORMAL},
        {cbChecked, true, true, CBS_CHECKEDHOT},
        {cbGrayed, true, false, CBS_MIXEDNORMAL},
        {cbChecked, false, true, CBS_CHECKEDDISABLED},
    };
    for (const auto& c : cases) {
        box->SetState(c.State);
        box->SetEnabled(c.Enabled);
        backend.MouseMove(c.Hot ? At(*box, 5, 5) : At(*form, 250, 150));
        Pump();
        themes.Calls.clear();
        PaintedImage(*box);
        ASSERT_EQ(themes.Calls.size(), 2u);
        EXPECT_EQ(themes.Calls[0].Operation, "DrawParentBackground");
        EXPECT_EQ(themes.Calls[0].Rect, box->GlyphRect());
        EXPECT_EQ(themes.Calls[1].Details, (TThemedElementDetails{TThemedClass::Button, BP_CHECKBOX, c.Expected}));
    }
    box->SetEnabled(true);
    backend.MouseDown(At(*box, 5, 5));
    Pump();
    themes.Calls.clear();
    PaintedImage(*box);
    EXPECT_EQ(themes.Calls.at(1).Details.State, CBS_CHECKEDPRESSED);
    backend.MouseUp(At(*box, 5, 5));
    Pump();
}

TEST_F(CheckBox, FocusIsOutlinedBesideACaptionOnly)
{
    const auto dots = [&] {
        auto image = PaintedImage(*box);
        int count = 0;
        for (int32_t y = 0; y < 20; ++y)
            for (int32_t x = 17; x < 120; ++x)
                count += PixelAt(*image, x, y) == clBlack;
        return count;
    };
    EXPECT_EQ(dots(), 0);
    box->SetFocus();
    EXPECT_GT(dots(), 0);
    box->SetCaption("");
    EXPECT_EQ(dots(), 0);
}

TEST_F(CheckBox, TransparentBoxShowsTheParentBehindIt)
{
    form->SetColor(clNavy);
    box->SetParentColor(false);
    box->SetColor(clYellow);
    EXPECT_EQ(PixelAt(*PaintedImage(*box), 100, 10), clYellow);
    box->SetTransparent(true);
    EXPECT_EQ(PixelAt(*PaintedImage(*box), 100, 10), clNavy);
}

TEST_F(CheckBox, FrameControllerSettingsApplyOnlyWhenItsFrameIsVisible)
{
    auto* controller = new TTarqFrameController(form.get());
    controller->SetColor(clAqua);
    controller->SetFrameHotColor(clRed);
    box->SetFrameController(controller);
    EXPECT_FALSE(box->HotTrack());
    controller->SetFrameVisible(true);
    EXPECT_TRUE(box->HotTrack());
    EXPECT_EQ(box->FillColor(), clAqua);
    EXPECT_EQ(box->HotTrackStyle(), htsInterior);
    controller->SetFrameHotTrack(true);
    EXPECT_EQ(box->HotTrackStyle(), htsFrame);
    EXPECT_EQ(box->HotTrackColor(), clRed);

    box->SetFrameControllerNotifications(AllFrameControllerNotifications - TTarqFrameControllerNotifications{fcpColor});
    controller->SetColor(clLime);
    EXPECT_EQ(box->FillColor(), clAqua);
    delete controller;
    EXPECT_EQ(box->FrameController(), nullptr);
}

TEST_F(CheckBox, EnterMovesTheFocusOnWhenAsked)
{
    auto* next = new TTarqCheckBox(form.get());
    next->SetBounds(10, 40, 120, 20);
    next->SetParent(form.get());
    box->SetTabOnEnter(true);
    box->SetFocus();
    backend.PressKey(VK_RETURN);
    Pump();
    EXPECT_TRUE(next->Focused());
}

TEST_F(CheckBox, PublishedPropertiesAndTheRetiredFlatAreReadByName)
{
    SetPropText(*box, "State", "cbGrayed");
    SetPropText(*box, "Flat", "True");
    SetPropText(*box, "Alignment", "taLeftJustify");
    EXPECT_EQ(box->State(), cbGrayed);
    EXPECT_TRUE(box->HotTrack());
    EXPECT_EQ(box->Alignment(), taLeftJustify);
    EXPECT_FALSE(IsStoredProp(*box, *GetPropInfo(*box, "Flat")));
    EXPECT_FALSE(IsStoredProp(*box, *GetPropInfo(*box, "Color"))); // follows the parent
    auto* created = dynamic_cast<TTarqCheckBox*>(CreateComponentByClassName("TTarqCheckBox", form.get()));
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->AlignmentVertical(), avTop);
}

} // namespace

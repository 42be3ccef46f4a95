#include <gtest/gtest.h>

#include "TarqTestSupport.h"
#include "controls/TarqBlinkList.h"
#include "controls/TarqColors.h"
#include "controls/TarqGrafx.h"
#include "controls/TarqLabel.h"
#include "platform/core/Properties.h"

namespace {

// The bounding box of the pixels that are not `background` (empty when none).
TRect InkBox(TBitmap& bitmap, TColor background)
{
    TRect box{bitmap.Width(), bitmap.Height(), 0, 0};
    for (int32_t y = 0; y < bitmap.Height(); ++y)
        for (int32_t x = 0; x < bitmap.Width(); ++x)
            if (PixelAt(bitmap, x, y) != ColorToPixelRGB(background)) {
                box.Left = std::min(box.Left, x);
                box.Top = std::min(box.Top, y);
                box.Right = std::max(box.Right, x + 1);
                box.Bottom = std::max(box.Bottom, y + 1);
            }
    return IsRectEmpty(box) ? TRect{} : box;
}

bool HasColor(TBitmap& bitmap, TColor color)
{
    for (int32_t y = 0; y < bitmap.Height(); ++y)
        for (int32_t x = 0; x < bitmap.Width(); ++x)
            if (PixelAt(bitmap, x, y) == ColorToPixelRGB(color))
                return true;
    return false;
}

class TarqLabel : public TarqUiTest {
protected:
    TTarqLabel* NewLabel(const std::string& caption)
    {
        auto* label = new TTarqLabel(form.get());
        label->SetParent(form.get());
        label->Font()->SetQuality(fqNonAntialiased);
        label->Font()->SetColor(clBlack);
        label->SetColor(clWhite);
        label->SetCaption(caption);
        return label;
    }
    std::unique_ptr<TForm> form = MakeForm(400, 300);
};

TEST_F(TarqLabel, AnglesAreNormalisedAndTurnOnRotation)
{
    TTarqLabel* label = NewLabel("A");
    label->SetAngle(-90);
    EXPECT_EQ(label->Angle(), 270);
    label->SetAngle(450);
    EXPECT_EQ(label->Angle(), 90);
    label->SetAngle(-400); // far below zero still lands in range
    EXPECT_EQ(label->Angle(), 320);

    TTarqLabel* flat = NewLabel("B");
    flat->SetAngle(30);
    EXPECT_EQ(flat->Rotation(), roFlat);
    flat->SetRotation(roNone);
    EXPECT_EQ(flat->Angle(), 0);
    flat->SetRotation(roCurve);
    flat->SetCenterPoint(cpUpperLeft);
    flat->SetRotation(roFlat);
    EXPECT_EQ(flat->CenterPoint(), cpCenter);

    TTarqLabel* loading = NewLabel("C");
    loading->SetStateFlag(csLoading, true);
    SetPropText(*loading, "Angle", "45");
    EXPECT_EQ(loading->Rotation(), roFlat); // any angle turns flat text into rotated text
    loading->SetRotation(roNone);
    SetPropText(*loading, "Angle", "60");
    static_cast<TComponent*>(loading)->Loaded();
    EXPECT_EQ(loading->Rotation(), roFlat);
}

TEST_F(TarqLabel, AutoSizeGrowthForBordersShadowAndAngle)
{
    TTarqLabel* label = NewLabel("Text");
    TRect r = Rect(0, 0, 100, 20);
    label->SetRotation(roFlat);
    label->SetAngle(45);
    label->AdjustRectForBorder(r);
    EXPECT_EQ(r, Rect(0, 0, 85, 85));

    r = Rect(0, 0, 100, 20);
    label->SetAngle(90);
    label->AdjustRectForBorder(r);
    EXPECT_EQ(r, Rect(0, 0, 20, 100));

    r = Rect(0, 0, 100, 20);
    label->SetAngle(45);
    label->SetTextStyle(tsShadow);
    label->SetShadowDepth(4);
    label->AdjustRectForBorder(r);
    EXPECT_EQ(r, Rect(0, 0, 88, 88)); // 102 x 22 turned by 45 degrees

    TTarqLabel* plain = NewLabel("Text");
    r = Rect(0, 0, 10, 10);
    plain->SetBorderOuter(fsStatus);
    plain->SetBevelWidth(3);
    plain->SetBorderWidth(1);
    plain->SetBorderInner(fsFlatBold); // adds nothing
    plain->SetBorderSides(TSides{sdLeft, sdTop, sdRight});
    plain->SetTextStyle(tsShadow);
    plain->AdjustRectForBorder(r);
    EXPECT_EQ(r, Rect(0, 0, 10 + 8 + 2, 10 + 4 + 2));
}

TEST_F(TarqLabel, AutoSizedLabelsFitTheirText)
{
    TTarqLabel* bare = NewLabel("Sample");
    TTarqLabel* flat = NewLabel("Sample");
    flat->SetBorderOuter(fsFlat);
    flat->SetCaption("Sample!");
    flat->SetCaption("Sample"); // re-measured on every change
    EXPECT_EQ(flat->Width(), bare->Width() + 2);
    EXPECT_EQ(flat->Height(), bare->Height() + 2);
    TBitmap probe(1, 1);
    probe.Canvas()->Font()->Assign(bare->Font());
    EXPECT_EQ(bare->Width(), probe.Canvas()->TextWidth("Sample"));

    TTarqLabel* rounded = NewLabel("Sample");
    rounded->SetBorderOuter(fsFlatRounded);
    rounded->SetCaption("Sample ");
    rounded->SetCaption("Sample");
    EXPECT_EQ(rounded->Width(), bare->Width());
    EXPECT_EQ(rounded->ShrinkRectForFrame(Rect(0, 0, 50, 20), true), Rect(2, 2, 48, 18));

    // A right-aligned label keeps its right edge.
    TTarqLabel* right = NewLabel("ab");
    right->SetAlignment(taRightJustify);
    right->SetLeft(100);
    const int32_t edge = right->Left() + right->Width();
    right->SetCaption("abcdef");
    EXPECT_EQ(right->Left() + right->Width(), edge);
}

TEST_F(TarqLabel, CondensingTurnsAutoSizeOffAndEndsInAnEllipsis)
{
    TTarqLabel* label = NewLabel("Abcdefghijklmnopqrstuvwxyz");
    label->SetCondenseCaption(ccAtEnd);
    EXPECT_FALSE(label->AutoSize());
    label->SetWidth(60);
    auto condensed = Snapshot(*label);
    label->SetCondenseCaption(ccNone);
    auto clipped = Snapshot(*label);
    // Cut text runs to the edge; condensed text ends in dots short of it.
    EXPECT_EQ(InkBox(*clipped, clWhite).Right, 60);
    EXPECT_LT(InkBox(*condensed, clWhite).Right, 60);
}

TEST_F(TarqLabel, DisabledLabelsAreEmbossedWhateverTheTextStyle)
{
    TTarqLabel* label = NewLabel("Hello");
    label->SetTextStyle(tsRaised);
    label->SetHighlightColor(clRed);
    label->SetShadowColor(clLime);
    label->SetColor(clBlack);
    label->SetEnabled(false);
    auto image = Snapshot(*label);
    EXPECT_TRUE(HasColor(*image, clBtnHighlight));
    EXPECT_TRUE(HasColor(*image, clBtnShadow));
    EXPECT_FALSE(HasColor(*image, clRed));
    EXPECT_FALSE(HasColor(*image, clLime));

    label->SetEnabled(true);
    auto raised = Snapshot(*label);
    EXPECT_TRUE(HasColor(*raised, clRed));
    EXPECT_TRUE(HasColor(*raised, clLime));
    label->SetLightTextStyle(true); // only the light pass
    auto light = Snapshot(*label);
    EXPECT_TRUE(HasColor(*light, clRed));
    EXPECT_FALSE(HasColor(*light, clLime));
}

TEST_F(TarqLabel, DisabledHighlightStaysInsideAFlatBorder)
{
    // Underscores reach the ends of their cell, so the highlight pass one
    // pixel right and down would land on the frame lines.
    TTarqLabel* label = NewLabel("W__");
    label->SetBorderOuter(fsFlat);
    label->SetFlatColor(clBlue);
    label->SetFlatColorAdjustment(0);
    label->SetEnabled(false);
    auto image = Snapshot(*label);
    const int32_t right = label->Width() - 1;
    const int32_t bottom = label->Height() - 1;
    for (int32_t y = 0; y <= bottom; ++y)
        EXPECT_EQ(PixelAt(*image, right, y), ColorToPixelRGB(clBlue)) << "y " << y;
    for (int32_t x = 0; x <= right; ++x)
        EXPECT_EQ(PixelAt(*image, x, bottom), ColorToPixelRGB(clBlue)) << "x " << x;
}

TEST_F(TarqLabel, RightAlignedShadowStaysInsideTheTextRectangle)
{
    TTarqLabel* label = NewLabel("Shade");
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 80, 20);
    label->SetAlignment(taRightJustify);
    label->SetTextStyle(tsShadow);
    label->SetShadowColor(clRed);
    label->SetShadowDepth(3);
    auto image = Snapshot(*label);
    TRect caption{80, 20, 0, 0}, shadow{80, 20, 0, 0};
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 80; ++x) {
            TRect& box = PixelAt(*image, x, y) == clBlack ? caption : shadow;
            if (PixelAt(*image, x, y) == clWhite)
                continue;
            box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                   std::max(box.Bottom, y + 1)};
        }
    EXPECT_EQ(shadow.Right, caption.Right + 3);
    EXPECT_EQ(shadow.Top, caption.Top + 3);
    EXPECT_LE(shadow.Right, 80);
    // Without the shadow the caption sits ShadowDepth further right.
    label->SetTextStyle(tsNormal);
    EXPECT_EQ(InkBox(*Snapshot(*label), clWhite).Right, caption.Right + 3);
}

TEST_F(TarqLabel, LayoutPlacesTheTextVertically)
{
    TTarqLabel* label = NewLabel("Low");
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 60, 60);
    const int32_t top = InkBox(*Snapshot(*label), clWhite).Top;
    label->SetLayout(tlCenter);
    const TRect centre = InkBox(*Snapshot(*label), clWhite);
    label->SetLayout(tlBottom);
    const TRect bottom = InkBox(*Snapshot(*label), clWhite);
    EXPECT_LT(top, 10);
    EXPECT_NEAR((centre.Top + centre.Bottom) / 2, 30, 4);
    EXPECT_GT(bottom.Bottom, 50);
}

TEST_F(TarqLabel, RotatedTextRunsUpTheLabel)
{
    TTarqLabel* label = NewLabel("Rotated");
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 40, 100);
    label->SetAlignment(taCenter);
    label->SetAngle(90);
    const TRect box = InkBox(*Snapshot(*label), clWhite);
    ASSERT_FALSE(IsRectEmpty(box));
    EXPECT_GT(box.Height(), 2 * box.Width());
    EXPECT_NEAR((box.Top + box.Bottom) / 2, 50, 6);
}

TEST_F(TarqLabel, CentredRotatedTextStaysAroundTheMiddleAtEveryRightAngle)
{
    TTarqLabel* label = NewLabel("Turning");
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 100, 100);
    label->SetAlignment(taCenter);
    label->SetRotation(roFlat);
    for (int32_t angle : {0, 90, 180, 270, 45}) {
        label->SetAngle(angle);
        const TRect box = InkBox(*Snapshot(*label), clWhite);
        ASSERT_FALSE(IsRectEmpty(box)) << angle;
        EXPECT_NEAR((box.Left + box.Right) / 2, 50, 10) << angle;
        EXPECT_NEAR((box.Top + box.Bottom) / 2, 50, 10) << angle;
        if (angle % 90 == 0) {
            EXPECT_EQ(box.Width() > box.Height(), angle % 180 == 0) << angle;
        }
    }
}

TEST_F(TarqLabel, CurvedCaptionFollowsACircleInsideTheLabel)
{
    TTarqLabel* label = NewLabel("I");
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 200, 200);
    label->SetRotation(roCurve);
    TBitmap probe(1, 1);
    probe.Canvas()->Font()->Assign(label->Font());
    const int32_t k = probe.Canvas()->TextHeight("Yy");
    // The first character stands on the circle's top at (100, k).
    const TRect box = InkBox(*Snapshot(*label), clWhite);
    ASSERT_FALSE(IsRectEmpty(box));
    EXPECT_LE(box.Bottom, k + 1);
    EXPECT_GE(box.Left, 97);
    EXPECT_LE(box.Right, 104);

    label->SetAngle(180); // starting at the bottom instead
    const TRect flipped = InkBox(*Snapshot(*label), clWhite);
    EXPECT_GE(flipped.Top, 200 - k - 1);
}

TEST_F(TarqLabel, CurvedCaptionOnALabelTooSmallForAnArcDrawsNothing)
{
    TTarqLabel* label = NewLabel("Curve");
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 20, 20);
    label->SetRotation(roCurve);
    for (int32_t borderWidth : {5, 10}) { // radius 0, then -10
        label->SetBorderWidth(borderWidth);
        label->SetBorderColor(clWhite);
        const TRect box = InkBox(*Snapshot(*label), clWhite);
        EXPECT_TRUE(IsRectEmpty(box)) << borderWidth;
    }
}

TEST_F(TarqLabel, BlinkingSwitchesBetweenTheBlinkAndFontColours)
{
    TTarqLabel* a = NewLabel("A");
    TTarqLabel* b = NewLabel("B");
    a->SetBlinkIntervalOn(250);
    EXPECT_EQ(b->GetBlinkIntervalOn(), 250);
    EXPECT_EQ(BlinkList()->Count(), 2);

    a->SetBlinking(true);
    a->SetBlinkColor(clRed);
    EXPECT_EQ(a->Perform(CM_BLINKQUERY), 1);
    EXPECT_EQ(b->Perform(CM_BLINKQUERY), 0);
    BlinkList()->Tick(); // off
    BlinkList()->Tick(); // on
    EXPECT_EQ(a->CurrentColor(), clRed);
    EXPECT_EQ(b->CurrentColor(), clBlack);
    EXPECT_TRUE(HasColor(*Snapshot(*a), clRed));
    a->Perform(CM_BLINKSTATE, 0x100); // only the low byte counts
    EXPECT_EQ(a->CurrentColor(), clBlack);
    a->Perform(CM_BLINKSTATE, 1);
    a->SetBlinking(false);
    EXPECT_EQ(a->CurrentColor(), clBlack);
    EXPECT_FALSE(a->BlinkState());

    delete a;
    delete b;
    EXPECT_EQ(BlinkList(), nullptr);
}

TEST_F(TarqLabel, FlyByColourShowsWhileTheMouseIsOver)
{
    TTarqLabel* label = NewLabel("Fly");
    std::vector<std::string> log;
    label->OnMouseEnter = [&](TObject*) { log.push_back("enter"); };
    label->OnMouseLeave = [&](TObject*) { log.push_back("leave"); };
    label->SetFlyByEnabled(true);
    label->SetFlyByColor(clRed);
    label->Perform(CM_MOUSEENTER);
    EXPECT_EQ(label->Font()->Color(), clRed);
    EXPECT_EQ(label->CurrentColor(), clRed);
    label->Perform(CM_MOUSELEAVE);
    EXPECT_EQ(label->Font()->Color(), clBlack);
    EXPECT_EQ(log, (std::vector<std::string>{"enter", "leave"}));

    label->Perform(CM_MOUSEENTER);
    label->SetFlyByEnabled(false); // restores the colour at once
    EXPECT_EQ(label->Font()->Color(), clBlack);
    label->Font()->SetColor(clBlue);
    label->SetFlyByEnabled(true);
    label->SetFlyByEnabled(false); // nothing showing: the new colour stays
    EXPECT_EQ(label->Font()->Color(), clBlue);
}

TEST_F(TarqLabel, FrameControllerAndPublishedDefaults)
{
    TTarqLabel* label = NewLabel("Framed");
    TTarqFrameController controller(nullptr);
    controller.SetFrameVisible(true);
    controller.SetFrameStyle(fsFlat);
    controller.SetFrameSides(TSides{sdBottom});
    controller.SetColor(clYellow);
    label->SetFrameController(&controller);
    EXPECT_EQ(label->BorderOuter(), fsFlat);
    EXPECT_EQ(label->BorderSides(), TSides{sdBottom});
    EXPECT_EQ(label->Color(), clYellow);
    EXPECT_EQ(label->BorderShadow(), DarkenColor(clYellow, 50));

    TTarqLabel* fresh = new TTarqLabel(form.get());
    fresh->SetParent(form.get());
    EXPECT_TRUE(fresh->ParentColor());
    EXPECT_TRUE(fresh->AutoSize());
    EXPECT_EQ(GetPropText(*fresh, "Layout"), "tlTop");
    EXPECT_EQ(GetPropText(*fresh, "BlinkColor"), "clHighlight");
    SetPropText(*fresh, "FrameSides", "anything"); // retired
}

TEST_F(TarqLabel, TransparentChildrenAreInvalidatedWithTheirContainer)
{
    form->Show();
    TTarqLabel* clear = NewLabel("Clear");
    clear->SetBounds(10, 10, 40, 20);
    clear->SetTransparent(true);
    TTarqLabel* opaque = NewLabel("Opaque");
    opaque->SetBounds(100, 10, 40, 20);
    Pump();
    ASSERT_FALSE(form->NeedsPaint());
    InvalidateTransparentChildren(*form);
    EXPECT_TRUE(form->UpdateRegion().Contains(20, 20));
    EXPECT_FALSE(form->UpdateRegion().Contains(110, 20));
}

TEST_F(TarqLabel, AcceleratorFocusesTheFocusControl)
{
    form->Show();
    TTarqLabel* label = NewLabel("&Name");
    auto* focusable = new TCustomControl(form.get());
    focusable->SetParent(form.get());
    focusable->SetTabStop(true);
    label->SetFocusControl(focusable);
    EXPECT_EQ(label->Perform(CM_DIALOGCHAR, 'n'), 1);
    EXPECT_TRUE(focusable->Focused());
    EXPECT_EQ(label->Perform(CM_DIALOGCHAR, 'x'), 0);
    delete focusable;
    EXPECT_EQ(label->FocusControl(), nullptr);
}

} // namespace

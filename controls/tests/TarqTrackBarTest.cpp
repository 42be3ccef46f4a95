#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "TarqTestSupport.h"
#include "controls/TarqTrkBar.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/core/ClassRegistry.h"
#include "platform/gfx/Resources.h"
#include "platform/ui/Themes.h"

namespace {

constexpr TColor ThumbFace = 0x0000FF;
constexpr TColor ThumbDisabled = 0x808080;

// The converter's thumb picture: three 18 x 18 images side by side (face,
// mask, disabled face), the mask leaving its left column to the background.
std::unique_ptr<TBitmap> ConverterThumb()
{
    auto bitmap = std::make_unique<TBitmap>(54, 18);
    TCanvas* canvas = bitmap->Canvas();
    canvas->FillSolidRect(Rect(0, 0, 18, 18), ThumbFace);
    canvas->FillSolidRect(Rect(18, 0, 36, 18), clBlack);
    canvas->FillSolidRect(Rect(36, 0, 54, 18), ThumbDisabled);
    canvas->FillSolidRect(Rect(0, 0, 1, 18), clBlack);
    canvas->FillSolidRect(Rect(18, 0, 19, 18), clWhite);
    return bitmap;
}

class TarqTrackBar : public TarqUiTest {
protected:
    TarqTrackBar()
    {
        bar = new TTarqTrackBar(form.get());
        bar->SetParent(form.get());
        bar->OnChange = [this](TObject*) { changes.push_back(bar->Position()); };
    }

    // The main window's position slider.
    void ConfigureAsConverter()
    {
        bar->SetBounds(0, 0, 416, 23);
        bar->SetMax(100);
        auto thumb = ConverterThumb();
        bar->SetCustomThumb(thumb.get());
        bar->SetTrackWidth(4);
        bar->SetTrackOffset(10);
        bar->SetTrackFrame(fsFlat);
        bar->SetTrackFrameColor(0xB99D7F);
        bar->SetTrackColor(clWhite);
        bar->SetColor(clWhite);
        bar->SetSelColor(clLime);
        bar->SetShowTicks(false);
        bar->SetShowFocusRect(false);
        changes.clear();
    }

    void ShowForm()
    {
        form->Show();
        Pump();
    }

    TPoint Screen(int32_t x, int32_t y) { return bar->ClientToScreen(Point(x, y)); }

    std::unique_ptr<TForm> form = MakeForm(500, 300);
    TTarqTrackBar* bar;
    std::vector<int32_t> changes;
};

// Over the thumb the bar shows its own cursor picture;
// elsewhere the control's standard cursor comes back.
TEST_F(TarqTrackBar, ThumbShowsTheBarsOwnCursorPicture)
{
    ConfigureAsConverter();
    ShowForm();
    auto* window = static_cast<THeadlessWindow*>(form->NativeWindow());
    auto middle = [](const TRect& r) { return Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); };
    const TBitmap* horizontal = nullptr;
    // Turned upright on a shown form: once repainted (the thumb is hit where it
    // was last drawn, as the user sees it) it takes the other picture.
    for (TOrientation orientation : {orHorizontal, orVertical}) {
        SCOPED_TRACE(int(orientation));
        if (orientation == orVertical) {
            bar->SetOrientation(orVertical);
            bar->SetBounds(0, 0, 23, 250);
            Pump();
        }
        const TPoint thumb = middle(bar->ThumbRect());
        backend.MouseMove(Screen(thumb.X, thumb.Y));
        Pump();
        ASSERT_NE(window->CursorImage(), nullptr);
        EXPECT_EQ(window->CursorImage(), bar->ThumbCursor().Image.get());
        if (orientation == orHorizontal)
            horizontal = window->CursorImage();
        else
            EXPECT_NE(window->CursorImage(), horizontal);

        backend.MouseMove(Screen(300, 100)); // on the form beside the bar
        Pump();
        EXPECT_EQ(window->CursorImage(), nullptr);
        EXPECT_EQ(window->Cursor(), crArrow);
    }
}

TEST_F(TarqTrackBar, ConverterBarPlacesTrackAndThumb)
{
    ConfigureAsConverter();
    EXPECT_EQ(bar->ThumbStyle(), tsCustom);
    EXPECT_EQ(bar->TrackWidth(), 4);
    EXPECT_EQ(bar->TrackRect(), Rect(13, 10, 403, 14));
    EXPECT_EQ(bar->ThumbRect(), Rect(4, 3, 22, 21));
    bar->SetPosition(50);
    EXPECT_EQ(bar->ThumbRect().Left, 4 + 390 * 50 / 100);
    bar->SetPosition(100);
    EXPECT_EQ(bar->ThumbRect(), Rect(394, 3, 412, 21));

    bar->SetPosition(0);
    auto image = Snapshot(*bar);
    const TColor ring = 0xB99D7F;
    EXPECT_EQ(PixelAt(*image, 100, 10), ring);
    EXPECT_EQ(PixelAt(*image, 100, 13), ring);
    EXPECT_EQ(PixelAt(*image, 100, 11), ColorToPixelRGB(clWhite));
    EXPECT_EQ(PixelAt(*image, 402, 12), ring);
    EXPECT_EQ(PixelAt(*image, 403, 12), ColorToPixelRGB(clWhite)); // bar colour beyond the track
    EXPECT_EQ(PixelAt(*image, 10, 3), ThumbFace);
    EXPECT_EQ(PixelAt(*image, 21, 20), ThumbFace);
    EXPECT_EQ(PixelAt(*image, 10, 2), ColorToPixelRGB(clWhite));
    EXPECT_EQ(PixelAt(*image, 10, 21), ColorToPixelRGB(clWhite));
    EXPECT_EQ(PixelAt(*image, 4, 8), ColorToPixelRGB(clWhite)); // masked column shows the background

    bar->SetEnabled(false);
    image = Snapshot(*bar);
    EXPECT_EQ(PixelAt(*image, 10, 3), ThumbDisabled);
    EXPECT_EQ(PixelAt(*image, 100, 11), ColorToPixelRGB(clBtnFace));
}

TEST_F(TarqTrackBar, MovingTheThumbRepaintsWhatItUncovers)
{
    ConfigureAsConverter();
    ShowForm();
    bar->SetPosition(50);
    const TRect thumb = bar->ThumbRect();
    form->Update();
    const TPoint origin = bar->ClientOriginInTop();
    EXPECT_EQ(THeadlessDesktop::PixelOf(*form, origin.X + thumb.Left + 5, origin.Y + 5), ThumbFace);
    EXPECT_EQ(THeadlessDesktop::PixelOf(*form, origin.X + 10, origin.Y + 5), ColorToPixelRGB(clWhite));
    EXPECT_EQ(THeadlessDesktop::PixelOf(*form, origin.X + 100, origin.Y + 10), 0xB99D7Fu);
}

TEST_F(TarqTrackBar, RangeRules)
{
    bar->SetMax(100);
    bar->SetMax(-5); // not above Min
    EXPECT_EQ(bar->Max(), 1);
    bar->SetMax(100);
    bar->SetMin(100); // not below Max
    EXPECT_EQ(bar->Min(), 99);
    EXPECT_EQ(bar->Position(), 99);
    bar->SetMin(0);
    bar->SetPosition(0);
    changes.clear();

    bar->SetPosition(150);
    EXPECT_EQ(bar->Position(), 100);
    bar->SetPosition(100);
    bar->SetPosition(150);
    EXPECT_EQ(changes, (std::vector<int32_t>{100}));

    bar->SetSelStart(-20);
    EXPECT_EQ(bar->SelStart(), 0);
    bar->SetSelEnd(60);
    bar->SetSelStart(80); // beyond the selection's end
    EXPECT_EQ(bar->SelStart(), 60);
    bar->SetSelEnd(30); // before its start
    EXPECT_EQ(bar->SelEnd(), 60);

    bar->SetMax(50);
    EXPECT_EQ(bar->Position(), 50);
    EXPECT_EQ(bar->SelStart(), 50);
    EXPECT_EQ(bar->SelEnd(), 50);

    bar->SetMin(INT_MIN);
    bar->SetMax(INT_MAX);
    bar->SetMax(INT_MIN);
    EXPECT_EQ(bar->Max(), INT_MIN + 1);
}

TEST_F(TarqTrackBar, NewRangeMovesThePositionEvenWhenChangesAreRefused)
{
    bar->SetMax(100);
    bar->SetPosition(80);
    changes.clear();
    bar->OnChanging = [](TObject*, int32_t, bool& allow) { allow = false; };
    bar->SetPosition(20);
    EXPECT_EQ(bar->Position(), 80);
    bar->SetMax(40);
    EXPECT_EQ(bar->Position(), 40);
    bar->SetMax(100);
    bar->SetMin(60);
    EXPECT_EQ(bar->Position(), 60);
    EXPECT_EQ(changes, (std::vector<int32_t>{40, 60}));
}

TEST_F(TarqTrackBar, TrackWidthAndThumbStyle)
{
    bar->SetTrackWidth(2);
    EXPECT_EQ(bar->TrackWidth(), 4);
    bar->SetThumbStyle(tsMixer);
    EXPECT_EQ(bar->TrackWidth(), 6);
    bar->SetThumbStyle(tsBox);
    EXPECT_EQ(bar->TrackWidth(), 8);
    bar->SetTickStep(0);
    EXPECT_EQ(bar->TickStep(), 1);

    bar->SetStateFlag(csLoading, true); // a form resource keeps its own width
    bar->SetTrackWidth(5);
    bar->SetThumbStyle(tsFlat);
    EXPECT_EQ(bar->TrackWidth(), 5);
}

TEST_F(TarqTrackBar, ThemedPointerShowsTheXPThumbButKeepsItsStyle)
{
    TRecordingThemeServices themes;
    SetThemeServices(&themes);
    auto* themed = new TTarqTrackBar(form.get());
    auto expected = LoadBitmapResource("TARQTRKBAR_H_XPPTR");
    EXPECT_EQ(themed->ThumbStyle(), tsPointer);
    ASSERT_EQ(themed->ThumbBitmap()->Width(), expected->Width());
    for (int32_t y = 0; y < expected->Height(); ++y)
        for (int32_t x = 0; x < expected->Width(); ++x)
            ASSERT_EQ(PixelAt(*themed->ThumbBitmap(), x, y), PixelAt(*expected, x, y)) << x << "," << y;
    SetThemeServices(nullptr);
}

TEST_F(TarqTrackBar, ClassicThumbsTakeTheSystemAndHotColours)
{
    bar->SetThumbStyle(tsBox);
    bar->SetHotTrackColor(0x00C000);
    auto plain = LoadBitmapResource("TARQTRKBAR_H_BOX");
    // The face in the middle of the box is the button face colour.
    EXPECT_EQ(PixelAt(*plain, 5, 10), 0xC0C0C0u);
    EXPECT_EQ(PixelAt(*bar->ThumbBitmap(), 5, 10), ColorToPixelRGB(clBtnFace));

    // The flat thumb's face is the highlight one step of red away; a full
    // red must not carry over into green.
    bar->SetThumbStyle(tsFlat);
    EXPECT_EQ(PixelAt(*bar->ThumbBitmap(), 4, 8), ColorToPixelRGB(clHighlight) + 1);
    bar->SetHighlightColor(clRed);
    EXPECT_EQ(PixelAt(*bar->ThumbBitmap(), 4, 8), 0x0000FEu);
    bar->SetThumbStyle(tsBox);

    // The hot image shows while the mouse is over the thumb.
    bar->SetBounds(0, 0, 200, 35);
    ShowForm();
    const TRect thumb = bar->ThumbRect();
    backend.MouseMove(Screen(thumb.Left + 5, thumb.Top + 10));
    Pump();
    const TPoint origin = bar->ClientOriginInTop();
    EXPECT_EQ(THeadlessDesktop::PixelOf(*form, origin.X + thumb.Left + 5, origin.Y + thumb.Top + 10), 0x00C000u);
}

TEST_F(TarqTrackBar, EveryThumbResourceHasItsStatesAndAMatchingMask)
{
    const std::vector<std::string> bases{
        "TARQTRKBAR_H_BOX",   "TARQTRKBAR_V_BOX",   "TARQTRKBAR_H_MIXER", "TARQTRKBAR_V_MIXER", "TARQTRKBAR_H_PTR",
        "TARQTRKBAR_V_PTR",   "TARQTRKBAR_WIN95",   "TARQTRKBAR_H_FLAT",  "TARQTRKBAR_V_FLAT",  "TARQTRKBAR_H_XPPTR",
        "TARQTRKBAR_V_XPPTR", "TARQTRKBAR_H_XPBOX", "TARQTRKBAR_V_XPBOX"};
    for (const std::string& base : bases) {
        auto mask = LoadBitmapResource(base + "_MASK");
        for (const char* state : {"", "_HOT", "_DISABLED"}) {
            auto image = LoadBitmapResource(base + state);
            ASSERT_EQ(image->Width(), mask->Width()) << base << state;
            ASSERT_EQ(image->Height(), mask->Height()) << base << state;
            for (int32_t y = 0; y < mask->Height(); ++y)
                for (int32_t x = 0; x < mask->Width(); ++x) {
                    if (PixelAt(*mask, x, y) == 0xFFFFFF) {
                        ASSERT_EQ(PixelAt(*image, x, y), 0u) << base << state << " " << x << "," << y;
                    }
                }
        }
    }
    EXPECT_FALSE(LoadCursorResource("TARQTRKBAR_H_CURSOR").Image->Empty());
    EXPECT_FALSE(LoadCursorResource("TARQTRKBAR_V_CURSOR").Image->Empty());
    EXPECT_THROW(LoadBitmapResource("TARQTRKBAR_H_KNOB"), EResNotFound);

    // A vertical thumb lies across the track the other way round.
    auto horizontal = LoadBitmapResource("TARQTRKBAR_H_PTR");
    auto vertical = LoadBitmapResource("TARQTRKBAR_V_PTR");
    EXPECT_EQ(horizontal->Width(), vertical->Height());
    EXPECT_EQ(horizontal->Height(), vertical->Width());
}

TEST_F(TarqTrackBar, RefusedChangesKeepTheThumbWhileDragging)
{
    ConfigureAsConverter();
    ShowForm();
    const TRect thumb = bar->ThumbRect();
    const int32_t y = (thumb.Top + thumb.Bottom) / 2;
    // Grabbed at its centre, the thumb's centre follows the mouse along the
    // track of 390 pixels from x 13.
    backend.MouseDown(Screen(thumb.Left + 9, y));
    backend.MouseMove(Screen(13 + 195, y));
    Pump();
    EXPECT_EQ(bar->Position(), 50);

    std::vector<int32_t> offered;
    bar->OnChanging = [&](TObject*, int32_t newPos, bool& allow) {
        offered.push_back(newPos);
        allow = false;
    };
    backend.MouseMove(Screen(13 + 312, y));
    Pump();
    EXPECT_EQ(offered, (std::vector<int32_t>{80}));
    EXPECT_EQ(bar->Position(), 50);

    bar->OnChanging = nullptr;
    backend.MouseMove(Screen(1000, y)); // far beyond the end
    backend.MouseUp(Screen(1000, y));
    Pump();
    EXPECT_EQ(bar->Position(), 100);
    EXPECT_FALSE(bar->MouseCapture());
    EXPECT_EQ(changes, (std::vector<int32_t>{50, 100}));
}

TEST_F(TarqTrackBar, PressingTheTrackPagesWithRepeatUntilThePointIsPassed)
{
    ConfigureAsConverter();
    bar->SetPageSize(10);
    ShowForm();
    // The thumb's left edge lies at 4 + 3.9 * Position: the point at x 140
    // is passed once the position reaches 40.
    backend.MouseDown(Screen(140, 12));
    Pump();
    EXPECT_EQ(changes, (std::vector<int32_t>{10}));
    backend.TestClock().AdvanceMs(199);
    Pump();
    EXPECT_EQ(changes.size(), 1u);
    backend.TestClock().AdvanceMs(1);
    Pump();
    EXPECT_EQ(changes, (std::vector<int32_t>{10, 20}));
    for (int i = 0; i < 5; ++i) {
        backend.TestClock().AdvanceMs(100);
        Pump();
    }
    // 30 and 40 follow; at 40 the thumb has passed the point and paging ends.
    EXPECT_EQ(changes, (std::vector<int32_t>{10, 20, 30, 40}));
    backend.MouseUp(Screen(140, 12));
    Pump();

    // Paging backwards stops at once when released.
    changes.clear();
    backend.MouseDown(Screen(15, 12));
    Pump();
    backend.MouseUp(Screen(15, 12));
    Pump();
    backend.TestClock().AdvanceMs(1000);
    Pump();
    EXPECT_EQ(changes, (std::vector<int32_t>{30}));
}

TEST_F(TarqTrackBar, Keys)
{
    struct Case {
        TOrientation orientation;
        uint16_t key;
        int32_t expected;
    };
    const std::vector<Case> cases{
        {orHorizontal, VK_PRIOR, 55}, {orHorizontal, VK_NEXT, 45},  {orHorizontal, VK_END, 100},
        {orHorizontal, VK_HOME, 0},   {orVertical, VK_END, 0},      {orVertical, VK_HOME, 100},
        {orHorizontal, VK_LEFT, 49},  {orHorizontal, VK_DOWN, 49},  {orHorizontal, VK_SUBTRACT, 49},
        {orHorizontal, VK_UP, 51},    {orHorizontal, VK_RIGHT, 51}, {orHorizontal, VK_ADD, 51},
    };
    bar->SetMax(100);
    bar->SetPageSize(5);
    ShowForm();
    bar->SetFocus();
    for (const Case& c : cases) {
        bar->SetOrientation(c.orientation);
        bar->SetPosition(50);
        backend.PressKey(c.key);
        Pump();
        EXPECT_EQ(bar->Position(), c.expected) << c.key;
    }
    bar->SetPosition(100);
    backend.PressKey(VK_PRIOR);
    Pump();
    EXPECT_EQ(bar->Position(), 100);
    EXPECT_EQ(bar->Perform(WM_GETDLGCODE), DLGC_WANTARROWS);
}

TEST_F(TarqTrackBar, TallerThanWideTurnsVertical)
{
    bar->SetBounds(0, 0, 35, 200);
    EXPECT_EQ(bar->Orientation(), orVertical);
    bar->SetMax(100);
    bar->SetPosition(100);
    // The pointer thumb is 19 x 11 lying down; travel 200 - 11 - 8.
    EXPECT_EQ(bar->ThumbRect().Top, 4);
    EXPECT_EQ(bar->ThumbRect().Bottom, 15);
    bar->SetBounds(0, 0, 200, 35);
    EXPECT_EQ(bar->Orientation(), orHorizontal);
}

TEST_F(TarqTrackBar, OwnerDrawnTicksFollowTheStep)
{
    bar->SetBounds(0, 0, 211, 35); // pointer thumb 11 wide: travel 192
    bar->SetMax(20);
    bar->SetTickStep(5);
    bar->SetTickStyle(tkOwnerDraw);
    std::vector<std::pair<int32_t, int32_t>> ticks;
    bar->OnDrawTick = [&](TTarqTrackBar*, TCanvas*, TPoint at, int32_t index) { ticks.push_back({index, at.X}); };
    Snapshot(*bar);
    ASSERT_GE(ticks.size(), 5u);
    const std::vector<std::pair<int32_t, int32_t>> first(ticks.begin(), ticks.begin() + 5);
    EXPECT_EQ(first, (std::vector<std::pair<int32_t, int32_t>>{{0, 9}, {5, 57}, {10, 105}, {15, 153}, {20, 201}}));
}

// Bars too small for their thumb, or with the widest range, must neither
// divide by zero nor walk the whole range.
TEST_F(TarqTrackBar, DegenerateSizesAndRangesStaySafe)
{
    ShowForm();
    // 18 pixels leave no track beside the 11-pixel pointer and its margins.
    bar->SetBounds(0, 0, 18, 17);
    bar->SetTrackOffset(0);
    bar->SetMin(INT_MIN);
    bar->SetMax(INT_MAX);
    bar->SetPosition(12345);
    Snapshot(*bar);
    ASSERT_EQ(bar->ThumbRect(), Rect(4, -7, 15, 12));
    backend.MouseDown(Screen(8, 5)); // on the thumb: a drag over no track
    backend.MouseMove(Screen(1, 5));
    backend.MouseUp(Screen(1, 5));
    backend.MouseDown(Screen(2, 2)); // beside it: a page
    backend.MouseUp(Screen(2, 2));
    Pump();
    EXPECT_EQ(changes, (std::vector<int32_t>{12345, 12345 - 1}));

    bar->SetBounds(0, 0, 300, 35);
    Snapshot(*bar);
    bar->SetPosition(INT_MAX);
    EXPECT_EQ(bar->ThumbRect().Right, 300 - TTarqCustomTrackBar::Margin);
}

TEST_F(TarqTrackBar, PublishedPropertiesByName)
{
    const TClassInfo* info = GetClassInfo(bar);
    ASSERT_NE(info, nullptr);
    for (const char* name :
         {"Min",           "Max",        "Position",       "PageSize",      "SelStart",          "SelEnd",
          "Orientation",   "ThumbStyle", "PointerType",    "CustomThumb",   "TrackColor",        "TrackFrameColor",
          "SelColor",      "TickColor",  "HighlightColor", "HotTrackColor", "HotTrackColorType", "TrackOffset",
          "TrackWidth",    "TrackFrame", "ShowTicks",      "TickStep",      "TickStyle",         "Transparent",
          "ShowFocusRect", "TabOnEnter", "OnChange",       "OnChanging",    "OnDrawTick",        "OnMouseEnter",
          "OnMouseLeave"})
        EXPECT_NE(info->FindProperty(name), nullptr) << name;
    EXPECT_TRUE(bar->TabStop());
    EXPECT_EQ(bar->Width(), 200);
    EXPECT_EQ(bar->Height(), 35);
}

} // namespace

namespace {

TEST_F(TarqTrackBar, TransparentBarShowsItsParentAlsoWhereTheThumbWas)
{
    struct Case {
        bool transparent;
        TColor expected;
    };
    bar->SetColor(clWindow); // a colour of its own, unlike the form's
    for (const Case& c : {Case{false, clWindow}, Case{true, clBtnFace}}) {
        bar->SetMax(100);
        bar->SetPosition(0);
        bar->SetTransparent(c.transparent);
        ShowForm();
        const TPoint origin = bar->ClientOriginInTop();
        const TRect thumb = bar->ThumbRect();
        EXPECT_EQ(THeadlessDesktop::PixelOf(*form, origin.X + 100, origin.Y + 2), ColorToPixelRGB(c.expected));
        bar->SetPosition(100);
        Pump();
        EXPECT_EQ(THeadlessDesktop::PixelOf(*form, origin.X + thumb.Left + 5, origin.Y + thumb.Top + 1),
                  ColorToPixelRGB(c.expected))
            << c.transparent;
    }
}

TEST_F(TarqTrackBar, EnterMovesOnWithTabOnEnter)
{
    auto* next = new TTarqTrackBar(form.get());
    next->SetBounds(0, 50, 200, 35);
    next->SetParent(form.get());
    ShowForm();
    for (bool tabOnEnter : {false, true}) {
        bar->SetTabOnEnter(tabOnEnter);
        bar->SetFocus();
        backend.PressKey(VK_RETURN);
        backend.TypeText("\r");
        Pump();
        EXPECT_EQ(next->Focused(), tabOnEnter);
    }
}

} // namespace

namespace {

// Upwards is forward on a vertical bar.
TEST_F(TarqTrackBar, VerticalPagingGoesUpForward)
{
    bar->SetBounds(0, 0, 35, 200);
    bar->SetMax(10);
    ShowForm();
    backend.MouseDown(Screen(20, 10));
    backend.MouseUp(Screen(20, 10));
    backend.MouseDown(Screen(20, 198)); // below the thumb
    backend.MouseUp(Screen(20, 198));
    Pump();
    EXPECT_EQ(changes, (std::vector<int32_t>{1, 0}));
}

} // namespace

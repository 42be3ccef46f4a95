// The drop shadow of borderless forms, on the headless desktop.

#include "controls/ufrmShadowFrame.h"

#include "platform/backend/HeadlessBackend.h"
#include "platform/ui/WindowSystem.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

THeadlessWindow* NativeOf(TWinControl& top) { return static_cast<THeadlessWindow*>(top.NativeWindow()); }

uint8_t AlphaAt(const TBitmap& bitmap, int32_t x, int32_t y) { return bitmap.ScanLine(y)[4 * x + 3]; }

class FormShadowTest : public ::testing::Test {
protected:
    FormShadowTest() { InstallWindowSystem(backend); }
    ~FormShadowTest() override
    {
        shadow.reset();
        form.reset();
        below.reset();
        UninstallWindowSystem();
    }

    // A shown borderless 312 x 112 form with a grey shadow.
    void ShowShadowedForm(int32_t left = 100, int32_t top = 80)
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(left, top, 312, 112);
        form->Show();
        shadow = std::make_unique<TFormShadow>(nullptr);
        shadow->AttachForm(form.get());
        shadow->SetShadowColor(0x808080);
        shadow->SetShadowVisible(true);
    }

    int32_t StackIndex(TWinControl& top)
    {
        const auto& stack = backend.Stack();
        return static_cast<int32_t>(std::find(stack.begin(), stack.end(), NativeOf(top)) - stack.begin());
    }

    void ExpectDirectlyBehindForm()
    {
        ASSERT_NE(nullptr, NativeOf(*shadow));
        EXPECT_TRUE(NativeOf(*shadow)->Visible());
        EXPECT_EQ(StackIndex(*form) - 1, StackIndex(*shadow));
        const auto& order = WindowSystem().TopLevelOrder();
        auto formAt = std::find(order.begin(), order.end(), form->Handle());
        ASSERT_NE(order.begin(), formAt);
        EXPECT_EQ(shadow->Handle(), *(formAt - 1));
    }

    THeadlessBackend backend;
    std::unique_ptr<TForm> below;
    std::unique_ptr<TForm> form;
    std::unique_ptr<TFormShadow> shadow;
};

} // namespace

TEST(ShadowBlur, PassesReadValuesAlreadyWrittenAndLeaveAlpha)
{
    TBitmap bitmap(3, 2, pf32bit);
    for (int32_t y = 0; y < 2; ++y)
        std::fill(bitmap.ScanLine(y), bitmap.ScanLine(y) + 12, 0);
    uint8_t* centre = bitmap.ScanLine(1) + 4;
    centre[0] = 255;
    centre[3] = 9;
    BlurShadow(bitmap, 1);
    // (0,0): the four clamped diagonals hold (1,1) once; (1,0) reads the new
    // (0,0); (2,0) the new (1,0); the second row the new first row.
    const int expectedBlue[2][3] = {{63, 15, 67}, {83, 53, 33}};
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x) {
            EXPECT_EQ(expectedBlue[y][x], bitmap.ScanLine(y)[4 * x]) << x << "," << y;
            EXPECT_EQ(0, bitmap.ScanLine(y)[4 * x + 1]) << "green stays dark";
        }
    EXPECT_EQ(9, AlphaAt(bitmap, 1, 1));
    EXPECT_EQ(0, AlphaAt(bitmap, 0, 0));
}

TEST(ShadowPremultiply, TableIsProductOver255)
{
    const TPremultiplyTable& table = PremultiplyTable();
    EXPECT_EQ(0, table[0][255]);
    EXPECT_EQ(255, table[255][255]);
    EXPECT_EQ(64, table[128][128]); // 16384 div 255
    EXPECT_EQ(0, table[254][1]);
}

TEST_F(FormShadowTest, SurroundsTheFormBy16PixelsDirectlyBehindIt)
{
    ShowShadowedForm(100, 80);
    EXPECT_EQ(Bounds(84, 64, 344, 144), shadow->BoundsRect());
    EXPECT_EQ(344, shadow->ShadowBitmap().Width());
    EXPECT_EQ(144, shadow->ShadowBitmap().Height());
    EXPECT_EQ(Bounds(84, 64, 344, 144), NativeOf(*shadow)->Bounds());
    const TNativeWindowParams& params = NativeOf(*shadow)->Params();
    EXPECT_TRUE(params.PerPixelAlpha);
    EXPECT_TRUE(params.NoActivate);
    EXPECT_TRUE(params.ToolWindow);
    EXPECT_TRUE(params.Popup);
    ExpectDirectlyBehindForm();
}

TEST_F(FormShadowTest, IsABlurredFringeOutsideTheFormTintedWithTheColour)
{
    ShowShadowedForm();
    const TBitmap& layer = shadow->ShadowBitmap();
    const TPremultiplyTable& table = PremultiplyTable();
    for (int32_t y = 0; y < layer.Height(); ++y)
        for (int32_t x = 0; x < layer.Width(); ++x) {
            const uint8_t* p = layer.ScanLine(y) + 4 * x;
            ASSERT_EQ(table[0x80][p[3]], p[0]) << x << "," << y;
            ASSERT_EQ(p[0], p[1]);
            ASSERT_EQ(p[0], p[2]);
            if (x >= 16 && x < 16 + 312 && y >= 16 && y < 16 + 112) {
                ASSERT_EQ(0, p[3]) << "under the form at " << x << "," << y;
            }
        }
    // The fringe fades out away from the form's edges.
    for (int32_t x = 15; x > 0; --x)
        EXPECT_GE(AlphaAt(layer, x, 72), AlphaAt(layer, x - 1, 72)) << x;
    EXPECT_GT(AlphaAt(layer, 15, 72), 64);
    EXPECT_LT(AlphaAt(layer, 0, 72), 8);
    EXPECT_GT(AlphaAt(layer, 172, 16 + 112), 64);
    EXPECT_LT(AlphaAt(layer, 172, 143), 8);
    // The desktop gets plain colour with the opacity.
    WindowSystem().UpdateAllWindows();
    const TBitmap& shown = NativeOf(*shadow)->Image();
    ASSERT_EQ(344, shown.Width());
    EXPECT_EQ(AlphaAt(layer, 15, 72), AlphaAt(shown, 15, 72));
    EXPECT_NEAR(0x80, shown.ScanLine(72)[4 * 15], 2);
}

TEST_F(FormShadowTest, MovingRepositionsWithoutRenderingAndResizingRenders)
{
    ShowShadowedForm(100, 80);
    uint8_t* marker = shadow->ShadowBitmap().ScanLine(0);
    marker[3] = 77;
    form->SetBounds(300, 200, 312, 112);
    EXPECT_EQ(Bounds(284, 184, 344, 144), shadow->BoundsRect());
    EXPECT_EQ(77, AlphaAt(shadow->ShadowBitmap(), 0, 0)) << "a move must not render";
    ExpectDirectlyBehindForm();

    form->SetBounds(300, 200, 200, 100);
    EXPECT_EQ(Bounds(284, 184, 232, 132), shadow->BoundsRect());
    EXPECT_EQ(0, AlphaAt(shadow->ShadowBitmap(), 0, 0));
}

TEST_F(FormShadowTest, ColourChangeOnlyReTints)
{
    ShowShadowedForm();
    uint8_t* marker = shadow->ShadowBitmap().ScanLine(0);
    marker[3] = 200; // not what the blur gives: a re-render would lose it
    shadow->SetShadowColor(clRed);
    EXPECT_EQ(200, marker[3]);
    EXPECT_EQ(200, marker[2]);
    EXPECT_EQ(0, marker[1]);
    EXPECT_EQ(0, marker[0]);
    EXPECT_EQ(static_cast<uint32_t>(clRed), shadow->ShadowColor());
}

TEST_F(FormShadowTest, HidesWhileMinimisedOrMaximisedAndComesBack)
{
    ShowShadowedForm();
    for (TWindowState state : {wsMinimized, wsMaximized}) {
        form->SetWindowState(state);
        EXPECT_FALSE(shadow->Visible()) << state;
        EXPECT_FALSE(NativeOf(*shadow)->Visible()) << state;
        form->SetWindowState(wsNormal);
        EXPECT_TRUE(shadow->Visible());
        ExpectDirectlyBehindForm();
    }
    shadow->SetShadowVisible(false);
    EXPECT_FALSE(NativeOf(*shadow)->Visible());
    form->SetBounds(120, 90, 312, 112);
    EXPECT_FALSE(shadow->Visible());
}

TEST_F(FormShadowTest, TakesTheFormsConstantAlpha)
{
    ShowShadowedForm();
    EXPECT_EQ(255, shadow->BlendFunction().SourceConstantAlpha);
    form->SetAlphaBlend(true);
    form->SetAlphaBlendValue(128);
    shadow->SetShadowColor(clBlack);
    EXPECT_EQ(128, shadow->BlendFunction().SourceConstantAlpha);
    WindowSystem().UpdateAllWindows();
    const uint8_t layerAlpha = AlphaAt(shadow->ShadowBitmap(), 15, 72);
    EXPECT_EQ(PremultiplyTable()[layerAlpha][128], AlphaAt(NativeOf(*shadow)->Image(), 15, 72));
}

TEST_F(FormShadowTest, ClicksPassThroughToTheWindowBelow)
{
    below = std::make_unique<TForm>(nullptr);
    below->SetBorderStyle(bsNone);
    below->SetBounds(0, 0, 600, 400);
    below->Show();
    ShowShadowedForm(100, 80);
    EXPECT_EQ(HTTRANSPARENT, shadow->Perform(WM_NCHITTEST, 0, 0));
    EXPECT_EQ(below.get(), TopLevelAt({90, 70})) << "inside the shadow, outside the form";
    EXPECT_EQ(form.get(), TopLevelAt({150, 100}));
}

TEST_F(FormShadowTest, ColourBeforeAnyFormIsKeptForTheFirstRendering)
{
    shadow = std::make_unique<TFormShadow>(nullptr);
    shadow->SetShadowColor(clBlue);
    shadow->SetShadowVisible(true);
    EXPECT_TRUE(shadow->ShadowBitmap().Empty());
    form = std::make_unique<TForm>(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(50, 50, 100, 60);
    form->Show();
    shadow->AttachForm(form.get());
    const uint8_t* fringe = shadow->ShadowBitmap().ScanLine(40) + 4 * 15;
    ASSERT_GT(fringe[3], 0);
    EXPECT_EQ(fringe[3], fringe[0]); // blue, premultiplied
    EXPECT_EQ(0, fringe[2]);
}

TEST_F(FormShadowTest, DetachingRestoresTheFormsWindowProcedureAndAFreedFormIsForgotten)
{
    ShowShadowedForm();
    shadow->AttachForm(nullptr);
    uint8_t* marker = shadow->ShadowBitmap().ScanLine(0);
    marker[3] = 5;
    form->SetBounds(10, 10, 100, 100);
    EXPECT_EQ(5, marker[3]) << "no longer hooked";

    shadow->AttachForm(form.get());
    form.reset();
    EXPECT_EQ(nullptr, shadow->Form());
    EXPECT_FALSE(shadow->Visible());
    shadow->SetShadowColor(clRed);
}

TEST_F(FormShadowTest, ComplexRegionShapesTheShadow)
{
    ShowShadowedForm();
    EXPECT_EQ(0, AlphaAt(shadow->ShadowBitmap(), 16, 16)) << "the rectangle's corner is under the form";
    form->SetWindowRgn(TRegion::RoundRect(0, 0, 313, 113, 40, 40));
    form->SetBounds(form->Left(), form->Top(), 312, 113); // a new size renders again
    EXPECT_GT(AlphaAt(shadow->ShadowBitmap(), 17, 17), 0) << "the rounded corner lets the shadow through";
    EXPECT_EQ(0, AlphaAt(shadow->ShadowBitmap(), 16 + 156, 16 + 56));
}

TEST_F(FormShadowTest, TransparentHolesKeepTheirShadow)
{
    form = std::make_unique<TForm>(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(100, 80, 120, 80);
    form->SetColor(clFuchsia);
    form->SetTransparentColorValue(clFuchsia);
    form->SetTransparentColor(true);
    form->Show();
    shadow = std::make_unique<TFormShadow>(nullptr);
    shadow->AttachForm(form.get());
    shadow->SetShadowVisible(true);
    // The whole client area is a hole: nothing casts a shadow.
    const TBitmap& layer = shadow->ShadowBitmap();
    for (int32_t y = 0; y < layer.Height(); ++y)
        for (int32_t x = 0; x < layer.Width(); ++x)
            ASSERT_EQ(0, AlphaAt(layer, x, y)) << x << "," << y;

    // Another transparent colour renders again: now the form is opaque.
    form->SetTransparentColorValue(clLime);
    shadow->RefreshFormPosition();
    EXPECT_GT(AlphaAt(layer, 15, 50), 0);
    EXPECT_EQ(0, AlphaAt(layer, 60, 50));
}

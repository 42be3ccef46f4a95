#include "app/ConverterArt.h"

#include <memory>
#include <vector>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Resources.h"

namespace {

using TBitmapPtr = std::unique_ptr<TBitmap>;

uint8_t Blend(uint8_t from, uint8_t to, int32_t step, int32_t steps)
{
    return static_cast<uint8_t>(from + (to - from) * step / (steps > 1 ? steps - 1 : 1));
}

// Rows top to bottom from `from` to `to`.
void VerticalGradient(TCanvas& canvas, const TRect& rect, TColor from, TColor to)
{
    const int32_t rows = rect.Height();
    for (int32_t row = 0; row < rows; ++row) {
        const TColor color =
            RGB(Blend(GetRValue(from), GetRValue(to), row, rows), Blend(GetGValue(from), GetGValue(to), row, rows),
                Blend(GetBValue(from), GetBValue(to), row, rows));
        canvas.Brush()->SetColor(color);
        canvas.FillRect(Rect(rect.Left, rect.Top + row, rect.Right, rect.Top + row + 1));
    }
}

void Frame(TCanvas& canvas, const TRect& rect, TColor color)
{
    canvas.Brush()->SetColor(color);
    canvas.FrameRect(rect);
}

void FillPolygon(TCanvas& canvas, const std::vector<TPoint>& points, TColor color)
{
    canvas.Pen()->SetColor(color);
    canvas.Brush()->SetColor(color);
    canvas.Polygon(points);
}

TBitmapPtr MakeSkin()
{
    auto skin = std::make_unique<TBitmap>(100, 100);
    TCanvas& canvas = *skin->Canvas();
    canvas.Brush()->SetColor(SkinBodyColor);
    canvas.FillRect(Rect(0, 0, 100, 100));
    VerticalGradient(canvas, Rect(0, 0, 100, 40), SkinTitleTopColor, RGB(70, 130, 200));
    VerticalGradient(canvas, Rect(0, 80, 100, 100), RGB(70, 130, 200), SkinTitleTopColor);
    // The window's shape starts one pixel in, so the border does too.
    Frame(canvas, Rect(1, 1, 100, 100), SkinBorderColor);
    return skin;
}

enum TFaceState { fsUp, fsHot, fsDown, fsDisabled };

TBitmapPtr MakeButtonFace(int32_t width, int32_t height, TFaceState state)
{
    static const TColor tops[] = {RGB(250, 252, 255), RGB(255, 255, 255), RGB(170, 200, 235), RGB(235, 235, 235)};
    static const TColor bottoms[] = {RGB(180, 205, 235), RGB(200, 225, 250), RGB(220, 235, 250), RGB(205, 205, 205)};
    auto face = std::make_unique<TBitmap>(width, height);
    TCanvas& canvas = *face->Canvas();
    VerticalGradient(canvas, Rect(0, 0, width, height), tops[state], bottoms[state]);
    Frame(canvas, Rect(0, 0, width, height), RGB(90, 130, 180));
    return face;
}

// A caption-bar button: the title gradient with a white glyph.
TBitmapPtr MakeSystemButton(int32_t width, bool close, TFaceState state)
{
    const int32_t height = 20;
    auto face = std::make_unique<TBitmap>(width, height);
    TCanvas& canvas = *face->Canvas();
    const TColor top = state == fsUp ? SkinTitleTopColor : close ? RGB(200, 60, 50) : RGB(80, 140, 210);
    VerticalGradient(canvas, Rect(0, 0, width, height), top, RGB(52, 108, 180));
    canvas.Pen()->SetColor(clWhite);
    const int32_t cx = width / 2;
    if (close) {
        for (int32_t offset = 0; offset < 2; ++offset) {
            canvas.MoveTo(cx - 4 + offset, 6);
            canvas.LineTo(cx + 4 + offset, 14);
            canvas.MoveTo(cx + 3 + offset, 6);
            canvas.LineTo(cx - 5 + offset, 14);
        }
    } else {
        canvas.Brush()->SetColor(clWhite);
        canvas.FillRect(Rect(cx - 5, 12, cx + 5, 14));
    }
    return face;
}

// Stepping buttons: a face with triangles and bars.
TBitmapPtr MakeStepButton(const std::string& name, TFaceState state)
{
    auto face = MakeButtonFace(30, 24, state);
    TCanvas& canvas = *face->Canvas();
    const TColor ink = state == fsDisabled ? RGB(150, 150, 150) : RGB(40, 80, 140);
    canvas.Brush()->SetColor(ink);
    if (name == PrevKeyResource) {
        canvas.FillRect(Rect(9, 7, 11, 17));
        FillPolygon(canvas, {Point(20, 7), Point(12, 12), Point(20, 16)}, ink);
    } else if (name == NextFrameResource) {
        FillPolygon(canvas, {Point(11, 7), Point(19, 12), Point(11, 16)}, ink);
    } else {
        FillPolygon(canvas, {Point(10, 7), Point(18, 12), Point(10, 16)}, ink);
        canvas.Brush()->SetColor(ink);
        canvas.FillRect(Rect(19, 7, 21, 17));
    }
    return face;
}

void DrawVideoIcon(TCanvas& canvas, int32_t left)
{
    canvas.Brush()->SetColor(RGB(60, 60, 70));
    canvas.FillRect(Rect(left + 1, 2, left + 15, 14));
    canvas.Brush()->SetColor(clWhite);
    for (int32_t x = left + 2; x < left + 14; x += 3) {
        canvas.FillRect(Rect(x, 3, x + 2, 5));
        canvas.FillRect(Rect(x, 11, x + 2, 13));
    }
    canvas.Brush()->SetColor(RGB(90, 160, 230));
    canvas.FillRect(Rect(left + 3, 6, left + 13, 10));
}

void DrawAudioIcon(TCanvas& canvas, int32_t left)
{
    const TColor ink = RGB(40, 90, 160);
    canvas.Pen()->SetColor(ink);
    canvas.Brush()->SetColor(ink);
    canvas.Ellipse(left + 3, 10, left + 8, 14);
    canvas.Ellipse(left + 9, 8, left + 14, 12);
    canvas.FillRect(Rect(left + 7, 2, left + 8, 12));
    canvas.FillRect(Rect(left + 13, 1, left + 14, 10));
    canvas.FillRect(Rect(left + 7, 2, left + 14, 4));
}

void DrawPictureIcon(TCanvas& canvas, int32_t left)
{
    canvas.Brush()->SetColor(RGB(150, 200, 245));
    canvas.FillRect(Rect(left + 1, 2, left + 15, 14));
    FillPolygon(canvas, {Point(left + 1, 13), Point(left + 6, 6), Point(left + 11, 13)}, RGB(60, 150, 70));
    canvas.Brush()->SetColor(RGB(250, 210, 60));
    canvas.FillRect(Rect(left + 11, 4, left + 14, 7));
    Frame(canvas, Rect(left + 1, 2, left + 15, 14), RGB(80, 80, 90));
}

void DrawOtherIcon(TCanvas& canvas, int32_t left)
{
    canvas.Brush()->SetColor(RGB(200, 200, 205));
    canvas.FillRect(Rect(left + 2, 2, left + 14, 14));
    canvas.Pen()->SetColor(RGB(200, 40, 40));
    for (int32_t offset = 0; offset < 2; ++offset) {
        canvas.MoveTo(left + 4 + offset, 4);
        canvas.LineTo(left + 12 + offset, 12);
        canvas.MoveTo(left + 11 + offset, 4);
        canvas.LineTo(left + 3 + offset, 12);
    }
}

// Olive, the image list's mask colour, around each icon.
TBitmapPtr MakeKindIcons()
{
    auto icons = std::make_unique<TBitmap>(64, 16);
    TCanvas& canvas = *icons->Canvas();
    canvas.Brush()->SetColor(clOlive);
    canvas.FillRect(Rect(0, 0, 64, 16));
    DrawVideoIcon(canvas, 0);
    DrawAudioIcon(canvas, 16);
    DrawPictureIcon(canvas, 32);
    DrawOtherIcon(canvas, 48);
    return icons;
}

TBitmapPtr MakeInfoIcon()
{
    auto icon = std::make_unique<TBitmap>(16, 16);
    TCanvas& canvas = *icon->Canvas();
    canvas.Brush()->SetColor(SkinBodyColor);
    canvas.FillRect(Rect(0, 0, 16, 16));
    canvas.Pen()->SetColor(RGB(40, 96, 168));
    canvas.Brush()->SetColor(RGB(40, 96, 168));
    canvas.Ellipse(1, 1, 15, 15);
    canvas.Brush()->SetColor(clWhite);
    canvas.FillRect(Rect(7, 4, 9, 6));
    canvas.FillRect(Rect(7, 7, 9, 12));
    return icon;
}

void RegisterFaces(const std::string& name, const std::function<TBitmapPtr(TFaceState)>& make)
{
    RegisterBitmapResource(name, [make] { return make(fsUp); });
    RegisterBitmapResource(HotVariant(name), [make] { return make(fsHot); });
    RegisterBitmapResource(DownVariant(name), [make] { return make(fsDown); });
    RegisterBitmapResource(DisabledVariant(name), [make] { return make(fsDisabled); });
}

} // namespace

std::string HotVariant(const std::string& name) { return name + "_HOT"; }

std::string DownVariant(const std::string& name) { return name + "_DOWN"; }

std::string DisabledVariant(const std::string& name) { return name + "_DISABLED"; }

void RegisterConverterResources()
{
    static const bool registered = [] {
        RegisterBitmapResource(SkinResource, MakeSkin);
        RegisterFaces(ButtonResource, [](TFaceState state) { return MakeButtonFace(88, 24, state); });
        RegisterFaces(MinimizeResource, [](TFaceState state) { return MakeSystemButton(33, false, state); });
        RegisterFaces(CloseResource, [](TFaceState state) { return MakeSystemButton(47, true, state); });
        for (const char* step : {PrevKeyResource, NextFrameResource, NextKeyResource})
            RegisterFaces(step, [step](TFaceState state) { return MakeStepButton(step, state); });
        RegisterBitmapResource(KindIconsResource, MakeKindIcons);
        RegisterBitmapResource(InfoResource, MakeInfoIcon);
        return true;
    }();
    (void)registered;
}

// Blending a colour or a foreground bitmap through a coverage mask onto the
// drawer's canvas, and the graphic placement helpers of the foregrounds.

#include "controls/aa/AAFont.h"

#include "platform/gfx/Icon.h"

#include <algorithm>

namespace {

struct TBgr {
    int32_t Blue, Green, Red;
};

TBgr BgrOf(TColor color)
{
    const TColor rgb = ColorToPixelRGB(color);
    return {GetBValue(rgb), GetGValue(rgb), GetRValue(rgb)};
}

// Moves one channel towards the colour by k/256 (k < 255); the shift of a
// negative difference rounds down, as the blend always has.
uint8_t Mix(uint8_t destination, int32_t color, int32_t k)
{
    return static_cast<uint8_t>(destination + (((color - destination) * k) >> 8));
}

} // namespace

TAABlend::TAABlend(TAAFont* font)
    : FFont(font), FForeBmp(std::make_unique<TBitmap>(0, 0, pf24bit)),
      FWorkBmp(std::make_unique<TBitmap>(0, 0, pf24bit))
{}

void TAABlend::ReadBackground(int32_t x, int32_t y, int32_t width, int32_t height)
{
    TCanvas& canvas = *FFont->Canvas();
    TCanvas& work = *FWorkBmp->Canvas();
    work.Brush()->Assign(canvas.Brush());
    // A clear (or hatched) brush lays the text over what is there; a solid
    // one gives it an opaque box.
    if (canvas.Brush()->Style() != bsSolid || canvas.Brush()->Bitmap())
        work.BitBlt(0, 0, width, height, &canvas, x, y, SRCCOPY);
    else
        work.FillRect(Rect(0, 0, width, height));
}

template <class ColorAt>
void TAABlend::Blend(int32_t x, int32_t y, const TAAMask& mask, int32_t alpha, ColorAt colorAt)
{
    if (!FFont->Canvas() || mask.Width() == 0 || mask.Height() == 0)
        return;
    const int32_t width = mask.Width(), height = mask.Height();
    FWorkBmp->SetPixelFormat(pf24bit);
    FWorkBmp->SetSize(width, height);
    ReadBackground(x, y, width, height);
    const int32_t weight = std::clamp(alpha, 0, 100) * 256 / 100;
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* coverage = mask.MaskRow(row);
        uint8_t* pixel = FWorkBmp->ScanLine(row);
        for (int32_t column = 0; column < width; ++column, pixel += 3) {
            const int32_t p = coverage[column] * weight;
            if (p < 256)
                continue;
            const TBgr c = colorAt(column, row);
            if (p >= 65280) {
                pixel[0] = static_cast<uint8_t>(c.Blue);
                pixel[1] = static_cast<uint8_t>(c.Green);
                pixel[2] = static_cast<uint8_t>(c.Red);
            } else {
                const int32_t k = p >> 8;
                pixel[0] = Mix(pixel[0], c.Blue, k);
                pixel[1] = Mix(pixel[1], c.Green, k);
                pixel[2] = Mix(pixel[2], c.Red, k);
            }
        }
    }
    FFont->Canvas()->BitBlt(x, y, width, height, FWorkBmp->Canvas(), 0, 0, SRCCOPY);
}

void TAABlend::BlendSolidColor(int32_t x, int32_t y, const TAAMask& mask, int32_t alpha, TColor color)
{
    const TBgr c = BgrOf(color);
    Blend(x, y, mask, alpha, [c](int32_t, int32_t) { return c; });
}

void TAABlend::BlendForeBitmap(int32_t x, int32_t y, const TAAMask& mask, int32_t alpha)
{
    if (FForeBmp->PixelFormat() != pf24bit || FForeBmp->Width() != mask.Width() || FForeBmp->Height() != mask.Height())
        throw EInvalidForeBmp();
    const TBitmap& fore = *FForeBmp;
    Blend(x, y, mask, alpha, [&fore](int32_t column, int32_t row) {
        const uint8_t* p = fore.ScanLine(row) + 3 * column;
        return TBgr{p[0], p[1], p[2]};
    });
}

void TAABlend::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TAABlend*>(source)) {
        FForeBmp->Assign(other->FForeBmp.get());
        return;
    }
    TPersistent::Assign(source);
}

void TileGraphic(TCanvas& canvas, const TRect& rect, TGraphic* graphic)
{
    if (!graphic || graphic->Empty())
        return;
    const int32_t columns = rect.Width() / graphic->Width() + 1;
    const int32_t rows = rect.Height() / graphic->Height() + 1;
    for (int32_t row = 0; row < rows; ++row)
        for (int32_t column = 0; column < columns; ++column)
            canvas.Draw(rect.Left + column * graphic->Width(), rect.Top + row * graphic->Height(), graphic);
}

void StretchGraphic(TCanvas& canvas, const TRect& rect, TGraphic* graphic, TColor iconBackground)
{
    if (!graphic || graphic->Empty())
        return;
    if (!dynamic_cast<TIcon*>(graphic)) {
        canvas.StretchDraw(rect, graphic);
        return;
    }
    // An icon has no stretch of its own over a background: flatten it first.
    TBitmap flat(graphic->Width(), graphic->Height(), pf24bit);
    flat.Canvas()->FillSolidRect(Rect(0, 0, flat.Width(), flat.Height()), iconBackground);
    flat.Canvas()->Draw(0, 0, graphic);
    canvas.StretchDraw(rect, &flat);
}

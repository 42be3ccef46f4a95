// The text drawers: measuring, and rendering with every effect.

#include "controls/aa/AAFont.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Puts the canvas font back when a rendering or measurement leaves, also
// through an exception.
class TFontRestorer {
public:
    explicit TFontRestorer(TCanvas* canvas, int32_t escapement) : FCanvas(escapement != 0 ? canvas : nullptr)
    {
        if (!FCanvas)
            return;
        FSaved.Assign(FCanvas->Font());
        FCanvas->Font()->SetOrientation(escapement);
    }
    ~TFontRestorer()
    {
        if (FCanvas)
            FCanvas->Font()->Assign(&FSaved);
    }
    TFontRestorer(const TFontRestorer&) = delete;
    TFontRestorer& operator=(const TFontRestorer&) = delete;

private:
    TCanvas* FCanvas;
    TFont FSaved;
};

// The shadow clears the brush so that the text is laid over it; the style
// the caller had comes back afterwards.
class TBrushStyleRestorer {
public:
    TBrushStyleRestorer(TCanvas* canvas, bool active) : FCanvas(active ? canvas : nullptr)
    {
        if (FCanvas)
            FStyle = FCanvas->Brush()->Style();
    }
    ~TBrushStyleRestorer()
    {
        if (FCanvas)
            FCanvas->Brush()->SetStyle(FStyle);
    }
    TBrushStyleRestorer(const TBrushStyleRestorer&) = delete;
    TBrushStyleRestorer& operator=(const TBrushStyleRestorer&) = delete;

private:
    TCanvas* FCanvas;
    TBrushStyle FStyle = bsSolid;
};

uint8_t ClampByte(int32_t value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); }

struct TRgbInt {
    int32_t Red, Green, Blue;
};

TRgbInt RgbOf(TColor color)
{
    const TColor rgb = ColorToPixelRGB(color);
    return {GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)};
}

} // namespace

// ---- TAAFont -------------------------------------------------------------------------

TAAFont::TAAFont(TCanvas* canvas)
    : FCanvas(canvas), FMask(std::make_unique<TAAMask>(this)), FBlend(std::make_unique<TAABlend>(this)),
      FRandom(std::make_unique<TAARandom>())
{}

TAAFont::~TAAFont() = default;

TSize TAAFont::MeasureText(const std::string& text) { return FMask->MeasureText(text).Size; }

// ---- TAAFontEx -----------------------------------------------------------------------

TAAFontEx::TAAFontEx(TCanvas* canvas) : TAAFont(canvas), FEffect(std::make_unique<TAAEffect>()) {}

TSize TAAFontEx::MeasureText(const std::string& text)
{
    TSize size;
    {
        TFontRestorer rotated(Canvas(), FEffect->Angle() * 10);
        size = TAAFont::MeasureText(text);
    }
    if (FEffect->Shadow()->Enabled()) {
        size.cx += std::abs(FEffect->Shadow()->OffsetX());
        size.cy += std::abs(FEffect->Shadow()->OffsetY());
    }
    return size;
}

void TAAFontEx::RenderText(int32_t x, int32_t y, const std::string& text)
{
    TCanvas* canvas = Canvas();
    if (!canvas || text.empty())
        return;
    TFontRestorer rotated(canvas, FEffect->Angle() * 10);
    const TAAShadow& shadow = *FEffect->Shadow();
    TPoint textAt{x, y};
    if (shadow.Enabled())
        textAt = {x + std::max(-shadow.OffsetX(), 0), y + std::max(-shadow.OffsetY(), 0)};

    TAAMask& mask = *Mask();
    mask.BuildTextMask(text);
    if (FEffect->Outline())
        mask.OutlineMask();
    if (FEffect->Spray() != 0)
        mask.SprayMask(FEffect->Spray(), Random());
    if (FEffect->HorzMirror())
        mask.MirrorHorizontally();
    if (FEffect->VertMirror())
        mask.MirrorVertically();

    TBrushStyleRestorer brushStyle(canvas, shadow.Enabled());
    if (shadow.Enabled())
        RenderShadow({x + std::max(shadow.OffsetX(), 0), y + std::max(shadow.OffsetY(), 0)});
    if (FEffect->Blur() != 0)
        mask.BlurMask(FEffect->Blur());
    FillText(textAt);
}

void TAAFontEx::RenderShadow(TPoint at)
{
    const TAAShadow& shadow = *FEffect->Shadow();
    TAAMask shadowMask(this);
    shadowMask.Assign(Mask());
    if (shadow.Blur() != 0)
        shadowMask.BlurMask(shadow.Blur());
    Blend()->BlendSolidColor(at.X, at.Y, shadowMask, FEffect->Alpha() * shadow.Alpha() / 100, shadow.Color());
    // The text is laid over the shadow, not boxed.
    Canvas()->Brush()->SetStyle(bsClear);
}

void TAAFontEx::FillText(TPoint at)
{
    const uint8_t noise = FEffect->Noise();
    if (FEffect->Texture()->HasPicture()) {
        BuildTextureFore();
    } else if (FEffect->Gradual()->Enabled()) {
        BuildGradualFore();
    } else if (noise != 0) {
        BuildNoiseFore();
        Blend()->BlendForeBitmap(at.X, at.Y, *Mask(), FEffect->Alpha());
        return;
    } else {
        Blend()->BlendSolidColor(at.X, at.Y, *Mask(), FEffect->Alpha(), Canvas()->Font()->Color());
        return;
    }
    if (noise != 0)
        AddNoise(noise);
    Blend()->BlendForeBitmap(at.X, at.Y, *Mask(), FEffect->Alpha());
}

// ---- Foregrounds ---------------------------------------------------------------------

void TAAFontEx::BuildGradualFore()
{
    if (!Canvas() || !FEffect->Gradual()->Enabled())
        return;
    const TAAGradual& gradual = *FEffect->Gradual();
    const TGradualStyle style = gradual.Style();
    const int32_t width = Mask()->Width(), height = Mask()->Height();
    TBitmap& fore = *Blend()->ForeBmp();
    fore.SetPixelFormat(pf24bit);
    fore.SetSize(width, height);
    const bool horizontal = style == gsLeftToRight || style == gsRightToLeft || style == gsCenterToLR;
    const bool centred = style == gsCenterToLR || style == gsCenterToTB;
    const int32_t length = horizontal ? width : height;
    const int32_t steps = centred ? (length + 1) / 2 : length;
    const bool forward = style == gsLeftToRight || style == gsTopToBottom;
    const TRgbInt from = RgbOf(forward ? gradual.StartColor() : gradual.EndColor());
    const TRgbInt to = RgbOf(forward ? gradual.EndColor() : gradual.StartColor());

    std::vector<TRgbInt> line(static_cast<size_t>(length));
    for (int32_t i = 0; i < steps; ++i) {
        line[i] = {from.Red + i * (to.Red - from.Red) / steps, from.Green + i * (to.Green - from.Green) / steps,
                   from.Blue + i * (to.Blue - from.Blue) / steps};
        if (centred)
            line[length - 1 - i] = line[i];
    }
    for (int32_t row = 0; row < height; ++row) {
        uint8_t* pixel = fore.ScanLine(row);
        for (int32_t column = 0; column < width; ++column, pixel += 3) {
            const TRgbInt& c = line[horizontal ? column : row];
            pixel[0] = static_cast<uint8_t>(c.Blue);
            pixel[1] = static_cast<uint8_t>(c.Green);
            pixel[2] = static_cast<uint8_t>(c.Red);
        }
    }
}

void TAAFontEx::BuildNoiseFore()
{
    if (!Canvas())
        return;
    const int32_t noise = FEffect->Noise();
    const TRgbInt font = RgbOf(Canvas()->Font()->Color());
    TBitmap& fore = *Blend()->ForeBmp();
    fore.SetPixelFormat(pf24bit);
    fore.SetSize(Mask()->Width(), Mask()->Height());
    for (int32_t row = 0; row < fore.Height(); ++row) {
        uint8_t* pixel = fore.ScanLine(row);
        for (int32_t column = 0; column < fore.Width(); ++column, pixel += 3) {
            const int32_t red = font.Red + Random().Random(noise) - noise / 2;
            const int32_t green = font.Green + Random().Random(noise) - noise / 2;
            const int32_t blue = font.Blue + Random().Random(noise) - noise / 2;
            pixel[0] = ClampByte(blue);
            pixel[1] = ClampByte(green);
            pixel[2] = ClampByte(red);
        }
    }
}

void TAAFontEx::BuildTextureFore()
{
    if (!Canvas() || !FEffect->Texture()->HasPicture())
        return;
    TGraphic* graphic = FEffect->Texture()->Picture()->Graphic();
    const int32_t width = Mask()->Width(), height = Mask()->Height();
    TBitmap& fore = *Blend()->ForeBmp();
    fore.SetPixelFormat(pf24bit);
    fore.SetSize(width, height);
    TCanvas& canvas = *fore.Canvas();
    const TRect all = Rect(0, 0, width, height);
    canvas.FillSolidRect(all, Canvas()->Font()->Color());
    switch (FEffect->Texture()->Mode()) {
    case tmTiled: TileGraphic(canvas, all, graphic); break;
    case tmStretched: StretchGraphic(canvas, all, graphic, canvas.Font()->Color()); break;
    case tmCenter: canvas.Draw((width - graphic->Width()) / 2, (height - graphic->Height()) / 2, graphic); break;
    case tmNormal: canvas.Draw(0, 0, graphic); break;
    }
}

void TAAFontEx::AddNoise(int32_t amount)
{
    TBitmap& fore = *Blend()->ForeBmp();
    for (int32_t row = 0; row < fore.Height(); ++row) {
        uint8_t* byte = fore.ScanLine(row);
        for (int32_t i = 0; i < fore.Width() * 3; ++i)
            byte[i] = ClampByte(byte[i] + Random().Random(amount) - amount / 2);
    }
}

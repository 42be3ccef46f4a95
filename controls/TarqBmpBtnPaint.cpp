// TTarqBmpButton's look: border, stay-down pattern, the state's bitmap
// (greyed from Up when disabled), the caption laid out beside it, all
// composed off screen and copied in one step.

#include "controls/TarqBmpBtn.h"

#include "controls/TarqGrafx.h"
#include "platform/gfx/DrawText.h"

namespace {

// The checkerboard of stay-down faces, shared while any bitmap button lives.
int32_t livingButtons = 0;
std::unique_ptr<TBitmap> downPattern;

TBitmap& DownPatternBitmap()
{
    if (!downPattern) {
        downPattern = std::make_unique<TBitmap>(8, 8);
        TCanvas& canvas = *downPattern->Canvas();
        canvas.FillSolidRect(Rect(0, 0, 8, 8), clBtnFace);
        for (int32_t y = 0; y < 8; ++y)
            for (int32_t x = y % 2; x < 8; x += 2)
                canvas.SetPixel(x, y, clWhite);
    }
    return *downPattern;
}

} // namespace

void TTarqBmpButton::RetainDownPattern() { ++livingButtons; }

void TTarqBmpButton::ReleaseDownPattern()
{
    if (--livingButtons == 0)
        downPattern.reset();
}

namespace {

constexpr uint32_t CaptionFlags = DT_SINGLELINE | DT_VCENTER | DT_CENTER;

// 1 where the image is black: the ink of the disabled look.
std::unique_ptr<TBitmap> BlackInkMask(TBitmap& image)
{
    auto mask = std::make_unique<TBitmap>(image.Width(), image.Height(), pf1bit);
    TCanvas& from = *image.Canvas();
    TCanvas& to = *mask->Canvas();
    for (int32_t y = 0; y < image.Height(); ++y)
        for (int32_t x = 0; x < image.Width(); ++x)
            to.SetPixel(x, y, from.Pixels(x, y) == clBlack ? clWhite : clBlack);
    return mask;
}

void BlitMask(TCanvas& canvas, TBitmap& mask, int32_t x, int32_t y, TColor background, TColor text, uint32_t rop)
{
    canvas.Brush()->SetColor(background);
    canvas.SetTextColor(text);
    canvas.BitBlt(x, y, mask.Width(), mask.Height(), mask.Canvas(), 0, 0, rop);
}

} // namespace

std::unique_ptr<TBitmap> CreateGreyedBitmap(TBitmap& up)
{
    const std::unique_ptr<TBitmap> mask = BlackInkMask(up);
    auto greyed = std::make_unique<TBitmap>(up.Width(), up.Height());
    TCanvas& canvas = *greyed->Canvas();
    canvas.FillSolidRect(Rect(0, 0, up.Width(), up.Height()), clBtnFace);
    // Ink one pixel down and right in white, then the ink itself in black...
    BlitMask(canvas, *mask, 1, 1, clBlack, clWhite, MERGEPAINT);
    BlitMask(canvas, *mask, 0, 0, clBlack, clWhite, SRCAND);
    // ...turned into the shadow colour.
    BlitMask(canvas, *mask, 0, 0, clBtnShadow, clBlack, SRCPAINT);
    canvas.SetCopyMode(SRCCOPY);
    return greyed;
}

// ---- Layout ------------------------------------------------------------------------------

namespace {

bool Horizontal(TButtonLayout layout) { return layout == blGlyphLeft || layout == blGlyphRight; }

// The margin and spacing along the layout axis; -1 asks for them to be
// worked out from the room left.
struct TAxisGaps {
    int32_t Margin, Spacing;
};

TAxisGaps ResolveGaps(int32_t margin, int32_t spacing, int32_t client, int32_t glyph, int32_t text)
{
    if (margin == -1) {
        if (spacing == -1) {
            margin = (client - (glyph + text)) / 3;
            return {margin, margin};
        }
        return {client / 2 - (glyph + spacing + text) / 2, spacing};
    }
    if (spacing == -1)
        spacing = (client - (margin + glyph)) / 2 - text / 2;
    return {margin, spacing};
}

} // namespace

TRect TTarqBmpButton::MeasureCaption(int32_t width) const
{
    TRect text;
    if (Caption().empty())
        return text;
    TBitmap scratch(1, 1);
    scratch.Canvas()->Font()->Assign(Font());
    text = Rect(0, 0, width, 0);
    DrawText(*scratch.Canvas(), Caption(), text, DT_CALCRECT);
    return text;
}

TRect TTarqBmpButton::CalcLayout(TRect& face, const TBitmap* bitmap)
{
    const TSize client{face.Width(), face.Height()};
    TSize glyph{0, 0};
    if (BitmapPresent(bitmap) && buttonSize_ == bszNeither)
        glyph = {bitmap->Width(), bitmap->Height()};
    TRect text = MeasureCaption(client.cx);
    const TSize textSize{text.Width(), text.Height()};

    // Centred across the layout axis.
    TPoint glyphPos, textPos;
    const bool horizontal = Horizontal(layout_);
    if (horizontal) {
        glyphPos.Y = client.cy / 2 - glyph.cy / 2;
        textPos.Y = client.cy / 2 - textSize.cy / 2;
    } else {
        glyphPos.X = client.cx / 2 - glyph.cx / 2;
        textPos.X = client.cx / 2 - textSize.cx / 2;
    }
    const int32_t spacing = textSize.cx == 0 || glyph.cx == 0 ? 0 : spacing_;
    const TAxisGaps gaps = horizontal ? ResolveGaps(margin_, spacing, client.cx, glyph.cx, textSize.cx)
                                      : ResolveGaps(margin_, spacing, client.cy, glyph.cy, textSize.cy);
    switch (layout_) {
    case blGlyphLeft:
        glyphPos.X = gaps.Margin;
        textPos.X = glyphPos.X + glyph.cx + gaps.Spacing;
        break;
    case blGlyphRight:
        glyphPos.X = client.cx - gaps.Margin - glyph.cx;
        textPos.X = glyphPos.X - gaps.Spacing - textSize.cx;
        break;
    case blGlyphTop:
        glyphPos.Y = gaps.Margin;
        textPos.Y = glyphPos.Y + glyph.cy + gaps.Spacing;
        break;
    case blGlyphBottom:
        glyphPos.Y = client.cy - gaps.Margin - glyph.cy;
        textPos.Y = glyphPos.Y - gaps.Spacing - textSize.cy;
        break;
    }
    text = OffsetRect(text, textPos.X + face.Left, textPos.Y + face.Top);
    if (glyph.cx != 0 && glyph.cy != 0)
        face = Bounds(glyphPos.X + face.Left, glyphPos.Y + face.Top, glyph.cx, glyph.cy);
    return text;
}

// ---- Paint -------------------------------------------------------------------------------

TRect TTarqBmpButton::PaintBorder(TCanvas& canvas)
{
    const TRect client = ClientRect();
    switch (buttonBorder_) {
    case bbNone: ::PaintParentBackground(*this, canvas, false); return client;
    case bbSingle:
        canvas.FillRect(client);
        canvas.Brush()->SetColor(clBlack);
        canvas.FrameRect(client);
        canvas.Brush()->SetColor(Color());
        return InflateRect(client, -1, -1);
    case bbButton: {
        const bool newStyle = NewStyle();
        const TRect face = DrawButtonFace(canvas, client, newStyle ? 1 : 2, buttonStyle_, !newStyle,
                                          state_ == bsPressed || state_ == bsStayDown, hasFocus_ && showFocus_);
        canvas.Brush()->SetColor(Color());
        return InflateRect(face, -1, -1);
    }
    }
    return client;
}

void TTarqBmpButton::PaintStayDownFace(TCanvas& canvas, const TRect& face)
{
    if (state_ != bsStayDown)
        return;
    if (showDownPattern_)
        canvas.Brush()->SetBitmap(&DownPatternBitmap());
    if (buttonBorder_ != bbNone) {
        const bool newStyle = NewStyle();
        const int32_t d = newStyle ? 1 : 2, e = newStyle ? 2 : 1;
        canvas.FillRect(Rect(face.Left - d, face.Top - d, face.Right - e + d, face.Bottom - e + d));
    }
    canvas.Brush()->SetBitmap(nullptr);
    canvas.Brush()->SetColor(Color());
}

TBitmap* TTarqBmpButton::ChooseBitmap(std::unique_ptr<TBitmap>& greyed)
{
    TTarqButtonBitmaps& b = *bitmaps_;
    switch (state_) {
    case bsUp:
        if (mouseOver_ && BitmapPresent(b.Hot()))
            return b.Hot();
        if (hasFocus_ && showFocus_ && BitmapPresent(b.UpAndFocused()))
            return b.UpAndFocused();
        return b.Up();
    case bsDisabled:
        if (BitmapPresent(b.Disabled()))
            return b.Disabled();
        greyed = CreateGreyedBitmap(*b.Up());
        return greyed.get();
    case bsPressed: return BitmapPresent(b.Down()) ? b.Down() : b.Up();
    case bsStayDown:
        if (BitmapPresent(b.StayDown()))
            return b.StayDown();
        return BitmapPresent(b.Down()) ? b.Down() : b.Up();
    }
    return b.Up();
}

void TTarqBmpButton::PaintBitmap(TCanvas& canvas, TBitmap& bitmap, const TRect& face, const TRect& laidOut)
{
    const TColor transparent = bitmaps_->TransparentColor();
    const TRect whole = Rect(0, 0, bitmap.Width(), bitmap.Height());
    switch (buttonSize_) {
    case bszNeither: CopyTransparentRect(canvas, bitmap, laidOut, transparent, whole); break;
    case bszButtonToBitmap: StretchTransparentBitmap(canvas, bitmap, face, transparent, whole); break;
    case bszStretchToButton: DrawTransparentBitmapInRect(canvas, bitmap, face, transparent); break;
    case bszTileToButton: TileTransparentBitmap(canvas, bitmap, face, transparent); break;
    }
}

void TTarqBmpButton::PaintCaption(TCanvas& canvas, const TRect& captionRect)
{
    if (Caption().empty())
        return;
    canvas.Font()->Assign(Font());
    canvas.Brush()->SetStyle(bsClear);
    TRect r = captionRect;
    if (state_ == bsDisabled) {
        TRect shifted = OffsetRect(r, 1, 1);
        canvas.Font()->SetColor(clWhite);
        DrawText(canvas, Caption(), shifted, CaptionFlags);
        canvas.Font()->SetColor(0x808080);
        DrawText(canvas, Caption(), r, CaptionFlags);
    } else {
        if (state_ == bsPressed || state_ == bsStayDown)
            r = OffsetRect(r, captionDownOffset_, captionDownOffset_);
        DrawText(canvas, Caption(), r, CaptionFlags);
    }
    if (hasFocus_ && showFocus_) {
        canvas.Brush()->SetColor(clBtnFace);
        canvas.DrawFocusRect(InflateRect(r, 2, 2));
    }
}

void TTarqBmpButton::Paint()
{
    if (!Enabled()) {
        state_ = bsDisabled;
        pressing_ = false;
    } else if (state_ == bsDisabled) {
        state_ = bsUp;
    }
    TBitmap work(std::max(Width(), 1), std::max(Height(), 1));
    TCanvas& canvas = *work.Canvas();
    canvas.Brush()->SetColor(Color());
    TRect face = PaintBorder(canvas);
    PaintStayDownFace(canvas, face);

    TTarqButtonBitmaps& b = *bitmaps_;
    TRect captionRect;
    if (BitmapPresent(b.Up()) || (BitmapPresent(b.Disabled()) && state_ == bsDisabled)) {
        std::unique_ptr<TBitmap> greyed;
        TBitmap* bitmap = ChooseBitmap(greyed);
        TRect laidOut = face;
        captionRect = CalcLayout(laidOut, bitmap);
        if (BitmapPresent(bitmap))
            PaintBitmap(canvas, *bitmap, face, laidOut);
    } else {
        TRect laidOut = face;
        captionRect = CalcLayout(laidOut, nullptr);
    }
    PaintCaption(canvas, captionRect);
    Canvas()->BitBlt(0, 0, work.Width(), work.Height(), &canvas, 0, 0, SRCCOPY);
}

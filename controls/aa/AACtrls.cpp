// The anti-aliased label.

#include "controls/aa/AACtrls.h"

// ---- Settings ------------------------------------------------------------------------

TCustomParam::TCustomParam(TAALabel* label, TNotifyEvent onChange)
    : TNotifyClass(std::move(onChange), label), FLabel(label), FBackGround(std::make_unique<TPicture>())
{
    FBackGround->OnChange = [this](TObject*) { Changed(); };
}

bool TCustomParam::BackGroundEmpty() const { return !FBackGround->Graphic() || FBackGround->Graphic()->Empty(); }

void TCustomParam::Assign(const TPersistent* source)
{
    // Each label keeps its own settings object: the values are copied, the
    // label this one belongs to stays.
    if (const auto* other = dynamic_cast<const TCustomParam*>(source)) {
        FAlignment = other->FAlignment;
        FReserved = other->FReserved;
        FTransparent = other->FTransparent;
        FLayout = other->FLayout;
        FBackGroundMode = other->FBackGroundMode;
        FBackGround->Assign(other->FBackGround.get());
    }
    TNotifyClass::Assign(source);
}

void TAAFontEffect::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TAAFontEffect*>(source)) {
        Label()->Drawer()->SetQuality(other->Quality());
        FontEffect()->Assign(other->FontEffect());
    }
    TCustomParam::Assign(source);
}

TAAQuality TAAFontEffect::Quality() const { return Label()->Drawer()->Quality(); }

void TAAFontEffect::SetQuality(TAAQuality value)
{
    if (Quality() == value)
        return;
    Label()->Drawer()->SetQuality(value);
    Changed();
}

TAAEffect* TAAFontEffect::FontEffect() const { return Label()->Drawer()->Effect(); }

void TAAFontEffect::SetFontEffect(const TAAEffect* value)
{
    FontEffect()->Assign(value);
    Changed();
}

TColor TAAFontEffect::BackColor() const { return Label()->Color(); }
void TAAFontEffect::SetBackColor(TColor value) { Label()->SetColor(value); }

// ---- TAALabel ------------------------------------------------------------------------

TAALabel::TAALabel(TComponent* owner)
    : TAAGraphicControl(owner),
      FEffect(std::make_unique<TAAFontEffect>(this, [this](TObject* sender) { EffectChanged(sender); })),
      FBitmap(std::make_unique<TBitmap>(1, 1, pf24bit))
{
    SetControlStyle(ControlStyle() | csSetCaption | csReplicatable);
    SetBounds(Left(), Top(), 46, 12);
    Drawer()->SetCanvas(FBitmap->Canvas());
}

TAALabel::~TAALabel() = default;

TPoint TAALabel::MeasureAndPlace()
{
    TAAFontEx& drawer = *Drawer();
    drawer.Canvas()->Font()->Assign(Font());
    const int32_t height = drawer.TextPixelHeight(Caption());
    const int32_t width = drawer.TextPixelWidth(Caption());
    if (AutoSize()) {
        if (Align() == alNone || Align() == alLeft || Align() == alRight)
            SetClientWidth(width + 2 * Border());
        if (Align() == alNone || Align() == alTop || Align() == alBottom)
            SetClientHeight(height + 2 * Border());
    }
    TPoint at{Border(), Border()};
    if (FEffect->Alignment() == taRightJustify)
        at.X = ClientWidth() - Border() - width;
    else if (FEffect->Alignment() == taCenter)
        at.X = (ClientWidth() - width) / 2;
    if (FEffect->Layout() == tlCenter)
        at.Y = (ClientHeight() - height) / 2;
    else if (FEffect->Layout() == tlBottom)
        at.Y = ClientHeight() - Border() - height;
    return at;
}

void TAALabel::RenderToBitmap()
{
    TCanvas& canvas = *FBitmap->Canvas();
    Drawer()->SetCanvas(&canvas);
    const TPoint at = MeasureAndPlace();
    FBitmap->SetSize(std::max(ClientWidth(), 1), std::max(ClientHeight(), 1));
    canvas.Brush()->SetColor(Color());
    canvas.Brush()->SetStyle(bsSolid);
    const TRect all = Rect(0, 0, FBitmap->Width(), FBitmap->Height());
    if (FEffect->BackGroundEmpty())
        canvas.FillRect(all);
    else
        DrawBackground(canvas, all, FEffect->BackGroundMode(), FEffect->BackGround()->Graphic());
    canvas.Brush()->SetStyle(bsClear);
    Drawer()->RenderText(at.X, at.Y, Caption());
}

void TAALabel::RenderDirect()
{
    TCanvas* canvas = Canvas();
    Drawer()->SetCanvas(canvas);
    const TPoint at = MeasureAndPlace();
    canvas->Brush()->SetColor(Color());
    // The text is laid over the parent's pixels already there.
    canvas->Brush()->SetStyle(bsClear);
    // The paint's canvas lives only as long as the paint.
    try {
        Drawer()->RenderText(at.X, at.Y, Caption());
    } catch (...) {
        Drawer()->SetCanvas(FBitmap->Canvas());
        throw;
    }
    Drawer()->SetCanvas(FBitmap->Canvas());
}

void TAALabel::InvalidateDisplay()
{
    if (FEffect->Transparent()) {
        // Sized now, so that the paint that renders it is not clipped to the
        // size it had before.
        Drawer()->SetCanvas(FBitmap->Canvas());
        MeasureAndPlace();
    } else {
        RenderToBitmap();
    }
    Invalidate();
}

void TAALabel::DisplayHook()
{
    if (FEffect->Transparent())
        RenderDirect();
    else
        Canvas()->BitBlt(0, 0, Width(), Height(), FBitmap->Canvas(), 0, 0, SRCCOPY);
}

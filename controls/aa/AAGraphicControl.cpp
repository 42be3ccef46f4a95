// The base of the anti-aliased controls: when to render, painting without
// re-entry, and the background placement shared by its descendants.

#include "controls/aa/AAGraphicControl.h"

#include <algorithm>

// ---- Property objects ----------------------------------------------------------------

void TPackParam::Assign(const TPersistent* source)
{
    // The object stays with its own control.
    if (dynamic_cast<const TPackParam*>(source))
        return;
    TPersistent::Assign(source);
}

void TParentEffect::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TParentEffect*>(source)) {
        SetParentColor(other->ParentColor());
        SetParentFont(other->ParentFont());
        SetParentShowHint(other->ParentShowHint());
    }
    TPackParam::Assign(source);
}

bool TParentEffect::ParentColor() const { return Control()->ParentColor(); }
void TParentEffect::SetParentColor(bool value) { Control()->SetParentColor(value); }
bool TParentEffect::ParentFont() const { return Control()->ParentFont(); }
void TParentEffect::SetParentFont(bool value) { Control()->SetParentFont(value); }
bool TParentEffect::ParentShowHint() const { return Control()->ParentShowHint(); }
void TParentEffect::SetParentShowHint(bool value) { Control()->SetParentShowHint(value); }

// ---- TAAGraphicControl ---------------------------------------------------------------

TAAGraphicControl::TAAGraphicControl(TComponent* owner)
    : TGraphicControl(owner), FParentEffect(std::make_unique<TParentEffect>(this)),
      FMeasureBitmap(std::make_unique<TBitmap>(1, 1)), FDrawer(std::make_unique<TAAFontEx>(FMeasureBitmap->Canvas()))
{
    FDrawer->Effect()->SetOnChange([this](TObject* sender) { EffectChanged(sender); });
    autoSize_ = true;
    parentColor_ = true;
}

TAAGraphicControl::~TAAGraphicControl() = default;

void TAAGraphicControl::SetBorder(int32_t value)
{
    value = std::max(value, 0);
    if (FBorder == value)
        return;
    FBorder = value;
    RequestRebuild();
}

void TAAGraphicControl::SetAutoSize(bool value)
{
    TGraphicControl::SetAutoSize(value);
    RequestRebuild();
}

void TAAGraphicControl::Loaded()
{
    TGraphicControl::Loaded();
    FLoadedFlag = true;
    RebuildDisplay();
}

bool TAAGraphicControl::Busy() const
{
    return (ComponentState() & (csLoading | csReading | csWriting | csDestroying)) != 0;
}

void TAAGraphicControl::RequestRebuild()
{
    if (FLoadedFlag && FAutoUpdate && !Busy())
        InvalidateDisplay();
}

void TAAGraphicControl::Paint()
{
    if (Busy())
        return;
    if (!FLoadedFlag) {
        FLoadedFlag = true;
        RebuildDisplay();
    }
    // A paint started from inside the paint would draw over itself.
    if (FPainting)
        return;
    FPainting = true;
    try {
        DisplayHook();
    } catch (...) {
        FPainting = false;
        throw;
    }
    FPainting = false;
}

void TAAGraphicControl::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED: RequestRebuild(); break;
    case CM_MOUSEENTER:
        if (OnMouseEnter)
            OnMouseEnter(this);
        break;
    case CM_MOUSELEAVE:
        if (OnMouseLeave)
            OnMouseLeave(this);
        break;
    default: break;
    }
    TGraphicControl::WndProc(message);
}

void TAAGraphicControl::Resize()
{
    if (Width() != FLastWidth || Height() != FLastHeight) {
        FLastWidth = Width();
        FLastHeight = Height();
        RequestRebuild();
    }
    TGraphicControl::Resize();
}

void TAAGraphicControl::DrawBackground(TCanvas& canvas, const TRect& rect, TBackGroundMode mode, TGraphic* graphic)
{
    TBrush& brush = *canvas.Brush();
    const TBrushStyle style = brush.Style();
    brush.SetStyle(bsSolid);
    canvas.FillRect(rect);
    brush.SetStyle(style);
    if (!graphic || graphic->Empty())
        return;
    switch (mode) {
    case bmTiled: TileGraphic(canvas, rect, graphic); break;
    case bmStretched: StretchGraphic(canvas, rect, graphic, brush.Color()); break;
    case bmCenter:
        canvas.Draw((rect.Right + rect.Left - graphic->Width()) / 2, (rect.Bottom + rect.Top - graphic->Height()) / 2,
                    graphic);
        break;
    case bmNormal: canvas.Draw(rect.Left, rect.Top, graphic); break;
    }
}

#include "platform/ui/Label.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/DrawText.h"
#include "platform/ui/GraphicControlsRegistration.h"
#include "platform/ui/Messages.h"

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner)
{
    RegisterGraphicControls();
    SetControlStyle(ControlStyle() | csOpaque);
    SetBounds(0, 0, 65, 17);
    SetParentColor(true);
    SetAutoSize(true);
}

void TCustomLabel::SetAlignment(TAlignment value)
{
    if (alignment_ == value)
        return;
    alignment_ = value;
    Invalidate();
}

void TCustomLabel::SetTransparent(bool value)
{
    if (transparent_ == value)
        return;
    transparent_ = value;
    SetControlStyle(value ? ControlStyle() & ~csOpaque : ControlStyle() | csOpaque);
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool value)
{
    if (showAccelChar_ == value)
        return;
    showAccelChar_ = value;
    AdjustSize();
    Invalidate();
}

uint32_t TCustomLabel::TextFormat() const
{
    static const uint32_t alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    return DT_EXPANDTABS | alignments[alignment_] | (showAccelChar_ ? 0 : DT_NOPREFIX);
}

TSize TCustomLabel::TextExtent()
{
    // Measured on a scratch bitmap: the label may not be on a window yet.
    TBitmap scratch(1, 1);
    TCanvas& canvas = *scratch.Canvas();
    canvas.Font()->Assign(Font());
    TRect rect;
    // An empty caption still takes the height of a line.
    DrawText(canvas, Caption().empty() ? std::string(" ") : Caption(), rect, TextFormat() | DT_CALCRECT);
    return TSize{rect.Width(), rect.Height()};
}

bool TCustomLabel::CanAutoSize(int32_t& newWidth, int32_t& newHeight)
{
    const TSize extent = TextExtent();
    newWidth = extent.cx;
    newHeight = extent.cy;
    return true;
}

void TCustomLabel::DrawCaption(TCanvas& canvas, TRect rect, TColor color)
{
    canvas.Font()->SetColor(color);
    DrawText(canvas, Caption(), rect, TextFormat());
}

void TCustomLabel::Paint()
{
    TCanvas& canvas = *Canvas();
    const TRect client = ClientRect();
    if (!transparent_) {
        canvas.Brush()->SetStyle(bsSolid);
        canvas.Brush()->SetColor(Color());
        canvas.FillRect(client);
    }
    canvas.Brush()->SetStyle(bsClear);
    canvas.Font()->Assign(Font());
    if (Enabled()) {
        DrawCaption(canvas, client, Font()->Color());
        return;
    }
    // Disabled text is embossed: a light copy one pixel down and right under a shadow copy.
    DrawCaption(canvas, OffsetRect(client, 1, 1), clBtnHighlight);
    DrawCaption(canvas, client, clBtnShadow);
}

void TCustomLabel::Dispatch(TMessage& message)
{
    TGraphicControl::Dispatch(message);
    switch (message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        AdjustSize();
        Invalidate();
        break;
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED: Invalidate(); break;
    default: break;
    }
}

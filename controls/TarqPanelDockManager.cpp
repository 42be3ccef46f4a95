#include "controls/TarqPanelDockManager.h"

#include "controls/TarqFonts.h"
#include "controls/TarqPanel.h"

TTarqPanelDockManager::TTarqPanelDockManager(TTarqCustomPanel* panel)
    : TDockTree(panel), panel_(panel), captionFont_(std::make_unique<TFont>())
{
    captionFont_->SetName("Verdana");
    captionFont_->SetSize(8);
    previousWndProc_ = panel_->WindowProc;
    panel_->WindowProc = [this](TMessage& message) { WindowProc(message); };
}

TTarqPanelDockManager::~TTarqPanelDockManager() { panel_->WindowProc = previousWndProc_; }

// Commands and activation clicks change which client is active: its
// caption bar changes colour.
void TTarqPanelDockManager::WindowProc(TMessage& message)
{
    if (message.Msg == WM_COMMAND || message.Msg == WM_MOUSEACTIVATE)
        panel_->Invalidate();
    previousWndProc_(message);
}

TRect TTarqPanelDockManager::CloseButtonRect(const TRect& zone) const
{
    if (GrabbersAtLeft())
        return Rect(zone.Left + 1, zone.Top + 1, zone.Left + 12, zone.Top + 12);
    return Rect(zone.Right - 15, zone.Top + 1, zone.Right - 2, zone.Top + 12);
}

void TTarqPanelDockManager::PaintDockFrame(TCanvas& canvas, TControl* control, const TRect& rect)
{
    if (!panel_->ShowDockClientCaptions()) {
        TDockTree::PaintDockFrame(canvas, control, rect);
        return;
    }
    canvas.Font()->Assign(captionFont_.get());
    auto* window = dynamic_cast<TWinControl*>(control);
    const bool active = !window || window->Focused();
    canvas.Brush()->SetColor(active ? clActiveCaption : clInactiveCaption);
    canvas.Font()->SetColor(active ? clCaptionText : clInactiveCaptionText);
    DrawCaptionBar(canvas, control, rect);
    DrawCloseGlyph(canvas, CloseButtonRect(rect));
}

void TTarqPanelDockManager::DrawCaptionBar(TCanvas& canvas, TControl* control, const TRect& zone)
{
    if (!GrabbersAtLeft()) {
        const TRect bar = Rect(zone.Left, zone.Top, zone.Right, zone.Top + GrabberSize());
        canvas.TextRect(bar, zone.Left + 2, zone.Top, control->Caption());
        return;
    }
    const TRect bar = Rect(zone.Left, zone.Top, zone.Left + GrabberSize(), zone.Bottom);
    canvas.FillRect(bar);
    std::unique_ptr<TFont> upwards = CreateRotatedFont(*captionFont_, 90);
    upwards->SetColor(clCaptionText);
    canvas.Font()->Assign(upwards.get());
    const uint32_t align = canvas.TextAlign();
    canvas.SetTextAlign(TA_BASELINE);
    canvas.Brush()->SetStyle(bsClear);
    canvas.TextRect(bar, bar.Right - 2, bar.Bottom - 3, control->Caption());
    canvas.Brush()->SetStyle(bsSolid);
    canvas.SetTextAlign(align);
}

// The close button's cross, drawn in the caption text colour (the symbol
// font that would hold it is not on the system).
void TTarqPanelDockManager::DrawCloseGlyph(TCanvas& canvas, const TRect& close) const
{
    canvas.Pen()->SetColor(canvas.Font()->Color());
    const int32_t size = std::min(close.Width(), close.Height()) - 4;
    const int32_t left = close.Left + 2, top = close.Top + 2;
    for (int32_t offset = 0; offset < 2; ++offset) {
        canvas.MoveTo(left + offset, top);
        canvas.LineTo(left + size + offset, top + size);
        canvas.MoveTo(left + size - 1 + offset, top);
        canvas.LineTo(left - 1 + offset, top + size);
    }
}

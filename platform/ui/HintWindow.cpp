#include "platform/ui/HintWindow.h"

#include "platform/gfx/DrawText.h"

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner)
{
    visible_ = false;
    color_ = clInfoBk;
    parentColor_ = false;
    parentFont_ = false;
    font_->SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.Style = WS_POPUP | WS_BORDER;
    params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    params.WndParent = 0;
}

TRect THintWindow::CalcHintRect(int32_t maxWidth, const std::string& hint)
{
    TBitmap scratch(1, 1, pf32bit);
    TCanvas canvas(&scratch);
    canvas.Font()->Assign(Font());
    TRect r = Rect(0, 0, maxWidth, 0);
    DrawText(canvas, hint, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    // The border and a little room around the text.
    return Rect(0, 0, r.Right + 6, r.Bottom + 4);
}

void THintWindow::ActivateHint(const TRect& screenRect, const std::string& hint)
{
    SetCaption(hint);
    SetBoundsRect(screenRect);
    if (!Visible())
        Show();
    Invalidate();
}

void THintWindow::ReleaseHint() { Hide(); }

void THintWindow::Paint()
{
    TCanvas& canvas = *Canvas();
    canvas.Brush()->SetColor(color_);
    canvas.FillRect(ClientRect());
    canvas.Brush()->SetStyle(bsClear);
    canvas.Font()->Assign(Font());
    TRect r = InflateRect(ClientRect(), -2, -1);
    DrawText(canvas, Caption(), r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

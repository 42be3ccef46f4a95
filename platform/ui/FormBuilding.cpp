#include "platform/ui/FormBuilding.h"

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Frames.h"

#include "platform/ui/Label.h"
#include "platform/ui/StdCtrls.h"

TLabel* MakeChildLabel(TCustomForm* form, const std::string& caption, int32_t x, int32_t y)
{
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetCaption(caption);
    label->SetLeft(x);
    label->SetTop(y);
    return label;
}

TDialogButtons MakeOkCancelButtons(TCustomForm* form, int32_t top, int32_t right)
{
    constexpr int32_t width = 75, height = 25, gap = 8;
    TDialogButtons buttons;
    buttons.Ok = MakeChildControl<TButton>(form, "OkButton", Bounds(right - 2 * width - gap, top, width, height));
    buttons.Ok->SetCaption("OK");
    buttons.Ok->SetDefault(true);
    buttons.Ok->SetModalResult(mrOk);
    buttons.Cancel = MakeChildControl<TButton>(form, "CancelButton", Bounds(right - width, top, width, height));
    buttons.Cancel->SetCaption("Cancel");
    buttons.Cancel->SetCancel(true);
    buttons.Cancel->SetModalResult(mrCancel);
    return buttons;
}

TRect DrawSunkenSample(TCanvas& canvas, TRect rect, TColor fill)
{
    DrawEdge(canvas, rect, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(fill);
    canvas.FillRect(rect);
    return rect;
}

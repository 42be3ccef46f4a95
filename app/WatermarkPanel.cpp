// The "Water Mark" and "Edit" tabs: a PNG laid over the picture at one of
// nine places, or a quarter-turn rotation; choosing one clears the other.

#include "app/PreviewLayout.h"
#include "app/UnitQuorvid.h"
#include "app/WatermarkPicture.h"
#include "controls/TarqBtnEdt.h"
#include "controls/TarqCmboBx.h"
#include "controls/TarqPanel.h"
#include "controls/TarqRadChk.h"
#include "controls/TarqSpnEdt.h"
#include "engine/FFEncode.h"
#include "engine/decode/FFDecode.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/Image.h"

namespace {

// The middle column and the middle row ignore their margin.
bool UsesMarginX(int32_t placement) { return (placement >= 0 && placement <= 2) || (placement >= 6 && placement <= 8); }

bool UsesMarginY(int32_t placement) { return placement >= 0 && placement <= 8 && placement % 3 != 1; }

} // namespace

void TFrmQuorvid::CheckBoxWatermarkClick(TObject*)
{
    if (SuppressEvents)
        return;
    const bool active = CheckBoxWatermark->Checked();
    if (active) {
        // A watermark and a rotation exclude each other.
        SuppressEvents = true;
        ComboBoxRotate->SetItemIndex(0);
        SuppressEvents = false;
    }
    for (TControl* control : std::initializer_list<TControl*>{EditPathWatermark, ComboBoxPostion, SpinEditX, SpinEditY})
        control->SetEnabled(active);
    if (active)
        ComboBoxPostionChange(ComboBoxPostion);
    RefreshPreview();
}

void TFrmQuorvid::EditPathWatermarkButtonClick(TObject*)
{
    if (!OpenDialogWM->Execute())
        return;
    EditPathWatermark->SetText(OpenDialogWM->FileName());
    RefreshPreview();
}

void TFrmQuorvid::ComboBoxPostionChange(TObject*)
{
    if (SuppressEvents)
        return;
    const int32_t placement = ComboBoxPostion->ItemIndex();
    SpinEditX->SetEnabled(UsesMarginX(placement));
    SpinEditY->SetEnabled(UsesMarginY(placement));
    if (PanelViewBk->Visible() && ImageWatermark->Visible())
        PlaceWatermarkPreview(placement, SpinEditX->IntValue(), SpinEditY->IntValue());
}

void TFrmQuorvid::SpinEditXChange(TObject*)
{
    if (SuppressEvents || !PanelViewBk->Visible() || !ImageWatermark->Visible())
        return;
    PlaceWatermarkPreview(ComboBoxPostion->ItemIndex(), SpinEditX->IntValue(), SpinEditY->IntValue());
}

void TFrmQuorvid::ComboBoxRotateChange(TObject*)
{
    if (SuppressEvents || !ComboBoxRotate->Enabled())
        return;
    if (ComboBoxRotate->Text() != "0" && CheckBoxWatermark->Visible()) {
        // Quietly: the watermark's controls keep their state.
        SuppressEvents = true;
        CheckBoxWatermark->SetChecked(false);
        SuppressEvents = false;
    }
    FillPreviewBackground();
    RefreshPreview();
}

bool TFrmQuorvid::LoadWatermarkPreview(const std::string& path)
{
    ImageWatermark->Hide();
    if (!PanelViewBk->Visible() || !LoadWatermarkPicture(*ImageWatermark->Picture(), path))
        return false;
    ImageWatermark->Show();
    return true;
}

void TFrmQuorvid::PlaceWatermarkPreview(int32_t placement, int32_t marginX, int32_t marginY)
{
    TWatermarkPreview preview;
    preview.Placement = placement;
    preview.MarginX = marginX;
    preview.MarginY = marginY;
    preview.PngWidth = ImageWatermark->Picture()->Width();
    preview.PngHeight = ImageWatermark->Picture()->Height();
    preview.ScaleX = PreviewScaleX;
    preview.ScaleY = PreviewScaleY;
    preview.Frame = PanelPlayBk->BoundsRect();
    preview.Picture = TPoint{ImagePlay->Left(), ImagePlay->Top()};
    ImageWatermark->SetBoundsRect(WatermarkPreviewBounds(preview));
}

bool TFrmQuorvid::WatermarkShown() const
{
    return CheckBoxWatermark->Visible() && CheckBoxWatermark->Enabled() && CheckBoxWatermark->Checked() &&
        ImageWatermark->Visible() && PanelViewBk->Visible();
}

TPoint TFrmQuorvid::WatermarkSourcePosition() const
{
    if (!WatermarkShown())
        return {0, 0};
    const TFFDecoder& decoder = *DIVidirov->Decoder();
    return WatermarkPosition(ComboBoxPostion->ItemIndex(), SpinEditX->IntValue(), SpinEditY->IntValue(),
                             decoder.FrameWidth(), decoder.FrameHeight(), ImageWatermark->Picture()->Width(),
                             ImageWatermark->Picture()->Height());
}

void TFrmQuorvid::RefreshWatermark()
{
    const bool active = CheckBoxWatermark->Visible() && CheckBoxWatermark->Enabled() && CheckBoxWatermark->Checked();
    if (active && LoadWatermarkPreview(EditPathWatermark->Text()))
        PlaceWatermarkPreview(ComboBoxPostion->ItemIndex(), SpinEditX->IntValue(), SpinEditY->IntValue());
    else
        ImageWatermark->Hide();
}

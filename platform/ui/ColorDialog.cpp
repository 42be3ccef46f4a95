#include "platform/ui/ColorDialog.h"

#include <algorithm>

#include "platform/core/Strings.h"
#include "platform/gfx/Frames.h"
#include "platform/ui/Edit.h"
#include "platform/ui/FormBuilding.h"
#include "platform/ui/StdCtrls.h"

namespace {

constexpr int32_t SwatchInset = 3;

std::array<TColor, 48> MakeBasicColors()
{
    constexpr int32_t hues[8] = {0, 20, 40, 60, 80, 120, 160, 200};
    constexpr int32_t lums[5] = {200, 160, 120, 80, 40};
    std::array<TColor, 48> colors{};
    for (int32_t row = 0; row < 5; ++row)
        for (int32_t column = 0; column < 8; ++column)
            colors[row * 8 + column] = HlsToColor({hues[column], lums[row], HlsMax});
    for (int32_t column = 0; column < 8; ++column) {
        const auto grey = static_cast<uint8_t>(Round(column * 255.0L / 7));
        colors[40 + column] = RGB(grey, grey, grey);
    }
    return colors;
}

int32_t BasicColorIndex(TColor color)
{
    const auto& colors = BasicColors();
    const auto it = std::find(colors.begin(), colors.end(), ColorToPixelRGB(color));
    return it == colors.end() ? -1 : static_cast<int32_t>(it - colors.begin());
}

} // namespace

const std::array<TColor, 48>& BasicColors()
{
    static const std::array<TColor, 48> colors = MakeBasicColors();
    return colors;
}

// ---- TColorSwatches --------------------------------------------------------------------

TColorSwatches::TColorSwatches(TComponent* owner) : TCustomControl(owner)
{
    SetBounds(0, 0, Columns * CellWidth, Rows * CellHeight);
    SetTabStop(true);
    controlStyle_ |= csOpaque;
}

TPoint TColorSwatches::CellCentre(int32_t index)
{
    return {(index % Columns) * CellWidth + CellWidth / 2, (index / Columns) * CellHeight + CellHeight / 2};
}

void TColorSwatches::SetSelected(int32_t index)
{
    index = index >= 0 && index < Columns * Rows ? index : -1;
    if (selected_ == index)
        return;
    selected_ = index;
    Invalidate();
}

void TColorSwatches::Choose(int32_t index)
{
    if (index == selected_)
        return;
    SetSelected(index);
    if (SelectionChanged)
        SelectionChanged();
}

void TColorSwatches::Paint()
{
    TCanvas& canvas = *Canvas();
    canvas.Brush()->SetColor(Color());
    canvas.FillRect(ClientRect());
    for (int32_t i = 0; i < Columns * Rows; ++i) {
        const TRect cell = Bounds((i % Columns) * CellWidth, (i / Columns) * CellHeight, CellWidth, CellHeight);
        if (i == selected_) {
            canvas.Brush()->SetColor(clWindowFrame);
            canvas.FrameRect(InflateRect(cell, -1, -1));
            if (Focused())
                canvas.DrawFocusRect(cell);
        }
        TRect swatch = InflateRect(cell, -SwatchInset, -SwatchInset);
        DrawEdge(canvas, swatch, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        canvas.Brush()->SetColor(BasicColors()[i]);
        canvas.FillRect(swatch);
    }
}

void TColorSwatches::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS; return;
    case CM_ENTER:
    case CM_EXIT: Invalidate(); break;
    default: break;
    }
    TCustomControl::Dispatch(message);
}

void TColorSwatches::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (button == mbLeft) {
        if (CanFocus())
            SetFocus();
        if (PtInRect(ClientRect(), {x, y}))
            Choose((y / CellHeight) * Columns + x / CellWidth);
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TColorSwatches::KeyDown(uint16_t& key, TShiftState shift)
{
    const int32_t from = std::max(selected_, 0);
    int32_t column = from % Columns, row = from / Columns;
    switch (key) {
    case VK_LEFT: column = std::max(column - 1, 0); break;
    case VK_RIGHT: column = std::min(column + 1, Columns - 1); break;
    case VK_UP: row = std::max(row - 1, 0); break;
    case VK_DOWN: row = std::min(row + 1, Rows - 1); break;
    default: TCustomControl::KeyDown(key, shift); return;
    }
    Choose(row * Columns + column);
    key = 0;
}

// ---- TColorDialogForm ------------------------------------------------------------------

TColorDialogForm::TColorDialogForm(TComponent* owner, TColor initial) : TForm(owner), color_(ColorToPixelRGB(initial))
{
    SetCaption("Color");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientSize(420, 242);
    MakeChildLabel(this, "&Basic colors:", 8, 8);
    swatches_ = MakeChildControl<TColorSwatches>(this, "Swatches",
                                                 Bounds(8, 24, TColorSwatches::Columns * TColorSwatches::CellWidth,
                                                        TColorSwatches::Rows * TColorSwatches::CellHeight));
    swatches_->SelectionChanged = [this] {
        color_ = BasicColors()[swatches_->Selected()];
        ShowColor(0, FieldCount);
    };
    static const char* const captions[FieldCount] = {"&Hue:", "&Lum:", "&Sat:", "&Red:", "&Green:", "Bl&ue:"};
    static const char* const names[FieldCount] = {"HueEdit", "LumEdit", "SatEdit", "RedEdit", "GreenEdit", "BlueEdit"};
    for (int32_t i = 0; i < FieldCount; ++i) {
        const int32_t x = i < fdRed ? 232 : 324, y = 100 + (i % 3) * 30;
        MakeChildLabel(this, captions[i], x, y + 3);
        fields_[i] = MakeChildControl<TEdit>(this, names[i], Bounds(x + 44, y, 40, 21));
        fields_[i]->SetMaxLength(3);
        fields_[i]->OnChange = [this, i](TObject*) { FieldChanged(static_cast<TField>(i)); };
    }
    ok_ = MakeOkCancelButtons(this, 208, 412).Ok;
    ShowColor(0, FieldCount);
    SetActiveControl(swatches_);
}

TRect TColorDialogForm::SampleRect() const { return Rect(232, 24, 412, 84); }

void TColorDialogForm::Paint()
{
    TForm::Paint();
    DrawSunkenSample(*Canvas(), SampleRect(), color_);
}

void TColorDialogForm::ShowColor(int32_t from, int32_t to)
{
    const THls hls = ColorToHls(color_);
    const int32_t values[FieldCount] = {hls.Hue,           hls.Lum,           hls.Sat,
                                        GetRValue(color_), GetGValue(color_), GetBValue(color_)};
    showing_ = true;
    for (int32_t i = from; i < to; ++i)
        fields_[i]->SetText(std::to_string(values[i]));
    showing_ = false;
    swatches_->SetSelected(BasicColorIndex(color_));
    Invalidate();
}

// A field the user typed in sets the colour, held to the field's range;
// text that is no number leaves the colour as it is. Only the other group
// follows, so a typed hue is never rewritten by the rounding of a round trip.
void TColorDialogForm::FieldChanged(TField field)
{
    if (showing_)
        return;
    int32_t values[FieldCount];
    for (int32_t i = 0; i < FieldCount; ++i) {
        if (!TryStrToInt(Trim(fields_[i]->Text()), values[i])) {
            if (i == field)
                return;
            values[i] = 0;
        }
        values[i] = std::clamp(values[i], 0, i < fdRed ? HlsMax : 255);
    }
    const bool hlsGroup = field < fdRed;
    color_ = hlsGroup ? HlsToColor({values[fdHue], values[fdLum], values[fdSat]})
                      : RGB(static_cast<uint8_t>(values[fdRed]), static_cast<uint8_t>(values[fdGreen]),
                            static_cast<uint8_t>(values[fdBlue]));
    if (hlsGroup)
        ShowColor(fdRed, FieldCount);
    else
        ShowColor(fdHue, fdRed);
}

// ---- TColorDialog ----------------------------------------------------------------------

bool TColorDialog::Execute()
{
    TColorDialogForm form(nullptr, color_);
    TFormScope<TColorDialogForm> scope(form_, &form);
    form.OnShow = [this](TObject*) {
        if (OnShow)
            OnShow(this);
    };
    const bool chosen = form.ShowModal() == mrOk;
    if (chosen)
        color_ = form.Color();
    if (OnClose)
        OnClose(this);
    return chosen;
}

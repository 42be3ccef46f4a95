#pragma once
// The colour dialog: TColorDialog asks for one colour on our own modal
// form, TColorDialogForm, which offers 48 basic colours and the colour's
// hue, luminosity and saturation (0..240) and red, green and blue (0..255)
// as fields that follow each other.

#include <array>
#include <cstdint>
#include <functional>

#include "platform/core/Components.h"
#include "platform/gfx/ColorHls.h"
#include "platform/ui/Form.h"

class TEdit;
class TButton;

// The basic colours, row by row: five rows of eight hues from light to
// dark, then greys from black to white.
const std::array<TColor, 48>& BasicColors();

// The grid of basic colours; arrows and clicks choose one.
class TColorSwatches : public TCustomControl {
public:
    static constexpr int32_t Columns = 8, Rows = 6, CellWidth = 26, CellHeight = 22;

    explicit TColorSwatches(TComponent* owner);
    // -1 when no basic colour is chosen.
    int32_t Selected() const { return selected_; }
    void SetSelected(int32_t index);
    // The centre of a cell, in client coordinates.
    static TPoint CellCentre(int32_t index);

    // The user chose another colour.
    std::function<void()> SelectionChanged;

protected:
    void Paint() override;
    void Dispatch(TMessage& message) override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void KeyDown(uint16_t& key, TShiftState shift) override;

private:
    void Choose(int32_t index);
    int32_t selected_ = -1;
};

class TColorDialogForm : public TForm {
public:
    TColorDialogForm(TComponent* owner, TColor initial);

    TColor Color() const { return color_; }
    TColorSwatches* Swatches() const { return swatches_; }
    // Hue, Lum, Sat, Red, Green, Blue.
    TEdit* Field(int32_t index) const { return fields_[index]; }
    TButton* OkButton() const { return ok_; }

    enum TField { fdHue, fdLum, fdSat, fdRed, fdGreen, fdBlue, FieldCount };

protected:
    void Paint() override;

private:
    void FieldChanged(TField field);
    // Shows the colour in the fields from..to-1, the swatches and the sample.
    void ShowColor(int32_t from, int32_t to);
    TRect SampleRect() const;

    TColor color_;
    bool showing_ = false;
    TColorSwatches* swatches_ = nullptr;
    std::array<TEdit*, FieldCount> fields_{};
    TButton* ok_ = nullptr;
};

class TColorDialog : public TComponent {
public:
    explicit TColorDialog(TComponent* owner) : TComponent(owner) {}

    // The colour shown first and, after a confirmed Execute, the choice.
    TColor Color() const { return color_; }
    void SetColor(TColor value) { color_ = value; }

    bool Execute();
    TColorDialogForm* Form() const { return form_; }

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

private:
    TColor color_ = clBlack;
    TColorDialogForm* form_ = nullptr;
};

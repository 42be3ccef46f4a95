#pragma once
// A framed edit holding a number, stepped by a pair of auto-repeating spin
// buttons, the arrow and page keys and the mouse wheel, kept inside a range
// and shown with a fixed number of decimals; and the spin button pair itself.

#include <cstdint>
#include <functional>

#include "controls/TarqButton.h"
#include "controls/TarqButtonPair.h"
#include "controls/TarqEdit.h"
#include "controls/TarqTypes.h"
#include "platform/ui/Controls.h"

enum TSpinDirection : uint8_t { sdUpDown, sdLeftRight };
enum TSpinButtonType : uint8_t { sbUp, sbDown };
const TEnumInfo& SpinDirectionInfo();

// Numbers are written and read with this separator, whatever the user's
// locale (the process keeps the "C" number locale).
inline constexpr char SpinDecimalSeparator = '.';

// The spin edit's button pair: the up (or right) button is the pair's main
// button, the down (or left) one its alternate; both repeat while held and
// show arrows unless given glyphs of their own.
class TTarqSpinButtons : public TTarqButtonPair {
public:
    explicit TTarqSpinButtons(TComponent* owner);

    TSpinDirection Direction() const { return direction_; }
    virtual void SetDirection(TSpinDirection value);
    TOrientation Orientation() const { return orientation_; }
    virtual void SetOrientation(TOrientation value);
    uint16_t Delay() const;
    void SetDelay(uint16_t value);
    uint16_t InitialDelay() const;
    void SetInitialDelay(uint16_t value);

    // A custom glyph replaces the arrow; nullptr or an empty bitmap restores it.
    TBitmap* GlyphUpRight() const;
    virtual void SetGlyphUpRight(const TBitmap* value);
    TBitmap* GlyphDownLeft() const;
    virtual void SetGlyphDownLeft(const TBitmap* value);
    bool CustomGlyphUpRight() const { return customUpRight_; }
    bool CustomGlyphDownLeft() const { return customDownLeft_; }
    int32_t NumGlyphsUpRight() const;
    virtual void SetNumGlyphsUpRight(int32_t value);
    int32_t NumGlyphsDownLeft() const;
    virtual void SetNumGlyphsDownLeft(int32_t value);

    TTarqControlButton* UpRightButton() const { return MainButton(); }
    TTarqControlButton* DownLeftButton() const { return AltButton(); }

    // Vertical: the up button over the down button, the bottom row left free.
    // Horizontal: the left button beside the right one.
    void LayoutButtons() override;

    TNotifyEvent OnUpRightClick;
    TNotifyEvent OnDownLeftClick;

protected:
    void ButtonClick(TObject* sender) override;
    void Dispatch(TMessage& message) override;
    void KeyDown(uint16_t& key, TShiftState shift) override;

private:
    void ApplyGlyph(TTarqControlButton& button, const TBitmap* value, bool& custom, bool upRight);
    TTarqControlButtonStyle ArrowStyle(bool upRight) const;

    TSpinDirection direction_ = sdUpDown;
    TOrientation orientation_ = orVertical;
    bool customUpRight_ = false;
    bool customDownLeft_ = false;
};

using TSpinChangingEvent = std::function<void(TObject* sender, long double newValue, bool& allowChange)>;
using TSpinButtonEvent = std::function<void(TObject* sender, TSpinButtonType button)>;
using TMouseWheelUpDownEvent = std::function<void(TObject* sender, TShiftState shift, TPoint mousePos, bool& handled)>;

class TTarqSpinEdit : public TTarqCustomEdit {
public:
    explicit TTarqSpinEdit(TComponent* owner);

    // ---- Value ----
    // Parsed from Text each time: an empty text reads BlankValue with
    // AllowBlank and otherwise becomes the text of Min; text that is no
    // number reads Min.
    virtual long double Value();
    virtual void SetValue(long double value);
    int32_t IntValue();
    void SetIntValue(int32_t value) { SetValue(value); }
    long double Min() const { return min_; }
    virtual void SetMin(long double value);
    long double Max() const { return max_; }
    virtual void SetMax(long double value);
    bool CheckRange() const { return checkRange_; }
    virtual void SetCheckRange(bool value);
    uint8_t Decimals() const { return decimals_; }
    virtual void SetDecimals(uint8_t value);
    bool IntegersOnly() const { return integersOnly_; }
    virtual void SetIntegersOnly(bool value);
    long double Increment() const { return increment_; }
    void SetIncrement(long double value) { increment_ = value; }
    long double PageSize() const { return pageSize_; }
    void SetPageSize(long double value) { pageSize_ = value; }
    bool AllowBlank() const { return allowBlank_; }
    void SetAllowBlank(bool value) { allowBlank_ = value; }
    long double BlankValue() const { return blankValue_; }
    void SetBlankValue(long double value) { blankValue_ = value; }
    bool AllowKeyEdit() const { return allowKeyEdit_; }
    void SetAllowKeyEdit(bool value) { allowKeyEdit_ = value; }
    // Equal bounds without CheckRange mean no range at all.
    virtual long double ClampValue(long double value) const;

    // ---- Buttons ----
    int32_t ButtonWidth() const { return buttonWidth_; }
    virtual void SetButtonWidth(int32_t value);
    TSpinDirection Direction() const { return spinButtons_->Direction(); }
    virtual void SetDirection(TSpinDirection value) { spinButtons_->SetDirection(value); }
    TOrientation Orientation() const { return spinButtons_->Orientation(); }
    virtual void SetOrientation(TOrientation value);
    TBitmap* ButtonUpGlyph() const { return spinButtons_->GlyphUpRight(); }
    virtual void SetButtonUpGlyph(const TBitmap* value) { spinButtons_->SetGlyphUpRight(value); }
    TBitmap* ButtonDownGlyph() const { return spinButtons_->GlyphDownLeft(); }
    virtual void SetButtonDownGlyph(const TBitmap* value) { spinButtons_->SetGlyphDownLeft(value); }
    int32_t ButtonUpNumGlyphs() const { return spinButtons_->NumGlyphsUpRight(); }
    virtual void SetButtonUpNumGlyphs(int32_t value) { spinButtons_->SetNumGlyphsUpRight(value); }
    int32_t ButtonDownNumGlyphs() const { return spinButtons_->NumGlyphsDownLeft(); }
    virtual void SetButtonDownNumGlyphs(int32_t value) { spinButtons_->SetNumGlyphsDownLeft(value); }
    virtual TTarqControlButton* GetSpinButton(TSpinButtonType button) const;
    TTarqSpinButtons* SpinButtons() const { return spinButtons_; }
    void SetFlatButtons(bool value) override;
    void SetFrameStyle(TFrameStyle value) override;

    // ---- Stepping ----
    virtual void StepUp() { IncrementValue(increment_); }
    virtual void StepDown() { DecrementValue(increment_); }
    virtual void IncrementValue(long double amount) { Step(amount, sbUp); }
    virtual void DecrementValue(long double amount) { Step(-amount, sbDown); }

    TSpinChangingEvent OnChanging;
    TSpinButtonEvent OnButtonClick;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;

protected:
    virtual void PositionButtons();
    virtual void UpdateEditMargins();
    // Whether a typed character may go into the text.
    virtual bool ProcessKeyChar(char32_t ch);
    TRect GetTextRect() override;
    void ReadOnlyChanged() override;
    void SetMouseState(TTarqMouseStateKind kind, bool value) override;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Loaded() override;
    void Dispatch(TMessage& message) override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    bool DoMouseWheel(TShiftState shift, int32_t wheelDelta, TPoint mousePos) override;

private:
    void Step(long double amount, TSpinButtonType button);
    long double ParsedOrMin(const std::string& text) const;
    void LeaveControl();

    TTarqSpinButtons* spinButtons_ = nullptr;
    bool allowKeyEdit_ = false;
    bool allowBlank_ = false;
    long double blankValue_ = 0;
    int32_t buttonWidth_ = 17;
    bool checkRange_ = false;
    uint8_t decimals_ = 0;
    long double increment_ = 1;
    bool integersOnly_ = true;
    long double min_ = 0;
    long double max_ = 100;
    long double pageSize_ = 10;
};

// Registers TTarqSpinButtons and TTarqSpinEdit with their published
// properties (once).
void RegisterTarqSpinEditClasses();

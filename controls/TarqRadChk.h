#pragma once
// TTarqCustomGlyphButton, a button that shows a small state glyph beside its
// caption (from a custom glyph strip, the theme, the library's own drawn
// square or the classic check box) and takes settings from a frame
// controller; and the three-state check box built on it.

#include <cstdint>
#include <memory>

#include "controls/TarqButton.h"
#include "controls/TarqFrameLink.h"
#include "controls/TarqTypes.h"
#include "platform/gfx/Bitmap.h"

class TTarqCustomGlyphButton : public TTarqCustomButton, public ITarqFrameControllerClient {
public:
    explicit TTarqCustomGlyphButton(TComponent* owner);

    // taRightJustify puts the caption right of the glyph, taLeftJustify
    // left of it; taCenter is ignored.
    TAlignment Alignment() const { return alignment_; }
    virtual void SetAlignment(TAlignment value);
    virtual bool GetChecked() const { return false; }
    virtual void SetChecked(bool) {}
    bool Checked() const { return GetChecked(); }

    TBitmap* CustomGlyphs() const { return customGlyphs_.get(); }
    // Copies the bitmap; a strip of NumStates cells.
    virtual void SetCustomGlyphs(const TBitmap* value) { customGlyphs_->Assign(value); }
    bool UseCustomGlyphs() const { return useCustomGlyphs_; }
    // Switching on takes the cell size from the strip; a strip narrower
    // than its cell count is not used.
    virtual void SetUseCustomGlyphs(bool value);
    TColor FillColor() const { return fillColor_; }
    virtual void SetFillColor(TColor value) { Change(fillColor_, value); }
    TColor FocusColor() const { return focusColor_; }
    virtual void SetFocusColor(TColor value) { Change(focusColor_, value); }
    TColor FrameColor() const { return frameColor_; }
    virtual void SetFrameColor(TColor value) { Change(frameColor_, value); }
    TColor DisabledColor() const { return disabledColor_; }
    virtual void SetDisabledColor(TColor value) { Change(disabledColor_, value); }
    bool ReadOnly() const { return readOnly_; }
    virtual void SetReadOnly(bool value) { Change(readOnly_, value); }
    TColor ReadOnlyColor() const { return readOnlyColor_; }
    virtual void SetReadOnlyColor(TColor value) { Change(readOnlyColor_, value); }
    bool ReadOnlyColorOnFocus() const { return readOnlyColorOnFocus_; }
    void SetReadOnlyColorOnFocus(bool value) { Change(readOnlyColorOnFocus_, value); }
    TTarqButtonHotTrackStyle HotTrackStyle() const { return hotTrackStyle_; }
    void SetHotTrackStyle(TTarqButtonHotTrackStyle value) { Change(hotTrackStyle_, value); }
    TColor TransparentColor() const { return transparentColor_; }
    virtual void SetTransparentColor(TColor value) { Change(transparentColor_, value); }
    TColor WinMaskColor() const { return winMaskColor_; }
    virtual void SetWinMaskColor(TColor value) { Change(winMaskColor_, value); }
    bool TabOnEnter() const { return tabOnEnter_; }
    void SetTabOnEnter(bool value) { tabOnEnter_ = value; }
    void SetTransparent(bool value) override;

    TTarqFrameController* FrameController() const { return frameLink_.Controller(); }
    virtual void SetFrameController(TTarqFrameController* value) { frameLink_.Set(value); }
    TTarqFrameControllerNotifications FrameControllerNotifications() const { return frameLink_.Notifications(); }
    void SetFrameControllerNotifications(TTarqFrameControllerNotifications value)
    {
        frameLink_.SetNotifications(value);
    }
    void ApplyFrameController() override;
    // No click while an action link sets Checked.
    void Click() override;
    // Form data leaves Checked out while the action supplies it.
    bool CheckedStored() const;

    int32_t GlyphWidth() const { return glyphWidth_; }
    int32_t GlyphHeight() const { return glyphHeight_; }
    // Where the glyph sits in the control.
    TRect GlyphRect() const;

protected:
    // The glyph of the current state into a GlyphWidth x GlyphHeight bitmap.
    virtual void RenderGlyph(TBitmap& glyph) = 0;
    // Sees the composed glyph when Transparent is on.
    virtual void GlyphHook(TBitmap&) {}
    virtual void DrawGlyph(TCanvas& canvas);
    // Cell `index` of `strip` into `target`.
    virtual void ExtractGlyph(int32_t index, TBitmap& target, int32_t height, int32_t width, TBitmap& strip);

    void Paint() override;
    void UpdateButtonState() override { PaintNow(); }
    void RepaintButton() override { PaintNow(); }
    TRect GetHotRect() override { return GlyphRect(); }
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void Dispatch(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;
    std::unique_ptr<TControlActionLink> CreateActionLink() override;
    // Takes the action's Checked too, unless only defaults are filled and
    // the button is already checked.
    void ActionChange(TBasicAction* action, bool checkDefaults) override;

    void SetNumStates(int32_t value) { numStates_ = value; }
    // UseCustomGlyphs with a strip that holds every cell.
    bool CustomGlyphsUsable() const;
    bool GlyphAtRight() const;

private:
    friend class TTarqCheckedActionLink;

    // Checked from an action is no user's click.
    void SetCheckedWithoutClick(bool value);
    void PaintNow();
    void CustomGlyphsChanged(TObject* sender);
    void DrawCaptionAndFocus(TCanvas& canvas);
    void MarkBackgroundStale(bool invalidate);

    int32_t numStates_ = 2;
    int32_t glyphWidth_ = 13;
    int32_t glyphHeight_ = 13;
    std::unique_ptr<TBitmap> customGlyphs_;
    bool useCustomGlyphs_ = false;
    TAlignment alignment_ = taRightJustify;
    TTarqFrameLink frameLink_{*this};
    TColor frameColor_ = clBtnShadow;
    TColor fillColor_ = clWindow;
    TColor focusColor_ = clWindow;
    TColor disabledColor_ = clBtnFace;
    bool readOnly_ = false;
    TColor readOnlyColor_ = clInfoBk;
    bool readOnlyColorOnFocus_ = false;
    TTarqButtonHotTrackStyle hotTrackStyle_ = htsInterior;
    TColor transparentColor_ = clOlive;
    TColor winMaskColor_ = clLime;
    bool tabOnEnter_ = false;
    std::unique_ptr<TBitmap> backgroundBmp_;
    bool updateBg_ = true;
    bool clicksDisabled_ = false;
};

// The glyph button's action link: Checked follows the action while the two
// agree, and setting it from the action raises no click.
class TTarqCheckedActionLink : public TWinControlActionLink {
public:
    explicit TTarqCheckedActionLink(TTarqCustomGlyphButton& client) : TWinControlActionLink(client), client_(client) {}

    void SetChecked(bool value) override;
    bool IsCheckedLinked() const override;

private:
    TTarqCustomGlyphButton& client_;
};

class TTarqCustomCheckBox : public TTarqCustomGlyphButton {
public:
    explicit TTarqCustomCheckBox(TComponent* owner);

    TCheckBoxState State() const { return state_; }
    // A change repaints at once and clicks.
    virtual void SetState(TCheckBoxState value);
    bool GetChecked() const override { return state_ == cbChecked; }
    void SetChecked(bool value) override { SetState(value ? cbChecked : cbUnchecked); }
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool value) { allowGrayed_ = value; }

protected:
    void RenderGlyph(TBitmap& glyph) override;
    // The user's toggle: unchecked, (grayed,) checked, unchecked...; a
    // read-only box refuses it, whatever asked for it.
    void AdvanceState() override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyUp(uint16_t& key, TShiftState shift) override;
    void DoExit() override;
    void Dispatch(TMessage& message) override;

private:
    void RenderThemed(TBitmap& glyph);
    void RenderSquare(TBitmap& glyph);
    void RenderClassic(TBitmap& glyph);
    void DialogChar(TMessage& message);

    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
    bool keyToggle_ = false;
};

class TTarqCheckBox : public TTarqCustomCheckBox {
public:
    explicit TTarqCheckBox(TComponent* owner);
};

const TEnumInfo& CheckBoxStateInfo();
const TEnumInfo& LeftRightInfo();

// Registers the published properties of TTarqCheckBox (once).
void RegisterTarqRadChkClasses();

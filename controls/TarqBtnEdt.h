#pragma once
// A framed edit with one or two small buttons at its right edge (such as a
// button that opens a folder browser), each with a built-in glyph by kind,
// a keyboard shortcut, a hint, a width and a visibility.

#include <cstdint>

#include "controls/TarqButton.h"
#include "controls/TarqButtonPair.h"
#include "controls/TarqEdit.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Menus.h"

enum TButtonKind : uint8_t {
    bkCustom,
    bkLookup,
    bkDropDown,
    bkCalendar,
    bkAccept,
    bkReject,
    bkFolder,
    bkFind,
    bkSearch
};
const TEnumInfo& ButtonKindInfo();

// The shared glyph strip of a kind (two 10 x 10 cells: normal, disabled),
// made on first use from the "TARQBTNEDT_*" bitmap resources; callers copy
// it. bkCustom has none (an empty bitmap).
const TBitmap& GetButtonKindGlyph(TButtonKind kind);

// "Ctrl+F4" and the like back to a shortcut; 0 for text that names none.
TShortCut TextToShortCut(const std::string& text);

class TTarqCustomButtonEdit : public TTarqEdit {
public:
    // Button indexes of the indexed properties.
    static constexpr int32_t AltButtonIndex = 1;
    static constexpr int32_t MainButtonIndex = 2;

    explicit TTarqCustomButtonEdit(TComponent* owner);

    bool AllowKeyEdit() const { return allowKeyEdit_; }
    void SetAllowKeyEdit(bool value) { allowKeyEdit_ = value; }
    bool HideButtonsOnReadOnly() const { return hideButtonsOnReadOnly_; }
    virtual void SetHideButtonsOnReadOnly(bool value);

    virtual TTarqControlButton* GetButton(int32_t index) const;
    TTarqButtonPair* ButtonPair() const { return pair_; }

    // ---- Per button, by index ----
    TButtonKind Kind(int32_t index) const { return KindField(index); }
    virtual void SetKind(int32_t index, TButtonKind value);
    // Assigning a glyph makes the kind bkCustom.
    TBitmap* Glyph(int32_t index) const { return GetButton(index)->Glyph(); }
    virtual void SetGlyph(int32_t index, const TBitmap* value);
    int32_t NumGlyphs(int32_t index) const { return GetButton(index)->NumGlyphs(); }
    virtual void SetNumGlyphs(int32_t index, int32_t value) { GetButton(index)->SetNumGlyphs(value); }
    std::string ButtonHintOf(int32_t index) const { return GetButton(index)->Hint(); }
    virtual void SetButtonHintOf(int32_t index, const std::string& value) { GetButton(index)->SetHint(value); }
    TShortCut ShortCutOf(int32_t index) const;
    virtual void SetShortCutOf(int32_t index, TShortCut value);
    bool ButtonVisibleOf(int32_t index) const { return GetButton(index)->Visible(); }
    virtual void SetButtonVisibleOf(int32_t index, bool value);
    int32_t ButtonWidthOf(int32_t index) const { return GetButton(index)->Width(); }
    virtual void SetButtonWidthOf(int32_t index, int32_t value);

    // The main button's and the alternate button's published names.
    TButtonKind ButtonKind() const { return Kind(MainButtonIndex); }
    void SetButtonKind(TButtonKind v) { SetKind(MainButtonIndex, v); }
    TButtonKind AltBtnKind() const { return Kind(AltButtonIndex); }
    void SetAltBtnKind(TButtonKind v) { SetKind(AltButtonIndex, v); }
    TBitmap* ButtonGlyph() const { return Glyph(MainButtonIndex); }
    void SetButtonGlyph(const TBitmap* v) { SetGlyph(MainButtonIndex, v); }
    TBitmap* AltBtnGlyph() const { return Glyph(AltButtonIndex); }
    void SetAltBtnGlyph(const TBitmap* v) { SetGlyph(AltButtonIndex, v); }
    int32_t ButtonNumGlyphs() const { return NumGlyphs(MainButtonIndex); }
    void SetButtonNumGlyphs(int32_t v) { SetNumGlyphs(MainButtonIndex, v); }
    int32_t AltBtnNumGlyphs() const { return NumGlyphs(AltButtonIndex); }
    void SetAltBtnNumGlyphs(int32_t v) { SetNumGlyphs(AltButtonIndex, v); }
    std::string ButtonHint() const { return ButtonHintOf(MainButtonIndex); }
    void SetButtonHint(const std::string& v) { SetButtonHintOf(MainButtonIndex, v); }
    std::string AltBtnHint() const { return ButtonHintOf(AltButtonIndex); }
    void SetAltBtnHint(const std::string& v) { SetButtonHintOf(AltButtonIndex, v); }
    TShortCut ButtonShortCut() const { return ShortCutOf(MainButtonIndex); }
    void SetButtonShortCut(TShortCut v) { SetShortCutOf(MainButtonIndex, v); }
    TShortCut AltBtnShortCut() const { return ShortCutOf(AltButtonIndex); }
    void SetAltBtnShortCut(TShortCut v) { SetShortCutOf(AltButtonIndex, v); }
    bool ButtonVisible() const { return ButtonVisibleOf(MainButtonIndex); }
    void SetButtonVisible(bool v) { SetButtonVisibleOf(MainButtonIndex, v); }
    bool AltBtnVisible() const { return ButtonVisibleOf(AltButtonIndex); }
    void SetAltBtnVisible(bool v) { SetButtonVisibleOf(AltButtonIndex, v); }
    int32_t ButtonWidth() const { return ButtonWidthOf(MainButtonIndex); }
    void SetButtonWidth(int32_t v) { SetButtonWidthOf(MainButtonIndex, v); }
    int32_t AltBtnWidth() const { return ButtonWidthOf(AltButtonIndex); }
    void SetAltBtnWidth(int32_t v) { SetButtonWidthOf(AltButtonIndex, v); }

    // Settings of older versions, stored as text.
    void ReadButtonShortCutText(const std::string& text) { SetButtonShortCut(TextToShortCut(text)); }
    void ReadAltBtnShortCutText(const std::string& text) { SetAltBtnShortCut(TextToShortCut(text)); }

    void SetAlignment(TAlignment value) override;
    void SetFrameStyle(TFrameStyle value) override;
    void SetFrameVisible(bool value) override;
    void SetFlatButtons(bool value) override;

    TNotifyEvent OnAltBtnClick;
    TNotifyEvent OnButtonClick;

protected:
    virtual void PositionButtons();
    virtual void UpdateEditMargins();
    virtual void AltBtnClicked();
    virtual void ButtonClicked();
    TRect GetTextRect() override;
    void ReadOnlyChanged() override;
    void SetMouseState(TTarqMouseStateKind kind, bool value) override;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Loaded() override;
    void Dispatch(TMessage& message) override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;

private:
    TButtonKind& KindField(int32_t index) { return index == AltButtonIndex ? altKind_ : mainKind_; }
    TButtonKind KindField(int32_t index) const { return index == AltButtonIndex ? altKind_ : mainKind_; }
    void ShowKindGlyph(int32_t index);
    bool ButtonsHidden() const { return IsReadOnly() && hideButtonsOnReadOnly_; }
    bool ClickByShortCut(int32_t index, TShortCut shortCut);

    TTarqButtonPair* pair_ = nullptr;
    bool allowKeyEdit_ = true;
    TShortCut buttonShortCut_ = VK_F4;
    TShortCut altBtnShortCut_ = 0;
    TButtonKind mainKind_ = bkLookup;
    TButtonKind altKind_ = bkLookup;
    bool hideButtonsOnReadOnly_ = true;
    bool shortCutPressed_ = false;
};

class TTarqButtonEdit : public TTarqCustomButtonEdit {
public:
    explicit TTarqButtonEdit(TComponent* owner);
};

// Registers TTarqButtonPair and TTarqButtonEdit with their published
// properties (once).
void RegisterTarqButtonEditClasses();

#pragma once
// The library's combo box: multi-character search in the list styles,
// completion of typed text against the items in the edit styles, a
// read-only mode, a switch that forbids free text, colours that follow the
// state, a frame of its own painted over the platform's face and a flat
// drop-down button. TTarqComboBox adds a second string per item (Values).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "controls/TarqFieldColors.h"
#include "controls/TarqFrameLink.h"
#include "controls/TarqFrameSettings.h"
#include "controls/TarqHotState.h"
#include "controls/TarqTypes.h"
#include "platform/core/StringList.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/ExtCtrls.h"

using TTarqDeleteComboItemEvent = std::function<void(TObject* sender, void* item)>;
using TMouseWheelUpDownEvent = std::function<void(TObject* sender, TShiftState shift, TPoint mousePos, bool& handled)>;

class TTarqCustomComboBox : public TCustomComboBox {
public:
    // How long typed characters add to one search.
    static constexpr uint32_t SearchIntervalMs = 1500;

    explicit TTarqCustomComboBox(TComponent* owner);
    ~TTarqCustomComboBox() override;

    void AddItem(const std::string& text);
    virtual int32_t IndexOfItem(const std::string& text);
    // The first item that begins with `prefix`, ignoring case; -1 if none.
    virtual int32_t FindItem(const std::string& prefix);
    // Sets the text without completing it against the items.
    virtual void SetTextSilently(const std::string& text);

    // The control or its edit child holds the keyboard focus.
    bool Focused() const { return hot_.focused; }
    bool IsHot() const { return hot_.Hot(); }
    // The prefix typed so far.
    const std::string& SearchText() const { return searchText_; }

    // ---- Behaviour ----
    bool AutoComplete() const { return autoComplete_; }
    void SetAutoComplete(bool value) { autoComplete_ = value; }
    bool AllowEdit() const { return allowEdit_; }
    void SetAllowEdit(bool value) { allowEdit_ = value; }
    bool BeepOnInvalidKey() const { return beepOnInvalidKey_; }
    void SetBeepOnInvalidKey(bool value) { beepOnInvalidKey_ = value; }
    bool KeepSearchCase() const { return keepSearchCase_; }
    void SetKeepSearchCase(bool value) { keepSearchCase_ = value; }
    bool TabOnEnter() const { return tabOnEnter_; }
    void SetTabOnEnter(bool value) { tabOnEnter_ = value; }
    bool ReadOnly() const { return readOnly_; }
    virtual void SetReadOnly(bool value);
    // The item height of the owner-drawn styles; the other styles take
    // theirs from the font.
    void SetOwnerDrawItemHeight(int32_t value);
    int32_t DropDownWidth() const { return dropDownWidth_; }
    virtual void SetDropDownWidth(int32_t value);

    // ---- Colours by state ----
    TColor DisabledColor() const { return colors_.disabled; }
    virtual void SetDisabledColor(TColor value);
    TColor FocusColor() const { return colors_.focus; }
    virtual void SetFocusColor(TColor value);
    TColor ReadOnlyColor() const { return readOnlyColor_; }
    virtual void SetReadOnlyColor(TColor value);
    bool ReadOnlyColorOnFocus() const { return readOnlyColorOnFocus_; }
    void SetReadOnlyColorOnFocus(bool value);
    // What Color shows while the control is idle.
    TColor NormalColor() const { return colors_.normal; }

    // ---- Frame and button ----
    bool FlatButtons() const { return flatButtons_; }
    virtual void SetFlatButtons(bool value);
    TColor FlatButtonColor() const { return flatButtonColor_; }
    virtual void SetFlatButtonColor(TColor value);
    TColor FrameColor() const { return frame_.color; }
    virtual void SetFrameColor(TColor value);
    TColor FrameHotColor() const { return frame_.hotColor; }
    virtual void SetFrameHotColor(TColor value);
    bool FrameHotTrack() const { return frame_.hotTrack; }
    virtual void SetFrameHotTrack(bool value);
    TFrameStyle FrameHotStyle() const { return frame_.hotStyle; }
    virtual void SetFrameHotStyle(TFrameStyle value);
    TSides FrameSides() const { return frame_.sides; }
    virtual void SetFrameSides(TSides value);
    TFrameStyle FrameStyle() const { return frame_.style; }
    virtual void SetFrameStyle(TFrameStyle value);
    bool FrameVisible() const { return frame_.visible; }
    virtual void SetFrameVisible(bool value);
    TFramingPreference FramingPreference() const { return frame_.framingPreference; }
    virtual void SetFramingPreference(TFramingPreference value);
    TTarqFrameController* FrameController() const { return frameLink_.Controller(); }
    virtual void SetFrameController(TTarqFrameController* value) { frameLink_.Set(value); }
    TTarqFrameControllerNotifications FrameControllerNotifications() const { return frameLink_.Notifications(); }
    void SetFrameControllerNotifications(TTarqFrameControllerNotifications value)
    {
        frameLink_.SetNotifications(value);
    }
    bool ControlledByFrameController(TTarqFrameControllerProperty property) const
    {
        return frameLink_.Controls(property);
    }
    // The frame is the visual theme's rather than the control's own.
    virtual bool UsesThemes() const { return frame_.UsesThemes(); }

    void WndProc(TMessage& message) override;

    TTarqDeleteComboItemEvent OnDeleteItem;
    TNotifyEvent OnMatch;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    // One wheel notch; a handler that sets `handled` replaces the stepping.
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TNotifyEvent OnNotInList;
    TNotifyEvent OnSelEndCancel;
    TNotifyEvent OnSelEndOk;

protected:
    virtual void UpdateColors();
    virtual void SetMouseState(TTarqMouseStateKind kind, bool value);
    virtual void InvalidKeyBeep();
    virtual void SelectMatchingItem(const std::string& search);
    virtual bool AutoCompleteText(const std::string& search);
    virtual void DoDeleteItem(void* item);
    virtual void Match();
    virtual void NotInList();
    virtual void SelEndCancel();
    virtual void SelEndOk();

    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void CreateWnd() override;
    void Dispatch(TMessage& message) override;
    void ComboWndProc(TMessage& message, HWND comboWnd, const TWndMethod& comboProc) override;
    void PaintWindow(TCanvas& canvas) override;
    void KeyPress(char32_t& key) override;
    void CloseUp() override;
    bool DoMouseWheel(TShiftState shift, int32_t wheelDelta, TPoint mousePos) override;
    virtual bool DoMouseWheelDown(TShiftState shift, TPoint mousePos);
    virtual bool DoMouseWheelUp(TShiftState shift, TPoint mousePos);

    // OnKeyPress alone, with the key it may change.
    void FireKeyPress(char32_t& key);
    // OnKeyPress with the character being handled.
    void PassKey();
    void FireClickAndChange();

private:
    // List-style search (messages to the combo window).
    bool ListSearchChar(char32_t ch);
    void ListBackspace();
    void ListEscape();
    void SearchTimerFired(TObject* sender);
    // Edit-style completion (messages to the edit child).
    bool EditKeyDown(uint16_t key, TShiftState shift, bool& completeAfter);
    bool EditDelete();
    bool EditChar(TMessage& message, bool& completeAfter);
    bool EditBackspace();
    bool EditEscape();
    bool EditPrintable(char32_t ch);
    void CompleteFromText();
    void CompleteAfterEdit();
    // Messages of the combo window.
    void CMExit();
    void MouseEntered();
    void MouseLeft();
    void DrawOwnerItem(TMessage& message);
    void ColorChanged();
    void CommandNotified(uint16_t code);
    // Painting over the platform's face.
    TRect FlatButtonRect(int32_t border) const;
    void PaintInnerRim(TCanvas& canvas, const TRect& button, bool themed);
    void EraseThemeRim(TCanvas& canvas, const TRect& button);
    void PaintButton(TCanvas& canvas, const TRect& button, bool themed);
    void PaintFrame(TCanvas& canvas);
    void InvalidateHotArea();

    template <class V>
    void ChangeFrame(V& field, V value)
    {
        if (field == value)
            return;
        field = value;
        Invalidate();
    }

    bool autoComplete_ = true;
    bool allowEdit_ = true;
    bool beepOnInvalidKey_ = true;
    bool flatButtons_ = false;
    TColor flatButtonColor_ = clBtnFace;
    TTarqFieldColors colors_;
    TColor readOnlyColor_ = clInfoBk;
    bool readOnlyColorOnFocus_ = false;
    TTarqFrameSettings frame_;
    TTarqFrameLink frameLink_{*this};
    bool keepSearchCase_ = false;
    std::string searchText_;
    int32_t dropDownWidth_ = 0;
    bool typing_ = false;
    char32_t lastKey_ = 0;
    bool typedNormally_ = false;
    TTimer* searchTimer_ = nullptr;
    bool tabOnEnter_ = false;
    bool suppressCompletion_ = false;
    bool escClosedList_ = false;
    bool enterPressed_ = false;
    bool readOnly_ = false;
    bool altPressed_ = false;
    TTarqHotState hot_;
};

class TTarqComboBox : public TTarqCustomComboBox {
public:
    explicit TTarqComboBox(TComponent* owner);

    TStrings* Values() { return &values_; }
    virtual void SetValues(const TStrings* value);
    // The value of item `index`: its Values entry unless empty, else its text.
    virtual std::string GetValueAt(int32_t index);
    virtual std::string GetValue();
    virtual void SetValue(const std::string& value);
    std::string Value() { return GetValue(); }

protected:
    void Change() override;
    void Click() override;

private:
    void ValuesChanged(TObject* sender);

    TStringList values_;
    std::string value_;
    bool inSetValue_ = false;
    bool forceSetValue_ = false;
};

// Registers TTarqComboBox and its published properties (once).
void RegisterTarqComboBoxClasses();

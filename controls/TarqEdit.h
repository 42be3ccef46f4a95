#pragma once
// The library's single-line edit: a background colour that follows the
// state (normal, focused, read-only, disabled), an optional frame of its own
// drawn into the 2-pixel client edge with a "hot" look while hovered or
// focused, settings from a frame controller, and Enter acting as Tab.

#include <cstdint>

#include "controls/TarqFieldColors.h"
#include "controls/TarqFrameLink.h"
#include "controls/TarqFrameSettings.h"
#include "controls/TarqHotState.h"
#include "controls/TarqTypes.h"
#include "platform/ui/Edit.h"

class TTarqCustomEdit : public TCustomMaskEdit {
public:
    explicit TTarqCustomEdit(TComponent* owner);
    ~TTarqCustomEdit() override;

    // taLeftJustify or taRightJustify; a change re-creates the window.
    TAlignment Alignment() const { return alignment_; }
    virtual void SetAlignment(TAlignment value);
    bool TabOnEnter() const { return tabOnEnter_; }
    void SetTabOnEnter(bool value) { tabOnEnter_ = value; }

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
    void SetReadOnly(bool value) override;

    // ---- Frame ----
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
    // Settings shared with the controls of a form; kept by the controller.
    bool FlatButtons() const { return flatButtons_; }
    virtual void SetFlatButtons(bool value);
    TColor FlatButtonColor() const { return flatButtonColor_; }
    virtual void SetFlatButtonColor(TColor value) { flatButtonColor_ = value; }

    TTarqFrameController* FrameController() const { return frameLink_.Controller(); }
    virtual void SetFrameController(TTarqFrameController* value) { frameLink_.Set(value); }
    TTarqFrameControllerNotifications FrameControllerNotifications() const { return frameLink_.Notifications(); }
    void SetFrameControllerNotifications(TTarqFrameControllerNotifications value)
    {
        frameLink_.SetNotifications(value);
    }
    // Whether a frame-related setting is left to the linked controller (and
    // so not written to form resources).
    bool ControlledByFrameController(TTarqFrameControllerProperty property) const
    {
        return frameLink_.Controls(property);
    }

    // The frame is the visual theme's rather than the control's own.
    virtual bool UsesThemes() const { return frame_.UsesThemes(); }
    virtual bool IsReadOnly() const { return ReadOnly(); }
    // The frame's style and colour as they show now.
    TFrameStyle CurrentFrameStyle() const { return frame_.CurrentStyle(IsHot()); }
    TColor CurrentFrameColor() const { return frame_.CurrentColor(IsHot()); }
    bool IsHot() const { return hot_.Hot(); }

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    virtual void UpdateColors();
    virtual void SetMouseState(TTarqMouseStateKind kind, bool value);
    virtual void InvalidateFrame();
    virtual TRect GetTextRect() { return ClientRect(); }
    virtual void EnterReadOnly() {}
    virtual void LeaveReadOnly() {}
    virtual void ReadOnlyChanged();
    // The frame painted now rather than at the next paint pass.
    void RepaintNonClient();

    void CreateParams(TCreateParams& params) override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void Dispatch(TMessage& message) override;
    void PaintNonClient(TCanvas& windowCanvas) override;
    void KeyPress(char32_t& key) override;

private:
    template <class V>
    void ChangeFrame(V& field, V value)
    {
        if (field == value)
            return;
        field = value;
        InvalidateFrame();
    }
    void ColorChanged();

    TAlignment alignment_ = taLeftJustify;
    bool tabOnEnter_ = false;
    TTarqFieldColors colors_;
    TTarqFrameSettings frame_;
    TTarqFrameLink frameLink_{*this};
    TColor readOnlyColor_ = clInfoBk;
    bool readOnlyColorOnFocus_ = false;
    bool flatButtons_ = false;
    TColor flatButtonColor_ = clBtnFace;
    TTarqHotState hot_;
};

class TTarqEdit : public TTarqCustomEdit {
public:
    explicit TTarqEdit(TComponent* owner);
};

// For the button windows of compound edits, on a left press: focuses
// `focusControl` (or else the buttons themselves, when they are a tab stop)
// and abandons the press silently (Abort) when the focus cannot be taken.
void FocusForButtonPress(TWinControl& buttons, TWinControl* focusControl);

// Leaves room for the buttons of a compound edit (`buttonsWidth` wide, 0
// for none) at the edit's right side, or at its left when it reads right to
// left; the other side keeps the edit's own margin, so that the first
// character stays clear of the frame.
void SetButtonMargins(TCustomEdit& edit, int32_t buttonsWidth);

// Registers TTarqEdit and its published properties (once).
void RegisterTarqEditClasses();

#pragma once
// The screen: the forms of the process, the active form and control, the
// cursor shown over every window, and the size of the desktop.

#include <vector>

#include "platform/ui/Controls.h"

class TCustomForm;

class TScreen : public TComponent {
public:
    explicit TScreen(TComponent* owner);

    int32_t FormCount() const { return static_cast<int32_t>(forms_.size()); }
    TCustomForm* Forms(int32_t index) const { return forms_[index]; }
    TCustomForm* ActiveForm() const { return activeForm_; }
    TWinControl* ActiveControl() const;

    // crDefault lets every control show its own cursor.
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value);

    int32_t Width() const;
    int32_t Height() const;
    TRect DesktopRect() const;
    TRect WorkAreaRect() const;
    int32_t WorkAreaWidth() const { return WorkAreaRect().Width(); }
    int32_t WorkAreaHeight() const { return WorkAreaRect().Height(); }

    // Bookkeeping of the forms.
    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form);
    void SetActiveForm(TCustomForm* form) { activeForm_ = form; }
    // Disables every enabled form but `except` (a modal form) and returns them.
    std::vector<TCustomForm*> DisableOtherForms(TCustomForm* except);
    void EnableForms(const std::vector<TCustomForm*>& forms);

private:
    std::vector<TCustomForm*> forms_;
    TCustomForm* activeForm_ = nullptr;
    TCursor cursor_ = crDefault;
};

// The process's screen object, created on first use.
TScreen* Screen();

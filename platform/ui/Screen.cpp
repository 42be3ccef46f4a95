#include "platform/ui/Screen.h"

#include <algorithm>

#include "platform/ui/Form.h"

TScreen* Screen()
{
    static TScreen screen(nullptr);
    return &screen;
}

TScreen::TScreen(TComponent* owner) : TComponent(owner) {}

TWinControl* TScreen::ActiveControl() const { return activeForm_ ? activeForm_->ActiveControl() : nullptr; }

void TScreen::SetCursor(TCursor value)
{
    if (cursor_ == value)
        return;
    cursor_ = value;
    if (WindowSystemInstalled() && WindowSystem().CursorOverWindows())
        ApplyCursorAt(GetCursorPos());
}

TRect TScreen::DesktopRect() const { return WindowSystemInstalled() ? WindowSystem().Backend().ScreenRect() : TRect{}; }

int32_t TScreen::Width() const { return DesktopRect().Width(); }
int32_t TScreen::Height() const { return DesktopRect().Height(); }

TRect TScreen::WorkAreaRect() const { return WindowSystemInstalled() ? WindowSystem().Backend().WorkArea() : TRect{}; }

void TScreen::AddForm(TCustomForm* form) { forms_.push_back(form); }

void TScreen::RemoveForm(TCustomForm* form)
{
    std::erase(forms_, form);
    if (activeForm_ == form)
        activeForm_ = nullptr;
}

std::vector<TCustomForm*> TScreen::DisableOtherForms(TCustomForm* except)
{
    std::vector<TCustomForm*> disabled;
    for (TCustomForm* form : forms_)
        if (form != except && form->Enabled()) {
            form->SetEnabled(false);
            disabled.push_back(form);
        }
    return disabled;
}

void TScreen::EnableForms(const std::vector<TCustomForm*>& forms)
{
    for (TCustomForm* form : forms)
        if (std::find(forms_.begin(), forms_.end(), form) != forms_.end())
            form->SetEnabled(true);
}

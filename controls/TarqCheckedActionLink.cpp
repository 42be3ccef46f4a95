#include "controls/TarqRadChk.h"

bool TTarqCheckedActionLink::IsCheckedLinked() const
{
    return TWinControlActionLink::IsCheckedLinked() && client_.Checked() == CustomAction()->Checked();
}

void TTarqCheckedActionLink::SetChecked(bool value)
{
    if (IsCheckedLinked())
        client_.SetCheckedWithoutClick(value);
}

void TTarqCustomGlyphButton::SetCheckedWithoutClick(bool value)
{
    clicksDisabled_ = true;
    try {
        SetChecked(value);
    } catch (...) {
        clicksDisabled_ = false;
        throw;
    }
    clicksDisabled_ = false;
}

void TTarqCustomGlyphButton::Click()
{
    if (!clicksDisabled_)
        TTarqCustomButton::Click();
}

bool TTarqCustomGlyphButton::CheckedStored() const
{
    const auto* link = dynamic_cast<const TTarqCheckedActionLink*>(ActionLink());
    return !link || !link->IsCheckedLinked();
}

std::unique_ptr<TControlActionLink> TTarqCustomGlyphButton::CreateActionLink()
{
    return std::make_unique<TTarqCheckedActionLink>(*this);
}

void TTarqCustomGlyphButton::ActionChange(TBasicAction* action, bool checkDefaults)
{
    TTarqCustomButton::ActionChange(action, checkDefaults);
    auto* custom = dynamic_cast<TCustomAction*>(action);
    if (custom && !(checkDefaults && Checked()))
        SetCheckedWithoutClick(custom->Checked());
}

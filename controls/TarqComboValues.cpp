// TTarqComboBox: a second string per item, so that an item can stand for a
// value other than its text.

#include "controls/TarqCmboBx.h"

TTarqComboBox::TTarqComboBox(TComponent* owner) : TTarqCustomComboBox(owner)
{
    values_.OnChange = [this](TObject* sender) { ValuesChanged(sender); };
}

void TTarqComboBox::SetValues(const TStrings* value) { values_.Assign(value); }

std::string TTarqComboBox::GetValueAt(int32_t index)
{
    if (index >= 0 && index < values_.Count() && !values_.Strings(index).empty())
        return values_.Strings(index);
    if (index >= 0 && index < Items()->Count())
        return Items()->Strings(index);
    return {};
}

std::string TTarqComboBox::GetValue()
{
    int32_t index = ItemIndex();
    if (HasEdit())
        index = Text().empty() ? -1 : Items()->IndexOf(Text());
    if (index >= 0 && index < values_.Count() && !values_.Strings(index).empty())
        return values_.Strings(index);
    return Text();
}

void TTarqComboBox::SetValue(const std::string& value)
{
    if (value == value_ && !forceSetValue_)
        return;
    inSetValue_ = true;
    int32_t found = -1;
    for (int32_t i = 0; i < Items()->Count() && found < 0; ++i)
        if (GetValueAt(i) == value)
            found = i;
    SetItemIndex(found);
    inSetValue_ = false;
    value_ = value;
}

void TTarqComboBox::Change()
{
    if (inSetValue_ || forceSetValue_)
        return;
    TTarqCustomComboBox::Change();
    if (ItemIndex() >= 0)
        SetValue(GetValueAt(ItemIndex()));
}

void TTarqComboBox::Click()
{
    if (inSetValue_)
        return;
    TTarqCustomComboBox::Click();
    if (ItemIndex() >= 0)
        SetValue(GetValueAt(ItemIndex()));
}

// New values re-select the item of the current value.
void TTarqComboBox::ValuesChanged(TObject*)
{
    forceSetValue_ = true;
    SetValue(value_);
    forceSetValue_ = false;
}

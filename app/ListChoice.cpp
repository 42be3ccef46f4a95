#include "app/ListChoice.h"

#include "controls/TarqCmboBx.h"

void SelectText(TTarqComboBox& list, const std::string& text)
{
    const int32_t index = list.Items()->IndexOf(text);
    list.SetItemIndex(index >= 0 ? index : 0);
}

std::string ChoiceText(TTarqComboBox& list)
{
    const int32_t index = list.ItemIndex();
    return index > 0 ? list.Items()->Strings(index) : std::string();
}

#include "platform/ui/OwnerDraw.h"

#include <utility>

TOwnerDrawState OwnerDrawStateOf(uint32_t itemState)
{
    TOwnerDrawState state = 0;
    const std::pair<uint32_t, TOwnerDrawStateItem> map[] = {
        {ODS_SELECTED, odSelected}, {ODS_GRAYED, odGrayed},
        {ODS_DISABLED, odDisabled}, {ODS_CHECKED, odChecked},
        {ODS_FOCUS, odFocused},     {ODS_DEFAULT, odDefault},
        {ODS_HOTLIGHT, odHotLight}, {ODS_COMBOBOXEDIT, odComboBoxEdit},
    };
    for (const auto& [bit, item] : map)
        if (itemState & bit)
            state |= item;
    return state;
}

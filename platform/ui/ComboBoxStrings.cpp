#include "platform/ui/ComboBoxStrings.h"

#include "platform/ui/ComboBox.h"

int32_t TComboBoxStrings::Count() const { return combo_.Count(); }

void TComboBoxStrings::CheckIndex(int32_t index) const
{
    if (index < 0 || index >= Count())
        ListIndexError(index);
}

std::string TComboBoxStrings::Strings(int32_t index) const
{
    CheckIndex(index);
    return combo_.items_[static_cast<size_t>(index)].Text;
}

void TComboBoxStrings::SetStrings(int32_t index, const std::string& s)
{
    CheckIndex(index);
    TObject* data = Objects(index);
    int32_t selected = combo_.ItemIndex();
    BeginUpdate();
    Delete(index);
    InsertObject(index, s, data);
    EndUpdate();
    if (selected == index)
        combo_.SetItemIndex(index);
}

TObject* TComboBoxStrings::Objects(int32_t index) const
{
    CheckIndex(index);
    return reinterpret_cast<TObject*>(combo_.items_[static_cast<size_t>(index)].Data);
}

void TComboBoxStrings::SetObjects(int32_t index, TObject* object)
{
    CheckIndex(index);
    combo_.items_[static_cast<size_t>(index)].Data = reinterpret_cast<uintptr_t>(object);
}

void TComboBoxStrings::InsertObject(int32_t index, const std::string& s, TObject* object)
{
    if (index < 0 || index > Count())
        ListIndexError(index);
    combo_.InsertItem(index, s, reinterpret_cast<uintptr_t>(object));
}

int32_t TComboBoxStrings::AddObject(const std::string& s, TObject* object)
{
    return combo_.InsertItem(-1, s, reinterpret_cast<uintptr_t>(object));
}

void TComboBoxStrings::Delete(int32_t index)
{
    CheckIndex(index);
    combo_.DeleteItem(index);
}

void TComboBoxStrings::Clear() { combo_.ResetContent(); }

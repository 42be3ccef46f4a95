// The columns and items of a list view.

#include <algorithm>

#include "platform/ui/ListView.h"

// ---- TListColumn ------------------------------------------------------------------------

void TListColumn::SetCaption(const std::string& value)
{
    if (caption_ == value)
        return;
    caption_ = value;
    Changed(false);
}

void TListColumn::SetWidth(int32_t value)
{
    value = std::max(value, 0);
    if (width_ == value)
        return;
    width_ = value;
    Changed(false);
}

void TListColumn::SetAlignment(TAlignment value)
{
    if (alignment_ == value)
        return;
    alignment_ = value;
    Changed(false);
}

void TListColumn::SetAutoSize(bool value)
{
    if (autoSize_ == value)
        return;
    autoSize_ = value;
    Changed(false);
}

void TListColumn::SetImageIndex(int32_t value)
{
    if (imageIndex_ == value)
        return;
    imageIndex_ = value;
    Changed(false);
}

// ---- TListColumns -----------------------------------------------------------------------

TListColumns::TListColumns(TCustomListView& owner)
    : TCollection(&owner, [](TCollection* collection) { return new TListColumn(collection); }), owner_(owner)
{}

void TListColumns::Update(TCollectionItem* item)
{
    TCollection::Update(item);
    owner_.ColumnsChanged();
}

// ---- TListItem ---------------------------------------------------------------------------

TListItem::TListItem(TCustomListView& owner) : owner_(owner), subItems_(std::make_unique<TStringList>())
{
    subItems_->OnChange = [this](TObject*) { owner_.Invalidate(); };
    if (owner.Checkboxes())
        stateIndex_ = 1;
}

void TListItem::SetCaption(const std::string& value)
{
    if (caption_ == value)
        return;
    caption_ = value;
    owner_.Invalidate();
}

void TListItem::SetImageIndex(int32_t value)
{
    if (imageIndex_ == value)
        return;
    imageIndex_ = value;
    owner_.Invalidate();
}

void TListItem::SetChecked(bool value)
{
    owner_.ChangeState(this, IndexToStateImageMask(value ? 2 : 1), LVIS_STATEIMAGEMASK);
}

// One item at a time is selected (and one focused).
void TListItem::SetSelected(bool value)
{
    if (value)
        for (int32_t i = 0; i < owner_.items_.Count(); ++i)
            if (TListItem* other = owner_.items_.Item(i); other != this && other->Selected())
                owner_.ChangeState(other, 0, LVIS_SELECTED);
    owner_.ChangeState(this, value ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void TListItem::SetFocused(bool value)
{
    if (value)
        for (int32_t i = 0; i < owner_.items_.Count(); ++i)
            if (TListItem* other = owner_.items_.Item(i); other != this && other->Focused())
                owner_.ChangeState(other, 0, LVIS_FOCUSED);
    owner_.ChangeState(this, value ? LVIS_FOCUSED : 0, LVIS_FOCUSED);
}

int32_t TListItem::Index() const { return owner_.items_.IndexOf(this); }

TRect TListItem::DisplayRect(TDisplayCode code) const { return owner_.ItemDisplayRect(this, code); }

void TListItem::MakeVisible() { owner_.EnsureVisible(Index()); }

void TListItem::Delete() { owner_.items_.Delete(Index()); }

// ---- TListItems ---------------------------------------------------------------------------

TListItem* TListItems::Add() { return Insert(Count()); }

TListItem* TListItems::Insert(int32_t index)
{
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, std::make_unique<TListItem>(owner_));
    owner_.ItemsChanged();
    return items_[static_cast<size_t>(index)].get();
}

void TListItems::Delete(int32_t index)
{
    if (index < 0 || index >= Count())
        return;
    if (owner_.OnDeletion)
        owner_.OnDeletion(&owner_, Item(index));
    items_.erase(items_.begin() + index);
    owner_.ItemsChanged();
}

void TListItems::Clear()
{
    BeginUpdate();
    while (Count() > 0)
        Delete(Count() - 1);
    EndUpdate();
}

int32_t TListItems::IndexOf(const TListItem* item) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == item)
            return static_cast<int32_t>(i);
    return -1;
}

void TListItems::BeginUpdate() { ++owner_.updateCount_; }

void TListItems::EndUpdate()
{
    if (owner_.updateCount_ > 0 && --owner_.updateCount_ == 0)
        owner_.ItemsChanged();
}

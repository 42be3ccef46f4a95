#include "platform/core/Collection.h"

#include "platform/core/Exceptions.h"

#include <algorithm>

// ---- TCollectionItem ------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* collection)
{
    if (collection_ == collection)
        return;
    if (collection_)
        collection_->RemoveItem(this);
    if (collection)
        collection->InsertItem(this);
}

int32_t TCollectionItem::Index() const
{
    if (!collection_)
        return -1;
    const auto& items = collection_->items_;
    return static_cast<int32_t>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int32_t index)
{
    const int32_t current = Index();
    if (current < 0)
        return;
    auto& items = collection_->items_;
    index = std::clamp(index, 0, static_cast<int32_t>(items.size()) - 1);
    if (index == current)
        return;
    items.erase(items.begin() + current);
    items.insert(items.begin() + index, this);
    Changed(true);
}

void TCollectionItem::Changed(bool allItems)
{
    if (collection_)
        collection_->Changed(allItems ? nullptr : this);
}

// ---- TCollection ----------------------------------------------------------

TCollection::TCollection(TPersistent* owner, TItemFactory factory) : owner_(owner), factory_(std::move(factory)) {}

TCollection::~TCollection()
{
    updateCount_ = 1; // no update notices while tearing down
    while (!items_.empty())
        delete items_.back();
}

TCollectionItem* TCollection::Items(int32_t index) const
{
    if (index < 0 || index >= Count())
        throw CreateFmt<EListError>("List index out of bounds (%d)", index);
    return items_[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::FindItemID(int32_t id) const
{
    const auto found =
        std::find_if(items_.begin(), items_.end(), [id](const TCollectionItem* item) { return item->id_ == id; });
    return found == items_.end() ? nullptr : *found;
}

TCollectionItem* TCollection::Add()
{
    TCollectionItem* item = factory_(this);
    if (item->collection_ != this)
        item->SetCollection(this);
    return item;
}

TCollectionItem* TCollection::Insert(int32_t index)
{
    TCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TCollection::Delete(int32_t index) { delete Items(index); }

void TCollection::Clear()
{
    if (items_.empty())
        return;
    BeginUpdate();
    while (!items_.empty())
        delete items_.back();
    EndUpdate();
}

void TCollection::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TCollection*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    BeginUpdate();
    try {
        Clear();
        for (const TCollectionItem* item : other->items_)
            Add()->Assign(item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0)
        Changed(nullptr);
}

void TCollection::Update(TCollectionItem* item)
{
    if (OnUpdate)
        OnUpdate(this, item);
}

void TCollection::InsertItem(TCollectionItem* item)
{
    items_.push_back(item);
    item->collection_ = this;
    item->id_ = nextId_++;
    Changed(nullptr);
}

void TCollection::RemoveItem(TCollectionItem* item)
{
    std::erase(items_, item);
    item->collection_ = nullptr;
    Changed(nullptr);
}

void TCollection::Changed(TCollectionItem* item)
{
    if (updateCount_ == 0)
        Update(item);
}

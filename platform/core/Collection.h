#pragma once
// TCollection and TCollectionItem: an owned, ordered list of items of one
// class, as list-view columns are kept. Form resources hold them as
// "Name = < item ... end >", read by adding items and setting their
// properties by name.

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/core/Persistent.h"

class TCollection;

class TCollectionItem : public TPersistent {
public:
    // Joins `collection` (if any) at its end.
    explicit TCollectionItem(TCollection* collection);
    // Leaves its collection.
    ~TCollectionItem() override;

    TCollection* Collection() const { return collection_; }
    // Moves the item to another collection (or none, handing it to the caller).
    void SetCollection(TCollection* collection);
    int32_t Index() const;
    // Moves the item within its collection; the index is clamped to the list.
    void SetIndex(int32_t index);
    // Unique within the collection, never reused.
    int32_t ID() const { return id_; }

protected:
    // Reports a change of this item (or of every item) to the collection.
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
    int32_t id_ = 0;
};

class TCollection : public TPersistent {
public:
    using TItemFactory = std::function<TCollectionItem*(TCollection*)>;

    // `factory` creates one item of the collection's class, joined to it.
    TCollection(TPersistent* owner, TItemFactory factory);
    ~TCollection() override;

    TPersistent* Owner() const { return owner_; }
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    // Raises EListError "List index out of bounds (%d)".
    TCollectionItem* Items(int32_t index) const;
    TCollectionItem* FindItemID(int32_t id) const;

    TCollectionItem* Add();
    // Adds an item and moves it to `index`.
    TCollectionItem* Insert(int32_t index);
    void Delete(int32_t index);
    void Clear();
    // Copies another collection item by item (through each item's Assign).
    void Assign(const TPersistent* source) override;

    // Update(nullptr) follows the last EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    int32_t UpdateCount() const { return updateCount_; }

    // Called after items change outside BeginUpdate/EndUpdate; nullptr means
    // the whole collection. The owner's control repaints or re-lays out here.
    std::function<void(TCollection* sender, TCollectionItem* item)> OnUpdate;

protected:
    virtual void Update(TCollectionItem* item);

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);
    void Changed(TCollectionItem* item);

    TPersistent* owner_;
    TItemFactory factory_;
    std::vector<TCollectionItem*> items_;
    int32_t nextId_ = 0;
    int32_t updateCount_ = 0;
};

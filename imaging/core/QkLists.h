#pragma once
// The typed list family: one growable, zero-filled block of fixed-size
// items, with double, integer and record variants.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

class TQkList {
public:
    explicit TQkList(int32_t itemSize = 0);
    virtual ~TQkList() = default;
    TQkList(const TQkList&) = delete;
    TQkList& operator=(const TQkList&) = delete;

    // Growing beyond the capacity makes it max(2 x capacity, n); shrinking
    // never reallocates. Raises EListError for a negative count.
    virtual void SetCount(int32_t count);
    // Copies ItemSize bytes from `item` into a new last item; returns its
    // index.
    int32_t Add(const void* item);
    // Raises EListError for an index outside 0 .. Count - 1.
    void* GetItem(int32_t index);
    const void* GetItem(int32_t index) const;
    // Removes the item into a block of exactly Count - 1 items; an index
    // outside the list is ignored.
    virtual void Delete(int32_t index);
    // Frees the block; capacity, count and the changed flag become 0.
    virtual void Clear();
    // Copies the items into a block of exactly their count; nothing for nil.
    virtual void Assign(const TQkList* source);

    int32_t Count() const { return count_; }
    int32_t Capacity() const { return capacity_; }
    int32_t ItemSize() const { return itemSize_; }
    // Set by every change of the items; cleared only by Clear.
    bool Changed() const { return changed_; }

protected:
    void SetItemSize(int32_t itemSize) { itemSize_ = itemSize; }
    // Raises EListError unless the source is nil or holds items of `itemSize` bytes.
    static void RequireItemSize(const TQkList* source, size_t itemSize);

private:
    void Reallocate(int32_t capacity, int32_t keptItems);
    uint8_t* ItemAddress(int32_t index) const;

    int32_t capacity_ = 0;
    int32_t count_ = 0;
    int32_t itemSize_ = 0;
    std::unique_ptr<uint8_t[]> data_;
    bool changed_ = false;
};

// Items of one number type, with four values for the list's user. Assign
// takes only lists of items of that size.
template <class T>
class TQkTypedList : public TQkList {
public:
    TQkTypedList() : TQkList(sizeof(T)) {}

    void Clear() override
    {
        TQkList::Clear();
        SetItemSize(sizeof(T));
        UserValues = {};
    }
    void Assign(const TQkList* source) override
    {
        RequireItemSize(source, sizeof(T));
        TQkList::Assign(source);
        if (const auto* typed = dynamic_cast<const TQkTypedList*>(source))
            UserValues = typed->UserValues;
    }
    int32_t Add(T value) { return TQkList::Add(&value); }
    T Item(int32_t index) const { return *static_cast<const T*>(GetItem(index)); }

    std::array<T, 4> UserValues{};
};

using TQkDoubleList = TQkTypedList<double>;
using TQkIntegerList = TQkTypedList<int32_t>;

// Makes `destination` hold the same items as `source`: the count first, then
// each item. Raises EListError when the item sizes differ.
void CopyList(const TQkList& source, TQkList& destination);

// Items of the size given at creation.
class TQkRecordList : public TQkList {
public:
    explicit TQkRecordList(int32_t itemSize) : TQkList(itemSize) {}
};

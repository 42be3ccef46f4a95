#pragma once
// The typed list family: one growable, zero-filled block of fixed-size
// items, with double, integer and record variants.

#include <array>
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

private:
    void Reallocate(int32_t capacity, int32_t keptItems);
    uint8_t* ItemAddress(int32_t index) const;

    int32_t capacity_ = 0;
    int32_t count_ = 0;
    int32_t itemSize_ = 0;
    std::unique_ptr<uint8_t[]> data_;
    bool changed_ = false;
};

// Items of 8-byte doubles, with four values for the list's user. Assign
// takes only lists of 8-byte items.
class TQkDoubleList : public TQkList {
public:
    TQkDoubleList();
    void Clear() override;
    void Assign(const TQkList* source) override;
    int32_t Add(double value) { return TQkList::Add(&value); }
    double Item(int32_t index) const { return *static_cast<const double*>(GetItem(index)); }

    std::array<double, 4> UserValues{};
};

// Items of 32-bit integers, with four values for the list's user. Assign
// takes only lists of 4-byte items.
class TQkIntegerList : public TQkList {
public:
    TQkIntegerList();
    void Clear() override;
    void Assign(const TQkList* source) override;
    int32_t Add(int32_t value) { return TQkList::Add(&value); }
    int32_t Item(int32_t index) const { return *static_cast<const int32_t*>(GetItem(index)); }

    std::array<int32_t, 4> UserValues{};
};

// Items of the size given at creation.
class TQkRecordList : public TQkList {
public:
    explicit TQkRecordList(int32_t itemSize) : TQkList(itemSize) {}
};

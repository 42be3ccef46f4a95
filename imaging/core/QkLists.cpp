#include "imaging/core/QkLists.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "platform/core/Exceptions.h"

namespace {

std::unique_ptr<uint8_t[]> ZeroedBlock(int64_t bytes)
{
    if (bytes <= 0)
        return nullptr;
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[static_cast<size_t>(bytes)]());
    if (!block)
        throw EOutOfMemory("Out of memory");
    return block;
}

} // namespace

TQkList::TQkList(int32_t itemSize) : itemSize_(std::max(itemSize, 0)) {}

uint8_t* TQkList::ItemAddress(int32_t index) const
{
    if (index < 0 || index >= count_)
        throw CreateFmt<EListError>("List index out of bounds (%d)", index);
    return data_.get() + static_cast<int64_t>(index) * itemSize_;
}

void TQkList::Reallocate(int32_t capacity, int32_t keptItems)
{
    std::unique_ptr<uint8_t[]> block = ZeroedBlock(static_cast<int64_t>(capacity) * itemSize_);
    const int64_t keptBytes = static_cast<int64_t>(keptItems) * itemSize_;
    if (keptBytes > 0)
        std::memcpy(block.get(), data_.get(), static_cast<size_t>(keptBytes));
    data_ = std::move(block);
    capacity_ = capacity;
}

void TQkList::SetCount(int32_t count)
{
    if (count < 0)
        throw CreateFmt<EListError>("List count out of bounds (%d)", count);
    if (count > capacity_) {
        const int64_t doubled = static_cast<int64_t>(capacity_) * 2;
        const auto capacity = static_cast<int32_t>(
            std::min<int64_t>(std::max<int64_t>(doubled, count), std::numeric_limits<int32_t>::max()));
        Reallocate(capacity, std::min(count_, count));
    }
    count_ = count;
    changed_ = true;
}

int32_t TQkList::Add(const void* item)
{
    if (count_ == std::numeric_limits<int32_t>::max())
        throw EListError("List capacity out of bounds");
    SetCount(count_ + 1);
    if (itemSize_ > 0)
        std::memcpy(ItemAddress(count_ - 1), item, static_cast<size_t>(itemSize_));
    return count_ - 1;
}

void* TQkList::GetItem(int32_t index) { return ItemAddress(index); }

const void* TQkList::GetItem(int32_t index) const { return ItemAddress(index); }

void TQkList::Delete(int32_t index)
{
    if (index < 0 || index >= count_)
        return;
    std::unique_ptr<uint8_t[]> block = ZeroedBlock(static_cast<int64_t>(count_ - 1) * itemSize_);
    const int64_t before = static_cast<int64_t>(index) * itemSize_;
    const int64_t after = static_cast<int64_t>(count_ - index - 1) * itemSize_;
    if (before > 0)
        std::memcpy(block.get(), data_.get(), static_cast<size_t>(before));
    if (after > 0)
        std::memcpy(block.get() + before, data_.get() + before + itemSize_, static_cast<size_t>(after));
    data_ = std::move(block);
    --count_;
    capacity_ = count_;
    changed_ = true;
}

void TQkList::Clear()
{
    data_.reset();
    capacity_ = 0;
    count_ = 0;
    changed_ = false;
}

void TQkList::Assign(const TQkList* source)
{
    if (source == nullptr || source == this)
        return;
    const int64_t bytes = static_cast<int64_t>(source->count_) * source->itemSize_;
    std::unique_ptr<uint8_t[]> block = ZeroedBlock(bytes);
    if (bytes > 0)
        std::memcpy(block.get(), source->data_.get(), static_cast<size_t>(bytes));
    data_ = std::move(block);
    itemSize_ = source->itemSize_;
    capacity_ = source->count_;
    count_ = source->count_;
    changed_ = source->changed_;
}

void CopyList(const TQkList& source, TQkList& destination)
{
    if (&source == &destination)
        return;
    if (source.ItemSize() != destination.ItemSize())
        throw CreateFmt<EListError>("Cannot copy items of %d bytes to a list of %d-byte items", source.ItemSize(),
                                    destination.ItemSize());
    destination.SetCount(source.Count());
    if (source.ItemSize() == 0)
        return;
    for (int32_t i = 0; i < source.Count(); ++i)
        std::memcpy(destination.GetItem(i), source.GetItem(i), static_cast<size_t>(source.ItemSize()));
}

// A typed list reads its items as its own type, so it takes only items of
// that size.
void TQkList::RequireItemSize(const TQkList* source, size_t itemSize)
{
    if (source != nullptr && source->ItemSize() != static_cast<int32_t>(itemSize))
        throw CreateFmt<EListError>("Cannot assign items of %d bytes to a list of %d-byte items", source->ItemSize(),
                                    static_cast<int32_t>(itemSize));
}

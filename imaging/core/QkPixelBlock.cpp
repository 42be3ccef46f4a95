#include "imaging/core/QkPixelBlock.h"

#include <cstdlib>
#include <limits>
#include <utility>

namespace {

class THeapPixelAllocator : public IQkPixelAllocator {
public:
    void* Allocate(size_t size) override { return std::calloc(1, size); }
    void Free(void* block) override { std::free(block); }
};

THeapPixelAllocator HeapAllocator;
IQkPixelAllocator* CurrentAllocator = &HeapAllocator;

} // namespace

IQkPixelAllocator& PixelAllocator() { return *CurrentAllocator; }

void SetPixelAllocator(IQkPixelAllocator* allocator) { CurrentAllocator = allocator ? allocator : &HeapAllocator; }

TQkPixelBlock::TQkPixelBlock(TQkPixelBlock&& other) noexcept
    : FAllocator(std::exchange(other.FAllocator, nullptr)), FData(std::exchange(other.FData, nullptr))
{}

TQkPixelBlock& TQkPixelBlock::operator=(TQkPixelBlock&& other) noexcept
{
    if (this != &other) {
        Reset();
        FAllocator = std::exchange(other.FAllocator, nullptr);
        FData = std::exchange(other.FData, nullptr);
    }
    return *this;
}

bool TQkPixelBlock::Allocate(int64_t size)
{
    Reset();
    if (size <= 0 || static_cast<uint64_t>(size) > std::numeric_limits<size_t>::max())
        return false;
    FAllocator = &PixelAllocator();
    FData = FAllocator->Allocate(static_cast<size_t>(size));
    return FData != nullptr;
}

void TQkPixelBlock::Reset()
{
    if (FData)
        FAllocator->Free(FData);
    FData = nullptr;
    FAllocator = nullptr;
}

#pragma once
// Zero-filled pixel memory behind a replaceable allocator, so tests can make
// chosen requests fail and watch a bitmap fall back to row blocks or a file.

#include <cstddef>
#include <cstdint>

class IQkPixelAllocator {
public:
    virtual ~IQkPixelAllocator() = default;
    // `size` zero-filled bytes, or nullptr when they cannot be had.
    virtual void* Allocate(size_t size) = 0;
    virtual void Free(void* block) = 0;
};

// The allocator in use; nullptr restores the system heap.
IQkPixelAllocator& PixelAllocator();
void SetPixelAllocator(IQkPixelAllocator* allocator);

// One owned block, freed by the allocator that made it.
class TQkPixelBlock {
public:
    TQkPixelBlock() = default;
    ~TQkPixelBlock() { Reset(); }
    TQkPixelBlock(TQkPixelBlock&& other) noexcept;
    TQkPixelBlock& operator=(TQkPixelBlock&& other) noexcept;

    // Replaces the block by `size` zero-filled bytes; false (and empty) when
    // they cannot be had.
    bool Allocate(int64_t size);
    void Reset();
    uint8_t* Data() const { return static_cast<uint8_t*>(FData); }
    explicit operator bool() const { return FData != nullptr; }

private:
    IQkPixelAllocator* FAllocator = nullptr;
    void* FData = nullptr;
};

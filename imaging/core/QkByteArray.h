#pragma once
// A growable, zero-filled byte buffer that grows and shrinks in steps of
// its initial capacity.

#include <cstdint>
#include <memory>

#include "platform/core/Streams.h"

class TQkByteArray {
public:
    explicit TQkByteArray(int64_t initialCapacity);

    // Growing beyond the capacity reallocates to n + the growth block;
    // shrinking does so only below capacity - growth block. Raises
    // EInvalidArgument for a negative length, EOutOfMemory when the memory
    // is short.
    void SetLength(int64_t length);
    void AppendByte(uint8_t value);
    // Reads up to `count` bytes from the stream's position onto the end;
    // returns how many arrived.
    int64_t AppendFromStream(TStream& stream, int64_t count);

    int64_t Length() const { return length_; }
    int64_t Capacity() const { return capacity_; }
    uint8_t* Data() { return data_.get(); }
    const uint8_t* Data() const { return data_.get(); }

private:
    void Reallocate(int64_t capacity, int64_t newLength);

    int64_t length_ = 0;
    int64_t capacity_ = 0;
    int64_t growth_ = 0;
    std::unique_ptr<uint8_t[]> data_;
};

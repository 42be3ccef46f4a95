#pragma once
// A set of 32-bit values hashed by their low bits.

#include <cstdint>
#include <vector>

class THash1 {
public:
    // 2^bits slots; bits from 0 to 30 (EInvalidArgument otherwise).
    explicit THash1(int32_t bits);

    // False when the value is already in the set.
    bool Insert(uint32_t value);
    int32_t Count() const { return count_; }

private:
    // Empty, one value, or a chain in insertion order.
    std::vector<std::vector<uint32_t>> slots_;
    uint32_t mask_;
    int32_t count_ = 0;
};

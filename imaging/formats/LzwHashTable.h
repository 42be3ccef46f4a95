#pragma once
// The string table of the hashing LZW compressors (GIF and TIFF): a string is
// its prefix code plus one byte, found by open addressing over 5003 slots.

#include <array>
#include <cstdint>

class TLzwHashTable {
public:
    struct TSlot {
        int32_t Index;
        int32_t Code; // -1: the string is not in the table; Index is free
    };

    TLzwHashTable() { Clear(); }

    void Clear() { keys_.fill(Empty); }

    TSlot Find(uint8_t byte, int32_t prefix) const
    {
        const int32_t key = Key(byte, prefix);
        int32_t index = (byte << 4) ^ prefix;
        const int32_t step = index == 0 ? 1 : SlotCount - index;
        while (keys_[index] != Empty) {
            if (keys_[index] == key)
                return {index, codes_[index]};
            index -= step;
            if (index < 0)
                index += SlotCount;
        }
        return {index, -1};
    }

    void Store(const TSlot& slot, uint8_t byte, int32_t prefix, int32_t code)
    {
        keys_[slot.Index] = Key(byte, prefix);
        codes_[slot.Index] = code;
    }

private:
    static constexpr int32_t SlotCount = 5003;
    static constexpr int32_t Empty = -1;

    static int32_t Key(uint8_t byte, int32_t prefix) { return (byte << 12) + prefix; }

    std::array<int32_t, SlotCount> keys_{};
    std::array<int32_t, SlotCount> codes_{};
};

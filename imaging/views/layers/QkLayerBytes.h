#pragma once
// Little-endian fields of the views' binary records (layer records, the
// layers stream, the vector object stream), doubles as IEEE 754: a writer
// that collects bytes, and a reader over bytes held in memory where any read
// past the end marks the data as short and yields zeros, so that a parser
// checks once at the end.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

class TQkByteWriter {
public:
    void Byte(uint8_t value) { bytes_.push_back(value); }
    void Flag(bool value) { Byte(value ? 1 : 0); }
    void Int32(int32_t value) { UInt32(static_cast<uint32_t>(value)); }
    void UInt32(uint32_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            Byte(static_cast<uint8_t>(value >> shift));
    }
    void Double(double value)
    {
        const auto bits = std::bit_cast<uint64_t>(value);
        for (int shift = 0; shift < 64; shift += 8)
            Byte(static_cast<uint8_t>(bits >> shift));
    }
    void Bytes(const uint8_t* data, size_t count) { bytes_.insert(bytes_.end(), data, data + count); }
    void Zeros(int count) { bytes_.insert(bytes_.end(), static_cast<size_t>(count), 0); }
    void PatchUInt32(size_t at, uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            bytes_[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    }
    std::vector<uint8_t>& Data() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// Reads fields from bytes held in memory.
class TQkByteReader {
public:
    TQkByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Short() const { return short_; }
    size_t Remaining() const { return size_ - position_; }
    const uint8_t* Here() const { return data_ + position_; }

    const uint8_t* Take(size_t count)
    {
        if (count > Remaining()) {
            short_ = true;
            position_ = size_;
            return nullptr;
        }
        const uint8_t* at = Here();
        position_ += count;
        return at;
    }
    uint8_t Byte()
    {
        const uint8_t* at = Take(1);
        return at ? *at : 0;
    }
    bool Flag() { return Byte() != 0; }
    uint32_t UInt32()
    {
        const uint8_t* at = Take(4);
        if (!at)
            return 0;
        return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
            static_cast<uint32_t>(at[3]) << 24;
    }
    int32_t Int32() { return static_cast<int32_t>(UInt32()); }
    double Double()
    {
        const uint8_t* at = Take(8);
        uint64_t bits = 0;
        for (int i = 0; at && i < 8; ++i)
            bits |= static_cast<uint64_t>(at[i]) << (8 * i);
        return std::bit_cast<double>(bits);
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
    bool short_ = false;
};

#pragma once
// Big-endian reads from a stream that never go past its end: a short read
// raises EPsdTruncated, which the reader turns into Aborting.

#include <cstdint>
#include <vector>

class TStream;

struct EPsdTruncated {};

class TPsdInput {
public:
    explicit TPsdInput(TStream& stream);

    int64_t Position() const { return position_; }
    int64_t Size() const { return size_; }
    int64_t Left() const { return size_ - position_; }
    // Past the end raises.
    void Seek(int64_t position);
    void Skip(int64_t count) { Seek(position_ + count); }
    uint8_t U8();
    uint16_t U16();
    int16_t I16() { return static_cast<int16_t>(U16()); }
    uint32_t U32();
    int32_t I32() { return static_cast<int32_t>(U32()); }
    // Reads a 32-bit length; returns where the data it counts ends.
    int64_t LengthEnd();
    // `count` bytes; more than the stream holds raises before allocating.
    std::vector<uint8_t> Bytes(int64_t count);
    // Up to `count` bytes, fewer at the end of the stream.
    std::vector<uint8_t> BytesUpTo(int64_t count);

private:
    void Read(void* buffer, int64_t count);

    TStream& stream_;
    int64_t size_;
    int64_t position_;
};

#pragma once
// Little-endian fields of metafile records, read through bounds checks: a
// field past the record's end reads as 0 and marks the reader failed, so a
// record that lies about its counts is dropped instead of read past.

#include <cstddef>
#include <cstdint>
#include <cstring>

class TMetafileBytes {
public:
    TMetafileBytes(const uint8_t* data, size_t size) : FData(data), FSize(size) {}

    size_t Size() const { return FSize; }
    // The bytes from the offset, once Fits has vouched for them.
    const uint8_t* At(size_t offset) const { return FData + offset; }
    bool Failed() const { return FFailed; }
    // True when `count` items of `itemSize` bytes fit from the offset.
    bool Fits(size_t offset, uint64_t count, size_t itemSize) const
    {
        return offset <= FSize && count <= (FSize - offset) / (itemSize == 0 ? 1 : itemSize);
    }

    uint8_t U8(size_t offset) { return Fits(offset, 1, 1) ? FData[offset] : Fail(); }
    uint16_t U16(size_t offset)
    {
        return Fits(offset, 1, 2) ? static_cast<uint16_t>(FData[offset] | FData[offset + 1] << 8) : Fail();
    }
    int16_t I16(size_t offset) { return static_cast<int16_t>(U16(offset)); }
    uint32_t U32(size_t offset)
    {
        if (!Fits(offset, 1, 4))
            return Fail();
        return uint32_t(FData[offset]) | uint32_t(FData[offset + 1]) << 8 | uint32_t(FData[offset + 2]) << 16 |
            uint32_t(FData[offset + 3]) << 24;
    }
    int32_t I32(size_t offset) { return static_cast<int32_t>(U32(offset)); }
    float F32(size_t offset)
    {
        const uint32_t bits = U32(offset);
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    uint8_t Fail()
    {
        FFailed = true;
        return 0;
    }

    const uint8_t* FData;
    size_t FSize;
    bool FFailed = false;
};

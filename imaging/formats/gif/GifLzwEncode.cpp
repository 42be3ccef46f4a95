#include <algorithm>
#include <array>
#include <memory>

#include "imaging/formats/LzwHashTable.h"
#include "imaging/formats/gif/GifLzw.h"
#include "imaging/formats/gif/GifPixelOrder.h"

namespace {

constexpr int32_t MaxCodeSize = 12;
constexpr int32_t TableSize = 4096;
constexpr size_t PacketSize = 254;

// Codes packed least significant bit first into sub-blocks.
class TGifCodeWriter {
public:
    explicit TGifCodeWriter(TStream& stream) : stream_(stream) {}

    void Put(int32_t code, int32_t size)
    {
        bits_ |= static_cast<uint32_t>(code) << bitCount_;
        bitCount_ += size;
        while (bitCount_ >= 8) {
            PutByte(static_cast<uint8_t>(bits_));
            bits_ >>= 8;
            bitCount_ -= 8;
        }
    }

    // The last partial byte, the last packet and the terminator block.
    void Finish()
    {
        if (bitCount_ > 0)
            PutByte(static_cast<uint8_t>(bits_));
        FlushPacket();
        const uint8_t terminator = 0;
        Write(&terminator, 1);
    }

    bool Ok() const { return ok_; }

private:
    void PutByte(uint8_t value)
    {
        packet_[++packetLength_] = value;
        if (packetLength_ == PacketSize)
            FlushPacket();
    }

    void FlushPacket()
    {
        packet_[0] = static_cast<uint8_t>(packetLength_);
        if (packetLength_ > 0)
            Write(packet_.data(), static_cast<int64_t>(packetLength_) + 1);
        packetLength_ = 0;
    }

    void Write(const uint8_t* bytes, int64_t count) { ok_ = stream_.Write(bytes, count) == count && ok_; }

    TStream& stream_;
    uint32_t bits_ = 0;
    int32_t bitCount_ = 0;
    std::array<uint8_t, PacketSize + 1> packet_{};
    size_t packetLength_ = 0;
    bool ok_ = true;
};

class TGifLzwEncoder {
public:
    TGifLzwEncoder(TStream& stream, int32_t minimumCodeSize)
        : writer_(stream), clear_(1 << minimumCodeSize), end_(clear_ + 1), initialSize_(minimumCodeSize + 1)
    {
        ResetCodes();
    }

    bool Run(TGifPixelOrder order, std::span<const uint8_t> input)
    {
        Emit(clear_);
        int64_t offset = order.Next();
        if (offset >= 0) {
            int32_t prefix = input[offset];
            while ((offset = order.Next()) >= 0)
                prefix = Extend(prefix, input[offset]);
            Emit(prefix);
        }
        Emit(end_);
        writer_.Finish();
        return writer_.Ok();
    }

private:
    // The code of prefix + pixel, emitting the prefix when that string is new.
    int32_t Extend(int32_t prefix, uint8_t pixel)
    {
        const TLzwHashTable::TSlot slot = hash_.Find(pixel, prefix);
        if (slot.Code >= 0)
            return slot.Code;
        Emit(prefix);
        if (free_ < TableSize) {
            hash_.Store(slot, pixel, prefix, free_++);
        } else {
            hash_.Clear();
            ResetCodes();
            clearPending_ = true;
            Emit(clear_);
        }
        return pixel;
    }

    void ResetCodes() { free_ = clear_ + 2; }

    // The code size changes after the code that makes it necessary.
    void Emit(int32_t code)
    {
        writer_.Put(code, codeSize_);
        if (clearPending_) {
            codeSize_ = initialSize_;
            largestCode_ = (1 << codeSize_) - 1;
            clearPending_ = false;
        } else if (free_ > largestCode_ && codeSize_ < MaxCodeSize) {
            ++codeSize_;
            largestCode_ = codeSize_ == MaxCodeSize ? TableSize : (1 << codeSize_) - 1;
        }
    }

    TGifCodeWriter writer_;
    TLzwHashTable hash_;
    int32_t clear_;
    int32_t end_;
    int32_t initialSize_;
    int32_t codeSize_ = initialSize_;
    int32_t largestCode_ = (1 << initialSize_) - 1;
    int32_t free_ = 0;
    bool clearPending_ = false;
};

} // namespace

bool GifLzwEncode(TStream& stream, int32_t height, int32_t width, bool interlaced, std::span<const uint8_t> input,
                  int32_t bitsPerPixel)
{
    if (height < 0 || width < 0 || bitsPerPixel < 1 || bitsPerPixel > 8)
        return false;
    const int64_t pixels = static_cast<int64_t>(height) * width;
    if (pixels > static_cast<int64_t>(input.size()))
        return false;
    const auto image = input.first(static_cast<size_t>(pixels));
    if (std::any_of(image.begin(), image.end(), [&](uint8_t index) { return index >> bitsPerPixel != 0; }))
        return false;
    const uint8_t minimumCodeSize = static_cast<uint8_t>(std::max(2, bitsPerPixel));
    if (stream.Write(&minimumCodeSize, 1) != 1)
        return false;
    auto encoder = std::make_unique<TGifLzwEncoder>(stream, minimumCodeSize);
    return encoder->Run(TGifPixelOrder(width, height, interlaced), input);
}

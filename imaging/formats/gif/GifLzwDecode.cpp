#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "imaging/formats/gif/GifLzw.h"
#include "imaging/formats/gif/GifPixelOrder.h"

namespace {

constexpr int32_t TableSize = 4096;
constexpr int32_t MaxCodeSize = 12;

// The image data's sub-blocks joined: the buffer grows with what the stream
// actually holds.
std::vector<uint8_t> CollectSubBlocks(TStream& stream)
{
    std::vector<uint8_t> data;
    std::array<uint8_t, 255> block{};
    uint8_t size = 0;
    while (stream.Read(&size, 1) == 1 && size > 0) {
        const int64_t got = stream.Read(block.data(), size);
        data.insert(data.end(), block.begin(), block.begin() + got);
        if (got < size)
            break;
    }
    return data;
}

class TGifLzwDecoder {
public:
    TGifLzwDecoder(std::span<const uint8_t> data, int32_t minimumCodeSize, TGifPixelOrder order,
                   std::span<uint8_t> output)
        : data_(data), clear_(1 << minimumCodeSize), end_(clear_ + 1), minimumCodeSize_(minimumCodeSize), order_(order),
          output_(output)
    {
        for (int32_t code = 0; code < clear_; ++code)
            table_[code] = {-1, static_cast<uint8_t>(code), static_cast<uint8_t>(code), 1};
        Reset();
    }

    // False when the data is corrupt; data that runs out succeeds.
    bool Run()
    {
        std::optional<int32_t> code = ReadCode();
        while (code && *code != end_) {
            if (*code == clear_) {
                Reset();
                code = ReadCode();
                while (code == clear_)
                    code = ReadCode();
                if (!code)
                    return true;
                if (*code == end_)
                    return AllRead();
            }
            if (!Decode(*code))
                return false;
            code = ReadCode();
        }
        return true;
    }

private:
    struct TEntry {
        int32_t Prefix;
        uint8_t Suffix;
        uint8_t First;
        int32_t Length;
    };

    void Reset()
    {
        next_ = clear_ + 2;
        codeSize_ = minimumCodeSize_ + 1;
        limit_ = 1 << codeSize_;
        previous_ = -1;
    }

    bool Decode(int32_t code)
    {
        if (previous_ < 0) {
            // The first code after the start or a clear has no predecessor:
            // only a root code can stand there.
            if (code >= clear_)
                return false;
            Output(code);
        } else if (code < next_) {
            Output(code);
            AddEntry(table_[code].First);
        } else if (code == next_ && next_ < TableSize) {
            const uint8_t first = table_[previous_].First;
            AddEntry(first);
            Output(code);
        } else {
            return false;
        }
        previous_ = code;
        return true;
    }

    // Once the table is full, codes go on without new entries until a clear
    // (a "deferred clear", which encoders may use).
    void AddEntry(uint8_t suffix)
    {
        if (next_ >= TableSize)
            return;
        const TEntry& prefix = table_[previous_];
        table_[next_] = {previous_, suffix, prefix.First, prefix.Length + 1};
        if (++next_ == limit_ && codeSize_ < MaxCodeSize) {
            ++codeSize_;
            limit_ <<= 1;
        }
    }

    void Output(int32_t code)
    {
        int32_t length = table_[code].Length;
        for (int32_t at = code, i = length; i > 0; at = table_[at].Prefix)
            stack_[--i] = table_[at].Suffix;
        for (int32_t i = 0; i < length; ++i) {
            const int64_t offset = order_.Next();
            if (offset >= 0)
                output_[offset] = stack_[i];
        }
    }

    std::optional<int32_t> ReadCode()
    {
        if (bitPosition_ + codeSize_ > static_cast<int64_t>(data_.size()) * 8)
            return std::nullopt;
        uint32_t bits = 0;
        const int64_t byte = bitPosition_ / 8;
        for (int64_t i = 0; i < 3 && byte + i < static_cast<int64_t>(data_.size()); ++i)
            bits |= static_cast<uint32_t>(data_[byte + i]) << (8 * i);
        const int32_t code = static_cast<int32_t>((bits >> (bitPosition_ % 8)) & ((1u << codeSize_) - 1));
        bitPosition_ += codeSize_;
        return code;
    }

    bool AllRead() const { return (bitPosition_ + 7) / 8 >= static_cast<int64_t>(data_.size()); }

    std::span<const uint8_t> data_;
    int64_t bitPosition_ = 0;
    int32_t clear_;
    int32_t end_;
    int32_t minimumCodeSize_;
    int32_t codeSize_ = 0;
    int32_t limit_ = 0;
    int32_t next_ = 0;
    int32_t previous_ = -1;
    TGifPixelOrder order_;
    std::span<uint8_t> output_;
    std::array<TEntry, TableSize> table_{};
    std::array<uint8_t, TableSize> stack_{};
};

} // namespace

bool GifLzwDecode(TStream& stream, int32_t height, int32_t width, bool interlaced, std::span<uint8_t> output)
{
    const int64_t start = stream.Position();
    uint8_t minimumCodeSize = 0;
    const bool sizeOk =
        height >= 0 && width >= 0 && static_cast<int64_t>(height) * width <= static_cast<int64_t>(output.size());
    if (!sizeOk || stream.Read(&minimumCodeSize, 1) != 1 || minimumCodeSize < 2 || minimumCodeSize > 9) {
        stream.SetPosition(start);
        return false;
    }
    const std::vector<uint8_t> data = CollectSubBlocks(stream);
    if (data.empty())
        return true;
    auto decoder =
        std::make_unique<TGifLzwDecoder>(data, minimumCodeSize, TGifPixelOrder(width, height, interlaced), output);
    if (!decoder->Run()) {
        stream.SetPosition(start);
        return false;
    }
    return true;
}

#include <array>
#include <vector>

#include "imaging/core/QkSettings.h"
#include "imaging/formats/dicom/QkDicom.h"

namespace {

constexpr int32_t MaxComponents = 4;
constexpr int32_t MaxCodeLength = 16;
// Lossless differences have the categories 0 to 16.
constexpr int32_t MaxSymbols = 17;

struct THuffmanTable {
    bool Defined = false;
    // For each code length: the largest code (-1: none) and where its
    // symbols begin among Symbols, less the smallest code.
    std::array<int32_t, MaxCodeLength + 1> MaxCode{};
    std::array<int32_t, MaxCodeLength + 1> Offset{};
    std::vector<uint8_t> Symbols;
};

// Bits of the entropy-coded data, without the stuffed zero bytes; a marker
// or the end of the data reads as zero bits and marks the reader overrun.
class TBitReader {
public:
    TBitReader(const uint8_t* data, int64_t length, int64_t at) : data_(data), length_(length), at_(at) {}

    int32_t Bit()
    {
        if (count_ == 0)
            Load();
        --count_;
        return (byte_ >> count_) & 1;
    }

    int32_t Bits(int32_t count)
    {
        int32_t value = 0;
        for (int32_t i = 0; i < count; ++i)
            value = value << 1 | Bit();
        return value;
    }

    // Drops the bits left of the byte and steps over a restart marker.
    bool Restart()
    {
        count_ = 0;
        while (at_ + 1 < length_ && data_[at_] == 0xFF && data_[at_ + 1] == 0xFF)
            ++at_;
        if (at_ + 1 >= length_ || data_[at_] != 0xFF || (data_[at_ + 1] & 0xF8) != 0xD0)
            return false;
        at_ += 2;
        return true;
    }

    bool Overrun() const { return overrun_; }
    int64_t Position() const { return at_; }

private:
    void Load()
    {
        count_ = 8;
        byte_ = 0;
        if (at_ >= length_ || (data_[at_] == 0xFF && (at_ + 1 >= length_ || data_[at_ + 1] != 0))) {
            overrun_ = true;
            return;
        }
        byte_ = data_[at_];
        at_ += data_[at_] == 0xFF ? 2 : 1;
    }

    const uint8_t* data_;
    int64_t length_;
    int64_t at_;
    int32_t byte_ = 0;
    int32_t count_ = 0;
    bool overrun_ = false;
};

class TLosslessDecoder {
public:
    TLosslessDecoder(const uint8_t* data, int64_t length, TLosslessJpegFrame& frame)
        : data_(data), length_(length), frame_(frame)
    {}

    bool Run() { return ReadHeaders() && CheckScan() && DecodeScan(); }

private:
    int32_t Word(int64_t at) const { return data_[at] << 8 | data_[at + 1]; }

    bool ReadHeaders()
    {
        if (length_ < 4 || data_[0] != 0xFF || data_[1] != 0xD8)
            return false;
        int64_t at = 2;
        while (at + 1 < length_) {
            if (data_[at] != 0xFF)
                return false;
            const uint8_t code = data_[at + 1];
            at += 2;
            if (code == 0x00 || code == 0x01 || (code >= 0xD0 && code <= 0xD8) || code == 0xFF) {
                at -= code == 0xFF ? 1 : 0;
                continue;
            }
            if (code == 0xD9 || at + 2 > length_)
                return false;
            const int32_t segmentLength = Word(at);
            if (segmentLength < 2 || at + segmentLength > length_)
                return false;
            if (!ReadSegment(code, at + 2, segmentLength - 2))
                return false;
            at += segmentLength;
            if (code == 0xDA) {
                scanStart_ = at;
                return true;
            }
        }
        return false;
    }

    bool ReadSegment(uint8_t code, int64_t at, int32_t length)
    {
        switch (code) {
        case 0xC3: return ReadFrameHeader(at, length);
        case 0xC0:
        case 0xC1:
        case 0xC2:
        case 0xC5:
        case 0xC6:
        case 0xC7:
        case 0xC9:
        case 0xCA:
        case 0xCB:
        case 0xCD:
        case 0xCE:
        case 0xCF: return false;
        case 0xC4: return ReadHuffmanTables(at, length);
        case 0xDA: return ReadScanHeader(at, length);
        case 0xDD:
            if (length < 2)
                return false;
            restartInterval_ = Word(at);
            return true;
        default: return true;
        }
    }

    bool ReadFrameHeader(int64_t at, int32_t length)
    {
        if (length < 6)
            return false;
        frame_.Precision = data_[at];
        frame_.Height = Word(at + 1);
        frame_.Width = Word(at + 3);
        frame_.Components = data_[at + 5];
        return length >= 6 + 3 * frame_.Components;
    }

    bool ReadHuffmanTables(int64_t at, int32_t length)
    {
        const int64_t end = at + length;
        while (at < end) {
            if (end - at < 17)
                return false;
            const int32_t id = data_[at] & 0x0F;
            if (id >= MaxComponents)
                return false;
            std::array<int32_t, MaxCodeLength + 1> counts{};
            int32_t total = 0;
            for (int32_t bits = 1; bits <= MaxCodeLength; ++bits)
                total += counts[bits] = data_[at + bits];
            at += 17;
            if (total > MaxSymbols || end - at < total)
                return false;
            THuffmanTable& table = tables_[id];
            table.Symbols.assign(data_ + at, data_ + at + total);
            for (uint8_t symbol : table.Symbols) {
                if (symbol > 16)
                    return false;
            }
            BuildCodes(counts, table);
            at += total;
        }
        return true;
    }

    static void BuildCodes(const std::array<int32_t, MaxCodeLength + 1>& counts, THuffmanTable& table)
    {
        int32_t code = 0;
        int32_t index = 0;
        for (int32_t bits = 1; bits <= MaxCodeLength; ++bits) {
            table.Offset[bits] = index - code;
            code += counts[bits];
            index += counts[bits];
            table.MaxCode[bits] = counts[bits] > 0 ? code - 1 : -1;
            code <<= 1;
        }
        table.Defined = true;
    }

    bool ReadScanHeader(int64_t at, int32_t length)
    {
        if (length < 1)
            return false;
        const int32_t count = data_[at];
        if (count < 1 || count > MaxComponents || length < 1 + 2 * count + 3)
            return false;
        scanComponents_ = count;
        for (int32_t i = 0; i < count; ++i)
            tableOf_[size_t(i)] = data_[at + 2 + 2 * i] >> 4;
        const int64_t tail = at + 1 + 2 * count;
        predictor_ = data_[tail];
        pointTransform_ = data_[tail + 2] & 0x0F;
        return true;
    }

    bool CheckScan()
    {
        if (frame_.Precision < 2 || frame_.Precision > 16 || frame_.Width < 1 || frame_.Height < 1 ||
            (frame_.Components != 1 && frame_.Components != 3) || scanComponents_ != frame_.Components ||
            predictor_ < 1 || predictor_ > 7 || pointTransform_ >= frame_.Precision ||
            !WithinDecodeLimit(frame_.Width, frame_.Height))
            return false;
        // A component whose table is missing uses the first one.
        for (int32_t i = 0; i < frame_.Components; ++i) {
            int32_t& table = tableOf_[size_t(i)];
            if (table >= MaxComponents || !tables_[size_t(table)].Defined)
                table = 0;
            if (!tables_[size_t(table)].Defined)
                return false;
        }
        return true;
    }

    // The difference's category, or -1 for a code no table holds.
    static int32_t DecodeSymbol(TBitReader& bits, const THuffmanTable& table)
    {
        int32_t code = 0;
        for (int32_t length = 1; length <= MaxCodeLength; ++length) {
            code = code << 1 | bits.Bit();
            if (code <= table.MaxCode[size_t(length)])
                return table.Symbols[size_t(code + table.Offset[size_t(length)])];
        }
        return -1;
    }

    static int32_t DecodeDifference(TBitReader& bits, int32_t category)
    {
        if (category == 0)
            return 0;
        if (category == 16)
            return 32768;
        const int32_t value = bits.Bits(category);
        return value < 1 << (category - 1) ? value - (1 << category) + 1 : value;
    }

    int32_t Predict(int64_t index, int32_t x, bool firstLine) const
    {
        const int32_t stride = frame_.Components;
        const int64_t rowStride = int64_t(frame_.Width) * stride;
        if (firstLine && x == 0)
            return 1 << (frame_.Precision - pointTransform_ - 1);
        if (firstLine)
            return values_[size_t(index - stride)];
        if (x == 0)
            return values_[size_t(index - rowStride)];
        const int32_t left = values_[size_t(index - stride)];
        const int32_t above = values_[size_t(index - rowStride)];
        const int32_t corner = values_[size_t(index - rowStride - stride)];
        switch (predictor_) {
        case 1: return left;
        case 2: return above;
        case 3: return corner;
        case 4: return left + above - corner;
        case 5: return left + ((above - corner) >> 1);
        case 6: return above + ((left - corner) >> 1);
        default: return (left + above) / 2;
        }
    }

    // A restart interval starts over as the first line does.
    bool DecodeScan()
    {
        const int64_t pixels = int64_t(frame_.Width) * frame_.Height;
        values_.assign(size_t(pixels * frame_.Components), 0);
        TBitReader bits(data_, length_, scanStart_);
        int64_t firstLineEnd = frame_.Width;
        for (int64_t pixel = 0; pixel < pixels; ++pixel) {
            if (restartInterval_ > 0 && pixel > 0 && pixel % restartInterval_ == 0) {
                if (!bits.Restart())
                    return false;
                firstLineEnd = pixel - pixel % frame_.Width + frame_.Width;
                if (pixel % frame_.Width != 0)
                    return false;
            }
            const int32_t x = int32_t(pixel % frame_.Width);
            for (int32_t c = 0; c < frame_.Components; ++c) {
                const int64_t index = pixel * frame_.Components + c;
                const int32_t category = DecodeSymbol(bits, tables_[size_t(tableOf_[size_t(c)])]);
                if (category < 0)
                    return false;
                const int32_t difference = DecodeDifference(bits, category);
                values_[size_t(index)] = (Predict(index, x, pixel < firstLineEnd) + difference) & 0xFFFF;
            }
            if (bits.Overrun())
                return false;
        }
        frame_.Samples.resize(values_.size());
        for (size_t i = 0; i < values_.size(); ++i)
            frame_.Samples[i] = uint16_t(values_[i] << pointTransform_);
        return true;
    }

    const uint8_t* data_;
    int64_t length_;
    TLosslessJpegFrame& frame_;
    std::array<THuffmanTable, MaxComponents> tables_;
    std::array<int32_t, MaxComponents> tableOf_{};
    int32_t scanComponents_ = 0;
    int32_t predictor_ = 0;
    int32_t pointTransform_ = 0;
    int32_t restartInterval_ = 0;
    int64_t scanStart_ = 0;
    std::vector<int32_t> values_;
};

} // namespace

bool DecodeLosslessJpeg(const uint8_t* data, int64_t length, TLosslessJpegFrame& frame)
{
    frame = TLosslessJpegFrame();
    return TLosslessDecoder(data, length, frame).Run();
}

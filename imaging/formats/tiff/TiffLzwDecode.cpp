#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <vector>

#include "imaging/core/QkBits.h"
#include "imaging/formats/tiff/TiffLzw.h"

namespace {

constexpr int32_t TableSize = 4096;

} // namespace

struct TTiffLzwDecodeState {
    struct TEntry {
        int32_t Prefix;
        uint8_t Suffix;
        uint8_t First;
        int32_t Length;
    };

    TTiffLzwDecodeState(const uint8_t* input, int64_t inputSize, int32_t rowLength, int32_t fillOrder)
        : Input(input, static_cast<size_t>(std::max<int64_t>(inputSize, 0))), RowLength(rowLength), FillOrder(fillOrder)
    {
        for (int32_t code = 0; code < 256; ++code)
            Table[code] = {-1, static_cast<uint8_t>(code), static_cast<uint8_t>(code), 1};
        // A row may end inside a string, which is at most a table long.
        Output.resize(static_cast<size_t>(rowLength) + TableSize);
    }

    // Fills the output up to a row; false for corrupt data.
    bool FillRow()
    {
        while (!Ended && Filled < static_cast<size_t>(RowLength)) {
            int32_t code = 0;
            if (!ReadCode(code))
                Ended = true;
            else if (code == TiffLzwClearCode)
                Failed = !AfterClear();
            else if (code == TiffLzwEndCode)
                Ended = true;
            else
                Failed = !Decode(code);
            if (Failed)
                return false;
        }
        return true;
    }

    bool AfterClear()
    {
        int32_t code = TiffLzwClearCode;
        while (code == TiffLzwClearCode) {
            Next = TiffLzwFirstFreeCode;
            Width = 9;
            Previous = -1;
            if (!ReadCode(code)) {
                Ended = true;
                return true;
            }
        }
        if (code == TiffLzwEndCode) {
            Ended = true;
            return true;
        }
        if (code >= Next)
            return false;
        Append(code);
        Previous = code;
        return true;
    }

    bool Decode(int32_t code)
    {
        if (code > Next) {
            Ended = true;
            return true;
        }
        if (Previous < 0) {
            // Without a Clear the first code can only be a literal.
            if (code >= 256)
                return false;
            Append(code);
        } else if (code == Next) {
            if (!Add(Table[Previous].First))
                return false;
            Append(code);
        } else {
            Append(code);
            if (!Add(Table[code].First))
                return false;
        }
        Previous = code;
        return true;
    }

    bool Add(uint8_t suffix)
    {
        if (Next >= TableSize)
            return false;
        const TEntry& prefix = Table[Previous];
        Table[Next] = {Previous, suffix, prefix.First, prefix.Length + 1};
        ++Next;
        if (Next == 511 || Next == 1023 || Next == 2047)
            ++Width;
        return true;
    }

    void Append(int32_t code)
    {
        Filled += static_cast<size_t>(Table[code].Length);
        uint8_t* at = Output.data() + Filled;
        for (int32_t entry = code; entry >= 0; entry = Table[entry].Prefix)
            *--at = Table[entry].Suffix;
    }

    bool ReadCode(int32_t& code)
    {
        if (BitPosition + Width > static_cast<int64_t>(Input.size()) * 8)
            return false;
        uint32_t bits = 0;
        const int64_t byte = BitPosition / 8;
        if (FillOrder == 1 && byte + 3 <= static_cast<int64_t>(Input.size()))
            bits = uint32_t(Input[byte]) << 16 | uint32_t(Input[byte + 1]) << 8 | Input[byte + 2];
        else
            for (int64_t i = 0; i < 3; ++i)
                bits = bits << 8 | ByteAt(byte + i);
        code = static_cast<int32_t>((bits >> (24 - BitPosition % 8 - Width)) & ((1u << Width) - 1));
        BitPosition += Width;
        return true;
    }

    uint8_t ByteAt(int64_t index) const
    {
        if (index >= static_cast<int64_t>(Input.size()))
            return 0;
        uint8_t value = Input[index];
        if (FillOrder == 2)
            ReverseByteBits(value);
        return value;
    }

    // Hands out the front row; what lies beyond it waits for the next call.
    const uint8_t* TakeRow(std::atomic<bool>& aborting)
    {
        if (Taken > 0) {
            std::memmove(Output.data(), Output.data() + Taken, Filled - Taken);
            Filled -= Taken;
            Taken = 0;
        }
        if (!FillRow())
            return nullptr;
        if (Filled < static_cast<size_t>(RowLength)) {
            std::fill(Output.begin() + static_cast<std::ptrdiff_t>(Filled), Output.begin() + RowLength, uint8_t{0});
            Filled = static_cast<size_t>(RowLength);
            aborting = true;
        }
        Taken = static_cast<size_t>(RowLength);
        return Output.data();
    }

    std::span<const uint8_t> Input;
    int64_t BitPosition = 0;
    int32_t RowLength;
    int32_t FillOrder;
    std::vector<uint8_t> Output;
    // Bytes of Output decoded so far.
    size_t Filled = 0;
    size_t Taken = 0;
    int32_t Previous = -1;
    int32_t Next = TiffLzwFirstFreeCode;
    int32_t Width = 9;
    bool Ended = false;
    bool Failed = false;
    std::array<TEntry, TableSize> Table{};
};

void TTiffLzwDecodeStateDeleter::operator()(TTiffLzwDecodeState* state) const { delete state; }

bool IsOldStyleTiffLzw(const uint8_t* input, int64_t inputSize)
{
    return input && inputSize >= 2 && input[0] == 0 && (input[1] & 1) != 0;
}

const uint8_t* TiffLzwDecode(const uint8_t* input, int64_t inputSize, int32_t rowLength, TTiffLzwDecodeStatePtr& state,
                             int32_t fillOrder, std::atomic<bool>& aborting)
{
    if (!input) {
        state.reset();
        return nullptr;
    }
    if (!state) {
        if (rowLength < 0 || IsOldStyleTiffLzw(input, inputSize))
            return nullptr;
        state.reset(new TTiffLzwDecodeState(input, inputSize, rowLength, fillOrder));
    }
    if (state->Failed)
        return nullptr;
    return state->TakeRow(aborting);
}

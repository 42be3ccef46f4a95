#include <array>

#include "imaging/core/QkStreamRoutines.h"
#include "imaging/formats/LzwHashTable.h"
#include "imaging/formats/tiff/TiffLzw.h"

namespace {

// The table restarts here, leaving the decoder (one entry behind) room for
// the entry it adds on reading the last code before the Clear.
constexpr int32_t LastFreeCode = 4093;
// Codes are collected into blocks this large before they go to the stream,
// which may be an unbuffered file.
constexpr size_t BlockSize = 65536;

} // namespace

struct TTiffLzwEncodeState {
    TTiffLzwEncodeState(TStream& stream, std::atomic<bool>& aborting) : Stream(stream), Aborting(aborting) {}

    void Encode(const uint8_t* row, int64_t count)
    {
        int64_t i = 0;
        if (Prefix < 0 && count > 0)
            Prefix = row[i++];
        for (; i < count; ++i)
            Extend(row[i]);
    }

    void Finish()
    {
        if (Prefix >= 0)
            Emit(Prefix);
        Emit(TiffLzwEndCode);
        if (BitCount > 0)
            PutByte(static_cast<uint8_t>(Bits >> 24));
        FlushBlock();
    }

    void Extend(uint8_t byte)
    {
        const TLzwHashTable::TSlot slot = Hash.Find(byte, Prefix);
        if (slot.Code >= 0) {
            Prefix = slot.Code;
            return;
        }
        Emit(Prefix);
        if (Free > LastFreeCode) {
            Hash.Clear();
            Free = TiffLzwFirstFreeCode;
            ClearPending = true;
            Emit(TiffLzwClearCode);
        } else {
            Hash.Store(slot, byte, Prefix, Free++);
        }
        Prefix = byte;
    }

    // Codes go in below the pending bits, most significant bit first.
    void Emit(int32_t code)
    {
        Bits |= static_cast<uint32_t>(code) << (32 - BitCount - Width);
        BitCount += Width;
        while (BitCount >= 8) {
            PutByte(static_cast<uint8_t>(Bits >> 24));
            Bits <<= 8;
            BitCount -= 8;
        }
        if (ClearPending) {
            Width = 9;
            LargestCode = 511;
            ClearPending = false;
        } else if (Free > LargestCode - 1 && Width < 12) {
            ++Width;
            LargestCode = Width == 12 ? 4095 : (1 << Width) - 1;
        }
    }

    void PutByte(uint8_t value)
    {
        Block[BlockLength++] = value;
        if (BlockLength == BlockSize)
            FlushBlock();
    }

    void FlushBlock()
    {
        if (BlockLength > 0)
            SafeStreamWrite(Stream, Aborting, Block.data(), static_cast<int64_t>(BlockLength));
        BlockLength = 0;
    }

    TStream& Stream;
    std::atomic<bool>& Aborting;
    TLzwHashTable Hash;
    uint32_t Bits = 0;
    int32_t BitCount = 0;
    int32_t Width = 9;
    int32_t LargestCode = 511;
    int32_t Free = TiffLzwFirstFreeCode;
    int32_t Prefix = -1;
    bool ClearPending = false;
    std::array<uint8_t, BlockSize> Block{};
    size_t BlockLength = 0;
};

void TTiffLzwEncodeStateDeleter::operator()(TTiffLzwEncodeState* state) const { delete state; }

void TiffLzwEncode(const uint8_t* row, int64_t byteCount, TStream& stream, TTiffLzwEncodeStatePtr& state,
                   std::atomic<bool>& aborting)
{
    if (!state) {
        state.reset(new TTiffLzwEncodeState(stream, aborting));
        state->Emit(TiffLzwClearCode);
    }
    if (row) {
        state->Encode(row, byteCount);
        return;
    }
    state->Finish();
    state.reset();
}

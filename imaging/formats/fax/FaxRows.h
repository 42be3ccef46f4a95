#pragma once
// Pixel access on packed bilevel rows, shared by the fax decoders (1 is
// white) and encoders (1 is black).

#include <cstdint>
#include <span>

class TFaxRow {
public:
    TFaxRow(std::span<const uint8_t> bits, int32_t width, uint8_t blackBit)
        : bits_(bits), width_(width), blackBit_(blackBit)
    {}

    // Pixels left of the row count as white.
    bool IsBlack(int32_t x) const { return x >= 0 && ((bits_[x >> 3] >> (7 - (x & 7))) & 1) == blackBit_; }

    // The first changing element at or after `start` (a pixel whose colour
    // differs from its left neighbour's), or the width.
    int32_t NextChange(int32_t start) const
    {
        int32_t x = start < 0 ? 0 : start;
        if (x >= width_)
            return width_;
        const bool black = IsBlack(x - 1);
        // Whole bytes of that colour are passed at once: rows are mostly long runs.
        const uint8_t sameColourByte = (black ? blackBit_ : 1 - blackBit_) ? 0xFF : 0x00;
        while (x < width_) {
            if ((x & 7) == 0 && x + 8 <= width_ && bits_[x >> 3] == sameColourByte)
                x += 8;
            else if (IsBlack(x) != black)
                return x;
            else
                ++x;
        }
        return width_;
    }

    // The first changing element after `a0` that turns to the colour other
    // than `black`, and the changing element after it (b1 and b2 of T.4).
    void ChangesAfter(int32_t a0, bool black, int32_t& b1, int32_t& b2) const
    {
        b1 = NextChange(a0 + 1);
        while (b1 < width_ && IsBlack(b1) == black)
            b1 = NextChange(b1 + 1);
        b2 = b1 < width_ ? NextChange(b1 + 1) : width_;
    }

private:
    std::span<const uint8_t> bits_;
    int32_t width_;
    uint8_t blackBit_;
};

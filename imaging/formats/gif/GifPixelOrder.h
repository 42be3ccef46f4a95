#pragma once
// The order in which GIF data visits an image's pixels: rows top to bottom,
// or the interlaced passes (rows 0, 8, 16, ...; 4, 12, ...; 2, 6, ...;
// 1, 3, ...), each row left to right.

#include <array>
#include <cstdint>

class TGifPixelOrder {
public:
    TGifPixelOrder(int32_t width, int32_t height, bool interlaced)
        : width_(width), height_(height), interlaced_(interlaced), row_(width > 0 && height > 0 ? 0 : height)
    {}

    // The buffer offset of the next pixel, or -1 once the rows are used up.
    int64_t Next()
    {
        if (row_ >= height_)
            return -1;
        const int64_t offset = row_ * width_ + column_;
        if (++column_ == width_) {
            column_ = 0;
            AdvanceRow();
        }
        return offset;
    }

private:
    void AdvanceRow()
    {
        if (!interlaced_) {
            ++row_;
            return;
        }
        static constexpr std::array<int32_t, 4> PassStart{0, 4, 2, 1};
        static constexpr std::array<int32_t, 4> PassStep{8, 8, 4, 2};
        row_ += PassStep[pass_];
        while (row_ >= height_ && pass_ < 3)
            row_ = PassStart[++pass_];
    }

    int64_t width_;
    int64_t height_;
    bool interlaced_;
    int64_t row_; // 64 bits: a pass's step may go past the largest height
    int32_t column_ = 0;
    int32_t pass_ = 0;
};

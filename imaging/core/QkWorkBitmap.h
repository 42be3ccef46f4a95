#pragma once
// TQkWorkBitmap: plain scratch rows (bottom-up in one zero-filled block, no
// palette, no file) for the resamplers and the processing operations.

#include <cstdint>

class TQkWorkBitmap {
public:
    TQkWorkBitmap() = default;
    // Allocates when width and height are positive.
    TQkWorkBitmap(int32_t width, int32_t bitsPerPixel, int32_t height);
    ~TQkWorkBitmap() { Release(); }
    TQkWorkBitmap(const TQkWorkBitmap&) = delete;
    TQkWorkBitmap& operator=(const TQkWorkBitmap&) = delete;

    // Nothing when all three are unchanged; Block() is nullptr when the
    // memory cannot be had.
    void Allocate(int32_t width, int32_t height, int32_t bitsPerPixel);
    void Release();
    uint8_t* GetScanline(int32_t y) const;

    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    int32_t BitsPerPixel() const { return FBitsPerPixel; }
    int32_t RowLen() const { return FRowLen; }
    uint8_t* Block() const { return FBlock; }

private:
    int32_t FWidth = 0;
    int32_t FHeight = 0;
    int32_t FBitsPerPixel = 0;
    int32_t FRowLen = 0;
    uint8_t* FBlock = nullptr;
};

#include "imaging/core/QkWorkBitmap.h"

#include "imaging/core/QkBits.h"
#include "imaging/core/QkMemory.h"

TQkWorkBitmap::TQkWorkBitmap(int32_t width, int32_t bitsPerPixel, int32_t height)
{
    if (width > 0 && height > 0)
        Allocate(width, height, bitsPerPixel);
}

void TQkWorkBitmap::Allocate(int32_t width, int32_t height, int32_t bitsPerPixel)
{
    if (width == FWidth && height == FHeight && bitsPerPixel == FBitsPerPixel)
        return;
    Release();
    FWidth = width;
    FHeight = height;
    FBitsPerPixel = bitsPerPixel;
    FRowLen = static_cast<int32_t>(CalcRowLength(width, bitsPerPixel, 32));
    if (width > 0 && height > 0 && bitsPerPixel > 0)
        FBlock = AllocMixed(static_cast<int64_t>(FRowLen) * height);
}

void TQkWorkBitmap::Release()
{
    if (FBlock)
        FreeMixed(FBlock);
    FWidth = 0;
    FHeight = 0;
    FBitsPerPixel = 0;
    FRowLen = 0;
}

uint8_t* TQkWorkBitmap::GetScanline(int32_t y) const
{
    if (!FBlock || y < 0 || y >= FHeight)
        return nullptr;
    return FBlock + static_cast<int64_t>(FRowLen) * (FHeight - 1 - y);
}

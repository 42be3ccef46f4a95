#pragma once
// Turns an FFmpeg picture of any pixel format and size into a bitmap of a
// fixed device-independent layout, and a bitmap that a caller has changed
// back into the picture.

#include <cstdint>
#include <memory>
#include <string>

extern "C" {
#include <libavutil/pixfmt.h>
}

#include "engine/decode/FFPicture.h"
#include "platform/gfx/Bitmap.h"

struct SwsContext;

// The 256 colours of 3:3:2 samples (red in the low bits, blue in the high
// two), the palette of an 8-bit bitmap that holds them.
TPalette Palette332();

class TFormatConverter {
public:
    TFormatConverter();
    ~TFormatConverter();
    TFormatConverter(const TFormatConverter&) = delete;
    TFormatConverter& operator=(const TFormatConverter&) = delete;

    // The work bitmap, owned; its brush is clear.
    TBitmap* Bitmap() const { return bitmap_.get(); }
    // 8, 16 (also for the 15-bit layout), 24 or 32.
    int32_t BitsPixel() const { return bitsPixel_; }
    // The FFmpeg pixel format whose memory layout equals the bitmap's.
    AVPixelFormat BitmapPixelFormat() const { return bitmapPixelFormat_; }
    // 8, 15, 16, 24 or 32; nothing when `bits` equals BitsPixel (so 16 after
    // 15 keeps the 15-bit layout); other values raise "Invalid BitsPixel %d".
    void SetBitsPixel(int32_t bits);
    // Forgets the current picture and applies the bitmap layout.
    void Reset();

    // The converter's own picture over its conversion buffer.
    TFFPicture* Picture() { return &picture_; }
    // The picture the bitmap mirrors after the last PictureToBitmap: Picture()
    // when a conversion was needed, else the caller's; nullptr after a reset
    // or a failure. A caller's picture is valid only until its next frame.
    TFFPicture* CurrentPicture() const { return currentPicture_; }

    // swscale flags; 4 (bicubic) at creation.
    uint32_t SwsFlags = 4;
    std::string LastErrorText;

    // Sizes the bitmap to width x height and makes the current picture hold
    // the pixels in the bitmap's layout, converting unless the picture already
    // has that layout, an even size and the bitmap's row size. With `copy` the
    // pixels go into the bitmap. False with LastErrorText when no scaler fits.
    bool PictureToBitmap(TFFPicture* picture, AVPixelFormat pixelFormat, bool copy, int32_t height, int32_t width);
    // Row copies between the current picture and the bitmap; both raise
    // EInvalidOperation without a current picture.
    void CopyPictureToBitmap();
    void CopyBitmapToPicture();
    // Converts the current picture into `picture` of the given format and
    // size. Raises EInvalidOperation without a current picture; false with
    // LastErrorText when no scaler fits.
    bool BitmapToPicture(TFFPicture* picture, AVPixelFormat pixelFormat, int32_t height, int32_t width);

private:
    bool ConvertIntoOwnPicture(TFFPicture* source, AVPixelFormat pixelFormat, int32_t height, int32_t width);
    bool GrowBuffer(int32_t size);
    void RequireCurrentPicture() const;
    int32_t CopyRowBytes() const;
    int32_t CopyRowCount() const;
    uint8_t* PictureRow(int32_t y) const;

    std::unique_ptr<TBitmap> bitmap_;
    TPixelFormat bitmapFormat_ = pf32bit;
    int32_t bitsPixel_ = 32;
    AVPixelFormat bitmapPixelFormat_ = AV_PIX_FMT_BGRA;
    uint8_t* buffer_ = nullptr;
    int32_t bufferSize_ = 0;
    TFFPicture picture_;
    TFFPicture* currentPicture_ = nullptr;
    // The size of the current picture, which bounds the row copies.
    int32_t currentWidth_ = 0;
    int32_t currentHeight_ = 0;
    SwsContext* toBitmapContext_ = nullptr;
    SwsContext* fromBitmapContext_ = nullptr;
};

#include "engine/decode/FormatConverter.h"

#include <algorithm>
#include <cstring>

#include "engine/binding/AVUtilStubs.h"
#include "engine/binding/SwScaleStubs.h"
#include "platform/gfx/Canvas.h"

namespace {

struct TBitmapLayout {
    int32_t RequestedBits;
    TPixelFormat Format;
    int32_t BitsPixel;
    // 15 and 16 bits keep blue in the low bits of a little-endian word, which
    // FFmpeg calls RGB; 24 and 32 bits store blue first, which it calls BGR.
    AVPixelFormat PixelFormat;
};

constexpr TBitmapLayout BitmapLayouts[] = {
    {8, pf8bit, 8, AV_PIX_FMT_BGR8},     {15, pf15bit, 16, AV_PIX_FMT_RGB555LE}, {16, pf16bit, 16, AV_PIX_FMT_RGB565LE},
    {24, pf24bit, 24, AV_PIX_FMT_BGR24}, {32, pf32bit, 32, AV_PIX_FMT_BGRA},
};

const TBitmapLayout* LayoutOfBits(int32_t bits)
{
    for (const TBitmapLayout& layout : BitmapLayouts)
        if (layout.RequestedBits == bits)
            return &layout;
    return nullptr;
}

const TBitmapLayout& LayoutOfFormat(TPixelFormat format)
{
    for (const TBitmapLayout& layout : BitmapLayouts)
        if (layout.Format == format)
            return layout;
    return BitmapLayouts[4];
}

int32_t BitmapRowBytes(int32_t width, int32_t bitsPixel)
{
    return static_cast<int32_t>((static_cast<int64_t>(width) * bitsPixel + 31) / 32 * 4);
}

uint8_t Expand(int32_t value, int32_t maximum) { return static_cast<uint8_t>(value * 255 / maximum); }

} // namespace

TPalette Palette332()
{
    std::vector<TPaletteEntry> entries(256);
    for (int32_t i = 0; i < 256; ++i)
        entries[i] = {Expand(i & 7, 7), Expand((i >> 3) & 7, 7), Expand(i >> 6, 3), 0};
    return TPalette(std::move(entries));
}

TFormatConverter::TFormatConverter() : bitmap_(std::make_unique<TBitmap>())
{
    bitmap_->Canvas()->Brush()->SetStyle(bsClear);
    Reset();
}

// A converter may outlive the FFmpeg libraries, or never see them loaded:
// only what it allocated goes back to them.
TFormatConverter::~TFormatConverter()
{
    if (buffer_)
        av::av_free(buffer_);
    if (toBitmapContext_)
        av::sws_freeContext(toBitmapContext_);
    if (fromBitmapContext_)
        av::sws_freeContext(fromBitmapContext_);
}

void TFormatConverter::SetBitsPixel(int32_t bits)
{
    if (bits == bitsPixel_)
        return;
    const TBitmapLayout* layout = LayoutOfBits(bits);
    if (!layout)
        throw CreateFmt("Invalid BitsPixel %d", bits);
    bitmapFormat_ = layout->Format;
    Reset();
}

void TFormatConverter::Reset()
{
    picture_ = TFFPicture();
    currentPicture_ = nullptr;
    const TBitmapLayout& layout = LayoutOfFormat(bitmapFormat_);
    bitsPixel_ = layout.BitsPixel;
    bitmapPixelFormat_ = layout.PixelFormat;
    bitmap_->SetPixelFormat(bitmapFormat_);
    if (bitmapFormat_ == pf8bit)
        bitmap_->SetPalette(Palette332());
}

bool TFormatConverter::PictureToBitmap(TFFPicture* picture, AVPixelFormat pixelFormat, bool copy, int32_t height,
                                       int32_t width)
{
    bitmap_->SetSize(width, height);
    const bool conversionNeeded = pixelFormat != bitmapPixelFormat_ || width % 2 != 0 || height % 2 != 0 ||
        BitmapRowBytes(width, bitsPixel_) != picture->Linesize[0];
    TFFPicture* source = picture;
    if (conversionNeeded) {
        if (!ConvertIntoOwnPicture(picture, pixelFormat, height, width))
            return false;
        source = &picture_;
    }
    currentPicture_ = source;
    currentWidth_ = width;
    currentHeight_ = height;
    if (copy)
        CopyPictureToBitmap();
    return true;
}

bool TFormatConverter::ConvertIntoOwnPicture(TFFPicture* source, AVPixelFormat pixelFormat, int32_t height,
                                             int32_t width)
{
    currentPicture_ = nullptr;
    const int size = av::av_image_get_buffer_size(bitmapPixelFormat_, width, height, 1);
    // swscale aborts the process on a format it cannot read.
    if (av::sws_isSupportedInput(pixelFormat) && size >= 0 && GrowBuffer(size)) {
        av::av_image_fill_arrays(picture_.Data, picture_.Linesize, buffer_, bitmapPixelFormat_, width, height, 1);
        toBitmapContext_ =
            av::sws_getCachedContext(toBitmapContext_, width, height, pixelFormat, width, height, bitmapPixelFormat_,
                                     static_cast<int>(SwsFlags), nullptr, nullptr, nullptr);
    } else {
        av::sws_freeContext(toBitmapContext_);
        toBitmapContext_ = nullptr;
    }
    if (!toBitmapContext_) {
        LastErrorText = "Cannot initialize the toRGB conversion context";
        return false;
    }
    av::sws_scale(toBitmapContext_, source->Data, source->Linesize, 0, height, picture_.Data, picture_.Linesize);
    return true;
}

bool TFormatConverter::GrowBuffer(int32_t size)
{
    if (size <= bufferSize_)
        return true;
    av::av_free(buffer_);
    buffer_ = static_cast<uint8_t*>(av::av_malloc(static_cast<size_t>(size) + PictureBufferPadding));
    bufferSize_ = buffer_ ? size : 0;
    return buffer_ != nullptr;
}

void TFormatConverter::RequireCurrentPicture() const
{
    if (!currentPicture_)
        throw EInvalidOperation("The converter holds no picture: convert one with PictureToBitmap first");
}

int32_t TFormatConverter::CopyRowBytes() const { return std::min(currentWidth_, bitmap_->Width()) * (bitsPixel_ / 8); }

int32_t TFormatConverter::CopyRowCount() const { return std::min(currentHeight_, bitmap_->Height()); }

uint8_t* TFormatConverter::PictureRow(int32_t y) const
{
    return currentPicture_->Data[0] + static_cast<ptrdiff_t>(y) * currentPicture_->Linesize[0];
}

void TFormatConverter::CopyPictureToBitmap()
{
    RequireCurrentPicture();
    const int32_t rowBytes = CopyRowBytes();
    const int32_t rows = CopyRowCount();
    for (int32_t y = 0; y < rows; ++y)
        std::memcpy(bitmap_->ScanLine(y), PictureRow(y), static_cast<size_t>(rowBytes));
}

void TFormatConverter::CopyBitmapToPicture()
{
    RequireCurrentPicture();
    const int32_t rowBytes = CopyRowBytes();
    const int32_t rows = CopyRowCount();
    for (int32_t y = 0; y < rows; ++y)
        std::memcpy(PictureRow(y), bitmap_->ScanLine(y), static_cast<size_t>(rowBytes));
}

bool TFormatConverter::BitmapToPicture(TFFPicture* picture, AVPixelFormat pixelFormat, int32_t height, int32_t width)
{
    RequireCurrentPicture();
    if (width > currentWidth_ || height > currentHeight_)
        throw EInvalidArgument("BitmapToPicture cannot read beyond the current picture");
    if (!av::sws_isSupportedOutput(pixelFormat)) {
        LastErrorText = "Cannot initialize the fromRGB conversion context";
        return false;
    }
    fromBitmapContext_ = av::sws_getCachedContext(fromBitmapContext_, width, height, bitmapPixelFormat_, width, height,
                                                  pixelFormat, static_cast<int>(SwsFlags), nullptr, nullptr, nullptr);
    if (!fromBitmapContext_) {
        LastErrorText = "Cannot initialize the fromRGB conversion context";
        return false;
    }
    av::sws_scale(fromBitmapContext_, currentPicture_->Data, currentPicture_->Linesize, 0, height, picture->Data,
                  picture->Linesize);
    return true;
}

#include "imaging/formats/bmp/QkBmpIndexes.h"

#include <algorithm>

#include "imaging/core/QkPixelBuffers.h"

namespace {

bool IndexesFit(TQkBitmap& bitmap, size_t colours)
{
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        const uint8_t* line = bitmap.GetScanline(y);
        if (std::any_of(line, line + bitmap.GetWidth(), [colours](uint8_t index) { return index >= colours; }))
            return false;
    }
    return true;
}

} // namespace

TQkBmpIndexRows::TQkBmpIndexRows(TQkBitmap& bitmap, std::span<TRGBPixel> palette)
    : source_(&bitmap), palette_(palette.size()), row_(size_t(bitmap.GetWidth()))
{
    if (bitmap.GetPixelFormat() == qk8p && IndexesFit(bitmap, palette.size())) {
        const int32_t count = std::min<int32_t>(int32_t(palette.size()), bitmap.GetPaletteLength());
        for (int32_t i = 0; i < count; ++i)
            bitmap.GetPaletteColor(i, palette[size_t(i)]);
        return;
    }
    if (bitmap.GetPixelFormat() != qk24RGB) {
        copy_ = std::make_unique<TQkBitmap>();
        copy_->Assign(&bitmap);
        copy_->SetPixelFormat(qk24RGB);
        source_ = copy_.get();
    }
    quantizer_ = std::make_unique<TQkQuantizer>(*source_, int32_t(palette.size()), palette);
    std::ranges::copy(palette, palette_.begin());
}

std::span<const uint8_t> TQkBmpIndexRows::Row(int32_t y)
{
    const uint8_t* line = source_->GetScanline(y);
    if (!quantizer_)
        return {line, row_.size()};
    ConvertRowBitDepth(line, row_.data(), 24, quantizer_.get(), palette_, int32_t(row_.size()), 8);
    return row_;
}

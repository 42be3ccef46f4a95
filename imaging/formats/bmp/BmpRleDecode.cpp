#include "imaging/formats/bmp/BmpRle.h"

namespace {

enum class TRleKind { Rle8, Rle4 };

// Walks the compressed bytes and the bitmap's file rows together; every
// read is checked against the data's end.
class TBmpRleDecoder {
public:
    TBmpRleDecoder(TQkBitmap& bitmap, std::span<const uint8_t> data, bool topDown, TQkFilterProgress& progress,
                   std::span<const TRGBPixel> colorMap, TRleKind kind)
        : bitmap_(bitmap), data_(data), topDown_(topDown), progress_(progress), colorMap_(colorMap), kind_(kind),
          width_(bitmap.GetWidth()), height_(bitmap.GetHeight()), indexForm_(bitmap.GetPixelFormat() == qk8p)
    {}

    void Run()
    {
        SelectRow();
        uint8_t count = 0;
        uint8_t value = 0;
        while (fileRow_ < height_ && NextByte(count) && NextByte(value)) {
            if (count > 0)
                StoreRun(count, value);
            else if (!Escape(value))
                return;
        }
    }

private:
    bool NextByte(uint8_t& value)
    {
        if (position_ >= data_.size())
            return false;
        value = data_[position_++];
        return true;
    }

    // An escape code; false ends decoding.
    bool Escape(uint8_t code)
    {
        switch (code) {
        case 0: return EndRow();
        case 1: return false;
        case 2: return Move();
        default: return StoreLiteral(code);
        }
    }

    bool EndRow()
    {
        ++fileRow_;
        column_ = 0;
        if (progress_.OnProgress)
            progress_.OnProgress(progress_.Sender, static_cast<int32_t>(progress_.Step * fileRow_));
        if (progress_.Aborting && progress_.Aborting->load())
            return false;
        SelectRow();
        return fileRow_ < height_;
    }

    bool Move()
    {
        uint8_t dx = 0;
        uint8_t dy = 0;
        if (!NextByte(dx) || !NextByte(dy))
            return false;
        column_ += dx;
        fileRow_ += dy;
        if (fileRow_ >= height_ || column_ > width_)
            return false;
        SelectRow();
        return true;
    }

    void StoreRun(uint8_t count, uint8_t value)
    {
        for (int32_t i = 0; i < count; ++i)
            Store(kind_ == TRleKind::Rle8 ? value : Nibble(value, i));
    }

    bool StoreLiteral(uint8_t count)
    {
        const int32_t bytes = kind_ == TRleKind::Rle8 ? count : (count + 1) / 2;
        uint8_t value = 0;
        for (int32_t i = 0; i < count; ++i) {
            if (kind_ == TRleKind::Rle8 || i % 2 == 0) {
                if (!NextByte(value))
                    return false;
            }
            Store(kind_ == TRleKind::Rle8 ? value : Nibble(value, i));
        }
        if (bytes % 2 == 1 && !NextByte(value))
            return false;
        return true;
    }

    static uint8_t Nibble(uint8_t value, int32_t i) { return i % 2 == 0 ? value >> 4 : value & 0x0F; }

    // Pixels past the row's end are dropped: writers pad rows to a multiple
    // of 4 pixels (ImageMagick's RLE8 files do), and the padding must not
    // overwrite the last column.
    void Store(uint8_t index)
    {
        const int64_t column = column_++;
        if (column >= width_)
            return;
        if (indexForm_) {
            row_[column] = index;
            return;
        }
        const TRGBPixel color = index < colorMap_.size() ? colorMap_[index] : TRGBPixel{};
        uint8_t* pixel = row_ + column * 3;
        pixel[0] = color.b;
        pixel[1] = color.g;
        pixel[2] = color.r;
    }

    void SelectRow()
    {
        if (fileRow_ < height_)
            row_ = bitmap_.GetScanline(static_cast<int32_t>(topDown_ ? fileRow_ : height_ - 1 - fileRow_));
    }

    TQkBitmap& bitmap_;
    std::span<const uint8_t> data_;
    bool topDown_;
    TQkFilterProgress& progress_;
    std::span<const TRGBPixel> colorMap_;
    TRleKind kind_;
    int64_t width_;
    int64_t height_;
    bool indexForm_;
    size_t position_ = 0;
    int64_t fileRow_ = 0;
    int64_t column_ = 0;
    uint8_t* row_ = nullptr;
};

bool Decode(TQkBitmap& bitmap, std::span<const uint8_t> data, bool topDown, TQkFilterProgress& progress,
            std::span<const TRGBPixel> colorMap, TRleKind kind)
{
    const TQkPixelFormat format = bitmap.GetPixelFormat();
    if (format != qk8p && format != qk24RGB)
        return false;
    if (bitmap.GetWidth() <= 0 || bitmap.GetHeight() <= 0)
        return true;
    if (format == qk8p)
        bitmap.SetPaletteColors(kind == TRleKind::Rle8 ? 256 : 16);
    TBmpRleDecoder(bitmap, data, topDown, progress, colorMap, kind).Run();
    return true;
}

} // namespace

bool DecodeBmpRle8(TQkBitmap& bitmap, std::span<const uint8_t> data, bool topDown, TQkFilterProgress& progress,
                   std::span<const TRGBPixel> colorMap)
{
    return Decode(bitmap, data, topDown, progress, colorMap, TRleKind::Rle8);
}

bool DecodeBmpRle4(TQkBitmap& bitmap, std::span<const uint8_t> data, bool topDown, TQkFilterProgress& progress,
                   std::span<const TRGBPixel> colorMap)
{
    return Decode(bitmap, data, topDown, progress, colorMap, TRleKind::Rle4);
}

#include "imaging/formats/QkWriterBitmaps.h"

#include "imaging/core/QkColorReduction.h"

TQkBitmap& BitmapInFormat(TQkBitmap& bitmap, TQkPixelFormat format, std::unique_ptr<TQkBitmap>& copy)
{
    if (bitmap.GetPixelFormat() == format)
        return bitmap;
    if (format == qk1g) {
        TRGBPixel dark;
        TRGBPixel light;
        copy = MakeBilevelIfTwoColors(bitmap, dark, light);
    }
    if (!copy) {
        copy = std::make_unique<TQkBitmap>();
        copy->Assign(&bitmap);
        copy->SetPixelFormat(format);
    }
    return *copy;
}

#include "imaging/formats/jxr/QkWicPixelFormats.h"

#include <utility>

namespace {

struct TNativeFormat {
    const PKPixelFormatGUID& Wic;
    TQkPixelFormat Bitmap;
};

const TNativeFormat NativeFormats[] = {
    {GUID_PKPixelFormatBlackWhite, qk1g},  {GUID_PKPixelFormat8bppGray, qk8g},    {GUID_PKPixelFormat16bppGray, qk16g},
    {GUID_PKPixelFormat24bppBGR, qk24RGB}, {GUID_PKPixelFormat48bppRGB, qkRGB48}, {GUID_PKPixelFormat32bppCMYK, qkCMYK},
};

} // namespace

std::optional<TQkPixelFormat> NativeBitmapFormat(const PKPixelFormatGUID& format)
{
    for (const TNativeFormat& native : NativeFormats)
        if (SameGuid(native.Wic, format))
            return native.Bitmap;
    return std::nullopt;
}

std::optional<TQkPixelFormat> WholeBitmapFormat(const PKPixelFormatGUID& format)
{
    if (SameGuid(format, GUID_PKPixelFormat32bppBGRA) || SameGuid(format, GUID_PKPixelFormat32bppBGR))
        return qk32RGB;
    return NativeBitmapFormat(format);
}

std::optional<PKPixelFormatGUID> WicFormatOf(TQkPixelFormat format)
{
    for (const TNativeFormat& native : NativeFormats)
        if (native.Bitmap == format)
            return native.Wic;
    return std::nullopt;
}

std::optional<uint32_t> WicBitsPerPixel(const PKPixelFormatGUID& format)
{
    PKPixelInfo info{};
    info.pGUIDPixFmt = &format;
    if (PixelFormatLookup(&info, LOOKUP_FORWARD) != WMP_errSuccess || info.cbitUnit == 0)
        return std::nullopt;
    return info.cbitUnit;
}

uint32_t WicRowBytes(const PKPixelFormatGUID& format, int32_t width)
{
    return uint32_t((uint64_t(WicBitsPerPixel(format).value_or(0)) * uint64_t(width) + 7) / 8);
}

void ComplementBytes(uint8_t* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        bytes[i] = uint8_t(~bytes[i]);
}

void SwapRedAndBlue(uint8_t* row, int32_t pixels)
{
    for (int32_t x = 0; x < pixels; ++x)
        std::swap(row[4 * x], row[4 * x + 2]);
}

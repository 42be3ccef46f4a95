#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkColorReduction.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkQuantizer.h"
#include "imaging/core/QkStreamRoutines.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/QkWriterBitmaps.h"
#include "imaging/formats/gif/QkGif.h"
#include "platform/core/Streams.h"

namespace {

constexpr int32_t LargestSide = 65535;

// The pixels as table indexes, and the table.
struct TGifIndexImage {
    int32_t Bits = 8;
    // 1 << Bits entries: the image's colours, then (with alpha) the
    // transparent entry and any spare ones.
    std::vector<TRGBPixel> Table;
    // Entries that hold the image's colours.
    int32_t Colors = 0;
    bool HasAlpha = false;
    std::vector<uint8_t> Indexes;
};

void PutWord(std::vector<uint8_t>& out, int32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

uint32_t PackedColor(const TRGBPixel& colour) { return uint32_t(colour.r) << 16 | uint32_t(colour.g) << 8 | colour.b; }

int32_t NearestEntry(const TGifIndexImage& image, const TRGBPixel& colour)
{
    return FindNearestColor(image.Table.data(), image.Colors, PackedColor(colour));
}

void IndexBilevel(TQkBitmap& bitmap, TGifIndexImage& image)
{
    image.Colors = 2;
    image.Table[0] = {0, 0, 0};
    image.Table[1] = {255, 255, 255};
    const int32_t width = bitmap.GetWidth();
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        const uint8_t* row = bitmap.GetScanline(y);
        uint8_t* out = image.Indexes.data() + int64_t(y) * width;
        for (int32_t x = 0; x < width; ++x)
            out[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
    }
}

void IndexPaletted(TQkBitmap& bitmap, TGifIndexImage& image)
{
    image.Colors = bitmap.GetPaletteLength();
    std::copy_n(bitmap.GetPalette(), image.Colors, image.Table.begin());
    const int32_t width = bitmap.GetWidth();
    // Bytes past the palette take its first entry.
    const auto valid = [colors = image.Colors](uint8_t index) { return index < colors ? index : uint8_t(0); };
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y)
        std::transform(bitmap.GetScanline(y), bitmap.GetScanline(y) + width, image.Indexes.data() + int64_t(y) * width,
                       valid);
}

void IndexQuantized(TQkBitmap& bitmap, int32_t colors, TGifIndexImage& image)
{
    const TQkQuantizer quantizer(bitmap, colors, std::span(image.Table.data(), size_t(colors)));
    image.Colors = colors;
    const int32_t width = bitmap.GetWidth();
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        const auto* row = reinterpret_cast<const TRGBPixel*>(bitmap.GetScanline(y));
        uint8_t* out = image.Indexes.data() + int64_t(y) * width;
        for (int32_t x = 0; x < width; ++x)
            out[x] = static_cast<uint8_t>(quantizer.GetValidPaletteIndex(row[x]));
    }
}

// Pixels not fully opaque take the entry after the image's colours.
void ApplyAlpha(TQkBitmap& alpha, TGifIndexImage& image)
{
    const int32_t width = alpha.GetWidth();
    const auto transparent = static_cast<uint8_t>(image.Colors);
    for (int32_t y = 0; y < alpha.GetHeight(); ++y) {
        const uint8_t* row = alpha.GetScanline(y);
        uint8_t* out = image.Indexes.data() + int64_t(y) * width;
        for (int32_t x = 0; x < width; ++x)
            if (row[x] != 255)
                out[x] = transparent;
    }
}

// Bits 1 with alpha become 2 (black, white, transparent, spare): one
// entry must stay free for the transparent pixels.
TGifIndexImage IndexImage(TQkBitmap& bitmap, const TIOParamsVals& params)
{
    TGifIndexImage image;
    image.HasAlpha = bitmap.HasAlphaChannel();
    image.Bits = std::clamp(params.BitsPerSample, 1, 8);
    image.Indexes.resize(size_t(bitmap.GetWidth()) * size_t(bitmap.GetHeight()));
    std::unique_ptr<TQkBitmap> copy;
    if (image.Bits == 1) {
        image.Table.resize(4);
        IndexBilevel(BitmapInFormat(bitmap, qk1g, copy), image);
        image.Bits = image.HasAlpha ? 2 : 1;
    } else {
        image.Table.resize(size_t(1) << image.Bits);
        const int32_t colors = (1 << image.Bits) - (image.HasAlpha ? 1 : 0);
        const TQkPixelFormat format = bitmap.GetPixelFormat();
        if (format == qk8p && bitmap.GetPaletteLength() <= colors) {
            IndexPaletted(bitmap, image);
        } else {
            IndexQuantized(BitmapInFormat(bitmap, qk24RGB, copy), colors, image);
        }
    }
    image.Table.resize(size_t(1) << image.Bits);
    if (image.HasAlpha) {
        ApplyAlpha(*bitmap.GetAlphaChannel(), image);
        image.Table[image.Colors] = params.GifTranspColor;
    }
    return image;
}

std::string Signature(const std::string& version)
{
    const bool usable = version.size() == 6 && version.starts_with("GIF");
    return usable ? version : "GIF89a";
}

std::vector<uint8_t> ScreenAndTable(const TIOParamsVals& params, const TGifIndexImage& image, int32_t width,
                                    int32_t height)
{
    std::vector<uint8_t> out;
    const std::string signature = Signature(params.GifVersion);
    out.insert(out.end(), signature.begin(), signature.end());
    PutWord(out, width);
    PutWord(out, height);
    const int32_t sizeBits = image.Bits - 1;
    out.push_back(static_cast<uint8_t>(0x80 | sizeBits << 4 | sizeBits));
    out.push_back(static_cast<uint8_t>(NearestEntry(image, params.GifBackground)));
    out.push_back(0);
    for (const TRGBPixel& entry : image.Table) {
        out.push_back(entry.r);
        out.push_back(entry.g);
        out.push_back(entry.b);
    }
    return out;
}

std::vector<uint8_t> ControlAndDescriptor(const TIOParamsVals& params, const TGifIndexImage& image, int32_t width,
                                          int32_t height)
{
    const bool transparent = image.HasAlpha || params.GifTransparent;
    const int32_t transparentIndex = image.HasAlpha ? image.Colors : NearestEntry(image, params.GifTranspColor);
    std::vector<uint8_t> out{0x21, 0xF9, 0x04};
    out.push_back(static_cast<uint8_t>((params.GifDisposal & 7) << 2 | (transparent ? 1 : 0)));
    PutWord(out, params.GifDelayTime);
    out.push_back(static_cast<uint8_t>(transparentIndex));
    out.push_back(0);
    out.push_back(0x2C);
    PutWord(out, params.GifXPos);
    PutWord(out, params.GifYPos);
    PutWord(out, width);
    PutWord(out, height);
    out.push_back(params.GifInterlaced ? 0x40 : 0);
    return out;
}

// One extension per comment, in blocks of at most 255 bytes; an empty
// extension when there is none.
std::vector<uint8_t> CommentsAndTrailer(const TStringList& comments)
{
    std::vector<uint8_t> out;
    const auto extension = [&out](const std::string& text) {
        out.insert(out.end(), {0x21, 0xFE});
        for (size_t at = 0; at < text.size(); at += 255) {
            const size_t length = std::min<size_t>(255, text.size() - at);
            out.push_back(static_cast<uint8_t>(length));
            out.insert(out.end(), text.begin() + long(at), text.begin() + long(at + length));
        }
        out.push_back(0);
    };
    if (comments.Count() == 0)
        extension({});
    for (int32_t i = 0; i < comments.Count(); ++i)
        extension(comments.Strings(i));
    out.push_back(0x3B);
    return out;
}

void Write(TStream& stream, std::atomic<bool>& aborting, const std::vector<uint8_t>& bytes)
{
    SafeStreamWrite(stream, aborting, bytes.data(), int64_t(bytes.size()));
}

} // namespace

void WriteGifImage(TQkWriteRequest& request)
{
    std::atomic<bool> localAborting = false;
    std::atomic<bool>& aborting = request.Progress.Aborting ? *request.Progress.Aborting : localAborting;
    TQkProgressReporter reporter(request.Progress.Sender, &request.Progress.OnProgress);
    reporter.Report(0);
    TQkBitmap& bitmap = request.Bitmap;
    TIOParamsVals& params = request.Params;
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    const TGifLzwEncoder& encoder = params.GifLzwCompress;
    if (aborting || !encoder || width < 1 || height < 1 || width > LargestSide || height > LargestSide) {
        aborting = true;
        return;
    }
    const TGifIndexImage image = IndexImage(bitmap, params);
    if (image.HasAlpha)
        params.GifTransparent = true;
    reporter.Report(30);
    if (aborting)
        return;
    Write(request.Stream, aborting, ScreenAndTable(params, image, width, height));
    Write(request.Stream, aborting, ControlAndDescriptor(params, image, width, height));
    reporter.Report(70);
    if (aborting)
        return;
    if (!encoder(request.Stream, height, width, params.GifInterlaced, image.Indexes, image.Bits))
        aborting = true;
    Write(request.Stream, aborting, CommentsAndTrailer(params.GifComments));
    reporter.Report(100);
}

#include <cmath>
#include <cstring>
#include <memory>

#include "controls/png/PngRowReader.h"
#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkMask.h"
#include "imaging/core/QkSettings.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/png/QkPng.h"
#include "platform/core/Streams.h"

namespace {

enum : uint8_t { GrayType = 0, RgbType = 2, PaletteType = 3, GrayAlphaType = 4, RgbAlphaType = 6 };

uint32_t ChannelCount(uint8_t colorType)
{
    static const uint32_t Channels[] = {1, 0, 3, 1, 2, 0, 4};
    return colorType < 7 ? Channels[colorType] : 0;
}

uint16_t BigEndian16(const uint8_t* bytes) { return uint16_t(bytes[0] << 8 | bytes[1]); }
uint32_t BigEndian32(const uint8_t* bytes) { return uint32_t(BigEndian16(bytes)) << 16 | BigEndian16(bytes + 2); }

// A sample of the file's depth at 8 bits.
uint8_t To8Bits(uint32_t value, uint8_t depth)
{
    if (depth == 16)
        return uint8_t(value >> 8);
    if (depth == 8)
        return uint8_t(value);
    return uint8_t(value * 255 / ((1u << depth) - 1));
}

// Resolution in dots per inch of pixels per metre; 0 becomes the default.
int32_t DpiOfMetres(uint32_t pixelsPerMetre, int32_t fallback)
{
    const auto dpi = int32_t(std::nearbyint(pixelsPerMetre / 100.0 * 2.54));
    return dpi != 0 ? dpi : fallback;
}

// What the chunks before the data say beyond the header.
struct TPngAncillary {
    std::vector<TRGBPixel> Palette;
    // Alpha by palette index, or the transparent gray or colour at the
    // file's depth.
    std::vector<uint8_t> PaletteAlpha;
    bool HasTransparentValue = false;
    std::array<uint32_t, 3> TransparentValue{};
};

class TPngFileReader {
public:
    explicit TPngFileReader(TQkReadRequest& request) : FRequest(request), FParams(request.Params) {}
    void Read();

private:
    void TakeHeader();
    void TakeChunk(const TPngRawChunk& chunk);
    void TakeBackground(const std::vector<uint8_t>& data);
    bool Native() const;
    TQkPixelFormat PixelFormat() const;
    uint32_t Sample(const uint8_t* row, size_t index) const;
    void StorePixel(const uint8_t* raw, size_t column, int32_t x, uint8_t* target, uint8_t* alpha) const;
    void ReadRows(TPngRowReader& reader);
    void FinishFile(TPngRowReader& reader);

    TQkReadRequest& FRequest;
    TIOParamsVals& FParams;
    TPngHeader FHeader;
    TPngAncillary FAncillary;
    TQkPixelFormat FFormat = qk24RGB;
};

bool TPngFileReader::Native() const
{
    return FParams.NativePixelFormat && (FHeader.BitDepth == 8 || FHeader.BitDepth == 16) &&
        (FHeader.ColorType == GrayType || FHeader.ColorType == PaletteType);
}

TQkPixelFormat TPngFileReader::PixelFormat() const
{
    if (FHeader.BitDepth == 1 && FHeader.ColorType != PaletteType)
        return qk1g;
    if (!Native())
        return qk24RGB;
    if (FHeader.ColorType == PaletteType)
        return qk8p;
    return FHeader.BitDepth == 8 ? qk8g : qk16g;
}

void TPngFileReader::TakeHeader()
{
    FParams.ImageCount = 1;
    FParams.Width = FParams.StoredWidth = int32_t(FHeader.Width);
    FParams.Height = FParams.StoredHeight = int32_t(FHeader.Height);
    FParams.BitsPerSample = FHeader.BitDepth;
    FParams.SamplesPerPixel = int32_t(ChannelCount(FHeader.ColorType));
    FParams.PngInterlaced = FHeader.InterlaceMethod != 0;
    FParams.DpiX = DefaultDpiX;
    FParams.DpiY = DefaultDpiY;
    FParams.FreeColorMap();
    FParams.PngTextKeys.Clear();
    FParams.PngTextValues.Clear();
}

// bKGD samples are at the image's depth; at depth 8 a value above 255 is
// the legacy 16-bit form, whose high byte is the colour.
void TPngFileReader::TakeBackground(const std::vector<uint8_t>& data)
{
    TRGBPixel& background = FParams.PngBackground;
    const uint8_t depth = FHeader.BitDepth;
    const auto level = [depth](uint16_t value) {
        return depth == 8 && value > 255 ? uint8_t(value >> 8) : To8Bits(value, depth);
    };
    if (FHeader.ColorType == PaletteType && !data.empty()) {
        if (data[0] < FAncillary.Palette.size())
            background = FAncillary.Palette[data[0]];
    } else if ((FHeader.ColorType == GrayType || FHeader.ColorType == GrayAlphaType) && data.size() >= 2) {
        background.r = background.g = background.b = level(BigEndian16(data.data()));
    } else if (data.size() >= 6) {
        background = {level(BigEndian16(&data[4])), level(BigEndian16(&data[2])), level(BigEndian16(&data[0]))};
    }
}

void TPngFileReader::TakeChunk(const TPngRawChunk& chunk)
{
    if (!chunk.CrcValid)
        return;
    const std::vector<uint8_t>& data = chunk.Data;
    if (chunk.Name == "PLTE") {
        for (size_t i = 0; i + 2 < data.size() && i / 3 < 256; i += 3)
            FAncillary.Palette.push_back({data[i + 2], data[i + 1], data[i]});
        // A colour image's PLTE only suggests a palette.
        if (FHeader.ColorType == PaletteType) {
            FParams.ColorMap = FAncillary.Palette;
            FParams.ColorMapCount = int32_t(FAncillary.Palette.size());
        }
    } else if (chunk.Name == "tRNS") {
        if (FHeader.ColorType == PaletteType) {
            FAncillary.PaletteAlpha = data;
        } else if (data.size() >= 2 * ChannelCount(FHeader.ColorType) && ChannelCount(FHeader.ColorType) % 2 == 1) {
            FAncillary.HasTransparentValue = true;
            for (size_t c = 0; c < ChannelCount(FHeader.ColorType); ++c)
                FAncillary.TransparentValue[c] = BigEndian16(&data[c * 2]);
        }
    } else if (chunk.Name == "pHYs" && data.size() >= 9 && data[8] == 1) {
        FParams.SetDpiX(DpiOfMetres(BigEndian32(&data[0]), DefaultDpiX));
        FParams.SetDpiY(DpiOfMetres(BigEndian32(&data[4]), DefaultDpiY));
    } else if (chunk.Name == "bKGD") {
        TakeBackground(data);
    } else {
        ReadPngText(chunk, FParams);
    }
}

uint32_t TPngFileReader::Sample(const uint8_t* row, size_t index) const
{
    switch (FHeader.BitDepth) {
    case 16: return BigEndian16(row + index * 2);
    case 8: return row[index];
    default: return GetPackedSample(row, index, FHeader.BitDepth);
    }
}

// One pixel of a raw pass row into its final place in the bitmap row.
void TPngFileReader::StorePixel(const uint8_t* raw, size_t column, int32_t x, uint8_t* target, uint8_t* alpha) const
{
    const uint32_t channels = ChannelCount(FHeader.ColorType);
    const uint8_t depth = FHeader.BitDepth;
    std::array<uint32_t, 4> samples{};
    for (uint32_t c = 0; c < channels; ++c)
        samples[c] = Sample(raw, column * channels + c);
    switch (FFormat) {
    case qk1g: SetPackedSample(target, uint64_t(x), 1, samples[0]); return;
    case qk8p:
    case qk8g: target[x] = uint8_t(samples[0]); return;
    case qk16g:
        target[x * 2] = uint8_t(samples[0]);
        target[x * 2 + 1] = uint8_t(samples[0] >> 8);
        return;
    default: break;
    }
    TRGBPixel colour;
    uint8_t opacity = 255;
    if (FHeader.ColorType == PaletteType) {
        if (samples[0] < FAncillary.Palette.size())
            colour = FAncillary.Palette[samples[0]];
        if (samples[0] < FAncillary.PaletteAlpha.size())
            opacity = FAncillary.PaletteAlpha[samples[0]];
    } else if (channels <= 2) {
        colour.r = colour.g = colour.b = To8Bits(samples[0], depth);
        if (channels == 2)
            opacity = To8Bits(samples[1], depth);
    } else {
        colour = {To8Bits(samples[2], depth), To8Bits(samples[1], depth), To8Bits(samples[0], depth)};
        if (channels == 4)
            opacity = To8Bits(samples[3], depth);
    }
    if (FAncillary.HasTransparentValue && channels % 2 == 1 &&
        std::equal(samples.begin(), samples.begin() + channels, FAncillary.TransparentValue.begin()))
        opacity = 0;
    std::memcpy(target + x * 3, &colour, 3);
    if (alpha)
        alpha[x] = opacity;
}

// Every pass's pixels go straight to their places, so interlaced images
// need no image-sized buffer and passes cannot mix.
void TPngFileReader::ReadRows(TPngRowReader& reader)
{
    TQkBitmap& bitmap = FRequest.Bitmap;
    TQkMask* mask = FRequest.AlphaMask.get();
    TQkRowProgress progress(FRequest.Progress, int32_t(reader.RowCount()));
    std::vector<uint8_t> raw;
    int32_t rowsDone = 0;
    for (const TPngPass& pass : reader.Passes()) {
        raw.assign(pass.RowBytes, 0);
        for (uint32_t i = 0; i < pass.Rows; ++i) {
            if (IsAborting(FRequest.Progress))
                return;
            if (!reader.ReadRow(raw.data())) {
                SetAborting(FRequest.Progress);
                return;
            }
            const auto y = int32_t(pass.FirstRow + i * pass.RowStep);
            uint8_t* target = bitmap.GetScanline(y);
            uint8_t* alpha = mask ? mask->GetScanline(y) : nullptr;
            for (uint32_t k = 0; k < pass.Columns.Count; ++k)
                StorePixel(raw.data(), k, int32_t(pass.Columns.Start + k * pass.Columns.Step), target, alpha);
            progress.Report(++rowsDone);
        }
    }
}

// Damage after the last row loses nothing; texts after the data still count.
void TPngFileReader::FinishFile(TPngRowReader& reader)
{
    try {
        reader.Finish();
    } catch (const Exception&) {}
    for (const TPngRawChunk& chunk : reader.ChunksAfterData())
        if (chunk.CrcValid)
            ReadPngText(chunk, FParams);
}

void TPngFileReader::Read()
{
    TPngRowReader reader(FRequest.Stream);
    FHeader = reader.Header();
    TakeHeader();
    for (const TPngRawChunk& chunk : reader.ChunksBeforeData())
        TakeChunk(chunk);
    if (FRequest.ParamsOnly)
        return;
    if (!WithinDecodeLimit(FHeader.Width, FHeader.Height)) {
        SetAborting(FRequest.Progress);
        return;
    }
    FFormat = PixelFormat();
    TQkBitmap& bitmap = FRequest.Bitmap;
    if (!bitmap.Allocate(FParams.Width, FParams.Height, FFormat)) {
        SetAborting(FRequest.Progress);
        return;
    }
    // Rows the data misses stay 0.
    bitmap.Fill(0);
    if (FFormat == qk8p)
        for (size_t i = 0; i < FAncillary.Palette.size(); ++i)
            bitmap.SetPaletteColor(int32_t(i), FAncillary.Palette[i]);
    const bool alpha = FHeader.ColorType == GrayAlphaType || FHeader.ColorType == RgbAlphaType ||
        (FFormat == qk24RGB && FHeader.BitDepth > 1 &&
         (FAncillary.HasTransparentValue || !FAncillary.PaletteAlpha.empty()));
    if (alpha && !FRequest.IgnoreAlpha) {
        FRequest.AlphaMask = std::make_unique<TQkMask>();
        FRequest.AlphaMask->AllocateBits(FParams.Width, FParams.Height, 8);
    }
    ReadRows(reader);
    if (!IsAborting(FRequest.Progress))
        FinishFile(reader);
}

} // namespace

bool IsPngStream(TStream& stream)
{
    uint8_t signature[8] = {};
    const int64_t got = stream.Read(signature, 8);
    stream.Seek(-got, soCurrent);
    return got == 8 && std::memcmp(signature, PngSignature, 4) == 0;
}

void ReadPngImage(TQkReadRequest& request)
{
    request.ImageCount = 1;
    try {
        TPngFileReader reader(request);
        reader.Read();
    } catch (const std::exception&) {
        SetAborting(request.Progress);
    }
}

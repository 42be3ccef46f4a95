#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

#include "controls/png/PngErrors.h"
#include "controls/png/PngRowWriter.h"
#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkQuantizer.h"
#include "imaging/core/QkSettings.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/png/QkPng.h"
#include "platform/core/Streams.h"
#include "platform/gfx/Graphic.h"

namespace {

enum : uint8_t { GrayType = 0, RgbType = 2, PaletteType = 3, RgbAlphaType = 6 };

void PutBigEndian16(std::vector<uint8_t>& data, uint32_t value)
{
    data.push_back(uint8_t(value >> 8));
    data.push_back(uint8_t(value));
}

void PutBigEndian32(std::vector<uint8_t>& data, uint32_t value)
{
    PutBigEndian16(data, value >> 16);
    PutBigEndian16(data, value);
}

// A gray level of 8 bits at a depth of 1 to 16 bits.
uint32_t LevelAtDepth(uint8_t level, uint8_t depth)
{
    return depth == 16 ? level * 257u : uint32_t(level) >> (8 - depth);
}

// The file's layout and the source bitmap its samples come from.
class TPngFileWriter {
public:
    explicit TPngFileWriter(TQkWriteRequest& request) : FRequest(request), FParams(request.Params) {}
    void Write();

private:
    void ChooseLayout();
    void ChoosePalette(uint8_t depth);
    TQkBitmap& Converted(TQkPixelFormat format);
    std::vector<TPngRawChunk> ChunksBeforeData() const;
    TPngRawChunk Background() const;
    TFilters Filters() const;
    uint32_t PixelSample(const uint8_t* row, const uint8_t* alpha, int32_t x, uint32_t channel) const;
    void BuildRow(const TPngPass& pass, int32_t y, std::vector<uint8_t>& raw) const;

    TQkWriteRequest& FRequest;
    TIOParamsVals& FParams;
    TQkBitmap* FSource = nullptr;
    TQkBitmap FCopy;
    TQkBitmap* FAlpha = nullptr;
    TPngHeader FHeader;
    uint32_t FChannels = 3;
    std::vector<TRGBPixel> FPalette;
    std::unique_ptr<TQkQuantizer> FQuantizer;
    // Index 0 is the transparent background; the quantizer's start at 1.
    bool FMaskedPalette = false;
};

TQkBitmap& TPngFileWriter::Converted(TQkPixelFormat format)
{
    if (FSource->GetPixelFormat() != format) {
        FCopy.Assign(FSource);
        FCopy.SetPixelFormat(format);
        FSource = &FCopy;
    }
    return *FSource;
}

void TPngFileWriter::ChoosePalette(uint8_t depth)
{
    const int32_t colours = 1 << depth;
    if (FAlpha) {
        Converted(qk24RGB);
        FMaskedPalette = true;
        FHeader.BitDepth = 8;
        std::vector<TRGBPixel> entries(size_t(std::min(colours, 255)), TRGBPixel{});
        FQuantizer = std::make_unique<TQkQuantizer>(*FSource, int32_t(entries.size()), entries);
        FPalette = {FParams.PngBackground};
        FPalette.insert(FPalette.end(), FQuantizer->Palette().begin(), FQuantizer->Palette().end());
        FPalette.resize(entries.size() + 1);
        return;
    }
    if (FSource->GetPixelFormat() == qk8p && FSource->GetPaletteLength() <= colours) {
        for (int32_t i = 0; i < FSource->GetPaletteLength(); ++i)
            FPalette.push_back(FSource->GetPalette()[i]);
        return;
    }
    Converted(qk24RGB);
    std::vector<TRGBPixel> entries(size_t(colours), TRGBPixel{});
    FQuantizer = std::make_unique<TQkQuantizer>(*FSource, colours, entries);
    FPalette = FQuantizer->Palette();
    FPalette.resize(entries.size());
}

void TPngFileWriter::ChooseLayout()
{
    TQkBitmap& bitmap = FRequest.Bitmap;
    FSource = &bitmap;
    if (bitmap.HasAlphaChannel() && !bitmap.GetAlphaChannel()->Full())
        FAlpha = bitmap.GetAlphaChannel();
    FHeader.Width = uint32_t(bitmap.GetWidth());
    FHeader.Height = uint32_t(bitmap.GetHeight());
    FHeader.InterlaceMethod = FParams.PngInterlaced ? 1 : 0;
    if (FParams.SamplesPerPixel != 1) {
        Converted(qk24RGB);
        FHeader.BitDepth = 8;
        FHeader.ColorType = FAlpha ? RgbAlphaType : RgbType;
        FChannels = FAlpha ? 4 : 3;
        return;
    }
    FChannels = 1;
    uint8_t depth = uint8_t(FParams.BitsPerSample);
    if (depth != 1 && depth != 2 && depth != 4 && depth != 16)
        depth = 8;
    FHeader.BitDepth = depth;
    const bool grayOnly = !FAlpha &&
        (depth == 1 || depth == 16 || bitmap.GetPixelFormat() == qk8g || bitmap.GetPixelFormat() == qk16g ||
         bitmap.IsGrayScale());
    if (grayOnly) {
        FHeader.ColorType = GrayType;
        Converted(depth == 1 ? qk1g : depth == 16 ? qk16g : qk8g);
        return;
    }
    FHeader.ColorType = PaletteType;
    ChoosePalette(depth == 16 ? 8 : depth);
}

TPngRawChunk TPngFileWriter::Background() const
{
    const TRGBPixel& colour = FParams.PngBackground;
    TPngRawChunk chunk{"bKGD", {}, true};
    if (FHeader.ColorType == PaletteType) {
        const int32_t index = FMaskedPalette ? 0 : FQuantizer ? FQuantizer->GetValidPaletteIndex(colour) : 0;
        chunk.Data.push_back(uint8_t(index));
    } else if (FHeader.ColorType == GrayType) {
        const auto level = uint8_t((colour.r * 77 + colour.g * 150 + colour.b * 29) >> 8);
        PutBigEndian16(chunk.Data, LevelAtDepth(level, FHeader.BitDepth));
    } else {
        for (uint8_t level : {colour.r, colour.g, colour.b})
            PutBigEndian16(chunk.Data, level);
    }
    return chunk;
}

std::vector<TPngRawChunk> TPngFileWriter::ChunksBeforeData() const
{
    std::vector<TPngRawChunk> chunks;
    if (FHeader.ColorType == PaletteType) {
        TPngRawChunk palette{"PLTE", {}, true};
        for (const TRGBPixel& entry : FPalette)
            palette.Data.insert(palette.Data.end(), {entry.r, entry.g, entry.b});
        chunks.push_back(palette);
        if (FMaskedPalette)
            chunks.push_back({"tRNS", {0}, true});
    }
    TPngRawChunk physical{"pHYs", {}, true};
    PutBigEndian32(physical.Data, uint32_t(std::nearbyint(FParams.DpiX * 100 / 2.54)));
    PutBigEndian32(physical.Data, uint32_t(std::nearbyint(FParams.DpiY * 100 / 2.54)));
    physical.Data.push_back(1);
    chunks.push_back(physical);
    chunks.push_back(Background());
    const std::vector<TPngRawChunk> texts = PngTextChunks(FParams);
    chunks.insert(chunks.end(), texts.begin(), texts.end());
    return chunks;
}

TFilters TPngFileWriter::Filters() const
{
    switch (FParams.PngFilter) {
    case 0: return pfNone;
    case 1: return pfSub;
    case 2: return pfPaeth;
    default:
        if (FHeader.BitDepth >= 8 && FHeader.ColorType != PaletteType)
            return pfNone | pfSub | pfUp | pfAverage | pfPaeth;
        return pfNone;
    }
}

// Sample `channel` of pixel x at the file's depth.
uint32_t TPngFileWriter::PixelSample(const uint8_t* row, const uint8_t* alpha, int32_t x, uint32_t channel) const
{
    if (FHeader.ColorType == RgbType || FHeader.ColorType == RgbAlphaType)
        return channel == 3 ? alpha[x] : row[x * 3 + 2 - int32_t(channel)];
    if (FHeader.ColorType == GrayType) {
        switch (FSource->GetPixelFormat()) {
        case qk1g: return GetPackedSample(row, uint64_t(x), 1);
        case qk16g: return uint32_t(row[x * 2] | row[x * 2 + 1] << 8);
        default: return LevelAtDepth(row[x], FHeader.BitDepth);
        }
    }
    if (!FQuantizer)
        return row[x];
    const TRGBPixel& colour = reinterpret_cast<const TRGBPixel*>(row)[x];
    const auto index = uint32_t(FQuantizer->GetValidPaletteIndex(colour));
    if (!FMaskedPalette)
        return index;
    return alpha[x] == 255 ? index + 1 : 0;
}

void TPngFileWriter::BuildRow(const TPngPass& pass, int32_t y, std::vector<uint8_t>& raw) const
{
    const uint8_t* row = FSource->GetScanline(y);
    const uint8_t* alpha = FAlpha ? FAlpha->GetScanline(y) : nullptr;
    std::fill(raw.begin(), raw.end(), 0);
    for (uint32_t k = 0; k < pass.Columns.Count; ++k) {
        const auto x = int32_t(pass.Columns.Start + k * pass.Columns.Step);
        for (uint32_t c = 0; c < FChannels; ++c) {
            const uint32_t value = PixelSample(row, alpha, x, c);
            const size_t index = size_t(k) * FChannels + c;
            if (FHeader.BitDepth == 16) {
                raw[index * 2] = uint8_t(value >> 8);
                raw[index * 2 + 1] = uint8_t(value);
            } else if (FHeader.BitDepth == 8) {
                raw[index] = uint8_t(value);
            } else {
                SetPackedSample(raw.data(), index, FHeader.BitDepth, value);
            }
        }
    }
}

void TPngFileWriter::Write()
{
    ChooseLayout();
    TPngRowWriter writer(FRequest.Stream, FHeader, ChunksBeforeData(), Filters(),
                         std::clamp(FParams.PngCompression, 0, 9));
    TQkRowProgress progress(FRequest.Progress, int32_t(writer.RowCount()));
    std::vector<uint8_t> raw;
    for (const TPngPass& pass : writer.Passes()) {
        raw.resize(pass.RowBytes);
        for (uint32_t i = 0; i < pass.Rows; ++i) {
            if (IsAborting(FRequest.Progress))
                return;
            BuildRow(pass, int32_t(pass.FirstRow + i * pass.RowStep), raw);
            writer.WriteRow(raw.data());
            progress.Report(int32_t(writer.RowsWritten()));
        }
    }
    writer.Finish();
}

} // namespace

void WritePngImage(TQkWriteRequest& request)
{
    if (request.Bitmap.IsEmpty()) {
        SetAborting(request.Progress);
        return;
    }
    try {
        TPngFileWriter writer(request);
        writer.Write();
    } catch (const EStreamError&) {
        SetAborting(request.Progress);
    } catch (const EPngError&) {
        throw EInvalidGraphic("Error on creating PNG");
    } catch (const EPNGZLIBError&) {
        throw EInvalidGraphic("Error on creating PNG");
    }
}

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkDateTime.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkPixelBuffers.h"
#include "imaging/core/QkQuantizer.h"
#include "imaging/core/QkStreamRoutines.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/QkWriterBitmaps.h"
#include "imaging/formats/targa/QkTarga.h"
#include "imaging/formats/targa/QkTargaLayout.h"
#include "platform/core/Streams.h"

using namespace TgaLayout;

namespace {

constexpr int32_t LongestPacket = 128;
constexpr size_t LongestImageId = 254;

// What the file holds, chosen from the parameters and the bitmap.
struct TTgaLayoutChoice {
    int32_t Depth = 24;
    bool Gray = false;
    bool RunLength = false;
    // Colour-mapped depth 8: the map's entries (16 or 256).
    int32_t MapEntries = 0;
};

TTgaLayoutChoice ChooseLayout(const TIOParamsVals& params, bool hasAlpha)
{
    TTgaLayoutChoice choice;
    if (params.SamplesPerPixel == 1 && params.BitsPerSample == 1)
        return {1, false, false, 0};
    if (params.SamplesPerPixel == 1 && (params.BitsPerSample == 4 || params.BitsPerSample == 8)) {
        choice.Depth = 8;
        choice.Gray = params.TgaWriteGray;
        choice.MapEntries = choice.Gray ? 0 : 1 << params.BitsPerSample;
        choice.RunLength = params.TgaCompressed;
        return choice;
    }
    if (hasAlpha)
        return {32, false, false, 0};
    choice.RunLength = params.TgaCompressed;
    return choice;
}

int32_t ImageType(const TTgaLayoutChoice& choice)
{
    const int32_t plain = choice.Depth == 1 || choice.Gray ? 3 : choice.Depth == 8 ? 1 : 2;
    return plain + (choice.RunLength ? 8 : 0);
}

std::array<uint8_t, HeaderSize> HeaderBytes(const TIOParamsVals& params, const TTgaLayoutChoice& choice, int32_t width,
                                            int32_t height, size_t idLength)
{
    std::array<uint8_t, HeaderSize> bytes{};
    bytes[Header::IdLength] = static_cast<uint8_t>(idLength);
    bytes[Header::ColorMapType] = choice.MapEntries > 0 ? 1 : 0;
    bytes[Header::ImageType] = static_cast<uint8_t>(ImageType(choice));
    PutWord(&bytes[Header::MapLength], uint32_t(choice.MapEntries));
    bytes[Header::EntrySize] = choice.MapEntries > 0 ? 24 : 0;
    PutWord(&bytes[Header::XOrigin], uint32_t(params.TgaXPos));
    PutWord(&bytes[Header::YOrigin], uint32_t(params.TgaYPos));
    PutWord(&bytes[Header::Width], uint32_t(width));
    PutWord(&bytes[Header::Height], uint32_t(height));
    bytes[Header::Depth] = static_cast<uint8_t>(choice.Depth);
    bytes[Header::Descriptor] = TopToBottom | (choice.Depth == 32 ? 8 : 0);
    return bytes;
}

bool SamePixel(const uint8_t* a, const uint8_t* b, int32_t size) { return std::equal(a, a + size, b); }

// Runs of two or more equal pixels, literal packets between them; no
// packet crosses the row's end.
void EncodeRunLength(const uint8_t* row, int32_t count, int32_t size, std::vector<uint8_t>& out)
{
    int32_t at = 0;
    const auto pixel = [&](int32_t index) { return row + int64_t(index) * size; };
    while (at < count) {
        int32_t run = 1;
        while (at + run < count && run < LongestPacket && SamePixel(pixel(at), pixel(at + run), size))
            ++run;
        if (run >= 2) {
            out.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
            out.insert(out.end(), pixel(at), pixel(at) + size);
            at += run;
            continue;
        }
        int32_t literal = 1;
        while (at + literal < count && literal < LongestPacket - 1 &&
               !(at + literal + 1 < count && SamePixel(pixel(at + literal), pixel(at + literal + 1), size)))
            ++literal;
        if (at + literal == count - 1 && literal == LongestPacket - 1)
            ++literal;
        out.push_back(static_cast<uint8_t>(literal - 1));
        out.insert(out.end(), pixel(at), pixel(at + literal));
        at += literal;
    }
}

std::array<uint8_t, ExtensionSize> ExtensionBytes(const TIOParamsVals& params)
{
    std::array<uint8_t, ExtensionSize> area{};
    PutWord(&area[0], ExtensionSize);
    const auto putText = [&area](int32_t at, size_t length, const std::string& text) {
        std::copy_n(text.begin(), std::min(text.size(), length - 1), area.begin() + at);
    };
    putText(Extension::Author, Extension::AuthorLength, params.TgaAuthor);
    putText(Extension::JobName, Extension::JobNameLength, params.TgaJobName);
    const TSystemTime date = DateTimeToSystemTime(params.TgaDate);
    int32_t at = Extension::Date;
    for (uint16_t part : {date.Month, date.Day, date.Year, date.Hour, date.Minute, date.Second}) {
        PutWord(&area[at], part);
        at += 2;
    }
    const TRGBPixel& key = params.TgaBackground;
    std::copy_n(std::array<uint8_t, 4>{0, key.r, key.g, key.b}.begin(), 4, area.begin() + Extension::KeyColor);
    const auto putRatio = [&area](int32_t field, double value) {
        const double scaled = std::trunc(value * 10000);
        PutWord(&area[field], uint32_t(std::clamp(scaled, 0.0, 65535.0)));
        PutWord(&area[field + 2], 10000);
    };
    putRatio(Extension::PixelAspect, params.TgaAspectRatio);
    putRatio(Extension::Gamma, params.TgaGamma);
    return area;
}

class TTgaWriter {
public:
    TTgaWriter(TQkWriteRequest& request, std::atomic<bool>& aborting)
        : request_(request), params_(request.Params), aborting_(aborting)
    {}

    void Run()
    {
        TQkBitmap& original = request_.Bitmap;
        alpha_ = original.HasAlphaChannel() ? original.GetAlphaChannel() : nullptr;
        choice_ = ChooseLayout(params_, alpha_ != nullptr);
        params_.TgaCompressed = choice_.RunLength;
        std::unique_ptr<TQkBitmap> copy;
        TQkBitmap& bitmap = BitmapInFormat(original, choice_.Depth == 1 ? qk1g : qk24RGB, copy);
        start_ = request_.Stream.Position();
        if (choice_.MapEntries > 0)
            BuildMap(bitmap);
        WriteHeader(bitmap);
        WriteRows(bitmap);
        WriteTrailer();
    }

private:
    void BuildMap(TQkBitmap& bitmap)
    {
        map_.resize(size_t(choice_.MapEntries));
        quantizer_ = std::make_unique<TQkQuantizer>(bitmap, choice_.MapEntries, map_);
        params_.FreeColorMap();
        params_.ColorMap = map_;
        params_.ColorMapCount = choice_.MapEntries;
    }

    void WriteHeader(TQkBitmap& bitmap)
    {
        const std::string id = params_.TgaImageId.substr(0, LongestImageId);
        const auto header = HeaderBytes(params_, choice_, bitmap.GetWidth(), bitmap.GetHeight(), id.size() + 1);
        std::vector<uint8_t> out(header.begin(), header.end());
        out.insert(out.end(), id.begin(), id.end());
        out.push_back(0);
        for (const TRGBPixel& entry : map_)
            out.insert(out.end(), {entry.b, entry.g, entry.r});
        Write(out);
    }

    void WriteRows(TQkBitmap& bitmap)
    {
        const int32_t width = bitmap.GetWidth();
        const int32_t height = bitmap.GetHeight();
        const int32_t pixelSize = std::max(1, choice_.Depth / 8);
        std::vector<uint8_t> row(size_t(width) * size_t(pixelSize) + 4);
        std::vector<uint8_t> out;
        TQkRowProgress progress(request_.Progress, height);
        for (int32_t y = 0; y < height; ++y) {
            progress.Report(y);
            const int64_t bytes = ConvertRow(bitmap, y, row.data());
            out.clear();
            if (choice_.RunLength)
                EncodeRunLength(row.data(), width, pixelSize, out);
            else
                out.assign(row.begin(), row.begin() + bytes);
            Write(out);
        }
    }

    // The file's bytes of one row; returns their count.
    int64_t ConvertRow(TQkBitmap& bitmap, int32_t y, uint8_t* out)
    {
        const int32_t width = bitmap.GetWidth();
        const uint8_t* row = bitmap.GetScanline(y);
        if (choice_.Depth == 1) {
            const int64_t bytes = (int64_t(width) + 7) / 8;
            std::copy_n(row, bytes, out);
            return bytes;
        }
        const auto* pixels = reinterpret_cast<const TRGBPixel*>(row);
        if (choice_.Gray) {
            std::transform(pixels, pixels + width, out, RGBPixelToGray);
            return width;
        }
        if (choice_.Depth == 8)
            return ConvertRowBitDepth(row, out, 24, quantizer_.get(), map_, width, 8);
        if (choice_.Depth == 24) {
            std::copy_n(row, int64_t(width) * 3, out);
            return int64_t(width) * 3;
        }
        const uint8_t* alpha = alpha_->GetScanline(y);
        for (int32_t x = 0; x < width; ++x)
            std::copy_n(std::array<uint8_t, 4>{pixels[x].b, pixels[x].g, pixels[x].r, alpha[x]}.begin(), 4,
                        out + int64_t(x) * 4);
        return int64_t(width) * 4;
    }

    void WriteTrailer()
    {
        const int64_t offset = request_.Stream.Position() - start_;
        const auto area = ExtensionBytes(params_);
        Write(std::vector<uint8_t>(area.begin(), area.end()));
        std::vector<uint8_t> footer(8, 0);
        for (int32_t i = 0; i < 4; ++i)
            footer[size_t(i)] = static_cast<uint8_t>(offset >> (8 * i));
        footer.insert(footer.end(), Signature.begin(), Signature.end());
        Write(footer);
    }

    void Write(const std::vector<uint8_t>& bytes)
    {
        SafeStreamWrite(request_.Stream, aborting_, bytes.data(), int64_t(bytes.size()));
    }

    TQkWriteRequest& request_;
    TIOParamsVals& params_;
    std::atomic<bool>& aborting_;
    TQkBitmap* alpha_ = nullptr;
    TTgaLayoutChoice choice_;
    std::vector<TRGBPixel> map_;
    std::unique_ptr<TQkQuantizer> quantizer_;
    int64_t start_ = 0;
};

} // namespace

void WriteTargaImage(TQkWriteRequest& request)
{
    std::atomic<bool> localAborting = false;
    std::atomic<bool>& aborting = request.Progress.Aborting ? *request.Progress.Aborting : localAborting;
    const int32_t width = request.Bitmap.GetWidth();
    const int32_t height = request.Bitmap.GetHeight();
    if (width < 1 || height < 1 || width > 65535 || height > 65535) {
        aborting = true;
        return;
    }
    auto writer = std::make_unique<TTgaWriter>(request, aborting);
    writer->Run();
}

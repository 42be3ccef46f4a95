#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkDateTime.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/targa/QkTarga.h"
#include "imaging/formats/targa/QkTargaLayout.h"
#include "platform/core/Streams.h"

using namespace TgaLayout;

namespace {

constexpr int32_t BufferSize = 8192;
constexpr int32_t PaletteSize = 256;

// Bytes from the stream through a buffer; past the end they read 0 and
// the source remembers it ran short.
class TTgaByteSource {
public:
    explicit TTgaByteSource(TStream& stream) : stream_(stream) {}

    void Read(uint8_t* out, int64_t count)
    {
        while (count > 0) {
            if (at_ == filled_ && !Refill()) {
                std::fill_n(out, count, 0);
                short_ = true;
                return;
            }
            const int64_t step = std::min<int64_t>(count, filled_ - at_);
            std::copy_n(buffer_.data() + at_, step, out);
            at_ += step;
            out += step;
            count -= step;
        }
    }

    uint8_t Byte()
    {
        uint8_t value = 0;
        Read(&value, 1);
        return value;
    }

    bool Short() const { return short_; }

private:
    bool Refill()
    {
        filled_ = stream_.Read(buffer_.data(), BufferSize);
        at_ = 0;
        return filled_ > 0;
    }

    TStream& stream_;
    std::array<uint8_t, BufferSize> buffer_{};
    int64_t filled_ = 0;
    int64_t at_ = 0;
    bool short_ = false;
};

struct TTgaHeader {
    std::array<uint8_t, HeaderSize> Bytes{};

    int32_t Type() const { return Bytes[Header::ImageType]; }
    int32_t Depth() const { return Bytes[Header::Depth]; }
    int32_t Width() const { return Word(&Bytes[Header::Width]); }
    int32_t Height() const { return Word(&Bytes[Header::Height]); }
    bool Mapped() const { return Bytes[Header::ColorMapType] == 1; }
    int32_t EntrySize() const { return Bytes[Header::EntrySize]; }
    bool RunLength() const { return Type() >= 9; }
    uint8_t Descriptor() const { return Bytes[Header::Descriptor]; }
};

struct TTgaPixel {
    TRGBPixel Colour;
    uint8_t Alpha = 255;
};

TRGBPixel Expand555(uint16_t value)
{
    return {static_cast<uint8_t>((value & 0x1F) * 8), static_cast<uint8_t>(((value >> 5) & 0x1F) * 8),
            static_cast<uint8_t>(((value >> 10) & 0x1F) * 8)};
}

// The text of a fixed-size field, up to its first zero byte.
std::string FieldText(const uint8_t* field, size_t length)
{
    const auto* text = reinterpret_cast<const char*>(field);
    return {text, std::find(text, text + length, '\0')};
}

double Ratio(const uint8_t* field, double otherwise)
{
    const uint16_t numerator = Word(field);
    const uint16_t denominator = Word(field + 2);
    return numerator != 0 && denominator != 0 ? double(numerator) / denominator : otherwise;
}

void ReadDate(const uint8_t* field, TIOParamsVals& params)
{
    TSystemTime time;
    time.Month = Word(field);
    time.Day = Word(field + 2);
    time.Year = Word(field + 4);
    time.Hour = Word(field + 6);
    time.Minute = Word(field + 8);
    time.Second = Word(field + 10);
    const bool valid = time.Month >= 1 && time.Month <= 12 && time.Day >= 1 && time.Day <= 31 && time.Year >= 1 &&
        time.Year <= 2499 && time.Hour < 24 && time.Minute < 60 && time.Second < 60;
    if (valid)
        params.TgaDate = SystemTimeToDateTime(time);
}

// The TGA 2.0 fields, when the file ends with a footer whose extension
// area lies inside the data.
void ReadExtensionArea(TStream& stream, int64_t start, TIOParamsVals& params)
{
    const int64_t size = stream.Size();
    std::array<uint8_t, FooterSize> footer{};
    if (size - start < HeaderSize + FooterSize)
        return;
    stream.SetPosition(size - FooterSize);
    if (stream.Read(footer.data(), FooterSize) != FooterSize ||
        std::string_view(reinterpret_cast<const char*>(&footer[8]), Signature.size()) != Signature)
        return;
    const int64_t offset = footer[0] | footer[1] << 8 | footer[2] << 16 | int64_t(footer[3]) << 24;
    std::array<uint8_t, ExtensionSize> area{};
    if (offset == 0 || start + offset + ExtensionSize > size)
        return;
    stream.SetPosition(start + offset);
    if (stream.Read(area.data(), ExtensionSize) != ExtensionSize)
        return;
    params.TgaAuthor = FieldText(&area[Extension::Author], Extension::AuthorLength);
    ReadDate(&area[Extension::Date], params);
    params.TgaJobName = FieldText(&area[Extension::JobName], Extension::JobNameLength);
    const uint8_t* key = &area[Extension::KeyColor];
    params.TgaBackground = {key[3], key[2], key[1]};
    params.TgaAspectRatio = Ratio(&area[Extension::PixelAspect], params.TgaAspectRatio);
    params.TgaGamma = Ratio(&area[Extension::Gamma], params.TgaGamma);
}

class TTgaReader {
public:
    explicit TTgaReader(TQkReadRequest& request)
        : request_(request), params_(request.Params), progress_(request.Progress), source_(request.Stream)
    {}

    void Run()
    {
        TStream& stream = request_.Stream;
        const int64_t start = stream.Position();
        SetDefaults();
        ReadExtensionArea(stream, start, params_);
        stream.SetPosition(start);
        source_.Read(header_.Bytes.data(), HeaderSize);
        params_.TgaXPos = Word(&header_.Bytes[Header::XOrigin]);
        params_.TgaYPos = Word(&header_.Bytes[Header::YOrigin]);
        if (!Decodable())
            return SetAborting(progress_);
        ReadImageId();
        ReadPalette();
        SetImageParams();
        if (request_.ParamsOnly)
            return;
        if (!AllocateImage())
            return SetAborting(progress_);
        ReadRows();
        KeepUsefulMask();
    }

private:
    void SetDefaults()
    {
        params_.TgaAuthor.clear();
        params_.TgaJobName.clear();
        params_.TgaDate = TodayAsDateTime();
        params_.TgaBackground = {};
        params_.TgaAspectRatio = 1.0;
        params_.TgaGamma = 2.2;
        // The 3-3-2 colour cube, for colour-mapped data without a map.
        for (int32_t i = 0; i < PaletteSize; ++i)
            palette_[i].Colour = {static_cast<uint8_t>((i & 3) * 64 + 60), static_cast<uint8_t>((i >> 2 & 7) * 32 + 28),
                                  static_cast<uint8_t>((i >> 5) * 32 + 28)};
    }

    // Depth 4 has no defined layout and 1-bit runs no defined packing.
    bool Decodable() const
    {
        const int32_t depth = header_.Depth();
        const bool known = IsKnownType(header_.Type()) && IsKnownDepth(depth) && depth != 4;
        return known && !(depth == 1 && header_.RunLength()) && header_.Width() > 0 && header_.Height() > 0 &&
            WithinDecodeLimit(header_.Width(), header_.Height());
    }

    // Writers pad the ID with zero bytes; they are not part of it.
    void ReadImageId()
    {
        std::string id(header_.Bytes[Header::IdLength], '\0');
        source_.Read(reinterpret_cast<uint8_t*>(id.data()), int64_t(id.size()));
        id.erase(id.find_last_not_of('\0') + 1);
        params_.TgaImageId = id;
    }

    void ReadPalette()
    {
        if (header_.Mapped())
            return ReadColorMap();
        params_.TgaWriteGray = header_.Depth() == 8;
        if (header_.Depth() == 8)
            for (int32_t i = 0; i < PaletteSize; ++i)
                palette_[i].Colour = {uint8_t(i), uint8_t(i), uint8_t(i)};
        if (header_.Depth() == 1) {
            palette_[0].Colour = {0, 0, 0};
            palette_[1].Colour = {255, 255, 255};
        }
    }

    // Entries past the 256th are read and dropped.
    void ReadColorMap()
    {
        const int32_t first = Word(&header_.Bytes[Header::FirstEntry]);
        const int32_t length = Word(&header_.Bytes[Header::MapLength]);
        const int32_t entryBytes = (header_.EntrySize() + 7) / 8;
        std::array<uint8_t, 8> entry{};
        for (int32_t i = 0; i < length; ++i) {
            source_.Read(entry.data(), std::min(entryBytes, 8));
            if (entryBytes > 8)
                for (int32_t skip = 8; skip < entryBytes; ++skip)
                    source_.Byte();
            if (first + i < PaletteSize)
                palette_[first + i] = MapEntry(entry.data(), entryBytes);
        }
        paletteAlpha_ = header_.EntrySize() == 32;
        params_.FreeColorMap();
        params_.ColorMapCount = std::min(length, PaletteSize);
        for (int32_t i = 0; i < params_.ColorMapCount; ++i)
            params_.ColorMap.push_back(palette_[i].Colour);
        params_.TgaWriteGray = false;
    }

    static TTgaPixel MapEntry(const uint8_t* bytes, int32_t entryBytes)
    {
        if (entryBytes == 2)
            return {Expand555(Word(bytes))};
        if (entryBytes == 3 || entryBytes == 4)
            return {{bytes[0], bytes[1], bytes[2]}, entryBytes == 4 ? bytes[3] : uint8_t(255)};
        return {};
    }

    void SetImageParams()
    {
        params_.TgaCompressed = header_.RunLength();
        params_.Width = params_.StoredWidth = header_.Width();
        params_.Height = params_.StoredHeight = header_.Height();
        params_.DpiX = DefaultDpiX;
        params_.DpiY = DefaultDpiY;
        params_.ImageCount = 1;
        request_.ImageCount = 1;
        switch (header_.Depth()) {
        case 1: params_.BitsPerSample = 1, params_.SamplesPerPixel = 1; break;
        case 8: params_.BitsPerSample = 8, params_.SamplesPerPixel = 1; break;
        case 16: params_.BitsPerSample = 5, params_.SamplesPerPixel = 3; break;
        case 24: params_.BitsPerSample = 8, params_.SamplesPerPixel = 3; break;
        default: params_.BitsPerSample = 8, params_.SamplesPerPixel = 4; break;
        }
    }

    bool AllocateImage()
    {
        const int32_t width = header_.Width();
        const int32_t height = header_.Height();
        TQkBitmap& bitmap = request_.Bitmap;
        if (!bitmap.Allocate(width, height, header_.Depth() == 1 ? qk1g : qk24RGB))
            return false;
        bitmap.Fill(0);
        const bool alpha = header_.Depth() == 32 || (header_.Mapped() && header_.EntrySize() == 32);
        if (alpha && !request_.IgnoreAlpha) {
            request_.AlphaMask = std::make_unique<TQkMask>();
            request_.AlphaMask->AllocateBits(width, height, 8);
            request_.AlphaMask->Fill(255);
            request_.AlphaMask->SetFull(false);
        }
        return true;
    }

    void ReadRows()
    {
        const int32_t width = header_.Width();
        const int32_t height = header_.Height();
        const bool topDown = header_.Descriptor() & TopToBottom;
        const bool mirrored = header_.Descriptor() & RightToLeft;
        std::vector<TTgaPixel> row(size_t(width), TTgaPixel{});
        std::vector<uint8_t> packed(size_t(width + 7) / 8);
        TQkRowProgress progress(progress_, height);
        for (int32_t done = 0; done < height && !IsAborting(progress_); ++done) {
            const int32_t y = topDown ? done : height - 1 - done;
            if (header_.Depth() == 1) {
                source_.Read(packed.data(), int64_t(packed.size()));
                StoreBilevelRow(packed, mirrored, y);
            } else {
                DecodeRow(row);
                if (mirrored)
                    std::reverse(row.begin(), row.end());
                StoreRow(row, y);
            }
            progress.Report(done + 1);
            if (source_.Short())
                SetAborting(progress_);
        }
    }

    void StoreBilevelRow(const std::vector<uint8_t>& packed, bool mirrored, int32_t y)
    {
        const int32_t width = header_.Width();
        uint8_t* out = request_.Bitmap.GetScanline(y);
        std::fill_n(out, packed.size(), 0);
        for (int32_t x = 0; x < width; ++x) {
            const int32_t from = mirrored ? width - 1 - x : x;
            if (packed[from >> 3] & (0x80 >> (from & 7)))
                out[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
        }
    }

    void StoreRow(const std::vector<TTgaPixel>& row, int32_t y)
    {
        auto* out = reinterpret_cast<TRGBPixel*>(request_.Bitmap.GetScanline(y));
        uint8_t* alpha = request_.AlphaMask ? request_.AlphaMask->GetScanline(y) : nullptr;
        for (size_t x = 0; x < row.size(); ++x) {
            out[x] = row[x].Colour;
            if (alpha)
                alpha[x] = row[x].Alpha;
        }
    }

    TTgaPixel ReadPixel()
    {
        std::array<uint8_t, 4> bytes{};
        switch (header_.Depth()) {
        case 8: {
            const TTgaPixel& entry = palette_[source_.Byte()];
            return {entry.Colour, paletteAlpha_ ? entry.Alpha : uint8_t(255)};
        }
        case 16: source_.Read(bytes.data(), 2); return {Expand555(Word(bytes.data()))};
        case 24: source_.Read(bytes.data(), 3); return {{bytes[0], bytes[1], bytes[2]}};
        default: source_.Read(bytes.data(), 4); return {{bytes[0], bytes[1], bytes[2]}, bytes[3]};
        }
    }

    // Run-length packets may go on into the next row.
    void DecodeRow(std::vector<TTgaPixel>& row)
    {
        for (TTgaPixel& pixel : row) {
            if (!header_.RunLength()) {
                pixel = ReadPixel();
                continue;
            }
            if (pending_ == 0) {
                const uint8_t packet = source_.Byte();
                pending_ = (packet & 0x7F) + 1;
                run_ = packet & 0x80;
                if (run_)
                    runPixel_ = ReadPixel();
            }
            pixel = run_ ? runPixel_ : ReadPixel();
            --pending_;
        }
    }

    // An alpha channel that is 0 everywhere means the writer did not set
    // it, so the image loads opaque.
    void KeepUsefulMask()
    {
        if (!request_.AlphaMask)
            return;
        request_.AlphaMask->UpdateBounds();
        if (request_.AlphaMask->IsEmpty())
            request_.AlphaMask.reset();
    }

    TQkReadRequest& request_;
    TIOParamsVals& params_;
    TQkFilterProgress& progress_;
    TTgaByteSource source_;
    TTgaHeader header_;
    std::array<TTgaPixel, PaletteSize> palette_{};
    bool paletteAlpha_ = false;
    int32_t pending_ = 0;
    bool run_ = false;
    TTgaPixel runPixel_;
};

} // namespace

bool IsTgaStream(TStream& stream)
{
    const int64_t start = stream.Position();
    std::array<uint8_t, HeaderSize> bytes{};
    const bool complete = stream.Read(bytes.data(), HeaderSize) == HeaderSize;
    stream.SetPosition(start);
    const int32_t mapType = bytes[Header::ColorMapType];
    return complete && IsKnownType(bytes[Header::ImageType]) && IsKnownDepth(bytes[Header::Depth]) && mapType <= 1 &&
        Word(&bytes[Header::Width]) != 0 && Word(&bytes[Header::Height]) != 0;
}

void ReadTargaImage(TQkReadRequest& request)
{
    auto reader = std::make_unique<TTgaReader>(request);
    reader->Run();
}

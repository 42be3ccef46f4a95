#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/gif/QkGif.h"
#include "platform/core/Streams.h"

namespace {

constexpr int32_t GuardedSide = 65000;
constexpr int64_t GuardedSlack = 2000;

// Entries a table does not hold read black, so every index has a colour.
using TGifPalette = std::array<TRGBPixel, 256>;

struct TGifTable {
    bool Present = false;
    int32_t Bits = 0;
    TGifPalette Colors{};
};

struct TGifControl {
    uint8_t Flags = 0;
    uint16_t Delay = 0;
    uint8_t TransparentIndex = 0;
};

struct TGifDescriptor {
    uint16_t Left = 0;
    uint16_t Top = 0;
    uint16_t Width = 0;
    uint16_t Height = 0;
    uint8_t Flags = 0;
};

bool IsGray(const TRGBPixel& colour, uint8_t level)
{
    return colour.r == level && colour.g == level && colour.b == level;
}

uint16_t Word(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | bytes[1] << 8); }

// -1 at the end of the stream.
int32_t ReadByte(TStream& stream)
{
    uint8_t byte = 0;
    return stream.Read(&byte, 1) == 1 ? byte : -1;
}

// Size bytes and blocks up to the zero-size one or the end of the stream;
// the blocks' bytes are handed to `take`.
template <typename Take>
void ReadSubBlocks(TStream& stream, Take take)
{
    std::array<uint8_t, 255> block{};
    int32_t size = 0;
    while ((size = ReadByte(stream)) > 0) {
        const int64_t got = stream.Read(block.data(), size);
        take(block.data(), got);
        if (got < size)
            return;
    }
}

void SkipSubBlocks(TStream& stream)
{
    ReadSubBlocks(stream, [](const uint8_t*, int64_t) {});
}

// The table of 2 << packedSize entries, file order red, green, blue.
TGifTable ReadTable(TStream& stream, int32_t packedSize)
{
    TGifTable table;
    table.Present = true;
    table.Bits = (packedSize & 7) + 1;
    const int32_t count = 1 << table.Bits;
    std::array<uint8_t, 256 * 3> rgb{};
    stream.Read(rgb.data(), int64_t(count) * 3);
    for (int32_t i = 0; i < count; ++i)
        table.Colors[i] = {rgb[i * 3 + 2], rgb[i * 3 + 1], rgb[i * 3]};
    return table;
}

class TGifReader {
public:
    explicit TGifReader(TQkReadRequest& request)
        : request_(request), stream_(request.Stream), params_(request.Params), progress_(request.Progress),
          reporter_(progress_.Sender, &progress_.OnProgress)
    {}

    void Run()
    {
        reporter_.Report(0);
        if (IsAborting(progress_))
            return;
        if (!ReadScreen())
            return SetAborting(progress_);
        ReadBlocks();
        const bool wantedMissing = !imageRead_ && params_.GifImageIndex >= count_;
        if (wantedMissing && !request_.ParamsOnly)
            SetAborting(progress_);
        request_.ImageCount = count_;
        params_.SetImageCount(count_);
        if (!IsAborting(progress_))
            reporter_.Report(100);
    }

private:
    bool ReadScreen()
    {
        std::array<uint8_t, 13> header{};
        if (stream_.Read(header.data(), 13) != 13 || header[0] != 'G' || header[1] != 'I' || header[2] != 'F')
            return false;
        params_.GifVersion.assign(reinterpret_cast<const char*>(header.data()), 6);
        params_.GifScreenWidth = Word(&header[6]);
        params_.GifScreenHeight = Word(&header[8]);
        params_.GifPixelAspect = header[12];
        params_.DpiX = DefaultDpiX;
        params_.DpiY = DefaultDpiY;
        params_.SamplesPerPixel = 1;
        params_.GifComments.Clear();
        if (header[10] & 0x80) {
            global_ = ReadTable(stream_, header[10]);
            params_.GifBackground = global_.Colors[header[11]];
        }
        return true;
    }

    void ReadBlocks()
    {
        if (stream_.Position() >= stream_.Size())
            SetAborting(progress_);
        while (!IsAborting(progress_)) {
            const int32_t introducer = ReadByte(stream_);
            if (introducer == '!')
                ReadExtension();
            else if (introducer == ',')
                ReadImageBlock();
            else if (introducer == ';' || introducer < 0)
                return;
        }
    }

    void ReadExtension()
    {
        const int32_t label = ReadByte(stream_);
        if (label == 0xF9 && count_ == params_.GifImageIndex)
            ReadControl();
        else if (label == 0xFE)
            ReadComment();
        else
            SkipSubBlocks(stream_);
    }

    // Its first block holds flags, delay and transparent index.
    void ReadControl()
    {
        std::vector<uint8_t> data;
        ReadSubBlocks(stream_, [&data](const uint8_t* bytes, int64_t count) {
            if (data.empty())
                data.assign(bytes, bytes + count);
        });
        data.resize(std::max<size_t>(data.size(), 4));
        control_ = {data[0], Word(&data[1]), data[3]};
    }

    // One comment per extension, its blocks joined, up to a zero byte.
    void ReadComment()
    {
        std::string text;
        ReadSubBlocks(stream_, [&text](const uint8_t* bytes, int64_t count) {
            text.append(reinterpret_cast<const char*>(bytes), size_t(count));
        });
        text.resize(std::min(text.size(), text.find('\0')));
        if (!text.empty())
            params_.GifComments.Add(text);
    }

    void ReadImageBlock()
    {
        std::array<uint8_t, 9> bytes{};
        stream_.Read(bytes.data(), 9);
        const TGifDescriptor descriptor{Word(&bytes[0]), Word(&bytes[2]), Word(&bytes[4]), Word(&bytes[6]), bytes[8]};
        TGifTable local;
        if (descriptor.Flags & 0x80)
            local = ReadTable(stream_, descriptor.Flags);
        if (count_ != params_.GifImageIndex) {
            SkipImageData();
            ++count_;
            return;
        }
        if (ReadWantedImage(descriptor, local.Present ? local : global_))
            ++count_;
    }

    void SkipImageData()
    {
        ReadByte(stream_);
        SkipSubBlocks(stream_);
    }

    void SetImageParams(const TGifDescriptor& descriptor, const TGifTable& table)
    {
        params_.GifTranspColor = table.Colors[control_.TransparentIndex];
        params_.GifXPos = descriptor.Left;
        params_.GifYPos = descriptor.Top;
        params_.Width = params_.StoredWidth = descriptor.Width;
        params_.Height = params_.StoredHeight = descriptor.Height;
        params_.GifDelayTime = control_.Delay;
        params_.GifTransparent = control_.Flags & 1;
        params_.GifInterlaced = descriptor.Flags & 0x40;
        params_.GifDisposal = (control_.Flags >> 2) & 7;
        params_.FreeColorMap();
        params_.BitsPerSample = table.Present ? table.Bits : 8;
        params_.ColorMapCount = table.Present ? 1 << table.Bits : 0;
        params_.ColorMap.assign(table.Colors.begin(), table.Colors.begin() + params_.ColorMapCount);
    }

    // False when the loop ends without this image counting.
    bool ReadWantedImage(const TGifDescriptor& descriptor, const TGifTable& table)
    {
        reporter_.Report(30);
        if (IsAborting(progress_))
            return false;
        SetImageParams(descriptor, table);
        if (request_.ParamsOnly) {
            SkipImageData();
            imageRead_ = true;
            return true;
        }
        std::vector<uint8_t> indexes;
        if (!DecodeIndexes(descriptor, indexes))
            return Fail();
        reporter_.Report(70);
        if (IsAborting(progress_))
            return false;
        const bool bilevel = params_.ColorMapCount == 2 && IsGray(table.Colors[0], 0) && IsGray(table.Colors[1], 255);
        const bool guarded = std::max(descriptor.Width, descriptor.Height) > GuardedSide;
        if (!bilevel && guarded && stream_.Position() + GuardedSlack > stream_.Size())
            return Fail();
        if (!StoreImage(indexes, table, bilevel))
            return Fail();
        imageRead_ = true;
        return true;
    }

    bool Fail()
    {
        SetAborting(progress_);
        return false;
    }

    bool DecodeIndexes(const TGifDescriptor& descriptor, std::vector<uint8_t>& indexes)
    {
        const TGifLzwDecoder& decoder = params_.GifLzwDecompress;
        if (!decoder || descriptor.Width == 0 || descriptor.Height == 0 ||
            !WithinDecodeLimit(descriptor.Width, descriptor.Height))
            return false;
        try {
            indexes.assign(size_t(descriptor.Width) * descriptor.Height, 0);
        } catch (const std::bad_alloc&) {
            return false;
        }
        const int64_t start = stream_.Position();
        const bool decoded = decoder(stream_, descriptor.Height, descriptor.Width, descriptor.Flags & 0x40, indexes);
        return decoded && stream_.Position() != start;
    }

    bool StoreImage(const std::vector<uint8_t>& indexes, const TGifTable& table, bool bilevel)
    {
        const TQkPixelFormat format = bilevel ? qk1g : params_.NativePixelFormat ? qk8p : qk24RGB;
        TQkBitmap& bitmap = request_.Bitmap;
        const int32_t width = params_.Width;
        if (!bitmap.Allocate(width, params_.Height, format))
            return false;
        if (format == qk8p) {
            // Indexes past the table keep a (black) palette entry.
            const int32_t used = *std::max_element(indexes.begin(), indexes.end()) + 1;
            const int32_t length = std::max(params_.ColorMapCount, used);
            bitmap.AssignPalette(std::vector<TRGBPixel>(table.Colors.begin(), table.Colors.begin() + length));
        }
        const bool masked = !request_.IgnoreAlpha && params_.GifTransparent;
        std::unique_ptr<TQkMask> mask;
        if (masked) {
            mask = std::make_unique<TQkMask>();
            mask->AllocateBits(width, params_.Height, 8);
            mask->Fill(255);
        }
        for (int32_t y = 0; y < params_.Height; ++y) {
            const uint8_t* row = indexes.data() + int64_t(y) * width;
            StoreRow(bitmap.GetScanline(y), format, row, width, table);
            if (mask)
                ClearTransparent(mask->GetScanline(y), row, width);
        }
        if (mask) {
            mask->UpdateFullFlag();
            if (!mask->Full())
                request_.AlphaMask = std::move(mask);
        }
        return true;
    }

    static void StoreRow(uint8_t* out, TQkPixelFormat format, const uint8_t* row, int32_t width, const TGifTable& table)
    {
        if (format == qk1g) {
            std::fill_n(out, (width + 7) / 8, 0);
            for (int32_t x = 0; x < width; ++x)
                if (row[x] == 1)
                    out[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
        } else if (format == qk8p) {
            std::copy_n(row, width, out);
        } else {
            auto* pixels = reinterpret_cast<TRGBPixel*>(out);
            for (int32_t x = 0; x < width; ++x)
                pixels[x] = table.Colors[row[x]];
        }
    }

    void ClearTransparent(uint8_t* maskRow, const uint8_t* row, int32_t width) const
    {
        for (int32_t x = 0; x < width; ++x)
            if (row[x] == control_.TransparentIndex)
                maskRow[x] = 0;
    }

    TQkReadRequest& request_;
    TStream& stream_;
    TIOParamsVals& params_;
    TQkFilterProgress& progress_;
    TQkProgressReporter reporter_;
    TGifTable global_;
    TGifControl control_;
    int32_t count_ = 0;
    bool imageRead_ = false;
};

} // namespace

void ReadGifImage(TQkReadRequest& request)
{
    auto reader = std::make_unique<TGifReader>(request);
    reader->Run();
}

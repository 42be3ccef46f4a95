#include "imaging/formats/psd/QkPsdLayerReader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkProgressReporter.h"
#include "imaging/formats/psd/QkLayerData.h"
#include "imaging/formats/psd/QkPsdChannels.h"
#include "imaging/formats/psd/QkPsdInput.h"

namespace {

constexpr int64_t ChannelEntrySize = 6;
constexpr uint32_t ShortMaskDataSize = 20;

struct TPsdRect {
    int32_t Top = 0;
    int32_t Left = 0;
    int32_t Bottom = 0;
    int32_t Right = 0;

    int64_t Width() const { return std::max<int64_t>(0, int64_t(Right) - Left); }
    int64_t Height() const { return std::max<int64_t>(0, int64_t(Bottom) - Top); }
};

struct TPsdChannelEntry {
    int16_t Id = 0;
    uint32_t Length = 0;
};

struct TPsdLayerRecord {
    TPsdRect Bounds;
    std::vector<TPsdChannelEntry> Channels;
    uint8_t Opacity = 255;
    uint8_t Clipping = 0;
    uint8_t Flags = 0;
    TPsdRect Mask;
    std::string Name;
};

TPsdRect ReadRect(TPsdInput& input)
{
    TPsdRect rect;
    rect.Top = input.I32();
    rect.Left = input.I32();
    rect.Bottom = input.I32();
    rect.Right = input.I32();
    return rect;
}

// Layer mask data, blending ranges and name; tagged blocks are skipped
// with the rest of the extra data.
void ReadExtraData(TPsdInput& input, TPsdLayerRecord& record)
{
    const int64_t end = input.LengthEnd();
    const uint32_t maskSize = input.U32();
    const int64_t maskEnd = input.Position() + maskSize;
    if (maskSize >= ShortMaskDataSize)
        record.Mask = ReadRect(input);
    input.Seek(maskEnd);
    input.Skip(input.U32());
    const uint8_t nameLength = input.U8();
    const std::vector<uint8_t> name = input.Bytes(nameLength);
    record.Name.assign(name.begin(), name.end());
    input.Seek(end);
}

TPsdLayerRecord ReadRecord(TPsdInput& input, int64_t end)
{
    TPsdLayerRecord record;
    record.Bounds = ReadRect(input);
    const uint16_t channels = input.U16();
    if (channels * ChannelEntrySize > end - input.Position())
        throw EPsdTruncated();
    for (uint16_t i = 0; i < channels; ++i) {
        TPsdChannelEntry entry;
        entry.Id = input.I16();
        entry.Length = input.U32();
        record.Channels.push_back(entry);
    }
    char signature[4];
    for (char& c : signature)
        c = static_cast<char>(input.U8());
    if (std::memcmp(signature, "8BIM", 4) != 0)
        throw EPsdTruncated();
    input.Skip(4); // blend mode
    record.Opacity = input.U8();
    record.Clipping = input.U8();
    record.Flags = input.U8();
    input.Skip(1);
    ReadExtraData(input, record);
    if (input.Position() > end)
        throw EPsdTruncated();
    return record;
}

std::unique_ptr<TQkLayerData> LayerOf(const TPsdLayerRecord& record)
{
    auto layer = std::make_unique<TQkLayerData>();
    layer->SetPosX(record.Bounds.Left);
    layer->SetPosY(record.Bounds.Top);
    layer->SetOpacity(record.Opacity);
    layer->SetName(record.Name);
    layer->SetVisible((record.Flags & 2) == 0);
    layer->SetPsdBaseClipping(record.Clipping == 0);
    return layer;
}

std::unique_ptr<TQkLayerData> MaskLayerOf(const TPsdLayerRecord& record)
{
    auto mask = std::make_unique<TQkLayerData>();
    mask->SetPosX(record.Mask.Left);
    mask->SetPosY(record.Mask.Top);
    mask->SetIsMask(true);
    mask->SetVisible(false);
    return mask;
}

class TPsdLayerReader {
public:
    TPsdLayerReader(TPsdInput& input, const TPsdLayerSection& section, TQkFilterProgress& progress)
        : input_(input), section_(section), reporter_(progress.Sender, &progress.OnProgress)
    {}

    // Reads the layer info block that ends at `end`.
    bool Read(int64_t end, int32_t count, TQkLayerList& layers)
    {
        std::vector<TPsdLayerRecord> records;
        try {
            for (int32_t i = 0; i < count; ++i)
                records.push_back(ReadRecord(input_, end));
        } catch (const EPsdTruncated&) {
            // The records read so far still have their channels.
        }
        bool complete = records.size() == size_t(count);
        std::vector<std::unique_ptr<TQkLayerData>> read;
        for (size_t i = 0; i < records.size() && complete; ++i) {
            complete = ReadLayerChannels(records[i], end, read);
            reporter_.Report(double(i) / double(records.size()) * 100);
        }
        KeepFilledLayers(read, layers);
        return complete;
    }

private:
    bool ReadLayerChannels(const TPsdLayerRecord& record, int64_t end, std::vector<std::unique_ptr<TQkLayerData>>& read)
    {
        auto layer = LayerOf(record);
        std::unique_ptr<TQkLayerData> mask;
        const bool allocated = Allocate(*layer->Bitmap(), record.Bounds, DocumentFormat());
        bool complete = allocated;
        for (const TPsdChannelEntry& entry : record.Channels) {
            const int64_t start = input_.Position();
            if (entry.Length > end - start)
                return false;
            if (entry.Id == PsdMaskId && !mask) {
                mask = MaskLayerOf(record);
                if (Allocate(*mask->Bitmap(), record.Mask, qk8g))
                    complete &= DecodeInto(*mask->Bitmap(), 0, entry, record.Mask.Height());
            } else if (entry.Id != PsdMaskId && allocated) {
                complete &= DecodeInto(*layer->Bitmap(), entry.Id, entry, record.Bounds.Height());
            }
            input_.Seek(start + entry.Length);
        }
        read.push_back(std::move(layer));
        if (mask)
            read.push_back(std::move(mask));
        return complete;
    }

    // False when the rectangle is empty or passes the decode limit, which
    // counts every layer read so far.
    TQkPixelFormat DocumentFormat() const { return PsdPixelFormat(section_.Header.Mode, section_.Header.Depth); }

    bool Allocate(TQkBitmap& bitmap, const TPsdRect& rect, TQkPixelFormat format)
    {
        const int64_t pixels = rect.Width() * rect.Height();
        if (pixels == 0 || !WithinDecodeLimit(rect.Width(), rect.Height()) ||
            !WithinDecodeLimit(pixelsRead_ + pixels, 1))
            return false;
        pixelsRead_ += pixels;
        if (!bitmap.Allocate(int32_t(rect.Width()), int32_t(rect.Height()), format))
            return false;
        if (format == qk8p && section_.Palette)
            for (int32_t i = 0; i < 256; ++i)
                bitmap.SetPaletteColor(i, (*section_.Palette)[size_t(i)]);
        return true;
    }

    bool DecodeInto(TQkBitmap& bitmap, int32_t id, const TPsdChannelEntry& entry, int64_t height)
    {
        if (entry.Length < 2)
            return true;
        const uint16_t compression = input_.U16();
        const std::vector<uint8_t> block = input_.Bytes(entry.Length - 2);
        const TPsdChannelData channel = LayerChannelData(compression, block, int32_t(height));
        const int32_t depth = section_.Header.Depth;
        TPsdChannelSink sink(bitmap, depth, section_.TransparentIndex);
        return DecodePsdChannel(channel, PsdRowBytes(bitmap.GetWidth(), depth), int32_t(height), depth,
                                [&](int32_t row, const uint8_t* samples) { sink.PlaceRow(id, row, samples); });
    }

    // A layer with an empty bitmap goes, and the mask that follows it.
    static void KeepFilledLayers(std::vector<std::unique_ptr<TQkLayerData>>& read, TQkLayerList& layers)
    {
        bool dropMask = false;
        for (auto& layer : read) {
            if (layer->IsMask() && dropMask)
                continue;
            dropMask = layer->Bitmap()->IsEmpty();
            if (!dropMask)
                layers.push_back(std::move(layer));
        }
    }

    TPsdInput& input_;
    const TPsdLayerSection& section_;
    TQkProgressReporter reporter_;
    int64_t pixelsRead_ = 0;
};

} // namespace

bool ReadPsdLayerSection(TPsdInput& input, const TPsdLayerSection& section, bool loadLayers, TQkLayerList* layers,
                         TQkFilterProgress& progress)
{
    const int64_t sectionEnd = std::min(input.LengthEnd(), input.Size());
    bool complete = true;
    if (input.Position() + 4 <= sectionEnd) {
        const int64_t infoEnd = std::min(input.LengthEnd(), sectionEnd);
        if (input.Position() + 2 <= infoEnd) {
            const int32_t count = std::abs(int32_t(input.I16()));
            if (layers && (count == 1 || loadLayers))
                complete = TPsdLayerReader(input, section, progress).Read(infoEnd, count, *layers);
        }
    }
    input.Seek(sectionEnd);
    return complete;
}

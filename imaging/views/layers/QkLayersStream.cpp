#include "imaging/views/layers/QkLayersStream.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "imaging/core/QkMemory.h"
#include "imaging/core/QkRawBitmap.h"
#include "imaging/core/QkSettings.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/zstreams/QkZStreams.h"
#include "imaging/views/layers/QkLayer.h"
#include "imaging/views/layers/QkLayerBytes.h"
#include "platform/core/Exceptions.h"

namespace {

constexpr std::string_view Signature = "BRELVIXLAYERS";
constexpr int32_t ZlibDefaultLevelIndex = 2;
constexpr int64_t ImageOffsetSize = 8;
// Beyond the pixels a raw record holds its header and a palette.
constexpr int64_t RawRecordOverhead = int64_t(1) << 20;
constexpr int64_t MaxRawBytesPerPixel = 8;

// The fields a property record of `version` holds, the image offset
// included: the least bytes a record can take.
int64_t MinimalRecordSize(int32_t version)
{
    if (version >= 6)
        return 57;
    if (version >= 4)
        return 56;
    return version >= 3 ? 55 : 43;
}

struct THeader {
    int32_t Version = 0;
    int32_t ImageFormat = 0;
    int32_t Count = 0;
};

// Reads the header at the position; false without the signature.
bool ReadHeader(TStream& stream, THeader& header)
{
    uint8_t bytes[LayersStreamHeaderSize];
    if (stream.Size() - stream.Position() < LayersStreamHeaderSize ||
        stream.Read(bytes, LayersStreamHeaderSize) != LayersStreamHeaderSize ||
        std::memcmp(bytes, Signature.data(), Signature.size()) != 0)
        return false;
    TQkByteReader fields(bytes + Signature.size(), LayersStreamHeaderSize - Signature.size());
    header.Version = fields.Int32();
    header.ImageFormat = fields.Int32();
    header.Count = fields.Int32();
    return true;
}

// ---- Writing ----

void WriteRecord(TQkByteWriter& out, const TQkLayer& layer)
{
    out.Flag(layer.IsVisible);
    out.Flag(layer.ShowBox);
    out.Int32(layer.OpacityValue);
    out.Int32(layer.Left);
    out.Int32(layer.Top);
    out.Flag(layer.ClipToBackground);
    out.Flag(layer.Locked);
    out.Flag(layer.LensEnabled);
    out.Double(layer.LensRate);
    out.Byte(layer.LensShape);
    out.Byte(layer.LensSource);
    out.Byte(layer.BlendOperation);
    out.Int32(layer.DisplayWidth);
    out.Int32(layer.DisplayHeight);
    out.Byte(static_cast<uint8_t>(layer.ZoomFilter));
    out.Flag(layer.OwnZoomFilter);
    out.UInt32(static_cast<uint32_t>(layer.LayerName.size()));
    out.Bytes(reinterpret_cast<const uint8_t*>(layer.LayerName.data()), layer.LayerName.size());
    out.UInt32(static_cast<uint32_t>(layer.AppData.size()));
    out.Bytes(layer.AppData.data(), layer.AppData.size());
    out.Flag(layer.MaskOfPrevious);
    out.Flag(layer.Selectable);
    out.Flag(layer.ShadeOutside);
}

void WriteBytes(TStream& stream, TQkByteWriter& bytes)
{
    stream.WriteBuffer(bytes.Data().data(), static_cast<int64_t>(bytes.Data().size()));
}

// The block is built apart, in a stream sized once when memory allows, so
// that the rows are not copied through repeated growth.
void WriteRawBlock(TStream& stream, TQkBitmap& bitmap, bool compressed)
{
    TMemoryStream block;
    const int64_t raw = RawRecordSize(bitmap);
    const int64_t expected = compressed ? raw / 2 : raw;
    if (expected < GetPhysicalMemory(true)) {
        try {
            block.Reserve(expected);
        } catch (const std::bad_alloc&) {
            // Growth on demand still works.
        }
    }
    if (compressed) {
        TZCompressionStream zlib(block, ZlibDefaultLevelIndex);
        SaveRawToStream(bitmap, zlib);
        zlib.Finish();
    } else {
        SaveRawToStream(bitmap, block);
    }
    if (block.Size() > INT32_MAX)
        throw Exception("Layers stream: a layer's image is too large for its block");
    TQkByteWriter size;
    size.UInt32(static_cast<uint32_t>(block.Size()));
    WriteBytes(stream, size);
    stream.WriteBuffer(block.Memory(), block.Size());
}

void WriteFileBlock(TStream& stream, TQkBitmap& bitmap, int32_t fileType)
{
    std::unique_ptr<TBrelvixIO> io = TBrelvixIO::CreateFromBitmap(&bitmap);
    TIOParamsVals& params = io->Params();
    const TQkPixelFormat format = bitmap.GetPixelFormat();
    params.BitsPerSample = format == qk1g ? 1 : 8;
    params.SamplesPerPixel = format == qk1g || format == qk8g ? 1 : 3;
    params.JpegColorSpace = format == qk8g ? 1 : 2;
    io->SaveToStream(stream, fileType);
    if (io->Aborting())
        throw Exception("Layers stream: a layer's image could not be written as file type " + std::to_string(fileType));
}

void WriteImageBlock(TStream& stream, TQkBitmap& bitmap, int32_t imageFormat)
{
    if (imageFormat == LayersImageZlibRaw || imageFormat == LayersImageRaw)
        WriteRawBlock(stream, bitmap, imageFormat == LayersImageZlibRaw);
    else
        WriteFileBlock(stream, bitmap, imageFormat);
    stream.Seek(0, soEnd);
}

// ---- Reading ----

// Little-endian fields read straight from a stream; a read past its end
// marks the input as short and yields zeros.
class TStreamFields {
public:
    explicit TStreamFields(TStream& stream) : stream_(stream), size_(stream.Size()) {}

    bool Short() const { return short_; }
    int64_t Left() { return size_ - stream_.Position(); }
    bool Take(void* to, int64_t count)
    {
        if (short_ || count < 0 || count > Left() || stream_.Read(to, count) != count) {
            short_ = true;
            return false;
        }
        return true;
    }
    template <size_t Size>
    TQkByteReader Field(uint8_t (&bytes)[Size])
    {
        std::memset(bytes, 0, Size);
        Take(bytes, Size);
        return TQkByteReader(bytes, Size);
    }
    uint8_t Byte()
    {
        uint8_t bytes[1];
        return Field(bytes).Byte();
    }
    bool Flag() { return Byte() != 0; }
    int32_t Int32()
    {
        uint8_t bytes[4];
        return Field(bytes).Int32();
    }
    double Double()
    {
        uint8_t bytes[8];
        return Field(bytes).Double();
    }
    int64_t Int64()
    {
        uint8_t bytes[8];
        TQkByteReader halves = Field(bytes);
        const uint64_t low = halves.UInt32();
        return static_cast<int64_t>(low | static_cast<uint64_t>(halves.UInt32()) << 32);
    }
    // A length from the data: negative or past the end marks the input short.
    int64_t Length()
    {
        const int32_t length = Int32();
        if (length < 0 || length > Left())
            short_ = true;
        return short_ ? 0 : length;
    }

private:
    TStream& stream_;
    int64_t size_;
    bool short_ = false;
};

// False for a zoom filter the library does not know.
bool ReadRecord(TStreamFields& in, int32_t version, TQkLayer& layer)
{
    layer.IsVisible = in.Flag();
    layer.ShowBox = in.Flag();
    layer.OpacityValue = in.Int32();
    layer.Left = in.Int32();
    layer.Top = in.Int32();
    layer.ClipToBackground = in.Flag();
    layer.Locked = in.Flag();
    layer.LensEnabled = in.Flag();
    layer.LensRate = in.Double();
    layer.LensShape = in.Byte();
    if (version >= 3)
        layer.LensSource = in.Byte();
    layer.BlendOperation = in.Byte();
    layer.DisplayWidth = in.Int32();
    layer.DisplayHeight = in.Int32();
    if (version >= 3) {
        const uint8_t zoomFilter = in.Byte();
        if (zoomFilter > rfProjectWB)
            return false;
        layer.ZoomFilter = static_cast<TResampleFilter>(zoomFilter);
        layer.OwnZoomFilter = in.Flag();
        layer.LayerName.resize(static_cast<size_t>(in.Length()));
        in.Take(layer.LayerName.data(), static_cast<int64_t>(layer.LayerName.size()));
        layer.AppData.resize(static_cast<size_t>(in.Length()));
        in.Take(layer.AppData.data(), static_cast<int64_t>(layer.AppData.size()));
        layer.MaskOfPrevious = in.Flag();
    }
    if (version >= 4)
        layer.Selectable = in.Flag();
    if (version >= 6)
        layer.ShadeOutside = in.Flag();
    layer.ScreenRect = TRect{0, 0, 0, 0};
    return !in.Short();
}

bool WithinLimit(TQkBitmap& bitmap) { return WithinDecodeLimit(bitmap.GetWidth(), bitmap.GetHeight()); }

bool ReadRawBlock(TStreamFields& in, TQkBitmap& bitmap, bool compressed)
{
    const int64_t size = in.Length();
    std::vector<uint8_t> block(static_cast<size_t>(size));
    if (!in.Take(block.data(), size))
        return false;
    if (!compressed)
        return LoadRawFromStream(bitmap, block.data(), size) && WithinLimit(bitmap);
    const int64_t cap = std::min<int64_t>(static_cast<int64_t>(DefaultInflateCap),
                                          DecodePixelLimit * MaxRawBytesPerPixel + RawRecordOverhead);
    std::vector<uint8_t> raw;
    try {
        raw = InflateBuffer(block.data(), block.size(), 0, static_cast<size_t>(cap));
    } catch (const Exception&) {
        return false;
    }
    return LoadRawFromStream(bitmap, raw.data(), static_cast<int64_t>(raw.size())) && WithinLimit(bitmap);
}

// A mask layer keeps the pixel format its file holds.
bool ReadFileBlock(TStream& stream, TQkBitmap& bitmap, int32_t fileType, bool mask)
{
    std::unique_ptr<TBrelvixIO> io = TBrelvixIO::CreateFromBitmap(&bitmap);
    io->SetNativePixelFormat(mask);
    io->LoadFromStreamFormat(stream, fileType);
    return !io->Aborting() && !bitmap.IsEmpty() && WithinLimit(bitmap);
}

bool ReadImageBlock(TStream& stream, int64_t offset, TQkLayer& layer, int32_t imageFormat)
{
    if (offset < 0 || offset >= stream.Size())
        return false;
    stream.SetPosition(offset);
    TStreamFields in(stream);
    TQkBitmap& bitmap = *layer.Bitmap();
    if (imageFormat == LayersImageZlibRaw || imageFormat == LayersImageRaw)
        return ReadRawBlock(in, bitmap, imageFormat == LayersImageZlibRaw);
    return ReadFileBlock(stream, bitmap, imageFormat, layer.MaskOfPrevious);
}

std::unique_ptr<TQkLayer> NewLayer(const TQkLayer& background)
{
    auto bitmap = std::make_unique<TQkBitmap>();
    bitmap->SetLocation(qkMemory);
    return std::make_unique<TQkLayer>(background.View, std::move(bitmap));
}

bool ReadLayers(TStream& stream, const THeader& header, TQkLayer& background, TQkReadLayers& read)
{
    TStreamFields in(stream);
    if (header.Version < 1 || header.Count < 0 || header.Count > in.Left() / MinimalRecordSize(header.Version))
        return false;
    for (int32_t index = 0; index < header.Count; ++index) {
        std::unique_ptr<TQkLayer> layer = NewLayer(background);
        if (index == 0)
            layer->AssignProperties(background);
        if (!ReadRecord(in, header.Version, *layer))
            return false;
        const int64_t offset = in.Int64();
        const int64_t next = stream.Position();
        if (in.Short() || !ReadImageBlock(stream, offset, *layer, header.ImageFormat))
            return false;
        stream.SetPosition(next);
        if (index == 0)
            read.Background = std::move(layer);
        else
            read.Above.push_back(std::move(layer));
    }
    return true;
}

} // namespace

bool IsLayersStream(TStream& stream)
{
    const int64_t start = stream.Position();
    THeader header;
    const bool matches = ReadHeader(stream, header) && header.Count > 0;
    stream.SetPosition(start);
    return matches;
}

void WriteLayersStream(TMemoryStream& stream, const TQkOwnedLayers& layers, int32_t imageFormat)
{
    const int32_t format = imageFormat == ioTIFF ? 8 : imageFormat;
    TQkByteWriter head;
    head.Bytes(reinterpret_cast<const uint8_t*>(Signature.data()), Signature.size());
    head.Int32(LayersStreamVersion);
    head.Int32(format);
    head.Int32(static_cast<int32_t>(layers.size()));
    WriteBytes(stream, head);

    std::vector<int64_t> offsetSlots;
    for (const std::unique_ptr<TQkLayer>& layer : layers) {
        TQkByteWriter record;
        WriteRecord(record, *layer);
        WriteBytes(stream, record);
        offsetSlots.push_back(stream.Position());
        TQkByteWriter slot;
        slot.Zeros(static_cast<int>(ImageOffsetSize));
        WriteBytes(stream, slot);
    }
    for (size_t index = 0; index < layers.size(); ++index) {
        const int64_t at = stream.Position();
        TQkByteWriter offset;
        offset.UInt32(static_cast<uint32_t>(at));
        offset.UInt32(static_cast<uint32_t>(static_cast<uint64_t>(at) >> 32));
        stream.SetPosition(offsetSlots[index]);
        WriteBytes(stream, offset);
        stream.SetPosition(at);
        WriteImageBlock(stream, *layers[index]->Bitmap(), format);
    }
}

bool ReadLayersStream(TStream& stream, TQkLayer& background, TQkReadLayers& read)
{
    const int64_t start = stream.Position();
    THeader header;
    TQkReadLayers layers;
    if (!ReadHeader(stream, header) || !ReadLayers(stream, header, background, layers)) {
        stream.SetPosition(start);
        return false;
    }
    read = std::move(layers);
    return true;
}

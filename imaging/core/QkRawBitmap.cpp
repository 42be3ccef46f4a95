#include "imaging/core/QkRawBitmap.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <exception>
#include <limits>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkBits.h"
#include "imaging/core/QkStreams.h"
#include "platform/core/Streams.h"

namespace {

constexpr char Signature[12] = {'T', 'Q', 'K', 'B', 'I', 'T', 'M', 'A', 'P', 'R', 'A', 'W'};
// Signature, version and palette length.
constexpr int64_t LeadBytes = 20;
// Width through RowAlign, after the palette.
constexpr int64_t FieldBytes = 55;

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutDouble(std::vector<uint8_t>& out, double value)
{
    const auto bits = std::bit_cast<uint64_t>(value);
    for (int shift = 0; shift < 64; shift += 8)
        out.push_back(static_cast<uint8_t>(bits >> shift));
}

// Reads the little-endian fields of a header block in order.
class TFieldReader {
public:
    explicit TFieldReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

    uint8_t Byte() { return bytes_[position_++]; }
    int32_t Int32() { return static_cast<int32_t>(Bits(4)); }
    double Double() { return std::bit_cast<double>(Bits(8)); }

private:
    uint64_t Bits(int count)
    {
        uint64_t value = 0;
        for (int i = 0; i < count; ++i)
            value |= uint64_t{Byte()} << (8 * i);
        return value;
    }

    const std::vector<uint8_t>& bytes_;
    size_t position_ = 0;
};

// The header after the palette, as stored.
struct TRawFields {
    int32_t Width = 0;
    int32_t Height = 0;
    TQkPixelFormat Format = qkNone;
    bool Full = false;
    int32_t PaletteColors = 0;
    double RangeMin = 0;
    double RangeMax = 0;
    TQkRenderAdjustments Adjustments;
    int32_t RowAlign = 0;
};

std::vector<uint8_t> EncodeHeader(TQkBitmap& bitmap)
{
    std::vector<uint8_t> out(std::begin(Signature), std::end(Signature));
    Put32(out, 0);
    const int32_t paletteLength = bitmap.GetPaletteLength();
    Put32(out, static_cast<uint32_t>(paletteLength));
    for (int32_t i = 0; i < paletteLength; ++i) {
        const TRGBPixel& entry = bitmap.GetPalette()[i];
        out.insert(out.end(), {entry.b, entry.g, entry.r});
    }
    Put32(out, static_cast<uint32_t>(bitmap.GetWidth()));
    Put32(out, static_cast<uint32_t>(bitmap.GetHeight()));
    out.push_back(static_cast<uint8_t>(bitmap.GetPixelFormat()));
    out.push_back(bitmap.Full() ? 1 : 0);
    Put32(out, static_cast<uint32_t>(bitmap.PaletteColors()));
    PutDouble(out, bitmap.RangeMin());
    PutDouble(out, bitmap.RangeMax());
    const TQkRenderAdjustments& adjustments = bitmap.RenderAdjustments();
    for (int32_t offset : adjustments.ChannelOffset)
        Put32(out, static_cast<uint32_t>(offset));
    out.push_back(adjustments.ChannelOffsetEnabled ? 1 : 0);
    Put32(out, static_cast<uint32_t>(adjustments.Contrast));
    Put32(out, static_cast<uint32_t>(bitmap.RowAlign()));
    return out;
}

TRawFields DecodeFields(const std::vector<uint8_t>& bytes)
{
    TFieldReader reader(bytes);
    TRawFields fields;
    fields.Width = reader.Int32();
    fields.Height = reader.Int32();
    fields.Format = static_cast<TQkPixelFormat>(reader.Byte());
    fields.Full = reader.Byte() != 0;
    fields.PaletteColors = reader.Int32();
    fields.RangeMin = reader.Double();
    fields.RangeMax = reader.Double();
    for (int32_t& offset : fields.Adjustments.ChannelOffset)
        offset = reader.Int32();
    fields.Adjustments.ChannelOffsetEnabled = reader.Byte() != 0;
    fields.Adjustments.Contrast = reader.Int32();
    fields.RowAlign = reader.Int32();
    return fields;
}

int64_t RowBytes(TQkBitmap& bitmap) { return int64_t{bitmap.GetRowLen()} * bitmap.GetHeight(); }

// The alpha channel to write, or nullptr (asking for it would create one).
TQkBitmap* ExistingAlpha(TQkBitmap& bitmap) { return bitmap.HasAlphaChannel() ? bitmap.GetAlphaChannel() : nullptr; }

void GrowStreamTo(TStream& stream, int64_t size)
{
    if (stream.Size() < size)
        stream.SetSize(size);
}

void WriteRows(TQkBitmap& bitmap, TStream& stream)
{
    for (int32_t row = 0; row < bitmap.GetHeight(); ++row)
        stream.WriteBuffer(bitmap.GetScanline(row), bitmap.GetRowLen());
}

void WriteRecord(TQkBitmap& bitmap, TStream& stream, bool growStream)
{
    const std::vector<uint8_t> header = EncodeHeader(bitmap);
    stream.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
    if (growStream) {
        // Only a head start for the rows: the writes below grow the stream anyway.
        try {
            GrowStreamTo(stream, stream.Position() + RowBytes(bitmap));
        } catch (const std::exception&) {}
    }
    WriteRows(bitmap, stream);
    TQkBitmap* alpha = ExistingAlpha(bitmap);
    const uint8_t hasAlpha = alpha != nullptr ? 1 : 0;
    stream.WriteBuffer(&hasAlpha, 1);
    if (alpha == nullptr)
        return;
    if (growStream)
        GrowStreamTo(stream, stream.Position() + RowBytes(*alpha));
    WriteRows(*alpha, stream);
    const uint8_t full = alpha->Full() ? 1 : 0;
    stream.WriteBuffer(&full, 1);
}

// Writes into a caller's block that is known to hold the whole record.
class TBlockWriter : public TStream {
public:
    TBlockWriter(void* block, int64_t length) : block_(static_cast<uint8_t*>(block)), length_(length) {}

    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void* buffer, int64_t count) override
    {
        count = std::clamp<int64_t>(count, 0, length_ - position_);
        std::memcpy(block_ + position_, buffer, static_cast<size_t>(count));
        position_ += count;
        return count;
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override
    {
        const int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? position_ : length_;
        position_ = std::clamp<int64_t>(base + offset, 0, length_);
        return position_;
    }
    int64_t Size() override { return length_; }

private:
    uint8_t* block_;
    int64_t length_;
    int64_t position_ = 0;
};

int64_t Remaining(TStream& stream) { return std::max<int64_t>(0, stream.Size() - stream.Position()); }

bool ReadExactly(TStream& stream, void* buffer, int64_t count) { return stream.Read(buffer, count) == count; }

bool ReadBytes(TStream& stream, std::vector<uint8_t>& bytes, int64_t count)
{
    if (count > Remaining(stream))
        return false;
    bytes.resize(static_cast<size_t>(count));
    return ReadExactly(stream, bytes.data(), count);
}

// Every row, after checking that the stream holds them and `after` more bytes.
bool ReadRows(TQkBitmap& bitmap, TStream& stream, int64_t after)
{
    if (RowBytes(bitmap) + after > Remaining(stream))
        return false;
    for (int32_t row = 0; row < bitmap.GetHeight(); ++row)
        if (!ReadExactly(stream, bitmap.GetScanline(row), bitmap.GetRowLen()))
            return false;
    return true;
}

// The row length the fields describe; -1 when no bitmap can have them.
int64_t StoredRowLength(const TRawFields& fields)
{
    const bool empty = fields.Width == 0 || fields.Height == 0;
    if (fields.Width < 0 || fields.Height < 0 || fields.RowAlign <= 0 || fields.RowAlign % 8 != 0)
        return -1;
    if (empty)
        return 0;
    const int32_t bits = QkBitCount(fields.Format);
    if (bits <= 0)
        return -1;
    const int64_t rowLength = CalcRowLength(fields.Width, bits, fields.RowAlign);
    return rowLength <= std::numeric_limits<int32_t>::max() ? rowLength : -1;
}

bool SetUpBitmap(TQkBitmap& bitmap, const TRawFields& fields, std::vector<TRGBPixel> palette)
{
    bitmap.FreeImage(true);
    bitmap.SetRowAlign(fields.RowAlign);
    const bool empty = fields.Width == 0 || fields.Height == 0;
    if (!empty && !bitmap.Allocate(fields.Width, fields.Height, fields.Format))
        return false;
    bitmap.SetFull(fields.Full);
    bitmap.SetPaletteColors(fields.PaletteColors);
    bitmap.SetRange(fields.RangeMin, fields.RangeMax);
    bitmap.RenderAdjustments() = fields.Adjustments;
    bitmap.AssignPalette(std::move(palette));
    return true;
}

bool ReadAlpha(TQkBitmap& bitmap, TStream& stream)
{
    uint8_t hasAlpha = 0;
    if (!ReadExactly(stream, &hasAlpha, 1) || hasAlpha > 1)
        return false;
    if (hasAlpha == 0)
        return true;
    TQkBitmap* alpha = bitmap.GetAlphaChannel();
    uint8_t full = 0;
    if (alpha == nullptr || !ReadRows(*alpha, stream, 1) || !ReadExactly(stream, &full, 1))
        return false;
    alpha->SetFull(full != 0);
    return true;
}

// Everything after the version; false leaves the bitmap for the caller to empty.
bool ReadBody(TQkBitmap& bitmap, TStream& stream)
{
    std::vector<uint8_t> bytes;
    if (!ReadBytes(stream, bytes, 4))
        return false;
    const int64_t paletteLength = TFieldReader(bytes).Int32();
    if (paletteLength < 0 || !ReadBytes(stream, bytes, 3 * paletteLength))
        return false;
    std::vector<TRGBPixel> palette(static_cast<size_t>(paletteLength));
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = TRGBPixel{bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]};

    if (!ReadBytes(stream, bytes, FieldBytes))
        return false;
    const TRawFields fields = DecodeFields(bytes);
    const int64_t rowLength = StoredRowLength(fields);
    // The rows and the alpha flag must be there before anything is allocated.
    if (rowLength < 0 || rowLength * fields.Height + 1 > Remaining(stream))
        return false;
    if (!SetUpBitmap(bitmap, fields, std::move(palette)))
        return false;
    return ReadRows(bitmap, stream, 1) && ReadAlpha(bitmap, stream);
}

} // namespace

int64_t RawRecordSize(TQkBitmap& bitmap)
{
    TQkBitmap* alpha = ExistingAlpha(bitmap);
    const int64_t alphaBytes = alpha != nullptr ? RowBytes(*alpha) + 1 : 0;
    return LeadBytes + 3 * int64_t{bitmap.GetPaletteLength()} + FieldBytes + RowBytes(bitmap) + 1 + alphaBytes;
}

void SaveRawToStream(TQkBitmap& bitmap, TStream& stream) { WriteRecord(bitmap, stream, true); }

bool SaveRawToStream(TQkBitmap& bitmap, void* buffer, int64_t length)
{
    if (buffer == nullptr || length < RawRecordSize(bitmap))
        return false;
    TBlockWriter writer(buffer, length);
    WriteRecord(bitmap, writer, false);
    return true;
}

bool LoadRawFromStream(TQkBitmap& bitmap, TStream& stream)
{
    // A record of other data is left alone; a cut one empties the bitmap.
    char signature[sizeof(Signature)];
    const bool haveSignature = ReadExactly(stream, signature, sizeof(signature));
    if (haveSignature && std::memcmp(signature, Signature, sizeof(Signature)) != 0)
        return false;
    std::vector<uint8_t> version;
    const bool haveVersion = haveSignature && ReadBytes(stream, version, 4);
    if (haveVersion && TFieldReader(version).Int32() < 0)
        return false;
    if (haveVersion && ReadBody(bitmap, stream))
        return true;
    bitmap.FreeImage(true);
    return false;
}

bool LoadRawFromStream(TQkBitmap& bitmap, const void* buffer, int64_t length)
{
    if (buffer == nullptr || length < 0)
        return false;
    TQkMemStream stream(buffer, length);
    return LoadRawFromStream(bitmap, stream);
}

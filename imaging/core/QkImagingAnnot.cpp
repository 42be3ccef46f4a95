#include "imaging/core/QkImagingAnnot.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <string_view>

#include "imaging/core/QkDIBBridge.h"
#include "imaging/core/QkSettings.h"

namespace {

enum TRecordType : uint32_t { defaultBlockRecord = 2, attributeRecord = 5, markBlockRecord = 6 };
constexpr uint32_t namedBlockRecordSize = 12;
constexpr size_t recordHeadSize = 8;
constexpr size_t blockNameSize = 8;
constexpr size_t markTypeOffset = 0;
constexpr size_t fontHeightOffset = 48;
// Text blocks: four values (0, 1000, the scale the marks were made at, the
// text's length), then the text.
constexpr size_t textOffset = 16;
constexpr size_t textScaleOffset = 8;
constexpr int32_t usualTextScale = 7500;
constexpr int32_t annotationDibDpi = 200;
constexpr size_t imageMarkDataSize = 56;

uint32_t Get32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

void Put32(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

// The annotation data as it is read: a cursor that never passes the end.
class TAnnotReader {
public:
    TAnnotReader(const uint8_t* data, size_t length) : data_(data), length_(length) {}

    bool AtEnd() const { return at_ >= length_; }
    bool Has(size_t count) const { return count <= length_ - at_; }
    const uint8_t* Here() const { return data_ + at_; }
    void Skip(size_t count) { at_ += count; }
    uint32_t Next32()
    {
        const uint32_t value = Get32(Here());
        at_ += 4;
        return value;
    }

private:
    const uint8_t* data_;
    size_t length_;
    size_t at_ = 0;
};

using TBlockSet = std::map<std::string, std::string_view>;

// A named block into the set; false when its head or data pass the end.
bool ReadNamedBlock(TAnnotReader& reader, bool longForm, TBlockSet& blocks)
{
    const size_t headSize = blockNameSize + 4 + (longForm ? 0 : 4);
    if (!reader.Has(headSize))
        return false;
    const auto* name = reinterpret_cast<const char*>(reader.Here());
    const std::string key(name, std::find(name, name + blockNameSize, '\0'));
    reader.Skip(blockNameSize);
    const uint32_t size = reader.Next32();
    reader.Skip(headSize - blockNameSize - 4);
    if (!reader.Has(size))
        return false;
    blocks[key] = std::string_view(reinterpret_cast<const char*>(reader.Here()), size);
    reader.Skip(size);
    return true;
}

const std::string_view* FindBlock(const TBlockSet& blocks, const char* name)
{
    const auto found = blocks.find(name);
    return found == blocks.end() ? nullptr : &found->second;
}

const uint8_t* BytesOf(std::string_view block) { return reinterpret_cast<const uint8_t*>(block.data()); }

// Points: a value, the count, then the points; false when they pass the block.
bool ReadPoints(std::string_view block, std::vector<TQkAnnotPoint>& points)
{
    if (block.size() < 8)
        return false;
    const uint32_t count = Get32(BytesOf(block) + 4);
    if (count > (block.size() - 8) / 8)
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* point = BytesOf(block) + 8 + 8 * size_t(i);
        points.push_back({static_cast<int32_t>(Get32(point)), static_cast<int32_t>(Get32(point + 4))});
    }
    return true;
}

// Font heights are stored for the scale the marks were made at; the marks
// are kept at the usual scale, where this is the identity.
int32_t RescaledFontHeight(int32_t height, int32_t scale)
{
    if (scale == 0)
        scale = usualTextScale;
    const double rescaled = std::round(double(height) * usualTextScale / scale);
    return static_cast<int32_t>(
        std::clamp<double>(rescaled, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool ReadText(std::string_view block, TQkImagingObject& mark)
{
    if (block.size() < textOffset)
        return false;
    const std::string_view text = block.substr(textOffset);
    mark.Text = std::string(text.substr(0, text.find('\0')));
    mark.SetFontHeight(
        RescaledFontHeight(mark.FontHeight(), static_cast<int32_t>(Get32(BytesOf(block) + textScaleOffset))));
    return true;
}

// The mark of the attribute record and its blocks; nil when its type is
// below 1 or its points or text pass their block.
std::unique_ptr<TQkImagingObject> MakeMark(const std::array<uint8_t, TQkImagingObject::AttributeSize>& attributes,
                                           const TBlockSet& blocks)
{
    auto mark = std::make_unique<TQkImagingObject>();
    mark->Attributes = attributes;
    if (mark->MarkType() < 1)
        return nullptr;
    bool fits = true;
    if (mark->MarkType() == TQkImagingObject::ImageMark) {
        if (const auto* dib = FindBlock(blocks, "OiDIB")) {
            auto image = std::make_unique<TQkBitmap>();
            if (CopyDIBToBitmap(dib->data(), int64_t(dib->size()), *image) > 0 && !image->IsEmpty())
                mark->Image = std::move(image);
        }
    } else if (mark->CarriesPoints()) {
        if (const auto* points = FindBlock(blocks, "OiAnoDat"))
            fits = ReadPoints(*points, mark->Points);
    } else if (mark->CarriesText()) {
        if (const auto* text = FindBlock(blocks, "OiAnText"))
            fits = ReadText(*text, *mark);
    }
    return fits ? std::move(mark) : nullptr;
}

// The annotation data as it is written: each named block's size is filled
// in once its data are out.
class TAnnotWriter {
public:
    void Put(uint32_t value)
    {
        bytes_.resize(bytes_.size() + 4);
        Put32(bytes_.data() + bytes_.size() - 4, value);
    }
    void PutBytes(const void* data, size_t size)
    {
        const auto* from = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), from, from + size);
    }
    void PutText(std::string_view text)
    {
        PutBytes(text.data(), text.size());
        bytes_.push_back(0);
    }
    // Opens a named block of the record type; CloseBlock sets its size.
    void OpenBlock(uint32_t record, const char* name)
    {
        Put(record);
        Put(namedBlockRecordSize);
        char padded[blockNameSize] = {};
        std::memcpy(padded, name, std::min(std::strlen(name), blockNameSize));
        PutBytes(padded, blockNameSize);
        sizeAt_ = bytes_.size();
        Put(0);
    }
    void CloseBlock() { Put32(bytes_.data() + sizeAt_, static_cast<uint32_t>(bytes_.size() - sizeAt_ - 4)); }
    void TextBlock(uint32_t record, const char* name, std::string_view text)
    {
        OpenBlock(record, name);
        PutText(text);
        CloseBlock();
    }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
    size_t sizeAt_ = 0;
};

void WriteImageMark(TAnnotWriter& writer, const TQkImagingObject& mark)
{
    writer.OpenBlock(markBlockRecord, "OiAnoDat");
    for (uint32_t value :
         {1u, 1000u, uint32_t(ScreenDpiX), uint32_t(ScreenDpiY), uint32_t(ScreenDpiX), uint32_t(ScreenDpiY), 0u, 0u})
        writer.Put(value);
    const uint8_t zeros[imageMarkDataSize - 32] = {};
    writer.PutBytes(zeros, sizeof zeros);
    writer.CloseBlock();
    if (!mark.Image || mark.Image->IsEmpty())
        return;
    const auto dib = _CopyBitmaptoDIBEx(*mark.Image, 0, 0, 0, 0, annotationDibDpi, annotationDibDpi);
    if (!dib)
        return;
    writer.OpenBlock(markBlockRecord, "OiDIB");
    writer.PutBytes(dib->Bytes.data(), dib->Bytes.size());
    writer.CloseBlock();
}

void WritePointsMark(TAnnotWriter& writer, const TQkImagingObject& mark)
{
    writer.OpenBlock(markBlockRecord, "OiAnoDat");
    writer.Put(static_cast<uint32_t>(mark.Points.size()));
    writer.Put(static_cast<uint32_t>(mark.Points.size()));
    for (const TQkAnnotPoint& point : mark.Points) {
        writer.Put(static_cast<uint32_t>(point.X));
        writer.Put(static_cast<uint32_t>(point.Y));
    }
    writer.CloseBlock();
}

void WriteTextMark(TAnnotWriter& writer, const TQkImagingObject& mark)
{
    const std::string text = mark.Text.value_or(std::string());
    writer.OpenBlock(markBlockRecord, "OiAnText");
    for (uint32_t value : {0u, 1000u, uint32_t(usualTextScale), uint32_t(text.size())})
        writer.Put(value);
    writer.PutText(text);
    writer.CloseBlock();
}

} // namespace

int32_t TQkImagingObject::MarkType() const { return static_cast<int32_t>(Get32(Attributes.data() + markTypeOffset)); }

void TQkImagingObject::SetMarkType(int32_t type) { Put32(Attributes.data() + markTypeOffset, uint32_t(type)); }

int32_t TQkImagingObject::FontHeight() const
{
    return static_cast<int32_t>(Get32(Attributes.data() + fontHeightOffset));
}

void TQkImagingObject::SetFontHeight(int32_t height) { Put32(Attributes.data() + fontHeightOffset, uint32_t(height)); }

std::unique_ptr<TQkImagingObject> TQkImagingObject::Clone() const
{
    auto copy = std::make_unique<TQkImagingObject>();
    copy->Attributes = Attributes;
    copy->Points = Points;
    copy->Text = Text;
    if (Image) {
        copy->Image = std::make_unique<TQkBitmap>();
        copy->Image->Assign(Image.get());
    }
    return copy;
}

void TQkImagingAnnot::Assign(const TQkImagingAnnot& other)
{
    if (&other == this)
        return;
    Clear();
    for (const auto& mark : other.objects_)
        objects_.push_back(mark->Clone());
}

void TQkImagingAnnot::LoadFromBuffer(const uint8_t* data, int64_t length)
{
    userChanged_ = false;
    if (data == nullptr || length < int64_t(recordHeadSize))
        return;
    TAnnotReader reader(data, static_cast<size_t>(length));
    reader.Skip(4);
    const bool longForm = reader.Next32() == 1;
    std::array<uint8_t, TQkImagingObject::AttributeSize> attributes{};
    bool markOpen = false;
    TBlockSet defaults;
    TBlockSet current;
    auto finishMark = [&] {
        if (!markOpen)
            return;
        if (auto mark = MakeMark(attributes, current))
            objects_.push_back(std::move(mark));
        markOpen = false;
        current.clear();
    };
    bool fits = true;
    while (fits && !reader.AtEnd() && reader.Has(recordHeadSize)) {
        const uint32_t type = reader.Next32();
        reader.Skip(4);
        if (type == defaultBlockRecord) {
            fits = ReadNamedBlock(reader, longForm, defaults);
        } else if (type == markBlockRecord) {
            fits = ReadNamedBlock(reader, longForm, current);
        } else if (type == attributeRecord) {
            finishMark();
            fits = reader.Has(attributes.size());
            if (fits) {
                std::memcpy(attributes.data(), reader.Here(), attributes.size());
                reader.Skip(attributes.size());
                markOpen = true;
            }
        }
    }
    finishMark();
}

std::vector<uint8_t> TQkImagingAnnot::SaveToBuffer() const
{
    if (objects_.empty())
        return {};
    TAnnotWriter writer;
    writer.Put(0);
    writer.Put(1);
    writer.TextBlock(defaultBlockRecord, "OiGroup", "0");
    writer.TextBlock(defaultBlockRecord, "OiIndex", "1");
    for (size_t k = 0; k < objects_.size(); ++k) {
        const TQkImagingObject& mark = *objects_[k];
        writer.Put(attributeRecord);
        writer.Put(TQkImagingObject::AttributeSize);
        writer.PutBytes(mark.Attributes.data(), mark.Attributes.size());
        if (mark.MarkType() == TQkImagingObject::ImageMark)
            WriteImageMark(writer, mark);
        else if (mark.CarriesPoints())
            WritePointsMark(writer, mark);
        else if (mark.CarriesText())
            WriteTextMark(writer, mark);
        writer.TextBlock(markBlockRecord, "OiGroup", "0");
        writer.TextBlock(markBlockRecord, "OiIndex", std::to_string(k));
    }
    return writer.Take();
}

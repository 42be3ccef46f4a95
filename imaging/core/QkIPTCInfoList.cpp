#include "imaging/core/QkIPTCInfoList.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/core/Exceptions.h"

namespace {

constexpr uint8_t datasetTag = 0x1C;
constexpr std::string_view photoshopSignature{"Photoshop 3.0"};
// "Photoshop 3.0" NUL, "8BIM", resource 0x0404, an empty padded name, then
// the 4-byte size of the IPTC data.
constexpr uint8_t photoshopHeader[] = {'P', 'h', 'o', 't', 'o', 's', 'h', 'o', 'p', ' ', '3', '.', '0',
                                       0,   '8', 'B', 'I', 'M', 4,   4,   0,   0,   0,   0,   0,   0};
constexpr size_t photoshopSizeOffset = 22;
constexpr uint8_t iptcResource[] = {'8', 'B', 'I', 'M', 4, 4};
constexpr uint8_t recordVersionDataset[] = {datasetTag, 2, 0, 0, 2, 0, 2};
// Lengths from here on take the extended form: a flagged count of length
// bytes, then the length.
constexpr uint32_t extendedLengthThreshold = 32768;
constexpr uint16_t extendedLengthFlag = 0x8000;
constexpr int maxLengthBytes = 4;

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value, int count)
{
    for (int i = count - 1; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Where the datasets start: behind the IPTC resource of a Photoshop block
// (the end when it has none), else at the start.
size_t DatasetsStart(const uint8_t* buffer, size_t length)
{
    const std::string_view text(reinterpret_cast<const char*>(buffer), length);
    if (text.substr(0, photoshopSignature.size()) != photoshopSignature)
        return 0;
    const std::string_view resource(reinterpret_cast<const char*>(iptcResource), sizeof iptcResource);
    const size_t found = text.find(resource);
    return found == std::string_view::npos ? length : found + resource.size();
}

} // namespace

const TQkIPTCInfoList::TItem& TQkIPTCInfoList::At(int32_t index) const
{
    if (index < 0 || index >= GetCount())
        throw CreateFmt<EListError>("List index out of bounds (%d)", index);
    return items_[static_cast<size_t>(index)];
}

int32_t TQkIPTCInfoList::GetRecordNumber(int32_t index) const { return At(index).Record; }

int32_t TQkIPTCInfoList::GetDatasetNumber(int32_t index) const { return At(index).Dataset; }

const uint8_t* TQkIPTCInfoList::GetItemData(int32_t index) const { return At(index).Data.data(); }

int32_t TQkIPTCInfoList::GetItemLength(int32_t index) const { return static_cast<int32_t>(At(index).Data.size()); }

int32_t TQkIPTCInfoList::AddItem(int32_t record, int32_t dataset, int32_t length, const uint8_t* data)
{
    TItem item{record, dataset, {}};
    if (data != nullptr && length > 0)
        item.Data.assign(data, data + length);
    items_.push_back(std::move(item));
    userChanged_ = true;
    return GetCount() - 1;
}

void TQkIPTCInfoList::Clear()
{
    items_.clear();
    userChanged_ = true;
}

void TQkIPTCInfoList::Assign(const TQkIPTCInfoList* source)
{
    if (source == nullptr)
        return;
    if (source != this)
        items_ = source->items_;
    userChanged_ = true;
}

std::vector<uint8_t> TQkIPTCInfoList::SaveToBuffer(bool withPhotoshopHeader) const
{
    if (items_.empty())
        return {};
    std::vector<uint8_t> out;
    if (withPhotoshopHeader)
        out.assign(std::begin(photoshopHeader), std::end(photoshopHeader));
    else
        out.assign(std::begin(recordVersionDataset), std::end(recordVersionDataset));
    const size_t datasetsStart = out.size();
    for (const TItem& item : items_) {
        const bool recordVersion = item.Record == 2 && item.Dataset == 0;
        if (recordVersion || item.Data.empty())
            continue;
        out.insert(out.end(), {datasetTag, uint8_t(item.Record), uint8_t(item.Dataset)});
        const auto length = static_cast<uint32_t>(item.Data.size());
        if (length < extendedLengthThreshold) {
            PutBigEndian(out, length, 2);
        } else {
            PutBigEndian(out, extendedLengthFlag | maxLengthBytes, 2);
            PutBigEndian(out, length, maxLengthBytes);
        }
        out.insert(out.end(), item.Data.begin(), item.Data.end());
    }
    const auto datasetsSize = static_cast<uint32_t>(out.size() - datasetsStart);
    if (out.size() % 2 != 0)
        out.push_back(0);
    if (withPhotoshopHeader)
        for (int i = 0; i < 4; ++i)
            out[photoshopSizeOffset + size_t(i)] = static_cast<uint8_t>(datasetsSize >> (8 * (3 - i)));
    return out;
}

bool TQkIPTCInfoList::LoadFromBuffer(const uint8_t* buffer, int64_t length)
{
    items_.clear();
    bool added = false;
    if (buffer != nullptr && length > 0) {
        const auto size = static_cast<size_t>(length);
        size_t at = DatasetsStart(buffer, size);
        at = static_cast<size_t>(std::find(buffer + at, buffer + size, datasetTag) - buffer);
        while (at + 1 < size && buffer[at + 1] == datasetTag)
            ++at;
        // Each dataset: the tag, record, dataset, a 2-byte length (or, with
        // its top bit set, the count of length bytes that follow), the data.
        while (at < size && buffer[at] == datasetTag && size - at - 1 >= 5) {
            const uint8_t record = buffer[at + 1];
            const uint8_t dataset = buffer[at + 2];
            const uint32_t lengthField = uint32_t(buffer[at + 3]) << 8 | buffer[at + 4];
            size_t data = at + 5;
            uint64_t dataLength = lengthField;
            if (lengthField & extendedLengthFlag) {
                const uint32_t lengthBytes = lengthField & ~uint32_t(extendedLengthFlag);
                if (lengthBytes < 1 || lengthBytes > maxLengthBytes || size - data < lengthBytes)
                    break;
                dataLength = 0;
                for (uint32_t i = 0; i < lengthBytes; ++i)
                    dataLength = dataLength << 8 | buffer[data + i];
                data += lengthBytes;
            }
            if (dataLength > size - data || dataLength > uint64_t(INT32_MAX))
                break;
            AddItem(record, dataset, static_cast<int32_t>(dataLength), buffer + data);
            added = true;
            at = data + static_cast<size_t>(dataLength);
        }
    }
    userChanged_ = false;
    return added;
}

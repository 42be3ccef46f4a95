#include "imaging/core/QkMarkerList.h"

#include <cstring>
#include <utility>

#include "imaging/core/QkExifBlocks.h"
#include "imaging/core/QkQuickSort.h"
#include "platform/core/Exceptions.h"

namespace {

// "ICC_PROFILE", its NUL, the sequence number and the chunk count.
constexpr char iccChunkName[] = "ICC_PROFILE";
constexpr size_t iccSequenceOffset = 12;
constexpr size_t iccChunkMinimum = 13;

bool IsIccChunk(uint8_t type, const std::vector<uint8_t>& data)
{
    return type == qkMarkerAPP2 && data.size() > iccChunkMinimum &&
        std::memcmp(data.data(), iccChunkName, sizeof iccChunkName) == 0;
}

std::vector<uint8_t> CopyOf(const uint8_t* data, uint16_t length)
{
    if (data == nullptr || length == 0)
        return {};
    return {data, data + length};
}

} // namespace

const TQkMarkerList::TMarker& TQkMarkerList::At(int32_t index) const
{
    if (index < 0 || index >= GetCount())
        throw CreateFmt<EListError>("List index out of bounds (%d)", index);
    return markers_[static_cast<size_t>(index)];
}

uint8_t TQkMarkerList::GetMarkerType(int32_t index) const { return At(index).Type; }

const uint8_t* TQkMarkerList::GetMarkerData(int32_t index) const { return At(index).Data.data(); }

int32_t TQkMarkerList::GetMarkerLength(int32_t index) const { return static_cast<int32_t>(At(index).Data.size()); }

int32_t TQkMarkerList::IndexOf(uint8_t type) const
{
    for (int32_t i = 0; i < GetCount(); ++i)
        if (markers_[static_cast<size_t>(i)].Type == type)
            return i;
    return -1;
}

int32_t TQkMarkerList::AddMarker(uint8_t type, const uint8_t* data, uint16_t length)
{
    markers_.push_back({type, CopyOf(data, length)});
    return GetCount() - 1;
}

void TQkMarkerList::SetMarker(int32_t index, uint8_t type, uint16_t length, const uint8_t* data)
{
    At(index);
    markers_[static_cast<size_t>(index)] = {type, CopyOf(data, length)};
}

void TQkMarkerList::DeleteMarker(int32_t index)
{
    At(index);
    markers_.erase(markers_.begin() + index);
}

void TQkMarkerList::Assign(const TQkMarkerList* source)
{
    if (source != nullptr && source != this)
        markers_ = source->markers_;
}

int32_t TQkMarkerList::CompareMarkers(int32_t a, int32_t b) const
{
    const TMarker& first = markers_[static_cast<size_t>(a)];
    const TMarker& second = markers_[static_cast<size_t>(b)];
    if (IsIccChunk(first.Type, first.Data) && IsIccChunk(second.Type, second.Data))
        return int32_t(first.Data[iccSequenceOffset]) - int32_t(second.Data[iccSequenceOffset]);
    return int32_t(first.Type) - int32_t(second.Type);
}

void TQkMarkerList::MoveExifFirst()
{
    const int32_t firstApp1 = IndexOf(qkMarkerAPP1);
    if (firstApp1 < 0)
        return;
    for (int32_t i = firstApp1 + 1; i < GetCount(); ++i) {
        const TMarker& marker = markers_[static_cast<size_t>(i)];
        if (marker.Type == qkMarkerAPP1 && IsExifBlock(marker.Data.data(), static_cast<int64_t>(marker.Data.size())))
            std::swap(markers_[static_cast<size_t>(firstApp1)], markers_[static_cast<size_t>(i)]);
    }
}

void TQkMarkerList::Sort()
{
    QuickSortCount(
        GetCount(), [this](int32_t a, int32_t b) { std::swap(markers_[size_t(a)], markers_[size_t(b)]); },
        [this](int32_t a, int32_t b) { return CompareMarkers(a, b); });
    MoveExifFirst();
}

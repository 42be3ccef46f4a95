#include "imaging/core/QkDICOMTags.h"

#include <algorithm>

#include "platform/core/Exceptions.h"

int32_t TQkDICOMTags::AddTag(uint16_t group, uint16_t element, const std::string& vr, int32_t length,
                             std::vector<uint8_t> data)
{
    TQkDICOMTag tag;
    tag.Group = group;
    tag.Element = element;
    if (vr.size() == 2)
        tag.VR = {vr[0], vr[1]};
    if (length >= 0) {
        tag.Data = std::move(data);
        tag.Data.resize(static_cast<size_t>(length));
        tag.Data.push_back(0);
        tag.DataLength = length;
    }
    tags_.push_back(std::move(tag));
    return Count() - 1;
}

void TQkDICOMTags::Assign(const TQkDICOMTags& source)
{
    if (&source == this)
        return;
    tags_.clear();
    for (const TQkDICOMTag& tag : source.tags_) {
        TQkDICOMTag copy = tag;
        if (copy.DataLength <= 0) {
            copy.Data.clear();
            copy.DataLength = 0;
        }
        tags_.push_back(std::move(copy));
    }
}

const TQkDICOMTag& TQkDICOMTags::GetTag(int32_t index) const
{
    if (index < 0 || index >= Count())
        throw CreateFmt<EListError>("List index out of bounds (%d)", index);
    return tags_[static_cast<size_t>(index)];
}

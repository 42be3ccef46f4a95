#include "imaging/formats/dicom/QkDicomDictionary.h"

#include <algorithm>

namespace {

uint32_t TagOf(uint16_t group, uint16_t element) { return uint32_t(group) << 16 | element; }

} // namespace

TDicomVR DicomDictionaryVR(uint16_t group, uint16_t element)
{
    const uint32_t tag = TagOf(group, element);
    const TDicomDictionaryEntry* end = DicomDictionaryEntries + DicomDictionaryEntryCount;
    const TDicomDictionaryEntry* found =
        std::lower_bound(DicomDictionaryEntries, end, tag, [](const TDicomDictionaryEntry& entry, uint32_t wanted) {
            return TagOf(entry.Group, entry.Element) < wanted;
        });
    if (found != end && TagOf(found->Group, found->Element) == tag)
        return found->VR;
    for (size_t i = 0; i < DicomRepeatingEntryCount; ++i) {
        const TDicomRepeatingEntry& entry = DicomRepeatingEntries[i];
        if ((tag & entry.Mask) == entry.Tag)
            return entry.VR;
    }
    return DataDependentVR;
}

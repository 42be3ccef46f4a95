#pragma once
// The value representations of the public DICOM data elements, for files
// whose elements do not carry their own. Two pseudo representations: "xs"
// (take it from the data) and "!!" (items and delimiters, which have none).

#include <array>
#include <cstddef>
#include <cstdint>

using TDicomVR = std::array<char, 2>;

struct TDicomDictionaryEntry {
    uint16_t Group;
    uint16_t Element;
    TDicomVR VR;
};

// Repeating groups such as (50xx,0010): a tag matches when the bits of the
// mask agree.
struct TDicomRepeatingEntry {
    uint32_t Tag;
    uint32_t Mask;
    TDicomVR VR;
};

// Sorted by group, then element, for the binary search.
extern const TDicomDictionaryEntry DicomDictionaryEntries[];
extern const size_t DicomDictionaryEntryCount;
extern const TDicomRepeatingEntry DicomRepeatingEntries[];
extern const size_t DicomRepeatingEntryCount;

inline constexpr TDicomVR DataDependentVR{'x', 's'};
inline constexpr TDicomVR NoVR{'!', '!'};

// The dictionary's representation of a tag; "xs" for tags it does not list
// (private ones among them).
TDicomVR DicomDictionaryVR(uint16_t group, uint16_t element);

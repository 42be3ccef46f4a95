#pragma once
// The DICOM data elements kept with an image's parameters.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct TQkDICOMTag {
    uint16_t Group = 0;
    uint16_t Element = 0;
    // Two characters, both 0 when there is none.
    std::array<char, 2> VR{};
    // DataLength bytes followed by one terminating zero byte; empty when
    // the element has no data.
    std::vector<uint8_t> Data;
    int32_t DataLength = 0;
};

class TQkDICOMTags {
public:
    // Appends an element; returns its index. The value representation is
    // kept only when it has exactly two characters. A negative length keeps
    // no data; otherwise the element takes `data` (cut or zero-filled to
    // `length` bytes) and ends it with a zero byte.
    int32_t AddTag(uint16_t group, uint16_t element, const std::string& vr, int32_t length, std::vector<uint8_t> data);
    // Replaces the elements by copies of the source's.
    void Assign(const TQkDICOMTags& source);
    void Clear() { tags_.clear(); }

    int32_t Count() const { return static_cast<int32_t>(tags_.size()); }
    // Raises EListError for an index outside 0 .. Count - 1.
    const TQkDICOMTag& GetTag(int32_t index) const;

private:
    std::vector<TQkDICOMTag> tags_;
};

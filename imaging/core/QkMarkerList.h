#pragma once
// The JPEG application (APP0 .. APP15) and comment segments of an image,
// kept to be written back in the same order when it is saved again.

#include <cstdint>
#include <vector>

constexpr uint8_t qkMarkerAPP0 = 0xE0;
constexpr uint8_t qkMarkerAPP1 = 0xE1;
constexpr uint8_t qkMarkerAPP2 = 0xE2;
constexpr uint8_t qkMarkerCOM = 0xFE;

class TQkMarkerList {
public:
    int32_t GetCount() const { return static_cast<int32_t>(markers_.size()); }
    // The index functions raise EListError "List index out of bounds (%d)"
    // for an index outside 0 .. GetCount - 1.
    uint8_t GetMarkerType(int32_t index) const;
    // The segment's payload, without the marker and its length field.
    const uint8_t* GetMarkerData(int32_t index) const;
    int32_t GetMarkerLength(int32_t index) const;
    // The first index holding the type, -1 when none does.
    int32_t IndexOf(uint8_t type) const;

    // Appends a copy of `length` bytes of `data` and returns its index.
    int32_t AddMarker(uint8_t type, const uint8_t* data, uint16_t length);
    void SetMarker(int32_t index, uint8_t type, uint16_t length, const uint8_t* data);
    void DeleteMarker(int32_t index);
    void Clear() { markers_.clear(); }
    // Replaces the entries by copies of the source's; nil is ignored.
    void Assign(const TQkMarkerList* source);

    // Orders by marker type; colour-profile chunks (APP2 "ICC_PROFILE") by
    // their sequence number; an EXIF APP1 goes before the other APP1
    // segments, as readers expect it first.
    void Sort();

private:
    struct TMarker {
        uint8_t Type = 0;
        std::vector<uint8_t> Data;
    };

    const TMarker& At(int32_t index) const;
    int32_t CompareMarkers(int32_t a, int32_t b) const;
    void MoveExifFirst();

    std::vector<TMarker> markers_;
};

#pragma once
// One image file directory of a TIFF stream and typed access to its tags.
// Every value is read through a bounds check against the stream, so a
// damaged directory yields defaults rather than reads past the data.

#include <cstdint>
#include <string>
#include <vector>

class TStream;

struct TTiffEntry {
    uint16_t Tag = 0;
    uint16_t Type = 0;
    uint32_t Count = 0;
    // The value field as stored, in file byte order.
    uint8_t Field[4] = {};
};

// Bytes of one value of a field type; types outside 1-12 count 1 byte.
int32_t TiffTypeSize(uint16_t type);

class TTiffDirectory {
public:
    TTiffDirectory(TStream& stream, int64_t base, bool intel);

    // Loads the directory at `offset` (from the base); false when its entry
    // count cannot be read or is 0.
    bool Load(uint32_t offset);
    // The next-directory offset read by the last Load (0 for none).
    uint32_t NextOffset() const { return nextOffset_; }
    bool Intel() const { return intel_; }
    TStream& Stream() const { return *stream_; }
    int64_t Base() const { return base_; }
    // No entries, as after a failed Load.
    void Clear()
    {
        entries_.clear();
        nextOffset_ = 0;
    }
    bool Empty() const { return entries_.empty(); }

    bool Has(uint16_t tag) const { return Find(tag) != nullptr; }
    const TTiffEntry* Find(uint16_t tag) const;
    // Value `index` of an integer or rational tag (the numerator), or the default.
    int64_t Integer(uint16_t tag, int64_t fallback, uint32_t index = 0) const;
    // Value `index` of a RATIONAL tag; a zero denominator counts as 1.
    double Rational(uint16_t tag, double fallback, uint32_t index = 0) const;
    std::vector<uint32_t> Integers(uint16_t tag) const;
    // The count x type-size bytes of the tag; empty when they are not all
    // inside the stream.
    std::vector<uint8_t> Bytes(uint16_t tag) const;
    // Text cut at the first NUL; texts above 1 MiB are left empty.
    std::string Text(uint16_t tag) const;

    uint16_t Word(const uint8_t* bytes) const;
    uint32_t Long(const uint8_t* bytes) const;
    // Bytes the stream holds from base + offset on (0 past its end).
    int64_t BytesFrom(uint64_t offset) const;
    // Reads `count` bytes at base + offset; false when they are not all there.
    bool ReadAt(uint64_t offset, void* buffer, uint64_t count) const;

private:
    std::vector<uint8_t> EntryBytes(const TTiffEntry& entry) const;
    int64_t ElementOf(const TTiffEntry& entry, const std::vector<uint8_t>& bytes, uint32_t index) const;

    TStream* stream_;
    int64_t base_;
    bool intel_;
    std::vector<TTiffEntry> entries_;
    uint32_t nextOffset_ = 0;
};

// The header of TIFF data at the stream's position: byte order and first
// directory offset. False for a byte order other than "II" or "MM".
bool ReadTiffHeader(TStream& stream, bool& intel, uint32_t& firstOffset);

// Walks the directory chain from `firstOffset`, loading directory number
// `wanted` into `directory`, and counts the directories. The walk ends at a
// 0 offset, an offset outside the stream or one already visited (a cycle).
// Returns whether the wanted directory was found.
bool ReadTiffIfd(int32_t wanted, uint32_t firstOffset, TTiffDirectory& directory, int32_t& count);

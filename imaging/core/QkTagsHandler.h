#pragma once
// A camera maker's private EXIF data (the MakerNote tag) in a form the
// library can carry and write back: the maker is recognised from the note's
// leading bytes, and the note's tag directory (in the maker's byte order,
// with offsets from the maker's origin) becomes a self-contained
// little-endian directory in a memory stream, whose out-of-line values
// follow the entries and are addressed from the stream's start.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/Streams.h"

// How a maker lays out its note.
struct TQkEXIFMakerNoteDeviceInfo {
    // The leading bytes that identify the maker.
    std::string Header;
    // 0: value offsets count from the enclosing file's origin; 1: from the
    // maker's own origin.
    uint8_t OffsetBase = 0;
    // 0: the directory follows the header; 1: an 8-byte TIFF header follows
    // it; 2: a 32-bit directory offset follows it.
    uint8_t HeaderKind = 0;
    std::string EmbeddedHeader;
    // 0: as the enclosing file; 1: from the embedded header; 2: little-endian;
    // 3: big-endian.
    uint8_t ByteOrder = 0;

    bool operator==(const TQkEXIFMakerNoteDeviceInfo&) const = default;
};

// The maker whose header the note starts with; the empty record for none.
TQkEXIFMakerNoteDeviceInfo FindMakerNoteDevice(const uint8_t* note, int64_t size);

// One directory entry of the converted directory.
struct TQkTagsEntry {
    uint16_t Tag = 0;
    uint16_t Type = 0;
    uint32_t Count = 0;
    // The value itself, or the offset of an out-of-line value in the stream.
    uint32_t Value = 0;

    bool operator==(const TQkTagsEntry&) const = default;
};

class TQkTagsHandler {
public:
    void Clear();
    void Assign(const TQkTagsHandler& other);

    // Reads a maker note of `size` bytes at the stream's position;
    // `littleEndian` is the enclosing file's byte order. Every read stays
    // inside the note; a note that cannot be read leaves the handler empty.
    void ReadFromStream(TStream& stream, int32_t size, bool littleEndian);
    // Writes the note at the stream's position in the form ReadFromStream
    // reads, with `littleEndian` the enclosing file's byte order. The bytes
    // written, or 0 for a note of 65001 bytes or more.
    int32_t WriteToStream(TStream& stream, bool littleEndian = true);
    // Reloads the entry table from the directory stream.
    void ReadDirectory();
    void SetRawData(std::vector<uint8_t> block) { raw_ = std::move(block); }

    const std::vector<uint8_t>& RawData() const { return raw_; }
    const TQkEXIFMakerNoteDeviceInfo& DeviceInfo() const { return device_; }
    TMemoryStream& DirectoryStream() { return directory_; }
    const std::vector<TQkTagsEntry>& Entries() const { return entries_; }

private:
    bool ReadNote(bool littleEndian, int64_t notePosition);

    std::vector<uint8_t> raw_;
    TQkEXIFMakerNoteDeviceInfo device_;
    TMemoryStream directory_;
    std::vector<TQkTagsEntry> entries_;
};

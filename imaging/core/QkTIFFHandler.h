#pragma once
// The whole tag structure of a TIFF file in memory: every page's entries
// with their out-of-line values, the EXIF, GPS and interoperability
// sub-directories and the image data the offset tags point to. Tags can be
// deleted, set and copied, and the result written back as a TIFF without
// re-encoding the image data.
//
// Every offset in the file counts from the position of the TIFF header, so
// a TIFF embedded in other data (an EXIF block) reads like a file.

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/core/Streams.h"

enum TQkTIFFType : uint16_t {
    ttByte = 1,
    ttAscii = 2,
    ttShort = 3,
    ttLong = 4,
    ttRational = 5,
    ttSByte = 6,
    ttUndefined = 7,
    ttSShort = 8,
    ttSLong = 9,
    ttSRational = 10,
    ttFloat = 11,
    ttDouble = 12,
};

// Bytes per value of an entry type; types outside 1..12 count 1 byte.
uint32_t TIFFTypeSize(uint16_t type);

struct TQkTIFFEntry;
using TQkTIFFTagList = std::vector<TQkTIFFEntry>;

// One directory entry. Values keep the file's byte order.
struct TQkTIFFEntry {
    uint16_t Tag = 0;
    uint16_t Type = 0;
    uint32_t Count = 0;
    // The value field as it stands in the file, for values of 4 bytes or less.
    uint8_t Inline[4] = {0, 0, 0, 0};
    // A value of more than 4 bytes.
    std::vector<uint8_t> Data;
    // The entry of a sub-directory tag holds the sub-directory's entries.
    bool IsSubDirectory = false;
    TQkTIFFTagList SubDirectory;
    // An offset tag holds the data it pointed to, one block per offset; its
    // count is the number of blocks.
    bool IsOffsetTag = false;
    std::vector<std::vector<uint8_t>> Blocks;

    uint64_t ValueSize() const { return uint64_t(Count) * TIFFTypeSize(Type); }
    // The value's bytes, inline or out of line.
    const uint8_t* ValueBytes() const { return ValueSize() > 4 ? Data.data() : Inline; }
};

// A value for SetTag: a number for the numeric types, a string for ASCII,
// bytes for UNDEFINED.
using TQkTIFFValue = std::variant<int64_t, double, std::string, std::vector<uint8_t>>;

class TQkTIFFHandler {
public:
    TQkTIFFHandler() = default;
    // An empty handler that reads the file when it exists.
    static std::unique_ptr<TQkTIFFHandler> CreateFromFile(const std::string& fileName);
    static std::unique_ptr<TQkTIFFHandler> CreateFromStream(TStream& stream);

    // Reads the TIFF at the stream's position. False, with no pages, when the
    // byte-order mark is neither "II" nor "MM" or the header is cut short.
    bool ReadStream(TStream& stream);
    void Clear() { pages_.clear(); }

    bool BigEndian() const { return bigEndian_; }
    void SetBigEndian(bool bigEndian) { bigEndian_ = bigEndian; }
    uint16_t Version() const { return version_; }
    int PageCount() const { return static_cast<int>(pages_.size()); }
    // Raises EListError for an index outside the pages.
    TQkTIFFTagList& Page(int index);
    void DeletePage(int index);

    static void DeleteTag(TQkTIFFTagList& list, int index);
    static int FindTag(const TQkTIFFTagList& list, uint16_t tag);
    // -1 when the page does not exist or lacks the tag.
    int GetTagIndex(int page, uint16_t tag) const;
    // The i-th value of the tag as an integer; 0 when the tag is absent, the
    // index lies outside its count or the type is not an integer type. For an
    // offset tag it is the length of the i-th data block.
    int64_t GetTagValue(const TQkTIFFTagList& list, uint16_t tag, int64_t i) const;
    // Replaces any entry of the tag by one built from the value in this
    // handler's byte order. False when the value does not suit the type.
    bool SetTag(TQkTIFFTagList& list, uint16_t tag, const TQkTIFFValue& value, uint16_t type);
    void SortPage(int index);
    static void SortTags(TQkTIFFTagList& list);
    // Copies entry `tagIndex` of the source's page into this handler's page;
    // nothing when a page is missing or the byte orders differ.
    void CopyTag(int sourcePage, int tagIndex, int destinationPage, const TQkTIFFHandler& source);

    // A page index outside the pages writes all of them.
    void WriteFile(const std::string& fileName, int page);
    void WriteStream(TStream& stream, int page);
    // One directory alone at the stream's position, its values after it
    // and its offsets counted from that position: the form in which HD Photo
    // takes its EXIF and GPS directories.
    void WriteDirectory(TStream& stream, const TQkTIFFTagList& directory) const;

private:
    uint16_t Get16(const uint8_t* bytes) const;
    uint32_t Get32(const uint8_t* bytes) const;
    void Put16(uint8_t* bytes, uint16_t value) const;
    void Put32(uint8_t* bytes, uint32_t value) const;
    int64_t ValueAt(const TQkTIFFEntry& entry, int64_t i) const;

    bool bigEndian_ = false;
    uint16_t version_ = 42;
    std::vector<TQkTIFFTagList> pages_;

    friend class TQkTIFFReader;
    friend class TQkTIFFWriter;
};

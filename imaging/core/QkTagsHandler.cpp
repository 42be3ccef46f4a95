#include "imaging/core/QkTagsHandler.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int64_t EntrySize = 12;
constexpr uint16_t MaxEntries = 256;
constexpr int64_t MaxNoteSize = 65001;
constexpr int64_t EmbeddedHeaderSize = 8;

struct TKnownMaker {
    const char* Header;
    size_t HeaderLength;
    uint8_t OffsetBase;
    uint8_t HeaderKind;
    uint8_t ByteOrder;
};

// Tried in this order; the first whose header matches wins.
constexpr TKnownMaker KnownMakers[] = {
    {"SONY CAM \0\0\0", 12, 0, 0, 0}, {"SONY DSC \0\0\0", 12, 0, 0, 0}, {"Nikon\0\x02\x10\0\0", 10, 1, 1, 1},
    {"QVC\0\0\0", 6, 0, 0, 3},        {"EPSON\0\x01\0", 8, 0, 0, 0},    {"Nikon\0\x01\0", 8, 0, 0, 0},
    {"Panasonic\0\0\0", 12, 0, 0, 0}, {"FUJIFILM", 8, 1, 2, 2},
};

// Bytes per value of types 0..12; other types count 1.
uint32_t TypeSize(uint16_t type)
{
    static constexpr uint32_t sizes[13] = {1, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return type < 13 ? sizes[type] : 1;
}

uint64_t ValueSize(const TQkTagsEntry& entry) { return uint64_t(entry.Count) * TypeSize(entry.Type); }

class TByteOrder {
public:
    explicit TByteOrder(bool littleEndian) : little_(littleEndian) {}

    uint16_t Get16(const uint8_t* b) const
    {
        return static_cast<uint16_t>(little_ ? b[0] | b[1] << 8 : b[0] << 8 | b[1]);
    }
    uint32_t Get32(const uint8_t* b) const
    {
        return little_ ? uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24
                       : uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | uint32_t(b[3]);
    }
    void Put16(uint8_t* b, uint16_t v) const
    {
        const uint8_t low = static_cast<uint8_t>(v), high = static_cast<uint8_t>(v >> 8);
        b[0] = little_ ? low : high;
        b[1] = little_ ? high : low;
    }
    void Put32(uint8_t* b, uint32_t v) const
    {
        for (int i = 0; i < 4; ++i)
            b[little_ ? i : 3 - i] = static_cast<uint8_t>(v >> (8 * i));
    }

    TQkTagsEntry GetEntry(const uint8_t* b) const { return {Get16(b), Get16(b + 2), Get32(b + 4), Get32(b + 8)}; }
    void PutEntry(uint8_t* b, const TQkTagsEntry& e) const
    {
        Put16(b, e.Tag);
        Put16(b + 2, e.Type);
        Put32(b + 4, e.Count);
        Put32(b + 8, e.Value);
    }

private:
    bool little_;
};

const TByteOrder LittleEndian(true);

// The note's byte order: the maker's own, or the enclosing file's.
bool NoteIsLittleEndian(const TQkEXIFMakerNoteDeviceInfo& device, bool fileLittleEndian)
{
    switch (device.ByteOrder) {
    case 1: return device.EmbeddedHeader.compare(0, 2, "II") == 0;
    case 2: return true;
    case 3: return false;
    default: return fileLittleEndian;
    }
}

// Where the maker's own offsets count from, inside the note.
int64_t MakerOrigin(const TQkEXIFMakerNoteDeviceInfo& device)
{
    return device.HeaderKind == 1 ? static_cast<int64_t>(device.Header.size()) : 0;
}

void WriteZeros(TStream& stream, int64_t count)
{
    static constexpr uint8_t zeros[4] = {0, 0, 0, 0};
    stream.WriteBuffer(zeros, count);
}

// The entries of a directory stream, as many as it holds.
std::vector<TQkTagsEntry> DirectoryEntries(TMemoryStream& directory)
{
    std::vector<TQkTagsEntry> entries;
    const int64_t size = directory.Size();
    if (size < 2)
        return entries;
    const auto* bytes = static_cast<const uint8_t*>(directory.Memory());
    const int64_t count = std::min<int64_t>(LittleEndian.Get16(bytes), (size - 2) / EntrySize);
    for (int64_t k = 0; k < count; ++k)
        entries.push_back(LittleEndian.GetEntry(bytes + 2 + EntrySize * k));
    return entries;
}

} // namespace

TQkEXIFMakerNoteDeviceInfo FindMakerNoteDevice(const uint8_t* note, int64_t size)
{
    for (const TKnownMaker& maker : KnownMakers) {
        const size_t compared = std::min<size_t>(maker.HeaderLength, size_t(std::max<int64_t>(size, 0)));
        if (std::memcmp(note, maker.Header, compared) == 0)
            return {std::string(maker.Header, maker.HeaderLength),
                    maker.OffsetBase,
                    maker.HeaderKind,
                    {},
                    maker.ByteOrder};
    }
    return {};
}

void TQkTagsHandler::Clear()
{
    raw_.clear();
    entries_.clear();
    device_ = {};
    directory_.Clear();
}

void TQkTagsHandler::Assign(const TQkTagsHandler& other)
{
    if (&other == this)
        return;
    Clear();
    other.directory_.SaveToStream(directory_);
    ReadDirectory();
    raw_ = other.raw_;
    device_ = other.device_;
}

void TQkTagsHandler::ReadFromStream(TStream& stream, int32_t size, bool littleEndian)
{
    Clear();
    const int64_t notePosition = stream.Position();
    if (size <= 1)
        return;
    raw_.resize(size_t(size));
    if (stream.Read(raw_.data(), size) != size || !ReadNote(littleEndian, notePosition)) {
        Clear();
        return;
    }
    ReadDirectory();
}

// Converts the raw note's directory into the directory stream; false when
// the directory does not lie inside the note.
bool TQkTagsHandler::ReadNote(bool littleEndian, int64_t notePosition)
{
    const auto size = static_cast<int64_t>(raw_.size());
    device_ = FindMakerNoteDevice(raw_.data(), size);
    int64_t p = static_cast<int64_t>(device_.Header.size());
    if (device_.HeaderKind == 1) {
        if (p + EmbeddedHeaderSize > size)
            return false;
        device_.EmbeddedHeader.assign(raw_.begin() + p, raw_.begin() + p + EmbeddedHeaderSize);
        p += EmbeddedHeaderSize;
    } else if (device_.HeaderKind == 2) {
        if (p + 4 > size)
            return false;
        p += int64_t(LittleEndian.Get32(&raw_[size_t(p)])) - 8;
    }
    const TByteOrder order(NoteIsLittleEndian(device_, littleEndian));
    if (p < 0 || p + 2 > size)
        return false;
    const uint16_t count = order.Get16(&raw_[size_t(p)]);
    p += 2;
    if (count > MaxEntries || p + EntrySize * count > size)
        return false;

    std::vector<uint8_t> directory(size_t(2 + EntrySize * count));
    LittleEndian.Put16(directory.data(), count);
    const int64_t origin = MakerOrigin(device_);
    for (int64_t k = 0; k < count; ++k, p += EntrySize) {
        TQkTagsEntry entry = order.GetEntry(&raw_[size_t(p)]);
        const uint64_t bytes = ValueSize(entry);
        if (bytes > 4) {
            const int64_t at =
                device_.OffsetBase == 0 ? int64_t(entry.Value) - notePosition : int64_t(entry.Value) + origin;
            if (at >= 0 && uint64_t(at) + bytes <= uint64_t(size)) {
                entry.Value = static_cast<uint32_t>(directory.size());
                directory.insert(directory.end(), raw_.begin() + at, raw_.begin() + at + int64_t(bytes));
            } else {
                entry.Count = 0;
                entry.Value = 0;
            }
        }
        LittleEndian.PutEntry(&directory[size_t(2 + EntrySize * k)], entry);
    }
    directory_.Write(directory.data(), static_cast<int64_t>(directory.size()));
    return true;
}

void TQkTagsHandler::ReadDirectory() { entries_ = DirectoryEntries(directory_); }

int32_t TQkTagsHandler::WriteToStream(TStream& stream, bool littleEndian)
{
    const int64_t start = stream.Position();
    const auto headerLength = static_cast<int64_t>(device_.Header.size());
    stream.WriteBuffer(device_.Header.data(), headerLength);
    const TByteOrder order(NoteIsLittleEndian(device_, littleEndian));
    if (device_.HeaderKind == 1) {
        uint8_t embedded[EmbeddedHeaderSize] = {'I', 'I', 42, 0, 0, 0, 0, 0};
        std::copy_n(device_.EmbeddedHeader.begin(), std::min<size_t>(device_.EmbeddedHeader.size(), 4), embedded);
        order.Put32(embedded + 4, EmbeddedHeaderSize);
        stream.WriteBuffer(embedded, EmbeddedHeaderSize);
    } else if (device_.HeaderKind == 2) {
        // The directory follows this field: the offset counts from 8 bytes
        // before the header's end.
        uint8_t offset[4];
        LittleEndian.Put32(offset, 4 + 8);
        stream.WriteBuffer(offset, 4);
    }

    const std::vector<TQkTagsEntry> entries = DirectoryEntries(directory_);
    const auto count = static_cast<uint16_t>(entries.size());
    uint8_t countBytes[2];
    order.Put16(countBytes, count);
    stream.WriteBuffer(countBytes, 2);
    const int64_t entriesStart = stream.Position();
    int64_t data = entriesStart + EntrySize * count + 4;
    const auto* directory = static_cast<const uint8_t*>(directory_.Memory());
    const int64_t directorySize = directory_.Size();
    const int64_t origin = MakerOrigin(device_);
    std::vector<uint8_t> table(size_t(EntrySize * count + 4));
    for (size_t k = 0; k < entries.size(); ++k) {
        TQkTagsEntry entry = entries[k];
        const uint64_t bytes = ValueSize(entry);
        if (bytes > 4 && uint64_t(entry.Value) + bytes <= uint64_t(directorySize)) {
            stream.SetPosition(data);
            stream.WriteBuffer(directory + entry.Value, int64_t(bytes));
            if (bytes % 2 != 0)
                WriteZeros(stream, 1);
            entry.Value = static_cast<uint32_t>(device_.OffsetBase == 0 ? data : data - start - origin);
            data += int64_t(bytes + bytes % 2);
        } else if (bytes > 4) {
            entry.Count = 0;
            entry.Value = 0;
        }
        order.PutEntry(&table[EntrySize * k], entry);
    }
    stream.SetPosition(entriesStart);
    stream.WriteBuffer(table.data(), static_cast<int64_t>(table.size()));
    stream.SetPosition(data);
    if (data - start >= MaxNoteSize) {
        stream.SetPosition(start);
        return 0;
    }
    return static_cast<int32_t>(data - start);
}

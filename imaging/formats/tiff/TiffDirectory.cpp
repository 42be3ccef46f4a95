#include "imaging/formats/tiff/TiffDirectory.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "imaging/core/QkTIFFHandler.h"
#include "platform/core/Streams.h"

namespace {

constexpr uint64_t EntrySize = 12;
constexpr uint32_t LongestText = 1048575;

} // namespace

TTiffDirectory::TTiffDirectory(TStream& stream, int64_t base, bool intel) : stream_(&stream), base_(base), intel_(intel)
{}

uint16_t TTiffDirectory::Word(const uint8_t* bytes) const
{
    return intel_ ? uint16_t(bytes[0] | bytes[1] << 8) : uint16_t(bytes[0] << 8 | bytes[1]);
}

uint32_t TTiffDirectory::Long(const uint8_t* bytes) const
{
    return intel_ ? uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24
                  : uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | uint32_t(bytes[3]);
}

bool TTiffDirectory::ReadAt(uint64_t offset, void* buffer, uint64_t count) const
{
    const uint64_t start = uint64_t(base_) + offset;
    const int64_t size = stream_->Size();
    if (size < 0 || start > uint64_t(size) || count > uint64_t(size) - start)
        return false;
    stream_->SetPosition(int64_t(start));
    return count == 0 || stream_->Read(buffer, int64_t(count)) == int64_t(count);
}

int64_t TTiffDirectory::BytesFrom(uint64_t offset) const
{
    const uint64_t start = uint64_t(base_) + offset;
    const int64_t size = stream_->Size();
    return size < 0 || start >= uint64_t(size) ? 0 : int64_t(uint64_t(size) - start);
}

bool TTiffDirectory::Load(uint32_t offset)
{
    entries_.clear();
    nextOffset_ = 0;
    uint8_t countBytes[2];
    if (!ReadAt(offset, countBytes, 2))
        return false;
    const uint16_t count = Word(countBytes);
    // A damaged count can ask for far more entries than the stream holds.
    const int64_t entryBytes = int64_t(count) * int64_t(EntrySize);
    if (count == 0 || entryBytes > BytesFrom(uint64_t(offset) + 2))
        return false;
    std::vector<uint8_t> raw(static_cast<size_t>(entryBytes));
    if (!ReadAt(uint64_t(offset) + 2, raw.data(), raw.size()))
        return false;
    entries_.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* bytes = raw.data() + i * EntrySize;
        TTiffEntry& entry = entries_[i];
        entry.Tag = Word(bytes);
        entry.Type = Word(bytes + 2);
        entry.Count = Long(bytes + 4);
        std::memcpy(entry.Field, bytes + 8, 4);
    }
    uint8_t nextBytes[4];
    if (ReadAt(uint64_t(offset) + 2 + raw.size(), nextBytes, 4))
        nextOffset_ = Long(nextBytes);
    return true;
}

const TTiffEntry* TTiffDirectory::Find(uint16_t tag) const
{
    const auto found =
        std::find_if(entries_.begin(), entries_.end(), [tag](const TTiffEntry& e) { return e.Tag == tag; });
    return found == entries_.end() ? nullptr : &*found;
}

std::vector<uint8_t> TTiffDirectory::EntryBytes(const TTiffEntry& entry) const
{
    const uint64_t size = uint64_t(entry.Count) * uint64_t(TIFFTypeSize(entry.Type));
    if (size <= 4)
        return std::vector<uint8_t>(entry.Field, entry.Field + size);
    std::vector<uint8_t> bytes;
    const int64_t streamSize = stream_->Size();
    if (size > uint64_t(std::max<int64_t>(streamSize, 0)))
        return bytes;
    bytes.resize(size_t(size));
    if (!ReadAt(Long(entry.Field), bytes.data(), size))
        bytes.clear();
    return bytes;
}

int64_t TTiffDirectory::ElementOf(const TTiffEntry& entry, const std::vector<uint8_t>& bytes, uint32_t index) const
{
    const uint8_t* at = bytes.data() + size_t(index) * size_t(TIFFTypeSize(entry.Type));
    switch (entry.Type) {
    case ttShort: return Word(at);
    case ttSShort: return int16_t(Word(at));
    case ttLong:
    case ttRational: return Long(at);
    case ttSLong:
    case ttSRational: return int32_t(Long(at));
    case ttSByte: return int8_t(at[0]);
    default: return at[0];
    }
}

int64_t TTiffDirectory::Integer(uint16_t tag, int64_t fallback, uint32_t index) const
{
    const TTiffEntry* entry = Find(tag);
    if (!entry || index >= entry->Count)
        return fallback;
    const std::vector<uint8_t> bytes = EntryBytes(*entry);
    if (bytes.empty())
        return fallback;
    return ElementOf(*entry, bytes, index);
}

double TTiffDirectory::Rational(uint16_t tag, double fallback, uint32_t index) const
{
    const TTiffEntry* entry = Find(tag);
    if (!entry || index >= entry->Count || (entry->Type != ttRational && entry->Type != ttSRational))
        return fallback;
    uint8_t pair[8];
    if (!ReadAt(uint64_t(Long(entry->Field)) + uint64_t(index) * 8, pair, 8))
        return fallback;
    const bool isSigned = entry->Type == ttSRational;
    const double numerator = isSigned ? double(int32_t(Long(pair))) : double(Long(pair));
    const double denominator = isSigned ? double(int32_t(Long(pair + 4))) : double(Long(pair + 4));
    return numerator / (denominator == 0 ? 1 : denominator);
}

std::vector<uint32_t> TTiffDirectory::Integers(uint16_t tag) const
{
    std::vector<uint32_t> values;
    const TTiffEntry* entry = Find(tag);
    if (!entry)
        return values;
    const std::vector<uint8_t> bytes = EntryBytes(*entry);
    if (bytes.empty())
        return values;
    values.resize(entry->Count);
    for (uint32_t i = 0; i < entry->Count; ++i)
        values[i] = uint32_t(ElementOf(*entry, bytes, i));
    return values;
}

std::vector<uint8_t> TTiffDirectory::Bytes(uint16_t tag) const
{
    const TTiffEntry* entry = Find(tag);
    return entry ? EntryBytes(*entry) : std::vector<uint8_t>();
}

std::string TTiffDirectory::Text(uint16_t tag) const
{
    const TTiffEntry* entry = Find(tag);
    if (!entry || entry->Count > LongestText)
        return {};
    const std::vector<uint8_t> bytes = EntryBytes(*entry);
    std::string text(bytes.begin(), bytes.end());
    const size_t nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);
    return text;
}

bool ReadTiffHeader(TStream& stream, bool& intel, uint32_t& firstOffset)
{
    uint8_t header[8];
    if (stream.Read(header, 8) != 8)
        return false;
    if (header[0] == 'I' && header[1] == 'I')
        intel = true;
    else if (header[0] == 'M' && header[1] == 'M')
        intel = false;
    else
        return false;
    firstOffset = intel
        ? uint32_t(header[4]) | uint32_t(header[5]) << 8 | uint32_t(header[6]) << 16 | uint32_t(header[7]) << 24
        : uint32_t(header[4]) << 24 | uint32_t(header[5]) << 16 | uint32_t(header[6]) << 8 | uint32_t(header[7]);
    return true;
}

bool ReadTiffIfd(int32_t wanted, uint32_t firstOffset, TTiffDirectory& directory, int32_t& count)
{
    count = 0;
    bool found = false;
    std::set<uint32_t> visited;
    uint32_t offset = firstOffset;
    TTiffDirectory walker = directory;
    while (offset >= 8 && visited.insert(offset).second && walker.Load(offset)) {
        if (count == wanted) {
            directory = walker;
            found = true;
        }
        ++count;
        offset = walker.NextOffset();
    }
    return found;
}

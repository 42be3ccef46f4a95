#include "imaging/core/QkTIFFHandler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include "imaging/core/QkTextRoutines.h"
#include "platform/core/Exceptions.h"

namespace {

constexpr uint16_t kTagCompression = 259;
constexpr uint16_t kTagStripOffsets = 273;
constexpr uint16_t kTagJPEGInterchangeFormat = 513;
constexpr uint16_t kCompressionOldJPEG = 6;
constexpr uint16_t kVersionHDPhoto = 444;
// Sub-directories nest only a few levels in real files (EXIF holds the
// interoperability directory); deeper nesting is treated as damage.
constexpr int kMaxSubDirectoryDepth = 4;

struct TOffsetTagPair {
    uint16_t OffsetTag;
    uint16_t LengthTag;
    bool HDPhotoOnly;
};

constexpr TOffsetTagPair kOffsetTagPairs[] = {
    {273, 279, false}, {324, 325, false}, {513, 514, false}, {48320, 48321, true}, {48322, 48323, true},
};

bool IsSubDirectoryTag(uint16_t tag) { return tag == 34665 || tag == 34853 || tag == 40965; }

bool AppliesToVersion(const TOffsetTagPair& pair, uint16_t version)
{
    return !pair.HDPhotoOnly || version == kVersionHDPhoto;
}

// Offset of the first start-of-scan marker (FF DA) in JPEG data, or its length.
int64_t StartOfScan(const std::vector<uint8_t>& jpeg)
{
    for (size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA)
            return static_cast<int64_t>(i);
    return static_cast<int64_t>(jpeg.size());
}

} // namespace

uint32_t TIFFTypeSize(uint16_t type)
{
    switch (type) {
    case ttShort:
    case ttSShort: return 2;
    case ttLong:
    case ttSLong:
    case ttFloat: return 4;
    case ttRational:
    case ttSRational:
    case ttDouble: return 8;
    default: return 1;
    }
}

// Reads one TIFF from a stream, trusting none of its sizes or offsets.
class TQkTIFFReader {
public:
    TQkTIFFReader(TQkTIFFHandler& handler, TStream& stream)
        : handler_(handler), stream_(stream), base_(stream.Position()),
          size_(std::max<int64_t>(0, stream.Size() - base_)), budget_(size_)
    {}

    bool Read()
    {
        uint8_t header[8];
        if (!ReadAt(0, header, 8))
            return false;
        if (header[0] == 'I' && header[1] == 'I')
            handler_.bigEndian_ = false;
        else if (header[0] == 'M' && header[1] == 'M')
            handler_.bigEndian_ = true;
        else
            return false;
        handler_.version_ = handler_.Get16(header + 2);
        ReadChain(handler_.Get32(header + 4));
        return true;
    }

private:
    bool ReadAt(int64_t offset, void* buffer, int64_t count)
    {
        if (offset < 0 || count < 0 || offset > size_ || count > size_ - offset)
            return false;
        stream_.SetPosition(base_ + offset);
        return stream_.Read(buffer, count) == count;
    }

    bool Read32At(int64_t offset, uint32_t& value)
    {
        uint8_t bytes[4];
        if (!ReadAt(offset, bytes, 4))
            return false;
        value = handler_.Get32(bytes);
        return true;
    }

    // Follows the chain of pages; a directory seen before ends it, so loops
    // of any length stop.
    void ReadChain(uint32_t offset)
    {
        while (offset != 0 && offset < size_ && visited_.count(offset) == 0) {
            TQkTIFFTagList list;
            uint32_t next = 0;
            if (!ReadIFD(offset, list, next, 0))
                return;
            handler_.pages_.push_back(std::move(list));
            offset = next;
        }
    }

    bool ReadIFD(uint32_t offset, TQkTIFFTagList& list, uint32_t& next, int depth)
    {
        uint8_t countBytes[2];
        if (!visited_.insert(offset).second || !ReadAt(offset, countBytes, 2))
            return false;
        const uint16_t count = handler_.Get16(countBytes);
        int64_t nextField = int64_t(offset) + 2 + 12 * int64_t(count);
        for (int k = 0; k < count; ++k) {
            const int64_t entryOffset = int64_t(offset) + 2 + 12 * int64_t(k);
            uint8_t raw[12];
            if (!ReadAt(entryOffset, raw, 12)) {
                nextField = -1;
                break;
            }
            TQkTIFFEntry entry;
            entry.Tag = handler_.Get16(raw);
            entry.Type = handler_.Get16(raw + 2);
            entry.Count = handler_.Get32(raw + 4);
            std::memcpy(entry.Inline, raw + 8, 4);
            if (entry.ValueSize() >= uint64_t(std::max<int64_t>(size_, 1))) {
                // A value as large as the file: the rest of the directory is damage.
                nextField = entryOffset + 12;
                break;
            }
            if (ReadEntryValue(entry, depth))
                list.push_back(std::move(entry));
        }
        next = 0;
        if (nextField >= 0)
            Read32At(nextField, next);
        ReadOffsetTagData(list);
        RemoveOldJPEGStrips(list);
        TQkTIFFHandler::SortTags(list);
        return true;
    }

    // False drops the entry: its value lies outside the stream, or the values
    // read so far already add up to the stream's size. Real files never share
    // value bytes between entries, so the bound stops only crafted ones that
    // point many entries at one large region to multiply memory.
    bool ReadEntryValue(TQkTIFFEntry& entry, int depth)
    {
        const uint64_t valueSize = entry.ValueSize();
        if (valueSize > 4) {
            if (int64_t(valueSize) > budget_)
                return false;
            budget_ -= int64_t(valueSize);
            entry.Data.resize(valueSize);
            return ReadAt(handler_.Get32(entry.Inline), entry.Data.data(), int64_t(valueSize));
        }
        if (!IsSubDirectoryTag(entry.Tag) || entry.Count != 1)
            return true;
        uint32_t ignoredNext = 0;
        entry.IsSubDirectory = true;
        return depth < kMaxSubDirectoryDepth &&
            ReadIFD(handler_.Get32(entry.Inline), entry.SubDirectory, ignoredNext, depth + 1);
    }

    // Replaces the offsets of every offset tag by the data they point to. The
    // lengths pair with the offsets up to the shorter of the two tags, and
    // every block stays inside the stream.
    void ReadOffsetTagData(TQkTIFFTagList& list)
    {
        for (const auto& pair : kOffsetTagPairs) {
            const int offsetIndex = TQkTIFFHandler::FindTag(list, pair.OffsetTag);
            if (offsetIndex < 0 || !AppliesToVersion(pair, handler_.version_))
                continue;
            const int lengthIndex = TQkTIFFHandler::FindTag(list, pair.LengthTag);
            TQkTIFFEntry& entry = list[offsetIndex];
            int64_t blocks = entry.Count;
            if (lengthIndex >= 0)
                blocks = std::min<int64_t>(blocks, list[lengthIndex].Count);
            for (int64_t i = 0; i < blocks; ++i) {
                const int64_t length = lengthIndex >= 0 ? handler_.ValueAt(list[lengthIndex], i) : 0;
                entry.Blocks.push_back(ReadBlock(handler_.ValueAt(entry, i), length));
            }
            entry.IsOffsetTag = true;
            entry.Type = ttLong;
            entry.Count = static_cast<uint32_t>(blocks);
            entry.Data.clear();
        }
    }

    std::vector<uint8_t> ReadBlock(int64_t offset, int64_t length)
    {
        std::vector<uint8_t> block;
        if (offset < 0 || offset >= size_ || length <= 0)
            return block;
        length = std::min({length, size_ - offset, budget_});
        block.resize(length);
        if (!ReadAt(offset, block.data(), length))
            block.clear();
        budget_ -= static_cast<int64_t>(block.size());
        return block;
    }

    // Old-style JPEG pages carry the whole JPEG stream; their strip and table
    // tags describe pieces of it and are rebuilt on writing.
    void RemoveOldJPEGStrips(TQkTIFFTagList& list)
    {
        if (handler_.GetTagValue(list, kTagCompression, 0) != kCompressionOldJPEG ||
            TQkTIFFHandler::FindTag(list, kTagStripOffsets) < 0 ||
            TQkTIFFHandler::FindTag(list, kTagJPEGInterchangeFormat) < 0)
            return;
        for (uint16_t tag : {uint16_t(273), uint16_t(519), uint16_t(520), uint16_t(521)})
            TQkTIFFHandler::DeleteTag(list, TQkTIFFHandler::FindTag(list, tag));
    }

    TQkTIFFHandler& handler_;
    TStream& stream_;
    int64_t base_;
    int64_t size_;
    int64_t budget_;
    std::set<uint32_t> visited_;
};

// Writes pages as a TIFF; positions count from the header's position.
class TQkTIFFWriter {
public:
    TQkTIFFWriter(const TQkTIFFHandler& handler, TStream& stream)
        : handler_(handler), stream_(stream), base_(stream.Position())
    {}

    void Write(const std::vector<const TQkTIFFTagList*>& pages)
    {
        uint8_t header[8];
        header[0] = header[1] = handler_.bigEndian_ ? 'M' : 'I';
        handler_.Put16(header + 2, handler_.version_);
        handler_.Put32(header + 4, 8);
        WriteAt(0, header, 8);
        int64_t end = 8;
        int64_t previousNextField = -1;
        for (const TQkTIFFTagList* page : pages) {
            const int64_t start = Even(end);
            if (previousNextField >= 0)
                Write32At(previousNextField, static_cast<uint32_t>(start));
            previousNextField = WriteIFD(*page, start, end);
        }
    }

    void WriteAlone(const TQkTIFFTagList& directory)
    {
        int64_t end = 0;
        WriteIFD(directory, 0, end);
    }

private:
    struct TWrittenEntry {
        uint16_t Tag;
        uint8_t Bytes[12];
    };

    static int64_t Even(int64_t position) { return position + (position & 1); }

    void WriteAt(int64_t position, const void* bytes, int64_t count)
    {
        stream_.SetPosition(base_ + position);
        if (count > 0)
            stream_.WriteBuffer(bytes, count);
    }

    void Write32At(int64_t position, uint32_t value)
    {
        uint8_t bytes[4];
        handler_.Put32(bytes, value);
        WriteAt(position, bytes, 4);
    }

    // Appends bytes at `end`, optionally at an even position; returns where
    // they start.
    uint32_t Append(const void* bytes, int64_t count, int64_t& end, bool even)
    {
        if (even && (end & 1)) {
            WriteAt(end, "", 1);
            ++end;
        }
        const int64_t position = end;
        WriteAt(position, bytes, count);
        end += count;
        return static_cast<uint32_t>(position);
    }

    // Writes the directory at `start` with its data after it, entries sorted
    // by tag. Returns the position of its next-directory field, which holds 0.
    int64_t WriteIFD(const TQkTIFFTagList& list, int64_t start, int64_t& end)
    {
        const bool addsStripOffsets = TQkTIFFHandler::FindTag(list, kTagJPEGInterchangeFormat) >= 0 &&
            TQkTIFFHandler::FindTag(list, kTagStripOffsets) < 0;
        const int64_t count = int64_t(list.size()) + (addsStripOffsets ? 1 : 0);
        const int64_t nextField = start + 2 + 12 * count;
        end = nextField + 4;
        std::vector<TWrittenEntry> written;
        for (const TQkTIFFEntry& entry : list) {
            written.push_back(WriteEntry(entry, end));
            if (entry.Tag == kTagJPEGInterchangeFormat && addsStripOffsets)
                written.push_back(StripOffsetsOfOldJPEG(entry, written.back()));
        }
        std::stable_sort(written.begin(), written.end(),
                         [](const TWrittenEntry& a, const TWrittenEntry& b) { return a.Tag < b.Tag; });
        uint8_t countBytes[2];
        handler_.Put16(countBytes, static_cast<uint16_t>(count));
        WriteAt(start, countBytes, 2);
        for (size_t k = 0; k < written.size(); ++k)
            WriteAt(start + 2 + 12 * int64_t(k), written[k].Bytes, 12);
        Write32At(nextField, 0);
        stream_.SetPosition(base_ + end);
        return nextField;
    }

    TWrittenEntry WriteEntry(const TQkTIFFEntry& entry, int64_t& end)
    {
        TWrittenEntry out{entry.Tag, {}};
        handler_.Put16(out.Bytes, entry.Tag);
        handler_.Put16(out.Bytes + 2, entry.Type);
        handler_.Put32(out.Bytes + 4, entry.Count);
        if (entry.IsOffsetTag) {
            WriteBlocks(entry, out, end);
        } else if (entry.IsSubDirectory) {
            const int64_t subStart = Even(end);
            if (subStart != end)
                WriteAt(end, "", 1);
            WriteIFD(entry.SubDirectory, subStart, end);
            handler_.Put32(out.Bytes + 8, static_cast<uint32_t>(subStart));
        } else if (entry.ValueSize() > 4) {
            handler_.Put32(out.Bytes + 8, Append(entry.Data.data(), int64_t(entry.Data.size()), end, true));
        } else {
            std::memcpy(out.Bytes + 8, entry.Inline, 4);
        }
        return out;
    }

    // Blocks follow the data before them without alignment; several blocks
    // get an array of their positions.
    void WriteBlocks(const TQkTIFFEntry& entry, TWrittenEntry& out, int64_t& end)
    {
        std::vector<uint8_t> positions(entry.Blocks.size() * 4);
        for (size_t i = 0; i < entry.Blocks.size(); ++i) {
            const auto& block = entry.Blocks[i];
            handler_.Put32(positions.data() + 4 * i, Append(block.data(), int64_t(block.size()), end, false));
        }
        handler_.Put32(out.Bytes + 4, static_cast<uint32_t>(entry.Blocks.size()));
        if (entry.Blocks.size() == 1)
            std::memcpy(out.Bytes + 8, positions.data(), 4);
        else if (entry.Blocks.size() > 1)
            handler_.Put32(out.Bytes + 8, Append(positions.data(), int64_t(positions.size()), end, true));
    }

    // An old-style JPEG page's strip starts at the JPEG data's scan.
    TWrittenEntry StripOffsetsOfOldJPEG(const TQkTIFFEntry& jpegEntry, const TWrittenEntry& written)
    {
        TWrittenEntry strip{kTagStripOffsets, {}};
        handler_.Put16(strip.Bytes, kTagStripOffsets);
        handler_.Put16(strip.Bytes + 2, ttLong);
        handler_.Put32(strip.Bytes + 4, 1);
        int64_t scan = 0;
        if (!jpegEntry.Blocks.empty())
            scan = handler_.Get32(written.Bytes + 8) + StartOfScan(jpegEntry.Blocks[0]);
        handler_.Put32(strip.Bytes + 8, static_cast<uint32_t>(scan));
        return strip;
    }

    const TQkTIFFHandler& handler_;
    TStream& stream_;
    int64_t base_;
};

std::unique_ptr<TQkTIFFHandler> TQkTIFFHandler::CreateFromFile(const std::string& fileName)
{
    auto handler = std::make_unique<TQkTIFFHandler>();
    if (QkFileExists(fileName)) {
        TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
        handler->ReadStream(stream);
    }
    return handler;
}

std::unique_ptr<TQkTIFFHandler> TQkTIFFHandler::CreateFromStream(TStream& stream)
{
    auto handler = std::make_unique<TQkTIFFHandler>();
    handler->ReadStream(stream);
    return handler;
}

bool TQkTIFFHandler::ReadStream(TStream& stream)
{
    Clear();
    TQkTIFFReader reader(*this, stream);
    if (reader.Read())
        return true;
    Clear();
    return false;
}

TQkTIFFTagList& TQkTIFFHandler::Page(int index)
{
    if (index < 0 || index >= PageCount())
        throw CreateFmt<EListError>("List index out of bounds (%d)", index);
    return pages_[index];
}

void TQkTIFFHandler::DeletePage(int index)
{
    if (index >= 0 && index < PageCount())
        pages_.erase(pages_.begin() + index);
}

void TQkTIFFHandler::DeleteTag(TQkTIFFTagList& list, int index)
{
    if (index >= 0 && index < static_cast<int>(list.size()))
        list.erase(list.begin() + index);
}

int TQkTIFFHandler::FindTag(const TQkTIFFTagList& list, uint16_t tag)
{
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].Tag == tag)
            return static_cast<int>(i);
    return -1;
}

int TQkTIFFHandler::GetTagIndex(int page, uint16_t tag) const
{
    if (page < 0 || page >= PageCount())
        return -1;
    return FindTag(pages_[page], tag);
}

int64_t TQkTIFFHandler::GetTagValue(const TQkTIFFTagList& list, uint16_t tag, int64_t i) const
{
    const int index = FindTag(list, tag);
    if (index < 0)
        return 0;
    const TQkTIFFEntry& entry = list[index];
    if (entry.IsOffsetTag)
        return i >= 0 && i < int64_t(entry.Blocks.size()) ? int64_t(entry.Blocks[i].size()) : 0;
    return ValueAt(entry, i);
}

int64_t TQkTIFFHandler::ValueAt(const TQkTIFFEntry& entry, int64_t i) const
{
    if (i < 0 || i >= entry.Count || entry.IsSubDirectory)
        return 0;
    const uint64_t size = TIFFTypeSize(entry.Type);
    if (entry.ValueSize() > 4 && entry.Data.size() < entry.ValueSize())
        return 0;
    const uint8_t* value = entry.ValueBytes() + size * uint64_t(i);
    switch (entry.Type) {
    case ttByte:
    case ttAscii:
    case ttUndefined: return value[0];
    case ttSByte: return static_cast<int8_t>(value[0]);
    case ttShort:
    case ttSShort: return Get16(value);
    case ttLong:
    case ttSLong: return Get32(value);
    default: return 0;
    }
}

bool TQkTIFFHandler::SetTag(TQkTIFFTagList& list, uint16_t tag, const TQkTIFFValue& value, uint16_t type)
{
    TQkTIFFEntry entry;
    entry.Tag = tag;
    entry.Type = type;
    entry.Count = 1;
    const auto* integer = std::get_if<int64_t>(&value);
    const auto* real = std::get_if<double>(&value);
    const bool numeric = integer || real;
    const double number = integer ? double(*integer) : real ? *real : 0.0;
    const int64_t whole = integer ? *integer : static_cast<int64_t>(std::trunc(number));
    std::vector<uint8_t> bytes;
    switch (type) {
    case ttByte:
    case ttSByte:
        if (!numeric)
            return false;
        entry.Inline[0] = static_cast<uint8_t>(whole);
        break;
    case ttShort:
    case ttSShort:
        if (!numeric)
            return false;
        Put16(entry.Inline, static_cast<uint16_t>(whole));
        break;
    case ttLong:
    case ttSLong:
        if (!numeric)
            return false;
        Put32(entry.Inline, static_cast<uint32_t>(whole));
        break;
    case ttFloat: {
        if (!numeric)
            return false;
        const float single = static_cast<float>(number);
        uint32_t bits;
        std::memcpy(&bits, &single, 4);
        Put32(entry.Inline, bits);
        break;
    }
    case ttRational:
    case ttSRational:
        if (!numeric)
            return false;
        bytes.resize(8);
        Put32(bytes.data(), static_cast<uint32_t>(static_cast<int64_t>(std::trunc(number * 10000))));
        Put32(bytes.data() + 4, 10000);
        break;
    case ttDouble: {
        if (!numeric)
            return false;
        uint64_t bits;
        std::memcpy(&bits, &number, 8);
        bytes.resize(8);
        Put32(bytes.data() + (bigEndian_ ? 4 : 0), static_cast<uint32_t>(bits));
        Put32(bytes.data() + (bigEndian_ ? 0 : 4), static_cast<uint32_t>(bits >> 32));
        break;
    }
    case ttAscii: {
        const auto* text = std::get_if<std::string>(&value);
        if (!text)
            return false;
        bytes.assign(text->begin(), text->end());
        bytes.push_back(0);
        break;
    }
    case ttUndefined:
        if (const auto* given = std::get_if<std::vector<uint8_t>>(&value))
            bytes = *given;
        else if (const auto* text = std::get_if<std::string>(&value))
            bytes.assign(text->begin(), text->end());
        else
            return false;
        break;
    default: return false;
    }
    if (type == ttAscii || type == ttUndefined)
        entry.Count = static_cast<uint32_t>(bytes.size());
    if (!bytes.empty()) {
        if (bytes.size() > 4)
            entry.Data = std::move(bytes);
        else
            std::copy(bytes.begin(), bytes.end(), entry.Inline);
    }
    DeleteTag(list, FindTag(list, tag));
    list.push_back(std::move(entry));
    return true;
}

void TQkTIFFHandler::SortPage(int index)
{
    if (index >= 0 && index < PageCount())
        SortTags(pages_[index]);
}

void TQkTIFFHandler::SortTags(TQkTIFFTagList& list)
{
    std::stable_sort(list.begin(), list.end(),
                     [](const TQkTIFFEntry& a, const TQkTIFFEntry& b) { return a.Tag < b.Tag; });
}

void TQkTIFFHandler::CopyTag(int sourcePage, int tagIndex, int destinationPage, const TQkTIFFHandler& source)
{
    if (sourcePage < 0 || sourcePage >= source.PageCount() || destinationPage < 0 || destinationPage >= PageCount() ||
        source.bigEndian_ != bigEndian_)
        return;
    const TQkTIFFTagList& from = source.pages_[sourcePage];
    if (tagIndex < 0 || tagIndex >= static_cast<int>(from.size()))
        return;
    TQkTIFFEntry copy = from[tagIndex];
    TQkTIFFTagList& to = pages_[destinationPage];
    DeleteTag(to, FindTag(to, copy.Tag));
    to.push_back(std::move(copy));
}

void TQkTIFFHandler::WriteFile(const std::string& fileName, int page)
{
    TFileStream stream(fileName, fmCreate);
    WriteStream(stream, page);
}

void TQkTIFFHandler::WriteStream(TStream& stream, int page)
{
    std::vector<const TQkTIFFTagList*> written;
    for (int i = 0; i < PageCount(); ++i) {
        if (page >= 0 && page < PageCount() && i != page)
            continue;
        SortTags(pages_[i]);
        written.push_back(&pages_[i]);
    }
    TQkTIFFWriter(*this, stream).Write(written);
}

void TQkTIFFHandler::WriteDirectory(TStream& stream, const TQkTIFFTagList& directory) const
{
    TQkTIFFWriter(*this, stream).WriteAlone(directory);
}

uint16_t TQkTIFFHandler::Get16(const uint8_t* bytes) const
{
    return bigEndian_ ? uint16_t(bytes[0] << 8 | bytes[1]) : uint16_t(bytes[1] << 8 | bytes[0]);
}

uint32_t TQkTIFFHandler::Get32(const uint8_t* bytes) const
{
    const uint32_t high = Get16(bytes + (bigEndian_ ? 0 : 2));
    const uint32_t low = Get16(bytes + (bigEndian_ ? 2 : 0));
    return high << 16 | low;
}

void TQkTIFFHandler::Put16(uint8_t* bytes, uint16_t value) const
{
    bytes[bigEndian_ ? 0 : 1] = static_cast<uint8_t>(value >> 8);
    bytes[bigEndian_ ? 1 : 0] = static_cast<uint8_t>(value);
}

void TQkTIFFHandler::Put32(uint8_t* bytes, uint32_t value) const
{
    Put16(bytes + (bigEndian_ ? 0 : 2), static_cast<uint16_t>(value >> 16));
    Put16(bytes + (bigEndian_ ? 2 : 0), static_cast<uint16_t>(value));
}

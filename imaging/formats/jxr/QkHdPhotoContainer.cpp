#include "imaging/formats/jxr/QkHdPhotoContainer.h"

#include <array>
#include <exception>
#include <vector>

#include "imaging/core/QkSettings.h"
#include "imaging/formats/jxr/QkWicPixelFormats.h"
#include "platform/core/Streams.h"

namespace {

constexpr uint16_t PixelFormatTag = 0xBC01;
constexpr uint16_t OrientationTag = 0xBC02;
// Flips and quarter turns: jxrlib asserts on anything past them.
constexpr int64_t LastOrientation = 7;
constexpr uint16_t WidthTag = 0xBC80;
constexpr uint16_t HeightTag = 0xBC81;
constexpr uint16_t ImageOffsetTag = 0xBCC0;
constexpr uint16_t ImageBytesTag = 0xBCC1;
constexpr uint16_t AlphaOffsetTag = 0xBCC2;
constexpr uint16_t AlphaBytesTag = 0xBCC3;
constexpr uint16_t ByteType = 1;
constexpr uint16_t ShortType = 3;
constexpr uint16_t LongType = 4;
constexpr size_t EntryBytes = 12;
// Real directories hold a few dozen entries; more only cost reading time.
constexpr uint16_t MostEntries = 1024;

uint16_t Little16(const uint8_t* bytes) { return uint16_t(bytes[0] | bytes[1] << 8); }
uint32_t Little32(const uint8_t* bytes) { return uint32_t(Little16(bytes)) | uint32_t(Little16(bytes + 2)) << 16; }

// Reads exactly `count` bytes at `offset` from `start`; false past the end.
bool ReadAt(TStream& stream, int64_t start, int64_t offset, void* buffer, int64_t count)
{
    stream.SetPosition(start + offset);
    return stream.Read(buffer, count) == count;
}

struct TEntry {
    uint16_t Tag;
    uint16_t Type;
    uint32_t Count;
    uint32_t Value;
};

// A number held in the entry itself: one SHORT or LONG.
std::optional<int64_t> NumberOf(const TEntry& entry)
{
    if (entry.Count != 1)
        return std::nullopt;
    if (entry.Type == ShortType)
        return entry.Value & 0xFFFF;
    if (entry.Type == LongType)
        return entry.Value;
    return std::nullopt;
}

class TDirectoryReader {
public:
    TDirectoryReader(TStream& stream, int64_t start) : stream_(stream), start_(start) {}

    std::optional<TQkHdPhotoDirectory> Read()
    {
        std::array<uint8_t, 8> header{};
        if (!ReadAt(stream_, start_, 0, header.data(), 8) || header[0] != 'I' || header[1] != 'I' || header[2] != 0xBC)
            return std::nullopt;
        const std::optional<std::vector<TEntry>> entries = Entries(Little32(&header[4]));
        if (!entries)
            return std::nullopt;
        for (const TEntry& entry : *entries)
            if (!Take(entry))
                return std::nullopt;
        return found_ == AllRequired ? std::optional(directory_) : std::nullopt;
    }

private:
    enum : uint32_t { PixelFormatFound = 1, WidthFound = 2, HeightFound = 4, OffsetFound = 8, BytesFound = 16 };
    static constexpr uint32_t AllRequired = 31;

    std::optional<std::vector<TEntry>> Entries(uint32_t offset)
    {
        std::array<uint8_t, 2> countBytes{};
        if (!ReadAt(stream_, start_, offset, countBytes.data(), 2))
            return std::nullopt;
        const uint16_t count = Little16(countBytes.data());
        if (count == 0 || count > MostEntries)
            return std::nullopt;
        std::vector<uint8_t> bytes(count * EntryBytes);
        if (stream_.Read(bytes.data(), int64_t(bytes.size())) != int64_t(bytes.size()))
            return std::nullopt;
        std::vector<TEntry> entries;
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* raw = &bytes[i * EntryBytes];
            entries.push_back({Little16(raw), Little16(raw + 2), Little32(raw + 4), Little32(raw + 8)});
        }
        return entries;
    }

    bool Take(const TEntry& entry)
    {
        if (entry.Tag == PixelFormatTag)
            return TakePixelFormat(entry);
        if (entry.Tag == OrientationTag) {
            const std::optional<int64_t> orientation = NumberOf(entry);
            return orientation && *orientation <= LastOrientation;
        }
        int64_t* field = NumberField(entry.Tag);
        if (field == nullptr)
            return true;
        const std::optional<int64_t> number = NumberOf(entry);
        if (!number)
            return false;
        *field = *number;
        return true;
    }

    int64_t* NumberField(uint16_t tag)
    {
        switch (tag) {
        case WidthTag: found_ |= WidthFound; return &directory_.Width;
        case HeightTag: found_ |= HeightFound; return &directory_.Height;
        case ImageOffsetTag: found_ |= OffsetFound; return &directory_.ImageOffset;
        case ImageBytesTag: found_ |= BytesFound; return &directory_.ImageBytes;
        case AlphaOffsetTag: return &directory_.AlphaOffset;
        case AlphaBytesTag: return &directory_.AlphaBytes;
        default: return nullptr;
        }
    }

    bool TakePixelFormat(const TEntry& entry)
    {
        static_assert(sizeof(PKPixelFormatGUID) == 16);
        if (entry.Type != ByteType || entry.Count != 16)
            return false;
        found_ |= PixelFormatFound;
        const int64_t back = stream_.Position();
        const bool read = ReadAt(stream_, start_, entry.Value, &directory_.PixelFormat, 16);
        stream_.SetPosition(back);
        return read;
    }

    TStream& stream_;
    int64_t start_;
    TQkHdPhotoDirectory directory_;
    uint32_t found_ = 0;
};

bool Inside(int64_t offset, int64_t bytes, int64_t available)
{
    return offset >= 0 && bytes > 0 && offset <= available && bytes <= available - offset;
}

} // namespace

std::optional<TQkHdPhotoDirectory> ReadHdPhotoDirectory(TStream& stream)
{
    const int64_t start = stream.Position();
    std::optional<TQkHdPhotoDirectory> directory;
    try {
        directory = TDirectoryReader(stream, start).Read();
    } catch (const std::exception&) {
        directory.reset();
    }
    stream.SetPosition(start);
    return directory;
}

bool IsDecodable(const TQkHdPhotoDirectory& directory, int64_t available)
{
    // JxrEncApp counts the alpha plane's bytes to the file's end from its
    // start, so only its start is held to the stream; reads stop at the end.
    const bool alphaInside =
        (directory.AlphaOffset == 0 && directory.AlphaBytes == 0) || Inside(directory.AlphaOffset, 1, available);
    return Inside(directory.ImageOffset, directory.ImageBytes, available) && alphaInside &&
        WicBitsPerPixel(directory.PixelFormat) && directory.Width > 0 && directory.Height > 0 &&
        WithinDecodeLimit(directory.Width, directory.Height);
}

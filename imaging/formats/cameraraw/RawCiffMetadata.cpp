// The metadata of Canon heap files: texts, image size, two maker-note
// records and the smallest embedded JPEG.
#include <cstring>
#include <set>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/cameraraw/QkCameraRaw.h"
#include "imaging/formats/jpeg/QkJpeg.h"
#include "platform/core/Streams.h"

namespace {

constexpr int32_t MaxHeapDepth = 8;
constexpr int32_t MaxHeapEntries = 256;

struct TNoteRecord {
    uint16_t tag;
    uint32_t count;
    std::vector<uint8_t> data;
};

struct THeapMetadata {
    TStream& stream;
    TIOParamsVals& params;
    bool bigEndian = false;
    int64_t fsize = 0;
    int32_t bestWidth = 0x7FFFFFFE;
    int32_t bestHeight = 0x7FFFFFFE;
    int64_t bestPosition = -1;
    std::vector<TNoteRecord> notes;
    std::set<int64_t> walked;

    std::vector<uint8_t> Bytes(int64_t position, int64_t count)
    {
        const int64_t available = std::clamp<int64_t>(fsize - position, 0, std::max<int64_t>(count, 0));
        std::vector<uint8_t> bytes(size_t(available), 0);
        stream.SetPosition(position);
        int64_t done = 0;
        while (done < available) {
            const int64_t got = stream.Read(bytes.data() + done, available - done);
            if (got <= 0)
                break;
            done += got;
        }
        bytes.resize(size_t(done));
        return bytes;
    }
    uint32_t Value(int64_t position, int32_t size)
    {
        const std::vector<uint8_t> b = Bytes(position, size);
        uint32_t value = 0;
        for (int32_t i = 0; i < size; ++i) {
            const uint32_t byte = size_t(i) < b.size() ? b[size_t(i)] : 0;
            value |= bigEndian ? byte << (8 * (size - 1 - i)) : byte << (8 * i);
        }
        return value;
    }
    // A NUL-terminated text of at most `limit` characters; `length` gets
    // the bytes it took with its NUL.
    std::string Text(int64_t position, int64_t limit, int64_t& length)
    {
        const std::vector<uint8_t> b = Bytes(position, std::min<int64_t>(limit, 0x10000));
        const auto end = std::find(b.begin(), b.end(), 0);
        length = int64_t(end - b.begin()) + 1;
        return std::string(b.begin(), end);
    }

    void Walk(int64_t offset, int64_t length, int32_t depth);
    void Entry(uint16_t type, uint32_t size, int64_t position, int32_t depth);
    void Thumbnail(int64_t position);
};

void THeapMetadata::Thumbnail(int64_t position)
{
    TIOParamsVals candidate(nullptr);
    TQkBitmap scratch;
    std::atomic<bool> aborting{false};
    TQkFilterProgress progress;
    progress.Aborting = &aborting;
    stream.SetPosition(position);
    TQkReadRequest request(stream, scratch, candidate, progress);
    request.ParamsOnly = true;
    try {
        ReadJpegFile(request);
    } catch (const std::exception&) {
        return;
    }
    if (!aborting && candidate.Width < bestWidth && candidate.Height < bestHeight) {
        bestWidth = candidate.Width;
        bestHeight = candidate.Height;
        bestPosition = position;
    }
}

void THeapMetadata::Entry(uint16_t type, uint32_t size, int64_t position, int32_t depth)
{
    int64_t used = 0;
    switch (type & 0x3FFF) {
    case 0x0805: params.ExifImageDescription = Text(position, size, used); break;
    case 0x080A:
        params.ExifMake = Text(position, size, used);
        params.ExifModel = Text(position + used, size - std::min<int64_t>(used, size), used);
        break;
    case 0x080B: params.ExifSoftware = Text(position, size, used); break;
    case 0x102A:
    case 0x102D: {
        std::vector<uint8_t> data = Bytes(position, 2 * int64_t(size));
        data.resize(data.size() & ~size_t(1));
        notes.push_back({uint16_t((type & 0x3FFF) == 0x102A ? 4 : 1), uint32_t(data.size() / 2), std::move(data)});
        break;
    }
    case 0x1810:
        params.SetExifPixelXDimension(int32_t(Value(position, 4)));
        params.SetExifPixelYDimension(int32_t(Value(position + 4, 4)));
        break;
    case 0x2007:
    case 0x2008: Thumbnail(position); break;
    case 0x2800:
    case 0x2807:
    case 0x3000:
    case 0x3002:
    case 0x3003:
    case 0x3004:
    case 0x300A:
    case 0x300B: Walk(position, size, depth + 1); break;
    default: break;
    }
}

void THeapMetadata::Walk(int64_t offset, int64_t length, int32_t depth)
{
    if (depth > MaxHeapDepth || offset < 0 || length < 4 || offset + length - 4 >= fsize)
        return;
    const int64_t directory = offset + Value(offset + length - 4, 4);
    if (directory < 0 || directory >= fsize || !walked.insert(directory).second)
        return;
    const int32_t count = std::min<int32_t>(int32_t(Value(directory, 2)), MaxHeapEntries);
    for (int32_t i = 0; i < count; ++i) {
        const int64_t entry = directory + 2 + 10 * int64_t(i);
        const auto type = uint16_t(Value(entry, 2));
        const uint32_t size = Value(entry + 2, 4);
        const int64_t position = type < 0x4000 ? offset + Value(entry + 6, 4) : entry + 2;
        if (position >= fsize)
            return;
        Entry(type, size, position, depth);
    }
}

void WriteMakerNote(TIOParamsVals& params, const std::vector<TNoteRecord>& notes)
{
    params.ExifMakerNote.Clear();
    std::vector<uint8_t> block(2 + 12 * notes.size());
    auto put = [&block](size_t at, uint32_t value, int32_t size) {
        for (int32_t i = 0; i < size; ++i)
            block[at + size_t(i)] = uint8_t(value >> (8 * i));
    };
    put(0, uint32_t(notes.size()), 2);
    for (size_t i = 0; i < notes.size(); ++i) {
        const size_t at = 2 + 12 * i;
        put(at, notes[i].tag, 2);
        put(at + 2, 3, 2);
        put(at + 4, notes[i].count, 4);
        put(at + 8, uint32_t(block.size()), 4);
        block.insert(block.end(), notes[i].data.begin(), notes[i].data.end());
    }
    TMemoryStream& directory = params.ExifMakerNote.DirectoryStream();
    directory.WriteBuffer(block.data(), int64_t(block.size()));
    params.ExifMakerNote.ReadDirectory();
}

} // namespace

void ReadCiffMetadata(TStream& stream, TIOParamsVals& params)
{
    THeapMetadata heap{stream, params, false, 0, 0x7FFFFFFE, 0x7FFFFFFE, -1, {}, {}};
    heap.fsize = stream.Size();
    const std::vector<uint8_t> header = heap.Bytes(0, 14);
    if (header.size() < 14)
        return;
    const bool ordered = (header[0] == 'I' && header[1] == 'I') || (header[0] == 'M' && header[1] == 'M');
    // Only a real heap is walked: other files' bytes would give made-up
    // texts and thumbnails.
    if (!ordered || std::memcmp(header.data() + 6, "HEAPCCDR", 8) != 0)
        return;
    heap.bigEndian = header[0] == 'M';
    const int64_t hlen = heap.Value(2, 4);
    heap.Walk(hlen, heap.fsize - hlen, 0);
    if (!params.ExifThumbnail)
        params.ExifThumbnail = std::make_unique<TQkBitmap>();
    params.ExifThumbnail->FreeImage(true);
    if (heap.bestPosition >= 0) {
        std::atomic<bool> aborting{false};
        TQkFilterProgress progress;
        progress.Aborting = &aborting;
        TIOParamsVals thumbParams(nullptr);
        stream.SetPosition(heap.bestPosition);
        TQkReadRequest request(stream, *params.ExifThumbnail, thumbParams, progress);
        ReadJpegFile(request);
    }
    WriteMakerNote(params, heap.notes);
}

#include <algorithm>
#include <span>
#include <vector>

#include "imaging/core/QkIOParams.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/pcx/QkPcx.h"
#include "platform/core/Streams.h"

namespace {

constexpr uint32_t DcxMagic = 987654321;
constexpr size_t MostPages = 1024;

uint32_t ReadUInt32(TStream& stream, bool& ok)
{
    uint8_t bytes[4] = {};
    ok = ok && stream.Read(bytes, 4) == 4;
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

void PutUInt32(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

// The page offsets of the DCX at the stream's position, relative to it;
// false when it is not one. Leaves the position after what it read.
bool ReadPageTable(TStream& stream, std::vector<uint32_t>& offsets)
{
    const int64_t size = stream.Size() - stream.Position();
    bool ok = true;
    if (ReadUInt32(stream, ok) != DcxMagic || !ok)
        return false;
    offsets.clear();
    while (offsets.size() < MostPages) {
        const uint32_t offset = ReadUInt32(stream, ok);
        if (!ok)
            return false;
        if (offset == 0)
            break;
        if (offset >= size)
            return false;
        offsets.push_back(offset);
    }
    return true;
}

// Bytes of the page at `offset`: up to the nearest larger offset of
// another page, or to the end.
int64_t PageSize(const std::vector<uint32_t>& offsets, uint32_t offset, int64_t size)
{
    int64_t end = size;
    for (const uint32_t other : offsets)
        if (other > offset)
            end = std::min<int64_t>(end, other);
    return end - offset;
}

// The DCX that starts at the stream's position, read into memory.
struct TDcxFile {
    std::vector<uint32_t> Offsets;
    std::vector<uint8_t> Bytes;

    std::span<const uint8_t> Page(size_t index) const
    {
        const uint32_t offset = Offsets[index];
        return std::span(Bytes).subspan(offset, size_t(PageSize(Offsets, offset, int64_t(Bytes.size()))));
    }
};

bool ReadDcxFile(TStream& stream, TDcxFile& file)
{
    const int64_t start = stream.Position();
    if (stream.Size() == start)
        return true;
    if (!ReadPageTable(stream, file.Offsets))
        return false;
    stream.SetPosition(start);
    file.Bytes.resize(size_t(stream.Size() - start));
    return stream.Read(file.Bytes.data(), int64_t(file.Bytes.size())) == int64_t(file.Bytes.size());
}

// The new file: its table, then the old pages with the new one written
// before page `insertAt`. False when the new page could not be written.
bool BuildDcx(const TDcxFile& old, size_t insertAt, TQkWriteRequest& request, TMemoryStream& out)
{
    const size_t pages = old.Offsets.size() + 1;
    std::vector<uint8_t> table((pages + 2) * 4, 0);
    PutUInt32(table.data(), DcxMagic);
    out.Write(table.data(), int64_t(table.size()));
    for (size_t page = 0; page < pages; ++page) {
        if (out.Position() > int64_t(UINT32_MAX))
            return false;
        PutUInt32(table.data() + 4 * (page + 1), static_cast<uint32_t>(out.Position()));
        if (page == insertAt) {
            TQkWriteRequest pageRequest{out, request.Bitmap, request.Params, request.Progress};
            WritePcxImage(pageRequest);
            if (IsAborting(request.Progress))
                return false;
        } else {
            const std::span<const uint8_t> bytes = old.Page(page < insertAt ? page : page - 1);
            out.Write(bytes.data(), int64_t(bytes.size()));
        }
    }
    out.SetPosition(0);
    out.Write(table.data(), int64_t(table.size()));
    return true;
}

} // namespace

bool IsDcxStream(TStream& stream)
{
    const int64_t start = stream.Position();
    std::vector<uint32_t> offsets;
    const bool answer = ReadPageTable(stream, offsets);
    stream.SetPosition(start);
    return answer;
}

void ReadDcxImage(TQkReadRequest& request)
{
    TStream& stream = request.Stream;
    const int64_t start = stream.Position();
    std::vector<uint32_t> offsets;
    if (!ReadPageTable(stream, offsets) || offsets.empty()) {
        SetAborting(request.Progress);
        return;
    }
    const int32_t pages = static_cast<int32_t>(offsets.size());
    const int32_t index = std::clamp(request.Params.DcxImageIndex, 0, pages - 1);
    request.Params.SetImageIndex(index);
    const uint32_t offset = offsets[size_t(index)];
    stream.SetPosition(start + offset);
    request.ByteBudget = PageSize(offsets, offset, stream.Size() - start);
    ReadPcxImage(request);
    request.ImageCount = pages;
    request.Params.ImageCount = pages;
}

void WriteDcxImage(TQkWriteRequest& request)
{
    TStream& stream = request.Stream;
    const int64_t start = stream.Position();
    TDcxFile old;
    if (!ReadDcxFile(stream, old) || old.Offsets.size() >= MostPages) {
        SetAborting(request.Progress);
        stream.SetPosition(start);
        return;
    }
    const size_t insertAt = size_t(std::clamp<int64_t>(request.Params.DcxImageIndex, 0, int64_t(old.Offsets.size())));
    TMemoryStream built;
    if (!BuildDcx(old, insertAt, request, built)) {
        SetAborting(request.Progress);
        stream.SetPosition(start);
        return;
    }
    stream.SetSize(start);
    stream.SetPosition(start);
    if (stream.Write(built.Memory(), built.Size()) < built.Size())
        SetAborting(request.Progress);
}

#include <array>
#include <cstring>
#include <vector>

#include "imaging/core/QkICC.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkStreams.h"
#include "imaging/formats/jpeg/QkJpeg.h"

namespace {

constexpr int64_t ScanBufferSize = 8192;
constexpr uint8_t MarkerApp2 = 0xE2;
constexpr uint8_t MarkerEndOfImage = 0xD9;
// "ICC_PROFILE", its zero, the sequence number and the chunk count.
constexpr size_t IccChunkHeader = 14;

// Walks the markers of a JPEG stream from the current position; the
// stream's position is restored when the walk ends.
class TMarkerWalk {
public:
    explicit TMarkerWalk(TStream& stream)
        : FStream(stream), FStart(stream.Position()), FIn(stream, true, ScanBufferSize)
    {}
    ~TMarkerWalk() { FStream.SetPosition(FStart); }
    TMarkerWalk(const TMarkerWalk&) = delete;
    TMarkerWalk& operator=(const TMarkerWalk&) = delete;

    // The byte after the next FF; false at the end of the stream.
    bool NextMarker(uint8_t& marker)
    {
        uint8_t byte = 0;
        while (ReadByte(byte))
            if (byte == 0xFF)
                return ReadByte(marker);
        return false;
    }
    // A segment's length field; false at the end of the stream.
    bool ReadLength(uint16_t& length)
    {
        uint8_t bytes[2];
        if (FIn.Read(bytes, 2) != 2)
            return false;
        length = uint16_t(bytes[0] << 8 | bytes[1]);
        return true;
    }
    // Skips the segment whose length was just read.
    void SkipSegment(uint16_t length)
    {
        if (length > 2)
            FIn.Seek(length - 2, soCurrent);
    }
    bool ReadSegment(uint16_t length, std::vector<uint8_t>& data)
    {
        data.resize(length > 2 ? length - 2 : 0);
        return FIn.Read(data.data(), int64_t(data.size())) == int64_t(data.size());
    }
    int64_t Position() { return FIn.Position(); }

private:
    bool ReadByte(uint8_t& byte) { return FIn.Read(&byte, 1) == 1; }

    TStream& FStream;
    int64_t FStart;
    TQkBufferedReadStream FIn;
};

bool IsSegmentWithLength(uint8_t marker) { return (marker >= 0xC0 && marker <= 0xCF) || marker >= 0xDA; }

// Markers that carry no segment, and bytes that are not markers at all.
bool IsBareMarker(uint8_t marker) { return marker <= 0xBF || (marker >= 0xD0 && marker <= 0xD8) || marker == 0xFF; }

// Segments the profile scan passes over: tables, and everything from the
// scan header on except APP2.
bool IsSkippedSegment(uint8_t marker)
{
    return marker == 0xC4 || marker == 0xC8 || marker == 0xCC || (marker >= 0xDA && marker != MarkerApp2);
}

// The chunks of a profile split over APP2 segments. A chunk is taken only
// when it is long enough, numbered within the count that every chunk
// states alike, and not seen before; the profile exists only when every
// chunk came.
class TIccChunks {
public:
    void Add(const std::vector<uint8_t>& block)
    {
        if (block.size() < IccChunkHeader ||
            std::strcmp(reinterpret_cast<const char*>(block.data()), "ICC_PROFILE") != 0)
            return;
        const size_t sequence = block[12];
        const size_t count = block[13];
        if (count == 0 || sequence < 1 || sequence > count)
            return;
        if (FChunks.empty())
            FChunks.resize(count);
        if (count != FChunks.size() || FSeen[sequence - 1])
            return;
        FChunks[sequence - 1].assign(block.begin() + IccChunkHeader, block.end());
        FSeen[sequence - 1] = true;
        ++FSeenCount;
    }
    bool Complete() const { return !FChunks.empty() && FSeenCount == FChunks.size(); }
    std::vector<uint8_t> Joined() const
    {
        std::vector<uint8_t> profile;
        for (const auto& chunk : FChunks)
            profile.insert(profile.end(), chunk.begin(), chunk.end());
        return profile;
    }

private:
    std::vector<std::vector<uint8_t>> FChunks;
    std::array<bool, 256> FSeen{};
    size_t FSeenCount = 0;
};

// The ICC chunks up to the first frame or the end of the image.
TIccChunks CollectIccChunks(TMarkerWalk& walk)
{
    TIccChunks chunks;
    std::vector<uint8_t> block;
    uint8_t marker = 0;
    uint16_t length = 0;
    while (!chunks.Complete() && walk.NextMarker(marker)) {
        if (IsBareMarker(marker))
            continue;
        if (marker == MarkerApp2) {
            if (!walk.ReadLength(length) || !walk.ReadSegment(length, block))
                break;
            chunks.Add(block);
        } else if (IsSkippedSegment(marker)) {
            if (!walk.ReadLength(length))
                break;
            walk.SkipSegment(length);
        } else {
            break;
        }
    }
    return chunks;
}

} // namespace

int64_t GetJpegStreamLength(TStream& stream)
{
    TMarkerWalk walk(stream);
    uint8_t marker = 0;
    uint16_t length = 0;
    while (walk.NextMarker(marker)) {
        if (marker == MarkerEndOfImage)
            break;
        if (!IsSegmentWithLength(marker))
            continue;
        if (!walk.ReadLength(length))
            break;
        walk.SkipSegment(length);
    }
    return walk.Position();
}

void ReadJpegIccProfile(TStream& stream, TIOParamsVals& params)
{
    TMarkerWalk walk(stream);
    const TIccChunks chunks = CollectIccChunks(walk);
    if (!chunks.Complete())
        return;
    const std::vector<uint8_t> profile = chunks.Joined();
    if (profile.empty())
        return;
    try {
        params.GetInputICCProfile().LoadFromBuffer(profile.data(), int32_t(profile.size()));
    } catch (const Exception&) {
        params.InputICCProfile.reset();
    }
}

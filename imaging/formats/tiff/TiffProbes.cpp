#include <initializer_list>

#include "imaging/core/QkTIFFHandler.h"
#include "imaging/formats/tiff/QkTiff.h"
#include "imaging/formats/tiff/TiffDirectory.h"
#include "platform/core/Streams.h"

namespace {

constexpr uint16_t ImageWidthTag = 256;
constexpr uint16_t ImageLengthTag = 257;
constexpr uint16_t PhotometricTag = 262;
constexpr uint16_t SubIfdsTag = 330;
constexpr uint16_t CameraRawMarkerTag = 37398;
constexpr uint16_t DngVersionTag = 50706;
constexpr uint32_t CfaPhotometric = 32803;
constexpr uint32_t LinearRawPhotometric = 34892;
constexpr int64_t SmallImage = 200;
// A big-endian header followed by this byte starts another format.
constexpr uint8_t ForeignMarker = 0xBA;

// The header and first directory of the data at the position, which the
// caller restores.
struct TFirstDirectory {
    explicit TFirstDirectory(TStream& stream) : Start(stream.Position()), Directory(stream, Start, true) {}

    bool Load(TStream& stream)
    {
        Size = stream.Size() - Start;
        uint32_t first = 0;
        if (Size <= 8 || !ReadTiffHeader(stream, Intel, first) || first >= Size)
            return false;
        Directory = TTiffDirectory(stream, Start, Intel);
        return Directory.Load(first);
    }

    int64_t Start;
    int64_t Size = 0;
    bool Intel = true;
    TTiffDirectory Directory;
};

template <typename Test>
bool Probe(TStream& stream, Test test)
{
    TFirstDirectory first(stream);
    const bool answer = first.Load(stream) && test(first);
    stream.SetPosition(first.Start);
    return answer;
}

bool HasAll(const TTiffDirectory& directory, std::initializer_list<uint16_t> tags)
{
    for (const uint16_t tag : tags)
        if (!directory.Has(tag))
            return false;
    return true;
}

} // namespace

bool IsTiffStream(TStream& stream)
{
    return Probe(stream, [](TFirstDirectory& first) {
        uint8_t ninth = 0;
        const bool foreign = !first.Intel && first.Directory.ReadAt(8, &ninth, 1) && ninth == ForeignMarker;
        return !foreign && HasAll(first.Directory, {ImageWidthTag, ImageLengthTag});
    });
}

bool IsCameraRawTiff(TStream& stream)
{
    return Probe(stream, [](TFirstDirectory& first) {
        const TTiffDirectory& directory = first.Directory;
        const TTiffEntry* dng = directory.Find(DngVersionTag);
        if (dng && dng->Type == ttByte && dng->Count == 4)
            return true;
        const TTiffEntry* photometric = directory.Find(PhotometricTag);
        if (photometric && photometric->Type == ttShort && photometric->Count == 1) {
            const uint32_t value = directory.Word(photometric->Field);
            if (value == CfaPhotometric || value == LinearRawPhotometric)
                return true;
        }
        return HasAll(directory, {SubIfdsTag, CameraRawMarkerTag}) &&
            directory.Integer(ImageWidthTag, SmallImage) < SmallImage &&
            directory.Integer(ImageLengthTag, SmallImage) < SmallImage;
    });
}

bool IsHdPhotoStream(TStream& stream)
{
    return Probe(stream, [](TFirstDirectory& first) {
        return first.Intel && HasAll(first.Directory, {48256, 48257, 48129, 48320, 48321});
    });
}

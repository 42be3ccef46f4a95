#include "imaging/formats/QkFormatDetection.h"

#include <array>
#include <cstring>

#include "imaging/core/QkFileStreams.h"
#include "imaging/core/QkTextRoutines.h"
#include "imaging/formats/QkFileFormats.h"
#include "platform/core/Files.h"

namespace {

constexpr int64_t HeaderTestBytes = 128;
constexpr int64_t JpegSearchWindow = 150;

// The first bytes at a position, read with a check: `Available` counts the
// bytes that were there, the rest of the buffer stays zero.
template <size_t N>
struct THead {
    std::array<uint8_t, N> Bytes{};
    int64_t Available = 0;

    THead(TStream& stream, int64_t position)
    {
        stream.SetPosition(position);
        while (Available < int64_t(N)) {
            const int64_t got = stream.Read(Bytes.data() + Available, int64_t(N) - Available);
            if (got <= 0)
                break;
            Available += got;
        }
        stream.SetPosition(position);
    }

    bool Has(int64_t count) const { return Available >= count; }
    // The bytes up to the first zero within the first `count` equal `text`.
    bool TextIs(int64_t count, const char* text) const
    {
        const size_t length = std::strlen(text);
        return Has(count) && int64_t(length) < count && std::memcmp(Bytes.data(), text, length) == 0 &&
            Bytes[length] == 0;
    }
};

// The header tests; each asks the whole stream to be larger than what it
// reads, and the bytes to be there after the position.
int32_t HeaderTest(TStream& stream, int64_t position, int64_t size)
{
    const THead<HeaderTestBytes> head(stream, position);
    const auto& b = head.Bytes;
    if (size > 12 && head.TextIs(12, "JFIF"))
        return ioJPEG;
    if (size > 13 && head.Has(13) && b[0] == 'G' && b[1] == 'I' && b[2] == 'F')
        return ioGIF;
    if (size > 12 && head.TextIs(12, "PCX2"))
        return ioPCX;
    if (size > 4 && head.TextIs(4, "PCX"))
        return ioPCX;
    if (size > 14 && head.Has(14) && b[0] == 'B' && b[1] == 'M')
        return ioBMP;
    if (size > 128 && head.Has(128) && b[0] == 0x0A && b[1] <= 5)
        return ioPCX;
    if (size > 12 && head.TextIs(12, "TIFF"))
        return ioTIFF;
    return 0;
}

bool ProbeAnswers(int32_t fileType, TStream& stream, int64_t position, int64_t size)
{
    const TQkStreamProbe& probe = FormatRow(fileType).Probe;
    if (!probe)
        return false;
    if (fileType == ioPNG && size <= 8)
        return false;
    stream.SetPosition(position);
    if (!probe(stream))
        return false;
    if (fileType == ioTIFF && CameraRawTiffProbe) {
        stream.SetPosition(position);
        return !CameraRawTiffProbe(stream);
    }
    return true;
}

int32_t ExternalProbe(TStream& stream, int64_t position)
{
    for (int32_t i = 0; i < FileFormatCount(); ++i) {
        const TQkFileFormatInfo& format = FileFormatAt(i);
        if (!format.TryFunction)
            continue;
        stream.SetPosition(position);
        if (format.TryFunction(stream, format.FileType))
            return format.FileType;
    }
    return 0;
}

int32_t DetectAt(TStream& stream, int64_t position)
{
    const int64_t size = stream.Size();
    if (const int32_t header = HeaderTest(stream, position, size))
        return header;
    for (const int32_t fileType : DetectionProbeOrder)
        if (ProbeAnswers(fileType, stream, position, size))
            return fileType;
    stream.SetPosition(position);
    if (FindJpegSoi(stream, true) >= 0)
        return ioJPEG;
    if (const int32_t external = ExternalProbe(stream, position))
        return external;
    return ProbeAnswers(ioRAW, stream, position, size) ? ioRAW : 0;
}

int32_t DetectOpenedFile(const std::string& fileName)
{
    try {
        TQkWideFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
        return DetectStreamFormat(file);
    } catch (const std::exception&) {
        return 0;
    }
}

} // namespace

int32_t DetectStreamFormat(TStream& stream)
{
    int64_t position = 0;
    try {
        position = stream.Position();
    } catch (const std::exception&) {
        return 0;
    }
    int32_t answer = 0;
    try {
        answer = DetectAt(stream, position);
    } catch (const std::exception&) {
        answer = 0;
    }
    try {
        stream.SetPosition(position);
    } catch (const std::exception&) {
        answer = 0;
    }
    return answer;
}

int32_t DetectFileFormat(const std::string& fileName, bool checkExtension)
{
    if (fileName.empty() || !QkFileExists(fileName))
        return 0;
    int32_t answer = DetectOpenedFile(fileName);
    const TQkFileFormatInfo* entry = FindFileFormatByExtension(ExtractFileExt(fileName));
    if (entry != nullptr && entry->FileType == ioRAW && answer == ioTIFF)
        answer = ioRAW;
    if (entry != nullptr && !entry->InternalFormat)
        return entry->FileType;
    if (checkExtension && answer != 0) {
        if (entry == nullptr || answer == ioICO || answer == ioCUR)
            answer = entry != nullptr ? entry->FileType : 0;
        else if (entry->FileType != answer)
            answer = 0;
    }
    return answer;
}

bool IsAviStream(TStream& stream)
{
    const THead<12> head(stream, stream.Position());
    return head.Has(12) && std::memcmp(head.Bytes.data(), "RIFF", 4) == 0 &&
        std::memcmp(head.Bytes.data() + 8, "AVI ", 4) == 0;
}

int64_t FindJpegSoi(TStream& stream, bool search)
{
    const int64_t position = stream.Position();
    const THead<JpegSearchWindow + 2> head(stream, position);
    const int64_t lastStart = search ? JpegSearchWindow - 1 : 0;
    for (int64_t offset = 0; offset <= lastStart && head.Has(offset + 3); ++offset) {
        const uint8_t* bytes = head.Bytes.data() + offset;
        if (bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF)
            return position + offset;
    }
    return -1;
}

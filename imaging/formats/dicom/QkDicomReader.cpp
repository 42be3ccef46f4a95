#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <vector>

#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkStreams.h"
#include "imaging/core/QkTextRoutines.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/dicom/QkDicom.h"
#include "imaging/formats/dicom/QkDicomContext.h"
#include "imaging/formats/dicom/QkDicomDictionary.h"
#include "platform/core/Streams.h"
#include "platform/core/Strings.h"

namespace {

constexpr int64_t PreambleSize = 128;
constexpr int64_t ReadBufferSize = 8192;
constexpr uint32_t UndefinedLength = 0xFFFFFFFF;
constexpr uint16_t FileMetaGroup = 0x0002;
constexpr uint16_t ImageGroup = 0x0028;
constexpr uint16_t ItemGroup = 0xFFFE;
constexpr uint16_t ItemDelimiter = 0xE00D;
constexpr uint16_t SequenceDelimiter = 0xE0DD;
const char* const ExplicitBigEndian = "1.2.840.10008.1.2.2";

uint16_t Swap16(uint16_t value) { return uint16_t(value >> 8 | value << 8); }

uint16_t Word(const uint8_t* bytes, bool littleEndian)
{
    return littleEndian ? uint16_t(bytes[0] | bytes[1] << 8) : uint16_t(bytes[0] << 8 | bytes[1]);
}

uint32_t LongWord(const uint8_t* bytes, bool littleEndian)
{
    const uint32_t first = Word(bytes, littleEndian);
    const uint32_t second = Word(bytes + 2, littleEndian);
    return littleEndian ? first | second << 16 : first << 16 | second;
}

// The representations whose explicit form has two reserved bytes and a
// 4-byte length (PS 3.5, 7.1.2).
bool HasLongLength(const TDicomVR& vr)
{
    static const std::array<TDicomVR, 13> longForms{{{'O', 'B'},
                                                     {'O', 'D'},
                                                     {'O', 'F'},
                                                     {'O', 'L'},
                                                     {'O', 'V'},
                                                     {'O', 'W'},
                                                     {'S', 'Q'},
                                                     {'S', 'V'},
                                                     {'U', 'C'},
                                                     {'U', 'N'},
                                                     {'U', 'R'},
                                                     {'U', 'T'},
                                                     {'U', 'V'}}};
    return std::find(longForms.begin(), longForms.end(), vr) != longForms.end();
}

bool IsUpper(uint8_t c) { return c >= 'A' && c <= 'Z'; }

std::string TrimmedText(const std::vector<uint8_t>& value)
{
    std::string text(value.begin(), value.end());
    const size_t end = text.find_last_not_of(std::string(" \0", 2));
    text.erase(end == std::string::npos ? 0 : end + 1);
    const size_t start = text.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : text.substr(start);
}

struct TDicomElement {
    uint16_t Group = 0;
    uint16_t Element = 0;
    TDicomVR VR{};
    uint32_t Length = 0;
    std::vector<uint8_t> Value;

    bool Undefined() const { return Length == UndefinedLength; }
    bool Is(uint16_t group, uint16_t element) const { return Group == group && Element == element; }
};

class TDicomElementWalk {
public:
    explicit TDicomElementWalk(TDicomContext& context) : context_(context), stream_(context.Stream) {}

    // Reads elements up to the pixel data of the data set itself (not one
    // nested in a sequence, such as an icon) or the end of the data.
    void Run()
    {
        TDicomElement element;
        while (ReadHeader(element)) {
            if (element.Is(0x7FE0, 0x0010) && depth_ == 0) {
                context_.PixelPosition = stream_.Position();
                context_.PixelLength = element.Undefined() ? -1 : int64_t(element.Length);
                context_.PixelBytesSwapped = !context_.LittleEndian && element.VR == TDicomVR{'O', 'W'};
                return;
            }
            if (!ReadValue(element))
                return;
            TrackDepth(element);
            TakeAttribute(element);
            context_.Request.Params.DicomTags.AddTag(element.Group, element.Element, VRText(element.VR),
                                                     element.Undefined() ? -1 : int32_t(element.Length),
                                                     std::move(element.Value));
        }
    }

private:
    static std::string VRText(const TDicomVR& vr) { return vr == NoVR ? std::string() : std::string(vr.data(), 2); }

    bool BodyLittleEndian(uint16_t group) const { return group == FileMetaGroup || context_.LittleEndian; }

    bool ReadHeader(TDicomElement& element)
    {
        std::array<uint8_t, 6> bytes{};
        if (stream_.Read(bytes.data(), 6) != 6)
            return false;
        element.Group = Word(bytes.data(), true);
        element.Element = Word(bytes.data() + 2, true);
        if (element.Group != FileMetaGroup && !context_.LittleEndian) {
            element.Group = Swap16(element.Group);
            element.Element = Swap16(element.Element);
        }
        const bool littleEndian = BodyLittleEndian(element.Group);
        const TDicomVR dictionaryVR = DicomDictionaryVR(element.Group, element.Element);
        const bool explicitVR = element.Group == FileMetaGroup || (IsUpper(bytes[4]) && IsUpper(bytes[5]));
        if (!explicitVR || dictionaryVR == NoVR) {
            stream_.Seek(-2, soCurrent);
            element.VR = explicitVR ? NoVR : dictionaryVR;
            return ReadLength(element, 4, littleEndian);
        }
        element.VR = {char(bytes[4]), char(bytes[5])};
        if (!HasLongLength(element.VR))
            return ReadLength(element, 2, littleEndian);
        stream_.Seek(2, soCurrent);
        return ReadLength(element, 4, littleEndian);
    }

    bool ReadLength(TDicomElement& element, int64_t size, bool littleEndian)
    {
        std::array<uint8_t, 4> bytes{};
        if (stream_.Read(bytes.data(), size) != size)
            return false;
        element.Length = size == 2 ? Word(bytes.data(), littleEndian) : LongWord(bytes.data(), littleEndian);
        return true;
    }

    // False when the value runs past the end of the data.
    bool ReadValue(TDicomElement& element)
    {
        element.Value.clear();
        if (element.Undefined() || element.Length == 0)
            return true;
        if (int64_t(element.Length) > context_.Size - stream_.Position())
            return false;
        element.Value.resize(element.Length);
        return stream_.Read(element.Value.data(), element.Length) == int64_t(element.Length);
    }

    // Sequences and items of undefined length open a level that their
    // delimiter closes; defined-length ones were read whole as values.
    void TrackDepth(const TDicomElement& element)
    {
        if (element.Undefined())
            ++depth_;
        else if (element.Group == ItemGroup &&
                 (element.Element == ItemDelimiter || element.Element == SequenceDelimiter) && depth_ > 0)
            --depth_;
    }

    void TakeAttribute(const TDicomElement& element)
    {
        if (element.Is(FileMetaGroup, 0x0010)) {
            context_.TransferSyntax = TrimmedText(element.Value);
            context_.LittleEndian = context_.TransferSyntax != ExplicitBigEndian;
        } else if (element.Group == ImageGroup && depth_ == 0) {
            TakeImageAttribute(element);
        }
    }

    int32_t Number(const TDicomElement& element) const
    {
        const bool littleEndian = BodyLittleEndian(element.Group);
        const std::vector<uint8_t>& value = element.Value;
        if (value.size() >= 4 && (element.VR == TDicomVR{'U', 'L'} || element.VR == TDicomVR{'S', 'L'}))
            return int32_t(LongWord(value.data(), littleEndian));
        if (value.size() >= 2)
            return element.VR == TDicomVR{'S', 'S'} ? int16_t(Word(value.data(), littleEndian))
                                                    : Word(value.data(), littleEndian);
        return value.empty() ? 0 : value[0];
    }

    void TakeImageAttribute(const TDicomElement& element)
    {
        const std::string text(element.Value.begin(), element.Value.end());
        switch (element.Element) {
        case 0x0002: context_.SamplesPerPixel = Number(element); break;
        case 0x0004: context_.Photometric = TrimmedText(element.Value); break;
        case 0x0006: context_.PlanarConfiguration = Number(element); break;
        case 0x0008: context_.Frames = std::max(1, int32_t(StrToIntDef(TrimmedText(element.Value), 1))); break;
        case 0x0010: context_.Rows = Number(element); break;
        case 0x0011: context_.Columns = Number(element); break;
        case 0x0100: context_.BitsAllocated = Number(element); break;
        case 0x0101: context_.BitsStored = Number(element); break;
        case 0x0103: context_.PixelRepresentation = Number(element); break;
        case 0x1050: context_.WindowCenter = DicomDecimal(text, -1); break;
        case 0x1051: context_.WindowWidth = DicomDecimal(text, -1); break;
        case 0x1052: context_.RescaleIntercept = DicomDecimal(text, 0); break;
        case 0x1053: context_.RescaleSlope = DicomDecimal(text, 1); break;
        case 0x1101: TakeLutDescriptor(element, context_.Red); break;
        case 0x1102: TakeLutDescriptor(element, context_.Green); break;
        case 0x1103: TakeLutDescriptor(element, context_.Blue); break;
        case 0x1201: TakeLutData(element, context_.Red); break;
        case 0x1202: TakeLutData(element, context_.Green); break;
        case 0x1203: TakeLutData(element, context_.Blue); break;
        default: break;
        }
        if (context_.WindowCenter == 0)
            context_.WindowCenter = -1;
    }

    // Entries (0 stands for 65536), first mapped value, bits per entry.
    void TakeLutDescriptor(const TDicomElement& element, TDicomLut& lut) const
    {
        if (element.Value.size() < 6)
            return;
        const bool littleEndian = BodyLittleEndian(element.Group);
        const int32_t entries = Word(element.Value.data(), littleEndian);
        lut.DescribedEntries = entries == 0 ? 65536 : entries;
        const uint16_t first = Word(element.Value.data() + 2, littleEndian);
        lut.FirstMapped = element.VR == TDicomVR{'S', 'S'} ? int16_t(first) : first;
        lut.EntryBits = Word(element.Value.data() + 4, littleEndian) <= 8 ? 8 : 16;
    }

    // Entries of 8 bits come as words, or packed two to a word when the
    // value is only as long as the entries.
    void TakeLutData(const TDicomElement& element, TDicomLut& lut) const
    {
        const bool littleEndian = BodyLittleEndian(element.Group);
        const std::vector<uint8_t>& value = element.Value;
        lut.Entries.clear();
        const bool packedBytes = lut.EntryBits == 8 && int64_t(value.size()) == lut.DescribedEntries;
        if (packedBytes) {
            for (uint8_t entry : value)
                lut.Entries.push_back(uint16_t(entry * 257));
            return;
        }
        for (size_t i = 0; i + 1 < value.size(); i += 2) {
            const uint16_t entry = Word(value.data() + i, littleEndian);
            lut.Entries.push_back(lut.EntryBits == 8 ? uint16_t((entry & 0xFF) * 257) : entry);
        }
    }

    TDicomContext& context_;
    TStream& stream_;
    int32_t depth_ = 0;
};

void StoreDicomParams(TDicomContext& context)
{
    TIOParamsVals& params = context.Request.Params;
    params.BitsPerSample = context.BitsStored;
    params.SamplesPerPixel = context.SamplesPerPixel;
    params.Width = params.StoredWidth = context.Columns;
    params.Height = params.StoredHeight = context.Rows;
    params.SetImageCount(context.Frames);
    context.Request.ImageCount = context.Frames;
}

} // namespace

uint16_t TDicomLut::Map(int32_t value) const
{
    if (Entries.empty())
        return 0;
    const int64_t index = std::clamp<int64_t>(int64_t(value) - FirstMapped, 0, int64_t(Entries.size()) - 1);
    return Entries[size_t(index)];
}

double DicomDecimal(const std::string& text, double defaultValue)
{
    return StrToFloatLenient(text.substr(0, text.find('\\')), defaultValue);
}

bool IsDicom(TStream& stream)
{
    const int64_t start = stream.Position();
    std::array<char, 4> signature{};
    stream.Seek(PreambleSize, soCurrent);
    const bool complete = stream.Read(signature.data(), 4) == 4;
    stream.SetPosition(start);
    return complete && std::string(signature.data(), 4) == "DICM";
}

void ReadDicom(TQkReadRequest& request)
{
    TQkBufferedReadStream stream(request.Stream, true, ReadBufferSize);
    TDicomContext context(request, stream);
    context.Size = stream.Size();
    request.Params.DicomTags.Clear();
    std::array<char, 4> signature{};
    stream.SetPosition(PreambleSize);
    if (stream.Read(signature.data(), 4) != 4 || std::string(signature.data(), 4) != "DICM")
        stream.SetPosition(0);
    TDicomElementWalk(context).Run();
    StoreDicomParams(context);
    if (request.ParamsOnly)
        return;
    // A full read of data that holds no image is no success.
    if (context.PixelPosition < 0) {
        SetAborting(request.Progress);
        return;
    }
    DecodeDicomFrame(context);
}

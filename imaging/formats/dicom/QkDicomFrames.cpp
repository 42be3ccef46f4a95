#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <vector>

#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkSettings.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/dicom/QkDicomPixels.h"
#include "platform/core/Streams.h"

namespace {

constexpr uint32_t ItemTag = 0xE000FFFE;
constexpr uint32_t SequenceDelimiterTag = 0xE0DDFFFE;
constexpr uint32_t UndefinedLength = 0xFFFFFFFF;

enum class TDicomCoding { Native, RunLength, BaselineJpeg, LosslessJpeg, Jpeg2000, Unsupported };

// JPEG-LS, deflate, MPEG and anything unknown have no decoder here.
TDicomCoding CodingOf(const std::string& transferSyntax)
{
    if (transferSyntax.empty() || transferSyntax == "1.2.840.10008.1.2" || transferSyntax == "1.2.840.10008.1.2.1" ||
        transferSyntax == "1.2.840.10008.1.2.2")
        return TDicomCoding::Native;
    if (transferSyntax == "1.2.840.10008.1.2.5")
        return TDicomCoding::RunLength;
    if (transferSyntax == "1.2.840.10008.1.2.4.50" || transferSyntax == "1.2.840.10008.1.2.4.51")
        return TDicomCoding::BaselineJpeg;
    if (transferSyntax == "1.2.840.10008.1.2.4.57" || transferSyntax == "1.2.840.10008.1.2.4.70")
        return TDicomCoding::LosslessJpeg;
    if (transferSyntax == "1.2.840.10008.1.2.4.90" || transferSyntax == "1.2.840.10008.1.2.4.91")
        return TDicomCoding::Jpeg2000;
    return TDicomCoding::Unsupported;
}

uint32_t LittleLongWord(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

struct TFragment {
    // From the first byte after the offset table to the item's tag.
    int64_t Offset = 0;
    int64_t Position = 0;
    int64_t Length = 0;
};

// The items of encapsulated pixel data: the offset table, then the
// fragments up to the sequence delimiter (or the end of the data).
class TEncapsulatedData {
public:
    explicit TEncapsulatedData(TDicomContext& context) : context_(context), stream_(context.Stream) {}

    bool Read()
    {
        uint32_t tag = 0;
        uint32_t length = 0;
        if (!ReadItemHeader(tag, length) || tag != ItemTag || !Fits(length))
            return false;
        std::vector<uint8_t> table(length);
        stream_.Read(table.data(), length);
        for (size_t i = 0; i + 4 <= table.size(); i += 4)
            offsets_.push_back(LittleLongWord(table.data() + i));
        const int64_t tableEnd = stream_.Position();
        while (ReadItemHeader(tag, length) && tag != SequenceDelimiterTag) {
            if (tag != ItemTag || length == UndefinedLength || !Fits(length))
                return false;
            const int64_t position = stream_.Position();
            fragments_.push_back({position - 8 - tableEnd, position, int64_t(length)});
            stream_.SetPosition(position + length);
        }
        return !fragments_.empty();
    }

    // The frame's fragments joined; false when there is no such frame.
    bool Frame(int32_t index, TDicomCoding coding, std::vector<uint8_t>& frame)
    {
        size_t first = 0;
        size_t last = 0;
        if (!offsets_.empty()) {
            if (size_t(index) >= offsets_.size())
                return false;
            const int64_t start = offsets_[size_t(index)];
            const int64_t end = size_t(index) + 1 < offsets_.size() ? int64_t(offsets_[size_t(index) + 1])
                                                                    : std::numeric_limits<int64_t>::max();
            first = FirstFragmentFrom(start);
            last = FirstFragmentFrom(end);
            if (first == fragments_.size() || fragments_[first].Offset != start)
                return false;
        } else if (!FramesWithoutTable(index, coding, first, last)) {
            return false;
        }
        return Join(first, last, frame);
    }

private:
    bool ReadItemHeader(uint32_t& tag, uint32_t& length)
    {
        std::array<uint8_t, 8> bytes{};
        if (stream_.Read(bytes.data(), 8) != 8)
            return false;
        tag = LittleLongWord(bytes.data());
        length = LittleLongWord(bytes.data() + 4);
        return true;
    }

    bool Fits(int64_t length) { return length <= context_.Size - stream_.Position(); }

    size_t FirstFragmentFrom(int64_t offset) const
    {
        return size_t(std::find_if(fragments_.begin(), fragments_.end(),
                                   [offset](const TFragment& fragment) { return fragment.Offset >= offset; }) -
                      fragments_.begin());
    }

    // One frame takes every fragment; as many fragments as frames, one
    // each; otherwise a frame begins at each fragment that opens a code
    // stream (JPEG's start of image, JPEG 2000's start of code stream).
    bool FramesWithoutTable(int32_t index, TDicomCoding coding, size_t& first, size_t& last)
    {
        if (context_.Frames == 1) {
            last = fragments_.size();
            return index == 0;
        }
        if (fragments_.size() == size_t(context_.Frames) || coding == TDicomCoding::RunLength) {
            first = size_t(index);
            last = first + 1;
            return first < fragments_.size();
        }
        std::vector<size_t> starts;
        for (size_t i = 0; i < fragments_.size(); ++i) {
            if (OpensCodeStream(fragments_[i]))
                starts.push_back(i);
        }
        if (size_t(index) >= starts.size())
            return false;
        first = starts[size_t(index)];
        last = size_t(index) + 1 < starts.size() ? starts[size_t(index) + 1] : fragments_.size();
        return true;
    }

    bool OpensCodeStream(const TFragment& fragment)
    {
        std::array<uint8_t, 2> marker{};
        stream_.SetPosition(fragment.Position);
        if (fragment.Length < 2 || stream_.Read(marker.data(), 2) != 2 || marker[0] != 0xFF)
            return false;
        return marker[1] == 0xD8 || marker[1] == 0x4F;
    }

    bool Join(size_t first, size_t last, std::vector<uint8_t>& frame)
    {
        if (first >= last)
            return false;
        int64_t total = 0;
        for (size_t i = first; i < last; ++i)
            total += fragments_[i].Length;
        frame.resize(size_t(total));
        uint8_t* out = frame.data();
        for (size_t i = first; i < last; ++i) {
            stream_.SetPosition(fragments_[i].Position);
            if (stream_.Read(out, fragments_[i].Length) != fragments_[i].Length)
                return false;
            out += fragments_[i].Length;
        }
        return true;
    }

    TDicomContext& context_;
    TStream& stream_;
    std::vector<uint32_t> offsets_;
    std::vector<TFragment> fragments_;
};

bool StartsWithItem(TDicomContext& context)
{
    std::array<uint8_t, 4> bytes{};
    context.Stream.SetPosition(context.PixelPosition);
    const bool item = context.Stream.Read(bytes.data(), 4) == 4 && LittleLongWord(bytes.data()) == ItemTag;
    context.Stream.SetPosition(context.PixelPosition);
    return item;
}

// A compressed frame: from the items, or the whole value when the data
// holds a single code stream without them.
bool ReadCodedFrame(TDicomContext& context, int32_t index, TDicomCoding coding, std::vector<uint8_t>& frame)
{
    if (StartsWithItem(context)) {
        TEncapsulatedData data(context);
        return data.Read() && data.Frame(index, coding, frame);
    }
    if (index != 0 || context.PixelLength < 0 || context.PixelLength > context.Size - context.PixelPosition)
        return false;
    frame.resize(size_t(context.PixelLength));
    return context.Stream.Read(frame.data(), context.PixelLength) == context.PixelLength;
}

bool ReadNativeFrame(TDicomContext& context, int32_t index, std::vector<uint8_t>& frame)
{
    const int64_t frameBytes = NativeFrameBytes(context);
    if (frameBytes == 0)
        return false;
    // Every frame the file announces must be there, and the value must
    // end within the data: anything else is a truncated file.
    const int64_t available = context.Size - context.PixelPosition;
    if (int64_t(context.Frames) * frameBytes > available || context.PixelLength > available)
        return false;
    const int64_t start = context.PixelPosition + int64_t(index) * frameBytes;
    frame.resize(size_t(frameBytes));
    context.Stream.SetPosition(start);
    if (context.Stream.Read(frame.data(), frameBytes) != frameBytes)
        return false;
    if (context.PixelBytesSwapped && context.BitsAllocated == 8) {
        for (size_t i = 0; i + 1 < frame.size(); i += 2)
            std::swap(frame[i], frame[i + 1]);
    }
    return true;
}

bool DecodeFrame(TDicomContext& context, int32_t index)
{
    const TDicomCoding coding = CodingOf(context.TransferSyntax);
    if (coding == TDicomCoding::Unsupported)
        return false;
    std::vector<uint8_t> frame;
    if (coding == TDicomCoding::Native)
        return ReadNativeFrame(context, index, frame) && DecodeNativeFrame(context, frame);
    if (!ReadCodedFrame(context, index, coding, frame))
        return false;
    switch (coding) {
    case TDicomCoding::RunLength: return DecodeRleFrame(context, frame);
    case TDicomCoding::BaselineJpeg: return DecodeBaselineJpegFrame(context, frame);
    case TDicomCoding::LosslessJpeg: return DecodeLosslessJpegFrame(context, frame);
    case TDicomCoding::Jpeg2000: return DecodeJpeg2000Frame(context, frame);
    default: return false;
    }
}

} // namespace

void DecodeDicomFrame(TDicomContext& context)
{
    TIOParamsVals& params = context.Request.Params;
    const int32_t index = std::clamp(params.ImageIndex, 0, context.Frames - 1);
    params.SetImageIndex(index);
    const bool sized = context.Rows > 0 && context.Columns > 0 && WithinDecodeLimit(context.Columns, context.Rows);
    if (!sized || !DecodeFrame(context, index))
        SetAborting(context.Request.Progress);
}

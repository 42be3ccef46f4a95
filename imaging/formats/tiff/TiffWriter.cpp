#include <set>

#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkStreamRoutines.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/tiff/QkTiffWriter.h"
#include "imaging/formats/tiff/TiffEntryWriter.h"
#include "imaging/formats/tiff/TiffExif.h"
#include "imaging/formats/tiff/TiffLayout.h"
#include "imaging/formats/tiff/TiffPage.h"
#include "platform/core/Streams.h"

namespace {

constexpr uint16_t NewSubfileTypeTag = 254;
constexpr uint16_t ImageWidthTag = 256;
constexpr uint16_t ImageLengthTag = 257;
constexpr uint16_t BitsPerSampleTag = 258;
constexpr uint16_t CompressionTag = 259;
constexpr uint16_t PhotometricTag = 262;
constexpr uint16_t FillOrderTag = 266;
constexpr uint16_t DocumentNameTag = 269;
constexpr uint16_t ImageDescriptionTag = 270;
constexpr uint16_t SamplesPerPixelTag = 277;
constexpr uint16_t XResolutionTag = 282;
constexpr uint16_t YResolutionTag = 283;
constexpr uint16_t PlanarConfigurationTag = 284;
constexpr uint16_t PageNameTag = 285;
constexpr uint16_t XPositionTag = 286;
constexpr uint16_t YPositionTag = 287;
constexpr uint16_t T4OptionsTag = 292;
constexpr uint16_t T6OptionsTag = 293;
constexpr uint16_t ResolutionUnitTag = 296;
constexpr uint16_t PageNumberTag = 297;
constexpr uint16_t PredictorTag = 317;
constexpr uint16_t ColorMapTag = 320;
constexpr uint16_t CleanFaxDataTag = 327;
constexpr uint16_t ExtraSamplesTag = 338;
constexpr uint16_t XmpTag = 700;
constexpr uint16_t ImagingAnnotTag = 32932;
constexpr uint16_t IptcTag = 33723;
constexpr uint16_t IccProfileTag = 34675;
constexpr uint16_t UnassociatedAlpha = 2;
constexpr uint32_t HeaderSize = 8;

// Where the new page's directory offset goes and what it replaces.
struct TTiffLink {
    int64_t PointerPosition = 0;
    uint32_t OldValue = 0;
    int32_t Pages = 0;
};

uint32_t ReadLong(TStream& stream, int64_t position, bool& ok)
{
    uint8_t bytes[4] = {};
    stream.SetPosition(position);
    ok = ok && stream.Read(bytes, 4) == 4;
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

// Walks the page chain of a little-endian file. A pointer outside the
// stream or back to a directory already met ends the walk as a 0 would.
bool FindLink(TStream& stream, int64_t base, int32_t index, TTiffLink& link)
{
    uint8_t order[2] = {};
    stream.SetPosition(base);
    if (stream.Read(order, 2) != 2 || order[0] != 'I' || order[1] != 'I')
        return false;
    const int64_t size = stream.Size();
    std::set<uint32_t> visited;
    int64_t pointer = base + 4;
    bool ok = true;
    uint32_t offset = ReadLong(stream, pointer, ok);
    int32_t page = 0;
    for (;; ++page) {
        const bool end = !ok || offset == 0 || base + offset + 2 > size || !visited.insert(offset).second;
        if (page == index || (end && page < index)) {
            link = {pointer, end ? 0 : offset, 0};
        }
        if (end)
            break;
        uint8_t countBytes[2] = {};
        stream.SetPosition(base + offset);
        stream.Read(countBytes, 2);
        pointer = base + offset + 2 + (uint32_t(countBytes[0]) | uint32_t(countBytes[1]) << 8) * 12;
        offset = ReadLong(stream, pointer, ok);
    }
    link.Pages = page + 1;
    return true;
}

void AddPlainResolution(TTiffEntryWriter& entries, const TIOParamsVals& params)
{
    if (!params.TiffImageDescription.empty())
        entries.AddAscii(ImageDescriptionTag, params.TiffImageDescription);
    entries.AddRational(XResolutionTag, params.DpiX);
    entries.AddRational(YResolutionTag, params.DpiY);
    entries.AddShort(ResolutionUnitTag, 2);
}

void AddBitsPerSample(TTiffEntryWriter& entries, const TTiffLayout& layout)
{
    const TQkPixelFormat format = layout.Working->GetPixelFormat();
    uint16_t bits = 8;
    if (format == qk1g)
        bits = 1;
    else if (format == qk16g || format == qkRGB48)
        bits = 16;
    else if (format == qk24RGB && layout.Samples == 1)
        bits = uint16_t(layout.Options.Bits);
    const std::vector<uint16_t> values(size_t(layout.Samples), bits);
    entries.AddShorts(BitsPerSampleTag, values);
}

uint16_t PhotometricTagValue(const TTiffLayout& layout)
{
    if (layout.Working->GetPixelFormat() == qk1g)
        return layout.Inverted ? tpWhiteIsZero : tpBlackIsZero;
    return uint16_t(layout.Options.Photometric);
}

void AddImageTags(TTiffEntryWriter& entries, const TTiffLayout& layout, const TIOParamsVals& params)
{
    entries.AddLong(ImageWidthTag, uint32_t(layout.Working->GetWidth()));
    entries.AddLong(ImageLengthTag, uint32_t(layout.Working->GetHeight()));
    AddBitsPerSample(entries, layout);
    entries.AddShort(CompressionTag, uint16_t(layout.Options.Compression));
    entries.AddShort(PhotometricTag, PhotometricTagValue(layout));
    if (!params.TiffDocumentName.empty())
        entries.AddAscii(DocumentNameTag, params.TiffDocumentName);
    if (layout.Inverted) {
        entries.AddShort(FillOrderTag, uint16_t(layout.Options.FillOrder));
        entries.AddShort(PlanarConfigurationTag, 1);
        entries.AddShort(CleanFaxDataTag, 0);
    }
}

void AddColorMap(TTiffEntryWriter& entries, const TTiffLayout& layout)
{
    // Readers take a map only with all 2^bits entries: the unused stay 0.
    const size_t size = size_t(1) << std::min(layout.Options.Bits, 8);
    std::vector<uint16_t> map(size * 3);
    const std::vector<TRGBPixel>& palette = layout.Quantizer->Palette();
    for (size_t i = 0; i < std::min(size, palette.size()); ++i) {
        map[i] = uint16_t(palette[i].r * 257);
        map[size + i] = uint16_t(palette[i].g * 257);
        map[size * 2 + i] = uint16_t(palette[i].b * 257);
    }
    entries.AddShorts(ColorMapTag, map);
}

void AddSampleTags(TTiffEntryWriter& entries, const TTiffLayout& layout, const TIOParamsVals& params)
{
    const TTiffWriteOptions& options = layout.Options;
    entries.AddShort(SamplesPerPixelTag, uint16_t(layout.Samples));
    if (options.Alpha)
        entries.AddShort(ExtraSamplesTag, UnassociatedAlpha);
    if (options.Predictor == 2)
        entries.AddShort(PredictorTag, 2);
    if (!params.TiffPageName.empty())
        entries.AddAscii(PageNameTag, params.TiffPageName);
    if (params.TiffXPos != 0)
        entries.AddRational(XPositionTag, params.TiffXPos);
    if (params.TiffYPos != 0)
        entries.AddRational(YPositionTag, params.TiffYPos);
    // Each fax compression carries only its own options tag: readers take
    // the other one for an unknown field.
    if (options.Compression == tcFaxT4)
        entries.AddLong(T4OptionsTag, options.TwoDimensional ? 1 : 0);
    if (options.Compression == tcFaxT6)
        entries.AddLong(T6OptionsTag, 0);
    if (options.Photometric == tpPalette && layout.Quantizer)
        AddColorMap(entries, layout);
}

void AddBlocks(TTiffEntryWriter& entries, TIOParamsVals& params)
{
    entries.AddLong(NewSubfileTypeTag, 0);
    if (params.TiffPageNumber >= 0 || params.TiffPageCount >= 0) {
        const uint16_t pages[] = {uint16_t(std::max(params.TiffPageNumber, 0)),
                                  uint16_t(std::max(params.TiffPageCount, 0))};
        entries.AddShorts(PageNumberTag, pages);
    }
    std::vector<uint8_t> iptc = params.IptcInfo.SaveToBuffer(false);
    if (!iptc.empty()) {
        // The tag counts LONGs: the block is padded to whole ones.
        iptc.resize((iptc.size() + 3) / 4 * 4);
        entries.AddCounted(IptcTag, ttLong, uint32_t(iptc.size() / 4), iptc);
    }
    if (!params.XmpInfo.empty())
        entries.AddBytes(XmpTag, ttByte,
                         std::span(reinterpret_cast<const uint8_t*>(params.XmpInfo.data()), params.XmpInfo.size()));
    if (params.ImagingAnnot) {
        const std::vector<uint8_t> annot = params.ImagingAnnot->SaveToBuffer();
        if (!annot.empty())
            entries.AddBytes(ImagingAnnotTag, ttByte, annot);
    }
    if (params.InputICCProfile && params.InputICCProfile->IsValid() && !params.InputICCProfile->Applied())
        entries.AddBytes(IccProfileTag, ttUndefined, params.InputICCProfile->RawData());
}

void WritePixels(TTiffEntryWriter& entries, TQkBitmap& bitmap, TIOParamsVals& params, TQkFilterProgress& progress)
{
    TTiffLayout layout;
    ChooseTiffLayout(bitmap, params, layout);
    AddImageTags(entries, layout, params);
    if (layout.Options.Compression == tcOldJpeg)
        WriteOldStyleJpeg(entries, *layout.Working, layout.Options, progress);
    else
        WriteTiffStrips(entries, *layout.Working, layout.Options, params, progress);
    if (IsAborting(progress))
        return;
    AddSampleTags(entries, layout, params);
    params.BitsPerSample = layout.Working->GetPixelFormat() == qk1g ? 1 : layout.Options.Bits;
    params.SamplesPerPixel = layout.Samples;
    params.TiffPhotometric = uint8_t(PhotometricTagValue(layout) == tpCieLab ? 7 : PhotometricTagValue(layout));
}

void WriteHeader(TStream& stream, int64_t position, uint32_t firstOffset, std::atomic<bool>& aborting)
{
    uint8_t header[HeaderSize] = {'I', 'I', 42, 0};
    PutLong(header + 4, firstOffset);
    stream.SetPosition(position);
    SafeStreamWrite(stream, aborting, header, HeaderSize);
}

void PatchLong(TStream& stream, int64_t position, uint32_t value, std::atomic<bool>& aborting)
{
    uint8_t bytes[4];
    PutLong(bytes, value);
    stream.SetPosition(position);
    SafeStreamWrite(stream, aborting, bytes, 4);
}

} // namespace

int32_t WriteTiffImage(TStream& stream, bool append, TQkBitmap* bitmap, TQkFilterProgress& callerProgress,
                       TIOParamsVals& params)
{
    std::atomic<bool> localAborting = false;
    TQkFilterProgress progress = callerProgress;
    if (!progress.Aborting)
        progress.Aborting = &localAborting;
    const int64_t base = append ? 0 : stream.Position();
    TTiffLink link{base + 4, 0, 1};
    if (append && !FindLink(stream, base, params.TiffImageIndex, link)) {
        SetAborting(progress);
        return 0;
    }
    if (append) {
        stream.Seek(0, soEnd);
    } else {
        const uint8_t placeholder[HeaderSize] = {};
        SafeStreamWrite(stream, *progress.Aborting, placeholder, HeaderSize);
    }
    TTiffEntryWriter entries(stream, base, *progress.Aborting);
    if (params.ExifHasExifData)
        WriteExifIfds(entries, params);
    else
        AddPlainResolution(entries, params);
    if (bitmap && !bitmap->IsEmpty())
        WritePixels(entries, *bitmap, params, progress);
    if (IsAborting(progress))
        return 0;
    AddBlocks(entries, params);
    const uint32_t directory = entries.WriteDirectory(link.OldValue);
    const int64_t end = stream.Position();
    if (append)
        PatchLong(stream, link.PointerPosition, directory, *progress.Aborting);
    else
        WriteHeader(stream, base, directory, *progress.Aborting);
    stream.SetPosition(end);
    return IsAborting(progress) ? 0 : link.Pages;
}

void WriteTiffFile(TQkWriteRequest& request)
{
    WriteTiffImage(request.Stream, false, &request.Bitmap, request.Progress, request.Params);
}

#include <algorithm>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkBits.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/QkFormatErrors.h"
#include "imaging/formats/bmp/QkBmp.h"
#include "imaging/formats/ico/QkIco.h"
#include "imaging/formats/ico/QkIcoFormat.h"
#include "imaging/formats/ico/QkIcoPixels.h"
#include "platform/core/Streams.h"

namespace {

// Beyond this the header's size is not trusted over the directory's.
constexpr int32_t HeaderSideTrusted = 2048;

// A colour count of 0 says nothing (CeilLog2 would give -1).
int32_t BitsOfColourCount(int32_t colours) { return colours > 0 ? CeilLog2(uint32_t(colours)) : 0; }

// The directory's bit count of an entry, as IcoBitCount lists it.
int32_t ListedBitCount(const TQkIcoEntry& entry)
{
    if (entry.Field2 != 0)
        return entry.Field2;
    return entry.ColourCount != 0 ? BitsOfColourCount(entry.ColourCount) : 24;
}

// Lists the directory in IcoSizes and IcoBitCount and returns the entry of
// IcoImageIndex, which the caller checked.
TQkIcoEntry ReadDirectory(TStream& stream, TIOParamsVals& params, int32_t count)
{
    params.IcoSizes.fill(TQkIcoSize{});
    const int32_t last = std::max(params.IcoImageIndex, std::min<int32_t>(count, IcoImageSlots) - 1);
    TQkIcoEntry chosen;
    for (int32_t i = 0; i <= last; ++i) {
        const TQkIcoEntry entry = ReadIcoEntry(stream);
        if (size_t(i) < IcoImageSlots) {
            params.IcoSizes[size_t(i)] = TQkIcoSize{entry.Width, entry.Height};
            params.IcoBitCount[size_t(i)] = ListedBitCount(entry);
        }
        if (i == params.IcoImageIndex)
            chosen = entry;
    }
    return chosen;
}

void ReadPngEntry(TQkReadRequest& request)
{
    const TQkFormatReader& png = FormatRow(ioPNG).Read;
    if (!png)
        throw FormatNotSupported(ioPNG, true);
    const bool paramsOnly = request.ParamsOnly;
    request.ParamsOnly = false;
    png(request);
    request.ParamsOnly = paramsOnly;
}

void SetSampleLayout(TIOParamsVals& params, int32_t bits)
{
    if (bits <= 8) {
        params.BitsPerSample = bits;
        params.SamplesPerPixel = 1;
    } else {
        params.BitsPerSample = 8;
        params.SamplesPerPixel = bits == 32 ? 4 : 3;
    }
}

TQkPixelFormat IconPixelFormat(int32_t bits, bool native)
{
    if (bits == 1)
        return qk1g;
    if (!native)
        return qk24RGB;
    switch (bits) {
    case 4:
    case 8: return qk8p;
    case 24:
    case 32: return qk24RGB;
    default: throw Exception("Unsupported pixel format");
    }
}

void ReadIconEntryImage(TQkReadRequest& request, TQkIcoEntry entry)
{
    TIOParamsVals& params = request.Params;
    const TQkIcoInfoHeader header = ReadIcoInfoHeader(request.Stream);
    if (header.Png) {
        ReadPngEntry(request);
        return;
    }
    if (header.Width < 0 || header.Height < 0) {
        SetAborting(request.Progress);
        return;
    }
    if (params.HeaderlessStream) {
        params.SetImageIndex(0);
        params.IcoSizes[0] = TQkIcoSize{header.Width, header.Height / 2};
        entry.Width = header.Width;
        entry.Height = header.Height / 2;
    }
    SetIcoDpi(params, header);
    int32_t bits = header.BitCount != 0 ? header.BitCount : entry.Field2;
    if (bits == 0)
        bits = BitsOfColourCount(entry.ColourCount);
    if (bits <= 0) {
        SetAborting(request.Progress);
        return;
    }
    SetSampleLayout(params, bits);
    TQkIcoLayout layout;
    layout.Width = entry.Width;
    layout.Height = entry.Height;
    if (header.Width != 0 && header.Width != entry.Width && header.Width < HeaderSideTrusted &&
        header.Height < HeaderSideTrusted && header.Height != 0) {
        layout.Width = header.Width;
        layout.Height = header.Height / 2;
    }
    layout.Bits = bits;
    layout.PaletteCount = bits <= 8 ? 1 << bits : 0;
    layout.Format = request.ParamsOnly ? qk24RGB : IconPixelFormat(bits, params.NativePixelFormat);
    layout.Background = params.IcoBackground;
    ReadIcoBody(request, layout);
}

} // namespace

void ReadIconImage(TQkReadRequest& request)
{
    TStream& stream = request.Stream;
    TIOParamsVals& params = request.Params;
    const int64_t start = stream.Position();
    if (params.HeaderlessStream) {
        ReadIconEntryImage(request, TQkIcoEntry{});
        return;
    }
    uint8_t signature[2] = {0, 0};
    stream.Read(signature, 2);
    stream.SetPosition(start);
    if (signature[0] == 'B' && signature[1] == 'M') {
        request.ByteBudget = stream.Size();
        ReadBmpImage(request);
        return;
    }
    const int32_t count = ReadIcoHeader(stream, IcoTypeIcon);
    if (params.IcoImageIndex < 0 || params.IcoImageIndex >= count) {
        SetAborting(request.Progress);
        return;
    }
    const TQkIcoEntry entry = ReadDirectory(stream, params, count);
    stream.SetPosition(start + entry.Offset);
    ReadIconEntryImage(request, entry);
}

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkBits.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/bmp/QkBmpBytes.h"
#include "imaging/formats/ico/QkIco.h"
#include "imaging/formats/ico/QkIcoFormat.h"
#include "imaging/formats/ico/QkIcoPixels.h"
#include "platform/core/Streams.h"

namespace {

constexpr int32_t LargestPalette = 256;

// The entry of CurImageIndex with the stream at its image; false for an
// index outside the directory.
bool SeekCursorEntry(TStream& stream, TIOParamsVals& params, TQkIcoEntry& entry)
{
    const int64_t start = stream.Position();
    const int32_t count = ReadIcoHeader(stream, IcoTypeCursor);
    if (params.CurImageIndex < 0 || params.CurImageIndex >= count)
        return false;
    for (int32_t i = 0; i <= params.CurImageIndex; ++i)
        entry = ReadIcoEntry(stream);
    params.CurXHotSpot = entry.Field1;
    params.CurYHotSpot = entry.Field2;
    stream.SetPosition(start + entry.Offset);
    return true;
}

void ReadHeaderlessHotSpot(TStream& stream, TIOParamsVals& params)
{
    uint8_t bytes[4];
    ReadZeroFilled(stream, bytes, 4);
    params.CurXHotSpot = GetLe16(bytes);
    params.CurYHotSpot = GetLe16(bytes + 2);
}

} // namespace

void ReadCursorImage(TQkReadRequest& request)
{
    TStream& stream = request.Stream;
    TIOParamsVals& params = request.Params;
    TQkIcoEntry entry;
    if (params.HeaderlessStream)
        ReadHeaderlessHotSpot(stream, params);
    else if (!SeekCursorEntry(stream, params, entry)) {
        SetAborting(request.Progress);
        return;
    }
    const TQkIcoInfoHeader header = ReadIcoInfoHeader(stream);
    // A 255 colour count stands for 256.
    const int32_t colours = entry.ColourCount == 255 ? 256 : entry.ColourCount;
    const int32_t bits = header.BitCount != 0 ? header.BitCount : colours > 0 ? CeilLog2(uint32_t(colours)) : 0;
    if (header.Png || header.Width < 0 || header.Height < 0 || bits <= 0) {
        SetAborting(request.Progress);
        return;
    }
    SetIcoDpi(params, header);
    params.BitsPerSample = bits;
    params.SamplesPerPixel = 1;
    TQkIcoLayout layout;
    layout.Width = params.HeaderlessStream ? header.Width : entry.Width;
    layout.Height = params.HeaderlessStream ? header.Height / 2 : entry.Height;
    layout.Bits = bits;
    const int64_t paletteCount = colours != 0 ? colours : bits < 31 ? int64_t(1) << bits : LargestPalette + 1;
    layout.PaletteCount = paletteCount <= LargestPalette ? int32_t(paletteCount) : -1;
    layout.Format = bits == 1 ? qk1g : qk24RGB;
    layout.Background = params.CurBackground;
    layout.DropOpaqueMask = false;
    ReadIcoBody(request, layout);
}

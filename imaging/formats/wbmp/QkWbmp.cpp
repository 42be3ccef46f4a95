#include "imaging/formats/wbmp/QkWbmp.h"

#include <algorithm>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkResample.h"
#include "imaging/core/QkStreamRoutines.h"
#include "imaging/formats/QkFilterProgress.h"

namespace {

constexpr int32_t LargestSide = 255;

void WriteWbmpInteger(std::vector<uint8_t>& out, uint32_t value)
{
    int shift = 28;
    while (shift > 0 && (value >> shift) == 0)
        shift -= 7;
    for (; shift > 0; shift -= 7)
        out.push_back(static_cast<uint8_t>(0x80 | ((value >> shift) & 0x7F)));
    out.push_back(static_cast<uint8_t>(value & 0x7F));
}

// A qk1g bitmap no side of which exceeds 255 pixels, a copy unless the
// caller's bitmap already is one.
TQkBitmap& WritableBitmap(TQkBitmap& bitmap, TQkBitmap& copy)
{
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    const bool fits = width <= LargestSide && height <= LargestSide;
    if (bitmap.GetPixelFormat() == qk1g && fits)
        return bitmap;
    TQkBitmap mono;
    mono.Assign(&bitmap);
    mono.SetPixelFormat(qk1g);
    if (fits) {
        copy.Assign(&mono);
        return copy;
    }
    const int32_t larger = std::max(width, height);
    const auto scaled = [larger](int32_t side) {
        return std::max<int32_t>(1, static_cast<int32_t>(int64_t(side) * LargestSide / larger));
    };
    copy.Allocate(scaled(width), scaled(height), qk1g);
    ResampleUnfiltered(mono, copy, nullptr, TQkProgressEvent());
    return copy;
}

} // namespace

int64_t ReadWbmpInteger(TStream& stream)
{
    int64_t value = 0;
    for (int i = 0; i < 4; ++i) {
        uint8_t byte;
        if (stream.Read(&byte, 1) != 1)
            return -1;
        value = value << 7 | (byte & 0x7F);
        if ((byte & 0x80) == 0)
            break;
    }
    return value;
}

void ReadWbmpImage(TQkReadRequest& request)
{
    TStream& stream = request.Stream;
    const int64_t type = ReadWbmpInteger(stream);
    const int64_t fixedHeader = ReadWbmpInteger(stream);
    const int64_t width = ReadWbmpInteger(stream);
    const int64_t height = ReadWbmpInteger(stream);
    if (type != 0 || fixedHeader != 0 || width < 1 || height < 1 || !WithinDecodeLimit(width, height)) {
        SetAborting(request.Progress);
        return;
    }
    TIOParamsVals& params = request.Params;
    params.BitsPerSample = 1;
    params.SamplesPerPixel = 1;
    params.Width = params.StoredWidth = static_cast<int32_t>(width);
    params.Height = params.StoredHeight = static_cast<int32_t>(height);
    params.DpiX = DefaultDpiX;
    params.DpiY = DefaultDpiY;
    params.FreeColorMap();
    if (request.ParamsOnly)
        return;
    TQkBitmap& bitmap = request.Bitmap;
    if (!bitmap.Allocate(params.Width, params.Height, qk1g)) {
        SetAborting(request.Progress);
        return;
    }
    bitmap.Fill(0);
    TQkRowProgress progress(request.Progress, params.Height);
    const int64_t rowBytes = (width + 7) / 8;
    for (int32_t row = 0; row < params.Height && !IsAborting(request.Progress); ++row) {
        progress.Report(row);
        if (stream.Read(bitmap.GetScanline(row), rowBytes) < rowBytes)
            break;
    }
}

void WriteWbmpImage(TQkWriteRequest& request)
{
    TQkBitmap copy;
    TQkBitmap& bitmap = WritableBitmap(request.Bitmap, copy);
    std::atomic<bool> localAborting = false;
    std::atomic<bool>& aborting = request.Progress.Aborting ? *request.Progress.Aborting : localAborting;
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    std::vector<uint8_t> header;
    for (uint32_t value : {0u, 0u, uint32_t(width), uint32_t(height)})
        WriteWbmpInteger(header, value);
    SafeStreamWrite(request.Stream, aborting, header.data(), int64_t(header.size()));
    TQkRowProgress progress(request.Progress, height);
    const int64_t rowBytes = (int64_t(width) + 7) / 8;
    for (int32_t row = 0; row < height && !aborting; ++row) {
        progress.Report(row);
        SafeStreamWrite(request.Stream, aborting, bitmap.GetScanline(row), rowBytes);
    }
}

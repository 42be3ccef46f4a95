#include "imaging/core/QkResample.h"

#include "imaging/core/QkFastResample.h"
#include "imaging/core/QkKernelResample.h"
#include "imaging/core/QkProgressReporter.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

bool IsFastFilter(TResampleFilter filter)
{
    return filter == rfFastLinear || filter == rfBilinear || filter == rfBicubic || filter == rfProjectBW ||
        filter == rfProjectWB;
}

void SampleMonoRow(const uint8_t* from, uint8_t* to, const std::vector<int32_t>& columns)
{
    for (size_t i = 0; i < columns.size(); ++i)
        SetBit(to, static_cast<int32_t>(i), GetBit(from, columns[i]));
}

template <int Bytes>
void SamplePixels(const uint8_t* from, uint8_t* to, const std::vector<int32_t>& columns)
{
    for (const int32_t column : columns) {
        std::memcpy(to, from + static_cast<size_t>(column) * Bytes, Bytes);
        to += Bytes;
    }
}

// Three-byte pixels move as 32-bit words while a fourth byte exists on both
// sides: the byte too many belongs to the next pixel, written next. The
// first `words` pixels go that way, the rest as three bytes.
void SampleRGBPixels(const uint8_t* from, uint8_t* to, const std::vector<int32_t>& columns, size_t words)
{
    size_t i = 0;
    for (; i < words; ++i) {
        uint32_t pixel;
        std::memcpy(&pixel, from + static_cast<size_t>(columns[i]) * 3, 4);
        std::memcpy(to + i * 3, &pixel, 4);
    }
    for (; i < columns.size(); ++i)
        std::memcpy(to + i * 3, from + static_cast<size_t>(columns[i]) * 3, 3);
}

void SampleRow(const uint8_t* from, uint8_t* to, const std::vector<int32_t>& columns, int32_t bytes, size_t words)
{
    switch (bytes) {
    case 0: SampleMonoRow(from, to, columns); break;
    case 1: SamplePixels<1>(from, to, columns); break;
    case 2: SamplePixels<2>(from, to, columns); break;
    case 3: SampleRGBPixels(from, to, columns, words); break;
    case 4: SamplePixels<4>(from, to, columns); break;
    case 6: SamplePixels<6>(from, to, columns); break;
    default: break;
    }
}

bool IsSinglePixel(TQkBitmap& bitmap) { return bitmap.GetWidth() == 1 && bitmap.GetHeight() == 1; }

// What every normalised kernel makes of a single source pixel.
void FillWithFirstPixel(TQkBitmap& source, TQkBitmap& destination)
{
    const int32_t bytes = QkBytesPerPixel(source.GetPixelFormat());
    if (bytes == 0 || destination.GetPixelFormat() != source.GetPixelFormat())
        return;
    const uint8_t* pixel = source.GetScanline(0);
    std::vector<uint8_t> row(static_cast<size_t>(destination.GetWidth()) * bytes);
    for (size_t offset = 0; offset < row.size(); offset += bytes)
        std::memcpy(row.data() + offset, pixel, bytes);
    TQkAccessGuard writing(destination, qkaWrite);
    for (int32_t y = 0; y < destination.GetHeight(); ++y)
        std::memcpy(destination.GetScanline(y), row.data(), row.size());
}

// A qk1g pixel into a qk24RGB gray image.
void FillWithMonoPixel(TQkBitmap& source, TQkBitmap& destination)
{
    if (destination.GetPixelFormat() == qk24RGB)
        destination.Fill(GetBit(source.GetScanline(0), 0) ? 0xFFFFFF : 0);
}

int32_t TargetLength(int32_t requested, int32_t fallback)
{
    if (requested == 0)
        return fallback;
    return static_cast<int32_t>(std::clamp<int64_t>(std::llabs(requested), 1, INT32_MAX));
}

} // namespace

bool ResampleTargetSize(int32_t width, int32_t height, int32_t newWidth, int32_t newHeight, TQkResampleSize& size)
{
    if (width <= 0 || height <= 0 || (newWidth < 0 && newHeight < 0))
        return false;
    if (newWidth == -1)
        size.Width = std::max(static_cast<int32_t>(static_cast<int64_t>(newHeight) * width / height), 1);
    else
        size.Width = TargetLength(newWidth, width);
    if (newHeight == -1)
        size.Height = std::max(static_cast<int32_t>(static_cast<int64_t>(size.Width) * height / width), 1);
    else
        size.Height = TargetLength(newHeight, height);
    return true;
}

void ResampleBitmap(TQkBitmap& source, TQkBitmap& destination, TResampleFilter filter, TObject* sender,
                    const TQkProgressEvent& onProgress)
{
    if (source.GetWidth() == destination.GetWidth() && source.GetHeight() == destination.GetHeight()) {
        destination.Assign(&source);
        return;
    }
    if (filter == rfNone) {
        ResampleUnfiltered(source, destination, sender, onProgress);
    } else if (source.GetPixelFormat() == qk1g) {
        // The destination holds nothing yet: it is made anew in its format.
        const TQkPixelFormat format = filter == rfProjectBW || filter == rfProjectWB ? qk1g : qk24RGB;
        if (destination.GetPixelFormat() != format)
            destination.Allocate(destination.GetWidth(), destination.GetHeight(), format);
        ResampleMonoFiltered(source, destination, filter);
    } else {
        ResampleFiltered(source, destination, filter, sender, onProgress);
    }
    if (!source.HasAlphaChannel())
        return;
    TQkBitmap& sourceAlpha = *source.GetAlphaChannel();
    TQkBitmap& destinationAlpha = *destination.GetAlphaChannel();
    if (filter == rfNone)
        ResampleUnfiltered(sourceAlpha, destinationAlpha, nullptr, TQkProgressEvent());
    else
        ResampleGrayFiltered(sourceAlpha, destinationAlpha, filter);
    destinationAlpha.SetFull(sourceAlpha.Full());
}

void ResampleUnfiltered(TQkBitmap& source, TQkBitmap& destination, TObject* sender, const TQkProgressEvent& onProgress)
{
    const int32_t sourceWidth = source.GetWidth();
    const int32_t sourceHeight = source.GetHeight();
    const int32_t width = destination.GetWidth();
    const int32_t height = destination.GetHeight();
    const TQkPixelFormat format = source.GetPixelFormat();
    if (source.IsEmpty() || destination.IsEmpty() || destination.GetPixelFormat() != format)
        return;
    TQkAccessGuard reading(source, qkaRead);
    TQkAccessGuard writing(destination, qkaWrite);
    const double columnRatio = static_cast<double>(sourceWidth) / width;
    std::vector<int32_t> columns(width);
    for (int32_t i = 0; i < width; ++i)
        columns[i] = static_cast<int32_t>(Trunc(i * columnRatio));
    // Pixels read before the last source column and written before the
    // last destination pixel (the columns never decrease).
    const auto lastColumn = std::lower_bound(columns.begin(), columns.end(), sourceWidth - 1);
    const auto words = static_cast<size_t>(std::min<ptrdiff_t>(lastColumn - columns.begin(), width - 1));
    const double rowRatio = static_cast<double>(sourceHeight) / height;
    const int32_t bytes = QkBytesPerPixel(format);
    TQkProgressReporter progress(sender, &onProgress);
    for (int32_t j = 0; j < height; ++j) {
        const int32_t row = static_cast<int32_t>(Trunc(rowRatio * j));
        uint8_t* to = destination.GetScanline(j);
        SampleRow(source.GetScanline(row), to, columns, bytes, words);
        progress.Report(j * 100 / (height + 0.5));
    }
    if (format == qk8p)
        source.CopyPaletteTo(&destination);
}

void ResampleFiltered(TQkBitmap& source, TQkBitmap& destination, TResampleFilter filter, TObject* sender,
                      const TQkProgressEvent& onProgress)
{
    const int32_t width = source.GetWidth();
    const int32_t height = source.GetHeight();
    if (width == 0 || height == 0)
        return;
    const TQkPixelFormat format = source.GetPixelFormat();
    if (filter == rfBilinear || filter == rfBicubic) {
        const uint8_t mode = filter == rfBilinear ? 0 : 1;
        // A single pixel gives the area resamplers nothing to average.
        const bool averaged = !IsSinglePixel(source);
        if (averaged && (format == qk24RGB || format == qk8g)) {
            ResampleAreaRGB(source, destination, mode, sender, onProgress);
            return;
        }
        if (averaged && (format == qkRGB48 || format == qk16g)) {
            ResampleArea16(source, destination, mode, sender, onProgress);
            return;
        }
        filter = rfTriangle;
    }
    if (format == qk8g) {
        ResampleGrayFiltered(source, destination, filter);
        return;
    }
    TQkBitmap converted;
    TQkBitmap& rgb = format == qk24RGB ? source : converted;
    if (format != qk24RGB) {
        converted.AssignImage(source);
        if (!converted.SetPixelFormat(qk24RGB) ||
            !destination.Allocate(destination.GetWidth(), destination.GetHeight(), qk24RGB))
            return;
    }
    if (IsSinglePixel(rgb))
        FillWithFirstPixel(rgb, destination);
    else if (filter == rfFastLinear)
        ResampleFastLinearRGB(rgb, destination, sender, onProgress);
    else if (filter == rfProjectBW || filter == rfProjectWB)
        ProjectRGBToMono(rgb, destination, filter == rfProjectWB, sender, onProgress);
    else
        ResampleKernelRGB(rgb, destination, filter, sender, onProgress);
}

void ResampleGrayFiltered(TQkBitmap& source, TQkBitmap& destination, TResampleFilter filter)
{
    if (IsSinglePixel(source))
        FillWithFirstPixel(source, destination);
    else if (IsFastFilter(filter))
        ResampleFastLinearGray(source, destination, nullptr, TQkProgressEvent());
    else
        ResampleKernelGray(source, destination, filter);
}

void ResampleMonoFiltered(TQkBitmap& source, TQkBitmap& destination, TResampleFilter filter)
{
    if (filter == rfProjectBW || filter == rfProjectWB)
        ProjectMonoToMono(source, destination, filter == rfProjectWB, nullptr, TQkProgressEvent());
    else if (IsSinglePixel(source))
        FillWithMonoPixel(source, destination);
    else if (filter == rfFastLinear || filter == rfBilinear || filter == rfBicubic)
        ResampleFastLinearMono(source, destination, nullptr, TQkProgressEvent());
    else
        ResampleKernelMono(source, destination, filter);
}

#include "imaging/formats/psd/QkPsdChannels.h"

#include <algorithm>
#include <exception>

#include "imaging/core/QkBitmap.h"
#include "imaging/formats/psd/QkPackBits.h"
#include "imaging/formats/psd/QkPsdLayout.h"
#include "imaging/formats/zstreams/QkZStreams.h"

namespace {

void DecodeRaw(std::span<const uint8_t> data, std::vector<uint8_t>& row, int32_t height, const TPsdRowHandler& onRow)
{
    for (int32_t y = 0; y < height; ++y) {
        const size_t offset = size_t(y) * row.size();
        std::fill(row.begin(), row.end(), uint8_t(0));
        if (offset < data.size())
            std::copy_n(data.begin() + std::ptrdiff_t(offset), std::min(row.size(), data.size() - offset), row.begin());
        onRow(y, row.data());
    }
}

void DecodePackBits(const TPsdChannelData& channel, std::vector<uint8_t>& row, int32_t height,
                    const TPsdRowHandler& onRow)
{
    size_t offset = 0;
    for (int32_t y = 0; y < height; ++y) {
        std::fill(row.begin(), row.end(), uint8_t(0));
        const size_t count = size_t(y) < channel.Counts.size() ? channel.Counts[size_t(y)] : 0;
        if (offset < channel.Data.size())
            UnpackBitsRow(channel.Data.subspan(offset, std::min(count, channel.Data.size() - offset)), row);
        offset += count;
        onRow(y, row.data());
    }
}

// Undoes the zip prediction: every sample holds its difference from the
// sample before it in the row.
void AddRowDeltas(std::span<uint8_t> row, int32_t depth)
{
    if (depth == 16) {
        uint16_t previous = 0;
        for (size_t i = 0; i + 1 < row.size(); i += 2) {
            previous = uint16_t(previous + GetU16BE(&row[i]));
            row[i] = uint8_t(previous >> 8);
            row[i + 1] = uint8_t(previous);
        }
        return;
    }
    for (size_t i = 1; i < row.size(); ++i)
        row[i] = uint8_t(row[i] + row[i - 1]);
}

bool DecodeZip(const TPsdChannelData& channel, std::vector<uint8_t>& row, int32_t height, int32_t depth,
               const TPsdRowHandler& onRow)
{
    const size_t expected = row.size() * size_t(height);
    std::vector<uint8_t> inflated;
    bool complete = true;
    try {
        inflated = InflateBuffer(channel.Data.data(), channel.Data.size(), expected, expected);
    } catch (const std::exception&) {
        complete = false;
    }
    if (channel.Compression == pcZipPredicted && depth != 1)
        for (size_t offset = 0; offset + row.size() <= inflated.size(); offset += row.size())
            AddRowDeltas(std::span(inflated).subspan(offset, row.size()), depth);
    DecodeRaw(inflated, row, height, onRow);
    return complete;
}

} // namespace

bool DecodePsdChannel(const TPsdChannelData& channel, int64_t rowBytes, int32_t height, int32_t depth,
                      const TPsdRowHandler& onRow)
{
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    switch (channel.Compression) {
    case pcRaw: DecodeRaw(channel.Data, row, height, onRow); return true;
    case pcPackBits: DecodePackBits(channel, row, height, onRow); return true;
    case pcZip:
    case pcZipPredicted: return DecodeZip(channel, row, height, depth, onRow);
    default: return false;
    }
}

TPsdChannelData LayerChannelData(uint16_t compression, std::span<const uint8_t> block, int32_t height)
{
    TPsdChannelData channel;
    channel.Compression = compression;
    channel.Data = block;
    if (compression != pcPackBits)
        return channel;
    const size_t counted = std::min(size_t(height), block.size() / 2);
    for (size_t y = 0; y < counted; ++y)
        channel.Counts.push_back(GetU16BE(&block[2 * y]));
    channel.Data = block.subspan(std::min(block.size(), size_t(height) * 2));
    return channel;
}

TPsdChannelSink::TPsdChannelSink(TQkBitmap& bitmap, int32_t depth, int32_t transparentIndex)
    : bitmap_(bitmap), depth_(depth), transparentIndex_(transparentIndex), width_(bitmap.GetWidth())
{
    switch (bitmap.GetPixelFormat()) {
    case qk24RGB:
    case qkRGB48:
    case qkCIELab: colourChannels_ = 3; break;
    case qkCMYK: colourChannels_ = 4; break;
    default: colourChannels_ = 1; break;
    }
}

void TPsdChannelSink::PlaceRow(int32_t channelId, int32_t row, const uint8_t* samples)
{
    if (row < 0 || row >= bitmap_.GetHeight())
        return;
    if (channelId == PsdAlphaId || channelId == colourChannels_) {
        PlaceAlpha(row, samples);
        return;
    }
    if (channelId < 0 || channelId > colourChannels_)
        return;
    PlaceColour(channelId, bitmap_.GetScanline(row), samples);
    if (bitmap_.GetPixelFormat() == qk8p && transparentIndex_ >= 0)
        PlaceTransparency(row, samples);
}

void TPsdChannelSink::PlaceColour(int32_t channel, uint8_t* pixels, const uint8_t* samples) const
{
    const int32_t w = width_;
    switch (bitmap_.GetPixelFormat()) {
    case qk1g:
        // Photoshop's bitmap mode stores 1 for black.
        for (int32_t i = 0; i < (w + 7) / 8; ++i)
            pixels[i] = uint8_t(~samples[i]);
        break;
    case qk8g:
    case qk8p:
        for (int32_t x = 0; x < w; ++x)
            pixels[x] = HighByte(samples, x);
        break;
    case qk16g:
    case qkRGB48: {
        const int32_t stride = bitmap_.GetPixelFormat() == qk16g ? 1 : 3;
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* word = pixels + 2 * (x * stride + channel);
            word[0] = samples[2 * x + 1];
            word[1] = samples[2 * x];
        }
        break;
    }
    case qk24RGB:
        for (int32_t x = 0; x < w; ++x)
            pixels[3 * x + 2 - channel] = HighByte(samples, x);
        break;
    case qkCMYK:
        for (int32_t x = 0; x < w; ++x)
            pixels[4 * x + channel] = HighByte(samples, x);
        break;
    case qkCIELab: {
        const uint8_t offset = channel == 0 ? 0 : 128;
        for (int32_t x = 0; x < w; ++x)
            pixels[3 * x + channel] = uint8_t(HighByte(samples, x) - offset);
        break;
    }
    default: break;
    }
}

void TPsdChannelSink::PlaceAlpha(int32_t row, const uint8_t* samples)
{
    TQkBitmap* alpha = bitmap_.GetAlphaChannel();
    if (!alpha)
        return;
    uint8_t* line = alpha->GetScanline(row);
    for (int32_t x = 0; x < width_; ++x)
        line[x] = HighByte(samples, x);
}

void TPsdChannelSink::PlaceTransparency(int32_t row, const uint8_t* indices)
{
    TQkBitmap* alpha = bitmap_.GetAlphaChannel();
    if (!alpha)
        return;
    uint8_t* line = alpha->GetScanline(row);
    for (int32_t x = 0; x < width_; ++x)
        line[x] = indices[x] == transparentIndex_ ? 0 : 255;
}

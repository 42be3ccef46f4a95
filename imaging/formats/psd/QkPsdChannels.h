#pragma once
// A Photoshop channel: its compressed rows turned into samples, and the
// samples placed into a bitmap of the document's pixel format.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

class TQkBitmap;

// One channel's data as stored after its compression field.
struct TPsdChannelData {
    uint16_t Compression = 0;
    // PackBits: the byte count of every row, in order.
    std::vector<uint32_t> Counts;
    std::span<const uint8_t> Data;
};

using TPsdRowHandler = std::function<void(int32_t row, const uint8_t* samples)>;

// Hands every row of `rowBytes` samples to the handler: rows the data does
// not fill are 0 past what it holds. False for a compression other than
// raw, PackBits and zip (with or without row prediction), and for damaged
// zip data; the rows decoded before stay.
bool DecodePsdChannel(const TPsdChannelData& channel, int64_t rowBytes, int32_t height, int32_t depth,
                      const TPsdRowHandler& onRow);

// The data of a layer's channel, whose PackBits counts lead its block.
TPsdChannelData LayerChannelData(uint16_t compression, std::span<const uint8_t> block, int32_t height);

// Places decoded rows by channel id: the colour channels of the bitmap's
// pixel format (in the file's order), -1 or the id after the colour
// channels into the alpha channel, anything else nowhere. A palette image
// with a transparent index gets its alpha from the index row.
class TPsdChannelSink {
public:
    TPsdChannelSink(TQkBitmap& bitmap, int32_t depth, int32_t transparentIndex = -1);

    void PlaceRow(int32_t channelId, int32_t row, const uint8_t* samples);

private:
    void PlaceColour(int32_t channel, uint8_t* pixels, const uint8_t* samples) const;
    void PlaceAlpha(int32_t row, const uint8_t* samples);
    void PlaceTransparency(int32_t row, const uint8_t* indices);
    uint8_t HighByte(const uint8_t* samples, int32_t x) const { return samples[x * (depth_ / 8)]; }

    TQkBitmap& bitmap_;
    int32_t depth_;
    int32_t transparentIndex_;
    int32_t width_;
    int32_t colourChannels_;
};

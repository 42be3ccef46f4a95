#pragma once
// The GIF container around one image's LZW data, for the codec's tests:
// building a file the reference tools read, and finding the data in theirs.

#include <cstdint>
#include <optional>
#include <vector>

// A GIF89a with a gray global table of 2^bits entries (entry i = i * 255 /
// (2^bits - 1)) and one image whose LZW data (minimum code size, sub-blocks,
// terminator) is given.
inline std::vector<uint8_t> BuildGif(int32_t width, int32_t height, int32_t bits, bool interlaced,
                                     const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> gif{'G', 'I', 'F', '8', '9', 'a'};
    auto put16 = [&](int32_t v) {
        gif.push_back(static_cast<uint8_t>(v));
        gif.push_back(static_cast<uint8_t>(v >> 8));
    };
    put16(width);
    put16(height);
    gif.push_back(static_cast<uint8_t>(0x80 | 0x70 | (bits - 1)));
    gif.push_back(0);
    gif.push_back(0);
    const int32_t colors = 1 << bits;
    for (int32_t i = 0; i < colors; ++i) {
        const auto gray = static_cast<uint8_t>(colors == 1 ? 0 : i * 255 / (colors - 1));
        gif.insert(gif.end(), {gray, gray, gray});
    }
    gif.push_back(0x2C);
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    gif.push_back(interlaced ? 0x40 : 0);
    gif.insert(gif.end(), data.begin(), data.end());
    gif.push_back(0x3B);
    return gif;
}

struct TGifImage {
    int32_t Width = 0;
    int32_t Height = 0;
    bool Interlaced = false;
    size_t DataOffset = 0; // the minimum-code-size byte
    std::vector<uint8_t> Palette; // RGB triples
};

// The first image of a GIF file, or nothing for a file this parser cannot walk.
inline std::optional<TGifImage> FindGifImage(const std::vector<uint8_t>& gif)
{
    auto le16 = [&](size_t at) { return static_cast<int32_t>(gif[at] | gif[at + 1] << 8); };
    auto tableBytes = [](uint8_t flags) { return (flags & 0x80) ? 3 * (2 << (flags & 7)) : 0; };
    if (gif.size() < 13)
        return std::nullopt;
    TGifImage image;
    size_t at = 13;
    image.Palette.assign(gif.begin() + at, gif.begin() + at + tableBytes(gif[10]));
    at += tableBytes(gif[10]);
    while (at < gif.size() && gif[at] == 0x21) {
        at += 2;
        while (at < gif.size() && gif[at] != 0)
            at += gif[at] + 1;
        ++at;
    }
    if (at + 10 > gif.size() || gif[at] != 0x2C)
        return std::nullopt;
    image.Width = le16(at + 5);
    image.Height = le16(at + 7);
    const uint8_t flags = gif[at + 9];
    image.Interlaced = (flags & 0x40) != 0;
    at += 10;
    if (flags & 0x80) {
        image.Palette.assign(gif.begin() + at, gif.begin() + at + tableBytes(flags));
        at += tableBytes(flags);
    }
    image.DataOffset = at;
    return image;
}

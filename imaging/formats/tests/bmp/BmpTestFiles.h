#pragma once
// Hand-built bitmap and icon bytes for what no tool writes, and the pixels
// of a loaded bitmap in the byte orders ImageMagick's raw output uses.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkMask.h"
#include "imaging/formats/QkFormatRows.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"

inline void AppendLe(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(char(value >> (8 * i)));
}

// A bitmap file's or icon image's headers, palette and masks before the
// given pixel bytes.
struct TBmpFixture {
    uint32_t HeaderSize = 40;
    int32_t Width = 1;
    int32_t Height = 1;
    uint16_t Bits = 24;
    uint32_t Compression = 0;
    uint32_t ColoursUsed = 0;
    int32_t PixelsPerMetre = 0;
    std::vector<std::array<uint8_t, 3>> Palette;
    // Red, green, blue, alpha: inside the longer headers, after the palette
    // of a 40-byte header with compression 3.
    std::array<uint32_t, 4> Masks{};
    std::string Pixels;

    std::string InfoAndData() const
    {
        std::string out;
        AppendLe(out, HeaderSize, 4);
        if (HeaderSize == 12) {
            AppendLe(out, uint32_t(Width), 2);
            AppendLe(out, uint32_t(Height), 2);
            AppendLe(out, 1, 2);
            AppendLe(out, Bits, 2);
        } else {
            for (uint32_t value : {uint32_t(Width), uint32_t(Height)})
                AppendLe(out, value, 4);
            AppendLe(out, 1, 2);
            AppendLe(out, Bits, 2);
            for (uint32_t value : {Compression, uint32_t(Pixels.size()), uint32_t(PixelsPerMetre),
                                   uint32_t(PixelsPerMetre), ColoursUsed, 0u})
                AppendLe(out, value, 4);
            for (uint32_t mask : Masks)
                if (out.size() < HeaderSize)
                    AppendLe(out, mask, 4);
            out.resize(HeaderSize, '\0');
        }
        for (const auto& entry : Palette) {
            out.append(entry.begin(), entry.end());
            if (HeaderSize != 12)
                out.push_back('\0');
        }
        if (HeaderSize == 40 && Compression == 3)
            for (int i = 0; i < 3; ++i)
                AppendLe(out, Masks[size_t(i)], 4);
        return out + Pixels;
    }

    std::string File() const
    {
        const std::string body = InfoAndData();
        std::string out = "BM";
        AppendLe(out, uint32_t(14 + body.size()), 4);
        AppendLe(out, 0, 4);
        AppendLe(out, uint32_t(14 + body.size() - Pixels.size()), 4);
        return out + body;
    }
};

// The alpha plane's bytes, top row first; 255 for each pixel without one.
inline std::string AlphaBytes(const TQkMask* mask, int32_t width, int32_t height)
{
    std::string alpha;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            alpha.push_back(char(mask ? mask->GetPixel(x, y) : 255));
    return alpha;
}

// The alpha channel's bytes, top row first; 255 for a bitmap without one.
inline std::string AlphaBytes(TQkBitmap& bitmap)
{
    std::string alpha;
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y)
        for (int32_t x = 0; x < bitmap.GetWidth(); ++x)
            alpha.push_back(char(bitmap.HasAlphaChannel() ? bitmap.GetAlpha(x, y) : 255));
    return alpha;
}

// Red, green, blue and alpha bytes of each pixel, as "rgba:" gives them.
inline std::string RgbaBytes(TQkBitmap& bitmap, const std::string& alpha)
{
    const std::string rgb = RgbBytes(bitmap);
    std::string rgba;
    for (size_t i = 0; i < alpha.size(); ++i)
        rgba += rgb.substr(3 * i, 3) + alpha[i];
    return rgba;
}

// "rgba:" bytes equal in alpha everywhere and in colour where a pixel shows
// at all (tools differ in the colour they give invisible pixels).
inline bool SameVisiblePixels(const std::string& ours, const std::string& theirs)
{
    if (ours.size() != theirs.size())
        return false;
    for (size_t i = 0; i < ours.size(); i += 4)
        if (ours[i + 3] != theirs[i + 3] || (theirs[i + 3] != 0 && ours.compare(i, 3, theirs, i, 3) != 0))
            return false;
    return true;
}

// Calls a reader over fixture bytes and keeps the alpha mask it hands back.
class ReaderTest : public FormatsTest {
protected:
    // True when the reader did not abort.
    bool ReadBytes(const TQkFormatReader& reader, const std::string& bytes, bool paramsOnly = false,
                   bool ignoreAlpha = false)
    {
        TMemoryStream stream;
        FillStream(stream, bytes);
        std::atomic<bool> aborting = false;
        TQkFilterProgress progress;
        progress.Aborting = &aborting;
        TQkReadRequest request(stream, bitmap, params, progress);
        request.ParamsOnly = paramsOnly;
        request.IgnoreAlpha = ignoreAlpha;
        reader(request);
        alpha = std::move(request.AlphaMask);
        return !aborting;
    }

    TQkBitmap bitmap;
    TIOParamsVals params{nullptr};
    std::unique_ptr<TQkMask> alpha;
};

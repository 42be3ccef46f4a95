#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkSystem.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/j2k/QkJpeg2000.h"
#include "imaging/formats/j2k/QkJpeg2000Colour.h"
#include "imaging/formats/j2k/QkJpeg2000Planes.h"
#include "imaging/formats/j2k/QkOpenJpeg.h"
#include "platform/core/Streams.h"

namespace {

enum class TJ2kColour { Gray, Rgb, YCbCr };

uint32_t BigEndian32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

// Up to `count` bytes from the stream's position, which is left as it was.
int64_t PeekBytes(TStream& stream, uint8_t* bytes, int64_t count)
{
    const int64_t got = stream.Read(bytes, count);
    stream.Seek(-got, soCurrent);
    return got;
}

// Bare code streams name no colour space: one or two components are gray
// (plus opacity), more are RGB. CMYK and e-YCC have no mapping here.
std::optional<TJ2kColour> ColourOf(const opj_image_t& image)
{
    const bool colour = image.numcomps >= 3;
    switch (image.color_space) {
    case OPJ_CLRSPC_GRAY: return TJ2kColour::Gray;
    case OPJ_CLRSPC_SRGB:
    case OPJ_CLRSPC_UNKNOWN:
    case OPJ_CLRSPC_UNSPECIFIED: return colour ? TJ2kColour::Rgb : TJ2kColour::Gray;
    case OPJ_CLRSPC_SYCC: return colour ? TJ2kColour::YCbCr : TJ2kColour::Gray;
    default: return std::nullopt;
    }
}

// Every component is decoded whole, so images with more than four count
// against the limit as that many four-channel images.
bool WithinLimitForComponents(int64_t width, int64_t height, uint32_t components)
{
    return WithinDecodeLimit(width, height) && WithinDecodeLimit(width * std::max<int64_t>(1, components / 4), height);
}

class TJ2kReader {
public:
    explicit TJ2kReader(TQkReadRequest& request) : request_(request), params_(request.Params) {}

    void Read()
    {
        const std::optional<OPJ_CODEC_FORMAT> format = ContainerOf(request_.Stream);
        if (!format)
            return Abort();
        TJ2kStreamBridge bridge = MakeJ2kBridge(request_.Stream, request_.ByteBudget);
        TOpjStream input = OpenJ2kInput(bridge);
        codec_ = SilentCodec(opj_create_decompress(*format));
        if (!input || !codec_ || !ReadHeader(input.get()))
            return Abort();
        if (!TakeHeader() || request_.ParamsOnly)
            return;
        if (!WithinLimitForComponents(width_, height_, image_->numcomps) || !Decode(input.get()))
            return Abort();
        // A JP2 palette or channel definition changes the components, and
        // the colour space may only be known now.
        colour_ = ColourOf(*image_);
        if (!colour_)
            return Abort();
        std::vector<TJ2kPlane> planes;
        if (!MakePlanes(planes) || !request_.Bitmap.Allocate(width_, height_, BitmapFormat(planes[0])))
            return Abort();
        CopyRows(planes);
    }

private:
    static std::optional<OPJ_CODEC_FORMAT> ContainerOf(TStream& stream)
    {
        if (IsJp2Stream(stream))
            return OPJ_CODEC_JP2;
        if (IsJ2kStream(stream))
            return OPJ_CODEC_J2K;
        return std::nullopt;
    }

    void Abort() { SetAborting(request_.Progress); }

    bool ReadHeader(opj_stream_t* input)
    {
        opj_dparameters_t parameters;
        opj_set_default_decoder_parameters(&parameters);
        if (!opj_setup_decoder(codec_.get(), &parameters))
            return false;
        if (opj_has_thread_support())
            opj_codec_set_threads(codec_.get(), GetProcessorCoreCount());
        opj_image_t* image = nullptr;
        const bool read = opj_read_header(input, codec_.get(), &image);
        image_.reset(image);
        return read && image_ && image_->numcomps > 0 && image_->x1 > image_->x0 && image_->y1 > image_->y0;
    }

    // The parameters; false (and Aborting) for a colour space without a
    // mapping.
    bool TakeHeader()
    {
        colour_ = ColourOf(*image_);
        if (!colour_) {
            Abort();
            return false;
        }
        width_ = int64_t(image_->x1) - image_->x0;
        height_ = int64_t(image_->y1) - image_->y0;
        request_.ImageCount = 1;
        params_.ImageCount = 1;
        params_.BitsPerSample = int32_t(image_->comps[0].prec);
        params_.SamplesPerPixel = *colour_ == TJ2kColour::Gray ? 1 : 3;
        params_.DpiX = DefaultDpiX;
        params_.DpiY = DefaultDpiY;
        params_.FreeColorMap();
        params_.Width = params_.StoredWidth = int32_t(std::min<int64_t>(width_, INT32_MAX));
        params_.Height = params_.StoredHeight = int32_t(std::min<int64_t>(height_, INT32_MAX));
        return true;
    }

    bool Decode(opj_stream_t* input)
    {
        return opj_decode(codec_.get(), input, image_.get()) && opj_end_decompress(codec_.get(), input);
    }

    // Gray uses the first component (a second is opacity); colour the first
    // three (a fourth and on are left out).
    bool MakePlanes(std::vector<TJ2kPlane>& planes) const
    {
        const uint32_t used = *colour_ == TJ2kColour::Gray ? 1 : 3;
        for (uint32_t i = 0; i < used; ++i) {
            const opj_image_comp_t& component = image_->comps[i];
            if (!IsPlaneUsable(component))
                return false;
            planes.emplace_back(*image_, component);
        }
        return true;
    }

    TQkPixelFormat BitmapFormat(const TJ2kPlane& first) const
    {
        if (*colour_ != TJ2kColour::Gray)
            return qk24RGB;
        if (first.Precision() == 1)
            return qk1g;
        if (!params_.NativePixelFormat || first.Precision() > 16)
            return qk24RGB;
        return first.Precision() <= 8 ? qk8g : qk16g;
    }

    void CopyRows(const std::vector<TJ2kPlane>& planes)
    {
        TQkBitmap& bitmap = request_.Bitmap;
        const int32_t width = bitmap.GetWidth();
        const int32_t height = bitmap.GetHeight();
        TQkRowProgress progress(request_.Progress, height);
        for (int32_t y = 0; y < height && !IsAborting(request_.Progress); ++y) {
            uint8_t* row = bitmap.GetScanline(y);
            switch (bitmap.GetPixelFormat()) {
            case qk1g: GrayToBits(planes[0], y, width, row); break;
            case qk8g: GrayToBytes(planes[0], y, width, row); break;
            case qk16g: GrayToWords(planes[0], y, width, row); break;
            default: ColourRow(planes, y, width, row); break;
            }
            progress.Report(y + 1);
        }
    }

    static void GrayToBits(const TJ2kPlane& plane, int32_t y, int32_t width, uint8_t* row)
    {
        std::fill_n(row, (width + 7) / 8, 0);
        for (int32_t x = 0; x < width; ++x)
            if (plane.Sample(x, y) != 0)
                row[x >> 3] |= uint8_t(0x80 >> (x & 7));
    }

    static void GrayToBytes(const TJ2kPlane& plane, int32_t y, int32_t width, uint8_t* row)
    {
        for (int32_t x = 0; x < width; ++x)
            row[x] = plane.Byte(x, y);
    }

    static void GrayToWords(const TJ2kPlane& plane, int32_t y, int32_t width, uint8_t* row)
    {
        for (int32_t x = 0; x < width; ++x) {
            const uint16_t value = uint16_t(plane.Sample(x, y));
            std::memcpy(row + 2 * x, &value, 2);
        }
    }

    void ColourRow(const std::vector<TJ2kPlane>& planes, int32_t y, int32_t width, uint8_t* row) const
    {
        for (int32_t x = 0; x < width; ++x, row += 3) {
            if (*colour_ == TJ2kColour::Gray) {
                std::fill_n(row, 3, planes[0].Byte(x, y));
            } else if (*colour_ == TJ2kColour::YCbCr) {
                J2kYCbCrToBgr(planes[0].Byte(x, y), planes[1].Byte(x, y), planes[2].Byte(x, y), row);
            } else {
                row[0] = planes[2].Byte(x, y);
                row[1] = planes[1].Byte(x, y);
                row[2] = planes[0].Byte(x, y);
            }
        }
    }

    TQkReadRequest& request_;
    TIOParamsVals& params_;
    TOpjCodec codec_;
    TOpjImage image_;
    std::optional<TJ2kColour> colour_;
    int64_t width_ = 0;
    int64_t height_ = 0;
};

} // namespace

bool IsJp2Stream(TStream& stream)
{
    uint8_t bytes[12] = {};
    return PeekBytes(stream, bytes, 12) == 12 && BigEndian32(bytes) == 12 && BigEndian32(bytes + 4) == 0x6A502020 &&
        BigEndian32(bytes + 8) == 0x0D0A870A;
}

bool IsJ2kStream(TStream& stream)
{
    const uint8_t start[4] = {0xFF, 0x4F, 0xFF, 0x51};
    uint8_t bytes[4] = {};
    return PeekBytes(stream, bytes, 4) == 4 && std::memcmp(bytes, start, 4) == 0;
}

void ReadJpeg2000Image(TQkReadRequest& request) { TJ2kReader(request).Read(); }

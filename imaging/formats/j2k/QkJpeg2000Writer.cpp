#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkSystem.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/QkWriterBitmaps.h"
#include "imaging/formats/j2k/QkJpeg2000.h"
#include "imaging/formats/j2k/QkOpenJpeg.h"
#include "platform/core/Streams.h"

namespace {

constexpr int32_t DeepestSample = 16;
// OpenJPEG's own default; small images get fewer levels.
constexpr int32_t MostResolutions = 6;

std::string NumberText(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// The options text back into the encoder's parameters: a rate below 1 is a
// compression ratio of 1/rate, anything else lossless.
void ApplyOptions(const std::string& options, opj_cparameters_t& parameters)
{
    std::istringstream words(options);
    std::string word;
    while (words >> word) {
        if (word.rfind("rate=", 0) == 0) {
            double rate = 1;
            const char* first = word.data() + 5;
            std::from_chars(first, word.data() + word.size(), rate);
            parameters.tcp_rates[0] = rate > 0 && rate < 1 ? float(1 / rate) : 0;
        } else if (word == "prg=lrcp") {
            parameters.prog_order = OPJ_LRCP;
        } else if (word == "prg=rlcp") {
            parameters.prog_order = OPJ_RLCP;
        }
    }
}

int32_t ResolutionsFor(int32_t width, int32_t height)
{
    int32_t levels = 1;
    while (levels < MostResolutions && (1 << levels) <= std::min(width, height))
        ++levels;
    return levels;
}

struct TJ2kLayout {
    int32_t Precision = 8;
    bool Gray = false;
    bool Opacity = false;
};

class TJ2kWriter {
public:
    TJ2kWriter(TQkWriteRequest& request, TJ2kContainer container)
        : request_(request), params_(request.Params), container_(container)
    {}

    void Write()
    {
        TQkBitmap& original = request_.Bitmap;
        if (original.GetWidth() <= 0 || original.GetHeight() <= 0)
            return Abort();
        const bool bits = original.GetPixelFormat() == qk1g;
        if (bits) {
            params_.BitsPerSample = 1;
            params_.J2000ColorSpace = 0;
        }
        TQkBitmap& bitmap = BitmapInFormat(original, bits ? qk1g : qk24RGB, copy_);
        layout_.Precision = std::clamp(params_.BitsPerSample, 1, DeepestSample);
        layout_.Gray = params_.J2000ColorSpace == 0;
        alpha_ = !layout_.Gray && original.HasAlphaChannel() && !original.GetAlphaChannel()->Full()
            ? original.GetAlphaChannel()
            : nullptr;
        layout_.Opacity = alpha_ != nullptr;
        if (!MakeImage(bitmap) || !FillImage(bitmap) || !Encode())
            Abort();
    }

private:
    void Abort() { SetAborting(request_.Progress); }

    bool MakeImage(TQkBitmap& bitmap)
    {
        const uint32_t count = layout_.Gray ? 1 : layout_.Opacity ? 4 : 3;
        std::vector<opj_image_cmptparm_t> components(count);
        for (opj_image_cmptparm_t& component : components) {
            component = {};
            component.dx = component.dy = 1;
            component.w = OPJ_UINT32(bitmap.GetWidth());
            component.h = OPJ_UINT32(bitmap.GetHeight());
            component.prec = OPJ_UINT32(layout_.Precision);
        }
        image_.reset(opj_image_create(count, components.data(), layout_.Gray ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB));
        if (!image_)
            return false;
        image_->x1 = OPJ_UINT32(bitmap.GetWidth());
        image_->y1 = OPJ_UINT32(bitmap.GetHeight());
        if (layout_.Opacity)
            image_->comps[3].alpha = 1;
        return true;
    }

    // False when the aborting flag stops it.
    bool FillImage(TQkBitmap& bitmap)
    {
        const int32_t width = bitmap.GetWidth();
        const int32_t height = bitmap.GetHeight();
        const int64_t largest = (int64_t(1) << layout_.Precision) - 1;
        const auto scale = [largest](int64_t value) { return OPJ_INT32(value * largest / 255); };
        TQkRowProgress progress(request_.Progress, height);
        for (int32_t y = 0; y < height; ++y) {
            if (IsAborting(request_.Progress))
                return false;
            const uint8_t* row = bitmap.GetScanline(y);
            const size_t at = size_t(y) * size_t(width);
            if (bitmap.GetPixelFormat() == qk1g)
                for (int32_t x = 0; x < width; ++x)
                    image_->comps[0].data[at + x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
            else if (layout_.Gray)
                for (int32_t x = 0; x < width; ++x)
                    image_->comps[0].data[at + x] = scale(GrayOf(row + 3 * x));
            else
                FillColourRow(row, at, width, scale);
            if (alpha_) {
                const uint8_t* opacity = alpha_->GetScanline(y);
                for (int32_t x = 0; x < width; ++x)
                    image_->comps[3].data[at + x] = scale(opacity[x]);
            }
            progress.Report(y + 1);
        }
        return true;
    }

    template <typename TScale>
    void FillColourRow(const uint8_t* bgr, size_t at, int32_t width, const TScale& scale)
    {
        for (int32_t x = 0; x < width; ++x, bgr += 3) {
            image_->comps[0].data[at + x] = scale(bgr[2]);
            image_->comps[1].data[at + x] = scale(bgr[1]);
            image_->comps[2].data[at + x] = scale(bgr[0]);
        }
    }

    static int64_t GrayOf(const uint8_t* bgr)
    {
        return (int64_t(bgr[2]) * GrayWeightRed + int64_t(bgr[1]) * GrayWeightGreen +
                int64_t(bgr[0]) * GrayWeightBlue) /
            100;
    }

    opj_cparameters_t Parameters() const
    {
        opj_cparameters_t parameters;
        opj_set_default_encoder_parameters(&parameters);
        parameters.irreversible = 0;
        parameters.tcp_numlayers = 1;
        parameters.cp_disto_alloc = 1;
        parameters.numresolution = ResolutionsFor(int32_t(image_->x1), int32_t(image_->y1));
        parameters.tcp_mct = layout_.Gray ? 0 : 1;
        ApplyOptions(Jpeg2000EncoderOptions(params_), parameters);
        return parameters;
    }

    bool Encode()
    {
        TJ2kStreamBridge bridge = MakeJ2kBridge(request_.Stream, 0);
        TOpjStream output = OpenJ2kOutput(bridge);
        TOpjCodec codec =
            SilentCodec(opj_create_compress(container_ == TJ2kContainer::Jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
        if (!output || !codec)
            return false;
        opj_cparameters_t parameters = Parameters();
        if (!opj_setup_encoder(codec.get(), &parameters, image_.get()))
            return false;
        if (opj_has_thread_support())
            opj_codec_set_threads(codec.get(), GetProcessorCoreCount());
        const bool encoded = opj_start_compress(codec.get(), image_.get(), output.get()) &&
            opj_encode(codec.get(), output.get()) && opj_end_compress(codec.get(), output.get());
        return encoded && !bridge.WriteFailed;
    }

    TQkWriteRequest& request_;
    TIOParamsVals& params_;
    TJ2kContainer container_;
    std::unique_ptr<TQkBitmap> copy_;
    TQkBitmap* alpha_ = nullptr;
    TJ2kLayout layout_;
    TOpjImage image_;
};

} // namespace

std::string Jpeg2000EncoderOptions(const TIOParamsVals& params)
{
    std::string options = "rate=" + NumberText(params.J2000Rate);
    if (params.J2000Progression == 0)
        options += " prg=lrcp";
    else if (params.J2000Progression == 1)
        options += " prg=rlcp";
    return options;
}

void WriteJpeg2000Image(TQkWriteRequest& request, TJ2kContainer container) { TJ2kWriter(request, container).Write(); }

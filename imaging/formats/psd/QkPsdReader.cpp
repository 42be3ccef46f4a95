#include <cstring>
#include <exception>
#include <memory>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkProgressReporter.h"
#include "imaging/core/QkView.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/jpeg/QkJpeg.h"
#include "imaging/formats/psd/QkPsd.h"
#include "imaging/formats/psd/QkPsdChannels.h"
#include "imaging/formats/psd/QkPsdInput.h"
#include "imaging/formats/psd/QkPsdLayerReader.h"
#include "platform/core/Streams.h"

namespace {

enum TPsdResourceId : uint16_t {
    prResolution = 1005,
    prIptc = 1028,
    prThumbnail = 1036,
    prIccProfile = 1039,
    prTransparentIndex = 1047,
    prXmp = 1060,
};

constexpr int64_t ThumbnailHeaderSize = 28;

class TPsdReader {
public:
    TPsdReader(TQkReadRequest& request, bool loadLayers, TQkLayerList* layers)
        : request_(request), params_(request.Params), input_(request.Stream), loadLayers_(loadLayers), layers_(layers)
    {}

    void Read()
    {
        try {
            ReadDocument();
        } catch (const EPsdTruncated&) {
            SetAborting(request_.Progress);
        }
    }

private:
    void ReadDocument()
    {
        TQkProgressReporter(request_.Progress.Sender, &request_.Progress.OnProgress).Report(0);
        if (!ReadHeader()) {
            SetAborting(request_.Progress);
            return;
        }
        ReadColourData();
        ReadResources();
        if (request_.ParamsOnly)
            return;
        if (thumbnailShown_)
            layers_ = nullptr;
        section_.Header = header_;
        section_.Palette = palette_.empty() ? nullptr : &palette_;
        if (!ReadPsdLayerSection(input_, section_, loadLayers_, layers_, request_.Progress))
            SetAborting(request_.Progress);
        const bool layersLoaded = layers_ && !layers_->empty() && loadLayers_;
        if (!layersLoaded && !thumbnailShown_)
            ReadMergedImage();
        if (!params_.NativePixelFormat)
            ConvertToRgb();
    }

    bool ReadHeader()
    {
        const std::vector<uint8_t> bytes = input_.BytesUpTo(PsdHeaderSize);
        if (bytes.size() != size_t(PsdHeaderSize))
            return false;
        header_ = TPsdHeader::Parse(std::span<const uint8_t, PsdHeaderSize>(bytes.data(), PsdHeaderSize));
        if (!header_.Plausible())
            return false;
        request_.ImageCount = params_.ImageCount = 1;
        params_.Width = params_.StoredWidth = int32_t(std::min<uint32_t>(header_.Width, INT32_MAX));
        params_.Height = params_.StoredHeight = int32_t(std::min<uint32_t>(header_.Height, INT32_MAX));
        params_.BitsPerSample = header_.Depth;
        params_.SamplesPerPixel = header_.Channels;
        params_.DpiX = params_.DpiY = PsdDefaultDpi;
        return request_.ParamsOnly ||
            (PsdPixelFormat(header_.Mode, header_.Depth) != qkNone && WithinDecodeLimit(header_.Width, header_.Height));
    }

    void ReadColourData()
    {
        const uint32_t length = input_.U32();
        if (length != uint32_t(PsdPaletteSize)) {
            input_.Skip(length);
            return;
        }
        const std::vector<uint8_t> bytes = input_.Bytes(PsdPaletteSize);
        palette_.resize(256);
        for (size_t i = 0; i < 256; ++i)
            palette_[i] = TRGBPixel{bytes[512 + i], bytes[256 + i], bytes[i]};
    }

    void ReadResources()
    {
        const int64_t start = input_.Position() + 4;
        const int64_t end = start + input_.U32();
        if (end > input_.Size())
            throw EPsdTruncated();
        while (input_.Position() + 12 <= end && ReadResource(start, end)) {}
        input_.Seek(end);
    }

    // False at the end of the resources: a foreign signature or a bad size.
    bool ReadResource(int64_t start, int64_t end)
    {
        if ((input_.Position() - start) % 2 != 0)
            input_.Skip(1);
        const std::vector<uint8_t> signature = input_.Bytes(4);
        if (std::memcmp(signature.data(), "8BIM", 4) != 0)
            return false;
        const uint16_t id = input_.U16();
        // The name is a length byte and its text, padded to an even length.
        input_.Skip((int64_t(input_.U8()) + 2) / 2 * 2 - 1);
        if (input_.Position() + 4 > end)
            return false;
        const uint32_t size = input_.U32();
        if (size == 0)
            return true;
        if (int64_t(size) > end - input_.Position())
            return false;
        const std::vector<uint8_t> data = input_.Bytes(size);
        HandleResource(id, data);
        return true;
    }

    void HandleResource(uint16_t id, const std::vector<uint8_t>& data)
    {
        switch (id) {
        case prResolution:
            if (data.size() >= 12) {
                params_.DpiX = int32_t(GetU32BE(&data[0]) >> 16);
                params_.DpiY = int32_t(GetU32BE(&data[8]) >> 16);
            }
            break;
        case prIptc: params_.IptcInfo.LoadFromBuffer(data.data(), int64_t(data.size())); break;
        case prThumbnail: ReadThumbnail(data); break;
        case prIccProfile:
            params_.GetInputICCProfile().LoadFromBuffer(data.data(), int32_t(data.size()));
            hasProfile_ = true;
            break;
        case prTransparentIndex:
            if (data.size() >= 2)
                section_.TransparentIndex = GetU16BE(data.data());
            break;
        case prXmp: params_.XmpInfo.assign(data.begin(), data.end()); break;
        default: break;
        }
    }

    // A thumbnail that does not decode is left out.
    void ReadThumbnail(const std::vector<uint8_t>& data)
    {
        if (int64_t(data.size()) <= ThumbnailHeaderSize)
            return;
        TMemoryStream jpeg;
        jpeg.Write(data.data() + ThumbnailHeaderSize, int64_t(data.size()) - ThumbnailHeaderSize);
        jpeg.SetPosition(0);
        auto thumbnail = std::make_unique<TQkBitmap>();
        TIOParamsVals thumbnailParams(nullptr);
        std::atomic<bool> aborting = false;
        TQkFilterProgress progress;
        progress.Aborting = &aborting;
        TQkJpegReadOptions options;
        options.Metadata = false;
        try {
            ReadJpegImage(jpeg, *thumbnail, thumbnailParams, progress, options);
        } catch (const std::exception&) {
            return;
        }
        if (aborting || thumbnail->IsEmpty())
            return;
        if (params_.ReadThumbnail && !request_.ParamsOnly) {
            request_.Bitmap.Assign(thumbnail.get());
            thumbnailShown_ = true;
        }
        params_.ExifThumbnail = std::move(thumbnail);
    }

    void ReadMergedImage()
    {
        const TQkPixelFormat format = PsdPixelFormat(header_.Mode, header_.Depth);
        if (!request_.Bitmap.Allocate(int32_t(header_.Width), int32_t(header_.Height), format)) {
            SetAborting(request_.Progress);
            return;
        }
        if (format == qk8p)
            for (int32_t i = 0; i < 256 && !palette_.empty(); ++i)
                request_.Bitmap.SetPaletteColor(i, palette_[size_t(i)]);
        const uint16_t compression = input_.U16();
        if (compression != pcRaw && compression != pcPackBits) {
            SetAborting(request_.Progress);
            return;
        }
        const int32_t height = int32_t(header_.Height);
        const int64_t rowBytes = PsdRowBytes(header_.Width, header_.Depth);
        std::vector<uint32_t> counts;
        if (compression == pcPackBits) {
            const std::vector<uint8_t> bytes = input_.Bytes(int64_t(header_.Channels) * height * 2);
            for (size_t i = 0; i < bytes.size(); i += 2)
                counts.push_back(GetU16BE(&bytes[i]));
        }
        TPsdChannelSink sink(request_.Bitmap, header_.Depth, section_.TransparentIndex);
        TQkProgressReporter reporter(request_.Progress.Sender, &request_.Progress.OnProgress);
        for (int32_t c = 0; c < header_.Channels; ++c) {
            TPsdChannelData channel;
            channel.Compression = compression;
            int64_t bytes = rowBytes * height;
            if (compression == pcPackBits) {
                channel.Counts.assign(counts.begin() + int64_t(c) * height, counts.begin() + int64_t(c + 1) * height);
                bytes = 0;
                for (const uint32_t count : channel.Counts)
                    bytes += count;
            }
            const std::vector<uint8_t> data = input_.BytesUpTo(bytes);
            channel.Data = data;
            DecodePsdChannel(channel, rowBytes, height, header_.Depth,
                             [&](int32_t row, const uint8_t* samples) { sink.PlaceRow(c, row, samples); });
            if (int64_t(data.size()) < bytes) {
                SetAborting(request_.Progress);
                return;
            }
            reporter.Report(double(c + 1) / header_.Channels * 100);
        }
    }

    void ConvertToRgb()
    {
        if (layers_)
            for (auto& layer : *layers_)
                if (!layer->IsMask())
                    ConvertBitmapToRgb(*layer->Bitmap());
        if (!request_.Bitmap.IsEmpty())
            ConvertBitmapToRgb(request_.Bitmap);
    }

    void ConvertBitmapToRgb(TQkBitmap& bitmap)
    {
        if (bitmap.GetPixelFormat() == qk1g || bitmap.GetPixelFormat() == qk24RGB)
            return;
        TQkICC* input = params_.InputICCProfile.get();
        if (hasProfile_ && ColorManagementEnabled && input && input->IsValid() && !input->Applied() &&
            params_.GetDefaultICCProfile().IsValid() &&
            input->ConvertBitmap(bitmap, qk24RGB, params_.GetDefaultICCProfile()))
            return;
        bitmap.SetPixelFormat(qk24RGB);
    }

    TQkReadRequest& request_;
    TIOParamsVals& params_;
    TPsdInput input_;
    bool loadLayers_;
    TQkLayerList* layers_;
    TPsdHeader header_;
    TPsdLayerSection section_;
    std::vector<TRGBPixel> palette_;
    bool hasProfile_ = false;
    bool thumbnailShown_ = false;
};

} // namespace

void ReadPsdImage(TQkReadRequest& request, bool loadLayers, TQkLayerList* layers)
{
    TPsdReader(request, loadLayers, layers).Read();
}

#include <algorithm>
#include <exception>
#include <memory>
#include <string>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkProgressReporter.h"
#include "imaging/core/QkResample.h"
#include "imaging/core/QkStreamRoutines.h"
#include "imaging/core/QkView.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/QkWriterBitmaps.h"
#include "imaging/formats/jpeg/QkJpeg.h"
#include "imaging/formats/psd/QkPackBits.h"
#include "imaging/formats/psd/QkPsd.h"
#include "imaging/formats/psd/QkPsdLayout.h"
#include "platform/core/Streams.h"

namespace {

struct TPsdFormat {
    uint16_t Mode = 0;
    uint16_t Depth = 0;
    // What the pixels are written from.
    TQkPixelFormat Pixels = qkNone;
};

bool FormatOf(TQkPixelFormat pixels, TPsdFormat& format)
{
    switch (pixels) {
    case qk1g: format = {pmBitmap, 1, qk1g}; return true;
    case qk8p: format = {pmIndexed, 8, qk8p}; return true;
    case qk8g: format = {pmGray, 8, qk8g}; return true;
    case qk16g: format = {pmGray, 16, qk16g}; return true;
    case qk24RGB:
    case qk32RGB: format = {pmRGB, 8, qk24RGB}; return true;
    case qkRGB48: format = {pmRGB, 16, qkRGB48}; return true;
    case qkCMYK: format = {pmCMYK, 8, qkCMYK}; return true;
    case qkCIELab: format = {pmLab, 8, qkCIELab}; return true;
    default: return false;
    }
}

// One channel's samples of a row, as the file stores them.
void GatherChannel(TQkBitmap& bitmap, int32_t channel, int32_t row, std::vector<uint8_t>& samples)
{
    const uint8_t* pixels = bitmap.GetScanline(row);
    const int32_t width = bitmap.GetWidth();
    samples.clear();
    switch (bitmap.GetPixelFormat()) {
    case qk1g:
        // Photoshop's bitmap mode stores 1 for black.
        for (int32_t i = 0; i < (width + 7) / 8; ++i)
            samples.push_back(uint8_t(~pixels[i]));
        break;
    case qk8g:
    case qk8p: samples.assign(pixels, pixels + width); break;
    case qk16g:
    case qkRGB48: {
        const int32_t stride = bitmap.GetPixelFormat() == qk16g ? 1 : 3;
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* word = pixels + 2 * (x * stride + channel);
            samples.insert(samples.end(), {word[1], word[0]});
        }
        break;
    }
    case qk24RGB:
        for (int32_t x = 0; x < width; ++x)
            samples.push_back(pixels[3 * x + 2 - channel]);
        break;
    case qkCMYK:
        for (int32_t x = 0; x < width; ++x)
            samples.push_back(pixels[4 * x + channel]);
        break;
    case qkCIELab:
        for (int32_t x = 0; x < width; ++x)
            samples.push_back(uint8_t(pixels[3 * x + channel] + (channel == 0 ? 0 : 128)));
        break;
    default: break;
    }
}

void GatherAlpha(TQkBitmap& alpha, int32_t row, int32_t depth, std::vector<uint8_t>& samples)
{
    const uint8_t* line = alpha.GetScanline(row);
    samples.clear();
    for (int32_t x = 0; x < alpha.GetWidth(); ++x)
        if (depth == 16)
            PutU16BE(samples, line[x] * 257u);
        else
            samples.push_back(line[x]);
}

// A channel's PackBits rows: their byte counts, then the rows.
struct TPackedChannel {
    std::vector<uint8_t> Counts;
    std::vector<uint8_t> Rows;
};

template <typename TGather>
TPackedChannel PackChannel(int32_t height, TGather gather)
{
    TPackedChannel channel;
    std::vector<uint8_t> samples;
    for (int32_t y = 0; y < height; ++y) {
        gather(y, samples);
        const size_t before = channel.Rows.size();
        PackBitsRow(samples, channel.Rows);
        PutU16BE(channel.Counts, uint32_t(channel.Rows.size() - before));
    }
    return channel;
}

// A layer as written: its bitmap in the document's format and displayed
// size, with an alpha channel.
struct TPreparedLayer {
    IQkLayer* Layer = nullptr;
    std::unique_ptr<TQkBitmap> Bitmap;
    std::unique_ptr<TQkBitmap> Mask;
    int32_t MaskX = 0;
    int32_t MaskY = 0;
};

std::unique_ptr<TQkBitmap> PreparedBitmap(IQkLayer& layer, TQkPixelFormat format)
{
    auto bitmap = std::make_unique<TQkBitmap>();
    bitmap->Assign(layer.Bitmap());
    if (bitmap->GetPixelFormat() != format)
        bitmap->SetPixelFormat(format);
    const int32_t width = layer.GetWidth();
    const int32_t height = layer.GetHeight();
    if (width > 0 && height > 0 && (width != bitmap->GetWidth() || height != bitmap->GetHeight())) {
        const TResampleFilter filter = layer.UseResampleFilter() ? layer.ResampleFilter() : rfNone;
        auto resampled = std::make_unique<TQkBitmap>(width, height, format);
        ResampleBitmap(*bitmap, *resampled, filter, nullptr, nullptr);
        if (bitmap->HasAlphaChannel())
            ResampleBitmap(*bitmap->GetAlphaChannel(), *resampled->GetAlphaChannel(), filter, nullptr, nullptr);
        bitmap = std::move(resampled);
    }
    bitmap->GetAlphaChannel();
    return bitmap;
}

std::vector<TPreparedLayer> PrepareLayers(const TQkLayerRefs& layers, TQkPixelFormat format)
{
    std::vector<TPreparedLayer> prepared;
    for (size_t i = 0; i < layers.size(); ++i) {
        IQkLayer& layer = *layers[i];
        if (layer.IsMask() || !layer.Bitmap())
            continue;
        TPreparedLayer entry;
        entry.Layer = &layer;
        entry.Bitmap = PreparedBitmap(layer, format);
        if (i + 1 < layers.size() && layers[i + 1]->IsMask() && layers[i + 1]->Bitmap()) {
            IQkLayer& mask = *layers[i + 1];
            entry.Mask = std::make_unique<TQkBitmap>();
            entry.Mask->Assign(mask.Bitmap());
            entry.Mask->SetPixelFormat(qk8g);
            entry.MaskX = mask.PosX();
            entry.MaskY = mask.PosY();
        }
        prepared.push_back(std::move(entry));
    }
    return prepared;
}

void PutRect(std::vector<uint8_t>& out, int32_t left, int32_t top, int32_t width, int32_t height)
{
    PutU32BE(out, uint32_t(top));
    PutU32BE(out, uint32_t(left));
    PutU32BE(out, uint32_t(top + height));
    PutU32BE(out, uint32_t(left + width));
}

class TPsdWriter {
public:
    TPsdWriter(TQkWriteRequest& request, const TQkLayerRefs& layers)
        : request_(request), params_(request.Params), layers_(layers),
          reporter_(request.Progress.Sender, &request.Progress.OnProgress)
    {}

    void Write()
    {
        TQkBitmap* model = &request_.Bitmap;
        if (model->IsEmpty() && !layers_.empty() && layers_.front()->Bitmap())
            model = layers_.front()->Bitmap();
        if (model->IsEmpty() || !FormatOf(model->GetPixelFormat(), format_)) {
            SetAborting(request_.Progress);
            return;
        }
        std::atomic<bool> localAborting = false;
        std::atomic<bool>& aborting = AbortingFlag(request_.Progress, localAborting);
        std::unique_ptr<TQkBitmap> copy;
        TQkBitmap& merged = BitmapInFormat(*model, format_.Pixels, copy);
        WriteHeader(merged);
        WriteColourData(merged);
        WriteResources();
        WriteLayers();
        SafeStreamWrite(request_.Stream, aborting, out_.data(), int64_t(out_.size()));
        out_.clear();
        WriteMerged(merged);
        SafeStreamWrite(request_.Stream, aborting, out_.data(), int64_t(out_.size()));
    }

private:
    int32_t ColourChannels() const { return PsdColourChannels(format_.Mode); }

    void WriteHeader(TQkBitmap& merged)
    {
        out_.insert(out_.end(), {'8', 'B', 'P', 'S'});
        PutU16BE(out_, 1);
        out_.insert(out_.end(), 6, 0);
        // The merged image is written without its alpha channel.
        PutU16BE(out_, uint32_t(ColourChannels()));
        PutU32BE(out_, uint32_t(merged.GetHeight()));
        PutU32BE(out_, uint32_t(merged.GetWidth()));
        PutU16BE(out_, format_.Depth);
        PutU16BE(out_, format_.Mode);
    }

    void WriteColourData(TQkBitmap& merged)
    {
        if (format_.Mode != pmIndexed) {
            PutU32BE(out_, 0);
            return;
        }
        PutU32BE(out_, PsdPaletteSize);
        TRGBPixel colours[256];
        for (int32_t i = 0; i < 256; ++i)
            if (i < merged.GetPaletteLength())
                merged.GetPaletteColor(i, colours[i]);
        for (const TRGBPixel& colour : colours)
            out_.push_back(colour.r);
        for (const TRGBPixel& colour : colours)
            out_.push_back(colour.g);
        for (const TRGBPixel& colour : colours)
            out_.push_back(colour.b);
    }

    void WriteResource(uint16_t id, const std::vector<uint8_t>& data)
    {
        out_.insert(out_.end(), {'8', 'B', 'I', 'M'});
        PutU16BE(out_, id);
        PutU16BE(out_, 0); // empty name
        PutU32BE(out_, uint32_t(data.size()));
        out_.insert(out_.end(), data.begin(), data.end());
        if (out_.size() % 2 != 0)
            out_.push_back(0);
    }

    void WriteResources()
    {
        const size_t lengthAt = out_.size();
        PutU32BE(out_, 0);
        std::vector<uint8_t> resolution;
        for (const int32_t dpi : {params_.DpiX, params_.DpiY}) {
            PutU32BE(resolution, uint32_t(dpi) << 16);
            PutU16BE(resolution, 1);
            PutU16BE(resolution, 1);
        }
        WriteResource(1005, resolution);
        if (params_.IptcInfo.GetCount() > 0)
            WriteResource(1028, params_.IptcInfo.SaveToBuffer(false));
        if (params_.InputICCProfile && !params_.InputICCProfile->RawData().empty())
            WriteResource(1039, params_.InputICCProfile->RawData());
        if (params_.ExifThumbnail && !params_.ExifThumbnail->IsEmpty())
            WriteThumbnail(*params_.ExifThumbnail);
        if (!params_.XmpInfo.empty())
            WriteResource(1060, std::vector<uint8_t>(params_.XmpInfo.begin(), params_.XmpInfo.end()));
        SetU32BE(out_, lengthAt, uint32_t(out_.size() - lengthAt - 4));
    }

    void WriteThumbnail(TQkBitmap& thumbnail)
    {
        TMemoryStream jpeg;
        TIOParamsVals jpegParams(nullptr);
        TQkFilterProgress progress;
        try {
            WriteJpegImage(jpeg, thumbnail, jpegParams, progress);
        } catch (const std::exception&) {
            return;
        }
        const uint32_t width = uint32_t(thumbnail.GetWidth());
        const uint32_t height = uint32_t(thumbnail.GetHeight());
        std::vector<uint8_t> data;
        for (const uint32_t value : {1u, width, height, width * 3, width * height * 3, uint32_t(jpeg.Size())})
            PutU32BE(data, value);
        PutU16BE(data, 24);
        PutU16BE(data, 1);
        const auto* bytes = static_cast<const uint8_t*>(jpeg.Memory());
        data.insert(data.end(), bytes, bytes + jpeg.Size());
        WriteResource(1036, data);
    }

    void WriteLayers()
    {
        const size_t sectionAt = out_.size();
        PutU32BE(out_, 0);
        if (!layers_.empty()) {
            const std::vector<TPreparedLayer> prepared = PrepareLayers(layers_, format_.Pixels);
            const size_t infoAt = out_.size();
            PutU32BE(out_, 0);
            PutU16BE(out_, uint32_t(prepared.size()));
            std::vector<std::vector<size_t>> lengthFields;
            for (const TPreparedLayer& layer : prepared)
                lengthFields.push_back(WriteRecord(layer));
            for (size_t i = 0; i < prepared.size(); ++i) {
                WriteLayerChannels(prepared[i], lengthFields[i]);
                reporter_.Report(double(i) / double(prepared.size()) * 100);
            }
            if ((out_.size() - infoAt) % 2 != 0)
                out_.push_back(0);
            SetU32BE(out_, infoAt, uint32_t(out_.size() - infoAt - 4));
            PutU32BE(out_, 0); // global layer mask information
        }
        SetU32BE(out_, sectionAt, uint32_t(out_.size() - sectionAt - 4));
    }

    // Returns where each channel's length goes.
    std::vector<size_t> WriteRecord(const TPreparedLayer& prepared)
    {
        IQkLayer& layer = *prepared.Layer;
        TQkBitmap& bitmap = *prepared.Bitmap;
        PutRect(out_, layer.PosX(), layer.PosY(), bitmap.GetWidth(), bitmap.GetHeight());
        std::vector<int16_t> ids{PsdAlphaId};
        for (int16_t c = 0; c < ColourChannels(); ++c)
            ids.push_back(c);
        if (prepared.Mask)
            ids.push_back(PsdMaskId);
        PutU16BE(out_, uint32_t(ids.size()));
        std::vector<size_t> lengthFields;
        for (const int16_t id : ids) {
            PutU16BE(out_, uint16_t(id));
            lengthFields.push_back(out_.size());
            PutU32BE(out_, 0);
        }
        out_.insert(out_.end(), {'8', 'B', 'I', 'M', 'n', 'o', 'r', 'm'});
        out_.insert(out_.end(), {layer.Opacity(), 0, uint8_t(layer.Visible() ? 0 : 2), 0});
        WriteExtraData(prepared);
        return lengthFields;
    }

    void WriteExtraData(const TPreparedLayer& prepared)
    {
        std::vector<uint8_t> extra;
        if (prepared.Mask) {
            PutU32BE(extra, 20);
            PutRect(extra, prepared.MaskX, prepared.MaskY, prepared.Mask->GetWidth(), prepared.Mask->GetHeight());
            extra.insert(extra.end(), 4, 0);
        } else {
            PutU32BE(extra, 0);
        }
        PutU32BE(extra, 0); // blending ranges
        const std::string name = prepared.Layer->Name().substr(0, 255);
        extra.push_back(uint8_t(name.size()));
        extra.insert(extra.end(), name.begin(), name.end());
        for (size_t namePart = name.size() + 1; namePart % 4 != 0; ++namePart)
            extra.push_back(1);
        PutU32BE(out_, uint32_t(extra.size()));
        out_.insert(out_.end(), extra.begin(), extra.end());
    }

    void WriteLayerChannels(const TPreparedLayer& prepared, const std::vector<size_t>& lengthFields)
    {
        TQkBitmap& bitmap = *prepared.Bitmap;
        const int32_t depth = format_.Depth;
        size_t field = 0;
        WriteChannel(lengthFields[field++], PackChannel(bitmap.GetHeight(), [&](int32_t y, auto& samples) {
                         GatherAlpha(*bitmap.GetAlphaChannel(), y, depth, samples);
                     }));
        for (int32_t c = 0; c < ColourChannels(); ++c)
            WriteChannel(lengthFields[field++], PackChannel(bitmap.GetHeight(), [&](int32_t y, auto& samples) {
                             GatherChannel(bitmap, c, y, samples);
                         }));
        if (prepared.Mask)
            WriteChannel(lengthFields[field], PackChannel(prepared.Mask->GetHeight(), [&](int32_t y, auto& samples) {
                             GatherChannel(*prepared.Mask, 0, y, samples);
                         }));
    }

    void WriteChannel(size_t lengthField, const TPackedChannel& channel)
    {
        const size_t start = out_.size();
        PutU16BE(out_, pcPackBits);
        out_.insert(out_.end(), channel.Counts.begin(), channel.Counts.end());
        out_.insert(out_.end(), channel.Rows.begin(), channel.Rows.end());
        SetU32BE(out_, lengthField, uint32_t(out_.size() - start));
    }

    void WriteMerged(TQkBitmap& merged)
    {
        PutU16BE(out_, pcPackBits);
        std::vector<TPackedChannel> channels;
        for (int32_t c = 0; c < ColourChannels(); ++c) {
            channels.push_back(PackChannel(merged.GetHeight(),
                                           [&](int32_t y, auto& samples) { GatherChannel(merged, c, y, samples); }));
            if (!layers_.empty())
                reporter_.Report(double(c) / ColourChannels() * 100);
        }
        for (const TPackedChannel& channel : channels)
            out_.insert(out_.end(), channel.Counts.begin(), channel.Counts.end());
        for (const TPackedChannel& channel : channels)
            out_.insert(out_.end(), channel.Rows.begin(), channel.Rows.end());
    }

    TQkWriteRequest& request_;
    TIOParamsVals& params_;
    const TQkLayerRefs& layers_;
    TQkProgressReporter reporter_;
    TPsdFormat format_;
    std::vector<uint8_t> out_;
};

} // namespace

void WritePsdImage(TQkWriteRequest& request, const TQkLayerRefs& layers) { TPsdWriter(request, layers).Write(); }

void WritePsdImage(TQkWriteRequest& request, const TQkLayerList& layers)
{
    TQkLayerRefs refs;
    for (const std::unique_ptr<IQkLayer>& layer : layers)
        refs.push_back(layer.get());
    WritePsdImage(request, refs);
}
